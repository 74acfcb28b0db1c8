// Start with Windows: the value "Velkaro" under the current user's Run key, holding the quoted
// path of the executable and the switch /autostart; and what that switch does at start.
#pragma once

#include <windows.h>

#include <string>

#include "ui/QuickInfoWindow.h"

namespace velkaro::shell {

inline constexpr wchar_t kAutostartSwitch[] = L"/autostart";

// "\"C:\\path\\velkaro.exe\" /autostart"
std::wstring AutostartCommand(const std::wstring& exePath);

// The tray menu's setting (ui::AutostartSetting) as the value kValueName under
// HKEY_CURRENT_USER\kRunKey.
class RunKeyAutostart : public ui::AutostartSetting {
public:
    static constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr wchar_t kValueName[] = L"Velkaro";

    explicit RunKeyAutostart(const std::wstring& exePath) : command_(AutostartCommand(exePath)) {}
    const std::wstring& Command() const { return command_; }

    // On when the value holds this executable's command (compared without regard to case, as
    // Windows compares paths); a value left by a copy elsewhere does not start this one.
    bool IsOn() override;
    // On writes the command (REG_SZ); off deletes the value, and a value that is not there
    // already is off.
    LONG SetOn(bool on) override;

private:
    std::wstring command_;
};

// Whether a command line (the program's name first, as GetCommandLineW gives it) holds the
// switch /autostart as one of its arguments, in any case.
bool HasAutostartSwitch(const wchar_t* commandLine);

enum class AutostartStart {
    NoSwitch,   // started without the switch: nothing changed
    InFolder,   // the executable's folder is now the current directory
    Failed,     // the switch was given, but that folder could not be made current
};

// Started with /autostart (from the Run key, in whatever folder Windows chose), makes the
// executable's folder the current directory, where the program's files are; before the files
// are read.
AutostartStart EnterExeFolderIfAutostart(const wchar_t* commandLine, const std::wstring& exePath);

}  // namespace velkaro::shell
