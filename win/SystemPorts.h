// The local clock, the user's regional settings and the shell, through Win32.
#pragma once

#include <string>

#include "core/Ports.h"

namespace velkaro::win {

// The full path of the running executable; empty when it cannot be read.
std::wstring ExePath();

class Win32Clock : public Clock {
public:
    Date Today() override;  // GetLocalTime
    std::uint64_t MonotonicMs() override;  // GetTickCount64
};

class Win32RegionalSettings : public RegionalSettings {
public:
    // The first character of the user's decimal separator in Windows-1251; '.' when the
    // setting cannot be read.
    char DecimalSeparator() override;
};

class Win32Shell : public Shell {
public:
    // ShellExecuteW "open", shown normally; the shell's result (above 32 on success).
    std::intptr_t Open(const std::string& target) override;
    // The folder of the running executable, with the trailing backslash.
    std::string ExeFolder() override;
    // True for an existing file (not a folder).
    bool FileExists(const std::string& path) override;
};

}  // namespace velkaro::win
