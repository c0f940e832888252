#include "ticker/SKGradation.h"

#include <gtest/gtest.h>

TEST(ColorFunctions, ComponentsAreBlueGreenRedByIndex) {
  TColor c = 0x123456;  // $00BBGGRR: red 0x56, green 0x34, blue 0x12
  EXPECT_EQ(0x12, ColorComponent(0, c));
  EXPECT_EQ(0x34, ColorComponent(1, c));
  EXPECT_EQ(0x56, ColorComponent(2, c));
  EXPECT_EQ(c, MakeColor(0x56, 0x34, 0x12));
}

TEST(ColorFunctions, SystemColoursAreResolvedFirst) {
  COLORREF face = GetSysColor(COLOR_BTNFACE);
  EXPECT_EQ(GetRValue(face), ColorComponent(2, clBtnFace));
  EXPECT_EQ(GetBValue(face), ColorComponent(0, clBtnFace));
}

namespace {

class PaintablePanel : public TSKGradationP {
 public:
  using TSKGradationP::PaintWindow;
};

// Paints the panel into a bitmap of its size.
TBitmap PaintToBitmap(PaintablePanel& p) {
  TBitmap bmp(p.Width(), p.Height());
  p.PaintWindow(bmp.Canvas().Handle());
  return bmp;
}

}  // namespace

TEST(GradationPanel, CreationDefaults) {
  TSKGradationP p;
  EXPECT_EQ(265, p.Width());
  EXPECT_EQ(265, p.Height());
  EXPECT_EQ(clBlack, p.Color());
  EXPECT_EQ(0xFF0000, p.StartColor());
  EXPECT_EQ(200, p.GradationStep());
  EXPECT_TRUE(p.AutoPointSet());
  EXPECT_EQ(dHorizontal, p.Direction());
}

TEST(GradationPanel, NewsStripRunsRowByRowFromStartToEndColour) {
  // As the ticker sets its strip: no margin, one step per pixel row.
  PaintablePanel p;
  p.SetBounds(0, 0, 60, 20);
  p.SetAutoPoint(0);
  p.SetGradationStep(20);
  p.SetStartColor(0xFFFFFF);
  p.SetEndColor(0xCCCCCC);
  TBitmap bmp = PaintToBitmap(p);
  // Row y of 21 steps: 0xFF - trunc(51 * y / 21) in each component.
  const std::pair<int, TColor> rows[] = {
      {0, 0xFFFFFF}, {1, 0xFDFDFD}, {5, 0xF3F3F3}, {10, 0xE7E7E7}, {19, 0xD1D1D1}};
  for (const auto& [y, colour] : rows) {
    EXPECT_EQ(colour, bmp.Canvas().Pixel(0, y)) << "row " << y;
    EXPECT_EQ(colour, bmp.Canvas().Pixel(59, y)) << "row " << y;
  }
}

TEST(GradationPanel, MarginsKeepTheirColoursAndBandsStopAtTheEndPoint) {
  PaintablePanel p;
  p.SetBounds(0, 0, 30, 40);
  p.SetAutoPoint(5);  // start 5, end 35
  p.SetStartColor(clRed);
  p.SetEndColor(clBlue);
  TBitmap bmp = PaintToBitmap(p);
  EXPECT_EQ(5, p.StartPoint());
  EXPECT_EQ(35, p.EndPoint());
  EXPECT_EQ(clRed, bmp.Canvas().Pixel(10, 0));
  EXPECT_EQ(clRed, bmp.Canvas().Pixel(10, 5));
  EXPECT_EQ(clBlue, bmp.Canvas().Pixel(10, 36));
  EXPECT_EQ(clBlue, bmp.Canvas().Pixel(10, 39));
  EXPECT_NE(clRed, bmp.Canvas().Pixel(10, 30));
}

TEST(GradationPanel, VerticalBandsRunLeftToRight) {
  PaintablePanel p;
  p.SetBounds(0, 0, 50, 10);
  p.SetAutoPoint(0);
  p.SetGradationStep(50);
  p.SetDirection(dVertical);
  p.SetStartColor(clBlack);
  p.SetEndColor(clWhite);
  // Auto points follow the height for either direction.
  p.SetAutoPointSet(false);
  p.SetStartPoint(0);
  p.SetEndPoint(50);
  TBitmap bmp = PaintToBitmap(p);
  EXPECT_EQ(clBlack, bmp.Canvas().Pixel(0, 5));
  EXPECT_EQ(0x7D7D7D, bmp.Canvas().Pixel(25, 5));  // trunc(255 * 25 / 51)
  EXPECT_EQ(bmp.Canvas().Pixel(25, 0), bmp.Canvas().Pixel(25, 9));
}

TEST(GradationPanel, EqualColoursPaintAPlainPanelAndStillCallOnPaint) {
  PaintablePanel p;
  p.SetBounds(0, 0, 20, 20);
  p.SetBevelOuter(bvNone);
  p.SetStartColor(0x336699);
  p.SetEndColor(0x336699);
  int calls = 0;
  p.OnPaint = [&](TObject* s) {
    EXPECT_EQ(&p, s);
    ++calls;
  };
  TBitmap bmp = PaintToBitmap(p);
  EXPECT_EQ(1, calls);
  EXPECT_EQ(0x336699, bmp.Canvas().Pixel(0, 0));
  EXPECT_EQ(0x336699, bmp.Canvas().Pixel(19, 19));
  p.SetStartColor(clWhite);
  PaintToBitmap(p);
  EXPECT_EQ(2, calls);
}

TEST(GradationPanel, ASystemStartColourIsInterpolatedAsItsRgbValue) {
  PaintablePanel p;
  p.SetBounds(0, 0, 10, 10);
  p.SetAutoPoint(0);
  p.SetGradationStep(10);
  p.SetStartColor(clBtnFace);
  p.SetEndColor(clBlack);
  TBitmap bmp = PaintToBitmap(p);
  EXPECT_EQ((TColor)GetSysColor(COLOR_BTNFACE), bmp.Canvas().Pixel(0, 0));
}

TEST(GradationPanel, PointSettersKeepStartAndEndApart) {
  TSKGradationP p;
  p.SetBounds(0, 0, 100, 30);
  p.SetEndPoint(p.StartPoint());
  EXPECT_EQ(30, p.EndPoint());
  p.SetStartPoint(p.EndPoint());
  EXPECT_EQ(0, p.StartPoint());
}

TEST(GradationPanel, EndColourIsAlsoThePanelColour) {
  TSKGradationP p;
  p.SetEndColor(0x00CCCC);
  EXPECT_EQ(0x00CCCC, p.Color());
}
