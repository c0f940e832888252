// This test program carries a manifest: the version 6 common controls and
// the visual styles are in use, as in TessivarSetup.
#include "controls/L_Theme.h"

#include <gtest/gtest.h>

#include "common/TestMessages.h"
#include "common/TestShots.h"
#include "shared/S_UxTheme.h"
#include "support/Gallery.h"

namespace {

struct ClassicForTest {
  ClassicForTest() { SetThemesInUseForTest(0); }
  ~ClassicForTest() { SetThemesInUseForTest(-1); }
};

// The leftmost column with a dark pixel of a button painted into a bitmap.
int FirstDarkColumn(TSpeedButton& b) {
  TBitmap bmp(b.Width(), b.Height());
  b.PaintTo(bmp.Canvas().Handle());
  for (int x = 0; x < b.Width(); ++x)
    for (int y = 3; y < b.Height() - 3; ++y)
      if ((bmp.Canvas().Pixel(x, y) & 0xC0C0C0) == 0) return x;
  return -1;
}

// How many pixels two shots of one window differ in.
int DifferingPixels(const WindowShot& a, const WindowShot& b) {
  if (a.Width != b.Width || a.Height != b.Height) return a.Width * a.Height;
  int n = 0;
  for (size_t i = 0; i < a.Pixels.size(); ++i) n += a.Pixels[i] != b.Pixels[i];
  return n;
}

}  // namespace

TEST(TabSheetEx, IsWhiteUnderVisualStylesOnly) {
  ASSERT_TRUE(ThemesInUse());
  Gallery& g = TheGallery();
  EXPECT_EQ(clWhite, g.Sheet.Color());
  ClassicForTest classic;
  TTabSheetEx plain;
  plain.Create(TTabSheetArgs().Parent(&g.Pages).Caption("x"));
  EXPECT_EQ(clBtnFace, plain.Color());
}

TEST(SpeedButtonThemed, APressedButtonsCaptionMovesOneDownAndRight) {
  Gallery& g = TheGallery();
  int up = FirstDarkColumn(g.GroupB);
  g.GroupB.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  int pressed = FirstDarkColumn(g.GroupB);
  g.GroupB.Perform(WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
  ASSERT_GT(up, 0);
  EXPECT_EQ(up + 1, pressed);
}

TEST(SpeedButtonThemed, EveryButtonTurnsHotButNotUnderACapture) {
  Gallery& g = TheGallery();
  g.Plain.Perform(CM_MOUSEENTER);
  EXPECT_TRUE(g.Plain.MouseInControl());
  g.Plain.Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(g.Plain.MouseInControl());
  SetCapture(g.Handle());
  g.Plain.Perform(CM_MOUSEENTER);
  EXPECT_FALSE(g.Plain.MouseInControl());
  ReleaseCapture();
  ClassicForTest classic;
  g.Plain.Perform(CM_MOUSEENTER);
  EXPECT_FALSE(g.Plain.MouseInControl());  // classic, not flat: no hot look
  g.Flat.Perform(CM_MOUSEENTER);
  EXPECT_TRUE(g.Flat.MouseInControl());
}

TEST(SpeedButtonThemed, LeavingDuringAPressKeepsTheHotLookUntilTheRelease) {
  Gallery& g = TheGallery();
  SetCursorPos(0, 0);
  g.Plain.Perform(CM_MOUSEENTER);
  g.Plain.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  g.Plain.Perform(CM_MOUSELEAVE);
  EXPECT_TRUE(g.Plain.MouseInControl());
  g.Plain.Perform(WM_LBUTTONUP, 0, MAKELPARAM(500, 500));
  EXPECT_FALSE(g.Plain.MouseInControl());  // the re-check finds the cursor elsewhere
}

TEST(Looks, GalleryThemedAndClassic) {
  Gallery& g = TheGallery();
  g.Spin.SetFocus();
  const WindowShot themed = ShootWindow(g.Handle());
  SaveShot(themed, "gallery-themed");
  g.Drop.SetFocus();
  g.Drop.DropDown();
  const WindowShot dropped = ShootWindow(g.Handle());
  SaveShot(dropped, "gallery-themed-dropped");
  g.Drop.CloseUp(false);
  g.Date.SetFocus();
  g.Date.DropDown();
  const WindowShot calendar = ShootWindow(g.Handle());
  SaveShot(calendar, "gallery-themed-calendar");
  g.Date.CloseUp(false);
  ClassicForTest classic;
  g.Spin.SetFocus();
  const WindowShot plain = ShootWindow(g.Handle());
  SaveShot(plain, "gallery-classic-parts");
  // Each step must show on the screen: an open list, an open calendar, and
  // parts drawn without the theme.
  EXPECT_GT(DifferingPixels(themed, dropped), 200);
  EXPECT_GT(DifferingPixels(themed, calendar), 200);
  EXPECT_GT(DifferingPixels(themed, plain), 20);
}
