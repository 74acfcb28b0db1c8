#include "win/SystemPorts.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "win/Utf16.h"

namespace velkaro::win {

Date Win32Clock::Today() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return Date{st.wYear, st.wMonth, st.wDay};
}

std::uint64_t Win32Clock::MonotonicMs() { return ::GetTickCount64(); }

char Win32RegionalSettings::DecimalSeparator() {
    wchar_t buf[8] = {};  // the setting holds at most 4 characters with its terminator
    int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8);
    if (n <= 1 || buf[0] == L'\0') return '.';
    std::string narrow = Narrow(std::wstring(1, buf[0]));
    return narrow.empty() ? '.' : narrow[0];
}

std::intptr_t Win32Shell::Open(const std::string& target) {
    std::wstring wide = Widen(target);
    HINSTANCE result = ::ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result);
}

std::wstring ExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};  // longer than any Windows path
        path.resize(path.size() * 2);
    }
}

std::string Win32Shell::ExeFolder() {
    std::wstring path = ExePath();
    std::size_t slash = path.find_last_of(L"\\/");
    path.resize(slash == std::wstring::npos ? 0 : slash + 1);
    return Narrow(path);
}

bool Win32Shell::FileExists(const std::string& path) {
    if (path.empty()) return false;
    DWORD attrs = ::GetFileAttributesW(Widen(path).c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace velkaro::win
