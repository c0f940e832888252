#include "controls/L_panel.h"

#include "classlib/Forms.h"

TFocusControl::TFocusControl() {
  color_ = clWindow;
  parentColor_ = true;
  TabStop = false;
}

void TFocusControl::HandleMessage(TMessage& m) {
  if (m.Msg == CN_KEYDOWN || m.Msg == CN_SYSKEYDOWN) {
    // A shortcut runs, and the key still reaches OnKeyDown afterwards.
    if (TForm* f = GetParentForm(this)) f->IsShortCut((WORD)m.WParam, KeyboardShiftState());
    m.Result = 0;
    return;
  }
  TWinControl::HandleMessage(m);
}
