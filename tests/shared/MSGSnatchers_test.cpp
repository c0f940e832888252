#include "shared/MSGSnatchers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/PopupControl.h"

namespace {

const UINT kProbe = WM_APP + 7;

std::vector<std::string> g_log;

class LoggingControl : public TControl {
 protected:
  void HandleMessage(TMessage& m) override {
    if (m.Msg == kProbe) {
      g_log.push_back("control");
      return;
    }
    TControl::HandleMessage(m);
  }
};

class LoggingSnatcher : public TCustomMessageSnatcher {
 public:
  explicit LoggingSnatcher(std::string name, bool swallow = false)
      : name_(std::move(name)), swallow_(swallow) {}

 protected:
  void HandleMessage(TMessage& m, bool& handled) override {
    if (m.Msg != kProbe) return;
    g_log.push_back(name_);
    handled = swallow_;
  }

 private:
  std::string name_;
  bool swallow_;
};

std::vector<std::string> Probe(TControl& c) {
  g_log.clear();
  c.Perform(kProbe);
  return g_log;
}

typedef std::vector<std::string> Log;

}  // namespace

TEST(SnatcherChain, MessagesPassOuterThenInnerThenTheControl) {
  LoggingControl c;
  LoggingSnatcher inner("inner"), outer("outer");
  inner.SetControl(&c);
  outer.SetControl(&c);
  EXPECT_EQ((Log{"outer", "inner", "control"}), Probe(c));
  EXPECT_EQ(&outer, SnatcherOf(&c));
  EXPECT_TRUE(c.WindowProc == outer.HookMethod());
}

TEST(SnatcherChain, RemovingTheOuterLeavesTheInnerInFront) {
  LoggingControl c;
  LoggingSnatcher inner("inner");
  auto outer = std::make_unique<LoggingSnatcher>("outer");
  inner.SetControl(&c);
  outer->SetControl(&c);
  outer.reset();
  EXPECT_TRUE(c.WindowProc == inner.HookMethod());
  EXPECT_EQ(&inner, SnatcherOf(&c));
  EXPECT_EQ((Log{"inner", "control"}), Probe(c));
}

TEST(SnatcherChain, RemovingTheInnerMakesTheOuterPassStraightToTheControl) {
  LoggingControl c;
  TWndMethod own = c.WindowProc;
  auto inner = std::make_unique<LoggingSnatcher>("inner");
  LoggingSnatcher outer("outer");
  inner->SetControl(&c);
  outer.SetControl(&c);
  inner->SetControl(nullptr);
  EXPECT_TRUE(outer.PreviousWindowProc() == own);
  EXPECT_EQ(&outer, SnatcherOf(&c));
  inner.reset();
  EXPECT_EQ((Log{"outer", "control"}), Probe(c));
}

TEST(SnatcherChain, TheLastUnhookGivesTheControlItsOwnProcedureBack) {
  LoggingControl c;
  TWndMethod own = c.WindowProc;
  {
    LoggingSnatcher a("a"), b("b");
    a.SetControl(&c);
    b.SetControl(&c);
  }
  EXPECT_TRUE(c.WindowProc == own);
  EXPECT_EQ(nullptr, SnatcherOf(&c));
  EXPECT_EQ((Log{"control"}), Probe(c));
}

TEST(SnatcherChain, AHandledMessageGoesNoFurther) {
  LoggingControl c;
  LoggingSnatcher inner("inner"), outer("outer", true);
  inner.SetControl(&c);
  outer.SetControl(&c);
  EXPECT_EQ((Log{"outer"}), Probe(c));
}

TEST(SnatcherChain, OnMessageSeesWhatHandleMessageLeft) {
  LoggingControl c;
  LoggingSnatcher s("s");
  int seen = 0;
  s.OnMessage = [&](TObject* sender, TMessage& m, bool& handled) {
    EXPECT_EQ(&s, sender);
    if (m.Msg == kProbe) {
      ++seen;
      handled = true;
    }
  };
  s.SetControl(&c);
  EXPECT_EQ((Log{"s"}), Probe(c));
  EXPECT_EQ(1, seen);
}

TEST(SnatcherChain, FreeingTheControlUnbindsItsSnatchersFirst) {
  LoggingSnatcher a("a"), b("b");
  {
    LoggingControl c;
    a.SetControl(&c);
    b.SetControl(&c);
  }
  EXPECT_EQ(nullptr, a.Control());
  EXPECT_EQ(nullptr, b.Control());
  EXPECT_EQ(nullptr, a.Next());
  EXPECT_EQ(nullptr, b.Previous());
  LoggingControl other;
  a.SetControl(&other);
  EXPECT_EQ((Log{"a", "control"}), Probe(other));
}

TEST(SnatcherChain, MovingToAnotherControlUnhooksTheFirst) {
  LoggingControl c1, c2;
  TWndMethod own1 = c1.WindowProc;
  LoggingSnatcher s("s");
  s.SetControl(&c1);
  s.SetControl(&c2);
  EXPECT_TRUE(c1.WindowProc == own1);
  EXPECT_EQ((Log{"control"}), Probe(c1));
  EXPECT_EQ((Log{"s", "control"}), Probe(c2));
}

TEST(SnatcherChain, AProcedureInstalledLaterStillReachesTheControlAfterTheUnhook) {
  LoggingControl c;
  auto s = std::make_unique<LoggingSnatcher>("s");
  s->SetControl(&c);
  TWndMethod saved = c.WindowProc;
  c.WindowProc.Call = [saved](TMessage& m) {
    g_log.push_back("foreign");
    saved(m);
  };
  c.WindowProc.Object = &saved;
  s.reset();
  EXPECT_EQ((Log{"foreign", "control"}), Probe(c));
}

namespace {

class CountingWinSnatcher : public TCustomWinMessageSnatcher {
 public:
  std::vector<HWND> registered, revoked;

 protected:
  void RegisterTarget(HWND h) override { registered.push_back(h); }
  void RevokeTarget(HWND h) override { revoked.push_back(h); }
};

}  // namespace

TEST(WinSnatcher, RegistersOnHookAndAcrossWindowRecreation) {
  PopupControl c;
  CountingWinSnatcher s;
  s.SetControl(&c);
  ASSERT_TRUE(c.HandleAllocated());  // binding creates the window
  HWND first = c.HandleIfAllocated();
  EXPECT_EQ(std::vector<HWND>{first}, s.registered);
  EXPECT_TRUE(s.Registered());

  c.RecreateWnd();
  HWND second = c.HandleIfAllocated();
  ASSERT_NE(nullptr, second);
  EXPECT_EQ(std::vector<HWND>{first}, s.revoked);
  EXPECT_EQ((std::vector<HWND>{first, second}), s.registered);

  s.SetControl(nullptr);
  EXPECT_EQ((std::vector<HWND>{first, second}), s.revoked);
  EXPECT_FALSE(s.Registered());
}

TEST(WinSnatcher, TwoOnOneWindowBothFollowItsRecreation) {
  PopupControl c;
  CountingWinSnatcher a, b;
  a.SetControl(&c);
  b.SetControl(&c);
  c.RecreateWnd();
  EXPECT_EQ(2u, a.registered.size());
  EXPECT_EQ(2u, b.registered.size());
  EXPECT_EQ(1u, a.revoked.size());
  EXPECT_EQ(1u, b.revoked.size());
}
