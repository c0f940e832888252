#include "ListBox.h"

#include <windowsx.h>

#include "Text.h"

TListBox::TListBox() {
  width_ = 121;
  height_ = 97;
  TabStop = true;
  color_ = clWindow;
  clickOnMouseUp_ = false;
}

void TListBox::Create(const TListBoxValues& v) {
  TakeValue(Style, v.Style);
  TakeValue(MultiSelect, v.MultiSelect);
  if (v.ItemHeight) SetItemHeight(*v.ItemHeight);
  if (!v.Items.empty()) SetItems(v.Items);
  if (v.ItemIndex) SetItemIndex(*v.ItemIndex);
  TakeEvent(OnDrawItem, v.OnDrawItem);
  TWinControl::Create(v);
}

void TListBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = L"LISTBOX";
  p.Style &= ~WS_CLIPCHILDREN;
  p.Style |= WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
  if (MultiSelect) p.Style |= LBS_EXTENDEDSEL;
  if (Style == lbOwnerDrawFixed) p.Style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS;
  p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TListBox::CreateHandleDone() {
  if (Style == lbOwnerDrawFixed) SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, itemHeight_);
  for (const auto& s : items_) SendMessageW(hwnd_, LB_ADDSTRING, 0, (LPARAM)SjisToWide(s).c_str());
  if (itemIndex_ >= 0) SetItemIndex(itemIndex_);
}

void TListBox::SetItemHeight(int h) {
  if (h <= 0) return;
  itemHeight_ = h;
  if (hwnd_ && Style == lbOwnerDrawFixed) {
    SendMessageW(hwnd_, LB_SETITEMHEIGHT, 0, h);
    Invalidate();
  }
}

void TListBox::SetItem(int i, const std::string& s) {
  if (i < 0 || i >= (int)items_.size()) return;
  items_[i] = s;
  if (!hwnd_) return;
  bool sel = Selected(i);
  int cur = ItemIndex();
  SendMessageW(hwnd_, LB_DELETESTRING, i, 0);
  SendMessageW(hwnd_, LB_INSERTSTRING, i, (LPARAM)SjisToWide(s).c_str());
  if (MultiSelect) {
    SendMessageW(hwnd_, LB_SETSEL, sel, i);
    if (cur >= 0) SendMessageW(hwnd_, LB_SETCARETINDEX, cur, FALSE);
  } else if (cur >= 0) {
    SendMessageW(hwnd_, LB_SETCURSEL, cur, 0);
  }
}

void TListBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const auto& s : items) AddItem(s);
}

int TListBox::AddItem(const std::string& s) {
  items_.push_back(s);
  ItemInserted((int)items_.size() - 1);
  if (hwnd_) SendMessageW(hwnd_, LB_ADDSTRING, 0, (LPARAM)SjisToWide(s).c_str());
  return (int)items_.size() - 1;
}

void TListBox::InsertItem(int index, const std::string& s) {
  if (index < 0 || index > (int)items_.size()) index = (int)items_.size();
  items_.insert(items_.begin() + index, s);
  ItemInserted(index);
  if (hwnd_) SendMessageW(hwnd_, LB_INSERTSTRING, index, (LPARAM)SjisToWide(s).c_str());
}

void TListBox::DeleteItem(int index) {
  if (index < 0 || index >= (int)items_.size()) return;
  items_.erase(items_.begin() + index);
  ItemDeleted(index);
  if (hwnd_) SendMessageW(hwnd_, LB_DELETESTRING, index, 0);
}

void TListBox::MoveItem(int from, int to) {
  if (from < 0 || from >= (int)items_.size() || to < 0 || to >= (int)items_.size() || from == to) return;
  std::string s = items_[from];
  DeleteItem(from);
  InsertItem(to, s);
}

void TListBox::ClearItems() {
  items_.clear();
  ItemsCleared();
  itemIndex_ = -1;
  if (hwnd_) SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
}

int TListBox::ItemIndex() {
  if (!hwnd_) return itemIndex_;
  if (MultiSelect) {
    int caret = (int)SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0);
    return caret >= 0 && caret < (int)items_.size() && SelCount() > 0 ? caret : -1;
  }
  return (int)SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
}

void TListBox::SetItemIndex(int i) {
  if (i < -1 || i >= (int)items_.size()) i = -1;
  itemIndex_ = i;
  if (!hwnd_) return;
  if (MultiSelect) {
    SendMessageW(hwnd_, LB_SETSEL, FALSE, -1);
    if (i >= 0) {
      SendMessageW(hwnd_, LB_SETSEL, TRUE, i);
      SendMessageW(hwnd_, LB_SETCARETINDEX, i, FALSE);
    }
  } else {
    SendMessageW(hwnd_, LB_SETCURSEL, i, 0);
  }
}

bool TListBox::Selected(int i) {
  if (!hwnd_) return i == itemIndex_;
  return SendMessageW(hwnd_, LB_GETSEL, i, 0) > 0;
}

void TListBox::SetSelected(int i, bool v) {
  if (!hwnd_ || !MultiSelect) {
    if (v) SetItemIndex(i);
    return;
  }
  SendMessageW(hwnd_, LB_SETSEL, v, i);
}

int TListBox::SelCount() {
  if (!hwnd_) return itemIndex_ >= 0 ? 1 : 0;
  if (MultiSelect) return (int)SendMessageW(hwnd_, LB_GETSELCOUNT, 0, 0);
  return SendMessageW(hwnd_, LB_GETCURSEL, 0, 0) >= 0 ? 1 : 0;
}

int TListBox::TopIndex() { return hwnd_ ? (int)SendMessageW(hwnd_, LB_GETTOPINDEX, 0, 0) : 0; }

void TListBox::SetTopIndex(int i) {
  if (hwnd_) SendMessageW(hwnd_, LB_SETTOPINDEX, i, 0);
}

int TListBox::ItemAtPos(POINT p, bool existing) {
  if (!hwnd_) return -1;
  LRESULT r = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(p.x, p.y));
  int index = LOWORD(r);
  if (HIWORD(r)) return existing ? -1 : (int)items_.size();
  return index < (int)items_.size() ? index : -1;
}

RECT TListBox::ItemRect(int i) {
  RECT r = {0, 0, 0, 0};
  if (hwnd_) SendMessageW(hwnd_, LB_GETITEMRECT, i, (LPARAM)&r);
  return r;
}

void TListBox::DrawItem(int index, RECT rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, index, rect, state);
    return;
  }
  canvas_.FillRect(rect);
  if (index >= 0 && index < (int)items_.size()) canvas_.TextOut(rect.left + 2, rect.top, items_[index]);
}

void TListBox::HandleMessage(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      if (HIWORD(m.WParam) == LBN_SELCHANGE) GuardEvent("OnClick", [this] { Click(); });
      if (HIWORD(m.WParam) == LBN_DBLCLK) GuardEvent("OnDblClick", [this] { DblClick(); });
      m.Result = 0;
      return;
    case CN_DRAWITEM: {
      auto* dis = (DRAWITEMSTRUCT*)m.LParam;
      TOwnerDrawState st = 0;
      if (dis->itemState & ODS_SELECTED) st |= odSelected;
      if (dis->itemState & ODS_FOCUS) st |= odFocused;
      if (dis->itemState & ODS_DISABLED) st |= odDisabled;
      canvas_.SetHandle(dis->hDC);
      canvas_.Font = font_;
      canvas_.Brush.Style = bsSolid;
      canvas_.Brush.Pattern = nullptr;
      if (st & odSelected) {
        canvas_.Brush.Color = clHighlight;
        canvas_.Font.SetColor(clHighlightText);
      } else {
        canvas_.Brush.Color = color_;
      }
      int index = (int)dis->itemID;
      RECT r = dis->rcItem;
      GuardEvent("OnDrawItem", [&] { DrawItem(index, r, st); });
      if ((st & odFocused) && (dis->itemAction & (ODA_FOCUS | ODA_DRAWENTIRE))) DrawFocusRect(dis->hDC, &dis->rcItem);
      canvas_.SetHandle(nullptr);
      m.Result = TRUE;
      return;
    }
    default:
      TWinControl::HandleMessage(m);
  }
}
