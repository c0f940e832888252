// Group box: a container that paints its own frame and caption.
#pragma once
#include "Controls.h"

struct TGroupBoxValues : TWinControlValues {
  std::optional<bool> Ctl3D;
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
  // Themed frame and caption under visual styles, else the classic ones.
  void Paint() override;
  void PaintThemed(int textHeight);
  void PaintClassic(int textHeight);
  void CreateParams(TCreateParams& p) override;
};
