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
    // Modal message box captioned with the application title, one OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Modal question with the buttons Yes and No, captioned like the message box. True for
    // Yes; No, or a box that could not be shown, gives false.
    virtual bool AskYesNo(const std::string& text) = 0;
    // Modal input query, its edit prefilled with defaultText; returns the text entered on
    // OK, nothing when it was cancelled.
    virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& defaultText) = 0;
    // The error box for an error that ended a handler (text without the appended full stop).
    virtual void ShowError(const std::string& text) = 0;
};

// The notification area's info balloon, shown from the program's tray icon.
class Notifier {
public:
    virtual ~Notifier() = default;
    // Shows a balloon with a title and a text (Windows-1251); false when the shell would not
    // show it (no icon in the notification area, no shell).
    virtual bool ShowBalloon(const std::string& title, const std::string& text) = 0;
};

// The shell's "open", and the program's own folder.
class Shell {
public:
    virtual ~Shell() = default;
    // ShellExecute "open" of a URL or mailto text; returns the shell's result code.
    virtual std::intptr_t Open(const std::string& target) = 0;
    // The same for a file of the program's folder, named by its bare name.
    virtual std::intptr_t OpenProgramFile(const std::string& name) = 0;
    // True when the program's folder holds a file (not a folder) of that name.
    virtual bool ProgramFileExists(const std::string& name) = 0;
    // The files of the program's folder (the report is written there).
    virtual FileStore& ProgramFolder() = 0;
};

// The operating system as the program uses it.
struct SystemPorts {
    InterfaceTable& ifTable;
    Clock& clock;
    RegionalSettings& regional;
    Dialogs& dialogs;
    Shell& shell;
    FileStore& files;
};

}  // namespace velkaro
