// The program's start-up, run and end: the application object with its title, then the
// quick-info window (guard, then tray icon; it becomes the main form), the statistics window
// (its creation loads the files and starts the tick), the about window, the periodic save,
// the message loop, and the windows destroyed in reverse order (no save there).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "core/Accounting.h"
#include "core/Ports.h"
#include "core/Texts.h"
#include "shell/AboutWindow.h"
#include "shell/Application.h"
#include "shell/Autostart.h"
#include "shell/Autosave.h"
#include "shell/QuickInfoWindow.h"

namespace velkaro::win {
class Form1Window;
}

namespace velkaro::shell {

struct ProgramOptions {
    std::string title = texts::kAppTitle;
    // Start-up steps as they happen: "title", "guard", "tray", "main form", "statistics",
    // "about", "autosave".
    std::function<void(const std::string&)> trace;
    std::function<void(TOneInstance&)> configureGuard;
    std::function<void(TTrayIcon&)> configureTray;
    unsigned autosaveIntervalMs = Autosave::kDefaultIntervalMs;  // 0: no timer (tests tick)
    bool systemTimer = true;  // false: Timer1 is only a flag, tests run the ticks
    // Start with Windows, for the tray menu (the Run key in the real program); none: the menu
    // item is there but does nothing.
    AutostartSetting* autostart = nullptr;
};

// A file store that stops writing once the instance has been refused: a second instance reads
// the files but never writes or deletes them, whatever path would try.
class InstanceFileStore : public FileStore {
public:
    explicit InstanceFileStore(FileStore& inner) : inner_(inner) {}
    bool writesBlocked = false;
    int blockedWrites = 0;
    int ReadAll(const std::string& name, std::string& bytes) override;
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;

private:
    FileStore& inner_;
};

class Program {
public:
    Program(HINSTANCE instance, SystemPorts ports, ProgramOptions options = {});
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    int Run() { return app_.Run(); }

    TApplication& App() { return app_; }
    Accounting& State() { return accounting_; }
    TForm2& Form2() { return *form2_; }
    win::Form1Window& Form1() { return *form1_; }
    TForm3& Form3() { return *form3_; }
    Autosave& Autosaver() { return *autosave_; }
    InstanceFileStore& Files() { return files_; }
    bool Refused() const { return refused_; }

private:
    class Link;
    TApplication app_;
    Accounting accounting_;
    InstanceFileStore files_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<win::Form1Window> form1_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<Autosave> autosave_;
    bool refused_ = false;
};

}  // namespace velkaro::shell
