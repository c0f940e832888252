#include "controls/L_ListNum.h"

#include <gtest/gtest.h>

#include "classlib/Forms.h"
#include "common/TestShots.h"

namespace {

struct ListForm : TForm {
  TCustomListNum list;
  explicit ListForm(int rows) {
    Create(TFormArgs().ClientSize(200, 200));
    std::vector<std::string> items;
    for (int i = 1; i <= rows; ++i) items.push_back("項目 " + std::to_string(i));
    items[4] = "-";
    items[5] = "-区切り";
    list.Create(TListBoxArgs().Place(this, 4, 4, 190, 190).Items(items));
    Handle();
  }
  int TypedWide(wchar_t key) {
    SendMessageW(list.Handle(), WM_CHAR, key, 1);
    return list.ItemIndex() + 1;
  }
  int Typed(char key) { return TypedWide((unsigned char)key); }
};

}  // namespace

TEST(ListNumKeys, LabelsAndKanaPickTheirRows) {
  ListForm f(40);
  EXPECT_EQ("Z", TCustomListNum::KeyLabel(35));
  EXPECT_EQ("", TCustomListNum::KeyLabel(36));
  EXPECT_EQ(36, f.Typed('Z'));
  EXPECT_EQ(10, f.Typed('0'));
  EXPECT_EQ(11, f.Typed('a'));
  EXPECT_EQ(3, f.TypedWide(L'ｱ'));  // the kana on the "3" key
  EXPECT_EQ(3, f.list.TopIndex() + 1);
}

TEST(ListNumKeys, ALabelBeyondTheRowsIsSwallowed) {
  ListForm f(8);
  f.list.SetItemIndex(1);
  EXPECT_EQ(2, f.Typed('Z'));
  EXPECT_EQ(2, f.Typed('9'));
  EXPECT_EQ(0, TCustomListNum::RowOfKey('#'));  // goes to the list's own search
}

TEST(ListNumRows, TheRowHeightGrowsWithTheFontAndNeverShrinks) {
  ListForm f(8);
  int before = f.list.ItemHeight();
  TFont big = f.list.Font();
  big.SetHeight(-24);
  f.list.SetFont(big);
  int grown = f.list.ItemHeight();
  EXPECT_GT(grown, before);
  TFont small = big;
  small.SetHeight(-9);
  f.list.SetFont(small);
  EXPECT_EQ(grown, f.list.ItemHeight());
}

TEST(ListNumLooks, SeparatorRowsAreDottedLinesWithoutTheKeyColumn) {
  ListForm f(8);
  f.list.HideKeyColumn = true;
  f.list.Separators = true;
  f.Show();
  WindowShot shot = ShootWindow(f.Handle());
  SaveShot(shot, "listnum-separators");
  RECT row4 = f.list.ItemRect(4), row5 = f.list.ItemRect(5);
  POINT origin = {0, 0};
  ClientToScreen(f.list.Handle(), &origin);
  RECT w;
  GetWindowRect(f.Handle(), &w);
  auto dark = [&](const RECT& row, int x) {
    int y = (row.top + row.bottom) / 2 + origin.y - w.top;
    COLORREF c = shot.At(x + origin.x - w.left, y);
    return GetRValue(c) < 0x80;
  };
  int darkInLine = 0, darkInCaptionGap = 0;
  for (int x = 10; x < 180; ++x) darkInLine += dark(row4, x);
  EXPECT_GT(darkInLine, 30);  // dots over the whole row
  for (int x = 10; x < 40; ++x) darkInCaptionGap += dark(row5, x);
  EXPECT_GT(darkInCaptionGap, 5);  // dots left of the centred caption
}
