// The geometry store: the section of a form in the ini file, the desktop
// clamp, a maximized form's restored rectangle and the load modes.
#include "L_CtlSize.h"

#include <gtest/gtest.h>

#include "L_Sizeing.h"
#include "classlib/Screen.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"

namespace {

TEST(ClampToDesktop, KeepsTheWindowOnTheDesktop) {
  const RECT desk = Rect(-100, 0, 1180, 800);
  auto clamp = [&](int l, int t, int w, int h) { return ClampToDesktop(Bounds(l, t, w, h), desk); };
  RECT r = clamp(-500, -20, 300, 40);
  EXPECT_EQ(r.left, -100);
  EXPECT_EQ(r.top, 0);
  r = clamp(100, 100, 5000, 40);
  EXPECT_EQ(r.left, -100);
  EXPECT_EQ(r.right, 1180);
  r = clamp(1100, 790, 300, 40);
  EXPECT_EQ(r.right, 1180);
  EXPECT_EQ(r.bottom, 800);
  EXPECT_EQ(r.right - r.left, 300);
}

class ControlSizeTest : public ::testing::Test {
 protected:
  ControlSizeTest() : scratch("TessivarCtlSize"), ini(scratch.File("sizes.ini")) {
    form.Name = "SizedForm";
    form.SetBounds(50, 60, 320, 200);
  }
  std::string Ini() const { return ReadWholeFile(ini); }
  ScratchFolder scratch;
  std::string ini;
  TForm form;
};

TEST_F(ControlSizeTest, SavesAndRestoresTheFormClampedToTheDesktop) {
  TControlSize size;
  size.SetControl(&form);
  size.IniFile = ini;
  size.Load("N");  // nothing stored yet: the form stays
  EXPECT_EQ(size.Section(), "Sz_SizedForm");
  EXPECT_EQ(form.Left(), 50);
  form.SetBounds(70, 80, 330, 210);
  size.Save();
  const std::string text = Ini();
  EXPECT_NE(text.find("[Sz_SizedForm]"), std::string::npos) << text;
  EXPECT_NE(text.find("szWindowState=0"), std::string::npos) << text;
  EXPECT_NE(text.find("szLeft=70"), std::string::npos) << text;
  EXPECT_NE(text.find("szWidth=330"), std::string::npos) << text;

  const RECT desk = Screen.DesktopRect();
  WriteWholeFile(ini,
                 "[Other]\r\nKeep=1\r\n[Sz_SizedForm]\r\nszLeft=-9000\r\nszTop=-9000\r\nszWidth=" +
                     std::to_string(desk.right - desk.left + 500) + "\r\nszHeight=120\r\n");
  TControlSize again;
  again.SetControl(&form);
  again.IniFile = ini;
  again.LoadWithSize();
  EXPECT_EQ(form.Left(), desk.left);
  EXPECT_EQ(form.Top(), desk.top);
  EXPECT_EQ(form.Width(), desk.right - desk.left);
  EXPECT_EQ(form.Height(), 120);
  again.Save();
  EXPECT_NE(Ini().find("Keep=1"), std::string::npos);  // other sections stay
}

TEST_F(ControlSizeTest, ModeRKeepsTheSizeOfAFormWithoutASizeableBorder) {
  form.SetBorderStyle(bsNone);
  WriteWholeFile(ini, "[Sz_SizedForm]\r\nszLeft=11\r\nszTop=12\r\nszWidth=400\r\nszHeight=100\r\n");
  TControlSize size;
  size.SetControl(&form);
  size.IniFile = ini;
  size.Load("R");
  EXPECT_EQ(form.Left(), 11);
  EXPECT_EQ(form.Width(), 320);
  size.Load("N");
  EXPECT_EQ(form.Width(), 400);
  EXPECT_EQ(form.Height(), 100);
}

TEST_F(ControlSizeTest, AMaximizedFormStoresItsRestoredRectangleAndComesBackMaximized) {
  TControlSize size;
  size.SetControl(&form);
  size.IniFile = ini;
  size.Load("N");
  form.Show();
  ShowWindow(form.Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(form.Handle()));
  size.Save();
  EXPECT_NE(Ini().find("szWindowState=1"), std::string::npos) << Ini();
  EXPECT_NE(Ini().find("szLeft=50"), std::string::npos) << Ini();
  EXPECT_NE(Ini().find("szWidth=320"), std::string::npos) << Ini();
  ShowWindow(form.Handle(), SW_RESTORE);
  ASSERT_FALSE(IsZoomed(form.Handle()));
  size.Load("N");
  EXPECT_TRUE(IsZoomed(form.Handle()));
  form.Hide();
}

TEST_F(ControlSizeTest, WithoutAFileNothingIsReadOrWritten) {
  TControlSize size;
  size.SetControl(&form);
  size.Load("N");
  size.Save();
  EXPECT_TRUE(size.Section().empty());
  EXPECT_FALSE(PathExists(ini));
}

TEST_F(ControlSizeTest, ChainedIntoTheOwnerItSavesOnDestroyAndCallsTheOwnHandlers) {
  auto owner = std::make_unique<TForm>();
  owner->Name = "Owner";
  int destroyed = 0;
  owner->OnDestroy = [&](TObject*) { ++destroyed; };
  TControlSize size(owner.get());
  size.SetControl(owner.get());
  size.IniFile = ini;
  size.Manual = true;
  owner->DoCreate();
  EXPECT_TRUE(size.Section().empty());  // manual: the owner's creation loads nothing
  size.Load("N");
  owner->SetBounds(5, 6, 300, 100);
  owner->DoDestroy();
  EXPECT_EQ(destroyed, 1);
  EXPECT_NE(Ini().find("[Sz_Owner]"), std::string::npos) << Ini();
  EXPECT_NE(Ini().find("szLeft=5"), std::string::npos) << Ini();
  owner.reset();
  EXPECT_EQ(size.Control(), nullptr);  // the control went
}

}  // namespace
