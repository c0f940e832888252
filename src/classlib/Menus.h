// Popup menus built from menu items.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Controls.h"

class TMenuItem : public TObject {
 public:
  TMenuItem() = default;
  explicit TMenuItem(const std::string& caption, TNotifyEvent onClick = nullptr);
  ~TMenuItem() override;

  std::string Name;
  int Tag = 0;
  std::string Caption;  // "-" is a separator
  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool RadioItem = false;
  bool Default = false;
  // Starts a new column of the menu.
  bool Break = false;
  std::string Hint;
  TNotifyEvent OnClick;

  int Count() const { return (int)items_.size(); }
  TMenuItem* Items(int i) const { return items_[i].get(); }
  TMenuItem* Parent() const { return parent_; }
  int IndexOf(const TMenuItem* item) const;
  // Takes ownership; returns the item.
  TMenuItem* Add(std::unique_ptr<TMenuItem> item);
  TMenuItem* Add(const std::string& caption, TNotifyEvent onClick = nullptr);
  TMenuItem* AddSeparator() { return Add("-"); }
  TMenuItem* Insert(int index, std::unique_ptr<TMenuItem> item);
  std::unique_ptr<TMenuItem> Remove(TMenuItem* item);
  void Delete(int index);
  void Clear();
  bool IsSeparator() const { return Caption == "-"; }
  // Also runs for an item with a submenu when that submenu is about to open.
  virtual void Click();

  // Builds an HMENU of the visible children (ids from the items' addresses).
  HMENU BuildMenu() const;
  static TMenuItem* FromCommand(UINT id);
  // WM_INITMENUPOPUP for a submenu built here: its item's Click runs, then
  // the submenu shows the children as they are now. False for other menus.
  static bool InitMenuPopup(HMENU menu);

 private:
  void FillMenu(HMENU menu) const;
  TMenuItem* parent_ = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

// One row of a menu table; Slot (when given) receives the item.
struct TMenuRow {
  TMenuRow(TMenuItem** slot, std::string caption, int tag = 0, TNotifyEvent onClick = nullptr,
           bool visible = true, bool radioItem = false, std::vector<TMenuRow> children = {})
      : Slot(slot),
        Caption(std::move(caption)),
        Tag(tag),
        OnClick(std::move(onClick)),
        Visible(visible),
        RadioItem(radioItem),
        Children(std::move(children)) {}
  TMenuItem** Slot;
  std::string Caption;  // "-" is a separator
  int Tag;
  TNotifyEvent OnClick;
  bool Visible;
  bool RadioItem;
  std::vector<TMenuRow> Children;
};
// Appends the rows (and their children) to parent.
void AddMenuRows(TMenuItem& parent, const std::vector<TMenuRow>& rows);

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TObject {
 public:
  TPopupMenu();
  ~TPopupMenu() override;
  TMenuItem& Items() { return items_; }
  bool AutoPopup = true;
  TPopupAlignment Alignment = paLeft;
  // The control whose right click opened the menu.
  TControl* PopupComponent = nullptr;
  TNotifyEvent OnPopup;
  // Shows the menu at screen coordinates and runs the chosen item's OnClick
  // after the menu has closed.
  void Popup(int x, int y);
  // The open menu's handle while it is shown, else null.
  HMENU Handle() const { return open_; }
  // A popup menu of the process is open (its items must stay as they are).
  static bool InMenuLoop();
  // Called once when this menu is destroyed, for those that keep a pointer to it.
  void AddFreeNotification(const void* key, std::function<void()> fn);
  void RemoveFreeNotification(const void* key);

 private:
  TMenuItem items_;
  HMENU open_ = nullptr;
  std::vector<std::pair<const void*, std::function<void()>>> freeNotes_;
};
