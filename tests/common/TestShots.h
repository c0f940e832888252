// Screen pictures of windows for the tests that look at controls: the
// pixels a window shows after painting, and a BMP of them in the build folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct WindowShot {
  int Width = 0, Height = 0;
  std::vector<COLORREF> Pixels;  // rows top to bottom
  COLORREF At(int x, int y) const { return Pixels[(size_t)y * Width + x]; }
};

// Brings the window to the top, lets it paint and copies it from the screen.
WindowShot ShootWindow(HWND h);
// Saves the shot as <test program's folder>\shots\<name>.bmp.
void SaveShot(const WindowShot& shot, const std::string& name);
