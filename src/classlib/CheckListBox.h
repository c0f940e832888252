// List box with a check box in front of every item and an object owned by
// each item.
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "ListBox.h"

struct TCheckListBoxValues : TListBoxValues {
  TCheckListBoxValues() { Style = lbOwnerDrawFixed; }
  TNotifyEvent OnClickCheck;
};

template <class Self, class V = TCheckListBoxValues>
struct TCheckListBoxArgsOf : TListBoxArgsOf<Self, V> {
  CREATE_ARG(OnClickCheck)
};
struct TCheckListBoxArgs : TCheckListBoxArgsOf<TCheckListBoxArgs> {};

class TCheckListBox : public TListBox {
 public:
  TCheckListBox();
  void Create(const TCheckListBoxValues& v);

  bool Checked(int i) const;
  // Changed by the program: no OnClickCheck.
  void SetChecked(int i, bool v);
  // The item's object (null when none); the item owns it.
  TObject* Objects(int i) const;
  void SetObject(int i, std::unique_ptr<TObject> object);
  void MoveItem(int from, int to) override;
  // Width of the check area at the left of every item.
  int CheckWidth() const;

  // The user toggled a check mark (click on the box, or the space key).
  TNotifyEvent OnClickCheck;

 protected:
  void HandleMessage(TMessage& m) override;
  void KeyPress(char& key) override;
  void ItemInserted(int index) override;
  void ItemDeleted(int index) override;
  void ItemsCleared() override;
  void ToggleClickCheck(int index);
  void InvalidateItem(int index);

 private:
  struct Entry {
    bool checked = false;
    std::unique_ptr<TObject> object;
  };
  std::vector<Entry> entries_;
};
