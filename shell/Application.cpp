#include "shell/Application.h"

#include <algorithm>

#include "core/Ports.h"
#include "win/SystemPorts.h"
#include "win/WindowObject.h"
#include "win/Utf16.h"

namespace velkaro::shell {

namespace {

// The application object of the running thread, for the show/hide watch. One at a time.
thread_local TApplication* tCurrent = nullptr;

void RegisterClassOnce(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon,
                       HBRUSH background) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (::GetClassInfoExW(instance, name, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hIconSm = icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    ::RegisterClassExW(&wc);
}

}  // namespace

// ---------------------------------------------------------------- TForm

TForm::TForm(TApplication& app) : app_(app) {}

TForm::~TForm() {
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
        hwnd_ = nullptr;
    }
}

bool TForm::IsVisible() const { return hwnd_ && ::IsWindowVisible(hwnd_); }

void TForm::SetVisible(bool visible) {
    if (!hwnd_) return;
    ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void TForm::BringToFront() {
    if (!hwnd_) return;
    if (::IsIconic(hwnd_)) ::ShowWindow(hwnd_, SW_RESTORE);
    ::ShowWindow(hwnd_, SW_SHOW);
    ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::SetForegroundWindow(hwnd_);
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
    RegisterClassOnce(app_.Instance(), className, &TForm::StaticWndProc, app_.Icon(),
                      reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    ::CreateWindowExW(exStyle, className, win::Widen(caption).c_str(), style, x, y, outerWidth,
                      outerHeight, app_.Handle(), nullptr, app_.Instance(), this);
}

LRESULT TForm::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        Close();
        return 0;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK TForm::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* form = win::WindowObject<TForm>(hwnd, msg, lp);
    if (!form) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) form->hwnd_ = hwnd;
    if (msg == WM_NCDESTROY) {
        form->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return form->WndProc(msg, wp, lp);
}

// ---------------------------------------------------------------- TApplication

TApplication::TApplication(HINSTANCE instance) : instance_(instance) {
    icon_ = ::LoadIconW(instance_, MAKEINTRESOURCEW(1));
    if (!icon_) icon_ = ::LoadIconW(nullptr, IDI_APPLICATION);
    RegisterClassOnce(instance_, kClassName, &TApplication::StaticWndProc, icon_, nullptr);
    // Zero-sized, centred, never shown by itself: its only visible part is the taskbar button.
    const int cx = ::GetSystemMetrics(SM_CXSCREEN) / 2;
    const int cy = ::GetSystemMetrics(SM_CYSCREEN) / 2;
    ::CreateWindowExW(0, kClassName, L"",
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, cx, cy,
                      0, 0, nullptr, nullptr, instance_, this);
    if (hwnd_) ::SetWindowPos(hwnd_, nullptr, cx, cy, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    tCurrent = this;
    showHook_ = ::SetWindowsHookExW(WH_CALLWNDPROCRET, &TApplication::ShowHookProc, nullptr,
                                    ::GetCurrentThreadId());
}

TApplication::~TApplication() {
    if (showHook_) ::UnhookWindowsHookEx(showHook_);
    if (tCurrent == this) tCurrent = nullptr;
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void TApplication::SetTitle(const std::string& title) {
    title_ = title;
    if (hwnd_) ::SetWindowTextW(hwnd_, win::Widen(title).c_str());
}

std::wstring TApplication::ExeName() const { return win::ExePath(); }

void TApplication::SetMainForm(TForm* form) {
    if (!mainForm_) mainForm_ = form;
}

void TApplication::EndRequest() {
    endRequested_ = true;
    ::PostQuitMessage(0);
}

void TApplication::ShowError(const std::string& text) {
    if (dialogs_) dialogs_->ShowError(text);
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

int TApplication::Run() {
    if (ShowMainForm && mainForm_) mainForm_->Show();
    MSG msg{};
    for (;;) {
        BOOL r = ::GetMessageW(&msg, nullptr, 0, 0);
        if (r == 0) return static_cast<int>(msg.wParam);
        if (r == -1) return 1;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
        if (loopIdle_) loopIdle_();
    }
}

int TApplication::AddMessageHook(MessageHook hook) {
    hooks_.push_back({nextHookId_, std::move(hook)});
    return nextHookId_++;
}

void TApplication::RemoveMessageHook(int id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const Hook& h) { return h.id == id; }),
                 hooks_.end());
}

bool TApplication::AnyFormVisible() const {
    struct Search {
        HWND owner;
        bool found;
    } search{hwnd_, false};
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
    if (!hwnd_ || updating_) return;
    const bool actual = ::IsWindowVisible(hwnd_) != FALSE;
    if (actual != setVisible_) return;  // shown or hidden by someone else: leave it so
    const bool want = AnyFormVisible();
    if (want == actual) return;
    updating_ = true;
    ::SetWindowPos(hwnd_, nullptr, 0, 0, 0, 0,
                   SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                       (want ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    setVisible_ = want;
    updating_ = false;
}

LRESULT CALLBACK TApplication::ShowHookProc(int code, WPARAM wp, LPARAM lp) {
    TApplication* app = tCurrent;
    if (code == HC_ACTION && app && app->hwnd_) {
        const auto* ret = reinterpret_cast<const CWPRETSTRUCT*>(lp);
        if (ret->message == WM_WINDOWPOSCHANGED && ret->hwnd != app->hwnd_) {
            const auto* pos = reinterpret_cast<const WINDOWPOS*>(ret->lParam);
            if ((pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)) &&
                ::GetWindow(ret->hwnd, GW_OWNER) == app->hwnd_)
                app->UpdateVisible();
        }
    }
    return ::CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK TApplication::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* app = win::WindowObject<TApplication>(hwnd, msg, lp);
    if (!app) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCCREATE) app->hwnd_ = hwnd;
    if (msg == WM_NCDESTROY) {
        app->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    return app->WndProc(msg, wp, lp);
}

LRESULT TApplication::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Copy: a hook may remove itself.
    const std::vector<Hook> hooks = hooks_;
    for (const Hook& h : hooks) h.fn(msg, wp, lp);
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
        HWND last = ::GetLastActivePopup(hwnd_);
        if (last && last != hwnd_ && ::IsWindowVisible(last) && ::IsWindowEnabled(last)) {
            ::SetFocus(last);
            return 0;
        }
        break;
    }
    default:
        break;
    }
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velkaro::shell
