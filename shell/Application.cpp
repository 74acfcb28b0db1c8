#include "shell/Application.h"

#include <stdexcept>
#include <string>

#include "core/Ports.h"
#include "win/Geometry.h"
#include "win/SystemPorts.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

// The application object of the running thread, for the show/hide watch. One at a time.
thread_local TApplication* tCurrent = nullptr;

}  // namespace

// ---------------------------------------------------------------- TForm

bool TForm::IsVisible() const { return Handle() && ::IsWindowVisible(Handle()); }

void TForm::SetVisible(bool visible) {
    if (!Handle()) return;
    ::ShowWindow(Handle(), visible ? SW_SHOW : SW_HIDE);
}

void TForm::BringToFront() {
    HWND hwnd = Handle();
    if (!hwnd) return;
    if (::IsIconic(hwnd)) ::ShowWindow(hwnd, SW_RESTORE);
    ::ShowWindow(hwnd, SW_SHOW);
    ::SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(hwnd);
}

bool TForm::Close() {
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return false;
    if (app_.MainForm() == this)
        app_.EndRequest();
    else
        Hide();
    return true;
}

void TForm::CreateForm(const wchar_t* className, const std::string& caption, DWORD style,
                       DWORD exStyle, int x, int y, int outerWidth, int outerHeight) {
    Create({className, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1), app_.Icon()},
           win::Widen(caption).c_str(), style, exStyle, x, y, outerWidth, outerHeight,
           app_.Handle());
}

LRESULT TForm::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        Close();
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

void TForm::MessageFailed(const std::exception& e) noexcept { app_.ShowError(e.what()); }

// ---------------------------------------------------------------- TApplication

TApplication::TApplication(HINSTANCE instance) : instance_(instance) {
    icon_ = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
    if (!icon_) icon_ = ::LoadIconW(nullptr, IDI_APPLICATION);
    // Zero-sized, centred, never shown by itself: its only visible part is the taskbar button.
    const POINT centre = win::CentredIn(win::ScreenRect(), 0, 0);
    Create({kClassName, nullptr, icon_}, L"",
           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, centre.x,
           centre.y, 0, 0, nullptr);
    ::SetWindowPos(Handle(), nullptr, centre.x, centre.y, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    showHook_ = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &TApplication::ShowHookProc, nullptr,
                                    ::GetCurrentThreadId());
    if (!showHook_)
        throw std::runtime_error("SetWindowsHookEx failed, error " + std::to_string(::GetLastError()));
    tCurrent = this;
}

TApplication::~TApplication() {
    if (showHook_) ::UnhookWindowsHookEx(showHook_);
    if (tCurrent == this) tCurrent = nullptr;
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (Handle()) ::SetWindowTextW(Handle(), win::Widen(title).c_str());
}

std::wstring TApplication::ExeName() const { return win::ExePath(); }

void TApplication::SetMainForm(TForm* form) {
    if (!mainForm_) mainForm_ = form;
}

void TApplication::EndRequest() {
    endRequested_ = true;
    ::PostQuitMessage(0);
}

void TApplication::ShowMessage(const std::string& text) {
    if (dialogs_) dialogs_->ShowMessage(text);
}

void TApplication::ShowError(const std::string& text) {
    if (dialogs_) dialogs_->ShowError(text);
}

int TApplication::Run() {
    if (ShowMainForm && mainForm_) mainForm_->Show();
    return win::RunMessageLoop();
}

bool TApplication::AnyFormVisible() const {
    struct Search {
        HWND owner;
        bool found;
    } search{Handle(), false};
    struct Visit {
        static BOOL CALLBACK Proc(HWND w, LPARAM lp) {
            auto* s = reinterpret_cast<Search*>(lp);
            if (::GetWindow(w, GW_OWNER) == s->owner && ::IsWindowVisible(w)) {
                s->found = true;
                return FALSE;
            }
            return TRUE;
        }
    };
    ::EnumThreadWindows(::GetCurrentThreadId(), &Visit::Proc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void TApplication::UpdateVisible() {
    if (!Handle() || updating_) return;
    const bool actual = ::IsWindowVisible(Handle()) != FALSE;
    if (actual != setVisible_) return;  // shown or hidden by someone else: leave it so
    const bool want = AnyFormVisible();
    if (want == actual) return;
    updating_ = true;
    ::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (want ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    setVisible_ = want;
    updating_ = false;
}

LRESULT CALLBACK TApplication::ShowHookProc(int code, WPARAM wp, LPARAM lp) {
    TApplication* app = tCurrent;
    if (code == HC_ACTION && app && app->Handle()) {
        const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lp);
        if (ret->message == WM_WINDOWPOSCHANGED && ret->hwnd != app->Handle()) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(ret->lParam);
            if ((pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) &&
                ::GetWindow(ret->hwnd, GW_OWNER) == app->Handle())
                app->UpdateVisible();
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT TApplication::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        // A close request to the application closes the main form.
        if (mainForm_)
            mainForm_->Close();
        else
            EndRequest();
        return 0;
    case WM_SETFOCUS: {
        // Activated through its taskbar button: hand the focus to the last active form.
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

void TApplication::MessageFailed(const std::exception& e) noexcept { ShowError(e.what()); }

}  // namespace velkaro::shell
