#include "controls/L_ComboButton.h"

#include <windowsx.h>

#include "classlib/Timer.h"
#include "shared/S_FileUtils.h"
#include "shared/S_UxTheme.h"

namespace {

// The spin auto-repeat timer of every combo edit, and the one it steps now.
struct SpinRepeat {
  TTimer timer;
  TComboEdit* target = nullptr;
  SpinRepeat() { timer.SetEnabled(false); }
};

SpinRepeat& Repeat() {
  static SpinRepeat repeat;
  return repeat;
}

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

void TComboEdit::RaiseButtonClick() {
  struct Pressed {
    TComboEdit& c;
    explicit Pressed(TComboEdit& e) : c(e) {
      c.inButtonClick_ = c.buttonPressed_ = true;
      c.Repaint();
    }
    ~Pressed() {
      c.inButtonClick_ = c.buttonPressed_ = false;
      c.Invalidate();
    }
  } pressed(*this);
  OnEditButtonClick(this);
}

void TComboEdit::UpdatePressed(int x, int y) {
  HWND h = HandleIfAllocated();
  POINT p = {x, y};
  if (editStyle_ == esSpin) {
    int cw = ClientWidth(), ch = ClientHeight();
    RECT column = Rect(cw - buttonWidth_, 0, cw, ch);
    bool inside = PtInRect(&column, p) != 0;
    bool up = inside && y < ch / 2, down = inside && !up;
    if (up == upPressed_ && down == downPressed_) return;
    upPressed_ = up;
    downPressed_ = down;
    if (h) ::InvalidateRect(h, &column, FALSE);
    return;
  }
  RECT r = ButtonRect();
  bool pressed = PtInRect(&r, p) != 0;
  if (pressed == buttonPressed_) return;
  buttonPressed_ = pressed;
  if (h) ::InvalidateRect(h, &r, FALSE);
}

void TComboEdit::ReleaseRepeat() {
  SpinRepeat& r = Repeat();
  if (r.target != this) return;
  r.timer.SetEnabled(false);
  r.target = nullptr;
}

void TComboEdit::StopTracking() {
  // Cleared first: the release comes back here as WM_CAPTURECHANGED.
  bool held = tracking_ && GetCapture() == HandleIfAllocated();
  tracking_ = false;
  if (held) ReleaseCapture();
  UpdatePressed(-1, -1);
  SpinRepeat& r = Repeat();
  if (r.target == this && r.timer.Enabled()) r.timer.SetEnabled(false);
}

void TComboEdit::StartRepeat(int direction) {
  SpinRepeat& r = Repeat();
  r.target = this;
  r.timer.Tag = direction;
  RepeatStep();
  r.timer.OnTimer = [](TObject*) {
    if (TComboEdit* c = Repeat().target) c->RepeatStep();
  };
  r.timer.SetInterval(400);
  r.timer.SetEnabled(true);
}

// A held spin button steps once, again after 400 ms, then every 100 ms.
void TComboEdit::RepeatStep() {
  SpinRepeat& r = Repeat();
  r.timer.SetInterval(100);
  double step = Increment * (IsShiftDown() ? 10 : 1);
  StepBy(r.timer.Tag < 0 ? -step : step);
}

void TComboEdit::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (b == mbLeft && editStyle_ != esSimple) {
    if (droppedDown_) {
      CloseUp(false);
    } else if (HitButton(POINT{x, y})) {
      SetCapture(Handle());
      tracking_ = true;
      UpdatePressed(x, y);
      if (upPressed_) StartRepeat(1);
      if (downPressed_) StartRepeat(-1);
      if (IsDropStyle()) DropDown();
    }
  }
  TEditNext::MouseDown(b, s, x, y);
}

void TComboEdit::MouseMoveMessage(TMessage& m) {
  if (tracking_) {
    POINT p = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
    UpdatePressed(p.x, p.y);
    HWND drop = DropDownWindow();
    if (droppedDown_ && drop) {
      POINT in = ClientToScreen(p);
      ::ScreenToClient(drop, &in);
      RECT client;
      GetClientRect(drop, &client);
      if (PtInRect(&client, in)) {
        StopTracking();
        SendMessageW(drop, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(in.x, in.y));
        m.Result = 0;
        return;
      }
    }
    int cw = ClientWidth();
    if (editStyle_ == esSpin &&
        (p.x < cw - buttonWidth_ || p.x >= cw || p.y < 0 || p.y >= ClientHeight()))
      StopTracking();
  }
  TEditNext::HandleMessage(m);
}

void TComboEdit::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (b == mbLeft) {
    bool wasPressed = buttonPressed_;
    StopTracking();
    if (editStyle_ == esEllipsis && wasPressed && OnEditButtonClick && ButtonUsable())
      RaiseButtonClick();
  }
  TEditNext::MouseUp(b, s, x, y);
}
