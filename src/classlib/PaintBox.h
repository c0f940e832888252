// A painted area whose owner draws it in OnPaint.
#pragma once
#include "Controls.h"

struct TPaintBoxValues : TControlValues {
  TNotifyEvent OnPaint;
};

template <class Self, class V = TPaintBoxValues>
struct TPaintBoxArgsOf : TControlArgsOf<Self, V> {
  CREATE_ARG(OnPaint)
};
struct TPaintBoxArgs : TPaintBoxArgsOf<TPaintBoxArgs> {};

class TPaintBox : public TGraphicControl {
 public:
  TPaintBox();
  void Create(const TPaintBoxValues& v);
  // Draws on Canvas(), valid while it runs.
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};
