#include "ui/StatisticsWindow.h"

#include <windowsx.h>

#include <algorithm>

#include "core/Files.h"
#include "core/Texts.h"
#include "statistics/StatisticsPanel.h"

namespace velkaro::ui {

namespace {

constexpr DWORD kStyle = WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = 0;
constexpr UINT kRelayoutMessage = WM_APP + 1;
constexpr int kButtonHeight = 22;

constexpr UINT Id(Command command) { return static_cast<UINT>(command); }

// The button bar's buttons, each a WM_COMMAND.
constexpr ButtonBar::Button kButtons[] = {
    {0, 73, texts::kButtonExit, Id(Command::Exit)},
    {80, 113, texts::kButtonMail, Id(Command::MailToAuthor)},
    {200, 137, texts::kButtonClear, Id(Command::ClearHistory)},
    {344, 121, texts::kButtonHelp, Id(Command::Help)},
    {480, 81, texts::kButtonAbout, Id(Command::About)},
};

}  // namespace

StatisticsWindow::StatisticsWindow(Application& app, TrafficMeter& meter, std::function<void()> showAbout,
                                   std::function<void(const std::string&)> showGraph)
    : AppWindow(app),
      meter_(meter),
      showAbout_(std::move(showAbout)),
      showGraph_(std::move(showGraph)),
      view_(meter.Panel(), [this](int x, int y) { Run([&] { RightClick(x, y); }); }, dpi_) {
    CreateOwned(L"VelkaroTForm1", texts::kProductCaps, kStyle, kExStyle, 0, 0, kLayoutClientWidth,
                kLayoutClientHeight);
    frame_ = win::FrameSize(Handle());
    outerWidth_ = kLayoutClientWidth + FrameUnits().cx;
    panelOuterHeight_ = kLayoutClientHeight + FrameUnits().cy;
    view_.Create(Handle());  // the image area first, the bar second: their order among the children
    bar_.Create(Handle());
    // Its monitor's (the window is hidden there until shown).
    SetDpi(dpi_);
    LayoutChildren();
}

StatisticsWindow::~StatisticsWindow() {
    // No message reaches this object while it is being taken apart.
    Destroy();
}

// ---- sizes ----

SIZE StatisticsWindow::FrameUnits() const { return SIZE{dpi_.Units(frame_.cx), dpi_.Units(frame_.cy)}; }

int StatisticsWindow::ImageWidth() { return std::max(0, outerWidth_ - static_cast<int>(FrameUnits().cx)); }

int StatisticsWindow::ImageHeight() {
    return std::max(0, panelOuterHeight_ - static_cast<int>(FrameUnits().cy) - ButtonBar::kHeight);
}

void StatisticsWindow::ShowPanel(const StatisticsPanel& panel) {
    // Asked at every tick, mostly for the size it has.
    if (panel.OuterWidth() != outerWidth_ || panel.OuterHeight() != panelOuterHeight_) {
        outerWidth_ = panel.OuterWidth();
        panelOuterHeight_ = panel.OuterHeight();
        Place();
    }
    view_.ShowItems();
}

int StatisticsWindow::ScrollWidth() {
    // A window too narrow only for the margin after the texts does not scroll.
    const int texts = meter_.Panel().TextsWidth();
    return texts > 0 ? std::min(ImageWidth(), texts) : 0;
}

void StatisticsWindow::SetOuterWidth(int width) {
    outerWidth_ = width;
    Place();
}

void StatisticsWindow::Place() {
    view_.SetScrollSize(ScrollWidth(), ImageHeight());
    // Each part the pixels of its units, so that no rounding adds a scroll bar. A scrolling image
    // area widens (or heightens) the window by its scroll bar, as far as the work area allows.
    const RECT area = win::MonitorWorkArea(Handle());
    const WindowFit size = FitToWorkArea(
        dpi_.Px(ImageWidth()) + static_cast<int>(frame_.cx), dpi_.Px(ScrollWidth()) + static_cast<int>(frame_.cx),
        dpi_.Px(ImageHeight()) + dpi_.Px(ButtonBar::kHeight) + static_cast<int>(frame_.cy), win::Width(area),
        win::Height(area), win::SystemMetric(SM_CXVSCROLL, dpi_), win::SystemMetric(SM_CYHSCROLL, dpi_));
    const POINT at = win::CentredIn(win::WindowRect(Handle()), size.width, size.height);
    win::PlaceInside(Handle(), RECT{at.x, at.y, at.x + size.width, at.y + size.height}, area);
}

void StatisticsWindow::LayoutChildren() {
    if (!view_.Handle() || !bar_.Handle()) return;  // still being created
    const RECT r = win::ClientRect(Handle());
    const int barHeight = dpi_.Px(ButtonBar::kHeight);
    const int imageHeight = std::max(0, static_cast<int>(r.bottom) - barHeight);
    ::MoveWindow(view_.Handle(), 0, 0, r.right, imageHeight, TRUE);
    ::MoveWindow(bar_.Handle(), 0, imageHeight, r.right, std::min<int>(barHeight, r.bottom), TRUE);
    view_.SetScrollSize(ScrollWidth(), ImageHeight());
}

// The panel is laid out anew with the new text widths once the message that moved the window is done.
void StatisticsWindow::DpiMoved() { ::PostMessageW(Handle(), kRelayoutMessage, 0, 0); }

void StatisticsWindow::SetDpi(win::Dpi dpi) {
    font_ = win::MakeFont({L"Lucida Console", -dpi.Px(11), FW_NORMAL, RUSSIAN_CHARSET});
    dpi_ = dpi;
    view_.SetDpi(dpi);
    bar_.SetDpi(dpi);
}

// ---- the panel's menu ----

void StatisticsWindow::SetWhite() {
    view_.SetWhite();
    ::InvalidateRect(Handle(), nullptr, TRUE);
}

void StatisticsWindow::RightClick(int x, int y) {
    picked_ = meter_.Panel().AdapterAt(y);
    // The menu opens where the click was, however far the panel is scrolled.
    constexpr int kBelowPointer = 20;
    PopupMenu(x - view_.ScrollLeft(), y - view_.ScrollTop() + kBelowPointer);
}

void StatisticsWindow::PopupMenu(int windowX, int windowY) {
    const RECT r = win::WindowRect(Handle());
    const int screenX = r.left + dpi_.Px(windowX);
    const int screenY = r.top + dpi_.Px(windowY);
    const win::UniqueMenu menu = win::LoadPopupMenu(L"PANELMENU");
    if (!menu) return;
    ::CheckMenuItem(menu.get(), Id(Command::HideIdle),
                    MF_BYCOMMAND | (meter_.State().HideIdle() ? MF_CHECKED : MF_UNCHECKED));
    // The window must be in the foreground for the menu to close when the user clicks
    // elsewhere; WM_NULL afterwards lets the menu's closing take effect at once.
    ::SetForegroundWindow(Handle());
    const UINT cmd = static_cast<UINT>(::TrackPopupMenu(
        menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screenX, screenY, 0, Handle(), nullptr));
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
    // Runs after the mouse handler, as a menu's WM_COMMAND does.
    if (cmd != 0) ::PostMessageW(Handle(), WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
}

// ---- messages ----

LRESULT StatisticsWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SHOWWINDOW:
        if (wp && !shownOnce_) {
            shownOnce_ = true;
            Place();
            win::CentreWindow(Handle(), win::MonitorWorkArea(Handle()));
        }
        view_.Shown(wp != 0);
        break;
    case WM_SIZE:
        // A new frame (caption height, DPI) changes the client area and comes here too.
        frame_ = win::FrameSize(Handle());
        LayoutChildren();
        return 0;
    case kRelayoutMessage:
        Run([this] { meter_.Relayout(); });
        return 0;
    case WM_ERASEBKGND: {
        const RECT r = win::ClientRect(Handle());
        ::FillRect(reinterpret_cast<HDC>(wp), &r, view_.Background());
        return 1;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_.get());
    case WM_COMMAND:
        if (HIWORD(wp) == 0 && lp == 0) {
            const Command command = static_cast<Command>(LOWORD(wp));
            bool known = false;
            if (command == Command::About) {
                if (showAbout_) showAbout_();
                return 0;
            }
            if (command == Command::SpeedGraph) {
                if (showGraph_) showGraph_(picked_);
                return 0;
            }
            Run([&] { known = meter_.Run(command, picked_); });
            if (known) return 0;
        }
        break;
    default:
        if (view_.OnScrollMessage(msg, wp)) return 0;
        break;
    }
    return AppWindow::WindowProc(msg, wp, lp);
}

// ---- the button bar ----

ButtonBar::ButtonBar() {
    brush_.reset(::CreateSolidBrush(RGB(203, 219, 248)));
    if (!brush_) win::ThrowLastError("CreateSolidBrush");
}

void ButtonBar::Create(HWND parent) {
    win::Window::Create({L"VelkaroPanel1"}, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, 0, parent);
}

void ButtonBar::SetDpi(win::Dpi dpi) {
    if (dpi == dpi_ && font_) return;
    font_ = win::MakeFontOrAlike({L"Times New Roman", -dpi.Px(12), FW_NORMAL, RUSSIAN_CHARSET}, L"Liberation Serif");
    dpi_ = dpi;
    ::InvalidateRect(Handle(), nullptr, FALSE);
}

int ButtonBar::ButtonAt(int x, int y) const {
    if (y < 0 || y >= dpi_.Px(kButtonHeight)) return -1;
    for (std::size_t i = 0; i < std::size(kButtons); ++i)
        if (x >= dpi_.Px(kButtons[i].left) && x < dpi_.Px(kButtons[i].left + kButtons[i].width))
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
    for (std::size_t i = 0; i < std::size(kButtons); ++i) {
        RECT b{dpi_.Px(kButtons[i].left), 0, dpi_.Px(kButtons[i].left + kButtons[i].width), dpi_.Px(kButtonHeight)};
        const bool down = pressed_ == static_cast<int>(i) && hot_ == static_cast<int>(i);
        if (down)
            ::DrawEdge(dc, &b, BDR_SUNKENOUTER, BF_RECT);
        else if (hot_ == static_cast<int>(i))
            ::DrawEdge(dc, &b, BDR_RAISEDINNER, BF_RECT);
        if (down) ::OffsetRect(&b, 1, 1);  // the caption goes down with the face
        const std::wstring caption = win::Widen(kButtons[i].caption);
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &b,
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
            ::SendMessageW(::GetParent(Handle()), WM_COMMAND, MAKEWPARAM(kButtons[static_cast<std::size_t>(was)].command, 0), 0);
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
