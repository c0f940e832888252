#include "controls/L_ComboBox.h"

#include <gtest/gtest.h>

#include <cmath>

#include "classlib/Button.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"
#include "classlib/Timer.h"
#include "common/TestMessages.h"
#include "common/TestShots.h"
#include "controls/L_MonthCalendarExt.h"
#include "support/Gallery.h"
#include "support/HostForm.h"
#include "support/Keys.h"

namespace {

const std::vector<std::string> kRows = {"無", "１ 低", "２", "３ (標準)", "-", "４"};

struct Page {
  TComboEdit box;
  TEditNext other;
  TButton ok;
  int okClicks = 0;
  explicit Page(const TComboEditArgs& args, int left = 40, int top = 40) {
    TForm& host = HostForm();
    host.SetBounds(left, top, host.Width(), host.Height());
    box.Create(TComboEditArgs(args).Parent(&host));
    other.Create(TEditNextArgs().Place(&host, 8, 60));
    ok.Create(
        TButtonArgs().Place(&host, 200, 60).Caption("OK").Default(true).OnClick([this](TObject*) {
          ++okClicks;
        }));
    box.SetFocus();
  }
  ~Page() { HostForm().SetBounds(40, 40, HostForm().Width(), HostForm().Height()); }
  HWND Box() { return box.Handle(); }
  bool ListShown() { return box.List() && IsWindowVisible(box.List()->Handle()); }
  void Click(int x, int y, UINT msg = WM_LBUTTONDOWN) {
    SendMessageW(Box(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(x, y));
  }
  // The upper half of the spin button.
  POINT SpinUp() { return POINT{box.ClientWidth() - 4, 2}; }
};

TComboEditArgs Number() { return TComboEditArgs().Bounds(8, 8, 80).Spin(15, 999).MaxLength(3); }
TComboEditArgs Rows(TEditStyle style) {
  return TComboEditArgs().Bounds(8, 8, 120).EditStyle(style).Items(kRows);
}

}  // namespace

TEST(ComboEditNumber, ClampsWhenTheFocusLeavesAndOnDemand) {
  Page p(Number());
  p.box.SetValue(0);
  EXPECT_EQ("15", p.box.Text());
  p.box.SelectAll();
  TypeText(p.Box(), L"5");
  EXPECT_EQ("5", p.box.Text());
  p.other.SetFocus();
  EXPECT_EQ("15", p.box.Text());
  p.box.SetValue(1234);
  EXPECT_EQ("999", p.box.Text());
  p.box.SetText("");
  TypeText(p.Box(), L"1234");
  EXPECT_EQ("123", p.box.Text());  // the edit's own limit refuses the fourth digit
  p.box.SetText("7");
  p.box.ClampValue();
  EXPECT_EQ("15", p.box.Text());
  EXPECT_EQ(15, p.box.GetValue());
  p.box.SetText("12x");
  EXPECT_EQ(0, p.box.GetValue());
}

TEST(ComboEditNumber, ZeroMeansNoClampAndMinusModeDecidesNegatives) {
  Page p(TComboEditArgs().Bounds(8, 8, 80).EditStyle(esSpin));
  p.box.SetValue(-5);
  EXPECT_EQ("-5", p.box.Text());
  p.box.MinusMode = false;
  p.box.SetValue(-5);
  EXPECT_EQ("0", p.box.Text());
  p.box.SetValue(2.5);
  EXPECT_EQ("2.5", p.box.Text());
}

TEST(ComboEditNumber, TypedCharactersFollowTheNumberRules) {
  Page p(TComboEditArgs().Bounds(8, 8, 80).EditStyle(esSpin).MaxLength(6));
  p.box.SetText("12");
  TypeText(p.Box(), L",");
  EXPECT_EQ("12000", p.box.Text());
  TypeText(p.Box(), L",");
  EXPECT_EQ("12000", p.box.Text());  // longer than MaxLength: refused
  TypeText(p.Box(), L"-");
  EXPECT_EQ("-12000", p.box.Text());
  p.box.SetText("3");
  SendMessageW(p.Box(), EM_SETSEL, 1, 1);
  TypeText(p.Box(), L"x４.5");
  EXPECT_EQ("3.5", p.box.Text());
}

TEST(ComboEditNumber, UpDownSpinStepsAgainstTheButtons) {
  Page p(TComboEditArgs().Bounds(8, 8, 80).EditStyle(esSpin).UpDownSpin(true).Increment(2));
  p.box.SetValue(50);
  PressKey(p.Box(), VK_UP);
  EXPECT_EQ("48", p.box.Text());
  PressKey(p.Box(), VK_DOWN);
  EXPECT_EQ("50", p.box.Text());
  PressKey(p.Box(), VK_UP, {VK_SHIFT});
  EXPECT_EQ("30", p.box.Text());
  p.box.EnterNext = esDown;
  PressKey(p.Box(), VK_UP);
  EXPECT_EQ("30", p.box.Text());
  PressKey(p.Box(), VK_DOWN);
  EXPECT_EQ("30", p.box.Text());
  EXPECT_EQ(p.other.Handle(), GetFocus());  // Down moved on instead
}

TEST(ComboEditNumber, AHeldSpinButtonRepeatsOnTheSharedTimer) {
  { Page first(Number()); }  // its end must not take the timer from the others
  Page p(TComboEditArgs().Bounds(8, 8, 80).EditStyle(esSpin));
  p.box.SetValue(10);
  POINT up = p.SpinUp();
  p.Click(up.x, up.y);
  EXPECT_EQ(11, p.box.GetValue());  // one step at once
  PumpMessagesFor(250);
  EXPECT_EQ(11, p.box.GetValue());  // the next after 400 ms
  EXPECT_TRUE(PumpUntil([&] { return p.box.GetValue() >= 14; }, 3000));
  p.Click(up.x, up.y, WM_LBUTTONUP);
  double released = p.box.GetValue();
  PumpMessagesFor(300);
  EXPECT_EQ(released, p.box.GetValue());
}

TEST(ComboEditNumber, FullWidthDigitsFromTheImeKeepTheirNumber) {
  Page p(Number());
  p.box.SelectAll();
  // An IME's result goes into the edit past the typed-key filter.
  SendMessageW(p.Box(), EM_REPLACESEL, TRUE, (LPARAM)L"１２０");
  p.other.SetFocus();
  EXPECT_EQ("120", p.box.Text());
}

TEST(ComboEditNumber, TheRepeatEndsWhenAnotherWindowTakesTheMouse) {
  Page p(TComboEditArgs().Bounds(8, 8, 80).EditStyle(esSpin));
  p.box.SetValue(10);
  POINT up = p.SpinUp();
  p.Click(up.x, up.y);
  ASSERT_TRUE(PumpUntil([&] { return p.box.GetValue() >= 12; }, 3000));  // repeating
  SetCapture(p.other.Handle());  // as a menu or another button does
  double held = p.box.GetValue();
  int ticks = 0;  // five repeat intervals served
  TTimer marker;
  marker.SetInterval(100);
  marker.OnTimer = [&](TObject*) { ++ticks; };
  EXPECT_TRUE(PumpUntil([&] { return ticks >= 5; }, 5000));
  ReleaseCapture();
  EXPECT_EQ(held, p.box.GetValue());
  p.Click(up.x, up.y, WM_LBUTTONUP);
}

TEST(ComboEditList, KeysOpenPickAndCloseTheList) {
  Page p(Rows(esDropList).NumKey(true));
  PressKey(p.Box(), VK_F4);
  ASSERT_TRUE(p.ListShown());
  TypeText(p.Box(), L"3");  // the key label of the third row
  PressKey(p.Box(), VK_RETURN);
  EXPECT_FALSE(p.ListShown());
  EXPECT_EQ(2, p.box.ItemIndex());
  EXPECT_EQ("２", p.box.Text());
  EXPECT_EQ(0, p.okClicks);  // Enter closed the list, not the form
  PressKey(p.Box(), VK_DOWN, {VK_MENU});
  ASSERT_TRUE(p.ListShown());
  PressKey(p.Box(), VK_DOWN);
  PressKey(p.Box(), VK_ESCAPE);
  EXPECT_FALSE(p.ListShown());
  EXPECT_EQ(2, p.box.ItemIndex());
  PressKey(p.Box(), VK_DOWN, {VK_MENU});
  PressKey(p.Box(), VK_DOWN);
  PressKey(p.Box(), VK_DOWN, {VK_MENU});
  EXPECT_FALSE(p.ListShown());
  EXPECT_EQ(3, p.box.ItemIndex());
}

TEST(ComboEditList, ASeparatorCannotBeChosenAndAnEmptyListStaysShut) {
  Page p(Rows(esPickList).SepaLine(true));
  p.box.DropDown();
  p.box.List()->SetItemIndex(4);
  p.box.CloseUp(true);
  EXPECT_TRUE(p.ListShown());
  p.box.List()->SetItemIndex(5);
  p.box.CloseUp(true);
  EXPECT_FALSE(p.ListShown());
  EXPECT_EQ("４", p.box.Text());
  p.box.SetItems({});
  PressKey(p.Box(), VK_F4);
  EXPECT_FALSE(p.ListShown());
}

TEST(ComboEditList, OpensAboveNearTheBottomAndAlignsRightNearTheRight) {
  std::vector<std::string> wide = {"とても長い項目の名前がここに入ります", "短い"};
  Page p(TComboEditArgs().Bounds(0, 0, 80).EditStyle(esPickList).Items(wide), Screen.Width() - 80,
         Screen.Height() - 30);
  p.box.DropDown();
  ASSERT_TRUE(p.ListShown());
  RECT edit, list;
  GetWindowRect(p.Box(), &edit);
  GetWindowRect(p.box.List()->Handle(), &list);
  EXPECT_EQ(edit.top, list.bottom);
  EXPECT_EQ(edit.right, list.right);
  EXPECT_GT(list.right - list.left, edit.right - edit.left);
}

TEST(ComboEditClipboard, PastesTheFirstLineOnly) {
  Page p(TComboEditArgs().Bounds(8, 8, 200));
  auto paste = [&](const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(p.Box()));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(g), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
    p.box.SetText("");
    SendMessageW(p.Box(), WM_PASTE, 0, 0);
  };
  paste(L"一行目\r\n二行目");
  EXPECT_EQ("一行目", p.box.Text());
  paste(L"\r\n二行目");
  EXPECT_EQ("", p.box.Text());
}

TEST(ComboEditByteLimit, EndsAlsoWhenTheButtonCannotBeUsed) {
  Page p(TComboEditArgs().Bounds(8, 8, 200).EditStyle(esEllipsis).MaxLength(3).Enabled(false));
  p.box.SetText("あいう");
  EXPECT_EQ("あ", p.box.Text());
  p.box.SetEnabled(true);
  p.box.SelectAll();
  TypeText(p.Box(), L"aい");
  EXPECT_EQ("aい", p.box.Text());
  TypeText(p.Box(), L"b");
  EXPECT_EQ("aい", p.box.Text());
}

TEST(ComboEditDate, TheCalendarShowsTheTextsDateAndAcceptsIntoTheText) {
  {
    Page first(TComboEditArgs().Bounds(8, 8, 120).EditStyle(esDate));
    first.box.DropDown();
  }  // the calendar outlives the control that used it first
  Page p(TComboEditArgs()
             .Bounds(8, 8, 120)
             .EditStyle(esDate)
             .FormatDateStr("yyyy/mm/dd")
             .Text("2024/02/29"));
  p.box.DropDown();
  TMonthCalendarExt& calendar = SharedCalendar();
  ASSERT_TRUE(IsWindowVisible(calendar.Handle()));
  EXPECT_EQ(EncodeDate(2024, 2, 29), calendar.Date());
  calendar.SetDate(EncodeDate(2024, 3, 5));
  PressKey(p.Box(), VK_RETURN);
  EXPECT_EQ("2024/03/05", p.box.Text());
  EXPECT_TRUE(IsWindowVisible(calendar.Handle()));  // accepting keeps it open
  PressKey(p.Box(), VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(calendar.Handle()));
  p.box.SetText("2024/13/40");
  p.box.DropDown();
  EXPECT_EQ(Date(), calendar.Date());
  p.other.SetFocus();
  EXPECT_FALSE(IsWindowVisible(calendar.Handle()));
}

TEST(ComboEditDate, ANewStyleClosesTheCalendarAndTheGoneBoxUnlinksIt) {
  TMonthCalendarExt& calendar = SharedCalendar();
  {
    Page p(TComboEditArgs().Bounds(8, 8, 120).EditStyle(esDate));
    p.box.DropDown();
    ASSERT_TRUE(IsWindowVisible(calendar.Handle()));
    p.box.SetEditStyle(esSimple);
    EXPECT_FALSE(p.box.DroppedDown());
    EXPECT_FALSE(IsWindowVisible(calendar.Handle()));
  }
  // A click on the days would otherwise call into the freed box.
  EXPECT_EQ(calendar.Link, nullptr);
  EXPECT_FALSE(calendar.CloseUp);
}

TEST(ComboEditLooks, ClassicButtonsStayVisibleOverTheText) {
  Gallery& g = TheGallery();
  g.Spin.SetFocus();
  WindowShot shot = ShootWindow(g.Handle());
  SaveShot(shot, "combo-classic");
  RECT w, b = g.Ellipsis.ButtonRect();
  GetWindowRect(g.Handle(), &w);
  POINT o = {0, 0};
  ClientToScreen(g.Ellipsis.Handle(), &o);
  // The button's face, not the edit's white, at its middle.
  COLORREF face = shot.At(o.x - w.left + b.left + 2, o.y - w.top + b.top + 2);
  EXPECT_EQ(GetSysColor(COLOR_BTNFACE), face);
}
