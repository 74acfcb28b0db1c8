// The program's start, run and end: it builds the windows around the traffic meter, runs the
// tick and save timers and the message loop, and takes the windows down in reverse order (the
// save on exit is the windows' own); before all that, the guard that refuses a second start.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/Ports.h"
#include "app/TrafficMeter.h"
#include "core/Texts.h"
#include "shell/Autostart.h"
#include "ui/AboutWindow.h"
#include "ui/Application.h"
#include "ui/QuickInfoWindow.h"
#include "ui/SpeedGraphWindow.h"
#include "ui/StatisticsWindow.h"
#include "ui/TrayIcon.h"

namespace velkaro::shell {

// The single-instance guard: two mutexes named after the title, a short-lived lock around the
// check (".OneInstance.CriticalSection", created owned: finding it refuses at once) and the
// instance mutex (".OneInstance.Default"), kept by the first instance until the guard goes.
class SingleInstance {
public:
    // title: Windows-1251.
    explicit SingleInstance(const std::string& title);
    // False when another instance runs, or is in the middle of this check. An instance mutex that
    // cannot be had counts as the first.
    bool First() const { return first_; }

private:
    win::UniqueMutex instance_;
    bool first_ = false;
};

// Class "TApplication", text the title, not our own.
HWND FindOtherInstance(const std::string& title, HWND own);
// One in the tray (hidden) stays hidden.
void BringForward(HWND other);

struct ProgramOptions {
    std::string title = texts::kAppTitle;
    unsigned autosaveIntervalMs = 5 * 60 * 1000;  // 0: no timer (tests save themselves)
    bool systemTimer = true;  // false: the tick's timer is only a flag (tests tick themselves)
    // None: the menu item is there but does nothing.
    ui::AutostartSetting* autostart = nullptr;
    ui::TrayIcon::ShellNotify shellNotify;  // none: Shell_NotifyIconW
    // None: a message box over the application window.
    std::function<void(const std::string&)> showRefusal;
};

// Each snapshot goes to the statistics window, Fast INFO and the tray icon; the panel is laid
// out for the statistics window's sizes and text widths.
class Program : private Screen, private TickTimer {
public:
    static constexpr UINT_PTR kTickTimer = 1;
    static constexpr UINT_PTR kSaveTimer = 2;

    Program(SystemPorts ports, ProgramOptions options = {});
    ~Program() override;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Returns 0 at once after a refused start.
    int Run() { return Refused() ? 0 : app_.Run(); }
    // None while the timer is off.
    void Tick();
    // None while the program ends.
    void PeriodicSave();

    bool Refused() const { return !guard_.First(); }
    unsigned SaveInterval() const { return saveInterval_; }  // 0 while no timer runs
    ui::Application& App() { return app_; }
    TrafficMeter& Meter() { return *meter_; }
    ui::QuickInfoWindow& QuickInfo() { return *quickInfo_; }
    ui::TrayIcon& Tray() { return *tray_; }
    ui::StatisticsWindow& Statistics() { return *statistics_; }
    ui::AboutWindow& About() { return *about_; }
    ui::SpeedGraphWindow& Graph() { return *graph_; }

private:
    // The meter's screen: the statistics window's sizes and panel, the tray's balloons.
    int OuterWidth() override { return statistics_->OuterWidth(); }
    int OuterHeight() override { return statistics_->OuterHeight(); }
    void SetOuterWidth(int width) override { statistics_->SetOuterWidth(width); }
    int ImageWidth() override { return statistics_->ImageWidth(); }
    int ImageHeight() override { return statistics_->ImageHeight(); }
    int TextWidth(const std::string& text) override { return statistics_->TextWidth(text); }
    void Started() override { statistics_->SetWhite(); }
    void ShowPanel(const StatisticsPanel& panel) override { statistics_->ShowPanel(panel); }
    void Show(const Snapshot& snapshot) override;
    bool ShowBalloon(const std::string& title, const std::string& text) override {
        return tray_->ShowBalloon(title, text);
    }
    void EndRequest() override { app_.EndRequest(); }
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
    std::unique_ptr<ui::SpeedGraphWindow> graph_;
};

}  // namespace velkaro::shell
