#include "win/Form1Window.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "core/AppError.h"
#include "core/Texts.h"
#include "win/Fonts.h"
#include "win/Geometry.h"
#include "win/Utf16.h"

namespace velkaro::win {

namespace {

const WindowClass kFormClass{L"VelkaroTForm1", reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)};
const WindowClass kImageClass{L"VelkaroImage1"};
const WindowClass kBarClass{L"VelkaroPanel1"};
constexpr DWORD kFormStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBarColour = RGB(203, 219, 248);
constexpr int kButtonHeight = 22;
// The panel's font face: the panel sets only size, weight and colour. Tahoma has Cyrillic on
// every Windows since 2000 and under Wine.
constexpr wchar_t kPanelFace[] = L"Tahoma";

COLORREF ToColorRef(std::uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

UniqueBrush MakeBrush(COLORREF colour) {
    UniqueBrush brush(::CreateSolidBrush(colour));
    if (!brush)
        throw std::runtime_error("CreateSolidBrush failed, error " + std::to_string(::GetLastError()));
    return brush;
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
      form_(a, Form1Ports{ports, *this, options.notifier}) {
    const int panelHeight = FontHeightForPoints(10);
    formFont_ = MakeFont({L"Lucida Console", -11, FW_NORMAL, RUSSIAN_CHARSET});
    panelFont_ = MakeFont({kPanelFace, panelHeight, FW_NORMAL, RUSSIAN_CHARSET});
    panelBoldFont_ = MakeFont({kPanelFace, panelHeight, FW_BOLD, RUSSIAN_CHARSET});
    buttonFont_ = MakeFontOrAlike({L"Times New Roman", -12, FW_NORMAL, RUSSIAN_CHARSET},
                                  L"Liberation Serif");
    MeasureCharacters();
    whiteBrush_ = MakeBrush(kWhite);
    barBrush_ = MakeBrush(kBarColour);

    RECT r{0, 0, kLayoutClientWidth, kLayoutClientHeight};
    ::AdjustWindowRectEx(&r, kFormStyle, FALSE, kFormExStyle);
    Create(kFormClass, Widen(texts::kForm1Caption).c_str(), kFormStyle, kFormExStyle, 0, 0,
           Width(r), Height(r), options_.owner);
    panelOuterHeight_ = Height(r);
    MeasureFrame();
    // Image1 scrolls when the panel is taller than the screen; its scroll bar shows only then.
    image1_.Create(kImageClass, L"", WS_CHILD | WS_VISIBLE | WS_VSCROLL, 0, 0, 0, 0, 0, Handle());
    panel1_.Create(kBarClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, Handle());
    LayoutChildren();
    UpdateScrollBar();

    // The application icon; without one the window shows the system's.
    if (HICON icon = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1))) {
        ::SendMessageW(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        ::SendMessageW(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    if (options_.runFormCreate) Run([this] { form_.FormCreate(); });
}

Form1Window::~Form1Window() {
    if (Handle()) ::KillTimer(Handle(), kTimer1);
    // No message reaches this object while it is being taken apart; the children go with it.
    Destroy();
    if (memDc_ && oldBitmap_) ::SelectObject(memDc_.get(), oldBitmap_);
    if (memDc_ && oldFont_) ::SelectObject(memDc_.get(), oldFont_);
}

// ---- showing ----

void Form1Window::Show() {
    ::ShowWindow(Handle(), SW_SHOW);
    ::SetForegroundWindow(Handle());
}

void Form1Window::Hide() { ::ShowWindow(Handle(), SW_HIDE); }

bool Form1Window::Visible() const { return ::IsWindowVisible(Handle()) != FALSE; }

// ---- sizes ----

int Form1Window::OuterWidth() { return Width(WindowRect(Handle())); }

int Form1Window::OuterHeight() { return panelOuterHeight_; }

void Form1Window::SetOuterWidth(int width) {
    SetOuterSize(Handle(), width, Height(WindowRect(Handle())));
    FitToWorkArea();
}

void Form1Window::SetOuterHeight(int height) {
    // The last block asks for its room at every redraw, mostly for the height it has.
    if (height == panelOuterHeight_) return;
    panelOuterHeight_ = height;
    FitToWorkArea();
}

int Form1Window::FrameHeight() const { return frameHeight_; }

void Form1Window::MeasureFrame() {
    frameHeight_ = Height(WindowRect(Handle())) - static_cast<int>(ClientRect(Handle()).bottom);
}

int Form1Window::ClientHeight() { return std::max(0, panelOuterHeight_ - FrameHeight()); }

int Form1Window::ImageWidth() { return ClientRect(Handle()).right; }

int Form1Window::ImageHeight() { return std::max(0, ClientHeight() - kButtonBarHeight); }

int Form1Window::VisibleImageHeight() const {
    return std::max(0, static_cast<int>(ClientRect(Handle()).bottom) - kButtonBarHeight);
}

void Form1Window::FitToWorkArea() {
    const RECT area = MonitorWorkArea(Handle());
    const RECT now = WindowRect(Handle());
    RECT fit = now;
    fit.bottom = fit.top + std::min(panelOuterHeight_, Height(area));
    fit = MoveInside(fit, area);
    if (!::EqualRect(&fit, &now))
        ::SetWindowPos(Handle(), nullptr, fit.left, fit.top, Width(fit), Height(fit),
                       SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateScrollBar();
}

// ---- scrolling ----

int Form1Window::ScrollHeight() { return ImageHeight(); }

void Form1Window::UpdateScrollBar() {
    if (!image1_.Handle()) return;
    const int page = VisibleImageHeight();
    const int height = ScrollHeight();
    const int top = std::clamp(scrollTop_, 0, std::max(0, height - page));
    if (top != scrollTop_) {
        scrollTop_ = top;
        if (bitmap_) WhitenBitmap();  // other rows: painted again at the next paint
        ::InvalidateRect(image1_.Handle(), nullptr, FALSE);
    }
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, height - 1);
    si.nPage = static_cast<UINT>(page);
    si.nPos = scrollTop_;
    // A page that holds the whole range hides the bar.
    ::SetScrollInfo(image1_.Handle(), SB_VERT, &si, TRUE);
}

void Form1Window::ScrollTo(int top) {
    top = std::clamp(top, 0, std::max(0, ScrollHeight() - VisibleImageHeight()));
    if (top == scrollTop_) return;
    scrollTop_ = top;
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    si.nPos = top;
    ::SetScrollInfo(image1_.Handle(), SB_VERT, &si, TRUE);
    // The bitmap shows other rows now: painted again from white.
    if (bitmap_) {
        WhitenBitmap();
        PaintItems();
    }
    ::InvalidateRect(image1_.Handle(), nullptr, FALSE);
}

bool Form1Window::OnScrollKey(WPARAM key) {
    const int page = std::max(kScrollLine, VisibleImageHeight());
    switch (key) {
    case VK_UP: ScrollTo(scrollTop_ - kScrollLine); return true;
    case VK_DOWN: ScrollTo(scrollTop_ + kScrollLine); return true;
    case VK_PRIOR: ScrollTo(scrollTop_ - page); return true;
    case VK_NEXT: ScrollTo(scrollTop_ + page); return true;
    case VK_HOME: ScrollTo(0); return true;
    case VK_END: ScrollTo(ScrollHeight()); return true;
    default: return false;
    }
}

void Form1Window::OnWheel(int delta) {
    UINT lines = 3;
    ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(std::max(1, VisibleImageHeight() / kScrollLine));
    // Movement short of a notch (fine wheels) adds up until it makes a line.
    wheelRest_ += delta * static_cast<int>(lines);
    const int steps = wheelRest_ / WHEEL_DELTA;
    wheelRest_ -= steps * WHEEL_DELTA;
    if (steps != 0) ScrollTo(scrollTop_ - steps * kScrollLine);
}

int Form1Window::WindowLeft() { return WindowRect(Handle()).left; }

int Form1Window::WindowTop() { return WindowRect(Handle()).top; }

int Form1Window::TextWidth(const std::string& text) {
    int width = 0;
    for (unsigned char c : text) width += charWidths_[c];
    return width;
}

void Form1Window::MeasureCharacters() {
    // GDI advances a text by the sum of its characters' widths (no kerning in TextOut or
    // GetTextExtentPoint32), so the widths of the font's 256 characters, measured once, give
    // every text's width without asking GDI again.
    UniqueMemoryDc dc(::CreateCompatibleDC(nullptr));
    if (!dc) throw std::runtime_error("CreateCompatibleDC failed, error " + std::to_string(::GetLastError()));
    SelectObjectScope font(dc.get(), panelFont_.get());
    for (int c = 0; c < 256; ++c) {
        const std::wstring w = Widen(std::string(1, static_cast<char>(c)));
        SIZE size{};
        if (!::GetTextExtentPoint32W(dc.get(), w.c_str(), static_cast<int>(w.size()), &size))
            throw std::runtime_error("GetTextExtentPoint32 failed, error " + std::to_string(::GetLastError()));
        charWidths_[static_cast<std::size_t>(c)] = size.cx;
    }
}

void Form1Window::LayoutChildren() {
    if (!image1_.Handle() || !panel1_.Handle()) return;  // still being created
    const RECT r = ClientRect(Handle());
    const int imageHeight = std::max(0, static_cast<int>(r.bottom) - kButtonBarHeight);
    ::MoveWindow(image1_.Handle(), 0, 0, r.right, imageHeight, TRUE);
    ::MoveWindow(panel1_.Handle(), 0, imageHeight, r.right,
                 std::min<int>(kButtonBarHeight, r.bottom), TRUE);
}

// ---- messages ----

void Form1Window::ProcessMessages() { win::ProcessMessages(); }

void Form1Window::SetTimerEnabled(bool enabled) {
    if (!options_.systemTimer) {
        timerRunning_ = enabled;
        return;
    }
    // Setting the timer anew starts its interval afresh. A disabled timer is only marked: the
    // tick disables and enables it every second, and its WM_TIMER, should one come while it
    // is off, kills it then.
    timerRunning_ = false;
    if (!enabled) return;
    if (!::SetTimer(Handle(), kTimer1, 1000, nullptr)) throw AppError(texts::kNoTimers);
    timerRunning_ = true;
}

void Form1Window::SetWhite() {
    white_ = true;
    // The image's bitmap lives in this DC while the window is shown.
    if (!memDc_) memDc_.reset(::CreateCompatibleDC(nullptr));
    if (!memDc_) throw std::runtime_error("CreateCompatibleDC failed, error " + std::to_string(::GetLastError()));
    ::InvalidateRect(Handle(), nullptr, TRUE);
    ::InvalidateRect(image1_.Handle(), nullptr, FALSE);
}

void Form1Window::RefreshQuickInfo() {
    form_.QuickInfoShown = callbacks_.refreshQuickInfo ? callbacks_.refreshQuickInfo() : false;
}

void Form1Window::SetTrayTip(const std::string& tip) {
    if (callbacks_.setTrayTip) callbacks_.setTrayTip(tip);
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
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING, kCmdLimit, Widen(texts::kMenuLimit).c_str());
    ::AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu.get(), MF_STRING | (form_.State().hideIdle ? MF_CHECKED : MF_UNCHECKED),
                  kCmdHideIdle, Widen(texts::kMenuHideIdle).c_str());
    // The window must be in the foreground for the menu to close when the user clicks
    // elsewhere; WM_NULL afterwards lets the menu's closing take effect at once.
    ::SetForegroundWindow(Handle());
    const UINT cmd = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screenX,
        screenY, 0, Handle(), nullptr));
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
    // The chosen command runs after the mouse handler, as a menu's WM_COMMAND does.
    if (cmd != 0) ::PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

void Form1Window::RunCommand(UINT id) {
    switch (id) {
    case kCmdHistory: Run([this] { form_.N2Click(); }); break;
    case kCmdPrices: Run([this] { form_.N3Click(); }); break;
    case kCmdRename: Run([this] { form_.N5Click(); }); break;
    case kCmdLimit: Run([this] { form_.N7Click(); }); break;
    case kCmdHideIdle: Run([this] { form_.N9Click(); }); break;
    default: break;
    }
}

LRESULT Form1Window::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // Not the main form: the close box only hides it.
        ::ShowWindow(Handle(), SW_HIDE);
        return 0;
    case WM_SHOWWINDOW:
        if (wp) {
            if (!shownOnce_) {
                // Centred in the work area the first time it is shown.
                shownOnce_ = true;
                FitToWorkArea();
                CentreWindow(Handle(), MonitorWorkArea(Handle()));
            }
            if (itemsPending_ || !bitmap_) {
                PaintItems();
                ::InvalidateRect(image1_.Handle(), nullptr, FALSE);
            }
        } else {
            // Nobody sees it: the bitmap goes, and comes back painted when it is shown.
            ReleaseBitmap();
            itemsPending_ = true;
        }
        break;
    case WM_SIZE:
        // A new frame (another caption height) changes the client area, and comes here too.
        MeasureFrame();
        LayoutChildren();
        UpdateScrollBar();
        return 0;
    case WM_SETTINGCHANGE:
        if (wp == SPI_SETWORKAREA) FitToWorkArea();
        break;
    case WM_DISPLAYCHANGE:
        FitToWorkArea();
        break;
    case WM_KEYDOWN:
        if (OnScrollKey(wp)) return 0;
        break;
    case WM_MOUSEWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(wp));
        return 0;
    case WM_ERASEBKGND: {
        const RECT r = ClientRect(Handle());
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
            if (timerRunning_)
                Run([this] { form_.Timer1Timer(); });
            else if (options_.systemTimer)
                ::KillTimer(Handle(), kTimer1);
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
    return ::DefWindowProcW(Handle(), msg, wp, lp);
}

// ---- Image1: the panel bitmap ----

bool Form1Window::MakeBitmap(int width, int height) {
    if (!memDc_) return false;
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (bitmap_ && width == bitmapSize_.cx && height == bitmapSize_.cy) return true;
    ReleaseBitmap();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap made(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!made) return false;  // no memory: the image shows the window's colour
    oldBitmap_ = ::SelectObject(memDc_.get(), made.get());
    bitmap_ = std::move(made);
    bitmapSize_ = SIZE{width, height};
    WhitenBitmap();
    return true;
}

void Form1Window::ReleaseBitmap() {
    painted_.clear();
    painted_.shrink_to_fit();
    if (!bitmap_) return;
    ::SelectObject(memDc_.get(), oldBitmap_);
    bitmap_.reset();
    bitmapSize_ = SIZE{0, 0};
}

void Form1Window::WhitenBitmap() {
    const RECT all{0, 0, bitmapSize_.cx, bitmapSize_.cy};
    ::FillRect(memDc_.get(), &all, whiteBrush_.get());
    painted_.clear();
    paintedEnd_ = 0;
}

void Form1Window::Repaint() {
    if (!Visible()) {
        // Nobody sees it: keep the items and paint them when the window is shown.
        itemsPending_ = true;
        return;
    }
    PaintItems();
    ::InvalidateRect(image1_.Handle(), nullptr, FALSE);
}

bool Form1Window::PaintedItem::Shows(const PanelItem& other, COLORREF otherColour) const {
    return painted && colour == otherColour && item.bold == other.bold && item.x == other.x &&
           item.y == other.y && item.cell == other.cell && item.text == other.text;
}

void Form1Window::SelectPanelFont(bool bold) {
    HFONT font = bold ? panelBoldFont_.get() : panelFont_.get();
    if (font == selectedFont_) return;
    HGDIOBJ previous = ::SelectObject(memDc_.get(), font);
    if (!oldFont_) oldFont_ = previous;
    selectedFont_ = font;
}

void Form1Window::PaintItems() {
    itemsPending_ = false;
    const StatisticsPanel& panel = form_.Panel();
    // The bitmap is the image area on the screen: the panel's rows from the scroll offset
    // down, as wide as the redraw made the panel.
    if (!MakeBitmap(panel.BitmapWidth(), VisibleImageHeight())) return;
    HDC dc = memDc_.get();
    ::SetBkMode(dc, OPAQUE);
    ::SetBkColor(dc, kWhite);
    ::SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    const COLORREF desktop = ::GetSysColor(COLOR_BACKGROUND);
    const int top = scrollTop_;
    const int bottom = scrollTop_ + bitmapSize_.cy;
    const std::vector<PanelItem>& items = panel.Items();
    painted_.resize(std::min(painted_.size(), items.size()));
    COLORREF textColour = CLR_INVALID;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const PanelItem& item = items[i];
        if (item.cell.bottom <= top || item.cell.top >= bottom) {
            // Out of sight: not on the bitmap.
            if (i < painted_.size()) painted_[i].painted = false;
            else painted_.push_back(PaintedItem{PanelItem{}, 0, false});
            continue;
        }
        const COLORREF colour = item.desktopColour ? desktop : ToColorRef(item.rgb);
        // A cell that shows this very item already is left alone.
        if (i < painted_.size() && painted_[i].Shows(item, colour)) continue;
        SelectPanelFont(item.bold);
        if (colour != textColour) ::SetTextColor(dc, textColour = colour);
        const std::wstring w = Widen(item.text);
        // The whole cell white first, so nothing of a longer text that stood there stays.
        const RECT cell{item.cell.left, item.cell.top - top, item.cell.right, item.cell.bottom - top};
        ::ExtTextOutW(dc, item.x, item.y - top, ETO_OPAQUE | ETO_CLIPPED, &cell, w.c_str(),
                      static_cast<UINT>(w.size()), nullptr);
        if (i < painted_.size())
            painted_[i] = PaintedItem{item, colour, true};
        else
            painted_.push_back(PaintedItem{item, colour, true});
    }
    // Below the drawn blocks: the rows of blocks drawn before and no longer.
    const int blocksEnd = panel.BlocksEnd();
    if (paintedEnd_ > blocksEnd) {
        const RECT below{0, std::max(blocksEnd, top) - top, bitmapSize_.cx, std::min(paintedEnd_, bottom) - top};
        if (below.top < below.bottom) ::FillRect(dc, &below, whiteBrush_.get());
    }
    paintedEnd_ = blocksEnd;
    ::GdiFlush();
}

void Form1Window::PaintImage(HDC dc, const RECT& clip) {
    const RECT r = ClientRect(image1_.Handle());
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

LRESULT Form1Window::OnImageMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers everything
    case WM_PAINT: {
        PaintDc pdc(image1_.Handle());
        PaintImage(pdc.get(), pdc.paint().rcPaint);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const MouseButton button = msg == WM_RBUTTONDOWN   ? MouseButton::Right
                                   : msg == WM_LBUTTONDOWN ? MouseButton::Left
                                                           : MouseButton::Middle;
        // The pick works in the panel's coordinates.
        const int x = GET_X_LPARAM(lp);
        const int y = GET_Y_LPARAM(lp) + scrollTop_;
        Run([this, button, x, y] { form_.Image1MouseDown(button, x, y); });
        return 0;
    }
    case WM_VSCROLL: {
        const int page = std::max(kScrollLine, VisibleImageHeight());
        switch (LOWORD(wp)) {
        case SB_LINEUP: ScrollTo(scrollTop_ - kScrollLine); break;
        case SB_LINEDOWN: ScrollTo(scrollTop_ + kScrollLine); break;
        case SB_PAGEUP: ScrollTo(scrollTop_ - page); break;
        case SB_PAGEDOWN: ScrollTo(scrollTop_ + page); break;
        case SB_TOP: ScrollTo(0); break;
        case SB_BOTTOM: ScrollTo(ScrollHeight()); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            // The 32-bit position: the message's own is 16 bits.
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            if (::GetScrollInfo(image1_.Handle(), SB_VERT, &si)) ScrollTo(si.nTrackPos);
            break;
        }
        default: break;
        }
        return 0;
    }
    case WM_KEYDOWN:
        if (OnScrollKey(wp)) return 0;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(image1_.Handle(), msg, wp, lp);
}

// ---- Panel1: the button bar ----

void Form1Window::SetBarState(int& button, int value) {
    if (button == value) return;
    button = value;
    ::InvalidateRect(panel1_.Handle(), nullptr, FALSE);
}

int Form1Window::ButtonAt(int x, int y) const {
    if (y < 0 || y >= kButtonHeight) return -1;
    const auto& buttons = Buttons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (x >= buttons[i].left && x < buttons[i].left + buttons[i].width)
            return static_cast<int>(i);
    return -1;
}

void Form1Window::PaintBar(HDC dc) {
    const RECT r = ClientRect(panel1_.Handle());
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

LRESULT Form1Window::OnBarMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PaintDc pdc(panel1_.Handle());
        PaintBar(pdc.get());
        return 0;
    }
    case WM_MOUSEMOVE: {
        SetBarState(hot_, ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
        TRACKMOUSEEVENT tme{sizeof tme, TME_LEAVE, panel1_.Handle(), 0};
        ::TrackMouseEvent(&tme);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetBarState(hot_, -1);
        return 0;
    case WM_LBUTTONDOWN:
        pressed_ = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        hot_ = pressed_;
        if (pressed_ >= 0) ::SetCapture(panel1_.Handle());
        ::InvalidateRect(panel1_.Handle(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        const int was = pressed_;
        const int at = ButtonAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        pressed_ = -1;
        if (::GetCapture() == panel1_.Handle()) ::ReleaseCapture();
        ::InvalidateRect(panel1_.Handle(), nullptr, FALSE);
        // A speed button clicks when the button is released over it.
        if (was >= 0 && was == at) {
            auto click = Buttons()[static_cast<std::size_t>(was)].click;
            Run([this, click] { (form_.*click)(); });
        }
        return 0;
    }
    case WM_CAPTURECHANGED:
        SetBarState(pressed_, -1);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(panel1_.Handle(), msg, wp, lp);
}

}  // namespace velkaro::win
