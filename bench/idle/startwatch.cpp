// Watches velkaro.exe start, for the start-up figures of the idle-cost run. Run it before the
// program; it polls the virtual desktop (VELKARO_DESKTOP) for the statistics window
// (VelkaroTForm1), takes the creation time of the window's process, and follows the window's
// size. The load sets the width from history.txt; the first tick's panel layout then sets the
// height it needs (in one step, or in a burst of changes from programs that grow the window
// block by block; later ticks change it again, a second or more apart). The end of the first
// burst that changes the height marks the end of the first tick's layout. It prints, as Unix times in seconds:
//
//   created=T exists=T first=T last=T size0=WxH size1=WxH
//
// first and last: the start and end of that burst (0 when none came in time); size1: the
// size after it. Exits 0; 1 when no window came within TIMEOUT_MS.
//
//   startwatch TIMEOUT_MS GAP_MS     GAP_MS: the pause that ends a burst
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

double UnixSeconds(const FILETIME& ft) {
    ULARGE_INTEGER u;
    u.LowPart = ft.dwLowDateTime;
    u.HighPart = ft.dwHighDateTime;
    return static_cast<double>(u.QuadPart - 116444736000000000ULL) / 1e7;
}

double Now() {
    FILETIME ft;
    ::GetSystemTimePreciseAsFileTime(&ft);
    return UnixSeconds(ft);
}

void EnsureDesktop(bool& on) {
    if (on) return;
    wchar_t name[64] = L"velkaro";
    ::GetEnvironmentVariableW(L"VELKARO_DESKTOP", name, 64);
    if (HDESK desk = ::OpenDesktopW(name, 0, FALSE, GENERIC_ALL)) on = ::SetThreadDesktop(desk) != FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const double timeout = std::wcstoul(argv[1], nullptr, 10) / 1000.0;
    const double gap = std::wcstoul(argv[2], nullptr, 10) / 1000.0;
    std::printf("watching\n");
    std::fflush(stdout);

    bool onDesktop = false;
    const double start = Now();
    HWND w = nullptr;
    double exists = 0;
    while (!w) {
        EnsureDesktop(onDesktop);
        w = onDesktop ? ::FindWindowW(L"VelkaroTForm1", nullptr) : nullptr;
        exists = Now();
        if (!w && exists - start > timeout) return 1;
        if (!w) ::Sleep(1);
    }

    double created = 0;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (HANDLE p = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid)) {
        FILETIME c, e, k, u;
        if (::GetProcessTimes(p, &c, &e, &k, &u)) created = UnixSeconds(c);
        ::CloseHandle(p);
    }

    RECT r0{};
    ::GetWindowRect(w, &r0);
    RECT last = r0;
    double first = 0, changed = 0;
    for (;;) {
        ::Sleep(1);
        RECT r{};
        if (!::GetWindowRect(w, &r)) break;  // the window is gone
        const double t = Now();
        const bool heightChanged = r.bottom - r.top != last.bottom - last.top;
        if (heightChanged || r.right - r.left != last.right - last.left) {
            if (first == 0 && heightChanged) first = t;
            changed = t;
            last = r;
        }
        if (first != 0 && t - changed > gap) break;
        if (t - start > timeout) {
            first = changed = 0;
            break;
        }
    }
    std::printf("created=%.4f exists=%.4f first=%.4f last=%.4f size0=%ldx%ld size1=%ldx%ld\n", created,
                exists, first, changed, r0.right - r0.left, r0.bottom - r0.top, last.right - last.left,
                last.bottom - last.top);
    return 0;
}
