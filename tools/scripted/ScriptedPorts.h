// Scripted stand-ins for the operating system: what tests and velkaro-replay run the
// engine against. Each records what the program did and answers from a script.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/Ports.h"
#include "core/Files.h"
#include "core/Ports.h"
#include "statistics/StatisticsPanel.h"

namespace velkaro {

// The key of a row that takes its place in the table as its key.
inline constexpr std::uint64_t kKeyByPlace = ~std::uint64_t{0};

// Builds an interface row from a name and two counters (dwDescrLen = name length, max 256).
InterfaceRow MakeRow(const std::string& name, std::uint64_t in, std::uint64_t out,
                     std::uint64_t key = kKeyByPlace);

class ScriptedInterfaceTable : public InterfaceTable {
public:
    bool loadable = true;       // Load() answer
    bool failNext = false;      // the next GetIfTable fails (rows kept)
    std::vector<InterfaceRow> rows;  // delivered by the next successful call, then used up
    int calls = 0;
    bool Load() override { return loadable; }
    bool GetIfTable(std::vector<InterfaceRow>& out) override;
};

// Today's date as set; the monotonic clock goes one second forward at every reading (a tick
// reads it once, so it advances a second per tick, as the timer does). Once a time of day is
// set, it goes on with the monotonic clock, and the date turns at midnight.
class FixedClock : public Clock {
public:
    Date today{2026, 1, 1};
    std::uint64_t nowMs = 0;
    int secondOfDay = -1;                   // -1: no time of day; the date stays as set
    std::int64_t systemStart = 1767225600;  // 2026-01-01 00:00:00 UTC
    // The time run; none: the clock's date and time of day (taken as UTC) less systemStart, so
    // that moving the time and systemStart together moves the clock alone.
    std::optional<std::int64_t> uptime;
    Date Today() override { return today; }
    // Midnight while no time of day is set.
    std::int32_t SecondOfDay() override { return secondOfDay < 0 ? 0 : secondOfDay; }
    std::uint64_t MonotonicMs() override;
    std::int64_t SystemStartTime() override { return systemStart; }
    std::int64_t UptimeSeconds() override;
};

class FixedRegional : public RegionalSettings {
public:
    char separator = ',';
    char DecimalSeparator() override { return separator; }
};

class ScriptedDialogs : public Dialogs {
public:
    // Queued answers to input dialogs and questions, taken in order; std::nullopt is a
    // Cancel, and No to a question. No answer left: Cancel for an input dialog, Yes for a
    // question.
    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> messages;   // texts of the message boxes shown
    std::vector<std::string> questions;  // texts of the Yes/No questions asked
    std::vector<std::string> errors;     // texts of the error boxes shown
    std::vector<std::string> prompts;    // prompts of the input dialogs shown
    std::vector<std::string> defaults;   // their default texts
    std::vector<std::string> log;        // "message: ...", "question: ...", "error: ...", in order
    // Runs while a message box or a question is open (before it is answered).
    std::function<void(const std::string&)> onMessage;
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& defaultText) override;
    void ShowError(const std::string& text) override;
};

// Balloons recorded; `shows` says whether the shell takes them.
class ScriptedNotifier : public Notifier {
public:
    bool shows = true;
    std::vector<std::string> titles;
    std::vector<std::string> balloons;  // texts of the balloons shown
    int refused = 0;
    bool ShowBalloon(const std::string& title, const std::string& text) override {
        if (!shows) {
            ++refused;
            return false;
        }
        titles.push_back(title);
        balloons.push_back(text);
        return true;
    }
};

// Files in memory, with failures to inject.
class MemoryFileStore : public FileStore {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, int> readError;    // name -> code returned by ReadAll
    std::map<std::string, int> writeError;   // name -> code returned by ReplaceAll/WriteAll
    std::map<std::string, bool> undeletable;
    int writes = 0;
    // Runs at the start of every call on the store, with the call ("read", "write",
    // "delete") and the file's name: tests look at what goes on while files are used.
    std::function<void(const std::string& call, const std::string& name)> onCall;
    int ReadAll(const std::string& name, std::string& bytes) override;
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;
};

// Real files in the current directory through the C library and POSIX calls (native build).
class DiskFileStore : public FileStore {
public:
    int ReadAll(const std::string& name, std::string& bytes) override;
    int ReplaceAll(const std::string& name, const std::string& bytes) override;
    int WriteAll(const std::string& name, const std::string& bytes) override;
    bool Delete(const std::string& name) override;
};

// The shell and the program's folder. Files of the program's folder live in programFiles
// unless programFolder is pointed elsewhere (velkaro-replay: the current directory).
class ScriptedShell : public Shell {
public:
    std::intptr_t result = 42;
    std::string folderName = "C:\\Velkaro\\";  // how opened lists the program's folder
    std::vector<std::string> opened;            // targets, program files as folderName + name
    std::map<std::string, bool> existing;       // names of the program's folder that exist
    MemoryFileStore programFiles;
    FileStore* programFolder = &programFiles;
    std::intptr_t Open(const std::string& target) override;
    std::intptr_t OpenProgramFile(const std::string& name) override;
    bool ProgramFileExists(const std::string& name) override;
    FileStore& ProgramFolder() override { return *programFolder; }
};

// The statistics window without a window: client 784 x 93, button bar 21, outer = client
// plus 6 x 25, text 7 pixels per byte. Base is the port it serves (WindowHost, or the meter's
// wider Screen).
template <class Base>
class ScriptedWindow : public Base {
public:
    int clientWidth = 784;
    int clientHeight = 93;
    int OuterWidth() override { return clientWidth + 6; }
    int OuterHeight() override { return clientHeight + 25; }
    void SetOuterWidth(int w) override { clientWidth = w - 6; }
    int ImageWidth() override { return clientWidth; }
    int ImageHeight() override { return clientHeight - 21; }
    int TextWidth(const std::string& text) override { return 7 * static_cast<int>(text.size()); }
};

using ScriptedWindowHost = ScriptedWindow<WindowHost>;

// The file ports with the window and the dialogs a load's and a save's notes go to, as the
// program hands them over: tests and fuzz targets load and save in one call.
struct ScriptedFilePorts : FilePorts {
    Dialogs& dialogs;
    WindowHost& window;
};
void LoadFiles(Accounting& a, DataFiles& data, ScriptedFilePorts& ports);
std::vector<UnreadFile> SaveFiles(Accounting& a, DataFiles& data, ScriptedFilePorts& ports);

}  // namespace velkaro
