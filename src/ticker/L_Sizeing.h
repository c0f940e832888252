// Window geometry for the stored sizes: keeping a window on the desktop,
// centring it on its monitor and a form's normal rectangle.
#pragma once
#include <windows.h>

// The rectangle moved and cut so that it lies on the desktop: no wider or
// higher than the desktop, not left of or above it, not beyond its right
// or bottom edge.
RECT ClampToDesktop(const RECT& bounds, const RECT& desktop);
// The smallest size the window accepts by its WM_GETMINMAXINFO answer, and
// never below one pixel (also without a window).
SIZE LeastWindowSize(HWND window);
// Left and top of a w x h window centred across the work area and a third
// of the way down it.
POINT CentreOnWorkArea(int w, int h, const RECT& workArea);
// The work area of the window's monitor, or the screen's when the monitor
// cannot be asked.
RECT WindowWorkArea(HWND window);
// The window's normal rectangle in screen coordinates: for a maximized
// window its restored rectangle, otherwise where it is.
RECT NormalWindowRect(HWND window);
