#include "Control.h"

#include <windowsx.h>

#include <algorithm>

#include "Application.h"
#include "WinControl.h"

namespace {
const char kOwnProc = 0;
}  // namespace

TShiftState KeyboardShiftState() {
  TShiftState s = 0;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) s |= ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) s |= ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) s |= ssMiddle;
  return s;
}

TShiftState ShiftStateFromKeys(WPARAM mk, bool withAlt) {
  TShiftState s = 0;
  if (mk & MK_SHIFT) s |= ssShift;
  if (mk & MK_CONTROL) s |= ssCtrl;
  if (mk & MK_LBUTTON) s |= ssLeft;
  if (mk & MK_RBUTTON) s |= ssRight;
  if (mk & MK_MBUTTON) s |= ssMiddle;
  if (withAlt && GetKeyState(VK_MENU) < 0) s |= ssAlt;
  return s;
}

HCURSOR CursorHandle(TCursor c) {
  const wchar_t* id = (LPCWSTR)IDC_ARROW;
  switch (c) {
    case crNone: return nullptr;
    case crCross: id = (LPCWSTR)IDC_CROSS; break;
    case crIBeam: id = (LPCWSTR)IDC_IBEAM; break;
    case crSizeNESW: id = (LPCWSTR)IDC_SIZENESW; break;
    case crSizeNS: id = (LPCWSTR)IDC_SIZENS; break;
    case crSizeNWSE: id = (LPCWSTR)IDC_SIZENWSE; break;
    case crSizeWE: id = (LPCWSTR)IDC_SIZEWE; break;
    case crUpArrow: id = (LPCWSTR)IDC_UPARROW; break;
    case crHourGlass: id = (LPCWSTR)IDC_WAIT; break;
    case crNo: id = (LPCWSTR)IDC_NO; break;
    case crAppStart: id = (LPCWSTR)IDC_APPSTARTING; break;
    case crHelp: id = (LPCWSTR)IDC_HELP; break;
    case crHandPoint: id = (LPCWSTR)IDC_HAND; break;
    case crSizeAll: id = (LPCWSTR)IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

TControl::TControl() {
  WindowProc.Call = [this](TMessage& m) { HandleMessage(m); };
  WindowProc.Object = this;
  WindowProc.Tag = &kOwnProc;
  font_.OnChange = [this] {
    if (!settingParentFont_) parentFont_ = false;
    FontChanged();
  };
}

TControl::~TControl() {
  std::vector<FreeNote> notes;
  notes.swap(freeNotes_);
  for (auto& n : notes) GuardEvent("free notification", n.fn);
  if (hover_ == this) hover_ = nullptr;
  Application.MouseOver(nullptr);
  if (parent_) parent_->Remove(this);
  parent_ = nullptr;
}

void TControl::Create(const TControlValues& v) {
  ApplyValues(v);
  SetParent(v.Parent);
  ApplyFontValues(v);
  if (v.ParentFont) SetParentFont(*v.ParentFont);
}

void TControl::ApplyValues(const TControlValues& v) {
  if (v.Font) SetFont(*v.Font);
  SetBounds(v.Left.value_or(left_), v.Top.value_or(top_), v.Width < 0 ? width_ : v.Width,
            v.Height < 0 ? height_ : v.Height);
  if (!v.Name.empty()) Name = v.Name;
  if (v.Tag) Tag = v.Tag;
  if (!v.Caption.empty()) SetCaption(v.Caption);
  if (!v.Hint.empty()) SetHint(v.Hint);
  if (v.ShowHint) ShowHint = true;
  if (v.Visible) SetVisible(*v.Visible);
  SetEnabled(v.Enabled);
  if (v.Color != clDefault) SetColor(v.Color);
  if (v.ParentColor) SetParentColor(*v.ParentColor);
  if (v.Cursor != crDefault) SetCursor(v.Cursor);
  if (v.PopupMenu) SetPopupMenu(v.PopupMenu);
  TakeEvent(OnClick, v.OnClick);
  TakeEvent(OnDblClick, v.OnDblClick);
  TakeEvent(OnResize, v.OnResize);
  TakeEvent(OnMouseEnter, v.OnMouseEnter);
  TakeEvent(OnMouseLeave, v.OnMouseLeave);
  TakeEvent(OnMouseDown, v.OnMouseDown);
  TakeEvent(OnMouseUp, v.OnMouseUp);
  TakeEvent(OnMouseMove, v.OnMouseMove);
  SetAlign(v.Align);
}

void TControl::ApplyFontValues(const TControlValues& v) {
  if (v.FontColor == clDefault && !v.FontHeight && !v.FontStyle) return;
  TFont f = font_;
  if (v.FontColor != clDefault) f.SetColor(v.FontColor);
  if (v.FontHeight) f.SetHeight(v.FontHeight);
  if (v.FontStyle) f.SetStyle(*v.FontStyle);
  SetFont(f);
}

void TControl::AddFreeNotification(const void* key, std::function<void()> fn) {
  RemoveFreeNotification(key);
  freeNotes_.push_back({key, std::move(fn)});
}

void TControl::RemoveFreeNotification(const void* key) {
  freeNotes_.erase(std::remove_if(freeNotes_.begin(), freeNotes_.end(),
                                  [key](const FreeNote& n) { return n.key == key; }),
                   freeNotes_.end());
}

void TControl::SetParent(TWinControl* p) {
  if (p == parent_) return;
  if (parent_) {
    Invalidate();
    parent_->Remove(this);
  }
  parent_ = p;
  if (!p) return;
  p->Insert(this);
  if (parentFont_) {
    settingParentFont_ = true;
    font_ = p->font_;
    settingParentFont_ = false;
  }
  if (parentColor_ && color_ != p->color_) {
    color_ = p->color_;
    ColorChanged();
  }
  RequestAlign();
  Invalidate();
}

void TControl::SetBounds(int l, int t, int w, int h) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  if (l == left_ && t == top_ && w == width_ && h == height_) return;
  bool sized = w != width_ || h != height_;
  if (!IsWindowed()) Invalidate();
  left_ = l;
  top_ = t;
  width_ = w;
  height_ = h;
  BoundsChanged(sized);
}

void TControl::BoundsChanged(bool sized) {
  Invalidate();
  if (sized) Resize();
  RequestAlign();
}

void TControl::SetClientSize(int w, int h) {
  RECT c = ClientRect();
  SetBounds(left_, top_, w + (width_ - c.right), h + (height_ - c.bottom));
}

POINT TControl::ClientOrigin() const {
  POINT p = {left_, top_};
  if (parent_) {
    POINT o = parent_->ClientOrigin();
    p.x += o.x;
    p.y += o.y;
  }
  return p;
}

POINT TControl::ScreenToClient(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x - o.x, p.y - o.y};
}

POINT TControl::ClientToScreen(POINT p) const {
  POINT o = ClientOrigin();
  return POINT{p.x + o.x, p.y + o.y};
}

void TControl::SetAlign(TAlign a) {
  if (a == align_) return;
  align_ = a;
  if (parent_) parent_->Realign();
}

void TControl::RequestAlign() {
  if (parent_ && !parent_->aligning_) parent_->Realign();
}

void TControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  VisibleChanged();
}

void TControl::VisibleChanged() {
  if (parent_ && parent_->hwnd_) ::InvalidateRect(parent_->hwnd_, nullptr, FALSE);
  if (!visible_ && hover_ == this) hover_ = nullptr;
  if (align_ != alNone) RequestAlign();
}

bool TControl::Showing() const {
  if (!visible_) return false;
  return parent_ ? parent_->Showing() : true;
}

void TControl::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  EnabledChanged();
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v && parent_) {
    settingParentFont_ = true;
    font_ = parent_->font_;
    settingParentFont_ = false;
  }
}

void TControl::SetColor(TColor c) {
  parentColor_ = false;
  if (c == color_) return;
  color_ = c;
  ColorChanged();
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v && parent_ && parent_->color_ != color_) {
    color_ = parent_->color_;
    ColorChanged();
  }
}

void TControl::FontChanged() { Invalidate(); }
void TControl::ColorChanged() { Invalidate(); }

void TControl::SetText(const std::string& s) {
  if (s == text_) return;
  text_ = s;
  TextChanged();
}

LRESULT TControl::Perform(UINT msg, WPARAM wp, LPARAM lp) {
  TMessage m = {msg, wp, lp, 0};
  if (WindowProc)
    WindowProc(m);
  else
    HandleMessage(m);
  return m.Result;
}

void TControl::InvalidateRect(const RECT& r) {
  if (!parent_) return;
  HWND h = parent_->hwnd_;
  if (!h) return;
  RECT rr = r;
  OffsetRect(&rr, left_, top_);
  ::InvalidateRect(h, &rr, FALSE);
}

void TControl::Invalidate() {
  if (visible_ || true) InvalidateRect(Rect(0, 0, width_, height_));
}

void TControl::Update() {
  if (parent_ && parent_->hwnd_) UpdateWindow(parent_->hwnd_);
}

void TControl::BringToFront() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.push_back(this);
  Invalidate();
}

void TControl::SendToBack() {
  if (!parent_) return;
  auto& v = parent_->controls_;
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  v.insert(v.begin(), this);
  Invalidate();
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, b, s, x, y);
}

void TControl::MouseMove(TShiftState s, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, s, x, y);
}

void TControl::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, b, s, x, y);
}

void TControl::MouseEnter() {
  mouseInside_ = true;
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  mouseInside_ = false;
  if (OnMouseLeave) OnMouseLeave(this);
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::HandleMessage(TMessage& m) {
  int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK: {
      TMouseButton b = (m.Msg == WM_LBUTTONDOWN || m.Msg == WM_LBUTTONDBLCLK)   ? mbLeft
                       : (m.Msg == WM_RBUTTONDOWN || m.Msg == WM_RBUTTONDBLCLK) ? mbRight
                                                                                : mbMiddle;
      bool dbl = m.Msg == WM_LBUTTONDBLCLK || m.Msg == WM_RBUTTONDBLCLK || m.Msg == WM_MBUTTONDBLCLK;
      // The release after a double click is no second click.
      if (b == mbLeft) pressed_ = !dbl;
      if (dbl && b == mbLeft && clickOnMouseUp_) DblClick();
      MouseDown(b, ShiftStateFromKeys(m.WParam, true) | (dbl ? (TShiftState)ssDouble : 0u), x, y);
      DefaultHandler(m);
      return;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      TMouseButton b = m.Msg == WM_LBUTTONUP ? mbLeft : m.Msg == WM_RBUTTONUP ? mbRight : mbMiddle;
      bool click = b == mbLeft && pressed_ && clickOnMouseUp_ && x >= 0 && y >= 0 && x < width_ &&
                   y < height_;
      if (b == mbLeft) pressed_ = false;
      if (click) Click();
      MouseUp(b, ShiftStateFromKeys(m.WParam, true), x, y);
      DefaultHandler(m);
      return;
    }
    case WM_MOUSEMOVE:
      MouseMove(ShiftStateFromKeys(m.WParam, true), x, y);
      DefaultHandler(m);
      return;
    case CM_MOUSEENTER:
      MouseEnter();
      return;
    case CM_MOUSELEAVE:
      MouseLeave();
      return;
    default:
      DefaultHandler(m);
  }
}

TGraphicControl::TGraphicControl() { parentColor_ = true; }

void TControl::PaintOnCanvas(TCanvas& canvas, HDC dc, const std::function<void()>& paint) {
  canvas.SetHandle(dc);
  canvas.Font = font_;
  canvas.Brush.Color = color_;
  canvas.Brush.Style = bsSolid;
  canvas.Brush.Pattern = nullptr;
  GuardEvent("OnPaint", paint);
  canvas.SetHandle(nullptr);
}

void TGraphicControl::PaintTo(HDC dc) {
  PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}
