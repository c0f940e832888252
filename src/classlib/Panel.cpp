#include "Panel.h"

TPanel::TPanel() {
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
}

void TPanel::Create(const TPanelValues& v) {
  TakeValue(bevelOuter_, v.BevelOuter);
  TakeValue(bevelInner_, v.BevelInner);
  TakeValue(bevelWidth_, v.BevelWidth);
  TakeValue(borderWidth_, v.BorderWidth);
  TakeValue(alignment_, v.Alignment);
  TCustomControl::Create(v);
  Realign();
}

void TPanel::SetBevelOuter(TBevelCut b) {
  bevelOuter_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelInner(TBevelCut b) {
  bevelInner_ = b;
  Realign();
  Invalidate();
}

void TPanel::SetBevelWidth(int w) {
  bevelWidth_ = w;
  Realign();
  Invalidate();
}

void TPanel::SetBorderWidth(int w) {
  borderWidth_ = w;
  Realign();
  Invalidate();
}

void TPanel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

RECT TPanel::AlignRect() const {
  RECT r = ClientRect();
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  InflateRect(&r, -inset, -inset);
  return r;
}

RECT TPanel::PaintBevels() {
  RECT r = ClientRect();
  if (bevelOuter_ != bvNone)
    Frame3D(canvas_, r, bevelOuter_ == bvLowered ? clBtnShadow : clBtnHighlight,
            bevelOuter_ == bvLowered ? clBtnHighlight : clBtnShadow, bevelWidth_);
  Frame3D(canvas_, r, color_, color_, borderWidth_);
  if (bevelInner_ != bvNone)
    Frame3D(canvas_, r, bevelInner_ == bvLowered ? clBtnShadow : clBtnHighlight,
            bevelInner_ == bvLowered ? clBtnHighlight : clBtnShadow, bevelWidth_);
  return r;
}

void TPanel::PaintCaption(RECT r) {
  if (text_.empty()) return;
  canvas_.Brush.Style = bsClear;
  canvas_.Font = font_;
  UINT f = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
  f |= alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
  canvas_.DrawText(text_, r, f);
}

void TPanel::Paint() {
  canvas_.Brush.Color = color_;
  canvas_.Brush.Style = bsSolid;
  canvas_.FillRect(ClientRect());
  RECT inner = PaintBevels();
  PaintCaption(inner);
}
