// The keyword box of the ticker: a one-line edit with a drop-down list of
// earlier keywords that opens from the keyboard (Up, Down, F4) and has no
// button of its own.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classlib/Edit.h"
#include "classlib/ListBox.h"

enum TEditStyle { esPickList, esDropList };

class TComboMini;

// The drop-down list: a top-level list box that never takes the focus from
// its edit.
class TPopupList : public TListBox {
 public:
  explicit TPopupList(TComboMini* combo);

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  void MouseUp(TMouseButton b, TShiftState s, int x, int y) override;

 private:
  TComboMini* combo_;
};

struct TComboMiniValues : TEditValues {
  std::optional<TEditStyle> EditStyle;  // set: the list is made
  std::optional<bool> NoFocusButton;
  std::optional<int> DropDownRows;
  std::optional<int> Columns;
  TNotifyEvent OnDropDown, OnCloseUp;
};

template <class Self, class V = TComboMiniValues>
struct TComboMiniArgsOf : TEditArgsOf<Self, V> {
  CREATE_ARG(EditStyle)
  CREATE_ARG(NoFocusButton)
  CREATE_ARG(DropDownRows)
  CREATE_ARG(Columns)
  CREATE_ARG(OnDropDown)
  CREATE_ARG(OnCloseUp)
};
struct TComboMiniArgs : TComboMiniArgsOf<TComboMiniArgs> {};

class TComboMini : public TEdit {
 public:
  TComboMini();
  ~TComboMini() override;
  void Create(const TComboMiniValues& v);

  TEditStyle EditStyle() const { return editStyle_; }
  // Creates the list on first use; esDropList makes the edit read-only.
  void SetEditStyle(TEditStyle style);
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int index);
  bool NoFocusButton() const { return noFocusButton_; }
  void SetNoFocusButton(bool v);
  int DropDownRows = 8;
  int Columns = 0;

  // OnDropDown runs first (it may refill the items); the list opens when
  // there are items and the text may change.
  void DropDown();
  // With accept, the selected item becomes the text and OnCloseUp runs.
  void CloseUp(bool accept);
  void SwitchDropDown(bool accept);
  bool DroppedDown() const { return droppedDown_; }
  bool CanChangeText() const;
  // The edit's text and the items.
  void Clear();
  void SetFocus() override;
  // The open list (null before the style is set).
  TPopupList* List() const { return list_.get(); }

  TNotifyEvent OnDropDown, OnCloseUp;

 protected:
  void CreateParams(TCreateParams& p) override;
  void HandleMessage(TMessage& m) override;
  void KeyPress(char& key) override;
  virtual void UpdateReadOnly();

 private:
  friend class TPopupList;
  // True when the key was used up here.
  bool ListKey(TMessage& m);
  void Paste();
  void SyncTextFromItem();
  void PlaceList();
  std::unique_ptr<TPopupList> list_;
  TEditStyle editStyle_ = esPickList;
  bool droppedDown_ = false;
  std::vector<std::string> items_;
  bool noFocusButton_ = false;
  int itemIndex_ = -1;
  bool swallowKey_ = false;
};
