// Alt+letter on a form acts on the control whose caption marks the letter.
#include "classlib/Accelerators.h"

#include <gtest/gtest.h>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"

TEST(AcceleratorChar, TheLetterAfterASingleAmpersand) {
  EXPECT_EQ('R', AcceleratorChar("閉じる(&R)"));
  EXPECT_EQ('O', AcceleratorChar("OPML出力(&o)"));
  EXPECT_EQ('X', AcceleratorChar("A&&B &x"));
  EXPECT_EQ(0, AcceleratorChar("A&&B"));
  EXPECT_EQ(0, AcceleratorChar("末尾&"));
  EXPECT_EQ(0, AcceleratorChar("加速"));
}

TEST(Accelerators, LabelsFocusTheirFieldButtonsAndBoxesAct) {
  TForm form;
  form.Handle();
  form.Show();
  TEdit field;
  field.Create(TEditArgs().Place(&form, 100, 8, 80));
  TLabel caption;
  caption.Create(TLabelArgs().Place(&form, 8, 8).Caption("名前(&N):").FocusControl(&field));
  int clicks = 0;
  TButton close;
  close.Create(TButtonArgs().Place(&form, 8, 40, 80, 25).Caption("閉じる(&R)").OnClick([&](TObject*) { ++clicks; }));
  TCheckBox box;
  box.Create(TCheckBoxArgs().Place(&form, 8, 70, 80, 19).Caption("加速(&K)").TabStop(true));
  TPanel hidden;
  hidden.Create(TPanelArgs().Place(&form, 0, 100, 50, 50).Visible(false));
  int hiddenClicks = 0;
  TButton behind;
  behind.Create(TButtonArgs().Place(&hidden, 0, 0, 40, 20).Caption("&Z").OnClick([&](TObject*) { ++hiddenClicks; }));

  EXPECT_TRUE(form.IsShortCut('N', ssAlt));
  EXPECT_TRUE(field.Focused());
  EXPECT_TRUE(form.IsShortCut('R', ssAlt));
  EXPECT_EQ(1, clicks);
  EXPECT_TRUE(form.IsShortCut('K', ssAlt));
  EXPECT_TRUE(box.Checked());
  EXPECT_FALSE(form.IsShortCut('Z', ssAlt));
  EXPECT_EQ(0, hiddenClicks);
  EXPECT_FALSE(form.IsShortCut('R', 0));
  EXPECT_FALSE(form.IsShortCut('Q', ssAlt));
  EXPECT_EQ(1, clicks);
}
