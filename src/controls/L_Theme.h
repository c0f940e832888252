// TTabSheetEx: a tab sheet that turns white under visual styles, as the
// themed tab control's body is.
#pragma once
#include "classlib/PageControl.h"

class TTabSheetEx : public TTabSheet {
 public:
  void SetParent(TWinControl* p) override;
};
