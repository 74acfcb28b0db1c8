// Window and client rectangles, sizes and places on the screen.
#pragma once

#include <windows.h>

namespace velkaro::win {

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
