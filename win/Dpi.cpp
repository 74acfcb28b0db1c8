#include "win/Dpi.h"

#include "win/Geometry.h"
#include "win/Handles.h"

namespace velkaro::win {

namespace {

// Found once by name: older systems lack them.
template <class F> F User32Function(const char* name) {
    return FunctionOf<F>(::GetModuleHandleW(L"user32.dll"), name);
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

}  // namespace

Dpi SystemDpi() {
    static const Dpi dpi = [] {
        WindowDc screen(nullptr);
        return Dpi(screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSY) : kUnitDpi);
    }();
    return dpi;
}

Dpi WindowDpi(HWND hwnd) {
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    if (getDpiForWindow && hwnd)
        if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) return Dpi(static_cast<int>(dpi));
    return SystemDpi();
}

int SystemMetric(int index, Dpi dpi) {
    static const auto forDpi = User32Function<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
    if (forDpi) return forDpi(index, static_cast<UINT>(dpi.Value()));
    return ::GetSystemMetrics(index);
}

SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, Dpi dpi) {
    static const auto forDpi = User32Function<AdjustWindowRectExForDpiFunction>("AdjustWindowRectExForDpi");
    RECT r{0, 0, width, height};
    if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi.Value())))
        ::AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

void MoveToSuggestedRect(HWND hwnd, LPARAM lp) {
    const RECT& r = *reinterpret_cast<const RECT*>(lp);
    ::SetWindowPos(hwnd, nullptr, r.left, r.top, Width(r), Height(r), SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace velkaro::win
