// List box (system LISTBOX class), optionally owner-drawn.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "Controls.h"

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum : unsigned { odSelected = 1, odFocused = 2, odDisabled = 4 };
typedef unsigned TOwnerDrawState;

class TListBox : public TWinControl {
 public:
  TListBox();

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
  void MoveItem(int from, int to);
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
  std::vector<std::string> items_;
  int itemHeight_ = 16;
  int itemIndex_ = -1;
  TCanvas canvas_;
};
