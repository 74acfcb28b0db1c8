#include "shell/Autostart.h"

#include <shellapi.h>

#include <vector>

#include "win/Handles.h"

namespace velkaro::shell {

namespace {

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool RunKeyAutostart::IsOn() {
    DWORD bytes = 0;
    LONG rc = ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr,
                             &bytes);
    // The value may change between the two calls: read until the room suffices.
    std::vector<wchar_t> text;
    while (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
        text.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        rc = ::RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr,
                            text.data(), &bytes);
        if (rc == ERROR_SUCCESS) return SameIgnoringCase(text.data(), command_);
    }
    return false;  // no such value (or key), or not a text: not on
}

LONG RunKeyAutostart::SetOn(bool on) {
    HKEY key = nullptr;
    LONG rc = on ? ::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                     &key, nullptr)
                 : ::RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (!on && rc == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;  // no Run key: nothing starts
    if (rc != ERROR_SUCCESS) return rc;
    const win::UniqueKey run(key);
    if (on) {
        const DWORD bytes = static_cast<DWORD>((command_.size() + 1) * sizeof(wchar_t));
        return ::RegSetValueExW(run.get(), kValueName, 0, REG_SZ,
                                reinterpret_cast<const BYTE*>(command_.c_str()), bytes);
    }
    rc = ::RegDeleteValueW(run.get(), kValueName);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}

bool HasAutostartSwitch(const wchar_t* commandLine) {
    if (!commandLine || !*commandLine) return false;
    int argc = 0;
    LPWSTR* argv = ::CommandLineToArgvW(commandLine, &argc);
    if (!argv) return false;
    bool found = false;
    for (int i = 1; i < argc && !found; ++i) found = SameIgnoringCase(argv[i], kAutostartSwitch);
    ::LocalFree(argv);
    return found;
}

AutostartStart EnterExeFolderIfAutostart(const wchar_t* commandLine, const std::wstring& exePath) {
    if (!HasAutostartSwitch(commandLine)) return AutostartStart::NoSwitch;
    const std::size_t slash = exePath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return AutostartStart::Failed;
    // "C:\velkaro.exe" lies in the root "C:\", which keeps its backslash.
    const std::wstring folder = exePath.substr(0, slash == 2 && exePath[1] == L':' ? slash + 1 : slash);
    return ::SetCurrentDirectoryW(folder.c_str()) ? AutostartStart::InFolder : AutostartStart::Failed;
}

}  // namespace velkaro::shell
