#include "Keys.h"

#include "classlib/Application.h"

namespace {

void Deliver(MSG& msg) {
  if (Application.PreTranslate(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void DeliverPending(HWND window) {
  MSG msg;
  for (int n = 0; n < 100 && PeekMessageW(&msg, window, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE); ++n)
    Deliver(msg);
}

void SetDown(std::initializer_list<WORD> keys, bool down) {
  BYTE state[256];
  GetKeyboardState(state);
  for (WORD k : keys) {
    state[k] = down ? 0x80 : 0;
    if (k == VK_SHIFT) state[VK_LSHIFT] = state[k];
    if (k == VK_CONTROL) state[VK_LCONTROL] = state[k];
    if (k == VK_MENU) state[VK_LMENU] = state[k];
  }
  SetKeyboardState(state);
}

}  // namespace

void PressKey(HWND window, WORD key, std::initializer_list<WORD> shift) {
  SetDown(shift, true);
  bool alt = false;
  for (WORD k : shift) alt = alt || k == VK_MENU;
  LPARAM scan = (LPARAM)MapVirtualKeyW(key, MAPVK_VK_TO_VSC) << 16;
  MSG down = {
      window, (UINT)(alt ? WM_SYSKEYDOWN : WM_KEYDOWN), key, scan | 1 | (alt ? 1 << 29 : 0), 0, {}};
  Deliver(down);
  DeliverPending(window);
  MSG up = {window, (UINT)(alt ? WM_SYSKEYUP : WM_KEYUP), key, (LPARAM)(scan | 1 | (3u << 30)), 0,
            {}};
  Deliver(up);
  SetDown(shift, false);
}

void TypeText(HWND window, const std::wstring& text) {
  for (wchar_t c : text) SendMessageW(window, WM_CHAR, c, 1);
}
