#include "win/SystemPorts.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include <cwctype>

#include <string>

#include "win/Window.h"

namespace velkaro::win {

Date Win32Clock::Today() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return Date{st.wYear, st.wMonth, st.wDay};
}

std::int32_t Win32Clock::SecondOfDay() {
    SYSTEMTIME st{};
    ::GetLocalTime(&st);
    return st.wHour * 3600 + st.wMinute * 60 + st.wSecond;
}

std::uint64_t Win32Clock::MonotonicMs() { return ::GetTickCount64(); }

std::int64_t Win32Clock::SystemStartTime() {
    FILETIME ft{};
    ::GetSystemTimeAsFileTime(&ft);
    const std::int64_t ticks = static_cast<std::int64_t>((std::uint64_t{ft.dwHighDateTime} << 32) | ft.dwLowDateTime);
    constexpr std::int64_t kTicksPerSecond = 10000000;       // 100 ns
    constexpr std::int64_t kSecondsFrom1601 = 11644473600;   // to 1970-01-01
    const std::int64_t now = ticks / kTicksPerSecond - kSecondsFrom1601;
    // GetTickCount64 goes on while the system sleeps, so this stays put across a sleep.
    return now - UptimeSeconds();
}

std::int64_t Win32Clock::UptimeSeconds() { return static_cast<std::int64_t>(::GetTickCount64() / 1000); }

char Win32RegionalSettings::DecimalSeparator() {
    wchar_t buf[8] = {};  // the setting holds at most 4 characters with its terminator
    int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, 8);
    if (n <= 1 || buf[0] == L'\0') return '.';
    std::string narrow = Narrow(std::wstring(1, buf[0]));
    return narrow.empty() ? '.' : narrow[0];
}

namespace {
// Without the shell's own questions or error boxes: its "open with" question would not tell
// the user which of our files or pages it is about, so a failure comes back for us to name.
std::intptr_t ShellOpen(const std::wstring& target) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = target.c_str();
    info.nShow = SW_SHOWNORMAL;
    const BOOL opened = ::ShellExecuteExW(&info);
    const auto result = reinterpret_cast<std::intptr_t>(info.hInstApp);
    if (opened) return result > 32 ? result : 33;
    if (result > 0 && result <= 32) return result;
    // No result of its own: the system's error as ShellExecute reports it.
    switch (::GetLastError()) {
    case ERROR_FILE_NOT_FOUND: return SE_ERR_FNF;
    case ERROR_PATH_NOT_FOUND: return SE_ERR_PNF;
    case ERROR_ACCESS_DENIED: return SE_ERR_ACCESSDENIED;
    case ERROR_NO_ASSOCIATION: return SE_ERR_NOASSOC;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY: return SE_ERR_OOM;
    case ERROR_SHARING_VIOLATION: return SE_ERR_SHARE;
    case ERROR_DDE_FAIL: return SE_ERR_DDEFAIL;
    default: return 0;
    }
}

// Empty for a path, whose drive letter is a single character before its colon.
std::wstring SchemeOf(const std::wstring& target) {
    const std::size_t colon = target.find(L':');
    if (colon == std::wstring::npos || colon < 2 || !std::iswalpha(target[0])) return {};
    for (std::size_t i = 0; i < colon; ++i)
        if (!std::iswalnum(target[i]) && target[i] != L'+' && target[i] != L'-' && target[i] != L'.') return {};
    return target.substr(0, colon);
}

// Whether the registry holds no program at all for a URL scheme's "open": neither a command
// nor a handler of the shell's own. Where it cannot tell, the shell is asked to open.
bool NoProgramFor(const std::wstring& scheme) {
    // ASSOCF_IS_PROTOCOL of Windows 8 and later (the user's choice of program for a scheme);
    // a system that does not know it answers otherwise than "none", and the shell is asked.
    constexpr auto kIsProtocol = static_cast<ASSOCF>(0x00001000);
    auto absent = [&](ASSOCSTR what) {
        DWORD size = 0;
        const HRESULT hr = ::AssocQueryStringW(kIsProtocol, what, scheme.c_str(), L"open", nullptr, &size);
        return hr == HRESULT_FROM_WIN32(ERROR_NO_ASSOCIATION) || hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
    };
    return absent(ASSOCSTR_COMMAND) && absent(ASSOCSTR_DELEGATEEXECUTE);
}
}  // namespace

std::intptr_t Win32Shell::Open(const std::string& target) {
    const std::wstring wide = Widen(target);
    // Some shells report success for a scheme nothing handles and then open nothing (Wine
    // hands it to a helper); a program missing from the registry is known beforehand.
    if (const std::wstring scheme = SchemeOf(wide); !scheme.empty() && NoProgramFor(scheme)) return SE_ERR_NOASSOC;
    return ShellOpen(wide);
}

std::intptr_t Win32Shell::OpenProgramFile(const std::string& name) {
    const std::wstring path = folderFiles_.PathOf(name);
    if (path.empty()) return ERROR_FILE_NOT_FOUND;  // as ShellExecute reports a missing file
    return ShellOpen(path);
}

bool Win32Shell::ProgramFileExists(const std::string& name) {
    const std::wstring path = folderFiles_.PathOf(name);
    if (path.empty()) return false;
    const DWORD attrs = ::GetFileAttributesW(path.c_str());
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
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

std::wstring ExeFolder() {
    std::wstring path = ExePath();
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    path.resize(slash + 1);
    return path;
}

}  // namespace velkaro::win
