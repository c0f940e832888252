#include "L_Sizeing.h"

#include <algorithm>

#include "classlib/Screen.h"

RECT ClampToDesktop(const RECT& bounds, const RECT& desktop) {
  const int dw = desktop.right - desktop.left, dh = desktop.bottom - desktop.top;
  int w = std::min<int>(bounds.right - bounds.left, dw);
  int h = std::min<int>(bounds.bottom - bounds.top, dh);
  int l = std::max<int>(bounds.left, desktop.left);
  int t = std::max<int>(bounds.top, desktop.top);
  if (l + w > desktop.left + dw) l = desktop.left + dw - w;
  if (t + h > desktop.top + dh) t = desktop.top + dh - h;
  return Bounds(l, t, w, h);
}

SIZE LeastWindowSize(HWND window) {
  MINMAXINFO info = {};
  info.ptMinTrackSize = {1, 1};
  if (window) SendMessageW(window, WM_GETMINMAXINFO, 0, (LPARAM)&info);
  return SIZE{std::max<LONG>(info.ptMinTrackSize.x, 1), std::max<LONG>(info.ptMinTrackSize.y, 1)};
}

POINT CentreOnWorkArea(int w, int h, const RECT& workArea) {
  POINT p;
  p.x = workArea.left + (workArea.right - workArea.left - w) / 2;
  p.y = workArea.top + (workArea.bottom - workArea.top - h) / 3;
  return p;
}

RECT WindowWorkArea(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  HMONITOR monitor = window ? MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST) : nullptr;
  if (monitor && GetMonitorInfoW(monitor, &info)) return info.rcWork;
  return Screen.WorkAreaRect();
}

RECT NormalWindowRect(HWND window) {
  RECT r = {};
  GetWindowRect(window, &r);
  if (!IsZoomed(window)) return r;
  WINDOWPLACEMENT wp = {};
  wp.length = sizeof wp;
  if (!GetWindowPlacement(window, &wp)) return r;
  // The placement is in work-area coordinates: a taskbar at the top or left
  // moves the work area's origin away from the screen's.
  RECT normal = wp.rcNormalPosition;
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info))
    OffsetRect(&normal, info.rcWork.left - info.rcMonitor.left,
               info.rcWork.top - info.rcMonitor.top);
  return normal;
}
