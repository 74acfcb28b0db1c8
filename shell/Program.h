// The program's start-up, run and end: the application window with its title, the
// single-instance guard (a refused start says so, brings the other instance forward and ends
// here), the traffic meter, the windows that draw it (Fast INFO with the tray icon, the
// statistics window, the about window), its two timers (the tick and the periodic save) on the
// application window, the message loop; at the end the windows go in reverse order (no save
// there).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/Ports.h"
#include "app/TrafficMeter.h"
#include "core/Texts.h"
#include "shell/Autostart.h"
#include "shell/SingleInstance.h"
#include "ui/AboutWindow.h"
#include "ui/Application.h"
#include "ui/QuickInfoWindow.h"
#include "ui/TrayIcon.h"

namespace velkaro::ui {
class StatisticsWindow;
}

namespace velkaro::shell {

struct ProgramOptions {
    std::string title = texts::kAppTitle;
    static constexpr unsigned kDefaultSaveIntervalMs = 5 * 60 * 1000;
    unsigned autosaveIntervalMs = kDefaultSaveIntervalMs;  // 0: no timer (tests save themselves)
    bool systemTimer = true;  // false: the tick's timer is only a flag (tests tick themselves)
    // Start with Windows, for the tray menu (the Run key in the real program); none: the menu
    // item is there but does nothing.
    ui::AutostartSetting* autostart = nullptr;
    ui::TrayIcon::ShellNotify shellNotify;  // none: Shell_NotifyIconW
    // The refusal's message; none: the message box over the application window.
    std::function<void(const std::string&)> showRefusal;
};

// The windows are the meter's screen: each snapshot goes to the statistics window (its panel),
// Fast INFO (its rows) and the tray icon (its tip); the panel is laid out for the statistics
// window's sizes and text widths.
class Program : private Screen, private TickTimer {
public:
    static constexpr UINT_PTR kTickTimer = 1;
    static constexpr UINT_PTR kSaveTimer = 2;

    Program(SystemPorts ports, ProgramOptions options = {});
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The message loop; 0 at once after a refused start.
    int Run() { return Refused() ? 0 : app_.Run(); }
    // One tick, as the timer runs it: none while the timer is off.
    void Tick();
    // One periodic save, as its timer runs it: none while the program ends.
    void PeriodicSave();

    bool Refused() const { return !guard_.First(); }
    unsigned SaveInterval() const { return saveInterval_; }  // 0 while no timer runs
    ui::Application& App() { return app_; }
    TrafficMeter& Meter() { return *meter_; }
    Accounting& State() { return meter_->State(); }
    ui::QuickInfoWindow& QuickInfo() { return *quickInfo_; }
    ui::TrayIcon& Tray() { return *tray_; }
    ui::StatisticsWindow& Statistics() { return *statistics_; }
    ui::AboutWindow& About() { return *about_; }

private:
    // Screen: the statistics window's sizes, the snapshots to every window.
    int OuterWidth() override;
    int OuterHeight() override;
    void SetOuterWidth(int width) override;
    int ImageWidth() override;
    int ImageHeight() override;
    int TextWidth(const std::string& text) override;
    void Started() override;
    void ShowPanel(const StatisticsPanel& panel) override;
    void Show(const Snapshot& snapshot) override;
    bool ShowBalloon(const std::string& title, const std::string& text) override;
    void EndRequest() override;
    // TickTimer: a timer disabled is only marked, and killed when its message still comes.
    void SetEnabled(bool enabled) override;

    ui::Application app_;
    SingleInstance guard_;
    bool systemTimer_ = true;
    bool tickTimerOn_ = false;
    unsigned saveInterval_ = 0;
    std::unique_ptr<TrafficMeter> meter_;
    std::unique_ptr<ui::QuickInfoWindow> quickInfo_;
    std::unique_ptr<ui::TrayIcon> tray_;
    std::unique_ptr<ui::StatisticsWindow> statistics_;
    std::unique_ptr<ui::AboutWindow> about_;
};

}  // namespace velkaro::shell
