// Start with Windows through the current user's Run key, and the /autostart switch at start.
#pragma once

#include <windows.h>

#include <string>

#include "ui/QuickInfoWindow.h"

namespace velkaro::shell {

inline constexpr wchar_t kAutostartSwitch[] = L"/autostart";

class RunKeyAutostart : public ui::AutostartSetting {
public:
    static constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    static constexpr wchar_t kValueName[] = L"Velkaro";

    // The value: "\"C:\\path\\velkaro.exe\" /autostart".
    explicit RunKeyAutostart(const std::wstring& exePath) : command_(L"\"" + exePath + L"\" " + kAutostartSwitch) {}

    // Compared without regard to case, as Windows compares paths: a value left by a copy elsewhere
    // does not start this one.
    bool IsOn() override;
    // Deleting a value that is not there is no error.
    LONG SetOn(bool on) override;

private:
    std::wstring command_;
};

// commandLine: the program's name first, as GetCommandLineW gives it; the switch in any case.
bool HasAutostartSwitch(const wchar_t* commandLine);

enum class AutostartStart {
    NoSwitch,   // started without the switch: nothing changed
    InFolder,   // the executable's folder is now the current directory
    Failed,     // the switch was given, but that folder could not be made current
};

// Windows starts Run-key programs in a folder of its own choosing: the program's files are in
// the executable's. Call before the files are read.
AutostartStart EnterExeFolderIfAutostart(const wchar_t* commandLine, const std::wstring& exePath);

}  // namespace velkaro::shell
