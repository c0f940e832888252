// The tray icon component over a stand-in shell: when the icon is shown, its
// resource list and animation, and the events its notifications raise.
#include "Taskbar.h"

#include <gtest/gtest.h>

#include "classlib/Application.h"
#include "common/TestMessages.h"

namespace {

int g_ticks = 0;
void CALLBACK NoteTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

class TrayTest : public ::testing::Test {
 protected:
  TrayTest() {
    SetShellNotifyIconForTest([this](DWORD action, NOTIFYICONDATAW* d) {
      actions.push_back(action);
      icons.push_back(d->hIcon);
      SetLastError(0);
      return TRUE;
    });
  }
  ~TrayTest() override {
    tray.reset();
    SetShellNotifyIconForTest(nullptr);
  }
  TTrayIcon& Make() {
    tray = std::make_unique<TTrayIcon>();
    tray->SetIcon(LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION));
    return *tray;
  }
  void Notify(WPARAM wp, LPARAM code) {
    SendMessageW(tray->Tray().WindowHandle(), WM_TASKTRAY, wp, code);
  }
  std::vector<DWORD> actions;
  std::vector<HICON> icons;
  std::unique_ptr<TTrayIcon> tray;
};

TEST_F(TrayTest, NothingIsShownBeforeTheDesignIsLoaded) {
  TTrayIcon& t = Make();
  EXPECT_EQ(t.TipHelp(), "TipHelp");
  t.SetTipHelp("Tessivar-Ticker");
  t.SetVisible(false);
  t.SetVisible(true);
  EXPECT_TRUE(actions.empty());
  t.Loaded();
  EXPECT_EQ(actions, std::vector<DWORD>{NIM_ADD});
  EXPECT_TRUE(t.Tray().Added());
  t.SetVisible(false);
  EXPECT_EQ(actions.back(), (DWORD)NIM_DELETE);
}

TEST_F(TrayTest, AMinimizedOnlyIconFollowsTheApplication) {
  TTrayIcon& t = Make();
  t.SetMinimized(true);
  t.Loaded();
  EXPECT_TRUE(actions.empty());
  Application.MainFormSized(SIZE_MINIMIZED);
  EXPECT_EQ(actions, std::vector<DWORD>{NIM_ADD});
  Application.MainFormSized(SIZE_RESTORED);
  EXPECT_EQ(actions.back(), (DWORD)NIM_DELETE);
}

TEST_F(TrayTest, ResourceIndexIsClampedAndTheAnimationWrapsIt) {
  TTrayIcon& t = Make();
  t.Loaded();
  t.SetResourceIconList({"A", "B", "C"});
  t.SetResourceIconID(7);
  EXPECT_EQ(t.ResourceIconID(), 2);
  t.SetResourceIconID(-5);
  EXPECT_EQ(t.ResourceIconID(), -1);
  EXPECT_EQ(t.CurrentIconHandle(), LoadIconW(GetModuleHandleW(nullptr), L"MAINICON"));
  t.SetResourceIconID(2);
  SendMessageW(t.Tray().WindowHandle(), WM_TASKTRAYSTEP, kTrayStepFrame, 0);
  EXPECT_EQ(t.ResourceIconID(), 0);
}

TEST_F(TrayTest, ADesignIndexBeyondTheListShowsTheFirstIcon) {
  TTrayIcon& t = Make();
  t.SetResourceIconList({"FIRSTICON", "SECOND", "THIRD"});
  t.SetResourceIconID(7);  // the design's value is stored as it is
  t.Loaded();
  EXPECT_EQ(actions, std::vector<DWORD>{NIM_ADD});
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_NE(icons[0], nullptr);
}

TEST_F(TrayTest, IntervalBelow50IsRaisedAndZeroMakesNoThread) {
  TTrayIcon& t = Make();
  t.Loaded();
  t.SetInterval(0);
  EXPECT_FALSE(t.AnimationStarted());
  int frames = 0;
  t.OnIconAnimation = [&](TObject*) { ++frames; };
  t.SetInterval(10);
  EXPECT_EQ(t.Interval(), 50u);
  EXPECT_TRUE(PumpUntil([&] { return frames >= 3; }, 3000));
  t.SetInterval(0);
  // A timer ticks only when the queue is empty: six ticks of the same period
  // mean frames a running animation posts would have been served.
  g_ticks = 0;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, NoteTick);
  ASSERT_NE(timer, 0u);
  ASSERT_TRUE(PumpUntil([] { return g_ticks >= 2; }, 5000));
  const int stopped = frames;
  EXPECT_TRUE(PumpUntil([] { return g_ticks >= 8; }, 5000));
  KillTimer(nullptr, timer);
  EXPECT_EQ(frames, stopped);
}

TEST_F(TrayTest, NotificationsRaiseTheEventsAndTheMenuReplacesTheButtonDown) {
  TTrayIcon& t = Make();
  t.Loaded();
  std::vector<std::string> events;
  t.OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int, int) {
    events.push_back("down" + std::to_string(b));
  };
  t.OnMouseClick = [&](TObject*, TMouseButton b, TShiftState s, int, int) {
    events.push_back("click" + std::to_string(b) + (s ? "+" : ""));
  };
  TPopupMenu menu;
  t.SetRButtonPopupMenu(&menu);
  t.AutoPopup = false;
  Notify(0, WM_RBUTTONDOWN);
  Notify(0, WM_RBUTTONUP);
  Notify(0, WM_LBUTTONDOWN);
  Notify(0, WM_LBUTTONUP);
  EXPECT_EQ(events, (std::vector<std::string>{"down1", "click1", "down0", "click0"}));
  EXPECT_EQ(SendMessageW(t.Tray().WindowHandle(), WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(TrayTest, AFreedMenuIsForgottenAndTheButtonDownRaisedInstead) {
  TTrayIcon& t = Make();
  t.Loaded();
  int downs = 0;
  t.OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
  TPopupMenu kept;
  auto freed = std::make_unique<TPopupMenu>();
  t.SetLButtonPopupMenu(freed.get());
  t.SetLButtonPopupMenu(&kept);  // no longer told about the first menu
  t.SetRButtonPopupMenu(freed.get());
  freed.reset();
  EXPECT_EQ(t.LButtonPopupMenu(), &kept);
  EXPECT_EQ(t.RButtonPopupMenu(), nullptr);
  Notify(0, WM_RBUTTONDOWN);
  EXPECT_EQ(downs, 1);
}

}  // namespace
