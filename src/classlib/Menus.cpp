#include "Menus.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "Application.h"
#include "Text.h"

namespace {
// Command numbers of the items that have been put into a menu, both ways.
constexpr UINT kFirstId = 1000, kLastId = 0x7FFF;
std::map<UINT, TMenuItem*>& ItemIds() {
  static std::map<UINT, TMenuItem*> ids;
  return ids;
}
std::unordered_map<const TMenuItem*, UINT>& IdsOfItems() {
  static std::unordered_map<const TMenuItem*, UINT> ids;
  return ids;
}

// The submenus of open popups and the items they show.
std::map<HMENU, const TMenuItem*>& SubMenus() {
  static std::map<HMENU, const TMenuItem*> menus;
  return menus;
}

int menuLoops = 0;

void ForgetSubMenus(HMENU menu) {
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i)
    if (HMENU sub = GetSubMenu(menu, i)) {
      ForgetSubMenus(sub);
      SubMenus().erase(sub);
    }
}

// 0 once every command number is taken.
UINT IdOf(const TMenuItem* item) {
  auto& byItem = IdsOfItems();
  auto known = byItem.find(item);
  if (known != byItem.end()) return known->second;
  auto& ids = ItemIds();
  if (ids.size() > kLastId - kFirstId) return 0;
  static UINT next = kFirstId;
  while (ids.count(next)) next = next >= kLastId ? kFirstId : next + 1;
  UINT id = next;
  next = next >= kLastId ? kFirstId : next + 1;
  ids[id] = const_cast<TMenuItem*>(item);
  byItem[item] = id;
  return id;
}
}  // namespace

TMenuItem::TMenuItem(const std::string& caption, TNotifyEvent onClick)
    : Caption(caption), OnClick(std::move(onClick)) {}

TMenuItem::~TMenuItem() {
  auto& byItem = IdsOfItems();
  auto known = byItem.find(this);
  if (known != byItem.end()) {
    ItemIds().erase(known->second);
    byItem.erase(known);
  }
  auto& menus = SubMenus();
  for (auto it = menus.begin(); it != menus.end();)
    it = it->second == this ? menus.erase(it) : std::next(it);
}

TMenuItem* TMenuItem::FromCommand(UINT id) {
  auto& ids = ItemIds();
  auto it = ids.find(id);
  return it == ids.end() ? nullptr : it->second;
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == item) return (int)i;
  return -1;
}

TMenuItem* TMenuItem::Add(std::unique_ptr<TMenuItem> item) { return Insert(Count(), std::move(item)); }

TMenuItem* TMenuItem::Add(const std::string& caption, TNotifyEvent onClick) {
  return Add(std::make_unique<TMenuItem>(caption, std::move(onClick)));
}

TMenuItem* TMenuItem::Insert(int index, std::unique_ptr<TMenuItem> item) {
  if (!item) return nullptr;
  if (index < 0 || index > Count()) index = Count();
  item->parent_ = this;
  TMenuItem* raw = item.get();
  items_.insert(items_.begin() + index, std::move(item));
  return raw;
}

std::unique_ptr<TMenuItem> TMenuItem::Remove(TMenuItem* item) {
  int i = IndexOf(item);
  if (i < 0) return nullptr;
  std::unique_ptr<TMenuItem> out = std::move(items_[i]);
  items_.erase(items_.begin() + i);
  out->parent_ = nullptr;
  return out;
}

void TMenuItem::Delete(int index) {
  if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
}

void TMenuItem::Clear() { items_.clear(); }

void TMenuItem::Click() {
  if (OnClick) OnClick(this);
}

HMENU TMenuItem::BuildMenu() const {
  HMENU menu = CreatePopupMenu();
  FillMenu(menu);
  return menu;
}

void TMenuItem::FillMenu(HMENU menu) const {
  // A separator next to another, or at either end, once items around it are
  // hidden, is left out.
  bool afterSeparator = true;
  for (const auto& it : items_) {
    if (!it->Visible) continue;
    if (it->IsSeparator()) {
      if (!afterSeparator) AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      afterSeparator = true;
      continue;
    }
    const UINT id = IdOf(it.get());
    if (id == 0) break;  // the rest cannot be told apart when chosen
    afterSeparator = false;
    std::wstring text = SjisToWide(it->Caption);
    MENUITEMINFOW mi = {};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_FTYPE;
    mi.fType = (it->RadioItem ? MFT_RADIOCHECK : MFT_STRING) | (it->Break ? MFT_MENUBARBREAK : 0);
    mi.dwTypeData = &text[0];
    mi.wID = id;
    mi.fState = (it->Checked ? MFS_CHECKED : 0) | (it->Enabled ? 0 : MFS_GRAYED) | (it->Default ? MFS_DEFAULT : 0);
    if (it->Count() > 0) {
      mi.fMask |= MIIM_SUBMENU;
      mi.hSubMenu = it->BuildMenu();
      SubMenus()[mi.hSubMenu] = it.get();
    }
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &mi);
  }
  const int count = GetMenuItemCount(menu);
  if (count > 0 && afterSeparator) DeleteMenu(menu, count - 1, MF_BYPOSITION);
}

bool TMenuItem::InitMenuPopup(HMENU menu) {
  auto found = SubMenus().find(menu);
  if (found == SubMenus().end()) return false;
  TMenuItem* item = const_cast<TMenuItem*>(found->second);
  GuardEvent("OnClick", [item] { item->Click(); });
  // The click may have freed the item itself.
  found = SubMenus().find(menu);
  if (found == SubMenus().end()) return true;
  ForgetSubMenus(menu);
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  found->second->FillMenu(menu);
  return true;
}

void AddMenuRows(TMenuItem& parent, const std::vector<TMenuRow>& rows) {
  for (const TMenuRow& row : rows) {
    TMenuItem* item = parent.Add(row.Caption, row.OnClick);
    item->Tag = row.Tag;
    item->Visible = row.Visible;
    item->RadioItem = row.RadioItem;
    AddMenuRows(*item, row.Children);
    if (row.Slot) *row.Slot = item;
  }
}

bool TPopupMenu::InMenuLoop() { return menuLoops > 0; }

TPopupMenu::TPopupMenu() = default;

TPopupMenu::~TPopupMenu() {
  auto notes = std::move(freeNotes_);
  for (auto& n : notes) GuardEvent("free notification", n.second);
}

void TPopupMenu::AddFreeNotification(const void* key, std::function<void()> fn) {
  RemoveFreeNotification(key);
  freeNotes_.emplace_back(key, std::move(fn));
}

void TPopupMenu::RemoveFreeNotification(const void* key) {
  freeNotes_.erase(std::remove_if(freeNotes_.begin(), freeNotes_.end(),
                                  [key](const auto& n) { return n.first == key; }),
                   freeNotes_.end());
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) GuardEvent("OnPopup", [this] { OnPopup(this); });
  HWND owner = GetActiveWindow();
  if (!owner) owner = Application.Handle();
  HMENU menu = items_.BuildMenu();
  UINT align = Alignment == paRight ? TPM_RIGHTALIGN : Alignment == paCenter ? TPM_CENTERALIGN : TPM_LEFTALIGN;
  // The owner must be in front, or the menu stays open after a click elsewhere.
  SetForegroundWindow(owner);
  open_ = menu;
  ++menuLoops;
  UINT cmd = (UINT)TrackPopupMenuEx(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | align, x, y, owner, nullptr);
  --menuLoops;
  open_ = nullptr;
  PostMessageW(owner, WM_NULL, 0, 0);
  ForgetSubMenus(menu);
  DestroyMenu(menu);
  if (cmd)
    if (TMenuItem* item = TMenuItem::FromCommand(cmd))
      GuardEvent("OnClick", [item] { item->Click(); });
}
