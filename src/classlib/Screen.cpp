#include "Screen.h"

TScreen Screen;
TMouse Mouse;

void TScreen::SetCursor(TCursor c) {
  cursor_ = c;
  ::SetCursor(CursorHandle(c == crDefault ? crArrow : c));
}

int TScreen::Width() const { return GetSystemMetrics(SM_CXSCREEN); }
int TScreen::Height() const { return GetSystemMetrics(SM_CYSCREEN); }

RECT TScreen::WorkAreaRect() const {
  RECT r;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) r = Rect(0, 0, Width(), Height());
  return r;
}

RECT TScreen::DesktopRect() const {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return Bounds(x, y, GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

int TScreen::PixelsPerInch() const {
  WindowDC screen;
  return GetDeviceCaps(screen.get(), LOGPIXELSY);
}

int TScreen::ColorDepth() const {
  WindowDC screen;
  return GetDeviceCaps(screen.get(), PLANES) * GetDeviceCaps(screen.get(), BITSPIXEL);
}

POINT TMouse::CursorPos() const {
  POINT p = {0, 0};
  GetCursorPos(&p);
  return p;
}

void TMouse::SetCursorPos(POINT p) { ::SetCursorPos(p.x, p.y); }

int TMouse::WheelScrollLines() const {
  UINT n = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &n, 0);
  return (int)n;
}
