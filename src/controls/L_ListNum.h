// TCustomListNum: an owner-drawn list whose rows carry a key label ("1" to
// "9", "0", "A" to "Z") in a coloured cell and may be separator lines; typing
// a label, or the kana on the same key, picks its row.
#pragma once
#include "classlib/ListBox.h"

class TCustomListNum : public TListBox {
 public:
  TCustomListNum();

  TColor HighlightKeyFontColor = clBlack;
  TColor HighlightKeyColor = clYellow;
  TColor KeyFontColor = clOlive;
  TColor KeyColor = clWhite;
  bool HideKeyColumn = false;
  bool Separators = false;  // rows starting with "-" are dotted lines
  // Above 0: the rows flow into that many columns (before the window exists).
  int Columns = 0;

  // Row n (from 1) becomes the selection and the top row; nothing outside 1..count.
  void SelectRow(int n);
  // The row a character picks (from 1), 0 when it is no key label.
  static int RowOfKey(char key);
  // The key label of row i (from 0), empty beyond the 36th.
  static std::string KeyLabel(int row);

 protected:
  void CreateParams(TCreateParams& p) override;
  void FontChanged() override;
  void DrawItem(int index, RECT rect, TOwnerDrawState state) override;
  void KeyPress(char& key) override;
  // The row height grows to the font's text height + 2, never shrinks.
  void FitRowHeight();
  int TextHeightOf(const char* text);
  void DrawSeparator(const std::string& text, const RECT& rect, int top);
  void DrawKeyCell(int index, const RECT& rect, TOwnerDrawState state, int top);
};
