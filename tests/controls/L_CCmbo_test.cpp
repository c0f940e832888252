#include "controls/L_CCmbo.h"

#include <gtest/gtest.h>

#include "common/TestMessages.h"
#include "support/HostForm.h"
#include "support/Keys.h"

namespace {

struct ThreeEdits {
  TEditNext first, middle, last;
  explicit ThreeEdits(TEnterStyles keys) {
    first.Create(TEditNextArgs().Place(&HostForm(), 8, 8).EnterNext(keys).Text("first"));
    middle.Create(TEditNextArgs().Place(&HostForm(), 8, 36).EnterNext(keys).Text("middle"));
    last.Create(TEditNextArgs().Place(&HostForm(), 8, 64).EnterNext(keys).Text("last"));
    middle.SetFocus();
  }
  // Presses the key in the middle edit with the caret at caret.
  TEditNext* After(WORD key, int caret = 0, std::initializer_list<WORD> shift = {}) {
    middle.SetFocus();
    SendMessageW(middle.Handle(), EM_SETSEL, caret, caret);
    PressKey(middle.Handle(), key, shift);
    HWND f = GetFocus();
    for (TEditNext* e : {&first, &middle, &last})
      if (e->HandleIfAllocated() == f) return e;
    return nullptr;
  }
};

}  // namespace

TEST(EditNextKeys, EnterMovesOnlyWithoutModifiers) {
  ThreeEdits f(esEnter);
  EXPECT_EQ(&f.last, f.After(VK_RETURN));
  EXPECT_EQ(&f.middle, f.After(VK_RETURN, 0, {VK_SHIFT}));
  EXPECT_EQ(&f.middle, f.After(VK_RETURN, 0, {VK_CONTROL}));
  EXPECT_EQ("middle", f.middle.Text());  // no line break typed
}

TEST(EditNextKeys, LeftMovesBackOnlyFromTheStart) {
  ThreeEdits f(esLeft);
  EXPECT_EQ(&f.middle, f.After(VK_LEFT, 3));
  EXPECT_EQ(2, f.middle.SelStart());
  EXPECT_EQ(&f.first, f.After(VK_LEFT, 0));
  EXPECT_EQ(&f.middle, f.After(VK_RIGHT, 6));
}

TEST(EditNextKeys, UpAndDownFollowTheirStyles) {
  ThreeEdits up(esUp);
  EXPECT_EQ(&up.first, up.After(VK_UP));
  EXPECT_EQ(&up.middle, up.After(VK_DOWN));
  ThreeEdits down(esDown);
  EXPECT_EQ(&down.last, down.After(VK_DOWN));
  EXPECT_EQ(&down.middle, down.After(VK_UP));
  ThreeEdits both(esUp | esDown);
  EXPECT_EQ(&both.first, both.After(VK_UP));
  EXPECT_EQ(&both.last, both.After(VK_DOWN));
  ThreeEdits none(0);
  EXPECT_EQ(&none.middle, none.After(VK_RETURN));
  EXPECT_EQ(&none.middle, none.After(VK_DOWN));
}

TEST(EditNextKeys, EscapeUndoesTheTyping) {
  ThreeEdits f(0);
  f.middle.SetFocus();
  SendMessageW(f.middle.Handle(), EM_SETSEL, 6, 6);
  TypeText(f.middle.Handle(), L"x");
  ASSERT_EQ("middlex", f.middle.Text());
  PressKey(f.middle.Handle(), VK_ESCAPE);
  EXPECT_EQ("middle", f.middle.Text());
  SendMessageW(f.middle.Handle(), EM_EMPTYUNDOBUFFER, 0, 0);
  PressKey(f.middle.Handle(), VK_ESCAPE);
  EXPECT_EQ("middle", f.middle.Text());
}

TEST(EditNextColours, FollowTheFocusWhileSwitchedOn) {
  ThreeEdits f(0);
  const TColor yellow = 0x00FFFF, grey = 0xC0C0C0;
  f.middle.SetNoFocusColor(grey);
  f.middle.SetFocusColor(yellow);
  EXPECT_EQ(clWindow, f.middle.Color());  // nothing applied while switched off
  f.middle.SetFocusColorChange(true);
  EXPECT_EQ(yellow, f.middle.Color());
  f.last.SetFocus();
  EXPECT_EQ(grey, f.middle.Color());
  f.middle.SetFocusColor(clRed);
  EXPECT_EQ(grey, f.middle.Color());  // shown with the next focus
  f.middle.SetFocus();
  EXPECT_EQ(clRed, f.middle.Color());
  f.middle.SetFocusColorChange(false);
  f.last.SetFocus();
  EXPECT_EQ(clRed, f.middle.Color());  // switching off restores nothing
}
