#include "ui/Application.h"

#include <algorithm>
#include <string>
#include <utility>

#include "app/Ports.h"

namespace velkaro::ui {

namespace {

// For the show/hide hook, which has no context of its own; one at a time.
thread_local Application* tCurrent = nullptr;

}  // namespace

// ---- the program's windows ----

bool AppWindow::IsVisible() const { return Handle() && ::IsWindowVisible(Handle()); }

void AppWindow::Show() { ::ShowWindow(Handle(), SW_SHOW); }

void AppWindow::Hide() {
    const HWND opener = std::exchange(opener_, nullptr);
    // Hidden by itself the system would activate the owner, the hidden application window,
    // and the keys would go nowhere.
    if (opener && ::GetForegroundWindow() == Handle() && ::IsWindowVisible(opener) && ::IsWindowEnabled(opener))
        ::SetForegroundWindow(opener);
    ::ShowWindow(Handle(), SW_HIDE);
}

void AppWindow::BringToFrontFrom(HWND opener) {
    BringToFront();
    opener_ = opener;
}

void AppWindow::BringToFront() {
    HWND hwnd = Handle();
    if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(hwnd);
}

void AppWindow::CreateOwned(const wchar_t* className, const std::string& caption, DWORD style, DWORD exStyle,
                            int x, int y, int clientWidth, int clientHeight, HBRUSH background) {
    const SIZE outer = win::OuterSize(dpi_.Px(clientWidth), dpi_.Px(clientHeight), style, exStyle, dpi_);
    Create({className, background, app_.Icon()}, win::Widen(caption).c_str(),
           style, exStyle, x, y, outer.cx, outer.cy, app_.Handle());
    // Its place may be on a monitor of another DPI than the system's.
    if (const win::Dpi dpi = win::WindowDpi(Handle()); dpi != dpi_) {
        dpi_ = dpi;
        const SIZE size = win::OuterSize(dpi_.Px(clientWidth), dpi_.Px(clientHeight), style, exStyle, dpi_);
        win::SetOuterSize(Handle(), size.cx, size.cy);
    }
}

LRESULT AppWindow::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if ((msg == WM_SETTINGCHANGE && wp == SPI_SETWORKAREA) || msg == WM_DISPLAYCHANGE) Place();
    if (msg == WM_CLOSE) {
        Hide();  // the close box only hides it; the main window's ends the program
        return 0;
    }
    if (msg == WM_DPICHANGED) {
        SetDpi(win::Dpi(LOWORD(wp)));
        const RECT& r = *reinterpret_cast<const RECT*>(lp);
        ::SetWindowPos(Handle(), nullptr, r.left, r.top, win::Width(r), win::Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
        DpiMoved();
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

void AppWindow::MessageFailed(const std::exception& e) noexcept { app_.Dialogs().ShowError(e.what()); }

// ---- the application window ----

Application::Application(const std::string& title, velkaro::Dialogs& dialogs) : dialogs_(dialogs) {
    icon_ = ::LoadIconW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    if (!icon_) icon_ = ::LoadIconW(nullptr, IDI_APPLICATION);
    // Never shown by itself: its only visible part is the taskbar button.
    const POINT centre = win::CentredIn(win::ScreenRect(), 0, 0);
    Create({kClassName, nullptr, icon_}, win::Widen(title).c_str(),
           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, centre.x, centre.y, 0, 0,
           nullptr);
    ::SetWindowPos(Handle(), nullptr, centre.x, centre.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    showHook_ = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &Application::ShowHookProc, nullptr, ::GetCurrentThreadId());
    if (!showHook_) win::ThrowLastError("SetWindowsHookEx");
    tCurrent = this;
}

Application::~Application() {
    ::UnhookWindowsHookEx(showHook_);
    if (tCurrent == this) tCurrent = nullptr;
}

void Application::HideToTray() {
    if (::IsWindowVisible(Handle())) ::ShowWindow(Handle(), SW_HIDE);
    if (main_) main_->Hide();
}

void Application::RestoreFromTray() {
    ::ShowWindow(Handle(), SW_SHOWNORMAL);
    if (main_) main_->Show();
}

void Application::EndRequest() {
    endRequested_ = true;
    ::PostQuitMessage(0);
}

int Application::Run() {
    MSG msg{};
    BOOL got;  // 0 for the quit message, -1 when it fails
    while ((got = ::GetMessageW(&msg, nullptr, 0, 0)) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return got == 0 ? static_cast<int>(msg.wParam) : 1;
}

bool Application::StartTimer(UINT_PTR id, unsigned ms, std::function<void()> onTimer) {
    if (!::SetTimer(Handle(), id, ms, nullptr)) return false;
    timers_[id] = std::move(onTimer);
    return true;
}

void Application::StopTimer(UINT_PTR id) {
    if (timers_.erase(id)) ::KillTimer(Handle(), id);
}

void Application::UpdateVisible() {
    if (!Handle() || updating_) return;
    const bool actual = ::IsWindowVisible(Handle()) != FALSE;
    if (actual != setVisible_) return;  // shown or hidden by someone else: leave it so
    // Shown while one of the windows it owns is.
    const bool want = std::ranges::any_of(win::ThreadWindows(), [this](HWND w) {
        return ::GetWindow(w, GW_OWNER) == Handle() && ::IsWindowVisible(w);
    });
    if (want == actual) return;
    updating_ = true;
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | (want ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    setVisible_ = want;
    updating_ = false;
}

LRESULT CALLBACK Application::ShowHookProc(int code, WPARAM wp, LPARAM lp) {
    Application* app = tCurrent;
    if (code == HC_ACTION && app && app->Handle()) {
        const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lp);
        if (ret->message == WM_WINDOWPOSCHANGED && ret->hwnd != app->Handle()) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(ret->lParam);
            if ((pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) && ::GetWindow(ret->hwnd, GW_OWNER) == app->Handle())
                app->UpdateVisible();
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT Application::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        // The minimise itself goes on.
        if (wp == SIZE_MINIMIZED) HideToTray();
        break;
    case WM_CLOSE:
        if (main_)
            ::SendMessageW(main_->Handle(), WM_CLOSE, 0, 0);
        else
            EndRequest();
        return 0;
    case WM_TIMER:
        if (const auto it = timers_.find(wp); it != timers_.end()) {
            const std::function<void()> onTimer = it->second;  // it may stop or start timers
            onTimer();
            return 0;
        }
        break;
    case WM_SETFOCUS: {
        HWND last = ::GetLastActivePopup(Handle());
        if (last && last != Handle() && ::IsWindowVisible(last) && ::IsWindowEnabled(last)) {
            ::SetFocus(last);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return Window::WindowProc(msg, wp, lp);
}

void Application::MessageFailed(const std::exception& e) noexcept { dialogs_.ShowError(e.what()); }

}  // namespace velkaro::ui
