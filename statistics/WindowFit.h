// The statistics window on the screen: the outer size its panel asks for, kept within the work
// area of its monitor. Past the work area the image area scrolls through the panel, down or
// sideways, and the window is wider (or taller) by the scroll bar that shows for it, as far as
// the work area allows. The sizes are of one kind throughout: pixels, or 96-DPI units.
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

// wanted: the outer size the panel asks for; leastWidth: the outer width that still shows every
// text whole (what lies beyond it is margin, cut before anything scrolls sideways); area: the
// work area's size; bar: the width of a vertical and the height of a horizontal scroll bar.
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
