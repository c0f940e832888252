// List box (system LISTBOX class), optionally owner-drawn.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "Controls.h"

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };
typedef unsigned TOwnerDrawState;

struct TListBoxValues : TWinControlValues {
  std::optional<TListBoxStyle> Style;
  std::optional<bool> MultiSelect;
  std::optional<int> ItemHeight;
  std::vector<std::string> Items;
  std::optional<int> ItemIndex;
  std::function<void(TObject*, int index, RECT rect, TOwnerDrawState state)> OnDrawItem;
};

template <class Self, class V = TListBoxValues>
struct TListBoxArgsOf : TWinControlArgsOf<Self, V> {
  CREATE_ARG(Style)
  CREATE_ARG(MultiSelect)
  CREATE_ARG(ItemHeight)
  CREATE_ARG(Items)
  CREATE_ARG(ItemIndex)
  CREATE_ARG(OnDrawItem)
};
struct TListBoxArgs : TListBoxArgsOf<TListBoxArgs> {};

class TListBox : public TWinControl {
 public:
  TListBox();
  void Create(const TListBoxValues& v);

  TListBoxStyle Style = lbStandard;  // before the window exists
  bool MultiSelect = false;          // before the window exists
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int h);

  int ItemCount() const { return (int)items_.size(); }
  const std::string& Item(int i) const { return items_[i]; }
  void SetItem(int i, const std::string& s);
  const std::vector<std::string>& Items() const { return items_; }
  void SetItems(const std::vector<std::string>& items);
  int AddItem(const std::string& s);
  void InsertItem(int index, const std::string& s);
  void DeleteItem(int index);
  virtual void MoveItem(int from, int to);
  void ClearItems();

  int ItemIndex();
  void SetItemIndex(int i);
  bool Selected(int i);
  void SetSelected(int i, bool v);
  int SelCount();
  int TopIndex();
  void SetTopIndex(int i);
  int ItemAtPos(POINT p, bool existing);  // -1 when none
  RECT ItemRect(int i);

  std::function<void(TObject*, int index, RECT rect, TOwnerDrawState state)> OnDrawItem;
  TCanvas& Canvas() { return canvas_; }  // valid during OnDrawItem

 protected:
  void CreateParams(TCreateParams& p) override;
  void CreateHandleDone() override;
  void HandleMessage(TMessage& m) override;
  virtual void DrawItem(int index, RECT rect, TOwnerDrawState state);
  // Derived lists keep data per item in step with the texts.
  virtual void ItemInserted(int) {}
  virtual void ItemDeleted(int) {}
  virtual void ItemsCleared() {}
  std::vector<std::string> items_;
  int itemHeight_ = 16;
  int itemIndex_ = -1;
  TCanvas canvas_;
};
