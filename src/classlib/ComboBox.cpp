#include "ComboBox.h"

#include <algorithm>

#include "Edit.h"
#include "Text.h"

namespace {
const wchar_t kComboProp[] = L"TessivarComboEdit";
}

TComboBox::TComboBox() {
  width_ = 145;
  height_ = 21;
  TabStop = true;
  color_ = clWindow;
  clickOnMouseUp_ = false;
}

void TComboBox::Create(const TComboBoxValues& v) {
  TakeValue(style_, v.Style);
  TakeValue(maxLength_, v.MaxLength);
  TakeValue(DropDownCount, v.DropDownCount);
  if (!v.Items.empty()) SetItems(v.Items);
  if (v.ItemIndex) SetItemIndex(*v.ItemIndex);
  TakeEvent(OnChange, v.OnChange);
  TakeEvent(OnSelect, v.OnSelect);
  TakeEvent(OnDropDown, v.OnDropDown);
  TakeEvent(OnCloseUp, v.OnCloseUp);
  TWinControl::Create(v);
}

int TComboBox::DropHeight() const {
  if (style_ == csSimple) return height_;
  int item = std::abs(font_.Height()) + 4;
  int n = std::max(1, std::min(DropDownCount, std::max(1, ItemCount())));
  return height_ + n * item + 4;
}

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClass = L"COMBOBOX";
  p.Style &= ~WS_CLIPCHILDREN;
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (style_) {
    case csDropDown: p.Style |= CBS_DROPDOWN; break;
    case csSimple: p.Style |= CBS_SIMPLE; break;
    case csDropDownList: p.Style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: p.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
  }
  p.Height = DropHeight();
}

void TComboBox::CreateHandleDone() {
  for (const std::string& s : items_) SendMessageW(hwnd_, CB_ADDSTRING, 0, (LPARAM)SjisToWide(s).c_str());
  if (itemIndex_ >= 0) SendMessageW(hwnd_, CB_SETCURSEL, itemIndex_, 0);
  if (style_ == csDropDown || style_ == csSimple) {
    if (itemIndex_ < 0 && !text_.empty()) SetWindowTextW(hwnd_, SjisToWide(text_).c_str());
    if (maxLength_ > 0) SendMessageW(hwnd_, CB_LIMITTEXT, maxLength_, 0);
  }
  // Keys typed into the edit part reach the combo's key events.
  if (HWND edit = EditHandle()) {
    SetPropW(edit, kComboProp, this);
    editProc_ = (WNDPROC)SetWindowLongPtrW(edit, GWLP_WNDPROC, (LONG_PTR)EditProc);
  }
  RECT r;
  GetWindowRect(hwnd_, &r);
  height_ = r.bottom - r.top;
}

LRESULT CALLBACK TComboBox::EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = (TComboBox*)GetPropW(h, kComboProp);
  if (!self) return DefWindowProcW(h, msg, wp, lp);
  WNDPROC orig = self->editProc_;
  if (msg == WM_NCDESTROY) {
    RemovePropW(h, kComboProp);
    SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)orig);
    self->editProc_ = nullptr;
    return CallWindowProcW(orig, h, msg, wp, lp);
  }
  if (msg == WM_KEYDOWN || msg == WM_KEYUP || msg == WM_CHAR || msg == WM_SYSKEYDOWN) {
    bool used = false;
    GuardEvent("OnKey", [&] {
      TShiftState s = KeyboardShiftState();
      if (msg == WM_CHAR) {
        if (wp < 0x80) {
          char c = (char)wp;
          self->KeyPress(c);
          if (!c) used = true;
          wp = (unsigned char)c;
        }
      } else {
        WORD key = (WORD)wp;
        if (msg == WM_KEYUP)
          self->KeyUp(key, s);
        else
          self->KeyDown(key, s);
        if (!key) used = true;
        wp = key;
      }
    });
    if (used) return 0;
  }
  return CallWindowProcW(orig, h, msg, wp, lp);
}

void TComboBox::BoundsChanged(bool sized) {
  if (hwnd_) SetWindowPos(hwnd_, nullptr, left_, top_, width_, DropHeight(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (sized) {
    Realign();
    Resize();
  }
  RequestAlign();
}

void TComboBox::SetStyle(TComboBoxStyle s) {
  if (s == style_) return;
  itemIndex_ = ItemIndex();
  style_ = s;
  RecreateWnd();
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const auto& s : items) AddItem(s);
}

int TComboBox::AddItem(const std::string& s) {
  items_.push_back(s);
  if (hwnd_) SendMessageW(hwnd_, CB_ADDSTRING, 0, (LPARAM)SjisToWide(s).c_str());
  return (int)items_.size() - 1;
}

void TComboBox::InsertItem(int index, const std::string& s) {
  if (index < 0 || index > (int)items_.size()) index = (int)items_.size();
  items_.insert(items_.begin() + index, s);
  if (hwnd_) SendMessageW(hwnd_, CB_INSERTSTRING, index, (LPARAM)SjisToWide(s).c_str());
}

void TComboBox::DeleteItem(int index) {
  if (index < 0 || index >= (int)items_.size()) return;
  items_.erase(items_.begin() + index);
  if (hwnd_) SendMessageW(hwnd_, CB_DELETESTRING, index, 0);
  if (itemIndex_ >= (int)items_.size()) itemIndex_ = -1;
}

void TComboBox::ClearItems() {
  items_.clear();
  itemIndex_ = -1;
  if (hwnd_) SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0);
}

int TComboBox::IndexOf(const std::string& s) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == s) return (int)i;
  return -1;
}

int TComboBox::ItemIndex() const {
  if (hwnd_) itemIndex_ = (int)SendMessageW(hwnd_, CB_GETCURSEL, 0, 0);
  return itemIndex_;
}

void TComboBox::SetItemIndex(int i) {
  if (i < -1 || i >= (int)items_.size()) i = -1;
  itemIndex_ = i;
  if (hwnd_) SendMessageW(hwnd_, CB_SETCURSEL, i, 0);
}

std::string TComboBox::Text() const {
  if (hwnd_) return TWinControl::Text();
  if (style_ == csDropDownList || style_ == csOwnerDrawFixed)
    return itemIndex_ >= 0 && itemIndex_ < (int)items_.size() ? items_[itemIndex_] : std::string();
  return text_;
}

void TComboBox::SetText(const std::string& s) {
  if (style_ == csDropDownList || style_ == csOwnerDrawFixed) {
    SetItemIndex(IndexOf(s));
    return;
  }
  text_ = s;
  if (hwnd_) {
    int i = IndexOf(s);
    if (i >= 0) SendMessageW(hwnd_, CB_SETCURSEL, i, 0);
    SetWindowTextW(hwnd_, SjisToWide(s).c_str());
    KeepLimit();
  }
}

bool TComboBox::KeepLimit() {
  if (trimming_ || maxLength_ <= 0 || (style_ != csDropDown && style_ != csSimple)) return false;
  trimming_ = true;
  bool cut = KeepByteLimit(EditHandle(), maxLength_);
  trimming_ = false;
  return cut;
}

void TComboBox::SetMaxLength(int n) {
  maxLength_ = n;
  if (hwnd_) SendMessageW(hwnd_, CB_LIMITTEXT, n > 0 ? n : 0, 0);
}

bool TComboBox::DroppedDown() const { return hwnd_ && SendMessageW(hwnd_, CB_GETDROPPEDSTATE, 0, 0); }

void TComboBox::SetDroppedDown(bool v) {
  if (hwnd_) SendMessageW(hwnd_, CB_SHOWDROPDOWN, v, 0);
}

int TComboBox::SelStart() {
  DWORD s = 0, e = 0;
  if (hwnd_) SendMessageW(hwnd_, CB_GETEDITSEL, (WPARAM)&s, (LPARAM)&e);
  return (int)s;
}

int TComboBox::SelLength() {
  DWORD s = 0, e = 0;
  if (hwnd_) SendMessageW(hwnd_, CB_GETEDITSEL, (WPARAM)&s, (LPARAM)&e);
  return (int)(e - s);
}

void TComboBox::SetSelStart(int s) {
  if (hwnd_) SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(s, s));
}

void TComboBox::SetSelLength(int n) {
  int s = SelStart();
  if (hwnd_) SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(s, s + n));
}

void TComboBox::SelectAll() {
  if (hwnd_) SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
}

HWND TComboBox::EditHandle() {
  if (!hwnd_ || style_ == csDropDownList || style_ == csOwnerDrawFixed) return nullptr;
  COMBOBOXINFO ci = {};
  ci.cbSize = sizeof ci;
  if (GetComboBoxInfo(hwnd_, &ci) && ci.hwndItem != hwnd_) return ci.hwndItem;
  return FindWindowExW(hwnd_, nullptr, L"Edit", nullptr);
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TComboBox::Select() {
  if (OnSelect)
    OnSelect(this);
  else
    Change();
}

void TComboBox::HandleMessage(TMessage& m) {
  if (m.Msg != CN_COMMAND) {
    TWinControl::HandleMessage(m);
    return;
  }
  switch (HIWORD(m.WParam)) {
    case CBN_EDITCHANGE:
      // The cuts of the byte limit change the text again: one change is raised.
      if (!trimming_)
        GuardEvent("OnChange", [this] {
          KeepLimit();
          Change();
        });
      break;
    case CBN_SELCHANGE: {
      int i = ItemIndex();
      if (i >= 0 && i < (int)items_.size() && (style_ == csDropDown || style_ == csSimple))
        SetWindowTextW(hwnd_, SjisToWide(items_[i]).c_str());
      GuardEvent("OnClick", [this] {
        Click();
        Select();
      });
      break;
    }
    case CBN_DROPDOWN:
      if (OnDropDown) GuardEvent("OnDropDown", [this] { OnDropDown(this); });
      break;
    case CBN_CLOSEUP:
      if (OnCloseUp) GuardEvent("OnCloseUp", [this] { OnCloseUp(this); });
      break;
    case CBN_SETFOCUS:
      GuardEvent("OnEnter", [this] { DoEnter(); });
      break;
    case CBN_KILLFOCUS:
      GuardEvent("OnExit", [this] { DoExit(); });
      break;
    default: break;
  }
  m.Result = 0;
}
