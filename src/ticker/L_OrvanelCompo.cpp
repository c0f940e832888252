#include "ticker/L_OrvanelCompo.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "classlib/Guard.h"
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

// A bitmap like the screen's, selected into a memory DC of its own.
class TOffscreen {
 public:
  bool SetSize(HDC like, int w, int h) {
    if (bmp_ && w == w_ && h == h_) return true;
    selected_ = SelectObjectScope(nullptr, nullptr);
    bmp_.reset(CreateCompatibleBitmap(like, w, h));
    w_ = h_ = 0;
    if (!bmp_ || !dc_) return false;
    selected_ = SelectObjectScope(dc_.get(), bmp_.get());
    w_ = w;
    h_ = h;
    return true;
  }
  HDC dc() const { return dc_.get(); }

 private:
  MemoryDC dc_;
  BitmapHandle bmp_;
  SelectObjectScope selected_{nullptr, nullptr};
  int w_ = 0, h_ = 0;
};

// Wider labels (a garbled title) are drawn as they come.
const int kMaxCachedWidth = 4096;

// Rows [y0, y0 + rows) of a DC, all columns, as 32-bit pixels row by row.
std::vector<uint32_t> ReadColumns(HDC dc, int width, int y0, int rows) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -rows;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDC mem;
  if (!dib || !bits || !mem) return {};
  SelectObjectScope use(mem.get(), dib.get());
  BitBlt(mem.get(), 0, 0, width, rows, dc, 0, y0, SRCCOPY);
  GdiFlush();
  const uint32_t* p = static_cast<const uint32_t*>(bits);
  return std::vector<uint32_t>(p, p + (size_t)width * rows);
}

bool SameColumn(const std::vector<uint32_t>& px, int width, int rows, int a, int b) {
  for (int y = 0; y < rows; ++y)
    if (px[(size_t)y * width + a] != px[(size_t)y * width + b]) return false;
  return true;
}

}  // namespace

// The label drawn over its parent's background, once per look: over the
// background of the parent's inner columns, and over each edge column that
// differs from them (the strip's frame). A move then only copies pixels,
// which gives the same pixels as drawing the label there.
class TLabelMoveCache {
 public:
  bool Build(TOrvanelLabel& label, TWinControl& parent, HDC like);
  // The parent's columns [from, to) of the label's rows, the label at left.
  void Draw(HDC target, int left, int from, int to);

 private:
  bool Layer(TOffscreen& layer, TOrvanelLabel& label, int column);
  TOffscreen background_, scratch_;
  TOffscreen layers_[3];  // over the inner columns, then over each edge
  int edges_[2] = {0, 0};
  int edgeCount_ = 0;
  int width_ = 0, top_ = 0, y0_ = 0, y1_ = 0;
};

bool TLabelMoveCache::Build(TOrvanelLabel& label, TWinControl& parent, HDC like) {
  const int pw = parent.ClientWidth(), ph = parent.ClientHeight();
  width_ = label.Width();
  top_ = label.Top();
  y0_ = std::max(0, top_);
  y1_ = std::min(ph, top_ + label.Height());
  if (pw < 3 || y1_ <= y0_ || width_ <= 0 || width_ > kMaxCachedWidth) return false;
  if (!background_.SetSize(like, pw, ph) || !scratch_.SetSize(like, pw, ph)) return false;
  parent.PaintBackground(background_.dc());
  const int rows = y1_ - y0_;
  std::vector<uint32_t> px = ReadColumns(background_.dc(), pw, y0_, rows);
  if (px.empty()) return false;
  // Only a background that is the same in every column but the edges can
  // be carried along with the label.
  const int inner = pw / 2;
  edgeCount_ = 0;
  for (int x = 0; x < pw; ++x) {
    if (SameColumn(px, pw, rows, x, inner)) continue;
    if ((x != 0 && x != pw - 1) || edgeCount_ == 2) return false;
    edges_[edgeCount_++] = x;
  }
  if (!Layer(layers_[0], label, inner)) return false;
  for (int i = 0; i < edgeCount_; ++i)
    if (!Layer(layers_[i + 1], label, edges_[i])) return false;
  return true;
}

bool TLabelMoveCache::Layer(TOffscreen& layer, TOrvanelLabel& label, int column) {
  const int h = label.Height();
  if (!layer.SetSize(background_.dc(), width_, h)) return false;
  BitBlt(layer.dc(), 0, y0_ - top_, 1, y1_ - y0_, background_.dc(), column, y0_, SRCCOPY);
  for (int done = 1; done < width_; done *= 2)
    BitBlt(layer.dc(), done, 0, std::min(done, width_ - done), h, layer.dc(), 0, 0, SRCCOPY);
  label.PaintTo(layer.dc());
  return true;
}

void TLabelMoveCache::Draw(HDC target, int left, int from, int to) {
  const int rows = y1_ - y0_, src = y0_ - top_;
  HDC s = scratch_.dc();
  BitBlt(s, from, y0_, to - from, rows, background_.dc(), from, y0_, SRCCOPY);
  const int a = std::max(left, from), b = std::min(left + width_, to);
  if (a < b) {
    BitBlt(s, a, y0_, b - a, rows, layers_[0].dc(), a - left, src, SRCCOPY);
    for (int i = 0; i < edgeCount_; ++i)
      if (edges_[i] >= a && edges_[i] < b)
        BitBlt(s, edges_[i], y0_, 1, rows, layers_[i + 1].dc(), edges_[i] - left, src, SRCCOPY);
  }
  BitBlt(target, from, y0_, to - from, rows, s, from, y0_, SRCCOPY);
}

TOrvanelLabel::TOrvanelLabel() {
  // The strip sizes the label itself (alClient, or text width when scrolling).
  SetAutoSize(false);
  picture_.OnChange = [this] { Refit(); };
}

TOrvanelLabel::~TOrvanelLabel() = default;

void TOrvanelLabel::Invalidate() {
  cacheState_ = TCacheState::Stale;
  TLabel::Invalidate();
}

void TOrvanelLabel::SetBounds(int l, int t, int w, int h) {
  if (l != left_ && t == top_ && w == width_ && h == height_ && MoveByCopying(l)) return;
  TLabel::SetBounds(l, t, w, h);
}

bool TOrvanelLabel::OverlapsSibling() const {
  for (int i = 0; i < parent_->ControlCount(); ++i) {
    TControl* c = parent_->Controls(i);
    if (c == this || c->IsWindowed() || !c->Visible()) continue;
    if (c->Top() < top_ + height_ && top_ < c->Top() + c->Height()) return true;
  }
  return false;
}

bool TOrvanelLabel::MoveByCopying(int left) {
  HWND window = parent_ ? parent_->HandleIfAllocated() : nullptr;
  if (!window || !Showing() || !IsWindowVisible(window) || OverlapsSibling()) return false;
  const int pw = parent_->ClientWidth();
  // A label coming into view is drawn in full once. A paint still due (a
  // change of the background) comes before the next timer tick and draws
  // over what this move copied.
  if (left_ + width_ <= 0 || left_ >= pw) return false;
  WindowDC dc(window, DCX_CACHE | DCX_CLIPCHILDREN | DCX_CLIPSIBLINGS);
  if (!dc) return false;
  if (cacheState_ == TCacheState::Stale) {
    if (!moveCache_) moveCache_ = std::make_unique<TLabelMoveCache>();
    buildingCache_ = true;
    bool built = false;
    // Out of memory for the copies: the label is drawn in full instead.
    Guard("label move cache", [&] { built = moveCache_->Build(*this, *parent_, dc.get()); });
    buildingCache_ = false;
    cacheState_ = built ? TCacheState::Ready : TCacheState::Unusable;
  }
  if (cacheState_ != TCacheState::Ready) return false;
  const int from = std::max(0, std::min(left, left_));
  const int to = std::min(pw, std::max(left, left_) + width_);
  left_ = left;
  if (from < to) moveCache_->Draw(dc.get(), left, from, to);
  return true;
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
  // A full paint may come from a change of the parent's background.
  if (!buildingCache_) cacheState_ = TCacheState::Stale;
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
