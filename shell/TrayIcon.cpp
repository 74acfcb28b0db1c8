#include "shell/TrayIcon.h"

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <utility>

#include "core/Texts.h"
#include "shell/Application.h"
#include "win/Subclass.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

static_assert(sizeof(NOTIFYICONDATAW::szTip) / sizeof(WCHAR) == kTipLimit + 1, "tip field");
static_assert(sizeof(NOTIFYICONDATAW::szInfoTitle) / sizeof(WCHAR) == kBalloonTitleLimit + 1, "title field");
static_assert(sizeof(NOTIFYICONDATAW::szInfo) / sizeof(WCHAR) == kBalloonTextLimit + 1, "info field");

// The button of a mouse message from the shell, and its flag in the shift state.
std::pair<TMouseButton, unsigned> ButtonOf(UINT mouse) {
    switch (mouse) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return {TMouseButton::mbLeft, ssLeft};
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return {TMouseButton::mbRight, ssRight};
    default:
        return {TMouseButton::mbMiddle, ssMiddle};
    }
}

// Stores value in field; whether that changed it.
template <class T> bool Change(T& field, const T& value) {
    if (field == value) return false;
    field = value;
    return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TCustomWindowTimer

TCustomWindowTimer::TCustomWindowTimer(std::string name, ErrorHandler onError)
    : TBaseComponent(std::move(name)), onError_(std::move(onError)) {
    // Top-level (not message-only), so that broadcasts such as "TaskbarCreated" and the
    // session-end query reach it; never shown.
    Create({kWindowClass}, L"", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0, nullptr);
}

TCustomWindowTimer::~TCustomWindowTimer() {
    if (timerRunning_) ::KillTimer(Handle(), kTimerId);
    timerRunning_ = false;
}

void TCustomWindowTimer::SetInterval(unsigned milliseconds) {
    if (Change(interval_, milliseconds)) UpdateTimer();
}

void TCustomWindowTimer::SetTimerEnabled(bool enabled) {
    if (Change(timerEnabled_, enabled)) UpdateTimer();
}

void TCustomWindowTimer::SetOnTimer(std::function<void()> onTimer) {
    onTimer_ = std::move(onTimer);
    UpdateTimer();
}

void TCustomWindowTimer::UpdateTimer() {
    ::KillTimer(Handle(), kTimerId);
    timerRunning_ = false;
    if (interval_ != 0 && timerEnabled_ && onTimer_) {
        if (::SetTimer(Handle(), kTimerId, interval_, nullptr) == 0)
            throw AppError(texts::kNoTimers);
        timerRunning_ = true;
    }
}

void TCustomWindowTimer::TimerStep() {
    if (onTimer_) onTimer_();
}

void TCustomWindowTimer::ReportError(const std::exception& e) {
    if (onError_) onError_(e);
}

LRESULT TCustomWindowTimer::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        TimerStep();
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// TTrayIcon

TTrayIcon::TTrayIcon(TApplication& app, TForm& owner, std::string name)
    : TCustomWindowTimer(std::move(name), [&app](const std::exception& e) { app.ShowError(e.what()); }),
      app_(app),
      owner_(owner),
      taskbarCreatedMessage_(::RegisterWindowMessageW(L"TaskbarCreated")) {
    shellNotify_ = [](DWORD message, NOTIFYICONDATAW* data) {
        return ::Shell_NotifyIconW(message, data);
    };
    menuPopup_ = [](HMENU menu, int x, int y, HWND ownerWindow) {
        ::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, ownerWindow, nullptr);
    };
    // Icon cycling is not used: a do-nothing timer event, the timer off, 200 ms.
    SetOnTimer([] {});
    SetTimerEnabled(false);
    SetInterval(200);
    HookApplicationWindow();
}

TTrayIcon::~TTrayIcon() {
    // The icon leaves the notification area; the restore steps of HideIcon are left out, as
    // the windows they would show are being torn down.
    if (visible_) {
        try {
            HideIconSteps(false);
        } catch (const std::exception&) {
        }
    }
    UnhookApplicationWindow();
}

void TTrayIcon::SetHint(const std::string& hint) {
    if (Change(hint_, hint)) UpdateIcon();
}

void TTrayIcon::SetShowHint(bool show) {
    if (Change(showHint_, show)) UpdateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
    // The picture of the notification area's size when the icon has one (an icon loaded from
    // a resource keeps all its sizes), else the icon as it is.
    win::UniqueIcon copy;
    if (icon) {
        copy.reset(static_cast<HICON>(::CopyImage(icon, IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), LR_COPYFROMRESOURCE)));
        if (!copy) copy.reset(::CopyIcon(icon));
    }
    icon_ = std::move(copy);
    UpdateIcon();
}

void TTrayIcon::SetVisible(bool visible) {
    if (visible == visible_) return;
    if (visible)
        ShowIcon();
    else
        HideIcon();
}

void TTrayIcon::SetPopupMenu(HMENU menu, bool autoPopup) {
    popupMenu_ = menu;
    autoPopup_ = autoPopup;
}

void TTrayIcon::Loaded() {
    TCustomWindowTimer::Loaded();
    if (minimizeOnStart_) {
        app_.ShowMainForm = false;
        HideToTray();
    }
    // After HideToTray this is a second add of the same icon, which the shell refuses.
    if (visible_) ShowIcon();
}

void TTrayIcon::FillIconData() {
    iconData_.cbSize = kIconDataSize;
    iconData_.hWnd = WindowHandle();
    iconData_.uID = iconId_;
    iconData_.uFlags = flags_;
    iconData_.uCallbackMessage = TrayCallbackMessage;
    iconData_.hIcon = icon_.get();
    // The Windows-1251 tip widened: one character each, so the cut falls where it did.
    std::wmemset(iconData_.szTip, L'\0', std::size(iconData_.szTip));
    if (showHint_) {
        const std::wstring tip = win::Widen(hint_);
        const std::size_t n = std::min<std::size_t>(tip.size(), kTipLimit);
        std::wmemcpy(iconData_.szTip, tip.data(), n);
    }
}

// The shell's answer is not examined: a refused add, modify or delete changes nothing here.
void TTrayIcon::Notify(DWORD message) {
    FillIconData();
    if (shellNotify_) shellNotify_(message, &iconData_);
}

void TTrayIcon::InsertToTray() {
    try {
        Notify(NIM_ADD);
    } catch (...) {
        throw ETrayIcon(Name() + texts::kTrayInsertFailedSuffix);
    }
}

void TTrayIcon::DeleteFromTray() {
    try {
        Notify(NIM_DELETE);
    } catch (...) {
        throw ETrayIcon(Name() + texts::kTrayDeleteFailedSuffix);
    }
}

void TTrayIcon::UpdateIcon() { Notify(NIM_MODIFY); }

void TTrayIcon::ShowIcon() {
    flags_ |= NIF_ICON;
    InsertToTray();
    visible_ = true;
    if (OnShow) OnShow();
}

void TTrayIcon::HideIcon() { HideIconSteps(true); }

bool TTrayIcon::ShowBalloon(const std::string& title, const std::string& text) {
    if (!visible_ || !shellNotify_) return false;
    FillIconData();
    const std::wstring wideTitle = win::Widen(title);
    const std::wstring wideText = win::Widen(text);
    std::wmemset(iconData_.szInfoTitle, L'\0', std::size(iconData_.szInfoTitle));
    std::wmemset(iconData_.szInfo, L'\0', std::size(iconData_.szInfo));
    std::wmemcpy(iconData_.szInfoTitle, wideTitle.data(),
                 std::min<std::size_t>(wideTitle.size(), kBalloonTitleLimit));
    std::wmemcpy(iconData_.szInfo, wideText.data(), std::min<std::size_t>(wideText.size(), kBalloonTextLimit));
    iconData_.uFlags |= NIF_INFO;
    iconData_.dwInfoFlags = NIIF_INFO;
    iconData_.uTimeout = kBalloonTimeoutMs;
    const BOOL shown = shellNotify_(NIM_MODIFY, &iconData_);
    // The record is filled afresh for every call, but its balloon fields are not: empty them,
    // so that no later call shows this balloon again.
    iconData_.szInfoTitle[0] = L'\0';
    iconData_.szInfo[0] = L'\0';
    iconData_.dwInfoFlags = 0;
    return shown != FALSE;
}

void TTrayIcon::HideIconSteps(bool restore) {
    flags_ &= ~static_cast<UINT>(NIF_ICON);
    DeleteFromTray();
    visible_ = false;
    if (OnHide) OnHide();
    if (!restore) return;
    if (minimizeToTray_) RestoreApplication();
    if (!owner_.IsVisible()) owner_.Show();
}

void TTrayIcon::HideApplication() {
    HWND appWindow = app_.Handle();
    if (appWindow && ::IsWindow(appWindow) && ::IsWindowVisible(appWindow))
        ::ShowWindow(appWindow, SW_HIDE);
    if (TForm* mainForm = app_.MainForm()) mainForm->SetVisible(false);
}

void TTrayIcon::RestoreApplication() {
    HWND appWindow = app_.Handle();
    if (appWindow && ::IsWindow(appWindow)) ::ShowWindow(appWindow, SW_SHOWNORMAL);
    if (TForm* mainForm = app_.MainForm()) mainForm->SetVisible(true);
}

void TTrayIcon::HideToTray() {
    HideApplication();
    SetVisible(true);
    if (OnMinimize) OnMinimize();
}

void TTrayIcon::ShowPopupMenu() {
    if (!popupMenu_ || !autoPopup_) return;
    POINT pt{};
    ::GetCursorPos(&pt);
    win::ProcessMessages();
    HWND ownerWindow = owner_.Handle();
    // Foreground before and a null message after, so that the menu closes on a click outside.
    ::SetForegroundWindow(ownerWindow);
    if (menuPopup_) menuPopup_(popupMenu_, pt.x, pt.y, ownerWindow);
    ::PostMessageW(ownerWindow, WM_NULL, 0, 0);
    if (OnPopup) OnPopup();
}

void TTrayIcon::DblClick() {
    if (popupMenu_ && autoPopup_ && !popupByLeft_) {
        UINT item = ::GetMenuDefaultItem(popupMenu_, FALSE, 0);
        if (item != static_cast<UINT>(-1)) {
            ::SendMessageW(owner_.Handle(), WM_COMMAND, MAKEWPARAM(item, 0), 0);
            if (OnDblClick) OnDblClick();
            ::SetForegroundWindow(owner_.Handle());
            return;
        }
    }
    if (minimizeToTray_) {
        if (owner_.IsVisible())
            HideApplication();
        else
            RestoreApplication();
    }
    if (OnDblClick) OnDblClick();
}

void TTrayIcon::MouseMove(unsigned shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TTrayIcon::MouseDown(TMouseButton button, unsigned shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TTrayIcon::MouseUp(TMouseButton button, unsigned shift, int x, int y) {
    ::SetForegroundWindow(owner_.Handle());
    if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void TTrayIcon::Click() {
    if (OnClick) OnClick();
}

unsigned TTrayIcon::ShiftState() {
    unsigned shift = 0;
    if (::GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (::GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (::GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

LRESULT TTrayIcon::WindowProc(UINT msg, WPARAM wp, LPARAM lp) { return TrayWindowProc(msg, wp, lp); }

LRESULT TTrayIcon::TrayWindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == TrayCallbackMessage) {
        if (!enabled_) return 0;
        POINT pt{};
        ::GetCursorPos(&pt);
        const unsigned shift = ShiftState();
        const UINT mouse = static_cast<UINT>(lp);
        switch (mouse) {
        case WM_MOUSEMOVE:
            MouseMove(shift, pt.x, pt.y);
            break;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            const auto [button, flag] = ButtonOf(mouse);
            MouseDown(button, shift | flag, pt.x, pt.y);
            if (button == TMouseButton::mbLeft) leftButtonPressed_ = true;
            break;
        }
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP: {
            const auto [button, flag] = ButtonOf(mouse);
            const bool left = button == TMouseButton::mbLeft;
            // A click is a left release after a left press.
            const bool click = left && leftButtonPressed_;
            if (left) leftButtonPressed_ = false;
            MouseUp(button, shift | flag, pt.x, pt.y);
            if (click) Click();
            if (button == TMouseButton::mbRight || (left && popupByLeft_)) ShowPopupMenu();
            break;
        }
        case WM_LBUTTONDBLCLK:
            DblClick();
            break;
        case NIN_BALLOONSHOW:
        case NIN_BALLOONTIMEOUT:
        case NIN_BALLOONUSERCLICK:
            break;  // the limits' balloons need nothing when shown, timed out or clicked
        default:
            return ::DefWindowProcW(WindowHandle(), msg, wp, lp);
        }
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == taskbarCreatedMessage_ && msg != 0) {
        // The shell was restarted and forgot the icon: take it out and put it back.
        if (visible_) {
            HideIcon();
            ShowIcon();
        }
        return ::DefWindowProcW(WindowHandle(), msg, wp, lp);
    }
    return TCustomWindowTimer::WindowProc(msg, wp, lp);
}

// ---------------------------------------------------------------------------------------------
// The application-window hook

// The hook sits in the application window's subclass chain, keyed by the component, so
// several hooks on one window chain and can be removed in any order.
void TTrayIcon::HookApplicationWindow() {
    HWND appWindow = app_.Handle();
    if (!appWindow || !::IsWindow(appWindow)) return;
    if (win::SetSubclass(appWindow, &TTrayIcon::AppHookProc, reinterpret_cast<UINT_PTR>(this),
                           reinterpret_cast<DWORD_PTR>(this)))
        hookedWindow_ = appWindow;
}

void TTrayIcon::UnhookApplicationWindow() {
    if (!hookedWindow_) return;
    if (::IsWindow(hookedWindow_))
        win::RemoveSubclass(hookedWindow_, &TTrayIcon::AppHookProc, reinterpret_cast<UINT_PTR>(this));
    hookedWindow_ = nullptr;
}

LRESULT CALLBACK TTrayIcon::AppHookProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR,
                                        DWORD_PTR self) {
    return reinterpret_cast<TTrayIcon*>(self)->AppWindowHook(hwnd, msg, wp, lp);
}

LRESULT TTrayIcon::AppWindowHook(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SIZE && wp == SIZE_MINIMIZED && minimizeToTray_) {
        try {
            HideToTray();
        } catch (const std::exception& e) {
            ReportError(e);
        }
    }
    // The minimise itself goes on.
    return win::CallNextSubclass(hwnd, msg, wp, lp);
}

}  // namespace velkaro::shell
