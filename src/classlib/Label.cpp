#include "Label.h"

#include "Text.h"

TLabel::TLabel() {
  width_ = 65;
  height_ = 13;
  parentColor_ = true;
}

void TLabel::Create(const TLabelValues& v) {
  TakeValue(transparent_, v.Transparent);
  TakeValue(autoSize_, v.AutoSize);
  TakeValue(alignment_, v.Alignment);
  TakeValue(layout_, v.Layout);
  TakeValue(wordWrap_, v.WordWrap);
  TakeValue(showAccelChar_, v.ShowAccelChar);
  if (v.FocusControl) FocusControl = v.FocusControl;
  TGraphicControl::Create(v);
  AdjustBounds();
}

void TLabel::SetTransparent(bool v) {
  if (v == transparent_) return;
  transparent_ = v;
  Invalidate();
}

void TLabel::SetAutoSize(bool v) {
  autoSize_ = v;
  AdjustBounds();
}

void TLabel::SetAlignment(TAlignment a) {
  alignment_ = a;
  Invalidate();
}

void TLabel::SetLayout(TTextLayout l) {
  layout_ = l;
  Invalidate();
}

void TLabel::SetWordWrap(bool v) {
  wordWrap_ = v;
  AdjustBounds();
  Invalidate();
}

void TLabel::SetShowAccelChar(bool v) {
  showAccelChar_ = v;
  AdjustBounds();
  Invalidate();
}

UINT TLabel::DrawTextFlags() const {
  UINT f = DT_EXPANDTABS;
  if (wordWrap_) f |= DT_WORDBREAK;
  if (!showAccelChar_) f |= DT_NOPREFIX;
  if (alignment_ == taRightJustify)
    f |= DT_RIGHT;
  else if (alignment_ == taCenter)
    f |= DT_CENTER;
  return f;
}

void TLabel::DoDrawText(RECT& r, UINT flags) {
  std::string text = text_;
  if ((flags & DT_CALCRECT) && (text.empty() || (showAccelChar_ && text == "&"))) text = " ";
  canvas_.Font = font_;
  if (!enabled_ && !(flags & DT_CALCRECT))
    canvas_.DrawDisabledText(text, r, flags);
  else
    canvas_.DrawText(text, r, flags);
}

void TLabel::Paint() {
  RECT r = ClientRect();
  if (!transparent_) {
    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = bsSolid;
    canvas_.FillRect(r);
  }
  canvas_.Brush.Style = bsClear;
  UINT flags = DrawTextFlags();
  if (layout_ != tlTop) {
    RECT calc = r;
    DoDrawText(calc, flags | DT_CALCRECT);
    int h = calc.bottom - calc.top;
    OffsetRect(&r, 0, layout_ == tlBottom ? (r.bottom - r.top) - h : ((r.bottom - r.top) - h) / 2);
  }
  DoDrawText(r, flags);
}

void TLabel::AdjustBounds() {
  if (!autoSize_) return;
  RECT r = Rect(0, 0, wordWrap_ ? width_ : 0, 0);
  {
    WindowDC screen;
    canvas_.SetHandle(screen.get());
    DoDrawText(r, DrawTextFlags() | DT_CALCRECT);
    canvas_.SetHandle(nullptr);
  }
  int w = wordWrap_ ? width_ : r.right - r.left;
  int l = left_;
  if (!wordWrap_ && alignment_ == taRightJustify) l = left_ + width_ - w;
  SetBounds(l, top_, w, r.bottom - r.top);
}

void TLabel::TextChanged() {
  AdjustBounds();
  Invalidate();
}

void TLabel::FontChanged() {
  AdjustBounds();
  Invalidate();
}
