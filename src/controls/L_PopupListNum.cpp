#include "controls/L_PopupListNum.h"

#include "classlib/Guard.h"
#include "controls/L_DropDown.h"

TPopupListNum::TPopupListNum() { visible_ = false; }

void TPopupListNum::CreateParams(TCreateParams& p) {
  TCustomListNum::CreateParams(p);
  p.Style = (p.Style & ~(WS_CHILD | WS_VISIBLE)) | WS_POPUP | WS_BORDER;
  p.ExStyle |= WS_EX_TOOLWINDOW;
  p.WndParent = OwnerWindow;
}

// The list draws itself as focused while the combo edit keeps the real focus.
void TPopupListNum::CreateHandleDone() {
  TCustomListNum::CreateHandleDone();
  DrawAsFocused(hwnd_, sysProc_);
}

void TPopupListNum::HandleMessage(TMessage& m) {
  if (!DropDownMessage(m)) TCustomListNum::HandleMessage(m);
}

void TPopupListNum::MouseMove(TShiftState s, int x, int y) {
  TCustomListNum::MouseMove(s, x, y);
  // The selection simply does not follow the pointer this time.
  Guard("drop-down list pointer", [&] {
    int row = ItemAtPos(POINT{x, y}, true);
    if (row >= 0 && row != ItemIndex()) SetItemIndex(row);
  });
}

void TPopupListNum::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TCustomListNum::MouseUp(b, s, x, y);
  if (b == mbLeft && CloseUp) CloseUp(x >= 0 && y >= 0 && x < Width() && y < Height());
}
