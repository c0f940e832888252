// The mouse in a windowed control: hover tracking, the graphic child under
// the mouse (its input, capture, cursor and popup menu), and the wheel.
#include "WinControl.h"

#include <windowsx.h>

#include "Application.h"
#include "Menus.h"
#include "Screen.h"

namespace {
bool IsButtonUp(UINT msg) {
  return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
}

// A press or a double click.
bool IsButtonDown(UINT msg) {
  return msg >= WM_LBUTTONDOWN && msg <= WM_MBUTTONDBLCLK && !IsButtonUp(msg);
}
}  // namespace

void TWinControl::SendCancelMode(TControl* pressed) {
  if (!pressed || pressed->IsWindowed()) pressed = this;
  for (HWND h = GetFocus(); h; h = GetParent(h))
    if (TWinControl* focused = FromHandle(h)) {
      if (focused != pressed) focused->Perform(CM_CANCELMODE, 0, (LPARAM)pressed);
      return;
    }
}

void TWinControl::UpdateMouseControl(POINT pt) {
  TControl* target = this;
  if (captureControl_) {
    target = captureControl_;
  } else if (TControl* c = ControlAtPos(pt, true); c && !c->IsWindowed()) {
    target = c;
  }
  if (target != hover_) {
    TControl* old = hover_;
    hover_ = target;
    if (old) old->Perform(CM_MOUSELEAVE);
    if (hover_ == target) target->Perform(CM_MOUSEENTER);
  }
  Application.MouseOver(target);
  if (!trackingLeave_ && hwnd_) {
    TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, hwnd_, 0};
    trackingLeave_ = TrackMouseEvent(&t) != FALSE;
  }
}

bool TWinControl::RouteMouseToGraphic(TMessage& m) {
  POINT pt = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TControl* target = captureControl_;
  if (!target) {
    TControl* c = ControlAtPos(pt, false);
    if (!c || c->IsWindowed()) return false;
    target = c;
    if (IsButtonDown(m.Msg)) {
      captureControl_ = c;
      SetCapture(hwnd_);
    }
  }
  LPARAM local = MAKELPARAM((short)(pt.x - target->left_), (short)(pt.y - target->top_));
  target->Perform(m.Msg, m.WParam, local);
  if (IsButtonUp(m.Msg) && !(m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) &&
      captureControl_) {
    captureControl_ = nullptr;
    if (GetCapture() == hwnd_) ReleaseCapture();
  }
  return true;
}

bool TWinControl::WmMouseWheel(TMessage& m) {
  POINT pos = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (!DoMouseWheel(ShiftStateFromKeys(GET_KEYSTATE_WPARAM(m.WParam), true),
                    GET_WHEEL_DELTA_WPARAM(m.WParam), pos))
    return false;
  m.Result = 0;
  return true;
}

// In the client area: the screen's cursor, else that of the graphic child
// under the mouse, else the control's own; the arrow when none is set.
bool TWinControl::WmSetCursor(TMessage& m) {
  if ((HWND)m.WParam != hwnd_ || LOWORD(m.LParam) != HTCLIENT) return false;
  TCursor c = Screen.Cursor();
  if (c == crDefault) {
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(hwnd_, &p);
    TControl* under = ControlAtPos(p, true);
    c = (under && !under->IsWindowed()) ? under->cursor_ : crDefault;
    if (c == crDefault) c = cursor_;
  }
  if (c != crDefault) {
    ::SetCursor(CursorHandle(c));
    m.Result = 1;
    return true;
  }
  if (sysProc_) return false;
  DefaultHandler(m);
  if (!m.Result) ::SetCursor(LoadCursorW(nullptr, (LPCWSTR)IDC_ARROW));
  m.Result = 1;
  return true;
}

// The popup menu of the graphic child under the mouse, else the control's
// own; from the keyboard it opens at the control's centre.
bool TWinControl::WmContextMenu(TMessage& m) {
  POINT sp = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  bool fromKeyboard = sp.x == -1 && sp.y == -1;
  TControl* target = this;
  if (!fromKeyboard) {
    POINT cp = sp;
    ::ScreenToClient(hwnd_, &cp);
    if (TControl* c = ControlAtPos(cp, false); c && !c->IsWindowed() && c->popup_) target = c;
  } else {
    sp = ClientToScreen(POINT{width_ / 2, height_ / 2});
  }
  TPopupMenu* menu = target->popup_;
  if (!menu || !menu->AutoPopup) return false;
  menu->PopupComponent = target;
  menu->Popup(sp.x, sp.y);
  m.Result = 0;
  return true;
}

// The mouse left the window (not for one of its children): the control it
// was over, this or a graphic child, gets CM_MOUSELEAVE.
void TWinControl::WmMouseLeave() {
  trackingLeave_ = false;
  if (!hover_ || (hover_ != this && (hover_->IsWindowed() || hover_->parent_ != this))) return;
  POINT p;
  GetCursorPos(&p);
  if (WindowFromPoint(p) == hwnd_) return;
  TControl* old = hover_;
  hover_ = nullptr;
  old->Perform(CM_MOUSELEAVE);
  Application.MouseOver(nullptr);
}

// Button and move messages: hover tracking, hints and drop-downs closed, then
// the graphic child under the mouse or the control itself.
void TWinControl::WmMouse(TMessage& m) {
  POINT pt = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (m.Msg == WM_MOUSEMOVE)
    UpdateMouseControl(pt);
  else
    Application.CancelHint();
  if (IsButtonDown(m.Msg))
    SendCancelMode(captureControl_ ? captureControl_ : ControlAtPos(pt, false));
  if (RouteMouseToGraphic(m)) {
    if (m.Msg == WM_RBUTTONUP) DefaultHandler(m);  // still raises WM_CONTEXTMENU
    return;
  }
  bool own = !sysProc_;
  if (own && m.Msg == WM_LBUTTONDOWN) SetCapture(hwnd_);
  TControl::HandleMessage(m);
  if (own && m.Msg == WM_LBUTTONUP && GetCapture() == hwnd_) ReleaseCapture();
}

