#include "controls/L_ComboButton.h"

#include "shared/S_UxTheme.h"

namespace {

// Theme parts and states.
const int kSpinUp = 1, kSpinDown = 2, kComboDropDown = 1, kPushButton = 1;
const int kNormal = 1, kPressed = 3, kDisabled = 4;

void Exclude(HDC dc, const RECT& r) { ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom); }

int ThemeState(bool enabled, bool pressed) {
  return !enabled ? kDisabled : pressed ? kPressed : kNormal;
}

void PaintSpin(HWND edit, HDC dc, RECT r, const TComboButtonState& s) {
  int half = (r.bottom - r.top) / 2;
  RECT up = r, down = r;
  if (s.Themed) {
    up.bottom = r.top + half;
    down.top = r.bottom - half;
    DrawThemePart(edit, dc, L"SPIN", kSpinUp, ThemeState(s.Enabled, s.UpPressed), up);
    DrawThemePart(edit, dc, L"SPIN", kSpinDown, ThemeState(s.Enabled, s.DownPressed), down);
  } else {
    up.bottom -= half;
    down.top += half;
    UINT inactive = s.Enabled ? 0 : DFCS_INACTIVE;
    DrawFrameControl(dc, &up, DFC_SCROLL,
                     DFCS_SCROLLUP | inactive | (s.UpPressed ? DFCS_PUSHED | DFCS_FLAT : 0));
    DrawFrameControl(dc, &down, DFC_SCROLL,
                     DFCS_SCROLLDOWN | inactive | (s.DownPressed ? DFCS_PUSHED | DFCS_FLAT : 0));
  }
  Exclude(dc, up);
  Exclude(dc, down);
}

void PaintEllipsis(HWND edit, HDC dc, RECT r, int buttonWidth, const TComboButtonState& s) {
  RECT drawn = r;
  int offset = 0;
  if (s.Themed) {
    DrawThemePart(edit, dc, L"COMBOBOX", kComboDropDown, kDisabled, r);
    DrawThemePart(edit, dc, L"BUTTON", kPushButton, s.Pressed ? kPressed : kNormal, r);
    r.left += 1;
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_MIDDLE | (s.Pressed ? BF_FLAT : 0));
    offset = s.Pressed ? 1 : 0;
  }
  int side = buttonWidth < 8 ? 1 : buttonWidth / 8;
  int x = r.left + (r.right - r.left) / 2 + offset - 1,
      y = r.top + (r.bottom - r.top) / 2 + offset - 1;
  for (int dx : {-2 * side, 0, 2 * side}) PatBlt(dc, x + dx, y, side, side, BLACKNESS);
  Exclude(dc, drawn);
}

void PaintArrow(HWND edit, HDC dc, RECT r, const TComboButtonState& s) {
  bool active = (s.Style == esDate || s.HasItems) && s.Usable;
  if (s.Themed) {
    DrawThemePart(edit, dc, L"COMBOBOX", kComboDropDown, ThemeState(active, s.Pressed), r);
  } else {
    UINT state = !active ? DFCS_INACTIVE : s.Pressed ? DFCS_PUSHED | DFCS_FLAT : 0;
    DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | state);
  }
  Exclude(dc, r);
}

}  // namespace

void PaintComboButton(HWND edit, HDC dc, RECT r, int buttonWidth, const TComboButtonState& s) {
  switch (s.Style) {
    case esSpin:
      PaintSpin(edit, dc, r, s);
      break;
    case esEllipsis:
      if (s.Usable) PaintEllipsis(edit, dc, r, buttonWidth, s);
      break;
    case esPickList:
    case esDropList:
      if (s.HasList) PaintArrow(edit, dc, r, s);
      break;
    case esDate:
      PaintArrow(edit, dc, r, s);
      break;
    default:
      break;
  }
}
