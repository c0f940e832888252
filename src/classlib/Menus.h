// Popup menus built from menu items.
#pragma once
#include <memory>
#include <string>
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
  virtual void Click();

  // Builds an HMENU of the visible children (ids from the items' addresses).
  HMENU BuildMenu() const;
  static TMenuItem* FromCommand(UINT id);

 private:
  TMenuItem* parent_ = nullptr;
  std::vector<std::unique_ptr<TMenuItem>> items_;
};

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

 private:
  TMenuItem items_;
  HMENU open_ = nullptr;
};
