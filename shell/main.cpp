// Program entry: the folder when started at logon, the Win32 ports, the program, its message
// loop. The common controls are loaded by the quick-info window when it is first shown.
#include <windows.h>

#include <exception>

#include "shell/Program.h"
#include "win/DialogsWin32.h"
#include "win/IpHelperTable.h"
#include "win/SystemPorts.h"
#include "win/Utf16.h"
#include "win/Win32FileStore.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Started by Windows at logon: the files are in the executable's folder, whatever folder
    // Windows started it in. Counting elsewhere would begin a second history there.
    const std::wstring exePath = velkaro::win::ExePath();
    if (velkaro::shell::EnterExeFolderIfAutostart(::GetCommandLineW(), exePath) ==
        velkaro::shell::AutostartStart::Failed) {
        ::MessageBoxW(nullptr, velkaro::win::Widen(velkaro::texts::kAutostartNoFolder).c_str(),
                      velkaro::win::Widen(velkaro::texts::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }

    velkaro::win::IpHelperTable ifTable;
    velkaro::win::Win32Clock clock;
    velkaro::win::Win32RegionalSettings regional;
    velkaro::win::DialogsWin32 dialogs;
    velkaro::win::Win32Shell shell;
    velkaro::win::Win32FileStore files;
    velkaro::shell::RunKeyAutostart autostart(exePath);
    velkaro::shell::ProgramOptions options;
    options.autostart = &autostart;
    try {
        velkaro::shell::Program program({ifTable, clock, regional, dialogs, shell, files}, options);
        return program.Run();
    } catch (const std::exception& e) {
        ::MessageBoxW(nullptr, velkaro::win::Widen(e.what()).c_str(),
                      velkaro::win::Widen(velkaro::texts::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
        return 1;
    }
}
