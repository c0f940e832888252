#include "classlib/Edit.h"

#include <gtest/gtest.h>

#include "classlib/ComboBox.h"
#include "classlib/Forms.h"
#include "shared/S_UxTheme.h"

namespace {

struct EditForm : TForm {
  TEdit edit;
  int changes = 0;
  explicit EditForm(int maxLength, bool readOnly = false) {
    Create(TFormArgs().ClientSize(200, 60));
    edit.Create(TEditArgs()
                    .Place(this, 4, 4, 150)
                    .MaxLength(maxLength)
                    .ReadOnly(readOnly)
                    .OnChange([this](TObject*) { ++changes; }));
    Handle();
  }
  HWND Window() { return edit.Handle(); }
  void Type(const std::wstring& text) {
    for (wchar_t c : text) SendMessageW(Window(), WM_CHAR, c, 1);
  }
};

// The version the edit windows report must not matter: they count characters.
class EditByteLimit : public testing::TestWithParam<int> {
 protected:
  void SetUp() override { SetComCtl32VersionForTest(GetParam()); }
  void TearDown() override { SetComCtl32VersionForTest(-1); }
};

}  // namespace

TEST_P(EditByteLimit, TypedDoubleByteCharactersBeyondTheLimitAreRemovedAgain) {
  EditForm f(3);
  f.Type(L"abc");
  EXPECT_EQ("abc", f.edit.Text());
  f.edit.SetText("");
  f.Type(L"ab");
  int changes = f.changes;
  f.Type(L"あ");
  EXPECT_EQ("ab", f.edit.Text());
  EXPECT_EQ(changes + 1, f.changes);  // one change for the keystroke
  EXPECT_EQ(2, f.edit.SelStart());
}

TEST_P(EditByteLimit, PastedTextLosesWhatWentBeyondBeforeTheCaret) {
  EditForm f(4);
  f.edit.SetText("ab");
  SendMessageW(f.Window(), EM_SETSEL, 1, 1);
  SendMessageW(f.Window(), EM_REPLACESEL, TRUE, (LPARAM)L"あい");
  EXPECT_EQ("aあb", f.edit.Text());
  EXPECT_EQ(2, f.edit.SelStart());
}

INSTANTIATE_TEST_SUITE_P(CommonControls, EditByteLimit, testing::Values((5 << 16) | 81, 6 << 16));

TEST(EditByteLimitCases, TextSetByTheProgramIsCutFromItsEnd) {
  EditForm f(5);
  f.edit.SetText("あいうえ");
  EXPECT_EQ("あい", f.edit.Text());
  EditForm readOnly(3, true);
  readOnly.edit.SetText("あいう");
  EXPECT_EQ("あいう", readOnly.edit.Text());
}

TEST(EditByteLimitCases, ASelectionFromTheStartStaysAtTheStart) {
  EditForm f(0);
  f.edit.SetText("あいう");
  SendMessageW(f.Window(), EM_SETSEL, 0, 2);
  EXPECT_TRUE(KeepByteLimit(f.Window(), 3));
  EXPECT_EQ("あ", f.edit.Text());
  EXPECT_EQ(0, f.edit.SelStart());
  EXPECT_EQ(1, f.edit.SelLength());
  EXPECT_FALSE(KeepByteLimit(f.Window(), 3));
}

TEST(EditByteLimitCases, ComboBoxesWithAnEditFieldKeepTheLimit) {
  TForm f;
  f.Handle();
  TComboBox box, list;
  box.Create(TComboBoxArgs().Place(&f, 4, 4, 100).MaxLength(3));
  list.Create(
      TComboBoxArgs().Place(&f, 4, 30, 100).Style(csDropDownList).MaxLength(3).Items({"あいう"}));
  HWND edit = box.EditHandle();
  ASSERT_NE(nullptr, edit);
  for (wchar_t c : std::wstring(L"abあ")) SendMessageW(edit, WM_CHAR, c, 1);
  EXPECT_EQ("ab", box.Text());
  box.SetText("あいう");
  EXPECT_EQ("あ", box.Text());
  list.SetItemIndex(0);
  EXPECT_EQ("あいう", list.Text());
}
