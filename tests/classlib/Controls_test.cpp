#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Application.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "common/TestMessages.h"

namespace {

struct Page : TForm {
  int clicks = 0;
  void ButtonClick(TObject*) { ++clicks; }
};

}  // namespace

TEST(CreationValues, AWindowIsMadeOnceWithTheFinalStyles) {
  Page f;
  f.Handle();
  TEdit edit;
  edit.Create(
      TEditArgs().Place(&f, 8, 10, 150).Text("abc").ReadOnly(true).PasswordChar('*').MaxLength(5));
  ASSERT_TRUE(edit.HandleAllocated());
  HWND h = edit.HandleIfAllocated();
  EXPECT_TRUE(GetWindowLongW(h, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ('*', (wchar_t)SendMessageW(h, EM_GETPASSWORDCHAR, 0, 0));
  EXPECT_EQ(5, (int)SendMessageW(h, EM_GETLIMITTEXT, 0, 0));
  EXPECT_EQ("abc", edit.Text());
  RECT r;
  GetWindowRect(h, &r);
  EXPECT_EQ(150, r.right - r.left);
  EXPECT_EQ(21, r.bottom - r.top);  // the edit's own height
}

TEST(CreationValues, UnsetValuesKeepTheControlsOwnDefaults) {
  Page f;
  TEdit edit;
  TPanel panel;
  TLabel label;
  edit.Create(TEditArgs().Parent(&f));
  panel.Create(TPanelArgs().Parent(&f).Top(30).Caption("p"));
  label.Create(TLabelArgs().Parent(&f).Caption("名前(&N):").FocusControl(&edit));
  EXPECT_EQ(121, edit.Width());
  EXPECT_TRUE(edit.TabStop);
  EXPECT_EQ(clWindow, edit.Color());
  EXPECT_FALSE(panel.TabStop);
  EXPECT_EQ(bvRaised, panel.BevelOuter());
  EXPECT_EQ(185, panel.Width());
  EXPECT_EQ(30, panel.Top());
  EXPECT_EQ(&edit, label.FocusControl);
  EXPECT_TRUE(label.AutoSize());
  EXPECT_GT(label.Width(), 20);  // sized to its caption
}

TEST(CreationValues, FontChangesApplyToTheFontTakenFromTheParent) {
  Page f;
  f.Font().SetHeight(-16);
  TLabel note;
  note.Create(TLabelArgs().Place(&f, 4, 4).Caption("注").FontColor(clNavy).FontStyle(fsBold));
  EXPECT_EQ(-16, note.Font().Height());
  EXPECT_EQ(clNavy, note.Font().Color());
  EXPECT_EQ((TFontStyles)fsBold, note.Font().Style());
  EXPECT_EQ(clWindowText, f.Font().Color());
}

TEST(CreationValues, EventsTabOrderAndGroupsAreTaken) {
  Page f;
  TButton first, second;
  first.Create(TButtonArgs().Place(&f, 0, 0).Caption("1").OnClick(Handler(&f, &Page::ButtonClick)));
  second.Create(TButtonArgs().Place(&f, 80, 0).Caption("2").TabOrder(0).Default(true));
  first.Click();
  EXPECT_EQ(1, f.clicks);
  EXPECT_EQ(0, second.TabOrder());
  EXPECT_EQ(1, first.TabOrder());
  EXPECT_TRUE(second.Default());

  TSpeedButton a, b;
  a.Create(TSpeedButtonArgs().Place(&f, 0, 40).GroupIndex(1).Down(true));
  b.Create(TSpeedButtonArgs().Place(&f, 30, 40).GroupIndex(1).Down(true));
  EXPECT_FALSE(a.Down());  // one button of a group is down
  EXPECT_TRUE(b.Down());

  TTimer t;
  t.Create(TTimerArgs().Interval(250).Enabled(false).Tag(7));
  EXPECT_EQ(250u, t.Interval());
  EXPECT_FALSE(t.Enabled());
  EXPECT_EQ(7, t.Tag);
}

TEST(WindowObjects, AnotherProcesssWindowIsNeverTakenForOneOfOurs) {
  HWND desktop = GetDesktopWindow();  // Wine's desktop process holds it
  DWORD process = 0;
  GetWindowThreadProcessId(desktop, &process);
  ASSERT_NE(GetCurrentProcessId(), process);
  // Our other programs' windows carry the property with their own pointers.
  ASSERT_TRUE(SetPropW(desktop, L"TessivarControl", (HANDLE)0x1234));
  EXPECT_EQ(nullptr, TWinControl::FromHandle(desktop));
  RemovePropW(desktop, L"TessivarControl");
}

TEST(Mouse, ADoubleClickIsOneClickAndOneDoubleClick) {
  TForm f;
  f.SetClientSize(200, 100);
  TPaintBox box;
  box.SetParent(&f);
  box.SetBounds(10, 10, 50, 30);
  int clicks = 0, doubles = 0, ups = 0;
  box.OnClick = [&](TObject*) { ++clicks; };
  box.OnDblClick = [&](TObject*) { ++doubles; };
  box.OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { ++ups; };
  f.Show();
  for (UINT msg : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
    PostMessageW(f.Handle(), msg, msg == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(20, 20));
  ASSERT_TRUE(PumpUntil([&] { return ups == 2; }, 5000));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);
}

TEST(Hints, TheToolTipEndsAtTheFirstBarCharacter) {
  EXPECT_EQ(GetShortHint("ポーズ|pause|x"), "ポーズ");  // ポ is 0x83 0x7C
  EXPECT_EQ(GetShortHint("表示"), "表示");
}
