#include "Forms.h"

#include <algorithm>

#include "Accelerators.h"
#include "Application.h"
#include "Button.h"
#include "Screen.h"
#include "Text.h"

TForm* GetParentForm(const TControl* c) {
  while (c && c->Parent()) c = c->Parent();
  return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

namespace {
std::string& FormFontName() {
  static std::string name;
  return name;
}
}  // namespace

void SetDefaultFormFontName(const std::string& name) { FormFontName() = name; }

const std::string& DefaultFormFontName() { return FormFontName(); }

TForm::TForm() {
  visible_ = false;
  parentFont_ = false;
  if (!FormFontName().empty()) font_.SetName(FormFontName());
  color_ = clBtnFace;
  left_ = 100;
  top_ = 100;
  width_ = 320;
  height_ = 240;
  Application.AddForm(this);
}

TForm::~TForm() {
  DoDestroy();
  Application.RemoveForm(this);
  destroying_ = true;
  DestroyWnd();
}

void TForm::Create(const TFormValues& v) {
  if (!v.WindowClassName.empty()) className_ = v.WindowClassName;
  TakeValue(borderStyle_, v.BorderStyle);
  TakeValue(borderIcons_, v.BorderIcons);
  TakeValue(formStyle_, v.FormStyle);
  TakeValue(Position, v.Position);
  TakeValue(KeyPreview, v.KeyPreview);
  TakeValue(transparentColorValue_, v.TransparentColorValue);
  TakeEvent(OnCreate, v.OnCreate);
  TakeEvent(OnDestroy, v.OnDestroy);
  TakeEvent(OnShow, v.OnShow);
  TakeEvent(OnHide, v.OnHide);
  TakeEvent(OnActivate, v.OnActivate);
  TakeEvent(OnDeactivate, v.OnDeactivate);
  TakeEvent(OnPaint, v.OnPaint);
  TakeEvent(OnClose, v.OnClose);
  TakeEvent(OnCloseQuery, v.OnCloseQuery);
  TWinControl::Create(v);
  if (v.ClientWidth >= 0 || v.ClientHeight >= 0)
    SetClientSize(v.ClientWidth >= 0 ? v.ClientWidth : ClientWidth(),
                  v.ClientHeight >= 0 ? v.ClientHeight : ClientHeight());
}

void TForm::DoCreate() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
}

void TForm::DoDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (OnDestroy) GuardEvent("OnDestroy", [this] { OnDestroy(this); });
}

void TForm::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  p.ExStyle = 0;
  switch (borderStyle_) {
    case bsNone: p.Style |= WS_POPUP; break;
    case bsSingle: p.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable: p.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      p.Style |= WS_POPUP | WS_CAPTION | DS_MODALFRAME;
      p.ExStyle |= WS_EX_DLGMODALFRAME;
      break;
    case bsToolWindow:
      p.Style |= WS_CAPTION;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      p.Style |= WS_CAPTION | WS_THICKFRAME;
      p.ExStyle |= WS_EX_TOOLWINDOW;
      break;
  }
  if (borderStyle_ != bsNone && (borderIcons_ & biSystemMenu)) {
    p.Style |= WS_SYSMENU;
    if (borderStyle_ == bsSingle || borderStyle_ == bsSizeable) {
      if (borderIcons_ & biMinimize) p.Style |= WS_MINIMIZEBOX;
      if (borderIcons_ & biMaximize) p.Style |= WS_MAXIMIZEBOX;
    }
  }
  if (!enabled_) p.Style |= WS_DISABLED;
  if (formStyle_ == fsStayOnTop) p.ExStyle |= WS_EX_TOPMOST;
  if (Application.MainForm() == this && Application.MainFormOnTaskBar) p.ExStyle |= WS_EX_APPWINDOW;
  if (alphaBlend_ || transparentColor_) p.ExStyle |= WS_EX_LAYERED;
  p.WndParent = Application.Handle();
  p.WinClassName = className_;
  p.ClassStyle = CS_DBLCLKS;
}

void TForm::CreateHandleDone() {
  ApplyLayered();
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  if (icon) SendMessageW(hwnd_, WM_SETICON, ICON_BIG, (LPARAM)icon);
}

void TForm::ApplyLayered() {
  if (!hwnd_) return;
  LONG ex = GetWindowLongW(hwnd_, GWL_EXSTYLE);
  bool need = alphaBlend_ || transparentColor_;
  if (need) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongW(hwnd_, GWL_EXSTYLE, ex | WS_EX_LAYERED);
    SetLayeredWindowAttributes(hwnd_, ColorToRGB(transparentColorValue_), alphaBlend_ ? alphaValue_ : 255,
                               (alphaBlend_ ? LWA_ALPHA : 0) | (transparentColor_ ? LWA_COLORKEY : 0));
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(hwnd_, GWL_EXSTYLE, ex & ~WS_EX_LAYERED);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

void TForm::SetAlphaBlend(bool v) {
  alphaBlend_ = v;
  ApplyLayered();
}

void TForm::SetAlphaBlendValue(BYTE v) {
  alphaValue_ = v;
  ApplyLayered();
}

void TForm::SetTransparentColor(bool v) {
  transparentColor_ = v;
  ApplyLayered();
}

void TForm::SetTransparentColorValue(TColor c) {
  transparentColorValue_ = c;
  ApplyLayered();
}

void TForm::SetBorderStyle(TFormBorderStyle b) {
  if (b == borderStyle_) return;
  borderStyle_ = b;
  RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons b) {
  if (b == borderIcons_) return;
  borderIcons_ = b;
  RecreateWnd();
}

void TForm::SetFormStyle(TFormStyle s) {
  formStyle_ = s;
  if (hwnd_)
    SetWindowPos(hwnd_, s == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetActiveControl(TWinControl* c) {
  activeControl_ = c;
  if (c && hwnd_ && IsWindowVisible(hwnd_) && c->CanFocus()) c->SetFocus();
}

static void CollectTabStops(TWinControl* w, std::vector<TWinControl*>& out) {
  for (TWinControl* c : w->TabList()) {
    if (!c->CanFocus()) continue;
    if (c->TabStop) out.push_back(c);
    CollectTabStops(c, out);
  }
}

void TForm::SelectNext(TWinControl* from, bool forward) {
  std::vector<TWinControl*> list;
  CollectTabStops(this, list);
  if (list.empty()) return;
  int n = (int)list.size();
  int i = (int)(std::find(list.begin(), list.end(), from) - list.begin());
  int next;
  if (i >= n)
    next = forward ? 0 : n - 1;
  else
    next = forward ? (i + 1) % n : (i + n - 1) % n;
  list[next]->SetFocus();
}

bool TForm::Active() const { return hwnd_ && GetActiveWindow() == hwnd_; }

bool TForm::IsShortCut(WORD key, TShiftState s) {
  return (s & ssAlt) && !(s & ssCtrl) && ActivateAccelerator(this, key);
}

void TForm::ApplyPosition() {
  positioned_ = true;
  RECT area = Screen.WorkAreaRect();
  TForm* over = nullptr;
  if (Position == poOwnerFormCenter || Position == poMainFormCenter) {
    over = Position == poMainFormCenter ? Application.MainForm() : Application.ActiveForm();
    if (!over) over = Application.MainForm();
    if (over == this || (over && !over->HandleAllocated())) over = nullptr;
    if (!over && Position == poOwnerFormCenter) {
      HWND owner = hwnd_ ? GetWindow(hwnd_, GW_OWNER) : nullptr;
      if (owner && IsWindowVisible(owner)) GetWindowRect(owner, &area);
    }
  }
  if (over) {
    area = over->BoundsRect();
  } else if (Position != poScreenCenter && Position != poOwnerFormCenter &&
             Position != poMainFormCenter) {
    return;
  }
  SetBounds(area.left + (area.right - area.left - width_) / 2, area.top + (area.bottom - area.top - height_) / 2,
            width_, height_);
}

void TForm::DoShow() {
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::VisibleChanged() {
  if (visible_) {
    Handle();
    if (!hwnd_) return;
    if (!positioned_) ApplyPosition();
    DoShow();
    if (!visible_) return;  // OnShow hid it again
    ShowWindow(hwnd_, SW_SHOW);
    if (activeControl_ && activeControl_->CanFocus()) {
      activeControl_->SetFocus();
    } else if (GetActiveWindow() == hwnd_) {
      SelectNext(nullptr, true);
    }
  } else {
    if (hwnd_ && IsWindowVisible(hwnd_)) {
      DoHide();
      ShowWindow(hwnd_, SW_HIDE);
    }
  }
}

void TForm::Show() {
  SetVisible(true);
  if (hwnd_) {
    SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(hwnd_);
  }
}

bool TForm::CloseQuery() {
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  if (Application.MainForm() == this) {
    Application.Terminate();
  } else if (action == caMinimize) {
    if (hwnd_) ShowWindow(hwnd_, SW_MINIMIZE);
  } else {
    Hide();
  }
}

namespace {
struct DisabledWindows {
  HWND keep;
  std::vector<HWND> list;
};
BOOL CALLBACK DisableOther(HWND h, LPARAM lp) {
  auto* d = (DisabledWindows*)lp;
  if (h != d->keep && IsWindowVisible(h) && IsWindowEnabled(h)) {
    d->list.push_back(h);
    EnableWindow(h, FALSE);
  }
  return TRUE;
}
}  // namespace

TModalResult TForm::ShowModal() {
  if (modal_ || visible_) return mrCancel;
  Application.CancelHint();
  HWND before = GetActiveWindow();
  if (!Handle()) return mrCancel;
  HWND owner = before && before != hwnd_ ? before : Application.Handle();
  SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, (LONG_PTR)owner);
  DisabledWindows disabled{hwnd_, {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, (LPARAM)&disabled);
  modal_ = true;
  modalResult_ = mrNone;
  Application.ModalStarted();
  try {
    Show();
    while (hwnd_) {
      if (!Application.HandleMessage()) {
        PostQuitMessage(0);  // the outer loop must end too
        modalResult_ = mrCancel;
        break;
      }
      if (modalResult_ != mrNone) {
        bool close = CloseQuery();
        if (close) {
          TCloseAction action = caHide;
          if (OnClose) OnClose(this, action);
          close = action != caNone;
        }
        if (close) break;
        modalResult_ = mrNone;
      }
    }
  } catch (...) {
    for (HWND h : disabled.list) EnableWindow(h, TRUE);
    modal_ = false;
    Application.ModalFinished();
    Hide();
    throw;
  }
  if (!hwnd_ && modalResult_ == mrNone) modalResult_ = mrCancel;
  for (HWND h : disabled.list) EnableWindow(h, TRUE);
  Hide();
  modal_ = false;
  Application.ModalFinished();
  if (before && IsWindow(before)) SetActiveWindow(before);
  return modalResult_;
}

void TForm::Paint() {
  canvas_.Brush.Color = color_;
  canvas_.FillRect(ClientRect());
  if (OnPaint) OnPaint(this);
}

void TForm::DialogKey(TMessage& m) {
  WORD key = (WORD)m.WParam;
  TShiftState s = KeyboardShiftState();
  m.Result = 0;
  TWinControl* focused = FromHandle(GetFocus());
  if (focused && !ContainsControl(focused)) focused = nullptr;
  switch (key) {
    case VK_TAB:
      if (s & ssCtrl) return;
      SelectNext(focused ? focused : activeControl_, !(s & ssShift));
      m.Result = 1;
      return;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
      if (!focused) return;
      SelectNext(focused, key == VK_RIGHT || key == VK_DOWN);
      m.Result = 1;
      return;
    case VK_RETURN:
    case VK_ESCAPE: {
      TButton* target = nullptr;
      if (key == VK_RETURN) target = dynamic_cast<TButton*>(focused);
      if (!target) {
        std::vector<TWinControl*> all;
        std::vector<TWinControl*> stack{this};
        while (!stack.empty()) {
          TWinControl* w = stack.back();
          stack.pop_back();
          for (int i = 0; i < w->ControlCount(); ++i)
            if (auto* c = dynamic_cast<TWinControl*>(w->Controls(i))) {
              all.push_back(c);
              stack.push_back(c);
            }
        }
        for (TWinControl* c : all) {
          auto* b = dynamic_cast<TButton*>(c);
          if (b && b->CanFocus() && (key == VK_RETURN ? b->Default() : b->Cancel)) {
            target = b;
            break;
          }
        }
      }
      if (target) {
        GuardEvent("OnClick", [target] { target->Click(); });
        m.Result = 1;
      }
      return;
    }
    default:
      return;
  }
}

// WM_NEXTDLGCTL as the dialog manager treats it: a window to focus, or the
// next (wParam 0) or previous tab stop.
void TForm::NextDialogControl(WPARAM wp, LPARAM lp) {
  if (LOWORD(lp)) {
    if (TWinControl* c = FromHandle((HWND)wp); c && ContainsControl(c)) c->SetFocus();
    return;
  }
  TWinControl* from = nullptr;
  for (HWND h = GetFocus(); h && !from; h = GetParent(h)) from = FromHandle(h);
  if (!from || !ContainsControl(from)) from = activeControl_;
  SelectNext(from, wp == 0);
}

void TForm::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_CLOSE:
      Close();
      m.Result = 0;
      return;
    case WM_QUERYENDSESSION:
      // Logging off must not pass by the form's saving and its questions.
      m.Result = CloseQuery() ? TRUE : FALSE;
      return;
    case WM_ENDSESSION:
      // The process may be ended once this returns: leave the loop now.
      if (m.WParam) Application.Terminate();
      m.Result = 0;
      return;
    case CM_DIALOGKEY:
      DialogKey(m);
      return;
    case WM_SIZE:
      if (Application.MainForm() == this && (m.WParam == SIZE_MINIMIZED || m.WParam == SIZE_RESTORED ||
                                             m.WParam == SIZE_MAXIMIZED))
        Application.MainFormSized(m.WParam);
      TCustomControl::HandleMessage(m);
      return;
    case WM_NEXTDLGCTL:
      NextDialogControl(m.WParam, m.LParam);
      m.Result = 0;
      return;
    case WM_ACTIVATE:
      if (LOWORD(m.WParam) == WA_INACTIVE) {
        if (TWinControl* f = FromHandle(GetFocus()); f && ContainsControl(f) && f != this) activeControl_ = f;
        if (OnDeactivate) OnDeactivate(this);
        m.Result = 0;
      } else {
        if (activeControl_ && activeControl_->CanFocus() && activeControl_->HandleAllocated())
          ::SetFocus(activeControl_->HandleIfAllocated());
        else
          DefaultHandler(m);
        if (OnActivate) OnActivate(this);
      }
      return;
    default:
      TCustomControl::HandleMessage(m);
  }
}
