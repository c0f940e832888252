#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "classlib/Application.h"
#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/StdCtrls.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"
#include "common/TestImages.h"
#include "common/TestMessages.h"

namespace {

std::string TempPath(const std::string& name) { return TempFolderPath() + name; }

// A 24-bit BMP whose pixels are red left of the middle, else blue.
std::string MakeBmp(int w, int h) {
  return BmpBytes(w, h, [w](int x, int) { return x < w / 2 ? RGB(255, 0, 0) : RGB(0, 0, 255); });
}

std::string MakeJpeg(int w, int h) { return JpegBytes(w, h, RGB(0, 200, 0), 90); }

// Counts the pixels of a window that are close to colour c.
int CountPixels(HWND h, COLORREF c, std::vector<bool>* mask = nullptr) {
  RECT r;
  GetClientRect(h, &r);
  WindowDC wdc(h);
  TBitmap shot(r.right, r.bottom);
  BitBlt(shot.Canvas().Handle(), 0, 0, r.right, r.bottom, wdc.get(), 0, 0, SRCCOPY);
  GdiFlush();
  int n = 0;
  if (mask) mask->assign(r.right * r.bottom, false);
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) {
      const unsigned char* p = shot.Bits() + y * shot.Stride() + x * 3;
      bool hit = abs(p[2] - GetRValue(c)) < 60 && abs(p[1] - GetGValue(c)) < 60 && abs(p[0] - GetBValue(c)) < 60;
      if (hit) ++n;
      if (mask) (*mask)[y * r.right + x] = hit;
    }
  return n;
}

}  // namespace

TEST(Pictures, BitmapFileLoadsWithItsSizeAndPixels) {
  std::string path = TempPath("classlib_test.bmp");
  WriteWholeFile(path, MakeBmp(7, 5));
  TPicture pic;
  ASSERT_TRUE(pic.LoadFromFile(path));
  EXPECT_EQ(pic.Width(), 7);
  EXPECT_EQ(pic.Height(), 5);
  TBitmap& b = pic.Bitmap();
  EXPECT_EQ(b.Canvas().Pixel(0, 0), (TColor)RGB(255, 0, 0));
  EXPECT_EQ(b.Canvas().Pixel(6, 4), (TColor)RGB(0, 0, 255));
  // Bottom-left pixel is the automatic transparent colour.
  EXPECT_EQ(b.EffectiveTransparentColor(), (TColor)RGB(255, 0, 0));
  DeleteFileW(SjisToWide(path).c_str());
}

TEST(Pictures, JpegFileDecodesThroughLibjpeg) {
  std::string path = TempPath("classlib_test.jpg");
  WriteWholeFile(path, MakeJpeg(33, 17));
  TPicture pic;
  ASSERT_TRUE(pic.LoadFromFile(path));
  EXPECT_EQ(pic.Width(), 33);
  EXPECT_EQ(pic.Height(), 17);
  ASSERT_NE(dynamic_cast<TJPEGImage*>(pic.Graphic()), nullptr);
  COLORREF c = (COLORREF)pic.Bitmap().Canvas().Pixel(10, 10);
  EXPECT_NEAR(GetGValue(c), 200, 10);
  EXPECT_LT(GetRValue(c), 20);
  DeleteFileW(SjisToWide(path).c_str());
}

TEST(Pictures, MissingOrBrokenFilesGiveAnEmptyPicture) {
  TPicture pic;
  EXPECT_FALSE(pic.LoadFromFile(TempPath("no_such_picture.bmp")));
  EXPECT_TRUE(pic.Empty());

  std::string bmp = MakeBmp(40, 40);
  bmp.resize(200);  // truncated pixel data
  std::string path = TempPath("classlib_broken.bmp");
  WriteWholeFile(path, bmp);
  EXPECT_FALSE(pic.LoadFromFile(path));
  EXPECT_TRUE(pic.Empty());

  std::string jpg = MakeJpeg(16, 16);
  jpg.resize(30);  // the header alone, cut short
  std::string jpath = TempPath("classlib_broken.jpg");
  WriteWholeFile(jpath, jpg);
  EXPECT_FALSE(pic.LoadFromFile(jpath));
  EXPECT_TRUE(pic.Empty());

  std::string garbage = TempPath("classlib_garbage.ico");
  WriteWholeFile(garbage, std::string("\x01\x02\x03\x04\x05\x06\x07"));
  EXPECT_FALSE(pic.LoadFromFile(garbage));
  for (const std::string& p : {path, jpath, garbage}) DeleteFileW(SjisToWide(p).c_str());
}

TEST(Pictures, ImageDrawsItsPictureStretched) {
  TForm f;
  f.SetBorderStyle(bsNone);
  f.SetBounds(50, 50, 100, 60);
  TImage img;
  img.SetParent(&f);
  img.SetAlign(alClient);
  img.SetStretch(true);
  std::string bmp = MakeBmp(4, 4);
  ASSERT_TRUE(img.Picture().LoadFromMemory(bmp.data(), bmp.size()));
  f.Show();
  UpdateWindow(f.Handle());
  PumpMessagesFor(100);
  int red = CountPixels(f.Handle(), RGB(255, 0, 0));
  int blue = CountPixels(f.Handle(), RGB(0, 0, 255));
  EXPECT_GT(red, 2500);
  EXPECT_GT(blue, 2500);
}

TEST(Fonts, JapaneseFaceNamesResolveToAFaceWithJapaneseGlyphs) {
  for (const char* name : {"ＭＳ Ｐゴシック", "MS UI Gothic", "ＭＳ ゴシック", "Default"}) {
    TFont font;
    font.SetName(name);
    WindowDC dc;
    SelectObjectScope use(dc.get(), font.Handle());
    WORD glyphs[2] = {0, 0};
    GetGlyphIndicesW(dc.get(), L"\u65e5\u672c", 2, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    EXPECT_NE(glyphs[0], 0xFFFF) << name;
    EXPECT_NE(glyphs[1], 0xFFFF) << name;
  }
}

TEST(Fonts, SizeAndHeightAgreeAtScreenResolution) {
  TFont font;
  EXPECT_EQ(font.Height(), -12);
  ASSERT_EQ(96, Screen.PixelsPerInch()) << "the test screen runs at 96 dpi";
  font.SetSize(12);
  EXPECT_EQ(-16, font.Height());
  font.SetSize(9);
  EXPECT_EQ(-12, font.Height());
}

namespace {
struct LabelForm : TForm {
  TLabel label;
  LabelForm(const std::string& text) {
    SetBorderStyle(bsNone);
    SetBounds(40, 40, 360, 60);
    SetColor(clWhite);
    label.SetParent(this);
    label.SetBounds(8, 8, 340, 40);
    label.SetAutoSize(false);
    label.SetTransparent(true);
    label.Font().SetName("ＭＳ Ｐゴシック");
    label.Font().SetSize(20);
    label.Font().SetColor(clRed);
    label.SetCaption(text);
  }
};
}  // namespace

TEST(Fonts, PaintedLabelShowsJapaneseGlyphsNotBoxes) {
  std::vector<bool> first, second;
  int inkFirst, inkSecond;
  {
    LabelForm f("日");
    f.Show();
    UpdateWindow(f.Handle());
    PumpMessagesFor(50);
    inkFirst = CountPixels(f.Handle(), RGB(255, 0, 0), &first);
  }
  {
    LabelForm f("本");
    f.Show();
    UpdateWindow(f.Handle());
    PumpMessagesFor(50);
    inkSecond = CountPixels(f.Handle(), RGB(255, 0, 0), &second);
  }
  EXPECT_GT(inkFirst, 20);
  EXPECT_GT(inkSecond, 20);
  // Missing glyphs would draw the same box twice.
  EXPECT_NE(first, second);

  LabelForm f("日本語のニュースティッカー");
  f.Show();
  UpdateWindow(f.Handle());
  PumpMessagesFor(50);
  EXPECT_GT(CountPixels(f.Handle(), RGB(255, 0, 0)), 200);
  if (const char* hold = getenv("CLASSLIB_HOLD_MS")) PumpMessagesFor((DWORD)atoi(hold));
}

TEST(Canvas, TextWidthGrowsWithTheText) {
  TCanvas c;
  c.Font.SetName("ＭＳ Ｐゴシック");
  int one = c.TextWidth("日");
  EXPECT_GT(one, 5);
  EXPECT_GT(c.TextWidth("日本語"), 2 * one);
  EXPECT_EQ(c.TextWidth(""), 0);
}
