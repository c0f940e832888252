// The keyword box driven by the messages its window would get. The form
// stays hidden, so that no key test of another program loses its focus.
#include "L_ComboMini.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"
#include "common/TestMessages.h"

namespace {

const LPARAM kAltHeld = 1 << 29;

class ComboMiniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Application.Initialize();
    form.SetBounds(100, 100, 300, 80);
    combo.SetBounds(10, 10, 200, 20);
    combo.OnKeyPress = [this](TObject*, char& key) { pressed += key; };
    combo.OnCloseUp = [this](TObject*) { ++closeUps; };
    combo.SetParent(&form);
    other.SetBounds(10, 40, 100, 20);
    other.SetParent(&form);
    combo.SetEditStyle(esPickList);
    form.HandleNeeded();
    combo.SetFocus();
  }
  void TearDown() override { combo.CloseUp(false); }

  void Key(WORD vk, bool alt = false) {
    SendMessageW(combo.Handle(), alt ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, alt ? kAltHeld : 0);
  }
  void Char(wchar_t c) { SendMessageW(combo.Handle(), WM_CHAR, c, 0); }
  void Open(std::vector<std::string> items) {
    combo.SetItems(items);
    combo.DropDown();
    ASSERT_TRUE(combo.DroppedDown());
  }
  TPopupList& List() { return *combo.List(); }
  RECT ListRect() {
    RECT r;
    GetWindowRect(List().Handle(), &r);
    return r;
  }
  int ListClientHeight() {
    RECT r;
    GetClientRect(List().Handle(), &r);
    return r.bottom;
  }
  void Paste(const std::wstring& text) {
    {
      ClipboardScope clipboard(form.Handle());
      ASSERT_TRUE(clipboard.Open());
      EmptyClipboard();
      HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
      memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
      GlobalUnlock(data);
      SetClipboardData(CF_UNICODETEXT, data);
    }
    SendMessageW(combo.Handle(), WM_PASTE, 0, 0);
  }

  TForm form;
  TComboMini combo;
  TEdit other;
  std::string pressed;
  int closeUps = 0;
};

TEST_F(ComboMiniTest, DropDownAsksForItemsFirstAndOpensOnlyWithSome) {
  int asked = 0;
  combo.OnDropDown = [&](TObject*) { ++asked; };
  combo.DropDown();
  EXPECT_EQ(asked, 1);
  EXPECT_FALSE(combo.DroppedDown());
  combo.OnDropDown = [&](TObject*) { combo.SetItems({"履歴"}); };
  Key(VK_DOWN);
  EXPECT_TRUE(combo.DroppedDown());
  EXPECT_TRUE(IsWindowVisible(List().Handle()));
  EXPECT_EQ(GetFocus(), combo.Handle());  // the edit keeps the focus
}

TEST_F(ComboMiniTest, TheListIsAsHighAsItsItemsUpToTheRows) {
  const int item = std::abs(combo.Font().Height()) + 2;
  Open({"a", "b", "c"});
  EXPECT_EQ(ListClientHeight(), 3 * item + 4);
  combo.CloseUp(false);
  std::vector<std::string> many;
  for (int i = 0; i < 20; ++i) many.push_back("k" + std::to_string(i));
  Open(many);
  EXPECT_EQ(ListClientHeight(), 8 * item + 4);
  RECT r = ListRect();
  EXPECT_GE(r.right - r.left, combo.Width());
}

TEST_F(ComboMiniTest, TheItemEqualToTheTextIsSelected) {
  combo.SetText("second");
  Open({"first", "second", "Second"});
  EXPECT_EQ(List().ItemIndex(), 1);
  combo.CloseUp(false);
  combo.SetText("none");
  Open({"first", "second"});
  EXPECT_EQ(List().ItemIndex(), -1);
}

TEST_F(ComboMiniTest, AtTheScreenEdgesTheListOpensAboveAndAlignsRight) {
  RECT combo0;
  form.SetBounds(Screen.Width() - 150, Screen.Height() - 40, 300, 80);
  GetWindowRect(combo.Handle(), &combo0);
  Open({"a", "b"});
  RECT r = ListRect();
  EXPECT_EQ(r.bottom, combo0.top - 2);
  EXPECT_EQ(r.right, combo0.right);
}

TEST_F(ComboMiniTest, EnterTakesTheSelectedItemOnceAndItsCharacterIsDropped) {
  Open({"one", "two"});
  Key(VK_DOWN);  // goes to the list
  Key(VK_DOWN);
  EXPECT_EQ(List().ItemIndex(), 1);
  Key(VK_RETURN);
  Char(L'\r');
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "two");
  EXPECT_EQ(closeUps, 1);
  EXPECT_EQ(pressed, "");
  // The next Enter with the list closed reaches the handlers again.
  Char(L'\r');
  EXPECT_EQ(pressed, "\r");
}

TEST_F(ComboMiniTest, EscapeClosesWithoutTakingAnything) {
  combo.SetText("typed");
  Open({"one"});
  Key(VK_DOWN);
  Key(VK_ESCAPE);
  Char(L'\x1B');
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "typed");
  EXPECT_EQ(closeUps, 0);
  EXPECT_EQ(pressed, "");
}

TEST_F(ComboMiniTest, AltDownOpensAClosedListAndAcceptsAnOpenOne) {
  combo.SetItems({"one", "two"});
  Key(VK_DOWN, true);
  ASSERT_TRUE(combo.DroppedDown());
  Key(VK_DOWN);
  Key(VK_DOWN, true);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "one");
  EXPECT_EQ(closeUps, 1);
}

TEST_F(ComboMiniTest, TypingWhileOpenGoesIntoTheEdit) {
  Open({"one"});
  Char(L'a');
  Char(L'&');
  EXPECT_TRUE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "a&");
  EXPECT_EQ(pressed, "a&");
}

TEST_F(ComboMiniTest, LeavingTheEditClosesWithoutTaking) {
  combo.SetText("mine");
  Open({"one"});
  Key(VK_DOWN);
  other.SetFocus();
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "mine");
  EXPECT_EQ(closeUps, 0);
}

TEST_F(ComboMiniTest, AClickOnAnItemTakesIt) {
  Open({"one", "two"});
  RECT item;
  SendMessageW(List().Handle(), LB_GETITEMRECT, 1, (LPARAM)&item);
  LPARAM at = MAKELPARAM(item.left + 2, item.top + 2);
  SendMessageW(List().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(List().Handle(), WM_LBUTTONUP, 0, at);
  EXPECT_FALSE(combo.DroppedDown());
  EXPECT_EQ(combo.Text(), "two");
  EXPECT_EQ(closeUps, 1);
  EXPECT_EQ(GetFocus(), combo.Handle());
}

TEST_F(ComboMiniTest, PastingTakesTheFirstLineOnly) {
  combo.SetText("");
  Paste(L"first\r\nsecond");
  EXPECT_EQ(combo.Text(), "first");
  combo.SetText("");
  Paste(L"\u691c\u7d22\nsecond");  // a line fed without CR
  EXPECT_EQ(combo.Text(), "検索");
  combo.SetText("x");
  combo.SelectAll();
  Paste(L"\r\nafter a break");
  EXPECT_EQ(combo.Text(), "x");
}

TEST_F(ComboMiniTest, CtrlEnterInsertsNothing) {
  combo.SetText("a");
  Char(L'\n');
  EXPECT_EQ(combo.Text(), "a");
  EXPECT_EQ(pressed, "");
}

}  // namespace
