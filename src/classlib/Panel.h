// Panel: a windowed container with bevels and an optional caption.
#pragma once
#include "Controls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised };

struct TPanelValues : TWinControlValues {
  std::optional<TBevelCut> BevelOuter;
  std::optional<TBevelCut> BevelInner;
  std::optional<int> BevelWidth;
  std::optional<int> BorderWidth;
  std::optional<TAlignment> Alignment;
};

template <class Self, class V = TPanelValues>
struct TPanelArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(BevelOuter)
  CREATE_ARG(BevelInner)
  CREATE_ARG(BevelWidth)
  CREATE_ARG(BorderWidth)
  CREATE_ARG(Alignment)
};
struct TPanelArgs : TPanelArgsOf<TPanelArgs> {};

class TPanel : public TCustomControl {
 public:
  TPanel();
  void Create(const TPanelValues& v);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut b);
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut b);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  RECT AlignRect() const override;

 protected:
  void Paint() override;
  // The bevels and border; returns the rectangle inside them.
  RECT PaintBevels();
  void PaintCaption(RECT r);
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TAlignment alignment_ = taCenter;
};
