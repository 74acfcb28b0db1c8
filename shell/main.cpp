// Program entry. The common controls are loaded by the quick-info window when first shown.
#include <windows.h>

#include <exception>

#include "shell/Program.h"
#include "win/DialogsWin32.h"
#include "win/IpHelperTable.h"
#include "win/SystemPorts.h"
#include "win/Win32FileStore.h"

namespace {

int Failed(const std::string& text) {
    ::MessageBoxW(nullptr, velkaro::win::Widen(text).c_str(),
                  velkaro::win::Widen(velkaro::texts::kAppTitle).c_str(), MB_OK | MB_ICONERROR);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Windows starts Run-key programs in a folder of its choosing; counting there would begin a
    // second history.
    const std::wstring exePath = velkaro::win::ExePath();
    if (velkaro::shell::EnterExeFolderIfAutostart(::GetCommandLineW(), exePath) ==
        velkaro::shell::AutostartStart::Failed)
        return Failed(velkaro::texts::kAutostartNoFolder);

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
        return Failed(e.what());
    }
}
