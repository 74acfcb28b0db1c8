#include "shell/Autosave.h"

#include "core/AppError.h"

namespace velkaro::shell {

namespace {
constexpr UINT_PTR kTimerId = 1;
}  // namespace

Autosave::Autosave(std::function<void()> save, std::function<bool()> allowed,
                   std::function<void(const std::string&)> showError)
    : save_(std::move(save)), allowed_(std::move(allowed)), showError_(std::move(showError)) {
    Create({L"VelkaroAutosave"}, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
}

Autosave::~Autosave() {
    if (interval_) ::KillTimer(Handle(), kTimerId);
}

void Autosave::Start(unsigned intervalMs) {
    if (intervalMs && ::SetTimer(Handle(), kTimerId, intervalMs, nullptr)) interval_ = intervalMs;
}

void Autosave::Tick() {
    if (allowed_ && !allowed_()) return;
    try {
        save_();
        failing_ = false;
    } catch (const AppError& e) {
        if (failing_) return;
        // Marked before the box opens: the saves that come while it is open stay quiet.
        failing_ = true;
        if (showError_) showError_(e.what());
    }
}

LRESULT Autosave::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        Tick();
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::shell
