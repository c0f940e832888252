// The pop-up that shows a hint text near the cursor: a thin frame, never
// activated, and clicks fall through it. Forms derive their own hints from it.
#pragma once
#include <string>

#include "Controls.h"

class THintWindow : public TCustomControl {
 public:
  THintWindow();

  // The rectangle a text needs at most maxWidth pixels wide, word-wrapped in
  // the window's font: 6 wider and 2 higher than the text itself.
  virtual RECT CalcHintRect(int maxWidth, const std::string& text);
  // Shows the text in rect (screen coordinates), top-most, not activated.
  virtual void ActivateHint(RECT rect, const std::string& text);
  // Hides the window.
  void ReleaseHint();

 protected:
  void CreateParams(TCreateParams& p) override;
  void HandleMessage(TMessage& m) override;
  void VisibleChanged() override;
  void Paint() override;
};
