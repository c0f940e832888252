#include "controls/L_ListNum.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kKeyLabels[] = "1234567890ABCDEFGHIJKLMNOPQRSTUVWXYZ";
const char kLowerLabels[] = "1234567890abcdefghijklmnopqrstuvwxyz";
// The half-width kana printed on the key of each label on a Japanese keyboard.
const char kKanaKeys[] = "ﾇﾌｱｳｴｵﾔﾕﾖﾜﾁｺｿｼｲﾊｷｸﾆﾏﾉﾘﾓﾐﾗｾﾀｽﾄｶﾅﾋﾃｻﾝﾂ";
static_assert(sizeof kKanaKeys == sizeof kKeyLabels, "one kana byte per key label");

int PositionIn(const char* table, char key) {
  if (!key) return 0;
  const char* hit = std::strchr(table, key);
  return hit ? (int)(hit - table) + 1 : 0;
}

}  // namespace

TCustomListNum::TCustomListNum() { Style = lbOwnerDrawFixed; }

int TCustomListNum::RowOfKey(char key) {
  for (const char* table : {kKeyLabels, kLowerLabels, kKanaKeys})
    if (int p = PositionIn(table, key)) return p;
  return 0;
}

std::string TCustomListNum::KeyLabel(int row) {
  return row >= 0 && row < (int)sizeof kKeyLabels - 1 ? std::string(1, kKeyLabels[row])
                                                      : std::string();
}

void TCustomListNum::CreateParams(TCreateParams& p) {
  TListBox::CreateParams(p);
  if (Columns > 0) p.Style |= LBS_MULTICOLUMN | WS_HSCROLL;
}

void TCustomListNum::SelectRow(int n) {
  if (n <= 0 || n > ItemCount()) return;
  HWND h = HandleIfAllocated();
  if (h) SendMessageW(h, WM_SETREDRAW, FALSE, 0);
  SetItemIndex(n - 1);
  SetTopIndex(n - 1);
  if (h) {
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(h, nullptr, TRUE);
  }
}

int TCustomListNum::TextHeightOf(const char* text) {
  TCanvas measure;
  measure.Font = Font();
  int h = measure.TextHeight(text);
  return h > 0 ? h : std::abs(Font().Height());
}

void TCustomListNum::FitRowHeight() {
  int h = TextHeightOf("A");
  if (ItemHeight() < h + 2) SetItemHeight(h + 2);
}

void TCustomListNum::FontChanged() {
  TListBox::FontChanged();
  FitRowHeight();
}

void TCustomListNum::KeyPress(char& key) {
  if (int row = RowOfKey(key)) {
    SelectRow(row);
    key = 0;
    return;
  }
  TListBox::KeyPress(key);
}

void TCustomListNum::DrawSeparator(const std::string& text, const RECT& rect, int top) {
  TCanvas& c = Canvas();
  c.Pen.Style = psDot;
  c.Pen.Width = 0;
  c.Pen.Color = c.Font.Color();
  int y = (rect.top + rect.bottom) / 2;
  if (text.size() < 2) {
    c.MoveTo(rect.left + 4, y);
    c.LineTo(rect.right - 4, y);
    return;
  }
  std::string caption = text.substr(1);
  int w = c.TextWidth(caption);
  int x = rect.left + (rect.right - rect.left - w) / 2;
  c.MoveTo(rect.left + 4, y);
  c.LineTo(x - 4, y);
  c.MoveTo(x + w + 4, y);
  c.LineTo(rect.right - 4, y);
  c.Brush.Style = bsClear;
  c.TextOut(x, top, caption);
}

void TCustomListNum::DrawKeyCell(int index, const RECT& rect, TOwnerDrawState state, int top) {
  TCanvas& c = Canvas();
  TColor font = c.Font.Color(), brush = c.Brush.Color;
  std::string label = KeyLabel(index);
  bool highlighted = (state & ~(TOwnerDrawState)odFocused) != 0;
  if (highlighted && !label.empty()) {
    c.Font.SetColor(HighlightKeyFontColor);
    c.Brush.Color = HighlightKeyColor;
  } else if (!highlighted) {
    c.Font.SetColor(KeyFontColor);
    c.Brush.Color = KeyColor;
  }
  int keyWidth = c.TextWidth("W") + 4;
  RECT cell = rect;
  cell.right = rect.left + keyWidth;
  c.TextRect(cell, rect.left + 2, top, label);
  c.Font.SetColor(font);
  c.Brush.Color = brush;
  RECT text = rect;
  text.left = rect.left + keyWidth;
  c.TextRect(text, text.left + 6, top, Item(index));
}

void TCustomListNum::DrawItem(int index, RECT rect, TOwnerDrawState state) {
  if (index < 0 || index >= ItemCount()) return;
  TCanvas& c = Canvas();
  c.FillRect(rect);
  const std::string& text = Item(index);
  int th = c.TextHeight("A");
  if (th <= 0) th = std::abs(Font().Height());
  int top = rect.top + (ItemHeight() - th) / 2;
  if (!HideKeyColumn && Enabled()) {
    DrawKeyCell(index, rect, state, top);
  } else if (Separators && !text.empty() && text[0] == '-') {
    DrawSeparator(text, rect, top);
  } else {
    c.TextOut(rect.left + 4, top, text);
  }
}
