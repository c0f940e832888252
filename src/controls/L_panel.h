// TFocusControl: a plain window that can hold the keyboard focus without
// showing anything, so that no edit keeps a caret or a selection. Its keys
// go to the form's shortcuts only, then to its own key events: Tab, the
// arrows, Enter and Escape are no dialog keys here.
#pragma once
#include "classlib/Controls.h"

class TFocusControl : public TWinControl {
 public:
  TFocusControl();

 protected:
  void HandleMessage(TMessage& m) override;
};
