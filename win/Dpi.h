// Sizes at the DPI of a window: everything is given in 96-DPI units and scaled where it is
// drawn, measured or placed. The DPI functions of Windows 8.1 and 10 are looked up by name:
// Windows 7 has only the system DPI.
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
inline int FontHeight(int points, Dpi dpi) { return -::MulDiv(points, dpi.Value(), 72); }

// Moves the window only after it has taken the new DPI, so that its sizing sees it.
inline Dpi DpiOfMessage(WPARAM wp) { return Dpi(LOWORD(wp)); }
void MoveToSuggestedRect(HWND hwnd, LPARAM lp);

}  // namespace velkaro::win
