#include "win/Window.h"

#include <stdexcept>
#include <string>
#include <utility>

#include "win/Utf16.h"

namespace velkaro::win {

void ThrowLastError(const char* call, const wchar_t* subject) {
    const DWORD error = ::GetLastError();  // before another call can overwrite it
    const std::string what = subject ? std::string(call) + "(" + Narrow(subject) + ")" : std::string(call);
    throw std::runtime_error(what + " failed, error " + std::to_string(error));
}

namespace {

BOOL CALLBACK CollectWindow(HWND w, LPARAM windows) {
    reinterpret_cast<std::vector<HWND>*>(windows)->push_back(w);
    return TRUE;
}

}  // namespace

void RegisterWindowClass(const WindowClass& cls) {
    const HINSTANCE module = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (::GetClassInfoExW(module, cls.name, &wc)) return;
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::Procedure;
    wc.hInstance = module;
    wc.hIcon = cls.icon;
    wc.hIconSm = cls.icon;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = cls.background;
    wc.lpszClassName = cls.name;
    if (!::RegisterClassExW(&wc)) ThrowLastError("RegisterClassEx", cls.name);
}

void Window::Create(const WindowClass& cls, const wchar_t* text, DWORD style, DWORD exStyle,
                    int x, int y, int width, int height, HWND parent) {
    RegisterWindowClass(cls);
    // The procedure stores the handle at WM_NCCREATE.
    if (!::CreateWindowExW(exStyle, cls.name, text, style, x, y, width, height, parent, nullptr,
                           ::GetModuleHandleW(nullptr), this))
        ThrowLastError("CreateWindowEx", cls.name);
}

void Window::Destroy() noexcept {
    if (!hwnd_) return;
    HWND hwnd = std::exchange(hwnd_, nullptr);
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    ::DestroyWindow(hwnd);
}

LRESULT Window::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcW(hwnd_, msg, wp, lp);
}

void Window::MessageFailed(const std::exception&) noexcept { std::terminate(); }

LRESULT CALLBACK Window::Procedure(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    // Before WM_NCCREATE (WM_GETMINMAXINFO) and once detached: no object.
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    try {
        return self->WindowProc(msg, wp, lp);
    } catch (const std::exception& e) {
        self->MessageFailed(e);
        return 0;
    }
}

UniqueMenu LoadPopupMenu(const wchar_t* name) {
    UniqueMenu bar(::LoadMenuW(::GetModuleHandleW(nullptr), name));
    HMENU popup = bar ? ::GetSubMenu(bar.get(), 0) : nullptr;
    // Removed from the bar, the popup outlives the bar's destruction.
    return UniqueMenu(popup && ::RemoveMenu(bar.get(), 0, MF_BYPOSITION) ? popup : nullptr);
}

std::vector<HWND> ThreadWindows() {
    std::vector<HWND> windows;
    ::EnumThreadWindows(::GetCurrentThreadId(), &CollectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

}  // namespace velkaro::win
