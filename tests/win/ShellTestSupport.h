// Helpers shared by the shell's window tests: a whole program over scripted ports, with the
// tray icon's shell calls recorded instead of made.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Texts.h"
#include "shell/Program.h"
#include "shell/TrayIcon.h"
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

// Scripted dialogs whose message box lets messages run for a while, as a real one does.
struct PumpingDialogs : ScriptedDialogs {
    DWORD pumpMs = 0;
    void ShowMessage(const std::string& text) override {
        ScriptedDialogs::ShowMessage(text);
        if (pumpMs) PumpFor(pumpMs);
    }
    bool AskYesNo(const std::string& text) override {
        if (pumpMs) PumpFor(pumpMs);
        return ScriptedDialogs::AskYesNo(text);
    }
};

// A program over scripted ports. Title, guard and autosave interval can be set before Start().
struct ScriptedProgram {
    ScriptedInterfaceTable ifTable;
    FixedClock clock;
    FixedRegional regional;
    PumpingDialogs dialogs;
    ScriptedShell shellPort;
    MemoryFileStore files;
    ProgramOptions options;
    std::vector<std::string> trace;
    std::vector<DWORD> trayCalls;  // NIM_ADD, NIM_MODIFY, NIM_DELETE as sent
    std::vector<std::wstring> trayTips;  // the tip of each of those calls
    std::unique_ptr<Program> program;

    ScriptedProgram() {
        options.autosaveIntervalMs = 0;
        options.systemTimer = false;
        options.trace = [this](const std::string& step) { trace.push_back(step); };
        options.configureTray = [this](TTrayIcon& tray) {
            tray.SetShellNotify([this](DWORD message, NOTIFYICONDATAW* data) {
                trayCalls.push_back(message);
                trayTips.push_back(data->szTip);
                return TRUE;
            });
        };
    }
    ~ScriptedProgram() {
        program.reset();
        TakeQuit();  // leave no quit message behind for the next test
    }

    Program& Start() {
        program = std::make_unique<Program>(::GetModuleHandleW(nullptr),
                                             SystemPorts{ifTable, clock, regional, dialogs, shellPort, files},
                                             options);
        return *program;
    }

    // One interface row for the next tick.
    void Row(const std::string& name, std::uint32_t in, std::uint32_t out) {
        ifTable.rows.push_back(MakeRow(name, in, out));
    }
};

}  // namespace velkaro::shell::testing
