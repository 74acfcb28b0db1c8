// The local clock, the user's regional settings and the shell, through Win32.
#pragma once

#include <string>

#include "app/Ports.h"
#include "win/Win32FileStore.h"

namespace velkaro::win {

// The full path of the running executable; empty when it cannot be read.
std::wstring ExePath();
// The folder of the running executable with its trailing backslash; empty when unknown.
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
    // The first character of the user's decimal separator in Windows-1251; '.' when the
    // setting cannot be read.
    char DecimalSeparator() override;
};

// The shell, and the program's folder as a UTF-16 path from GetModuleFileNameW to the file
// calls: never narrowed.
class Win32Shell : public Shell {
public:
    Win32Shell() : Win32Shell(ExeFolder()) {}
    // Another folder (with its trailing separator) as the program's.
    explicit Win32Shell(std::wstring folder) : folderFiles_(std::move(folder)) {}

    // ShellExecuteExW "open", shown normally, without the shell's own questions; the
    // shell's result as ShellExecute gives it (above 32 on success, SE_ERR_... else).
    // SE_ERR_NOASSOC without asking the shell for a URL whose scheme (mailto:) has no
    // program in the registry (AssocQueryString).
    std::intptr_t Open(const std::string& target) override;
    std::intptr_t OpenProgramFile(const std::string& name) override;
    // True for an existing file (not a folder).
    bool ProgramFileExists(const std::string& name) override;
    FileStore& ProgramFolder() override { return folderFiles_; }

private:
    Win32FileStore folderFiles_;
};

}  // namespace velkaro::win
