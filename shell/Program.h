// The program's start-up, run and end: the application window with its title, the
// single-instance guard (a refused start says so, brings the other instance forward and ends
// here), the quick-info window with the tray icon, the statistics window (its start loads the
// files and starts the tick), the about window, the periodic save, the message loop; at the
// end the windows go in reverse order (no save there).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/Accounting.h"
#include "app/Ports.h"
#include "core/Texts.h"
#include "shell/AboutWindow.h"
#include "shell/Application.h"
#include "shell/Autosave.h"
#include "shell/Autostart.h"
#include "shell/QuickInfoWindow.h"
#include "shell/SingleInstance.h"
#include "shell/TrayIcon.h"

namespace velkaro::win {
class StatisticsWindow;
}

namespace velkaro::shell {

struct ProgramOptions {
    std::string title = texts::kAppTitle;
    unsigned autosaveIntervalMs = Autosave::kDefaultIntervalMs;  // 0: no timer (tests tick)
    bool systemTimer = true;  // false: the statistics window's timer is only a flag
    // Start with Windows, for the tray menu (the Run key in the real program); none: the menu
    // item is there but does nothing.
    AutostartSetting* autostart = nullptr;
    TrayIcon::ShellNotify shellNotify;  // none: Shell_NotifyIconW
    // The refusal's message; none: the message box over the application window.
    std::function<void(const std::string&)> showRefusal;
};

class Program {
public:
    Program(SystemPorts ports, ProgramOptions options = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // The message loop; 0 at once after a refused start.
    int Run() { return Refused() ? 0 : app_.Run(); }

    bool Refused() const { return !guard_.First(); }
    Application& App() { return app_; }
    Accounting& State() { return accounting_; }
    QuickInfoWindow& QuickInfo() { return *quickInfo_; }
    TrayIcon& Tray() { return *tray_; }
    win::StatisticsWindow& Statistics() { return *statistics_; }
    AboutWindow& About() { return *about_; }
    Autosave& Autosaver() { return *autosave_; }

private:
    Application app_;
    SingleInstance guard_;
    Accounting accounting_;
    std::unique_ptr<QuickInfoWindow> quickInfo_;
    std::unique_ptr<TrayIcon> tray_;
    std::unique_ptr<win::StatisticsWindow> statistics_;
    std::unique_ptr<AboutWindow> about_;
    std::unique_ptr<Autosave> autosave_;
};

}  // namespace velkaro::shell
