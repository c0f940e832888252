#include "controls/L_DropDown.h"

bool DropDownMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      m.Result = 0;
      return true;
    case WM_MOUSEACTIVATE:
      m.Result = MA_NOACTIVATE;
      return true;
  }
  return false;
}

void DrawAsFocused(HWND window, WNDPROC systemProc) {
  if (window && systemProc) CallWindowProcW(systemProc, window, WM_SETFOCUS, 0, 0);
}
