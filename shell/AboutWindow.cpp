#include "shell/AboutWindow.h"

#include <stdexcept>

#include "core/Texts.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

// Dialog frame with a close button, no minimise or maximise button.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;

HFONT MakeFont(int height, int weight, BYTE charset, const wchar_t* face) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// A static text that sizes itself to its text, as the stored form's texts do: the text's
// extent plus a two-pixel margin around it.
SIZE TextSize(HWND hwnd, HFONT font, const std::wstring& text) {
    SIZE size{0, 0};
    win::WindowDc dc(hwnd);
    if (!dc) return size;
    win::SelectObjectScope select(dc.get(), font);
    ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
    size.cx += 4;
    size.cy += 4;
    return size;
}

}  // namespace

TForm3::TForm3(TApplication& app) : TForm(app) {
    RECT r{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    RECT work{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    const int x = work.left + (work.right - work.left - w) / 2;
    const int y = work.top + (work.bottom - work.top - h) / 2;
    white_.reset(::CreateSolidBrush(RGB(255, 255, 255)));
    CreateForm(kClassName, texts::kForm3Caption, kStyle, kExStyle, x, y, w, h);
    if (!Handle()) throw std::runtime_error("TForm3: CreateWindowEx failed");

    windowFont_.reset(MakeFont(-11, FW_NORMAL, DEFAULT_CHARSET, L"MS Sans Serif"));
    captionFont_.reset(MakeFont(-19, FW_BOLD, RUSSIAN_CHARSET, L"Times New Roman"));
    valueFont_.reset(MakeFont(-13, FW_BOLD, RUSSIAN_CHARSET, L"Times New Roman"));

    // Image1: the application icon at 32 x 32.
    icon_.reset(static_cast<HICON>(::LoadImageW(app.Instance(), MAKEINTRESOURCEW(1), IMAGE_ICON, 32, 32, 0)));
    HICON picture = icon_ ? icon_.get() : app.Icon();
    HWND image = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE,
                                   8, 6, 32, 32, Handle(), nullptr, app.Instance(), nullptr);
    ::SendMessageW(image, STM_SETICON, reinterpret_cast<WPARAM>(picture), 0);
    ::SetWindowPos(image, nullptr, 8, 6, 32, 32, SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.push_back({"Image1", image});

    // In tab order, StaticText1 first.
    AddText("StaticText1", texts::kAboutBy, 88, 40, windowFont_.get());
    AddText("StaticText2", texts::kAboutCredit, 160, 40, valueFont_.get());
    AddText("StaticText3", texts::kAboutMail, 120, 88, windowFont_.get());
    HWND city = ::CreateWindowExW(0, L"STATIC", win::Widen(texts::kAboutCity).c_str(),
                                  WS_CHILD | WS_VISIBLE | SS_CENTER | SS_NOPREFIX, 0,
                                  kClientHeight - 17, kClientWidth, 17, Handle(), nullptr,
                                  app.Instance(), nullptr);
    ::SendMessageW(city, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.get()), FALSE);
    controls_.push_back({"StaticText4", city});
    AddText("StaticText5", texts::kAboutProduct, 48, 8, captionFont_.get());
    AddText("StaticText6", texts::kAboutSite, 64, 64, windowFont_.get());
    AddText("StaticText7", texts::kWebSite, 160, 64, valueFont_.get());
    AddText("StaticText8", texts::kEmail, 160, 88, valueFont_.get());
}

TForm3::~TForm3() = default;

HWND TForm3::AddText(const char* name, const char* text, int x, int y, HFONT font) {
    const std::wstring w = win::Widen(text);
    HWND hwnd = ::CreateWindowExW(0, L"STATIC", w.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                  x, y, 10, 10, Handle(), nullptr, app_.Instance(), nullptr);
    ::SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    const SIZE size = TextSize(hwnd, font, w);
    ::SetWindowPos(hwnd, nullptr, x, y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    controls_.push_back({name, hwnd});
    return hwnd;
}

HWND TForm3::ControlByName(const std::string& name) const {
    for (const Control& c : controls_)
        if (name == c.name) return c.hwnd;
    return nullptr;
}

void TForm3::ShowAbout() { BringToFront(); }

LRESULT TForm3::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND: {
        RECT r;
        ::GetClientRect(Handle(), &r);
        ::FillRect(reinterpret_cast<HDC>(wp), &r, white_.get());
        return 1;
    }
    case WM_CTLCOLORSTATIC: {
        HDC dc = reinterpret_cast<HDC>(wp);
        ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
        ::SetBkColor(dc, RGB(255, 255, 255));
        return reinterpret_cast<LRESULT>(white_.get());
    }
    default:
        break;
    }
    return TForm::WndProc(msg, wp, lp);
}

}  // namespace velkaro::shell
