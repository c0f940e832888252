// The button of a combo edit: spin arrows, ellipsis, or drop-down arrow,
// classic or themed; its pressing and the spin auto-repeat.
#pragma once
#include <windows.h>

#include "controls/L_ComboBox.h"

struct TComboButtonState {
  TEditStyle Style = esSimple;
  bool Themed = false;
  bool Enabled = true;
  bool Usable = true;  // enabled, visible, and not read-only unless a drop list
  bool HasList = false;
  bool HasItems = false;
  bool Pressed = false;  // the ellipsis or the arrow
  bool UpPressed = false, DownPressed = false;
};

// Draws the button into r of the edit's client DC and excludes what it
// drew from the clip, so the edit's own painting leaves it.
void PaintComboButton(HWND edit, HDC dc, RECT r, int buttonWidth, const TComboButtonState& s);
