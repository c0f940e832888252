#include "PaintBox.h"

TPaintBox::TPaintBox() {
  width_ = 105;
  height_ = 105;
}

void TPaintBox::Create(const TPaintBoxValues& v) {
  TakeEvent(OnPaint, v.OnPaint);
  TGraphicControl::Create(v);
}

void TPaintBox::Paint() {
  if (OnPaint) OnPaint(this);
}
