#include "ui/ButtonBar.h"

#include <windowsx.h>


namespace velkaro::ui {

namespace {
const win::WindowClass kClass{L"VelkaroPanel1"};
constexpr int kButtonHeight = 22;
}  // namespace

ButtonBar::ButtonBar(std::vector<Button> buttons, win::Dpi dpi) : buttons_(std::move(buttons)), dpi_(dpi) {
    font_ = win::MakeFontOrAlike({L"Times New Roman", -dpi_.Px(12), FW_NORMAL, RUSSIAN_CHARSET}, L"Liberation Serif");
    brush_.reset(::CreateSolidBrush(RGB(203, 219, 248)));
    if (!brush_) win::ThrowLastError("CreateSolidBrush");
}

void ButtonBar::Create(HWND parent) { win::Window::Create(kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, parent); }

void ButtonBar::SetDpi(win::Dpi dpi) {
    if (dpi == dpi_) return;
    font_ = win::MakeFontOrAlike({L"Times New Roman", -dpi.Px(12), FW_NORMAL, RUSSIAN_CHARSET}, L"Liberation Serif");
    dpi_ = dpi;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

int ButtonBar::ButtonAt(int x, int y) const {
    if (y < 0 || y >= dpi_.Px(kButtonHeight)) return -1;
    for (std::size_t i = 0; i < buttons_.size(); ++i)
        if (x >= dpi_.Px(buttons_[i].left) && x < dpi_.Px(buttons_[i].left + buttons_[i].width))
            return static_cast<int>(i);
    return -1;
}

void ButtonBar::SetState(int& button, int value) {
    if (button == value) return;
    button = value;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

void ButtonBar::Paint(HDC dc) {
    const RECT r = win::ClientRect(Handle());
    ::FillRect(dc, &r, brush_.get());
    win::SelectObjectScope font(dc, font_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        RECT b{dpi_.Px(buttons_[i].left), 0, dpi_.Px(buttons_[i].left + buttons_[i].width), dpi_.Px(kButtonHeight)};
        const bool down = pressed_ == static_cast<int>(i) && hot_ == static_cast<int>(i);
        if (down)
            ::DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
        else if (hot_ == static_cast<int>(i))
            ::DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
        RECT text = b;
        if (down) ::OffsetRect(&text, 1, 1);
        const std::wstring caption = win::Widen(buttons_[i].caption);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT ButtonBar::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        win::PaintDc pdc(Handle());
        Paint(pdc.get());
        return 0;
    }
    case WM_MOUSEMOVE: {
        SetState(hot_, ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, Handle(), 0};
        ::TrackMouseEvent(&tme);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetState(hot_, -1);
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        hot_ = pressed_;
        if (pressed_ >= 0) ::SetCapture(Handle());
        ::InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int was = pressed_;
        const int at = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        pressed_ = -1;
        if (::GetCapture() == Handle()) ::ReleaseCapture();
        ::InvalidateRect(Handle(), nullptr, FALSE);
        if (was >= 0 && was == at)
            ::SendMessageW(::GetParent(Handle()), WM_COMMAND, MAKEWPARAM(buttons_[static_cast<std::size_t>(was)].command, 0), 0);
        return 0;
    }
    case WM_CAPTURECHANGED:
        SetState(pressed_, -1);
        return 0;
    default:
        break;
    }
    return win::Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
