#include "shell/Program.h"

#include <algorithm>

#include "core/Files.h"

namespace velkaro::shell {

Program::Program(SystemPorts ports, ProgramOptions options)
    : app_(options.title, ports.dialogs), guard_(options.title), systemTimer_(options.systemTimer) {
    if (Refused()) {
        const std::string text = texts::kAlreadyRunning;
        if (options.showRefusal)
            options.showRefusal(text);
        else
            ::MessageBoxExW(app_.Handle(), win::Widen(text).c_str(), win::Widen(options.title).c_str(),
                            MB_OK | MB_ICONEXCLAMATION, 0);
        BringForward(FindOtherInstance(options.title, app_.Handle()));
        return;
    }

    meter_ = std::make_unique<TrafficMeter>(MeterPorts{ports, *this, *this});
    quickInfo_ = std::make_unique<ui::QuickInfoWindow>(
        app_, *meter_, options.autostart, [this] { statistics_->BringToFront(); },
        [this] { graph_->ShowFor(std::nullopt, quickInfo_->Handle()); });
    app_.SetMainWindow(quickInfo_.get());
    tray_ = std::make_unique<ui::TrayIcon>(app_, *quickInfo_, quickInfo_->Menu(), [this] { quickInfo_->ToggleFromTray(); },
                                       options.shellNotify);
    tray_->Add();
    statistics_ = std::make_unique<ui::StatisticsWindow>(
        app_, *meter_, [this] { about_->BringToFrontFrom(statistics_->Handle()); },
        [this](const std::string& adapter) { graph_->ShowFor(adapter, statistics_->Handle()); });
    about_ = std::make_unique<ui::AboutWindow>(app_);
    graph_ = std::make_unique<ui::SpeedGraphWindow>(app_, *meter_);

    // What the start asks or says comes from the statistics window, hidden as it is.
    statistics_->Run([this] { meter_->Start(); });
    if (meter_->Files().loaded && options.autosaveIntervalMs &&
        app_.StartTimer(kSaveTimer, options.autosaveIntervalMs, [this] { PeriodicSave(); }))
        saveInterval_ = options.autosaveIntervalMs;
}

Program::~Program() {
    // The windows then go in reverse order of creation, as members do; the tray icon leaves the
    // notification area. No save.
    app_.StopTimer(kTickTimer);
    app_.StopTimer(kSaveTimer);
}

void Program::Tick() {
    if (!tickTimerOn_) {
        // A WM_TIMER taken after the timer was stopped starts no tick.
        app_.StopTimer(kTickTimer);
        return;
    }
    statistics_->Run([this] { meter_->Tick(); });
}

void Program::PeriodicSave() {
    // Not while the program ends, nor between a session end's save and its end.
    if (app_.EndRequested() || quickInfo_->SessionEndPending()) return;
    meter_->PeriodicSave();
}

void Program::SetEnabled(bool enabled) {
    // Setting the timer anew restarts its interval, so a disabled timer is only marked: the tick
    // disables and enables it every second.
    tickTimerOn_ = enabled;
    if (!enabled || !systemTimer_) return;
    if (!app_.StartTimer(kTickTimer, 1000, [this] { Tick(); })) {
        tickTimerOn_ = false;
        throw AppError(texts::kNoTimers);
    }
}

void Program::Show(const Snapshot& snapshot) {
    statistics_->ShowPanel(snapshot.panel);
    quickInfo_->Refresh(snapshot.panel.QuickInfoRows());
    tray_->Show(snapshot.tip, snapshot.activity);
    graph_->Refresh();
}

// ---- one instance ----

SingleInstance::SingleInstance(const std::string& title) {
    std::string base = title + ".OneInstance.";
    std::replace(base.begin(), base.end(), '\\', '/');
    // Given back and closed when the check is over, whatever its outcome.
    const win::UniqueMutex lock(::CreateMutexW(nullptr, TRUE, win::Widen(base + "CriticalSection").c_str()));
    if (::GetLastError() != 0 || !lock) return;
    instance_.reset(::CreateMutexW(nullptr, FALSE, win::Widen(base + "Default").c_str()));
    // WAIT_OBJECT_0 and WAIT_ABANDONED both give this thread the mutex; a failed create makes
    // the wait fail (WAIT_FAILED): counted as the first instance as well.
    first_ = ::WaitForSingleObject(instance_.get(), 0) != WAIT_TIMEOUT;
}

HWND FindOtherInstance(const std::string& title, HWND own) {
    const std::wstring text = win::Widen(title);
    HWND w = nullptr;
    while ((w = ::FindWindowExW(nullptr, w, ui::Application::kClassName, text.c_str())) != nullptr)
        if (w != own) return w;
    return nullptr;
}

void BringForward(HWND other) {
    if (!other || !::IsWindow(other)) return;
    if (::IsIconic(other))
        ::OpenIcon(other);
    else
        ::SetForegroundWindow(other);
}

}  // namespace velkaro::shell
