// Helpers shared by the shell's window tests: a whole program over scripted ports, with the
// tray icon's shell calls recorded instead of made.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "shell/Program.h"
#include "tools/scripted/ScriptedPorts.h"

namespace velkaro::shell::testing {

// Runs every pending message; true when the quit message was among them (it is taken).
inline bool TakeQuit() {
    MSG msg;
    bool quit = false;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            continue;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    return quit;
}

// Runs messages for about ms milliseconds.
inline bool PumpFor(DWORD ms) {
    bool quit = false;
    const DWORD end = ::GetTickCount() + ms;
    while (static_cast<long>(end - ::GetTickCount()) > 0) {
        quit = TakeQuit() || quit;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return TakeQuit() || quit;
}

inline int OuterHeight(HWND hwnd) {
    RECT r;
    ::GetWindowRect(hwnd, &r);
    return r.bottom - r.top;
}

inline SIZE ClientSize(HWND hwnd) {
    RECT r;
    ::GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

// Scripted dialogs whose boxes let messages run for a while, as real ones do.
struct PumpingDialogs : ScriptedDialogs {
    DWORD pumpMs = 0;
    void ShowMessage(const std::string& text) override {
        ScriptedDialogs::ShowMessage(text);
        if (pumpMs) PumpFor(pumpMs);
    }
    void ShowError(const std::string& text) override {
        ScriptedDialogs::ShowError(text);
        if (pumpMs) PumpFor(pumpMs);
    }
    bool AskYesNo(const std::string& text) override {
        if (pumpMs) PumpFor(pumpMs);
        return ScriptedDialogs::AskYesNo(text);
    }
};

// A program over scripted ports; its options can be changed before Start().
struct ScriptedProgram {
    ScriptedInterfaceTable ifTable;
    FixedClock clock;
    FixedRegional regional;
    PumpingDialogs dialogs;
    ScriptedShell shellPort;
    MemoryFileStore files;
    ProgramOptions options;
    std::vector<DWORD> trayCalls;         // NIM_ADD, NIM_MODIFY, NIM_DELETE as sent
    std::vector<std::wstring> balloons;   // the text of each balloon sent
    std::unique_ptr<Program> program;

    ScriptedProgram() {
        // A history that kept readings (of no row yet): the first tick is not a first run's,
        // which writes the files at once.
        files.files["history.txt"] = "SHOW=\r\nform1.width=790\r\nboot=2026-01-01 00:00:00\r\nuptime=0\r\n";
        options.autosaveIntervalMs = 0;
        options.systemTimer = false;
        options.shellNotify = [this](DWORD message, NOTIFYICONDATAW* data) {
            trayCalls.push_back(message);
            if (data->uFlags & NIF_INFO) balloons.push_back(data->szInfo);
            return TRUE;
        };
    }
    ~ScriptedProgram() {
        program.reset();
        TakeQuit();  // leave no quit message behind for the next test
    }

    Program& Start() {
        program = std::make_unique<Program>(SystemPorts{ifTable, clock, regional, dialogs, shellPort, files}, options);
        return *program;
    }

    // One interface row for the next tick.
    void Row(const std::string& name, std::uint32_t in, std::uint32_t out) {
        ifTable.rows.push_back(MakeRow(name, in, out));
    }
};

}  // namespace velkaro::shell::testing
