// A top-level window of the layer's own class.
#pragma once
#include "classlib/Controls.h"

class PopupControl : public TWinControl {
 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    p.Style = WS_POPUP;
    p.WndParent = nullptr;
  }
};
