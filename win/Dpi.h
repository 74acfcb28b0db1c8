// Sizes at the DPI of a window: everything is given in 96-DPI units and scaled where it is
// drawn, measured or placed. The DPI functions of Windows 8.1 and 10 are looked up by name:
// Windows 7 has only the system DPI. Then window and client rectangles, sizes and places on
// the screen, in pixels.
#pragma once

#include <windows.h>

namespace velkaro::win {

inline constexpr int kUnitDpi = 96;

class Dpi {
public:
    constexpr Dpi() = default;
    constexpr explicit Dpi(int dpi) : dpi_(dpi > 0 ? dpi : kUnitDpi) {}
    constexpr int Value() const { return dpi_; }

    // Rounded to the nearest pixel, a half up. Never decreasing, so cells that share an edge in
    // units share it in pixels.
    constexpr int Px(int units) const { return FloorDiv(static_cast<long long>(units) * dpi_ + kUnitDpi / 2, kUnitDpi); }
    // The last unit whose pixel is at or before px (a click on a block's first pixel row is in it).
    constexpr int Units(int px) const {
        return FloorDiv(static_cast<long long>(px) * kUnitDpi + kUnitDpi / 2 - 1, dpi_);
    }
    // The least units whose pixels reach px: a text given this much room never runs into the next.
    constexpr int UnitsCovering(int px) const {
        return -FloorDiv(-(static_cast<long long>(px) * kUnitDpi - kUnitDpi / 2), dpi_);
    }

    friend constexpr bool operator==(Dpi, Dpi) = default;

private:
    static constexpr int FloorDiv(long long a, long long b) {
        return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
    }
    int dpi_ = kUnitDpi;
};

// The screen's DPI as every window of the process saw it at its start (LOGPIXELSY).
Dpi SystemDpi();
// The system DPI where the system cannot tell a window's own.
Dpi WindowDpi(HWND hwnd);
int SystemMetric(int index, Dpi dpi);
// Falls back to AdjustWindowRectEx at the system DPI.
SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, Dpi dpi);

// ---- rectangles and places, in pixels ----

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

// Empty when hwnd is no window.
RECT WindowRect(HWND hwnd);
// Left and top 0.
RECT ClientRect(HWND hwnd);
// The title bar and borders: the outer size less the client area's.
SIZE FrameSize(HWND hwnd);
// In the client coordinates of its parent.
RECT RectInParent(HWND child);

// Z-order and activation stay.
void SetOuterSize(HWND hwnd, int width, int height);
void MoveTo(HWND hwnd, int x, int y);

// The work area (without the taskbar) is that of the monitor that holds most of hwnd, or the
// nearest one.
RECT ScreenRect();
RECT MonitorWorkArea(HWND hwnd);
// The primary one for no window.
RECT MonitorRect(HWND hwnd);

POINT CentredIn(const RECT& area, int width, int height);
void CentreWindow(HWND hwnd, const RECT& area);
// Moves and sizes only where hwnd is not in that place yet. The least move that brings r inside
// area; where it is wider or taller, its left or top edge goes to area's.
void PlaceInside(HWND hwnd, const RECT& r, const RECT& area);

}  // namespace velkaro::win
