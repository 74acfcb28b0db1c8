// Window and client rectangles, sizes and places on the screen.
#pragma once

#include <windows.h>

namespace velkaro::win {

inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

// The outer rectangle on the screen; empty when hwnd is no window.
RECT WindowRect(HWND hwnd);
// The client area: left and top 0, right and bottom its size.
RECT ClientRect(HWND hwnd);
// The outer rectangle of a child in the client coordinates of its parent.
RECT RectInParent(HWND child);

// New outer size, or new place of the top-left corner; z-order and activation stay.
void SetOuterSize(HWND hwnd, int width, int height);
void MoveTo(HWND hwnd, int x, int y);

// The primary monitor; all monitors together; the work area (without the taskbar) of the
// monitor that holds most of hwnd, or the nearest one.
RECT ScreenRect();
RECT VirtualScreenRect();
RECT MonitorWorkArea(HWND hwnd);
// The whole monitor that holds most of hwnd; the primary one for no window.
RECT MonitorRect(HWND hwnd);

// The top-left corner that centres a width x height rectangle in area.
POINT CentredIn(const RECT& area, int width, int height);
// Moves hwnd to the centre of area, keeping its size.
void CentreWindow(HWND hwnd, const RECT& area);
// r moved, keeping its size, the least distance that brings it inside area; where it is
// wider or taller than area, its left or top edge goes to area's.
RECT MoveInside(const RECT& r, const RECT& area);
// hwnd moved and sized to r moved inside area (MoveInside), where that is not its place yet.
void PlaceInside(HWND hwnd, const RECT& r, const RECT& area);

}  // namespace velkaro::win
