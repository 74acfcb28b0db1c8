#include "shell/Autosave.h"

#include "core/AppError.h"

namespace velkaro::shell {

namespace {
constexpr wchar_t kClassName[] = L"VelkaroAutosave";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

Autosave::Autosave(std::function<void()> save, std::function<bool()> allowed,
                   std::function<void(const std::string&)> showError)
    : save_(std::move(save)), allowed_(std::move(allowed)), showError_(std::move(showError)) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (!::GetClassInfoExW(instance, kClassName, &wc)) {
        wc = WNDCLASSEXW{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = &Autosave::WndProc;
        wc.hInstance = instance;
        wc.lpszClassName = kClassName;
        ::RegisterClassExW(&wc);
    }
    hwnd_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Autosave::~Autosave() {
    Stop();
    if (hwnd_) {
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        ::DestroyWindow(hwnd_);
    }
}

void Autosave::Start(unsigned intervalMs) {
    Stop();
    interval_ = intervalMs;
    if (intervalMs == 0 || !hwnd_) return;
    running_ = ::SetTimer(hwnd_, kTimerId, intervalMs, nullptr) != 0;
}

void Autosave::Stop() {
    if (running_ && hwnd_) ::KillTimer(hwnd_, kTimerId);
    running_ = false;
}

void Autosave::Tick() {
    if (busy_) return;  // the error box of the last one is still open
    if (allowed_ && !allowed_()) return;
    busy_ = true;
    try {
        save_();
        ++saves_;
        failing_ = false;
    } catch (const AppError& e) {
        ++failures_;
        if (!failing_) {
            failing_ = true;
            if (showError_) showError_(e.what());
        }
    }
    busy_ = false;
}

LRESULT CALLBACK Autosave::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        if (auto* self = reinterpret_cast<Autosave*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA))) self->due_ = true;
        return 0;
    }
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace velkaro::shell
