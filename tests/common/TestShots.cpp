#include "common/TestShots.h"

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"
#include "common/TestImages.h"
#include "common/TestMessages.h"

WindowShot ShootWindow(HWND h) {
  WindowShot shot;
  SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  RedrawWindow(h, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessagesFor(150);
  RECT r;
  GetWindowRect(h, &r);
  shot.Width = r.right - r.left;
  shot.Height = r.bottom - r.top;
  WindowDC screen;
  MemoryDC mem(screen.get());
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = shot.Width;
  bi.bmiHeader.biHeight = -shot.Height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  BitmapHandle bmp(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bmp || !bits) return shot;
  SelectObjectScope select(mem.get(), bmp.get());
  BitBlt(mem.get(), 0, 0, shot.Width, shot.Height, screen.get(), r.left, r.top, SRCCOPY);
  GdiFlush();
  auto* px = (const DWORD*)bits;
  shot.Pixels.resize((size_t)shot.Width * shot.Height);
  for (size_t i = 0; i < shot.Pixels.size(); ++i)
    shot.Pixels[i] = RGB((px[i] >> 16) & 0xFF, (px[i] >> 8) & 0xFF, px[i] & 0xFF);
  return shot;
}

void SaveShot(const WindowShot& shot, const std::string& name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, n);
  dir = dir.substr(0, dir.find_last_of(L'\\') + 1) + L"shots";
  CreateDirectoryW(dir.c_str(), nullptr);
  std::string bmp = BmpBytes(shot.Width, shot.Height,
                             [&](int x, int y) { return shot.At(x, shot.Height - 1 - y); });
  WriteWholeFile(WideToSjis(dir) + "\\" + name + ".bmp", bmp);
}
