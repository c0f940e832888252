#include "MessageReflection.h"

#include "Menus.h"
#include "WinControl.h"

// A child window's notifications go back to the child's object, which
// answers them as CN_BASE + the message.
bool TWinControl::ReflectToChild(TMessage& m) {
  TWinControl* target = ReflectionTarget(m);
  if (!target) return false;
  m.Result = target->Perform(CN_BASE + m.Msg, m.WParam, m.LParam);
  return true;
}

TWinControl* TWinControl::ReflectionTarget(const TMessage& m) {
  TWinControl* c = nullptr;
  switch (m.Msg) {
    case WM_COMMAND:
      if (m.LParam) c = FromHandle((HWND)m.LParam);
      break;
    case WM_NOTIFY:
      c = FromHandle(((NMHDR*)m.LParam)->hwndFrom);
      break;
    case WM_DRAWITEM: {
      auto* dis = (DRAWITEMSTRUCT*)m.LParam;
      if (dis->CtlType != ODT_MENU) c = FromHandle(dis->hwndItem);
      break;
    }
    case WM_MEASUREITEM: {
      auto* mis = (MEASUREITEMSTRUCT*)m.LParam;
      if (mis->CtlType != ODT_MENU && hwnd_) c = FromHandle(GetDlgItem(hwnd_, (int)mis->CtlID));
      break;
    }
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
      c = FromHandle((HWND)m.LParam);
      // A part of this control (a combo's edit) takes this control's colours.
      if (!c && sysProc_) return this;
      return c;
    default:
      break;
  }
  return c != this ? c : nullptr;
}

// Menu commands and the opening of a menu go to the menu items' objects.
bool TWinControl::MenuMessage(TMessage& m) {
  if (m.Msg == WM_COMMAND && !m.LParam && HIWORD(m.WParam) == 0) {
    TMenuItem* item = TMenuItem::FromCommand(LOWORD(m.WParam));
    if (!item) return false;
    GuardEvent("OnClick", [item] { item->Click(); });
    return true;
  }
  if (m.Msg == WM_INITMENUPOPUP && TMenuItem::InitMenuPopup((HMENU)m.WParam)) {
    m.Result = 0;
    return true;
  }
  return false;
}

// A reflected WM_CTLCOLOR*: the control's font colour on its own colour.
void TWinControl::CnCtlColor(TMessage& m) {
  HDC dc = (HDC)m.WParam;
  SetTextColor(dc, ColorToRGB(enabled_ ? font_.Color() : clGrayText));
  SetBkColor(dc, ColorToRGB(color_));
  m.Result = (LRESULT)ColorBrush();
}
