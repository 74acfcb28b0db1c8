// The local clock, the user's regional settings and the shell, through Win32.
#pragma once

#include <string>

#include "app/Ports.h"
#include "win/Win32FileStore.h"

namespace velkaro::win {

// Empty when it cannot be read.
std::wstring ExePath();
// With its trailing backslash; empty when unknown.
std::wstring ExeFolder();

class Win32Clock : public Clock {
public:
    Date Today() override;  // GetLocalTime
    std::int32_t SecondOfDay() override;  // GetLocalTime
    std::uint64_t MonotonicMs() override;  // GetTickCount64
    std::int64_t SystemStartTime() override;  // the UTC clock less GetTickCount64
    std::int64_t UptimeSeconds() override;    // GetTickCount64
};

class Win32RegionalSettings : public RegionalSettings {
public:
    // Windows-1251; '.' when the setting cannot be read.
    char DecimalSeparator() override;
};

// The program's folder stays the UTF-16 path from GetModuleFileNameW: never narrowed.
class Win32Shell : public Shell {
public:
    Win32Shell() : Win32Shell(ExeFolder()) {}
    // With its trailing separator.
    explicit Win32Shell(std::wstring folder) : folderFiles_(std::move(folder)) {}

    // Without the shell's own questions; returns ShellExecute's result (above 32 on success).
    // SE_ERR_NOASSOC, without asking the shell, for a URL scheme that has no program in the
    // registry.
    std::intptr_t Open(const std::string& target) override;
    std::intptr_t OpenProgramFile(const std::string& name) override;
    // A file, not a folder.
    bool ProgramFileExists(const std::string& name) override;
    FileStore& ProgramFolder() override { return folderFiles_; }

private:
    Win32FileStore folderFiles_;
};

}  // namespace velkaro::win
