#include "ui/AboutWindow.h"

#include "core/Texts.h"

namespace velkaro::ui {

namespace {

// Dialog frame with a close button, no minimise or maximise button.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

}  // namespace

AboutWindow::AboutWindow(Application& app) : AppWindow(app) {
    CreateOwned(L"TForm3", texts::kAboutCaption, kStyle, kExStyle, 0, 0, kClientWidth, kClientHeight,
                win::WhiteBrush());
    win::CentreWindow(Handle(), win::ScreenRect());
}

// Made when first shown: static controls are common controls under the program's manifest,
// and creating one loads comctl32, which a program staying in the tray never needs.
void AboutWindow::MakeControls() {
    if (::GetWindow(Handle(), GW_CHILD)) return;
    windowFont_ = win::MakeFont({L"MS Sans Serif", -dpi_.Px(11)});
    captionFont_ = win::MakeFont({L"Times New Roman", -dpi_.Px(19), FW_BOLD, RUSSIAN_CHARSET});
    valueFont_ = win::MakeFont({L"Times New Roman", -dpi_.Px(13), FW_BOLD, RUSSIAN_CHARSET});

    // From the icon's image of that size or the next larger one.
    const int iconSize = dpi_.Px(32);
    icon_.reset(static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, iconSize, iconSize, 0)));
    HWND image = AddStatic(L"", SS_ICON | SS_REALSIZEIMAGE, dpi_.Px(8), dpi_.Px(6), iconSize, iconSize);
    ::SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(icon_ ? icon_.get() : app_.Icon()), 0);
    ::SetWindowPos(image, nullptr, dpi_.Px(8), dpi_.Px(6), iconSize, iconSize, SWP_NOZORDER | SWP_NOACTIVATE);

    AddText(texts::kAboutBy, 88, 40, windowFont_.get());
    AddText(texts::kAboutCredit, 160, 40, valueFont_.get());
    AddText(texts::kAboutMail, 120, 88, windowFont_.get());
    HWND city = AddStatic(win::Widen(texts::kAboutCity), SS_CENTER | SS_NOPREFIX, 0, dpi_.Px(kClientHeight - 17),
                          dpi_.Px(kClientWidth), dpi_.Px(17));
    ::SendMessageW(city, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
    AddText(texts::kProductCaps, 48, 8, captionFont_.get());
    AddText(texts::kAboutSite, 64, 64, windowFont_.get());
    AddText(texts::kWebSite, 160, 64, valueFont_.get());
    AddText(texts::kEmail, 160, 88, valueFont_.get());
}

// The controls are made anew at the new DPI, where they exist already.
void AboutWindow::DpiMoved() {
    if (!::GetWindow(Handle(), GW_CHILD)) return;
    while (HWND child = ::GetWindow(Handle(), GW_CHILD)) ::DestroyWindow(child);
    MakeControls();
}

void AboutWindow::AddText(const char* text, int x, int y, HFONT font) {
    const std::wstring w = win::Widen(text);
    HWND hwnd = AddStatic(w, SS_LEFT | SS_NOPREFIX, dpi_.Px(x), dpi_.Px(y), 10, 10);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    // Its text's extent plus a two-pixel margin, as the stored form's texts have it.
    SIZE size{0, 0};
    if (const win::WindowDc dc(hwnd); dc) {
        win::SelectObjectScope select(dc.get(), font);
        ::GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size);
        size = SIZE{size.cx + 4, size.cy + 4};
    }
    ::SetWindowPos(hwnd, nullptr, dpi_.Px(x), dpi_.Px(y), size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND AboutWindow::AddStatic(const std::wstring& text, DWORD style, int x, int y, int width, int height) {
    return ::CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                             Handle(), nullptr, ::GetModuleHandleW(nullptr), nullptr);
}

LRESULT AboutWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wp) MakeControls();
        break;
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(win::WhiteBrush());
    }
    default:
        break;
    }
    return AppWindow::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::ui
