#include "controls/L_panel.h"

#include <gtest/gtest.h>

#include <vector>

#include "classlib/Forms.h"
#include "controls/L_CCmbo.h"
#include "support/Keys.h"

namespace {

struct ShortcutForm : TForm {
  TEditNext edit;
  TFocusControl focus;
  std::vector<std::string> seen;
  ShortcutForm() {
    Create(TFormArgs().ClientSize(200, 80));
    edit.Create(TEditNextArgs().Place(this, 8, 8));
    focus.Create(TWinControlArgs()
                     .Place(this, 0, 69, 200, 11)
                     .OnEnter([this](TObject*) { seen.push_back("enter"); })
                     .OnExit([this](TObject*) { seen.push_back("exit"); })
                     .OnKeyDown([this](TObject*, WORD& key, TShiftState) {
                       seen.push_back("key " + std::to_string(key));
                     }));
    Show();
  }
  void Reset() {
    edit.SetFocus();
    seen.clear();
  }
  bool IsShortCut(WORD key, TShiftState s) override {
    if (key != VK_F5) return false;
    seen.push_back("shortcut");
    (void)s;
    return true;
  }
};

// Shown once: Wine takes two seconds to take a shown window away.
ShortcutForm& Form() {
  static ShortcutForm* form = new ShortcutForm;
  form->Reset();
  return *form;
}

}  // namespace

TEST(FocusControl, TabAndTheArrowsReachItsKeyEventsAndMoveNoFocus) {
  ShortcutForm& f = Form();
  f.focus.SetFocus();
  PressKey(f.focus.Handle(), VK_TAB);
  PressKey(f.focus.Handle(), VK_DOWN);
  EXPECT_EQ(f.focus.Handle(), GetFocus());
  EXPECT_EQ((std::vector<std::string>{"enter", "key 9", "key 40"}), f.seen);
}

TEST(FocusControl, FormShortcutsStillWorkAndEveryFocusChangeIsReported) {
  ShortcutForm& f = Form();
  f.focus.SetFocus();
  PressKey(f.focus.Handle(), VK_F5);
  f.edit.SetFocus();
  f.focus.SetFocus();
  EXPECT_EQ((std::vector<std::string>{"enter", "shortcut", "key 116", "exit", "enter"}), f.seen);
}
