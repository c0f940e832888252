// The ticker window and the mouse, its layout and its summary hint: what the
// handlers decide (the end-to-end runs drive the same under Xvfb).
#include "TessivarOrvanelForm.h"

#include <gtest/gtest.h>

#include "common/TestFiles.h"
#include "common/TestImages.h"
#include "common/TestMessages.h"
#include "support/TickerWindow.h"

namespace {

const char kItems[] =
    "45000.5\tFeed\tFirst\thttp://example.com/1\t\tone\t\t\r\n"
    "45000.4\tFeed\tSecond\thttp://example.com/2\t\ttwo\t\twide.bmp\r\n"
    "45000.3\tFeed\tThird\thttp://example.com/3\t\tthree\r\n";

class Pointer : public TickerWindowTest {
 protected:
  void SetUp() override {
    TickerWindowTest::SetUp();
    Settings("[Env]\r\nTickerScroll=0\r\nTickerTime=5\r\nScrollButton=1\r\n");
    Corner();  // off the window: nothing hovers yet
    Create();
    WriteTicker(kItems);
    FileCheck();  // the first run also shows the window
    TickerSettings.FontColorM = 0x0000FF;
    form->ShowNextNow();
    SetShellOpenForTest([this](const std::string& url) { opened.push_back(url); });
    // WM_SYSCOMMAND would start the system's move or size loop.
    TWndMethod own = form->WindowProc;
    form->WindowProc.Call = [this, own](TMessage& m) {
      if (m.Msg == WM_SYSCOMMAND) {
        commands.push_back(m.WParam);
        return;
      }
      own(m);
    };
  }
  void TearDown() override {
    SetShellOpenForTest(nullptr);
    Corner();
    TickerWindowTest::TearDown();
  }
  void OnStrip() {
    POINT p = form->PL_Message.ClientToScreen(POINT{form->PL_Message.Width() / 2, 5});
    SetCursorPos(p.x, p.y);
  }
  // The screen's far corner, clear of every window the tests open.
  static void Corner() {
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  void Away() { SetCursorPos(form->Left() + 5, form->Top() + form->Height() + 40); }
  std::vector<std::string> opened;
  std::vector<WPARAM> commands;
};

TEST_F(Pointer, TheLinkDecidesTheHighlightAndTheClick) {
  TKvBandForm& f = *form;
  OnStrip();
  TickerSettings.DescPopup = false;
  TickerSettings.CommonBrows = 0;  // through the shell, which the test stands in for
  f.UpdateHover(0, true);
  EXPECT_TRUE(f.Hovering);
  EXPECT_EQ(f.Message.Font().Color(), (TColor)0x0000FF);
  EXPECT_FALSE(f.Timer_Help.Enabled());  // no summary hint wanted
  const std::string link = f.Message.Hint();
  f.MessageClick(&f.Message);
  EXPECT_EQ(opened, std::vector<std::string>{link});
  f.Message.SetHint("");
  f.UpdateHover(0, true);
  EXPECT_FALSE(f.Hovering);
  f.MessageClick(&f.Message);
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(Pointer, TheLinkClickedIsTheOneOpenedWhenTheDisplayStepsMeanwhile) {
  TKvBandForm& f = *form;
  TickerSettings.CommonBrows = 0;
  const std::string clicked = f.Message.Hint();
  // Opening serves messages: the display timer may show the next item first.
  SetShellOpenForTest([&](const std::string& url) {
    f.ShowNextNow();
    opened.push_back(url);
  });
  f.MessageClick(&f.Message);
  ASSERT_NE(f.Message.Hint(), clicked);
  EXPECT_EQ(opened, std::vector<std::string>{clicked});
}

TEST_F(Pointer, TheWheelStepsOnlyWithScrollButtonOn) {
  TKvBandForm& f = *form;
  ASSERT_NE(f.Display.CurrentLine.find("First"), std::string::npos);
  bool handled = false;
  TickerSettings.ScrollButton = false;
  f.FormMouseWheel2(&f, 0, -WHEEL_DELTA, POINT{}, handled);
  EXPECT_FALSE(handled);
  TickerSettings.ScrollButton = true;
  f.FormMouseWheel2(&f, 0, 0, POINT{}, handled);
  EXPECT_FALSE(handled);
  // Paging, right after a timed step: towards the user the line after the next.
  f.FormMouseWheel2(&f, 0, -WHEEL_DELTA, POINT{}, handled);
  EXPECT_TRUE(handled);
  EXPECT_NE(f.Display.CurrentLine.find("Third"), std::string::npos);
  f.FormMouseWheel2(&f, 0, WHEEL_DELTA, POINT{}, handled);
  EXPECT_NE(f.Display.CurrentLine.find("Second"), std::string::npos);
  EXPECT_TRUE(f.Timer_ListRead.Enabled());
}

TEST_F(Pointer, ImagesDragGripsSizeOnlyWithTheLeftButtonAlone) {
  TKvBandForm& f = *form;
  f.Image_LeftMouseDown(&f.Image_Left, mbRight, ssRight, 1, 1);
  f.Image_LeftMouseDown(&f.FormRgn, mbLeft, ssLeft, 1, 1);
  f.LB_LeftMouseDown(&f.LB_Left, mbLeft, ssLeft | ssShift, 1, 1);
  f.LB_LeftMouseDown(&f.LB_Right, mbLeft, ssLeft | ssCtrl, 1, 1);
  f.LB_LeftMouseDown(&f.LB_Left, mbLeft, ssLeft, 1, 1);
  f.LB_LeftMouseDown(&f.LB_Right, mbLeft, ssLeft, 1, 1);
  EXPECT_EQ(commands, (std::vector<WPARAM>{0xF012, 0xF001, 0xF002}));
}

TEST_F(Pointer, AHintPictureWiderThanTheTextIsNotCut) {
  TKvBandForm& f = *form;
  WriteWholeFile(DataFolder + "Graphic\\wide.bmp", BmpBytes(420, 30, RGB(0, 0, 200)));
  f.Display.CurrentLine = "45000.4\tFeed\tSecond\thttp://example.com/2\t\ttwo\t\twide.bmp";
  OnStrip();
  f.ShowSummaryHint();
  ASSERT_TRUE(f.HintWindow);
  EXPECT_NE(f.HintWindow->Caption().find("◇ Second ◇"), std::string::npos);
  ASSERT_TRUE(f.HintWindow->HintPicture);
  EXPECT_GE(f.HintWindow->Width(), 420 + 16);
  Away();
  f.Timer_MessageTimer(&f.Timer_Message);
  EXPECT_FALSE(f.HintWindow);
}

TKvBandForm* formWithMenu = nullptr;
bool hoverUnderMenu = true;

void CALLBACK StepUnderTheMenu(HWND, UINT, UINT_PTR id, DWORD) {
  if (!TPopupMenu::InMenuLoop()) return;
  KillTimer(nullptr, id);
  formWithMenu->ShowNextNow();
  hoverUnderMenu = formWithMenu->Hovering;
  EndMenu();
}

TEST_F(Pointer, AnOpenMenuOverTheStripIsNoHover) {
  TickerSettings.DescPopup = false;
  OnStrip();
  POINT at;
  GetCursorPos(&at);
  formWithMenu = form.get();
  UINT_PTR timer = SetTimer(nullptr, 0, 100, StepUnderTheMenu);
  form->PopupMenu_Main.Popup(at.x - 4, at.y - 4);  // under the pointer, as after a right click
  KillTimer(nullptr, timer);
  EXPECT_FALSE(hoverUnderMenu);
  EXPECT_TRUE(form->Timer_ListRead.Enabled());
}

// A box of the program's own is open: the next item, with the pointer resting
// on the strip, must not take the box's focus for the wheel.
TEST_F(Pointer, AModalBoxKeepsTheFocusWhileThePointerRestsOnTheStrip) {
  TickerSettings.DescPopup = false;
  OnStrip();
  TForm box;
  box.SetCaption("確認");
  box.SetBounds(form->Left(), form->Top() + form->Height() + 60, 200, 100);
  HWND boxWindow = nullptr, active = nullptr, focus = nullptr;
  bool hovered = true;
  int ticks = 0;
  TTimer step;
  step.SetInterval(50);
  step.OnTimer = [&](TObject*) {
    if (!box.HandleAllocated()) return;
    boxWindow = box.Handle();
    // Bounded: a box that never becomes active ends the case too.
    if (GetActiveWindow() != boxWindow && ++ticks < 200) return;
    step.SetEnabled(false);
    form->ShowNextNow();
    hovered = form->Hovering;
    active = GetActiveWindow();
    focus = GetFocus();
    box.SetModalResult(mrOk);
  };
  box.ShowModal();
  ASSERT_LT(ticks, 200) << "the box never became active";
  EXPECT_FALSE(hovered);
  EXPECT_EQ(active, boxWindow);
  EXPECT_TRUE(focus == boxWindow || IsChild(boxWindow, focus));
}

using Layout = TickerWindowTest;

TEST_F(Layout, ButtonsAtTheEdgeAndTheStripToTheRightMargin) {
  TKvBandForm& f = Create();
  f.FormShow(&f);
  EXPECT_EQ(f.Image_Next.Left(), 13);  // after the size grip and the drag image
  EXPECT_EQ(f.PL_Message.Left(), 13 + f.Image_Next.Width() + 2);
  EXPECT_EQ(f.KeywordButton.Left() + f.KeywordButton.Width(), f.ClientWidth() - 13);
  for (TControl* c : std::initializer_list<TControl*>{&f.LB_Left, &f.Image_Left, &f.Image_Right,
                                                      &f.LB_Right, &f.KeywordButton})
    c->Hide();
  f.FormResize(nullptr);
  EXPECT_EQ(f.Image_Next.Left(), 0);
  EXPECT_EQ(f.PL_Message.Left(), f.Image_Next.Width() + 2);
  EXPECT_EQ(f.PL_Message.Left() + f.PL_Message.Width(), f.ClientWidth());
}

TEST_F(Layout, AStoredWidthOfZeroKeepsTheDesignWidth) {
  Settings("[Sz_KvBandForm]\r\nszLeft=40\r\nszTop=50\r\nszWidth=0\r\n");
  TKvBandForm& f = Create();
  const int design = f.Width();
  f.Handle();
  f.FormShow(&f);
  EXPECT_EQ(f.Left(), 40);
  EXPECT_EQ(f.Width(), design);
}

TEST_F(Layout, AManualSkinPlacesTheControlsByItsBounds) {
  Oem("TessivarOrvanel.oem",
      "[Graphic]\r\nskinFile=1\r\n[Layout]\r\nmanualMode=2\r\ntickerBound=40,6,300,26\r\n"
      "playBound=12,6,34,28\r\nsearchBound=310,4,332,26\r\n");
  Oem("skin.bmp",
      BmpBytes(340, 34, [](int x, int) { return x < 3 ? RGB(255, 0, 255) : RGB(9, 9, 9); }));
  TKvBandForm& f = Create();
  ASSERT_TRUE(f.SkinActive);
  f.FormShow(&f);
  EXPECT_EQ(f.ClientWidth(), 340);
  EXPECT_EQ(f.ClientHeight(), 34);
  EXPECT_EQ(f.PL_Message.BoundsRect().left, 40);
  EXPECT_EQ(f.PL_Message.BoundsRect().right, 300);
  EXPECT_EQ(f.Image_Back.BoundsRect().top, 6);
  EXPECT_EQ(f.KeywordButton.Left(), 310);
  RECT box;
  ASSERT_NE(GetWindowRgnBox(f.Handle(), &box), ERROR);
  EXPECT_EQ(box.left, 3);
  EXPECT_EQ(box.right, 340);
}

}  // namespace
