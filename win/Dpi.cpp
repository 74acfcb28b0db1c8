#include "win/Dpi.h"

#include <algorithm>

#include "win/Handles.h"

namespace velkaro::win {

namespace {

// Found once by name: older systems lack them.
template <class F> F User32Function(const char* name) {
    return FunctionOf<F>(::GetModuleHandleW(L"user32.dll"), name);
}

}  // namespace

Dpi SystemDpi() {
    static const Dpi dpi = [] {
        WindowDc screen(nullptr);
        return Dpi(screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : kUnitDpi);
    }();
    return dpi;
}

Dpi WindowDpi(HWND hwnd) {
    static const auto getDpiForWindow = User32Function<UINT(WINAPI*)(HWND)>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) return Dpi(static_cast<int>(dpi));
    return SystemDpi();
}

int SystemMetric(int index, Dpi dpi) {
    static const auto forDpi = User32Function<int(WINAPI*)(int, UINT)>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi.Value())) : ::GetSystemMetrics(index);
}

SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, Dpi dpi) {
    static const auto forDpi =
        User32Function<BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT)>("AdjustWindowRectExForDpi");
    RECT r{0, 0, width, height};
    if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi.Value())))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT WindowRect(HWND hwnd) {
    RECT r{};
    return ::GetWindowRect(hwnd, &r) ? r : RECT{};
}

RECT ClientRect(HWND hwnd) {
    RECT r{};
    return ::GetClientRect(hwnd, &r) ? r : RECT{};
}

SIZE FrameSize(HWND hwnd) {
    const RECT outer = WindowRect(hwnd);
    const RECT client = ClientRect(hwnd);
    return SIZE{Width(outer) - client.right, Height(outer) - client.bottom};
}

RECT RectInParent(HWND child) {
    RECT r = WindowRect(child);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void SetOuterSize(HWND hwnd, int width, int height) {
    ::SetWindowPos(hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MoveTo(HWND hwnd, int x, int y) {
    ::SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT ScreenRect() { return RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

RECT MonitorWorkArea(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT work{};
    if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) return work;
    return ScreenRect();
}

RECT MonitorRect(HWND hwnd) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (hwnd && ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &info)) return info.rcMonitor;
    return ScreenRect();
}

POINT CentredIn(const RECT& area, int width, int height) {
    return POINT{area.left + (Width(area) - width) / 2, area.top + (Height(area) - height) / 2};
}

void CentreWindow(HWND hwnd, const RECT& area) {
    const RECT r = WindowRect(hwnd);
    const POINT at = CentredIn(area, Width(r), Height(r));
    MoveTo(hwnd, at.x, at.y);
}

void PlaceInside(HWND hwnd, const RECT& r, const RECT& area) {
    // Right and bottom first, so that left and top win where r does not fit.
    const int dx = std::max<LONG>(std::min<LONG>(area.right - r.right, 0), area.left - r.left);
    const int dy = std::max<LONG>(std::min<LONG>(area.bottom - r.bottom, 0), area.top - r.top);
    const RECT fit{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
    const RECT now = WindowRect(hwnd);
    if (!::EqualRect(&fit, &now))
        ::SetWindowPos(hwnd, nullptr, fit.left, fit.top, Width(fit), Height(fit), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velkaro::win
