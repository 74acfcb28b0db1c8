#include "shell/Program.h"

#include "core/Files.h"
#include "ui/SpeedGraphWindow.h"
#include "ui/StatisticsWindow.h"
#include "win/Utf16.h"

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
    ui::QuickInfoLinks links;
    links.save = [this] { meter_->SaveFiles(); };
    links.showStatistics = [this] { statistics_->BringToFront(); };
    links.autostart = options.autostart;
    links.showGraph = [this] { graph_->ShowFor(std::nullopt, quickInfo_->Handle()); };
    links.switchTrayActivity = [this] { meter_->Run(Command::TrayActivity); };
    links.trayActivityOn = [this] { return meter_->State().TrayActivity(); };
    quickInfo_ = std::make_unique<ui::QuickInfoWindow>(app_, links);
    app_.SetMainWindow(quickInfo_.get());
    tray_ = std::make_unique<ui::TrayIcon>(app_, *quickInfo_, quickInfo_->Menu(), [this] { quickInfo_->ToggleFromTray(); },
                                       options.shellNotify);
    tray_->Add();
    statistics_ = std::make_unique<ui::StatisticsWindow>(
        app_, *meter_, [this] { about_->ShowAbout(statistics_->Handle()); },
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
    // Reverse order of creation; the tray icon leaves the notification area. No save.
    app_.StopTimer(kTickTimer);
    app_.StopTimer(kSaveTimer);
    graph_.reset();
    about_.reset();
    statistics_.reset();
    tray_.reset();
    quickInfo_.reset();
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

// ---- the meter's screen ----

int Program::OuterWidth() { return statistics_->OuterWidth(); }
int Program::OuterHeight() { return statistics_->OuterHeight(); }
void Program::SetOuterWidth(int width) { statistics_->SetOuterWidth(width); }
int Program::ImageWidth() { return statistics_->ImageWidth(); }
int Program::ImageHeight() { return statistics_->ImageHeight(); }
int Program::TextWidth(const std::string& text) { return statistics_->TextWidth(text); }
void Program::Started() { statistics_->SetWhite(); }
void Program::ShowPanel(const StatisticsPanel& panel) { statistics_->ShowPanel(panel); }

void Program::Show(const Snapshot& snapshot) {
    statistics_->ShowPanel(snapshot.panel);
    quickInfo_->Refresh(snapshot.panel.QuickInfoRows());
    tray_->Show(snapshot.tip, snapshot.activity);
    graph_->Refresh();
}

bool Program::ShowBalloon(const std::string& title, const std::string& text) { return tray_->ShowBalloon(title, text); }

void Program::EndRequest() { app_.EndRequest(); }

}  // namespace velkaro::shell
