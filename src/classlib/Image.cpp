#include "Image.h"

#include <algorithm>

TImage::TImage() {
  width_ = 105;
  height_ = 105;
  picture_.OnChange = [this] { PictureChanged(); };
}

void TImage::Create(const TImageValues& v) {
  TakeValue(stretch_, v.Stretch);
  TakeValue(center_, v.Center);
  TakeValue(transparent_, v.Transparent);
  TakeValue(proportional_, v.Proportional);
  TakeValue(autoSize_, v.AutoSize);
  TGraphicControl::Create(v);
}

void TImage::PictureChanged() {
  if (autoSize_ && !picture_.Empty()) SetBounds(left_, top_, picture_.Width(), picture_.Height());
  Invalidate();
}

void TImage::SetStretch(bool v) {
  stretch_ = v;
  Invalidate();
}

void TImage::SetCenter(bool v) {
  center_ = v;
  Invalidate();
}

void TImage::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TImage::SetProportional(bool v) {
  proportional_ = v;
  Invalidate();
}

void TImage::SetAutoSize(bool v) {
  autoSize_ = v;
  PictureChanged();
}

RECT TImage::DestRect() const {
  int w = picture_.Width(), h = picture_.Height();
  int cw = width_, ch = height_;
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      double s = std::min((double)cw / w, (double)ch / h);
      w = (int)(w * s);
      h = (int)(h * s);
    } else {
      w = cw;
      h = ch;
    }
  }
  RECT r = Bounds(0, 0, w, h);
  if (center_) OffsetRect(&r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_.Graphic();
  if (!g || g->Empty()) return;
  g->Transparent = transparent_;
  canvas_.StretchDraw(DestRect(), *g);
}
