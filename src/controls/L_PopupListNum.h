// TPopupListNum: the drop-down list of a combo edit. A bordered top-level
// tool window that never takes the activation; the highlight follows the
// mouse and a click closes it.
#pragma once
#include <functional>

#include "controls/L_ListNum.h"

class TPopupListNum : public TCustomListNum {
 public:
  TPopupListNum();
  // The window the list belongs to (the combo edit's form).
  HWND OwnerWindow = nullptr;
  // The combo edit's CloseUp: true when a left click ended inside the list.
  std::function<void(bool accept)> CloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  void MouseMove(TShiftState s, int x, int y) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;
};
