// Combo box (system COMBOBOX class).
#pragma once
#include <string>
#include <vector>

#include "Controls.h"

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed };

struct TComboBoxValues : TWinControlValues {
  std::optional<TComboBoxStyle> Style;
  std::vector<std::string> Items;
  std::optional<int> ItemIndex;
  std::optional<int> MaxLength;
  std::optional<int> DropDownCount;
  TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;
};

template <class Self, class V = TComboBoxValues>
struct TComboBoxArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(Style)
  CREATE_ARG(Items)
  CREATE_ARG(ItemIndex)
  CREATE_ARG(MaxLength)
  CREATE_ARG(DropDownCount)
  CREATE_ARG(OnChange)
  CREATE_ARG(OnSelect)
  CREATE_ARG(OnDropDown)
  CREATE_ARG(OnCloseUp)
};
struct TComboBoxArgs : TComboBoxArgsOf<TComboBoxArgs> {};

class TComboBox : public TWinControl {
 public:
  TComboBox();
  void Create(const TComboBoxValues& v);

  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle s);  // recreates the window

  // Items
  int ItemCount() const { return (int)items_.size(); }
  const std::string& Item(int i) const { return items_[i]; }
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int AddItem(const std::string& s);
  void InsertItem(int index, const std::string& s);
  void DeleteItem(int index);
  void ClearItems();
  int IndexOf(const std::string& s) const;

  int ItemIndex() const;
  void SetItemIndex(int i);
  std::string Text() const override;
  void SetText(const std::string& s) override;
  int MaxLength() const { return maxLength_; }  // bytes, 0 = no limit
  void SetMaxLength(int n);
  int DropDownCount = 8;
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  int SelStart();
  void SetSelStart(int s);
  int SelLength();
  void SetSelLength(int n);
  void SelectAll();
  // The edit field inside a csDropDown/csSimple combo (null otherwise).
  HWND EditHandle();

  TNotifyEvent OnChange, OnSelect, OnDropDown, OnCloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  // Text changed by typing or selection; raises OnChange.
  virtual void Change();
  virtual void Select();
  void BoundsChanged(bool sized) override;
  int DropHeight() const;
  // Cuts the edit field to MaxLength bytes (the window counts characters).
  bool KeepLimit();
  bool trimming_ = false;
  static LRESULT CALLBACK EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
  WNDPROC editProc_ = nullptr;
  TComboBoxStyle style_ = csDropDown;
  std::vector<std::string> items_;
  int maxLength_ = 0;
  mutable int itemIndex_ = -1;
};
