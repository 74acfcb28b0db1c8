// The program's ports beyond the engine's (core/Ports.h): what it asks and tells the user, the
// limits' balloons, and the shell. Each has a Win32 implementation in win/ and a scripted one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "core/Ports.h"

namespace velkaro {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Captioned with the application title.
    virtual void ShowMessage(const std::string& text) = 0;
    // False for No, and for a box that could not be shown.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Nothing when it was cancelled.
    virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& defaultText) = 0;
    // text without the appended full stop.
    virtual void ShowError(const std::string& text) = 0;
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // Windows-1251; false when the shell would not show it (no icon in the notification area).
    virtual bool ShowBalloon(const std::string& title, const std::string& text) = 0;
};

class Shell {
public:
    virtual ~Shell() = default;
    // Returns the shell's result code.
    virtual std::intptr_t Open(const std::string& target) = 0;
    // By its bare name.
    virtual std::intptr_t OpenProgramFile(const std::string& name) = 0;
    // A file, not a folder.
    virtual bool ProgramFileExists(const std::string& name) = 0;
    // Where the report is written.
    virtual FileStore& ProgramFolder() = 0;
};

struct SystemPorts {
    InterfaceTable& ifTable;
    Clock& clock;
    RegionalSettings& regional;
    Dialogs& dialogs;
    Shell& shell;
    FileStore& files;
};

}  // namespace velkaro
