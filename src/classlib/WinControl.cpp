#include "WinControl.h"

#include <algorithm>
#include <set>

#include "Application.h"
#include "Forms.h"
#include "Text.h"

namespace {
const wchar_t kObjectProp[] = L"TessivarControl";
}  // namespace

TControl* FindDragTarget(POINT screen, bool allowDisabled) {
  HWND h = WindowFromPoint(screen);
  TWinControl* wc = h ? TWinControl::FromHandle(h) : nullptr;
  if (!wc) return nullptr;
  TControl* c = wc->ControlAtPos(wc->ScreenToClient(screen), allowDisabled, true);
  return c ? c : wc;
}

bool RegisterControlClass(const std::wstring& name, UINT style, HBRUSH background) {
  static std::set<std::wstring> done;
  if (done.count(name)) return true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.style = style;
  wc.lpfnWndProc = TWinControl::StaticWndProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = background;
  wc.lpszClassName = name.c_str();
  wc.hCursor = nullptr;  // WM_SETCURSOR sets the control's cursor
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  done.insert(name);
  return true;
}

TWinControl::TWinControl() { clickOnMouseUp_ = true; }

TWinControl::~TWinControl() {
  destroying_ = true;
  for (TControl* c : std::vector<TControl*>(controls_)) c->parent_ = nullptr;
  controls_.clear();
  if (captureControl_) captureControl_ = nullptr;
  DestroyWnd();
}

void TWinControl::Create(const TWinControlValues& v) {
  if (v.TabStop) TabStop = *v.TabStop;
  if (v.DoubleBuffered) DoubleBuffered = true;
  TakeEvent(OnEnter, v.OnEnter);
  TakeEvent(OnExit, v.OnExit);
  TakeEvent(OnKeyDown, v.OnKeyDown);
  TakeEvent(OnKeyUp, v.OnKeyUp);
  TakeEvent(OnKeyPress, v.OnKeyPress);
  TakeEvent(OnMouseWheel, v.OnMouseWheel);
  TControl::Create(v);
  if (v.TabOrder >= 0) SetTabOrder(v.TabOrder);
}

// The other programs' windows carry the same property, holding pointers of
// their own processes: only this process's windows are asked.
TWinControl* TWinControl::FromHandle(HWND h) {
  if (!h) return nullptr;
  DWORD process = 0;
  GetWindowThreadProcessId(h, &process);
  if (process != GetCurrentProcessId()) return nullptr;
  return (TWinControl*)GetPropW(h, kObjectProp);
}

void TWinControl::Insert(TControl* c) {
  controls_.push_back(c);
  if (auto* w = dynamic_cast<TWinControl*>(c)) {
    int maxOrder = -1;
    for (TControl* o : controls_)
      if (o != c && o->IsWindowed()) maxOrder = std::max(maxOrder, static_cast<TWinControl*>(o)->tabOrder_);
    w->tabOrder_ = maxOrder + 1;
    if (hwnd_) {
      if (w->hwnd_)
        ::SetParent(w->hwnd_, hwnd_);
      else
        w->Handle();
    }
  }
}

void TWinControl::Remove(TControl* c) {
  controls_.erase(std::remove(controls_.begin(), controls_.end(), c), controls_.end());
  if (captureControl_ == c) captureControl_ = nullptr;
  if (auto* f = dynamic_cast<TForm*>(this))
    if (f->activeControl_ == c) f->activeControl_ = nullptr;
  if (!destroying_ && c->align_ != alNone) Realign();
}

void TWinControl::SetParent(TWinControl* p) {
  if (p == parent_) return;
  if (!p && hwnd_) {
    text_ = Text();
    DestroyWnd();
  }
  TControl::SetParent(p);
}

void TWinControl::CreateParams(TCreateParams& p) {
  p.Caption = SjisToWide(text_);
  p.Style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  if (visible_) p.Style |= WS_VISIBLE;
  if (!enabled_) p.Style |= WS_DISABLED;
  if (TabStop) p.Style |= WS_TABSTOP;
  p.X = left_;
  p.Y = top_;
  p.Width = width_;
  p.Height = height_;
  p.WndParent = parent_ ? parent_->hwnd_ : nullptr;
  p.WinClassName = L"TessivarControl";
}

HWND TWinControl::Handle() {
  if (!hwnd_ && !destroying_) {
    if (parent_ && !parent_->hwnd_) parent_->Handle();
    if (!hwnd_) CreateWnd();
  }
  return hwnd_;
}

void TWinControl::CreateWnd() {
  TCreateParams p;
  CreateParams(p);
  if ((p.Style & WS_CHILD) && !p.WndParent) return;  // a child needs its parent first
  const wchar_t* cls;
  if (p.SysClass.empty()) {
    RegisterControlClass(p.WinClassName, p.ClassStyle);
    cls = p.WinClassName.c_str();
  } else {
    cls = p.SysClass.c_str();
  }
  HWND h = CreateWindowExW(p.ExStyle, cls, p.Caption.c_str(), p.Style, p.X, p.Y, p.Width, p.Height,
                           p.WndParent, p.Id, GetModuleHandleW(nullptr),
                           p.SysClass.empty() ? this : nullptr);
  if (!h) return;
  if (!p.SysClass.empty()) {
    hwnd_ = h;
    SetPropW(h, kObjectProp, this);
    sysProc_ = (WNDPROC)SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)StaticWndProc);
  }
  SendMessageW(h, WM_SETFONT, (WPARAM)font_.Handle(), FALSE);
  CreateHandleDone();
  std::vector<TWinControl*> kids;
  for (TControl* c : controls_)
    if (c->IsWindowed()) kids.push_back(static_cast<TWinControl*>(c));
  std::stable_sort(kids.begin(), kids.end(),
                   [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
  for (TWinControl* k : kids) k->Handle();
  Realign();
}

void TWinControl::DestroyWnd() {
  HWND h = hwnd_;
  if (!h) return;
  if (destroying_) {
    // The object is going: its window gets no more messages of it.
    RemovePropW(h, kObjectProp);
    if (sysProc_) SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)sysProc_);
    hwnd_ = nullptr;
    sysProc_ = nullptr;
  }
  DestroyWindow(h);
  hwnd_ = nullptr;
}

void TWinControl::RecreateWnd() {
  if (!hwnd_) return;
  text_ = Text();
  HWND h = hwnd_;
  bool focused = GetFocus() == h;
  DestroyWindow(h);
  hwnd_ = nullptr;
  Handle();
  if (focused && hwnd_) ::SetFocus(hwnd_);
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  TWinControl* obj;
  if (msg == WM_NCCREATE) {
    obj = (TWinControl*)((CREATESTRUCTW*)lp)->lpCreateParams;
    if (obj) {
      obj->hwnd_ = h;
      SetPropW(h, kObjectProp, obj);
    }
  } else {
    obj = FromHandle(h);
  }
  if (!obj) return DefWindowProcW(h, msg, wp, lp);
  TMessage m = {msg, wp, lp, 0};
  GuardEvent("WindowProc", [&] { obj->WindowProc(m); });
  if (msg == WM_NCDESTROY) {
    RemovePropW(h, kObjectProp);
    if (obj->sysProc_) SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)obj->sysProc_);
    obj->sysProc_ = nullptr;
    obj->hwnd_ = nullptr;
  }
  return m.Result;
}

void TWinControl::DefaultHandler(TMessage& m) {
  if (!hwnd_) {
    m.Result = 0;
    return;
  }
  if (sysProc_)
    m.Result = CallWindowProcW(sysProc_, hwnd_, m.Msg, m.WParam, m.LParam);
  else
    m.Result = DefWindowProcW(hwnd_, m.Msg, m.WParam, m.LParam);
}

RECT TWinControl::ClientRect() const {
  RECT r;
  if (hwnd_ && GetClientRect(hwnd_, &r)) return r;
  TCreateParams p;
  const_cast<TWinControl*>(this)->CreateParams(p);
  RECT a = {0, 0, 0, 0};
  AdjustWindowRectEx(&a, p.Style, FALSE, p.ExStyle);
  return Rect(0, 0, std::max(0L, width_ - (a.right - a.left)), std::max(0L, height_ - (a.bottom - a.top)));
}

POINT TWinControl::ClientOrigin() const {
  POINT p = {0, 0};
  if (hwnd_) {
    ::ClientToScreen(hwnd_, &p);
    return p;
  }
  return TControl::ClientOrigin();
}

void TWinControl::SetBounds(int l, int t, int w, int h) { TControl::SetBounds(l, t, w, h); }

void TWinControl::BoundsChanged(bool sized) {
  if (hwnd_) {
    RECT cur;
    GetWindowRect(hwnd_, &cur);
    if (HWND p = GetParent(hwnd_); p && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
      MapWindowPoints(nullptr, p, (POINT*)&cur, 2);
    if (cur.left != left_ || cur.top != top_ || cur.right - cur.left != width_ ||
        cur.bottom - cur.top != height_)
      SetWindowPos(hwnd_, nullptr, left_, top_, width_, height_, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (sized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

void TWinControl::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  // Forms show themselves (activation, OnShow) in VisibleChanged.
  if (hwnd_ && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD)) ShowWindow(hwnd_, v ? SW_SHOWNA : SW_HIDE);
  VisibleChanged();
}

void TWinControl::SetEnabled(bool e) {
  if (e == enabled_) return;
  enabled_ = e;
  if (hwnd_) EnableWindow(hwnd_, e);
  EnabledChanged();
}

std::string TWinControl::Text() const {
  if (!hwnd_) return text_;
  int n = GetWindowTextLengthW(hwnd_);
  std::wstring w(n + 1, L'\0');
  n = GetWindowTextW(hwnd_, &w[0], n + 1);
  return WideToSjis(w.data(), n);
}

void TWinControl::SetText(const std::string& s) {
  if (hwnd_) {
    if (Text() == s) return;
    text_ = s;
    SetWindowTextW(hwnd_, SjisToWide(s).c_str());
    TextChanged();
    return;
  }
  TControl::SetText(s);
}

void TWinControl::Invalidate() {
  if (hwnd_) ::InvalidateRect(hwnd_, nullptr, TRUE);
}

void TWinControl::Update() {
  if (hwnd_) UpdateWindow(hwnd_);
}

void TWinControl::BringToFront() {
  TControl::BringToFront();
  if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::SendToBack() {
  TControl::SendToBack();
  if (hwnd_) SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::vector<TWinControl*> TWinControl::TabList() const {
  std::vector<TWinControl*> v;
  for (TControl* c : controls_)
    if (c->IsWindowed()) v.push_back(static_cast<TWinControl*>(c));
  std::stable_sort(v.begin(), v.end(),
                   [](TWinControl* a, TWinControl* b) { return a->tabOrder_ < b->tabOrder_; });
  return v;
}

int TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto v = parent_->TabList();
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : (int)(it - v.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (!parent_) return;
  auto v = parent_->TabList();
  v.erase(std::remove(v.begin(), v.end(), this), v.end());
  order = std::max(0, std::min(order, (int)v.size()));
  v.insert(v.begin() + order, this);
  for (size_t i = 0; i < v.size(); ++i) v[i]->tabOrder_ = (int)i;
}

bool TWinControl::Focused() const { return hwnd_ && GetFocus() == hwnd_; }

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->parent_)
    if (!c->visible_ || !c->enabled_) return false;
  return true;
}

void TWinControl::SetFocus() {
  if (TForm* f = GetParentForm(this)) f->activeControl_ = this;
  if (Handle()) ::SetFocus(hwnd_);
}

bool TWinControl::ContainsControl(const TControl* c) const {
  for (; c; c = c->parent_)
    if (c == this) return true;
  return false;
}

TControl* TWinControl::ControlAtPos(POINT p, bool allowDisabled, bool allLevels) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->visible_ || (!allowDisabled && !c->enabled_)) continue;
    RECT r = c->BoundsRect();
    if (!PtInRect(&r, p)) continue;
    if (allLevels && c->IsWindowed()) {
      POINT q = {p.x - c->left_, p.y - c->top_};
      if (TControl* d = static_cast<TWinControl*>(c)->ControlAtPos(q, allowDisabled, true)) return d;
    }
    return c;
  }
  return nullptr;
}

void TWinControl::EnableAlign() {
  if (alignLock_ > 0 && --alignLock_ == 0) Realign();
}

void TWinControl::Realign() {
  if (alignLock_ || aligning_) return;
  aligning_ = true;
  RECT r = AlignRect();
  try {
    AlignControls(r);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::AlignControls(RECT& r) {
  const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<TControl*> v;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) v.push_back(c);
    std::stable_sort(v.begin(), v.end(), [a](TControl* x, TControl* y) {
      switch (a) {
        case alTop: return x->top_ < y->top_;
        case alBottom: return x->top_ + x->height_ > y->top_ + y->height_;
        case alLeft: return x->left_ < y->left_;
        case alRight: return x->left_ + x->width_ > y->left_ + y->width_;
        default: return false;
      }
    });
    for (TControl* c : v) {
      int w = r.right - r.left, h = r.bottom - r.top;
      switch (a) {
        case alTop:
          c->SetBounds(r.left, r.top, w, c->height_);
          r.top += c->height_;
          break;
        case alBottom:
          c->SetBounds(r.left, r.bottom - c->height_, w, c->height_);
          r.bottom -= c->height_;
          break;
        case alLeft:
          c->SetBounds(r.left, r.top, c->width_, h);
          r.left += c->width_;
          break;
        case alRight:
          c->SetBounds(r.right - c->width_, r.top, c->width_, h);
          r.right -= c->width_;
          break;
        default:
          c->SetBounds(r.left, r.top, w, h);
          break;
      }
    }
  }
}

void TWinControl::FontChanged() {
  if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, (WPARAM)font_.Handle(), TRUE);
  for (TControl* c : controls_) {
    if (!c->parentFont_) continue;
    c->settingParentFont_ = true;
    c->font_ = font_;
    c->settingParentFont_ = false;
  }
  Invalidate();
}

void TWinControl::ColorChanged() {
  for (TControl* c : controls_)
    if (c->parentColor_ && c->color_ != color_) {
      c->color_ = color_;
      c->ColorChanged();
    }
  Invalidate();
}

HBRUSH TWinControl::ColorBrush() {
  if (!colorBrush_ || colorBrushColor_ != color_) {
    colorBrush_.reset(CreateSolidBrush(ColorToRGB(color_)));
    colorBrushColor_ = color_;
  }
  return colorBrush_.get();
}

void TWinControl::EraseBackground(HDC dc) {
  RECT r;
  GetClientRect(hwnd_, &r);
  ::FillRect(dc, &r, ColorBrush());
}

void TWinControl::PaintWindow(HDC dc) { EraseBackground(dc); }

void TWinControl::PaintControls(HDC dc, TControl* first) {
  bool started = first == nullptr;
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (!started) {
      started = c == first;
      if (!started) continue;
    }
    auto* g = dynamic_cast<TGraphicControl*>(c);
    if (!g || !g->visible_ || g->width_ <= 0 || g->height_ <= 0) continue;
    RECT r = g->BoundsRect();
    if (!RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
    OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
    g->PaintTo(dc);
    RestoreDC(dc, saved);
  }
}

bool TWinControl::WantsKey(WORD key) {
  if (!hwnd_) return false;
  LRESULT code = SendMessageW(hwnd_, WM_GETDLGCODE, key, 0);
  if (code & DLGC_WANTALLKEYS) return true;
  if (key == VK_TAB) return (code & DLGC_WANTTAB) != 0;
  if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN)
    return (code & DLGC_WANTARROWS) != 0;
  return false;
}

void TWinControl::KeyDown(WORD& key, TShiftState s) {
  if (OnKeyDown) OnKeyDown(this, key, s);
}

void TWinControl::KeyUp(WORD& key, TShiftState s) {
  if (OnKeyUp) OnKeyUp(this, key, s);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

bool TWinControl::DoMouseWheel(TShiftState s, int delta, POINT pos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, s, delta, pos, handled);
  return handled;
}

void TWinControl::FocusGained() {
  if (TForm* f = GetParentForm(this); f && f != this) f->activeControl_ = this;
  DoEnter();
}

void TWinControl::DoKeyMessage(TMessage& m) {
  TShiftState s = KeyboardShiftState();
  if (m.Msg == WM_CHAR) {
    // KeyPress sees the one-byte Shift-JIS characters: ASCII and half-width kana.
    wchar_t wide = (wchar_t)m.WParam;
    std::string sjis = WideToSjis(&wide, 1);
    if (sjis.size() == 1 && (wide < 0x80 || sjis[0] != '?')) {
      char c = sjis[0];
      TForm* f = GetParentForm(this);
      if (f && f != this && f->KeyPreview) f->KeyPress(c);
      if (c) KeyPress(c);
      if (!c) return;
      if (c != sjis[0]) m.WParam = SjisToWide(std::string(1, c))[0];
    }
    DefaultHandler(m);
    return;
  }
  WORD key = (WORD)m.WParam;
  TForm* f = GetParentForm(this);
  bool up = m.Msg == WM_KEYUP || m.Msg == WM_SYSKEYUP;
  if (f && f != this && f->KeyPreview) {
    if (up)
      f->KeyUp(key, s);
    else
      f->KeyDown(key, s);
  }
  if (key) {
    if (up)
      KeyUp(key, s);
    else
      KeyDown(key, s);
  }
  if (!key) return;  // used up by a handler
  m.WParam = key;
  DefaultHandler(m);
}

void TWinControl::HandleMessage(TMessage& m) {
  if (ReflectToChild(m) || MenuMessage(m)) return;
  if (m.Msg >= WM_MOUSEMOVE && m.Msg <= WM_MBUTTONDBLCLK) {
    WmMouse(m);
    return;
  }
  switch (m.Msg) {
    case WM_PAINT:
      if (sysProc_) break;
      WmPaint();
      return;
    case WM_ERASEBKGND:
      if (sysProc_) break;
      m.Result = 1;  // WM_PAINT paints the background
      return;
    case WM_WINDOWPOSCHANGED:
      WmWindowPosChanged(m);
      return;
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORSTATIC:
      CnCtlColor(m);
      return;
    case CN_KEYDOWN:
    case CN_SYSKEYDOWN:
      CnKeyDown(m);
      return;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
      DoKeyMessage(m);
      return;
    case WM_SETFOCUS:
      DefaultHandler(m);
      FocusGained();
      return;
    case WM_KILLFOCUS:
      DefaultHandler(m);
      DoExit();
      return;
    case WM_MOUSEWHEEL:
      if (WmMouseWheel(m)) return;
      break;
    case WM_SETCURSOR:
      if (WmSetCursor(m)) return;
      break;
    case WM_CONTEXTMENU:
      if (WmContextMenu(m)) return;
      break;
    case WM_MOUSELEAVE:
      WmMouseLeave();
      return;
    case WM_CAPTURECHANGED:
      captureControl_ = nullptr;
      break;
  }
  TControl::HandleMessage(m);
}

void TWinControl::WmPaint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  if (DoubleBuffered) {
    BufferedPaint bp(dc, ps.rcPaint);
    PaintWindow(bp.dc());
    PaintControls(bp.dc());
  } else {
    PaintWindow(dc);
    PaintControls(dc);
  }
  EndPaint(hwnd_, &ps);
}

// The system moved or sized the window (a form dragged or sized by the user):
// the stored bounds follow it.
void TWinControl::WmWindowPosChanged(TMessage& m) {
  DefaultHandler(m);
  auto* wp = (WINDOWPOS*)m.LParam;
  if (wp->flags & SWP_NOSIZE && wp->flags & SWP_NOMOVE) return;
  RECT r;
  GetWindowRect(hwnd_, &r);
  if (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD)
    MapWindowPoints(nullptr, GetParent(hwnd_), (POINT*)&r, 2);
  bool sized = r.right - r.left != width_ || r.bottom - r.top != height_;
  if (!sized && r.left == left_ && r.top == top_) return;
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (sized) {
    Realign();
    Resize();
  }
}

// Before the key message is dispatched: the form's shortcuts, then the dialog
// keys the control does not want itself.
void TWinControl::CnKeyDown(TMessage& m) {
  WORD key = (WORD)m.WParam;
  TShiftState s = KeyboardShiftState();
  TForm* f = GetParentForm(this);
  if (f && f->IsShortCut(key, s)) {
    m.Result = 1;
    return;
  }
  bool dialogKey = key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE || key == VK_LEFT ||
                   key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (f && dialogKey && m.Msg == CN_KEYDOWN && !WantsKey(key) && !(s & (ssAlt))) {
    m.Result = f->Perform(CM_DIALOGKEY, key, m.LParam);
    return;
  }
  m.Result = 0;
}

void TCustomControl::PaintWindow(HDC dc) {
  PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}

void TCustomControl::Paint() {
  canvas_.Brush.Color = color_;
  canvas_.FillRect(ClientRect());
}
