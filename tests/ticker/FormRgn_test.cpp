// The window region from a skin picture: the runs of opaque pixels and the
// region a window gets from them.
#include "FormRgn.h"

#include <gtest/gtest.h>

#include "common/PopupControl.h"
#include "common/TestImages.h"

namespace {

const COLORREF kCut = RGB(255, 0, 255);

TBitmap Picture(int w, int h, const std::function<COLORREF(int x, int y)>& topDown) {
  std::string bytes = BmpBytes(w, h, [&](int x, int y) { return topDown(x, h - 1 - y); });
  TBitmap b;
  b.LoadFromMemory(bytes.data(), bytes.size());
  return b;
}

TEST(OpaqueRuns, AllTransparentGivesNothing) {
  TBitmap b = Picture(20, 10, [](int, int) { return kCut; });
  EXPECT_TRUE(OpaqueRuns(b, clFuchsia).empty());
}

TEST(OpaqueRuns, AnOpaquePictureLosesRowZeroAndColumnZero) {
  TBitmap b = Picture(5, 4, [](int, int) { return RGB(1, 2, 3); });
  std::vector<RECT> runs = OpaqueRuns(b, clFuchsia);
  ASSERT_EQ(runs.size(), 3u);
  for (int y = 1; y < 4; ++y) {
    const RECT& r = runs[y - 1];
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.top, y);
    EXPECT_EQ(r.bottom, y + 1);
  }
}

TEST(OpaqueRuns, TwoStretchesOfARowGiveTwoRuns) {
  // Row 1: cut, opaque x 3, cut x 2, opaque x 2 (to the right edge).
  TBitmap b = Picture(8, 2, [](int x, int y) {
    if (y == 0) return kCut;
    return x == 0 || x == 4 || x == 5 ? kCut : RGB(0, 0, 0);
  });
  std::vector<RECT> runs = OpaqueRuns(b, clFuchsia);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].left, 1);
  EXPECT_EQ(runs[0].right, 4);
  EXPECT_EQ(runs[1].left, 6);
  EXPECT_EQ(runs[1].right, 8);
}

TEST(FormRgn, TheParentWindowTakesTheShapeOfThePicture) {
  PopupControl window;
  window.SetBounds(0, 0, 60, 30);
  ASSERT_TRUE(window.Handle());
  TFormRgn skin;
  skin.SetParent(&window);
  skin.SetAutoSize(true);
  // A magenta frame of 5 pixels round an opaque middle.
  std::string bytes = BmpBytes(40, 20, [](int x, int y) {
    return x < 5 || y < 5 || x >= 35 || y >= 15 ? kCut : RGB(10, 20, 30);
  });
  ASSERT_TRUE(skin.Picture().LoadFromMemory(bytes.data(), bytes.size()));
  skin.SetLeft(3);
  skin.BuildRegion();
  skin.ApplyRegion();
  RECT box;
  ASSERT_EQ(GetWindowRgnBox(window.Handle(), &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 3 + 5);
  EXPECT_EQ(box.top, 5);
  EXPECT_EQ(box.right, 3 + 35);
  EXPECT_EQ(box.bottom, 15);
  // Applying gives a copy: the control keeps its own region.
  EXPECT_NE(skin.Region(), nullptr);
  skin.BuildRegion();
  skin.ApplyRegion();
  EXPECT_EQ(GetWindowRgnBox(window.Handle(), &box), SIMPLEREGION);
}

}  // namespace
