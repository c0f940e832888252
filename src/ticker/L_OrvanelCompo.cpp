#include "ticker/L_OrvanelCompo.h"

#include <memory>

#include "classlib/Timer.h"
#include "shared/S_string.h"

namespace {

// One hover watch for all buttons: the strip's buttons miss the mouse leaving
// when it leaves fast or onto another window.
struct HoverState {
  std::unique_ptr<TTimer> timer;
  TOrvanelSpeedButton* hovered = nullptr;
};

HoverState& Hover() {
  static HoverState state;
  return state;
}

}  // namespace

TOrvanelSpeedButton::TOrvanelSpeedButton() {
  HoverState& hs = Hover();
  if (!hs.timer) {
    hs.timer = std::make_unique<TTimer>();
    hs.timer->SetEnabled(false);
    hs.timer->SetInterval(100);
  }
}

TOrvanelSpeedButton::~TOrvanelSpeedButton() {
  HoverState& hs = Hover();
  if (hs.timer) {
    hs.timer->SetEnabled(false);
    hs.timer->OnTimer = nullptr;
  }
  if (hs.hovered == this) hs.hovered = nullptr;
}

void TOrvanelSpeedButton::HoverWatch() {
  HoverState& hs = Hover();
  if (!hs.hovered) return;
  POINT p;
  if (!GetCursorPos(&p)) return;
  if (FindDragTarget(p, true) != hs.hovered) hs.hovered->Perform(CM_MOUSELEAVE);
}

void TOrvanelSpeedButton::Click() {
  if (!suppressClick_) TSpeedButton::Click();
}

void TOrvanelSpeedButton::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  DWORD now = GetTickCount();
  // A second press within 100 ms (a bounce or a double click) is one action.
  if (b == mbLeft && pressedBefore_ && now - lastPress_ < 100) {
    lastPress_ = now;
    pressed_ = false;  // nor does its button-up click
    return;
  }
  TSpeedButton::MouseDown(b, s, x, y);
  if (b == mbLeft && OnMenuPopup) {
    OnMenuPopup(this);
    ReleaseIfOutside();
  }
  lastPress_ = GetTickCount();
  pressedBefore_ = true;
}

void TOrvanelSpeedButton::ReleaseIfOutside() {
  POINT p;
  if (!GetCursorPos(&p)) return;
  POINT local = ScreenToClient(p);
  if (local.x >= 0 && local.y >= 0 && local.x < Width() && local.y < Height()) return;
  suppressClick_ = true;
  Perform(WM_LBUTTONUP, 0, MAKELPARAM((short)local.x, (short)local.y));
  Perform(CM_MOUSELEAVE);
  suppressClick_ = false;
}

void TOrvanelSpeedButton::HandleMessage(TMessage& m) {
  TSpeedButton::HandleMessage(m);
  HoverState& hs = Hover();
  if (m.Msg == CM_MOUSEENTER) {
    if (hs.hovered && hs.hovered != this) {
      TOrvanelSpeedButton* old = hs.hovered;
      hs.hovered = nullptr;
      old->Perform(CM_MOUSELEAVE);
    }
    if (MouseInControl() && hs.timer) {
      hs.hovered = this;
      hs.timer->OnTimer = [](TObject*) { HoverWatch(); };
      hs.timer->SetEnabled(false);
      hs.timer->SetEnabled(true);
    }
  } else if (m.Msg == CM_MOUSELEAVE) {
    if (!MouseInControl() && hs.hovered == this) {
      hs.hovered = nullptr;
      if (hs.timer) hs.timer->SetEnabled(false);
    }
  }
}

namespace {

// Width of a text in a font, outside painting.
class TextMeasure {
 public:
  explicit TextMeasure(const TFont& font) : dc_(nullptr), canvas_(dc_.get()) {
    canvas_.Font = font;
  }
  int Width(const std::string& s) { return s.empty() ? 0 : canvas_.TextWidth(s); }

 private:
  MemoryDC dc_;
  TCanvas canvas_;
};

// The first n bytes, one fewer when that would split a double-byte pair.
std::string HeadBytes(const std::string& s, int n) {
  int i = 0;
  while (i < n && i < (int)s.size()) {
    int len = IsLeadByte((unsigned char)s[i]) && i + 1 < (int)s.size() ? 2 : 1;
    if (i + len > n) break;
    i += len;
  }
  return s.substr(0, i);
}

}  // namespace

TOrvanelLabel::TOrvanelLabel() {
  // The strip sizes the label itself (alClient, or text width when scrolling).
  SetAutoSize(false);
  picture_.OnChange = [this] { Refit(); };
}

void TOrvanelLabel::SetTitle(const std::string& title) {
  if (title == title_) return;
  title_ = title;
  fittedWidth_ = -1;
  FitText();
  Invalidate();
}

void TOrvanelLabel::SetCommentColor(TColor c) {
  if (commentColor_ == c) return;
  commentColor_ = c;
  Invalidate();
}

void TOrvanelLabel::SetTitleLength(int n) {
  if (titleLength_ == n) return;
  titleLength_ = n;
  Invalidate();
}

void TOrvanelLabel::SetTextPos(int x) {
  if (textPos_ == x) return;
  textPos_ = x;
  Invalidate();
}

void TOrvanelLabel::SetScrollMode(bool on) {
  if (scrollMode_ == on) return;
  scrollMode_ = on;
  Refit();
}

void TOrvanelLabel::Refit() {
  fittedWidth_ = -1;
  FitText();
  Invalidate();
}

void TOrvanelLabel::Resize() {
  TLabel::Resize();
  FitText();
}

void TOrvanelLabel::FitText() {
  int avail = ClientWidth();
  if (!picture_.Empty()) avail -= picture_.Width() + 3;
  if (avail == fittedWidth_) return;
  fittedWidth_ = avail;
  displayText_ = title_;
  if (scrollMode_ || title_.empty()) return;
  TextMeasure m(Font());
  if (m.Width(title_) <= avail - 8) return;
  const int dots = m.Width(" ...");
  const int count = CharCount(title_);
  for (int n = count; n >= 1; --n) {
    std::string head = CopyChars(title_, 1, n);
    if (m.Width(head) + dots <= avail - 8) {
      displayText_ = head + " ...";
      return;
    }
  }
  displayText_ = CopyChars(title_, 1, 1);
}

void TOrvanelLabel::Paint() {
  FitText();
  TCanvas& c = Canvas();
  RECT r = ClientRect();
  if (!Transparent()) {
    c.Brush.Color = Color();
    c.Brush.Style = bsSolid;
    c.FillRect(r);
  }
  c.Brush.Style = bsClear;
  if (Layout() != tlTop) {
    RECT calc = r;
    DoDrawText(calc, DrawTextFlags() | DT_CALCRECT);
    int textHeight = calc.bottom - calc.top;
    int shift = Layout() == tlBottom ? Height() - textHeight : (Height() - textHeight) / 2;
    if (Layout() == tlCenter && Font().Size() < 12) shift -= 1;
    OffsetRect(&r, 0, shift);
  }
  DoDrawText(r, DrawTextFlags());
}

void TOrvanelLabel::DoDrawText(RECT& r, UINT flags) {
  const bool calc = (flags & DT_CALCRECT) != 0;
  std::string text = displayText_;
  if (calc && (text.empty() || (ShowAccelChar() && text == "&"))) text = " ";
  if (!ShowAccelChar()) flags |= DT_NOPREFIX;
  TCanvas& c = Canvas();
  c.Font = Font();
  r.left += textPos_;
  if (!picture_.Empty()) {
    // Drawn with the measuring call, where the rectangle is still the whole
    // height (the text rectangle is moved down afterwards); a top layout has
    // no measuring call.
    if (calc || Layout() == tlTop) {
      int y = r.top + ((r.bottom - r.top) - picture_.Height()) / 2;
      if (TGraphic* g = picture_.Graphic()) c.Draw(r.left, y, *g);
    }
    r.left += picture_.Width() + 3;
  }
  r.left += 4;
  if (calc || titleLength_ <= 0) {
    c.DrawText(text, r, flags);
    return;
  }
  std::string head = HeadBytes(text, titleLength_);
  std::string tail = text.substr(head.size());
  int headWidth = head.empty() ? 0 : c.TextWidth(head);
  if (headWidth < r.right - r.left) {
    RECT hr = r;
    hr.right = r.left + headWidth;
    c.DrawText(head, hr, flags);
    c.Font.SetColor(commentColor_);
    RECT tr = r;
    tr.left = hr.right;
    if (!tail.empty()) c.DrawText(tail, tr, flags);
  } else {
    c.DrawText(head, r, flags);
  }
}
