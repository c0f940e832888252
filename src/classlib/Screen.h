// The screen and the mouse: cursor, sizes, work area, colour depth.
#pragma once
#include <windows.h>

#include "Controls.h"

class TScreen {
 public:
  TCursor Cursor() const { return cursor_; }
  // crDefault: each control's own cursor; anything else overrides them all.
  void SetCursor(TCursor c);
  int Width() const;
  int Height() const;
  RECT WorkAreaRect() const;
  RECT DesktopRect() const;  // the virtual screen
  int PixelsPerInch() const;
  int ColorDepth() const;  // planes x bits per pixel of the screen

 private:
  TCursor cursor_ = crDefault;
};

class TMouse {
 public:
  POINT CursorPos() const;
  void SetCursorPos(POINT p);
  int WheelScrollLines() const;
};

extern TScreen Screen;
extern TMouse Mouse;
