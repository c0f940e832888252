#include "GroupBox.h"

TGroupBox::TGroupBox() {
  width_ = 185;
  height_ = 105;
  parentColor_ = true;
}

void TGroupBox::Create(const TGroupBoxValues& v) {
  Ctl3D = v.Ctl3D;
  TCustomControl::Create(v);
}

void TGroupBox::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.WinClassName = L"TGroupBox";
}

RECT TGroupBox::AlignRect() const {
  RECT r = ClientRect();
  TCanvas c;
  c.Font = font_;
  int h = c.TextHeight("0");
  InflateRect(&r, -1, -1);
  r.top += h;
  return r;
}

void TGroupBox::Paint() {
  RECT client = ClientRect();
  canvas_.Brush.Color = color_;
  canvas_.Brush.Style = bsSolid;
  canvas_.FillRect(client);
  canvas_.Font = font_;
  int h = canvas_.TextHeight("0");
  RECT r = Rect(0, h / 2 - 1, width_, height_);
  if (Ctl3D) {
    RECT outer = r;
    OffsetRect(&outer, 1, 1);
    canvas_.Brush.Color = clBtnHighlight;
    canvas_.FrameRect(outer);
    OffsetRect(&outer, -1, -1);
    outer.right--;
    outer.bottom--;
    canvas_.Brush.Color = clBtnShadow;
    canvas_.FrameRect(outer);
  } else {
    canvas_.Brush.Color = clWindowFrame;
    canvas_.FrameRect(r);
  }
  if (!text_.empty()) {
    RECT tr = Rect(8, 0, 0, h);
    canvas_.DrawText(text_, tr, DT_CALCRECT | DT_SINGLELINE);
    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = bsSolid;
    if (!enabled_) canvas_.Font.SetColor(clGrayText);
    canvas_.DrawText(text_, tr, DT_SINGLELINE);
  }
}
