#include "SpeedButton.h"

#include <windowsx.h>

#include "shared/S_UxTheme.h"

namespace {
const int kToolbarDropDownPart = 2;  // of the "TOOLBAR" theme class
enum { kHot = 2, kPressed = 3, kChecked = 5, kHotChecked = 6 };
}  // namespace

TSpeedButton::TSpeedButton() {
  width_ = 23;
  height_ = 22;
  clickOnMouseUp_ = false;
}

TSpeedButton::~TSpeedButton() = default;

void TSpeedButton::Create(const TSpeedButtonValues& v) {
  if (v.Glyph) glyph_ = *v.Glyph;
  TakeValue(NumGlyphs, v.NumGlyphs);
  TakeValue(groupIndex_, v.GroupIndex);
  TakeValue(allowAllUp_, v.AllowAllUp);
  TakeValue(flat_, v.Flat);
  TakeValue(transparent_, v.Transparent);
  TakeValue(Layout, v.Layout);
  TakeValue(Margin, v.Margin);
  TakeValue(Spacing, v.Spacing);
  TGraphicControl::Create(v);
  UpdateExclusive();
  if (v.Down) SetDown(*v.Down);
}

void TSpeedButton::SetGlyph(const TBitmap& b) {
  glyph_ = b;
  Invalidate();
}

void TSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  if (v) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
    UpdateExclusive();
  } else {
    state_ = bsUp;
    Repaint();
  }
}

void TSpeedButton::SetGroupIndex(int g) {
  groupIndex_ = g;
  UpdateExclusive();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  allowAllUp_ = v;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool v) {
  flat_ = v;
  Invalidate();
}

void TSpeedButton::SetTransparent(bool v) {
  transparent_ = v;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !parent_) return;
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
    if (!b || b == this || b->groupIndex_ != groupIndex_) continue;
    if (down_ && b->down_) {
      b->down_ = false;
      b->state_ = bsUp;
      b->Invalidate();
    }
    b->allowAllUp_ = allowAllUp_;
  }
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::UpdateState() {
  if (!enabled_) {
    state_ = bsDisabled;
    dragging_ = false;
  } else if (state_ == bsDisabled) {
    state_ = (down_ && groupIndex_ != 0) ? bsExclusive : bsUp;
  }
}

void TSpeedButton::EnabledChanged() {
  UpdateState();
  RecheckMouseInside();
  Invalidate();
}

bool TSpeedButton::TracksMouse() const { return flat_ || ThemesInUse(); }

// Sets the flag opposite to what the cursor says and lets the enter or leave
// handler bring it back in line.
void TSpeedButton::RecheckMouseInside() {
  if (!TracksMouse() || !enabled_) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  if (FindDragTarget(p, true) == this) {
    mouseInControl_ = false;
    Perform(CM_MOUSEENTER);
  } else {
    mouseInControl_ = true;
    Perform(CM_MOUSELEAVE);
  }
}

void TSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  TGraphicControl::MouseDown(b, s, x, y);
  if (b == mbLeft && enabled_) {
    if (!down_) {
      state_ = bsDown;
      Invalidate();
    }
    dragging_ = true;
  }
}

// The bottom edge row still counts, as the button always took it.
bool TSpeedButton::HitsButton(int x, int y) const {
  return x >= 0 && x < width_ && y >= 0 && y <= height_;
}

void TSpeedButton::MouseMove(TShiftState s, int x, int y) {
  TGraphicControl::MouseMove(s, x, y);
  if (!dragging_) {
    if (!mouseInControl_) RecheckMouseInside();
    return;
  }
  bool inside = HitsButton(x, y);
  TButtonState ns = down_ ? bsExclusive : bsUp;
  if (inside) ns = down_ ? bsExclusive : bsDown;
  if (ns != state_) {
    state_ = ns;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TGraphicControl::MouseUp(b, s, x, y);
  if (!dragging_) return;
  dragging_ = false;
  bool doClick = HitsButton(x, y);
  if (groupIndex_ == 0) {
    state_ = bsUp;
    Invalidate();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) Repaint();
  } else {
    if (down_) state_ = bsExclusive;
    Repaint();
  }
  if (doClick) Click();
  RecheckMouseInside();
}

void TSpeedButton::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDBLCLK:
      m.Msg = WM_LBUTTONDOWN;  // a fast second press is a press
      break;
    case CM_MOUSEENTER:
      TGraphicControl::HandleMessage(m);
      if (TracksMouse() && !mouseInControl_ && enabled_ && !GetCapture()) {
        mouseInControl_ = true;
        Repaint();
      }
      return;
    case CM_MOUSELEAVE:
      TGraphicControl::HandleMessage(m);
      if (TracksMouse() && mouseInControl_ && enabled_ && !dragging_) {
        mouseInControl_ = false;
        Invalidate();
      }
      return;
    default:
      break;
  }
  TGraphicControl::HandleMessage(m);
}

HBRUSH TSpeedButton::DitherBrush() {
  static BrushHandle brush;
  static COLORREF face = CLR_INVALID, light = CLR_INVALID;
  COLORREF f = ColorToRGB(clBtnFace), l = ColorToRGB(clBtnHighlight);
  if (!brush || f != face || l != light) {
    TBitmap b(8, 8);
    TCanvas& c = b.Canvas();
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x) c.SetPixel(x, y, ((x + y) & 1) ? (TColor)l : (TColor)f);
    brush.reset(CreatePatternBrush(b.Handle()));
    face = f;
    light = l;
  }
  return brush.get();
}

int TSpeedButton::ThemeState() const {
  if (state_ == bsDown) return kPressed;
  if (state_ == bsExclusive) return mouseInControl_ ? kHotChecked : kChecked;
  return flat_ || !mouseInControl_ ? kHot : kHotChecked;
}

void TSpeedButton::PaintThemed(RECT& r) {
  DrawThemePart(parent_ ? parent_->Handle() : nullptr, canvas_.Handle(), L"TOOLBAR",
                kToolbarDropDownPart, ThemeState(), r);
  InflateRect(&r, -1, -1);
}

void TSpeedButton::PaintFrame(RECT& r) {
  HDC dc = canvas_.Handle();
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  bool themed = ThemesInUse();
  if (!flat_) {
    if (themed)
      PaintThemed(r);
    else
      DrawFrameControl(dc, &r, DFC_BUTTON,
                       DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (pressed ? DFCS_PUSHED : 0));
    return;
  }
  if ((pressed || (mouseInControl_ && state_ != bsDisabled)) && themed) {
    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = bsSolid;
    canvas_.FillRect(r);
    canvas_.Font.SetColor(clBtnText);
    PaintThemed(r);
  } else if (pressed || (mouseInControl_ && state_ != bsDisabled)) {
    DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT | (transparent_ ? 0 : BF_MIDDLE));
  } else if (!transparent_) {
    canvas_.Brush.Color = color_;
    canvas_.Brush.Style = bsSolid;
    canvas_.FillRect(r);
  }
  InflateRect(&r, -1, -1);
}

void TSpeedButton::Paint() {
  UpdateState();
  canvas_.Font = font_;
  RECT r = Rect(0, 0, width_, height_);
  PaintFrame(r);
  POINT offset = {0, 0};
  if (state_ == bsDown || state_ == bsExclusive) {
    if (state_ == bsExclusive && (!flat_ || !mouseInControl_)) {
      canvas_.Brush.Pattern = DitherBrush();
      canvas_.FillRect(r);
      canvas_.Brush.Pattern = nullptr;
    }
    offset = POINT{1, 1};
  }
  DrawGlyphAndCaption(r, offset, state_);
}

void TSpeedButton::DrawGlyphAndCaption(RECT r, POINT offset, TButtonState state) {
  int n = NumGlyphs < 1 ? 1 : NumGlyphs;
  int gw = glyph_.Empty() ? 0 : glyph_.Width() / n, gh = glyph_.Empty() ? 0 : glyph_.Height();
  canvas_.Brush.Style = bsClear;
  SIZE ts = {0, 0};
  if (!text_.empty()) {
    RECT calc = Rect(0, 0, r.right - r.left, 0);
    canvas_.DrawText(text_, calc, DT_CALCRECT | DT_SINGLELINE);
    ts.cx = calc.right;
    ts.cy = calc.bottom;
  }
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  int spacing = (gw && ts.cx) ? Spacing : 0;
  int total = horizontal ? gw + spacing + ts.cx : gh + spacing + ts.cy;
  int avail = horizontal ? r.right - r.left : r.bottom - r.top;
  int start = Margin >= 0 ? Margin : (avail - total) / 2;
  // Along the layout axis glyph and caption follow each other from start;
  // across it each is centred on its own.
  auto centre = [](LONG lo, LONG hi, int len) { return lo + ((hi - lo) - len) / 2; };
  auto follow = [&](LONG lo, bool glyphFirst, int glyphLen, int textLen, LONG& g, LONG& t) {
    LONG& first = glyphFirst ? g : t;
    LONG& second = glyphFirst ? t : g;
    first = lo + start;
    second = first + (glyphFirst ? glyphLen : textLen) + spacing;
  };
  POINT gp, tp;
  if (horizontal) {
    gp.y = centre(r.top, r.bottom, gh);
    tp.y = centre(r.top, r.bottom, ts.cy);
    follow(r.left, Layout == blGlyphLeft, gw, ts.cx, gp.x, tp.x);
  } else {
    gp.x = centre(r.left, r.right, gw);
    tp.x = centre(r.left, r.right, ts.cx);
    follow(r.top, Layout == blGlyphTop, gh, ts.cy, gp.y, tp.y);
  }
  if (gw && gh) {
    int index = state == bsDisabled ? 1 : state == bsDown ? 2 : state == bsExclusive ? 3 : 0;
    if (index >= n) index = 0;
    bool wasTransparent = glyph_.Transparent;
    glyph_.Transparent = true;
    glyph_.DrawPart(canvas_.Handle(), Bounds(gp.x + offset.x, gp.y + offset.y, gw, gh),
                    Bounds(index * gw, 0, gw, gh));
    glyph_.Transparent = wasTransparent;
  }
  if (ts.cx) {
    RECT tr = Bounds(tp.x + offset.x, tp.y + offset.y, ts.cx, ts.cy);
    if (state == bsDisabled)
      canvas_.DrawDisabledText(text_, tr, DT_SINGLELINE);
    else
      canvas_.DrawText(text_, tr, DT_SINGLELINE);
  }
}
