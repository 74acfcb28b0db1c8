// The statistics window's outer size kept within its monitor's work area, with the scroll bars
// that makes necessary. All sizes of one kind: pixels, or 96-DPI units.
#pragma once

#include <algorithm>

namespace velkaro {

struct WindowFit {
    int width = 0;   // outer
    int height = 0;
    bool scrollsDown = false;      // a vertical scroll bar over the image area
    bool scrollsSideways = false;  // a horizontal one
    friend bool operator==(const WindowFit&, const WindowFit&) = default;
};

// leastWidth: the outer width that still shows every text whole (the margin beyond it is cut
// before anything scrolls sideways); bar: a vertical bar's width and a horizontal bar's height.
inline WindowFit FitToWorkArea(int wantedWidth, int leastWidth, int wantedHeight, int areaWidth, int areaHeight,
                               int barWidth, int barHeight) {
    WindowFit fit;
    fit.scrollsDown = wantedHeight > areaHeight;
    fit.scrollsSideways = std::min(leastWidth, wantedWidth) + (fit.scrollsDown ? barWidth : 0) > areaWidth;
    // The horizontal bar takes its height from the image area: the panel may no longer fit.
    if (fit.scrollsSideways && !fit.scrollsDown) fit.scrollsDown = wantedHeight + barHeight > areaHeight;
    fit.width = std::min(wantedWidth + (fit.scrollsDown ? barWidth : 0), areaWidth);
    fit.height = std::min(wantedHeight + (fit.scrollsSideways ? barHeight : 0), areaHeight);
    return fit;
}

}  // namespace velkaro
