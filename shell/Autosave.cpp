#include "shell/Autosave.h"

#include <algorithm>

#include "core/AppError.h"

namespace velkaro::shell {

namespace {
constexpr UINT_PTR kTimerId = 1;
}  // namespace

Autosave::Autosave(std::function<void()> save, std::function<bool()> allowed,
                   std::function<bool()> busy, std::function<void(const std::string&)> showError)
    : save_(std::move(save)),
      allowed_(std::move(allowed)),
      busy_(std::move(busy)),
      showError_(std::move(showError)) {
    Create({L"VelkaroAutosave"}, L"", 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
}

Autosave::~Autosave() { Stop(); }

void Autosave::Start(unsigned intervalMs) {
    Stop();
    interval_ = intervalMs;
    if (intervalMs == 0) return;
    running_ = ::SetTimer(Handle(), kTimerId, intervalMs, nullptr) != 0;
    period_ = running_ ? intervalMs : 0;
}

void Autosave::Stop() {
    if (running_) ::KillTimer(Handle(), kTimerId);
    running_ = false;
    period_ = 0;
}

void Autosave::SetPeriod(unsigned ms) {
    if (!running_ || period_ == ms) return;
    // The same timer with a new period; should Windows refuse, the old one goes on.
    if (::SetTimer(Handle(), kTimerId, ms, nullptr)) period_ = ms;
}

void Autosave::Tick() {
    if (saving_) return;  // the error box of the last one is still open
    // Busy first: in the middle of a reload the files count as not loaded, but only for now.
    if (busy_ && busy_()) {
        ++heldBack_;
        SetPeriod(std::min(kRetryMs, interval_));
        return;
    }
    SetPeriod(interval_);
    if (allowed_ && !allowed_()) return;
    saving_ = true;
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
    saving_ = false;
}

LRESULT Autosave::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        Tick();
        return 0;
    }
    return Window::WindowProc(msg, wp, lp);
}

}  // namespace velkaro::shell
