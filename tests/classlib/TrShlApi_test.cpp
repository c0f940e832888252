// The notification-area layer against a stand-in shell: the record, the
// limits, the retries, the re-adding for a new taskbar, clicks and hovering.
#include "classlib/TrShlApi.h"

#include <gtest/gtest.h>

#include <vector>

#include "classlib/Text.h"
#include "common/TestMessages.h"

namespace {

TEST(ShellVersionFromText, ReadsTheNumbersAroundTheFirstDot) {
  EXPECT_EQ(ShellVersionFromText("10.0.19041.1"), 10u << 16);
  EXPECT_EQ(ShellVersionFromText("6.00.2900.5512"), 6u << 16);
  EXPECT_EQ(ShellVersionFromText("4.71.3110"), 4u << 16 | 71);
  EXPECT_EQ(ShellVersionFromText("5"), 5u << 16);
  EXPECT_EQ(ShellVersionFromText(""), 0u);
  EXPECT_EQ(ShellVersionFromText("x.1"), 0u);
}

TEST(TrayTipText, CutsByShellVersionAtACharacterBoundary) {
  const std::string ascii(200, 'a');
  EXPECT_EQ(TrayTipText(ascii, 6u << 16).size(), 127u);
  EXPECT_EQ(TrayTipText(ascii, 4u << 16 | 71).size(), 63u);
  // 126 ASCII bytes and a double-byte character across byte 127.
  EXPECT_EQ(TrayTipText(std::string(126, 'a') + "記事", 6u << 16), std::string(126, 'a'));
  EXPECT_EQ(TrayTipText(std::string(61, 'a') + "記事", 4u << 16), std::string(61, 'a') + "記");
  // Old shells have one line.
  EXPECT_EQ(TrayTipText("一行目\r\n二行目", 4u << 16), "一行目 二行目");
  EXPECT_EQ(TrayTipText("一行目\r\n二行目", 6u << 16), "一行目\r\n二行目");
}

struct ShellCall {
  DWORD Action;
  NOTIFYICONDATAW Data;
};

// Answers the shell calls from a script; each call is recorded.
class StandInShell {
 public:
  StandInShell() {
    SetTrayRetryPauseForTest(10);
    SetShellNotifyIconForTest([this](DWORD action, NOTIFYICONDATAW* d) {
      calls.push_back({action, *d});
      DWORD error = 0;
      if (!answers.empty()) {
        error = answers.front();
        answers.erase(answers.begin());
      }
      SetLastError(error);
      return error == 0 ? TRUE : FALSE;
    });
  }
  ~StandInShell() {
    SetShellNotifyIconForTest(nullptr);
    SetTrayRetryPauseForTest(2000);
  }
  std::vector<DWORD> Actions() const {
    std::vector<DWORD> v;
    for (const ShellCall& c : calls) v.push_back(c.Action);
    return v;
  }
  std::vector<ShellCall> calls;
  std::vector<DWORD> answers;  // error of each coming call, 0 for success
};

class TrayIconTest : public ::testing::Test {
 protected:
  TrayIconTest() {
    icon.IconHandle = LoadIconW(nullptr, (LPCWSTR)IDI_APPLICATION);
    icon.OnMessage = [this](TMessage& m, void*) {
      if (m.Msg == WM_TASKTRAY) seen.push_back({m.WParam, m.LParam});
    };
  }
  void Tray(WPARAM wp, LPARAM code) { SendMessageW(icon.WindowHandle(), WM_TASKTRAY, wp, code); }
  StandInShell shell;
  TTaskTrayIcon icon;
  std::vector<std::pair<WPARAM, LPARAM>> seen;  // what reached the callback
};

TEST_F(TrayIconTest, AddFillsTheRecordOfANewShell) {
  ASSERT_TRUE(icon.IsNewShell());
  icon.SetTipText("Tessivar-Ticker");
  icon.SetBalloonIconKind(2);
  ASSERT_TRUE(icon.AddIcon());
  ASSERT_EQ(shell.Actions(), std::vector<DWORD>{NIM_ADD});
  const NOTIFYICONDATAW& d = shell.calls[0].Data;
  EXPECT_EQ(d.cbSize, (DWORD)NOTIFYICONDATAW_V2_SIZE);
  EXPECT_EQ(d.uID, 1u);
  EXPECT_EQ(d.uFlags, (UINT)(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(d.uCallbackMessage, WM_TASKTRAY);
  EXPECT_EQ(d.hWnd, icon.WindowHandle());
  EXPECT_EQ(d.dwState, (DWORD)NIS_SHAREDICON);
  EXPECT_EQ(d.dwInfoFlags, 0u);  // an add resets the balloon icon kind
  EXPECT_STREQ(d.szTip, L"Tessivar-Ticker");
  EXPECT_TRUE(icon.AddIcon());  // already added: no call
  EXPECT_EQ(shell.calls.size(), 1u);
  icon.SetBalloonIconKind(5);
  EXPECT_EQ(icon.BalloonIconKind(), 0u);
}

TEST_F(TrayIconTest, WithoutAnIconTheShellIsNotCalled) {
  icon.IconHandle = nullptr;
  EXPECT_FALSE(icon.AddIcon());
  EXPECT_FALSE(icon.ModifyIcon());
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(TrayIconTest, ATimedOutAddIsRetriedOtherErrorsEndIt) {
  // The shell may have added it after all: a modify finds it.
  shell.answers = {ERROR_TIMEOUT, 0};
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_EQ(shell.Actions(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY}));
  icon.DeleteIcon();
  shell.calls.clear();
  shell.answers = {ERROR_TIMEOUT, ERROR_TIMEOUT, 0};
  EXPECT_TRUE(icon.AddIcon());
  EXPECT_EQ(shell.Actions(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_ADD}));
  icon.DeleteIcon();
  shell.calls.clear();
  shell.answers = {ERROR_ACCESS_DENIED};
  EXPECT_FALSE(icon.AddIcon());
  EXPECT_EQ(shell.Actions(), std::vector<DWORD>{NIM_ADD});
  // Six failed tries at most.
  shell.calls.clear();
  shell.answers = std::vector<DWORD>(20, ERROR_TIMEOUT);
  EXPECT_FALSE(icon.AddIcon());
  EXPECT_EQ(shell.calls.size(), 11u);
}

TEST_F(TrayIconTest, AFailedModifyAddsAfreshATimeOutCountsAsDone) {
  ASSERT_TRUE(icon.AddIcon());
  shell.answers = {ERROR_TIMEOUT};
  EXPECT_TRUE(icon.ModifyIcon());
  shell.answers = {ERROR_INVALID_PARAMETER, 0};
  EXPECT_TRUE(icon.ModifyIcon());
  EXPECT_EQ(shell.Actions(), (std::vector<DWORD>{NIM_ADD, NIM_MODIFY, NIM_MODIFY, NIM_ADD}));
}

TEST_F(TrayIconTest, ANewTaskbarGetsTheIconsThatShouldShow) {
  const UINT created = TaskbarCreatedMessage();
  ASSERT_NE(created, 0u);
  ASSERT_TRUE(icon.AddIcon());
  SendMessageW(icon.WindowHandle(), created, 0, 0);
  EXPECT_EQ(shell.Actions(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
  EXPECT_TRUE(icon.Added());

  // A hidden icon stays hidden.
  icon.DeleteIcon();
  shell.calls.clear();
  SendMessageW(icon.WindowHandle(), created, 0, 0);
  EXPECT_TRUE(shell.calls.empty());

  // An add that failed (no taskbar yet at log-on) is carried out now.
  shell.answers = {ERROR_FILE_NOT_FOUND};
  EXPECT_FALSE(icon.AddIcon());
  SendMessageW(icon.WindowHandle(), created, 0, 0);
  EXPECT_EQ(shell.Actions(), (std::vector<DWORD>{NIM_ADD, NIM_ADD}));
  EXPECT_TRUE(icon.Added());
}

TEST_F(TrayIconTest, APressAndReleaseIsAClickBeforeTheRelease) {
  Tray(0, WM_LBUTTONDOWN);
  Tray(0, WM_LBUTTONUP);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[1], std::make_pair((WPARAM)0, (LPARAM)TRAY_MOUSECLICK));
  EXPECT_EQ(seen[2].second, (LPARAM)WM_LBUTTONUP);
  // A release without a press is no click.
  seen.clear();
  Tray(0, WM_RBUTTONUP);
  EXPECT_EQ(seen.size(), 1u);
}

TEST_F(TrayIconTest, ADoubleClickGivesOneClickThenThePressOfTheSecond) {
  Tray(0, WM_LBUTTONDOWN);
  Tray(0, WM_LBUTTONUP);
  Tray(0, WM_LBUTTONDBLCLK);
  Tray(0, WM_LBUTTONUP);
  DispatchQueuedMessages();
  int clicks = 0;
  for (auto& s : seen) clicks += s.second == TRAY_MOUSECLICK;
  EXPECT_EQ(clicks, 1);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), std::make_pair((WPARAM)-1, (LPARAM)WM_LBUTTONDOWN));
}

TEST_F(TrayIconTest, WithTheCheckOnAClickWaitsForTheDoubleClickTime) {
  icon.Style().CheckSingleDoubleClick = true;
  Tray(0, WM_RBUTTONDOWN);
  Tray(0, WM_RBUTTONUP);
  auto clicked = [&] {
    for (auto& s : seen)
      if (s.second == TRAY_MOUSECLICK) return s.first == 1;
    return false;
  };
  EXPECT_FALSE(clicked());
  EXPECT_TRUE(PumpUntil(clicked, GetDoubleClickTime() + 2000));

  seen.clear();
  Tray(0, WM_LBUTTONDOWN);
  Tray(0, WM_LBUTTONUP);
  Tray(0, WM_LBUTTONDBLCLK);
  Tray(0, WM_LBUTTONUP);
  // A later right click waits out its own double-click time: once it comes,
  // a click of the double click would have come before it.
  Tray(0, WM_RBUTTONDOWN);
  Tray(0, WM_RBUTTONUP);
  ASSERT_TRUE(PumpUntil(clicked, GetDoubleClickTime() + 2000));
  int clicks = 0;
  for (auto& s : seen) clicks += s.second == TRAY_MOUSECLICK;
  EXPECT_EQ(clicks, 1);
}

// Wine moves the X pointer behind SetCursorPos, and refuses to while another
// client holds a pointer grab. A position unchanged for 100 ms is read back
// from X, so the move counts once a read after that still finds it; a move
// that did not take is made again.
static bool PlaceCursor(int x, int y) {
  SetCursorPos(x, y);
  DWORD moved = GetTickCount();
  return PumpUntil(
      [&] {
        POINT p;
        const bool there = GetCursorPos(&p) && p.x == x && p.y == y;
        if (GetTickCount() - moved < 200) return false;
        if (!there) {
          SetCursorPos(x, y);
          moved = GetTickCount();
        }
        return there;
      },
      5000);
}

TEST_F(TrayIconTest, LeavingTheHoverAreaIsNoticedByTheHoverThread) {
  auto hoverCodes = [&] {
    std::vector<LPARAM> codes;
    for (auto& e : seen)
      if (e.second == TRAY_MOUSEENTER || e.second == TRAY_MOUSEEXIT) codes.push_back(e.second);
    return codes;
  };
  POINT start = {200, 200};
  ASSERT_TRUE(PlaceCursor(start.x, start.y));
  Tray(0, WM_MOUSEMOVE);
  EXPECT_EQ(hoverCodes(), std::vector<LPARAM>{TRAY_MOUSEENTER});
  EXPECT_TRUE(icon.Style().MouseInside());
  EXPECT_TRUE(icon.Style().HoverThreadStarted());
  // Still on the icon: no exit.
  PumpMessagesFor(350);
  EXPECT_EQ(hoverCodes().size(), 1u);
  ASSERT_TRUE(PlaceCursor(start.x + 1, start.y));
  // No window sees this move: only the hover thread's polls can notice it.
  EXPECT_TRUE(PumpUntil([&] { return hoverCodes().size() >= 2; }, 5000));
  EXPECT_EQ(hoverCodes(), (std::vector<LPARAM>{TRAY_MOUSEENTER, TRAY_MOUSEEXIT}));
  EXPECT_FALSE(icon.Style().MouseInside());
}

bool TrayClassRegistered() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  return GetClassInfoExW(GetModuleHandleW(nullptr), L"TaskTrayHandle", &wc) != FALSE;
}

TEST(TrayIcons, EachWindowReachesItsOwnIconTheLastTakesTheClass) {
  StandInShell shell;
  {
    auto a = std::make_unique<TTaskTrayIcon>();
    auto b = std::make_unique<TTaskTrayIcon>();
    int toA = 0, toB = 0;
    a->OnMessage = [&](TMessage& m, void*) { toA += m.Msg == WM_APP; };
    b->OnMessage = [&](TMessage& m, void*) { toB += m.Msg == WM_APP; };
    SendMessageW(b->WindowHandle(), WM_APP, 0, 0);
    SendMessageW(a->WindowHandle(), WM_APP, 0, 0);
    SendMessageW(b->WindowHandle(), WM_APP, 0, 0);
    EXPECT_EQ(toA, 1);
    EXPECT_EQ(toB, 2);
    a.reset();
    EXPECT_TRUE(TrayClassRegistered());
  }
  EXPECT_FALSE(TrayClassRegistered());
}

}  // namespace
