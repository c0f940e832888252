#include "controls/L_CCmbo.h"

#include <windowsx.h>

#include "classlib/Forms.h"
#include "classlib/Guard.h"

TControl* ParentFormOf(TControl* control) {
  TControl* c = control;
  while (c && !dynamic_cast<TForm*>(c) && c->Parent()) c = c->Parent();
  return c;
}

TEditNext::TEditNext() = default;

void TEditNext::Create(const TEditNextValues& v) {
  TakeValue(EnterNext, v.EnterNext);
  TakeValue(noFocusColor_, v.NoFocusColor);
  TakeValue(focusColor_, v.FocusColor);
  TakeValue(noFocusFontColor_, v.NoFocusFontColor);
  TakeValue(focusFontColor_, v.FocusFontColor);
  TEdit::Create(v);
  if (v.FocusColorChange) SetFocusColorChange(*v.FocusColorChange);
}

void TEditNext::ApplyColors(TColor background, TColor fontColor) {
  SetColor(background);
  Font().SetColor(fontColor);
}

void TEditNext::ApplyFocusPair(bool focused) {
  if (focused)
    ApplyColors(focusColor_, focusFontColor_);
  else
    ApplyColors(noFocusColor_, noFocusFontColor_);
}

void TEditNext::SetNoFocusColor(TColor c) {
  noFocusColor_ = c;
  if (focusColorChange_ && !Focused()) ApplyFocusPair(false);
}

void TEditNext::SetNoFocusFontColor(TColor c) {
  noFocusFontColor_ = c;
  if (focusColorChange_ && !Focused()) ApplyFocusPair(false);
}

void TEditNext::SetFocusColor(TColor c) {
  focusColor_ = c;
  if (focusColorChange_ && Focused()) ApplyFocusPair(true);
}

void TEditNext::SetFocusFontColor(TColor c) {
  focusFontColor_ = c;
  if (focusColorChange_ && Focused()) ApplyFocusPair(true);
}

void TEditNext::SetFocusColorChange(bool v) {
  focusColorChange_ = v;
  if (!v) return;
  ApplyFocusPair(Focused());
  Invalidate();
}

void TEditNext::PaintCheck() {
  if (!focusColorChange_) return;
  bool focused = Focused();
  if (Color() != (focused ? focusColor_ : noFocusColor_)) ApplyFocusPair(focused);
}

void TEditNext::SetFocus() {
  TEdit::SetFocus();
  if (focusColorChange_) ApplyFocusPair(true);
}

void TEditNext::DoEnter() {
  TEdit::DoEnter();
  if (focusColorChange_) ApplyFocusPair(true);
}

void TEditNext::DoExit() {
  TEdit::DoExit();
  if (focusColorChange_) ApplyFocusPair(false);
}

void TEditNext::FocusMove(int caret, WORD& key, TShiftState s) {
  if (!EnterNext || s) return;
  if (HWND h = HandleIfAllocated(); h && SendMessageW(h, CB_GETDROPPEDSTATE, 0, 0)) return;
  int direction = 0;  // 1 next, -1 previous
  if (key == VK_RETURN && (EnterNext & esEnter)) direction = 1;
  if (key == VK_LEFT && (EnterNext & esLeft) && caret == 0) direction = -1;
  if (key == VK_UP && (EnterNext & esUp)) direction = -1;
  if (key == VK_DOWN && (EnterNext & esDown)) direction = 1;
  if (!direction) {
    bool swallowed =
        (key == VK_UP && (EnterNext & esDown)) || (key == VK_DOWN && (EnterNext & esUp));
    if (swallowed) key = 0;
    return;
  }
  auto* form = dynamic_cast<TWinControl*>(ParentFormOf(this));
  if (form && form->Handle()) SendMessageW(form->Handle(), WM_NEXTDLGCTL, direction < 0 ? 1 : 0, 0);
  key = 0;
}

void TEditNext::KeyDown(WORD& key, TShiftState s) {
  TEdit::KeyDown(key, s);
  if (!key) return;
  key = (WORD)KeyFilter(-(int)key);
  if (key == VK_ESCAPE) {
    if (CanUndo()) Undo();
    return;
  }
  FocusMove(SelStart(), key, s);
}

// A carriage return never reaches the edit window, so Enter never beeps.
void TEditNext::KeyPress(char& key) {
  TEdit::KeyPress(key);
  key = (char)KeyFilter((unsigned char)key);
  if (key == '\r') key = 0;
}

// A click into an unfocused edit that selects all on entry keeps the selection.
void TEditNext::LeftButtonDown(TMessage& m) {
  // A box that cannot take the focus still selects its text.
  Guard("edit focus on click", [&] { SetFocus(); });
  SelectAll();
  POINT p = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (Width() > 32768 || Height() > 32768) {
    GetCursorPos(&p);
    p = ScreenToClient(p);
  }
  MouseDown(mbLeft, ShiftStateFromKeys(m.WParam, true), p.x, p.y);
  m.Result = 0;
}

void TEditNext::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
      if (AutoSelect && !Focused()) {
        LeftButtonDown(m);
        return;
      }
      break;
    case WM_PAINT:
      PaintCheck();
      break;
    case WM_SETFOCUS:
      TEdit::HandleMessage(m);
      if (focusColorChange_) ApplyFocusPair(true);
      return;
    case WM_KILLFOCUS:
      TEdit::HandleMessage(m);
      if (focusColorChange_) ApplyFocusPair(false);
      return;
  }
  TEdit::HandleMessage(m);
}
