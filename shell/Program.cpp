#include "shell/Program.h"

#include "win/StatisticsWindow.h"
#include "win/Utf16.h"

namespace velkaro::shell {

Program::Program(SystemPorts ports, ProgramOptions options)
    : app_(options.title, ports.dialogs), guard_(options.title) {
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

    // Until the statistics window exists (its start's messages run a message loop), there is
    // nothing to save or show.
    QuickInfoLinks links;
    links.save = [this] {
        if (statistics_) statistics_->Controller().SaveFiles();
    };
    links.showStatistics = [this] {
        if (statistics_) statistics_->Show();
    };
    links.quickInfoShown = [this] { return statistics_ && statistics_->Controller().QuickInfoShown(); };
    links.autostart = options.autostart;
    quickInfo_ = std::make_unique<QuickInfoWindow>(app_, links);
    app_.SetMainWindow(quickInfo_.get());
    tray_ = std::make_unique<TrayIcon>(app_, *quickInfo_, quickInfo_->Menu(), [this] { quickInfo_->ToggleFromTray(); },
                                       options.shellNotify);
    tray_->Add();

    win::StatisticsLinks statisticsLinks;
    statisticsLinks.refreshQuickInfo = [this](const std::vector<QuickInfoRow>& rows) { return quickInfo_->Refresh(rows); };
    statisticsLinks.showAbout = [this] {
        if (about_) about_->ShowAbout(statistics_ ? statistics_->Handle() : nullptr);
    };
    statisticsLinks.endRequest = [this] { app_.EndRequest(); };
    statisticsLinks.setTrayTip = [this](const std::string& tip) { tray_->SetTip(tip); };
    win::StatisticsOptions statisticsOptions;
    statisticsOptions.systemTimer = options.systemTimer;
    statisticsOptions.owner = app_.Handle();  // owned like every window: no taskbar button of its own
    statisticsOptions.notifier = tray_.get();  // the limits' warnings come as the tray's balloons
    statistics_ = std::make_unique<win::StatisticsWindow>(accounting_, ports, statisticsLinks, statisticsOptions);

    about_ = std::make_unique<AboutWindow>(app_);

    autosave_ = std::make_unique<Autosave>(
        [this] { statistics_->Controller().PeriodicSave(); },
        [this] { return accounting_.filesLoaded && !app_.EndRequested() && !quickInfo_->SessionEndPending(); },
        [this](const std::string& text) { app_.ShowError(text); });
    if (accounting_.filesLoaded) autosave_->Start(options.autosaveIntervalMs);
}

Program::~Program() {
    // Reverse order of creation; the tray icon leaves the notification area. No save.
    autosave_.reset();
    about_.reset();
    statistics_.reset();
    tray_.reset();
    quickInfo_.reset();
}

}  // namespace velkaro::shell
