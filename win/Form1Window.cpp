#include "win/Form1Window.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "core/AppError.h"
#include "core/Texts.h"
#include "win/Utf16.h"
#include "win/WindowObject.h"

namespace velkaro::win {

namespace {

constexpr wchar_t kFormClass[] = L"VelkaroTForm1";
constexpr wchar_t kImageClass[] = L"VelkaroImage1";
constexpr wchar_t kBarClass[] = L"VelkaroPanel1";
constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBarColour = RGB(203, 219, 248);
constexpr int kButtonHeight = 22;
// The panel's font face: the panel sets only size, weight and colour. Tahoma has Cyrillic on
// every Windows since 2000 and under Wine.
constexpr wchar_t kPanelFace[] = L"Tahoma";
constexpr char kPanelFaceNarrow[] = "Tahoma";

COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

int ScreenDpiY() {
    WindowDc screen(nullptr);
    return screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
}

HFONT MakeFont(int height, int weight, const wchar_t* face) {
    return ::CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, RUSSIAN_CHARSET,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                         DEFAULT_PITCH | FF_DONTCARE, face);
}

// The face asked for, or a metric-compatible one where the system lacks it (Wine and
// systems without the Windows core fonts would otherwise substitute a sans-serif face).
HFONT MakeFontOrAlike(int height, int weight, const wchar_t* face, const wchar_t* alike) {
    HFONT font = MakeFont(height, weight, face);
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!font || !dc) return font;
    wchar_t got[LF_FACESIZE]{};
    {
        SelectObjectScope sel(dc.get(), font);
        ::GetTextFaceW(dc.get(), LF_FACESIZE, got);
    }
    if (::lstrcmpiW(got, face) == 0) return font;
    HFONT other = MakeFont(height, weight, alike);
    wchar_t gotAlike[LF_FACESIZE]{};
    if (other) {
        SelectObjectScope sel(dc.get(), other);
        ::GetTextFaceW(dc.get(), LF_FACESIZE, gotAlike);
    }
    if (other && ::lstrcmpiW(gotAlike, alike) == 0) {
        ::DeleteObject(font);
        return other;
    }
    if (other) ::DeleteObject(other);
    return font;
}

[[noreturn]] void Fail(const char* what) {
    throw std::runtime_error(std::string(what) + " failed, error " +
                             std::to_string(::GetLastError()));
}

void RegisterClasses(HINSTANCE inst, WNDPROC form, WNDPROC image, WNDPROC bar) {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = inst;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);

    wc.lpfnWndProc = form;
    wc.lpszClassName = kFormClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    if (!::RegisterClassExW(&wc)) Fail("RegisterClassEx(TForm1)");

    wc.lpfnWndProc = image;
    wc.lpszClassName = kImageClass;
    wc.hbrBackground = nullptr;
    if (!::RegisterClassExW(&wc)) Fail("RegisterClassEx(Image1)");

    wc.lpfnWndProc = bar;
    wc.lpszClassName = kBarClass;
    if (!::RegisterClassExW(&wc)) Fail("RegisterClassEx(Panel1)");
    done = true;
}

}  // namespace

const std::vector<Form1Window::Button>& Form1Window::Buttons() {
    static const std::vector<Button> buttons = {
        {0, 73, texts::kButtonExit, &TForm1::SpeedButton1Click},
        {80, 113, texts::kButtonMail, &TForm1::SpeedButton3Click},
        {200, 137, texts::kButtonClear, &TForm1::SpeedButton2Click},
        {344, 121, texts::kButtonHelp, &TForm1::SpeedButton4Click},
        {480, 81, texts::kButtonAbout, &TForm1::SpeedButton5Click},
    };
    return buttons;
}

template <class F> void Form1Window::Run(F&& handler) {
    try {
        form_.Guarded(std::forward<F>(handler));
    } catch (const std::exception& e) {
        dialogs_.ShowError(e.what());
    }
}

Form1Window::Form1Window(Accounting& a, SystemPorts ports, Form1Callbacks callbacks,
                         Form1Options options)
    : dialogs_(ports.dialogs),
      callbacks_(std::move(callbacks)),
      options_(options),
      form_(a, Form1Ports{ports, *this}) {
    HINSTANCE inst = ::GetModuleHandleW(nullptr);
    RegisterClasses(inst, &FormProc, &ImageProc, &BarProc);

    const int dpi = ScreenDpiY();
    formFont_.reset(MakeFont(-11, FW_NORMAL, L"Lucida Console"));
    panelFont_.reset(MakeFont(-::MulDiv(10, dpi, 72), FW_NORMAL, kPanelFace));
    panelBoldFont_.reset(MakeFont(-::MulDiv(10, dpi, 72), FW_BOLD, kPanelFace));
    buttonFont_.reset(MakeFontOrAlike(-12, FW_NORMAL, L"Times New Roman", L"Liberation Serif"));
    whiteBrush_.reset(::CreateSolidBrush(kWhite));
    barBrush_.reset(::CreateSolidBrush(kBarColour));
    if (!panelFont_ || !panelBoldFont_ || !buttonFont_ || !whiteBrush_ || !barBrush_)
        Fail("CreateFont/CreateSolidBrush");

    RECT r{0, 0, kLayoutClientWidth, kLayoutClientHeight};
    ::AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    hwnd_ = ::CreateWindowExW(kFormExStyle, kFormClass, Widen(texts::kForm1Caption).c_str(),
                              kFormStyle, 0, 0, r.right - r.left, r.bottom - r.top,
                              options_.owner, nullptr, inst, this);
    if (!hwnd_) Fail("CreateWindowEx(TForm1)");
    image_ = ::CreateWindowExW(0, kImageClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                               nullptr, inst, this);
    bar_ = ::CreateWindowExW(0, kBarClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                             nullptr, inst, this);
    if (!image_ || !bar_) {
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
        Fail("CreateWindowEx(Image1/Panel1)");
    }
    LayoutChildren();

    // The application icon; without one the window shows the system's.
    if (HICON icon = ::LoadIconW(inst, MAKEINTRESOURCEW(1))) {
        ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    if (options_.runFormCreate) Run([this] { form_.FormCreate(); });
}

Form1Window::~Form1Window() {
    if (hwnd_) {
        ::KillTimer(hwnd_, kTimer1);
        // No message may reach this object while it is being taken apart.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(image_, GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(bar_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
    if (memDc_ && oldBitmap_) ::SelectObject(memDc_.get(), oldBitmap_);
}

// ---- showing ----

void Form1Window::Show() {
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetForegroundWindow(hwnd_);
}

void Form1Window::Hide() { ::ShowWindow(hwnd_, SW_HIDE); }

bool Form1Window::Visible() const { return ::IsWindowVisible(hwnd_) != FALSE; }

// ---- sizes ----

int Form1Window::OuterWidth() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r.right - r.left;
}

int Form1Window::OuterHeight() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r.bottom - r.top;
}

void Form1Window::SetOuterWidth(int width) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, width, OuterHeight(),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form1Window::SetOuterHeight(int height) {
    ::SetWindowPos(hwnd_, nullptr, 0, 0, OuterWidth(), height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form1Window::ClientHeight() {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r.bottom;
}

int Form1Window::ImageWidth() {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    return r.right;
}

int Form1Window::ImageHeight() { return std::max(0, ClientHeight() - kButtonBarHeight); }

int Form1Window::WindowLeft() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r.left;
}

int Form1Window::WindowTop() {
    RECT r{};
    ::GetWindowRect(hwnd_, &r);
    return r.top;
}

int Form1Window::TextWidth(const std::string& text) {
    const std::wstring w = Widen(text);
    WindowDc screen(nullptr);
    HDC dc = memDc_ ? memDc_.get() : screen.get();
    if (!dc) return 0;
    SelectObjectScope font(dc, panelFont_.get());
    SIZE size{};
    if (!::GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &size)) return 0;
    return size.cx;
}

void Form1Window::LayoutChildren() {
    RECT r{};
    ::GetClientRect(hwnd_, &r);
    const int imageHeight = std::max(0, static_cast<int>(r.bottom) - kButtonBarHeight);
    ::MoveWindow(image_, 0, 0, r.right, imageHeight, TRUE);
    ::MoveWindow(bar_, 0, imageHeight, r.right, std::min<int>(kButtonBarHeight, r.bottom), TRUE);
}

// ---- messages ----

void Form1Window::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit message for the message loop that owns it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void Form1Window::SetTimerEnabled(bool enabled) {
    if (!options_.systemTimer) {
        timerRunning_ = enabled;
        return;
    }
    // Setting the timer anew starts its interval afresh.
    ::KillTimer(hwnd_, kTimer1);
    timerRunning_ = false;
    if (!enabled) return;
    if (!::SetTimer(hwnd_, kTimer1, 1000, nullptr)) throw AppError(texts::kNoTimers);
    timerRunning_ = true;
}

void Form1Window::SetWhite() {
    white_ = true;
    ResizeBitmap(bitmapSize_.cx, bitmapSize_.cy);  // the image gets a bitmap if it has none
    ::InvalidateRect(hwnd_, nullptr, TRUE);
    ::InvalidateRect(image_, nullptr, FALSE);
}

void Form1Window::RefreshQuickInfo() {
    form_.QuickInfoShown = callbacks_.refreshQuickInfo ? callbacks_.refreshQuickInfo() : false;
}

void Form1Window::ShowAbout() {
    if (callbacks_.showAbout) callbacks_.showAbout();
}

void Form1Window::EndRequest() {
    if (callbacks_.endRequest)
        callbacks_.endRequest();
    else
        ::PostQuitMessage(0);
}

void Form1Window::PopupMenu(int screenX, int screenY) {
    UniqueMenu menu(::CreatePopupMenu());
    if (!menu) return;
    ::AppendMenuW(menu.get(), MF_STRING, kCmdHistory, Widen(texts::kMenuHistory).c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kCmdPrices, Widen(texts::kMenuPrices).c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kCmdRename, Widen(texts::kMenuRename).c_str());
    // The window must be in the foreground for the menu to close when the user clicks
    // elsewhere; WM_NULL afterwards lets the menu's closing take effect at once.
    ::SetForegroundWindow(hwnd_);
    const UINT cmd = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screenX,
        screenY, 0, hwnd_, nullptr));
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    // The chosen command runs after the mouse handler, as a menu's WM_COMMAND does.
    if (cmd != 0) ::PostMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

void Form1Window::RunCommand(UINT id) {
    switch (id) {
    case kCmdHistory: Run([this] { form_.N2Click(); }); break;
    case kCmdPrices: Run([this] { form_.N3Click(); }); break;
    case kCmdRename: Run([this] { form_.N5Click(); }); break;
    default: break;
    }
}

LRESULT CALLBACK Form1Window::FormProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (auto* self = win::WindowObject<Form1Window>(w, msg, lp); self && self->hwnd_ == w)
        return self->OnFormMessage(msg, wp, lp);
    return ::DefWindowProcW(w, msg, wp, lp);
}

LRESULT Form1Window::OnFormMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // Not the main form: the close box only hides it.
        ::ShowWindow(hwnd_, SW_HIDE);
        return 0;
    case WM_SHOWWINDOW:
        if (wp) {
            if (!shownOnce_) {
                // Centred on the desktop the first time it is shown.
                shownOnce_ = true;
                const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN) +
                              (::GetSystemMetrics(SM_CXVIRTUALSCREEN) - OuterWidth()) / 2;
                const int y = ::GetSystemMetrics(SM_YVIRTUALSCREEN) +
                              (::GetSystemMetrics(SM_CYVIRTUALSCREEN) - OuterHeight()) / 2;
                ::SetWindowPos(hwnd_, nullptr, x, y, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            if (itemsPending_) {
                PaintItems();
                ::InvalidateRect(image_, nullptr, FALSE);
            }
        }
        break;
    case WM_SIZE:
        LayoutChildren();
        return 0;
    case WM_ERASEBKGND: {
        RECT r{};
        ::GetClientRect(hwnd_, &r);
        if (white_)
            ::FillRect(reinterpret_cast<HDC>(wp), &r, whiteBrush_.get());
        else
            ::FillRect(reinterpret_cast<HDC>(wp), &r, ::GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(formFont_.get());
    case WM_TIMER:
        if (wp == kTimer1) {
            // A WM_TIMER taken after the timer was stopped starts no tick.
            if (timerRunning_) Run([this] { form_.Timer1Timer(); });
            return 0;
        }
        break;
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            RunCommand(LOWORD(wp));
            return 0;
        }
        break;
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

// ---- Image1: the panel bitmap ----

void Form1Window::ResizeBitmap(int width, int height) {
    if (!memDc_) {
        memDc_.reset(::CreateCompatibleDC(nullptr));
        if (!memDc_) return;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);
    if (bitmap_ && width == bitmapSize_.cx && height == bitmapSize_.cy) return;

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = std::max(width, 1);
    bi.bmiHeader.biHeight = -std::max(height, 1);  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap resized(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!resized) return;  // no memory: the old bitmap stays as it is

    // New area white; the old pixels stay where they were (cut off where it shrank).
    UniqueMemoryDc copy(::CreateCompatibleDC(nullptr));
    if (!copy) return;
    {
        SelectObjectScope sel(copy.get(), resized.get());
        RECT all{0, 0, std::max(width, 1), std::max(height, 1)};
        ::FillRect(copy.get(), &all, whiteBrush_.get());
        if (bitmap_)
            ::BitBlt(copy.get(), 0, 0, std::min<int>(width, bitmapSize_.cx),
                     std::min<int>(height, bitmapSize_.cy), memDc_.get(), 0, 0, SRCCOPY);
    }
    HGDIOBJ previous = ::SelectObject(memDc_.get(), resized.get());
    if (!oldBitmap_) oldBitmap_ = previous;
    bitmap_ = std::move(resized);
    bitmapSize_ = SIZE{width, height};
}

void Form1Window::Repaint() {
    if (!Visible()) {
        // Nobody sees it: keep the items and paint them when the window is shown.
        itemsPending_ = true;
        return;
    }
    PaintItems();
    ::InvalidateRect(image_, nullptr, FALSE);
}

void Form1Window::PaintItems() {
    itemsPending_ = false;
    // The size the redraw gave the bitmap: the image area, or the client height after the
    // window grew (then it is taller than the visible image). It is never cleared.
    ResizeBitmap(form_.Panel().BitmapWidth(), form_.Panel().BitmapHeight());
    if (!bitmap_) return;
    HDC dc = memDc_.get();
    SelectObjectScope font(dc, panelFont_.get());
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, kWhite);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
    for (const PanelItem& item : form_.Panel().Items()) {
        ::SelectObject(dc, item.bold ? panelBoldFont_.get() : panelFont_.get());
        ::SetTextColor(dc, item.desktopColour ? desktop : ToColorRef(item.rgb));
        const std::wstring w = Widen(item.text);
        ::TextOutW(dc, item.x, item.y, w.c_str(), static_cast<int>(w.size()));
    }
    ::GdiFlush();
}

long Form1Window::BitmapPixel(int x, int y) const {
    if (!bitmap_ || x < 0 || y < 0 || x >= bitmapSize_.cx || y >= bitmapSize_.cy) return -1;
    const COLORREF c = ::GetPixel(memDc_.get(), x, y);
    if (c == CLR_INVALID) return -1;
    return static_cast<long>((GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c));
}

const char* Form1Window::PanelFaceName() const { return kPanelFaceNarrow; }

void Form1Window::PaintImage(HDC dc, const RECT& clip) {
    RECT r{};
    ::GetClientRect(image_, &r);
    HBRUSH back = white_ ? whiteBrush_.get() : ::GetSysColorBrush(COLOR_BTNFACE);
    const int bw = bitmap_ ? static_cast<int>(bitmapSize_.cx) : 0;
    const int bh = bitmap_ ? static_cast<int>(bitmapSize_.cy) : 0;
    const int blitWidth = std::min<int>(clip.right, bw) - clip.left;
    const int blitHeight = std::min<int>(clip.bottom, bh) - clip.top;
    if (blitWidth > 0 && blitHeight > 0)
        ::BitBlt(dc, clip.left, clip.top, blitWidth, blitHeight, memDc_.get(), clip.left,
                 clip.top, SRCCOPY);
    // Where the bitmap does not reach, the window's colour shows.
    RECT right{bw, 0, r.right, r.bottom};
    RECT below{0, bh, std::min<int>(bw, r.right), r.bottom};
    if (right.left < right.right) ::FillRect(dc, &right, back);
    if (below.top < below.bottom && below.left < below.right) ::FillRect(dc, &below, back);
}

LRESULT CALLBACK Form1Window::ImageProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (auto* self = win::WindowObject<Form1Window>(w, msg, lp); self && self->image_ == w)
        return self->OnImageMessage(msg, wp, lp);
    return ::DefWindowProcW(w, msg, wp, lp);
}

LRESULT Form1Window::OnImageMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers everything
    case WM_PAINT: {
        PaintDc pdc(image_);
        PaintImage(pdc.get(), pdc.paint().rcPaint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const MouseButton button = msg == WM_RBUTTONDOWN   ? MouseButton::Right
                                   : msg == WM_LBUTTONDOWN ? MouseButton::Left
                                                           : MouseButton::Middle;
        const int x = GET_X_LPARAM(lp);
        const int y = GET_Y_LPARAM(lp);
        Run([this, button, x, y] { form_.Image1MouseDown(button, x, y); });
        return 0;
    }
    default:
        break;
    }
    return ::DefWindowProcW(image_, msg, wp, lp);
}

// ---- Panel1: the button bar ----

int Form1Window::ButtonAt(int x, int y) const {
    if (y < 0 || y >= kButtonHeight) return -1;
    const auto& buttons = Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (x >= buttons[i].left && x < buttons[i].left + buttons[i].width)
            return static_cast<int>(i);
    return -1;
}

void Form1Window::PaintBar(HDC dc) {
    RECT r{};
    ::GetClientRect(bar_, &r);
    ::FillRect(dc, &r, barBrush_.get());
    SelectObjectScope font(dc, buttonFont_.get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
    const auto& buttons = Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        RECT b{buttons[i].left, 0, buttons[i].left + buttons[i].width, kButtonHeight};
        const bool down = pressed_ == static_cast<int>(i) && hot_ == static_cast<int>(i);
        // Flat buttons: an edge only under the mouse, sunken while pressed.
        if (down)
            ::DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
        else if (hot_ == static_cast<int>(i))
            ::DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
        RECT text = b;
        if (down) ::OffsetRect(&text, 1, 1);
        const std::wstring caption = Widen(buttons[i].caption);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

LRESULT CALLBACK Form1Window::BarProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (auto* self = win::WindowObject<Form1Window>(w, msg, lp); self && self->bar_ == w)
        return self->OnBarMessage(msg, wp, lp);
    return ::DefWindowProcW(w, msg, wp, lp);
}

LRESULT Form1Window::OnBarMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDc pdc(bar_);
        PaintBar(pdc.get());
        return 0;
    }
    case WM_MOUSEMOVE: {
        const int at = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (at != hot_) {
            hot_ = at;
            ::InvalidateRect(bar_, nullptr, FALSE);
        }
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, bar_, 0};
        ::TrackMouseEvent(&tme);
        return 0;
    }
    case WM_MOUSELEAVE:
        if (hot_ != -1) {
            hot_ = -1;
            ::InvalidateRect(bar_, nullptr, FALSE);
        }
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        hot_ = pressed_;
        if (pressed_ >= 0) ::SetCapture(bar_);
        ::InvalidateRect(bar_, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int was = pressed_;
        const int at = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        pressed_ = -1;
        if (::GetCapture() == bar_) ::ReleaseCapture();
        ::InvalidateRect(bar_, nullptr, FALSE);
        // A speed button clicks when the button is released over it.
        if (was >= 0 && was == at) {
            auto click = Buttons()[static_cast<std::size_t>(was)].click;
            Run([this, click] { (form_.*click)(); });
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ != -1) {
            pressed_ = -1;
            ::InvalidateRect(bar_, nullptr, FALSE);
        }
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(bar_, msg, wp, lp);
}

}  // namespace velkaro::win
