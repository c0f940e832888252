#include "ticker/SKGradation.h"

#include <algorithm>
#include <cmath>

BYTE ColorComponent(int index, TColor color) {
  COLORREF rgb = ColorToRGB(color);
  switch (index) {
    case 0:
      return GetBValue(rgb);
    case 1:
      return GetGValue(rgb);
    case 2:
      return GetRValue(rgb);
    default:
      return 0;
  }
}

TColor MakeColor(BYTE red, BYTE green, BYTE blue) {
  return (TColor)(red | (green << 8) | (blue << 16));
}

namespace {

// start + Trunc((end - start) / n * i), in whole numbers so that no rounding
// of the division decides a row's colour.
BYTE Blend(BYTE start, BYTE end, int n, int i) {
  return (BYTE)(start + ((int)end - (int)start) * i / n);
}

}  // namespace

void PaintGradation(TCanvas& canvas, TDirection direction, int startX, TColor endColor,
                    TColor startColor, int steps, int extent, int endPoint, int startY) {
  const int n = std::max(steps + 1, 1);
  int t = direction == dHorizontal ? endPoint / n : (int)std::lround((double)endPoint / n);
  t = std::max(t, 1);
  const BYTE r0 = ColorComponent(2, startColor), g0 = ColorComponent(1, startColor),
             b0 = ColorComponent(0, startColor);
  const BYTE r1 = ColorComponent(2, endColor), g1 = ColorComponent(1, endColor),
             b1 = ColorComponent(0, endColor);
  auto band = [&](int pos, int thickness) {
    RECT r = direction == dHorizontal ? Bounds(startX, pos, extent, thickness)
                                      : Bounds(pos, startY, thickness, extent);
    canvas.FillRect(r);
  };
  int pos = direction == dHorizontal ? startY : startX;
  canvas.Brush.Style = bsSolid;
  for (int i = 0; i <= n && pos < endPoint; ++i) {
    canvas.Brush.Color = MakeColor(Blend(r0, r1, n, i), Blend(g0, g1, n, i), Blend(b0, b1, n, i));
    // Bands stop at the end point; what lies beyond keeps the end colour.
    band(pos, std::min(t, endPoint - pos));
    pos += t;
  }
  if (pos < endPoint) band(pos, endPoint - pos);
}

TSKGradationP::TSKGradationP() {
  SetBounds(left_, top_, 265, 265);
  SetColor(clBlack);
}

#define SK_SETTER(Name, Type, field) \
  void TSKGradationP::Set##Name(Type v) { \
    if (field == v) return; \
    field = v; \
    Invalidate(); \
  }
SK_SETTER(AutoPointSet, bool, autoPointSet_)
SK_SETTER(StartColor, TColor, startColor_)
SK_SETTER(GradationStep, int, gradationStep_)
SK_SETTER(AutoPoint, int, autoPoint_)
SK_SETTER(Direction, TDirection, direction_)
#undef SK_SETTER

void TSKGradationP::SetEndColor(TColor c) {
  if (endColor_ == c) return;
  endColor_ = c;
  SetColor(c);
  Invalidate();
}

void TSKGradationP::SetStartPoint(int p) {
  if (p == endPoint_) p = 0;
  if (startPoint_ == p) return;
  startPoint_ = p;
  Invalidate();
}

void TSKGradationP::SetEndPoint(int p) {
  if (p == startPoint_) p = Height();
  if (endPoint_ == p) return;
  endPoint_ = p;
  Invalidate();
}

void TSKGradationP::Paint() {
  if (startColor_ == endColor_) {
    TPanel::Paint();
  } else {
    if (autoPointSet_) {
      startPoint_ = autoPoint_;
      endPoint_ = Height() - autoPoint_;
    }
    TCanvas& c = Canvas();
    const int w = Width(), h = Height();
    c.Brush.Style = bsSolid;
    if (direction_ == dHorizontal) {
      c.Brush.Color = startColor_;
      c.FillRect(Rect(0, 0, w, startPoint_ + 1));
      c.Brush.Color = endColor_;
      c.FillRect(Rect(0, startPoint_ + 1, w, h));
      PaintGradation(c, dHorizontal, 0, endColor_, startColor_, gradationStep_, w, endPoint_,
                     startPoint_);
    } else {
      c.Brush.Color = startColor_;
      c.FillRect(Rect(0, 0, startPoint_ + 1, h));
      c.Brush.Color = endColor_;
      c.FillRect(Rect(startPoint_ + 1, 0, w, h));
      PaintGradation(c, dVertical, startPoint_, endColor_, startColor_, gradationStep_, h,
                     endPoint_, 0);
    }
    PaintCaptionCentred();
  }
  if (OnPaint) GuardEvent("OnPaint", [this] { OnPaint(this); });
}

void TSKGradationP::PaintCaptionCentred() {
  if (Caption().empty()) return;
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  InflateRect(&r, -BorderWidth(), -BorderWidth());
  c.Font = Font();
  c.Brush.Style = bsClear;
  UINT align = Alignment() == taCenter ? DT_CENTER
               : Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
  c.DrawText(Caption(), r, align | DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE);
  c.Brush.Style = bsSolid;
}

void TSKGradationP::MouseLeave() {
  TPanel::MouseLeave();
  if (OnMouseExit) GuardEvent("OnMouseExit", [this] { OnMouseExit(this); });
}
