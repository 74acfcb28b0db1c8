// Sizes at the DPI of a window. Every size and position of the program's windows is given in
// 96-DPI units (the pixels of a screen at 100 %) and scaled to the window's DPI where it is
// drawn, measured or placed; at 96 DPI a unit is a pixel and nothing changes.
//
// The system's DPI functions of Windows 8.1 and 10 are looked up by name: on Windows 7 they
// do not exist, and the system DPI is the one scale of every window.
#pragma once

#include <windows.h>

namespace velkaro::win {

inline constexpr int kUnitDpi = 96;

// A DPI, and its pixels for 96-DPI units.
class Dpi {
public:
    constexpr Dpi() = default;
    constexpr explicit Dpi(int dpi) : dpi_(dpi > 0 ? dpi : kUnitDpi) {}
    constexpr int Value() const { return dpi_; }

    // Units to pixels, rounded to the nearest pixel (a half up). Never decreasing: what
    // stands left of or above another in units does so in pixels, so cells that share an
    // edge in units share it in pixels.
    constexpr int Px(int units) const { return FloorDiv(static_cast<long long>(units) * dpi_ + kUnitDpi / 2, kUnitDpi); }
    // The unit a pixel falls into: the last unit whose pixel is at or before it (a click on
    // the first pixel row of a block is in the block).
    constexpr int Units(int px) const {
        return FloorDiv(static_cast<long long>(px) * kUnitDpi + kUnitDpi / 2 - 1, dpi_);
    }
    // The least units whose pixels reach px: a text px wide, given this many units of room,
    // never runs into what follows it.
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
// The DPI of a window's monitor (GetDpiForWindow), or the system DPI where the system cannot
// tell a window's own.
Dpi WindowDpi(HWND hwnd);
// A system metric at a DPI (GetSystemMetricsForDpi), or at the system DPI where the system
// has only that.
int SystemMetric(int index, Dpi dpi);
// The outer size of a window of that style around a client area of width x height pixels
// at a DPI (AdjustWindowRectExForDpi, or AdjustWindowRectEx at the system DPI).
SIZE OuterSize(int width, int height, DWORD style, DWORD exStyle, Dpi dpi);
// The LOGFONT height of a font of so many points.
inline int FontHeight(int points, Dpi dpi) { return -::MulDiv(points, dpi.Value(), 72); }

// WM_DPICHANGED: the new DPI, and the window moved to the rectangle the system suggests for it
// (after the window has taken the new DPI, so that its sizing sees it).
inline Dpi DpiOfMessage(WPARAM wp) { return Dpi(LOWORD(wp)); }
void MoveToSuggestedRect(HWND hwnd, LPARAM lp);

}  // namespace velkaro::win
