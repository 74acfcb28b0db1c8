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

Autosave::~Autosave() { Stop(); }

void Autosave::Start(unsigned intervalMs) {
    Stop();
    interval_ = intervalMs;
    if (intervalMs == 0) return;
    running_ = ::SetTimer(Handle(), kTimerId, intervalMs, nullptr) != 0;
}

void Autosave::Stop() {
    if (running_) ::KillTimer(Handle(), kTimerId);
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

LRESULT Autosave::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        due_ = true;
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::shell
