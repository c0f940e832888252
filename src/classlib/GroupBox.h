// Group box: a container that paints its own frame and caption.
#pragma once
#include "Controls.h"

struct TGroupBoxValues : TWinControlValues {
  bool Ctl3D = true;
};

template <class Self, class V = TGroupBoxValues>
struct TGroupBoxArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(Ctl3D)
};
struct TGroupBoxArgs : TGroupBoxArgsOf<TGroupBoxArgs> {};

class TGroupBox : public TCustomControl {
 public:
  TGroupBox();
  void Create(const TGroupBoxValues& v);
  bool Ctl3D = true;
  RECT AlignRect() const override;

 protected:
  void Paint() override;  // classic frame; themed painting overrides this
  void CreateParams(TCreateParams& p) override;
};
