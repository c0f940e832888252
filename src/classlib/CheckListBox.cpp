#include "CheckListBox.h"

#include <windowsx.h>

#include <algorithm>

TCheckListBox::TCheckListBox() { Style = lbOwnerDrawFixed; }

void TCheckListBox::Create(const TCheckListBoxValues& v) {
  TakeEvent(OnClickCheck, v.OnClickCheck);
  TListBox::Create(v);
}

bool TCheckListBox::Checked(int i) const {
  return i >= 0 && i < (int)entries_.size() && entries_[i].checked;
}

void TCheckListBox::SetChecked(int i, bool v) {
  if (i < 0 || i >= (int)entries_.size() || entries_[i].checked == v) return;
  entries_[i].checked = v;
  InvalidateItem(i);
}

TObject* TCheckListBox::Objects(int i) const {
  return i >= 0 && i < (int)entries_.size() ? entries_[i].object.get() : nullptr;
}

void TCheckListBox::SetObject(int i, std::unique_ptr<TObject> object) {
  if (i >= 0 && i < (int)entries_.size()) entries_[i].object = std::move(object);
}

void TCheckListBox::MoveItem(int from, int to) {
  int n = (int)entries_.size();
  if (from < 0 || from >= n || to < 0 || to >= n || from == to) return;
  Entry moved = std::move(entries_[from]);
  TListBox::MoveItem(from, to);
  entries_[to] = std::move(moved);
  InvalidateItem(to);
}

int TCheckListBox::CheckWidth() const { return GetSystemMetrics(SM_CXMENUCHECK) + 4; }

void TCheckListBox::ItemInserted(int index) { entries_.insert(entries_.begin() + index, Entry()); }

void TCheckListBox::ItemDeleted(int index) { entries_.erase(entries_.begin() + index); }

void TCheckListBox::ItemsCleared() { entries_.clear(); }

void TCheckListBox::InvalidateItem(int index) {
  if (!hwnd_) return;
  RECT r = ItemRect(index);
  ::InvalidateRect(hwnd_, &r, FALSE);
}

void TCheckListBox::ToggleClickCheck(int index) {
  if (index < 0 || index >= (int)entries_.size() || !enabled_) return;
  entries_[index].checked = !entries_[index].checked;
  InvalidateItem(index);
  if (OnClickCheck) GuardEvent("OnClickCheck", [this] { OnClickCheck(this); });
}

void TCheckListBox::KeyPress(char& key) {
  TListBox::KeyPress(key);
  if (key == ' ') {
    ToggleClickCheck(ItemIndex());
    key = 0;
  }
}

void TCheckListBox::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p = {GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
      int index = ItemAtPos(p, true);
      TListBox::HandleMessage(m);
      if (index >= 0 && p.x < CheckWidth()) ToggleClickCheck(index);
      return;
    }
    case CN_DRAWITEM: {
      auto* dis = (DRAWITEMSTRUCT*)m.LParam;
      int index = (int)dis->itemID;
      RECT box = dis->rcItem;
      box.right = box.left + CheckWidth();
      dis->rcItem.left = box.right;
      TListBox::HandleMessage(m);
      if (index < 0 || index >= (int)entries_.size()) return;
      BrushHandle back(CreateSolidBrush(ColorToRGB(color_)));
      ::FillRect(dis->hDC, &box, back.get());
      int size = std::min<int>(GetSystemMetrics(SM_CXMENUCHECK), box.bottom - box.top);
      RECT check = {box.left + 2, box.top + (box.bottom - box.top - size) / 2, 0, 0};
      check.right = check.left + size;
      check.bottom = check.top + size;
      UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
      if (entries_[index].checked) state |= DFCS_CHECKED;
      if (!enabled_) state |= DFCS_INACTIVE;
      DrawFrameControl(dis->hDC, &check, DFC_BUTTON, state);
      return;
    }
    default:
      TListBox::HandleMessage(m);
  }
}
