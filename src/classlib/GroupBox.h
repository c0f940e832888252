// Group box: a container that paints its own frame and caption.
#pragma once
#include "Controls.h"

class TGroupBox : public TCustomControl {
 public:
  TGroupBox();
  bool Ctl3D = true;
  RECT AlignRect() const override;

 protected:
  void Paint() override;  // classic frame; themed painting overrides this
  void CreateParams(TCreateParams& p) override;
};
