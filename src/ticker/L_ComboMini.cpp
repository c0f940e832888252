#include "L_ComboMini.h"

#include <algorithm>
#include <cstdlib>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"

namespace {

// The caret goes to the end of the text.
const int kTextEnd = 999;

bool AltHeld(const TMessage& m) { return (m.LParam & (1 << 29)) != 0; }

int ItemHeightFor(const TFont& font) { return std::abs(font.Height()) + 2; }

}  // namespace

TPopupList::TPopupList(TComboMini* combo) : combo_(combo) {
  Style = lbOwnerDrawFixed;
  visible_ = false;
  TabStop = false;
}

void TPopupList::CreateParams(TCreateParams& p) {
  TListBox::CreateParams(p);
  p.Style &= ~(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  p.Style |= WS_POPUP | WS_BORDER;
  if (combo_->Columns > 1) p.Style |= LBS_MULTICOLUMN;
  p.ExStyle = WS_EX_TOOLWINDOW;
  p.ClassStyle = CS_SAVEBITS;
  // Owned by the form, so the list's notifications and drawing reach the layer.
  TForm* form = GetParentForm(combo_);
  p.WndParent = form ? form->Handle() : nullptr;
}

void TPopupList::CreateHandleDone() {
  TListBox::CreateHandleDone();
  // The list then draws itself focused and leaves the focus with the edit
  // when it is clicked.
  CallWindowProcW(sysProc_, hwnd_, WM_SETFOCUS, 0, 0);
}

void TPopupList::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      m.Result = 0;
      return;
    case WM_MOUSEACTIVATE:
      // A top-level window would take the activation, and the edit its focus.
      m.Result = MA_NOACTIVATE;
      return;
    default:
      TListBox::HandleMessage(m);
  }
}

void TPopupList::MouseUp(TMouseButton b, TShiftState s, int x, int y) {
  TListBox::MouseUp(b, s, x, y);
  if (b != mbLeft) return;
  RECT r = ClientRect();
  combo_->CloseUp(x >= r.left && y >= r.top && x < r.right && y < r.bottom);
}

TComboMini::TComboMini() = default;

TComboMini::~TComboMini() {
  if (list_) list_->SetParent(nullptr);
}

void TComboMini::Create(const TComboMiniValues& v) {
  TakeValue(noFocusButton_, v.NoFocusButton);
  TakeValue(DropDownRows, v.DropDownRows);
  TakeValue(Columns, v.Columns);
  TakeEvent(OnDropDown, v.OnDropDown);
  TakeEvent(OnCloseUp, v.OnCloseUp);
  TEdit::Create(v);
  if (v.EditStyle) SetEditStyle(*v.EditStyle);
}

void TComboMini::CreateParams(TCreateParams& p) {
  TEdit::CreateParams(p);
  p.Style |= ES_MULTILINE | ES_AUTOHSCROLL;
  p.Style &= ~(WS_VSCROLL | ES_WANTRETURN);
}

void TComboMini::SetEditStyle(TEditStyle style) {
  editStyle_ = style;
  if (!list_) list_ = std::make_unique<TPopupList>(this);
  list_->SetItemHeight(ItemHeightFor(list_->Font()));
  list_->SetParent(this);
  if (style == esDropList) {
    SetReadOnly(true);
    SetItemIndex(itemIndex_);
  }
  Invalidate();
}

void TComboMini::SetItems(const std::vector<std::string>& items) {
  items_ = items;
  if (editStyle_ == esDropList) SetItemIndex(itemIndex_);
}

void TComboMini::SetItemIndex(int index) {
  itemIndex_ = index;
  if (editStyle_ != esDropList) return;
  if (itemIndex_ >= (int)items_.size()) itemIndex_ = (int)items_.size() - 1;
  SyncTextFromItem();
  Invalidate();
}

void TComboMini::SyncTextFromItem() {
  if (editStyle_ != esDropList) return;
  std::string item = itemIndex_ >= 0 && itemIndex_ < (int)items_.size() ? items_[itemIndex_] : "";
  if (item != Text()) SetText(item);
}

void TComboMini::SetNoFocusButton(bool v) {
  if (v == noFocusButton_) return;
  noFocusButton_ = v;
  Invalidate();
}

bool TComboMini::CanChangeText() const {
  return Enabled() && Visible() && (!readOnly_ || editStyle_ == esDropList);
}

void TComboMini::Clear() {
  SetText("");
  items_.clear();
  itemIndex_ = -1;
  if (!noFocusButton_) Invalidate();
}

void TComboMini::UpdateReadOnly() {
  if (editStyle_ == esDropList && !readOnly_) SetReadOnly(true);
}

void TComboMini::SetFocus() {
  TEdit::SetFocus();
  if (readOnly_ && HandleAllocated()) HideCaret(hwnd_);
  UpdateReadOnly();
  if (!noFocusButton_) Invalidate();
}

void TComboMini::DropDown() {
  if (OnDropDown) OnDropDown(this);
  if (droppedDown_ || !list_ || !CanChangeText() || items_.empty()) return;
  if (AutoSelect) {
    SelectAll();
  } else {
    SetSelStart(kTextEnd);
    SetSelLength(0);
  }
  TPopupList& list = *list_;
  list.SetColor(Color());
  list.SetFont(Font());
  list.SetItems(items_);
  list.HandleNeeded();
  list.SetItemHeight(ItemHeightFor(Font()));
  const int rows = (int)items_.size() < DropDownRows ? (int)items_.size() : DropDownRows;
  const std::string text = Text();
  int chosen = editStyle_ == esDropList ? itemIndex_ : -1;
  int widest = 0;
  for (int i = 0; i < (int)items_.size(); ++i) {
    if (chosen < 0 && items_[i] == text) chosen = i;
    widest = std::max(widest, (int)FontTextExtent(list.Font(), "W" + items_[i]).cx + 4);
  }
  list.SetItemIndex(chosen);
  int clientWidth = Width() + 1;
  if (Columns > 1) widest *= Columns;
  if (clientWidth < widest) clientWidth = widest;
  RECT r = {0, 0, clientWidth, list.ItemHeight() * rows + 4};
  AdjustWindowRectEx(&r, (DWORD)GetWindowLongW(list.Handle(), GWL_STYLE), FALSE,
                     (DWORD)GetWindowLongW(list.Handle(), GWL_EXSTYLE));
  list.SetBounds(list.Left(), list.Top(), r.right - r.left, r.bottom - r.top);
  if (Columns > 1) SendMessageW(list.Handle(), LB_SETCOLUMNWIDTH, widest / Columns, 0);
  PlaceList();
  droppedDown_ = true;
  Invalidate();
  if (HandleAllocated()) ::SetFocus(hwnd_);
}

void TComboMini::PlaceList() {
  TPopupList& list = *list_;
  RECT wr;
  GetWindowRect(hwnd_, &wr);
  const POINT p = {wr.left, wr.top};
  int y = p.y + Height() + 2;
  if (Screen.Height() < y + list.Height() + 5) y = p.y - list.Height() - 2;
  int x = p.x;
  if (Screen.Width() < p.x + list.Width() + 5) x = p.x - (list.Width() - Width());
  list.SetBounds(x, y, list.Width(), list.Height());
  SetWindowPos(list.Handle(), HWND_TOPMOST, x, y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TComboMini::CloseUp(bool accept) {
  if (!droppedDown_) return;
  if (HWND capture = GetCapture()) SendMessageW(capture, WM_CANCELMODE, 0, 0);
  TPopupList& list = *list_;
  SetWindowPos(list.Handle(), nullptr, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  droppedDown_ = false;
  Invalidate();
  const int selected = list.ItemIndex();
  if (!accept || selected < 0 || selected >= list.ItemCount() || !CanChangeText()) return;
  SendMessageW(hwnd_, EM_SETMODIFY, TRUE, 0);
  if (editStyle_ == esPickList) {
    SetText(list.Item(selected));
    SetSelStart(kTextEnd);
    SetSelLength(0);
  } else {
    SetItemIndex(selected);
  }
  Update();
  if (OnCloseUp) OnCloseUp(this);
}

void TComboMini::SwitchDropDown(bool accept) {
  if (droppedDown_)
    CloseUp(accept);
  else
    DropDown();
}

bool TComboMini::ListKey(TMessage& m) {
  const WORD key = (WORD)m.WParam;
  const bool alt = AltHeld(m);
  if (key != VK_RETURN) swallowKey_ = false;
  switch (key) {
    case VK_UP:
    case VK_DOWN:
      if (!droppedDown_)
        DropDown();
      else if (!alt)
        SendMessageW(list_->Handle(), m.Msg, m.WParam, m.LParam);
      else
        CloseUp(true);
      return true;
    case VK_F4:
      if (alt || KeyboardShiftState() & (ssShift | ssCtrl)) return false;
      SwitchDropDown(true);
      return true;
    case VK_RETURN:
    case VK_ESCAPE:
      if (!droppedDown_ || alt) return false;
      CloseUp(key == VK_RETURN);
      swallowKey_ = true;
      return true;
    default:
      return false;
  }
}

void TComboMini::Paste() {
  if (!CanChangeText() || readOnly_) return;
  std::wstring line = FirstClipboardLine(hwnd_);
  if (!line.empty()) SendMessageW(hwnd_, EM_REPLACESEL, TRUE, (LPARAM)line.c_str());
}

void TComboMini::KeyPress(char& key) {
  const bool swallow = swallowKey_;
  swallowKey_ = false;
  if ((key == '\r' || key == '\x1B') && swallow) {
    key = 0;
    return;
  }
  if (key == '\n') {
    MessageBeep(MB_OK);
    key = 0;
    return;
  }
  TEdit::KeyPress(key);
}

void TComboMini::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (list_ && ListKey(m)) {
        m.Result = 0;
        return;
      }
      break;
    case WM_GETDLGCODE:
      TEdit::HandleMessage(m);
      m.Result &= ~DLGC_WANTALLKEYS;
      return;
    case WM_PASTE:
      Paste();
      m.Result = 0;
      return;
    case WM_CUT:
    case WM_CLEAR:
      if (!CanChangeText()) {
        m.Result = 0;
        return;
      }
      break;
    case WM_SETFOCUS:
      if (readOnly_) {
        HideCaret(hwnd_);
      } else {
        // A failing focus change leaves the box as it is.
        Guard("combo focus", [&] { TEdit::HandleMessage(m); });
      }
      UpdateReadOnly();
      if (!noFocusButton_) Invalidate();
      return;
    case WM_KILLFOCUS:
      TEdit::HandleMessage(m);
      CloseUp(false);
      if (!noFocusButton_) Invalidate();
      return;
  }
  TEdit::HandleMessage(m);
}
