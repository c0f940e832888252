#include "ticker/L_OrvanelCompo.h"

#include <gtest/gtest.h>

#include <string>

#include "common/TestMessages.h"

namespace {

int TextWidthIn(const TFont& font, const std::string& s) {
  TBitmap bmp(1, 1);
  bmp.Canvas().Font = font;
  return bmp.Canvas().TextWidth(s);
}

class CountingLabel : public TOrvanelLabel {
 public:
  int invalidations = 0;
  void Invalidate() override {
    ++invalidations;
    TOrvanelLabel::Invalidate();
  }
};

const char kHead[] = "ニュースの見出し";

// A title in red, its date and feed name in blue.
void TwoColourTitle(TOrvanelLabel& label, const std::string& tail) {
  label.Font().SetColor(clRed);
  label.SetCommentColor(clBlue);
  label.SetTitleLength((int)std::string(kHead).size());
  label.SetTitle(kHead + tail);
}

// Paints a label into a white bitmap of its size.
TBitmap Paint(TOrvanelLabel& label) {
  TBitmap bmp(label.Width(), label.Height());
  label.PaintTo(bmp.Canvas().Handle());
  return bmp;
}

// Text is smoothed: a pixel counts as red (or blue) when that channel
// dominates clearly.
bool Near(TColor pixel, TColor c) {
  for (int shift : {0, 8, 16}) {
    int p = (pixel >> shift) & 0xFF, want = (c >> shift) & 0xFF;
    if (want ? p < 0x90 : p > 0x60) return false;
  }
  return true;
}

bool ColumnsHold(TBitmap& bmp, int x0, int x1, TColor c) {
  for (int x = x0; x < x1; ++x)
    for (int y = 0; y < bmp.Height(); ++y)
      if (Near(bmp.Canvas().Pixel(x, y), c)) return true;
  return false;
}

}  // namespace

TEST(OrvanelLabelFit, ATooLongTitleShowsTheLongestPrefixThatFitsWithDots) {
  TOrvanelLabel label;
  const std::string title = "あいうえおかきくけこ";  // ten double-byte characters
  const int w6 = TextWidthIn(label.Font(), "あいうえおか");
  label.SetBounds(0, 0, w6 + TextWidthIn(label.Font(), " ...") + 8, 20);
  label.SetTitle(title);
  EXPECT_EQ("あいうえおか ...", label.DisplayText());
  EXPECT_EQ(title, label.Title());
}

TEST(OrvanelLabelFit, AFittingTitleAndScrollModeAreNotCut) {
  TOrvanelLabel label;
  label.SetBounds(0, 0, 40, 20);
  label.SetTitle("x");
  EXPECT_EQ("x", label.DisplayText());
  label.SetScrollMode(true);
  label.SetTitle("a title far too long for forty pixels");
  EXPECT_EQ("a title far too long for forty pixels", label.DisplayText());
}

TEST(OrvanelLabelFit, WhenNothingFitsTheFirstCharacterStandsAlone) {
  TOrvanelLabel label;
  label.SetBounds(0, 0, 10, 20);
  label.SetTitle("日本語のニュース");
  EXPECT_EQ("日", label.DisplayText());
}

TEST(OrvanelLabelFit, APictureNarrowsTheTextAndResizingRefits) {
  TOrvanelLabel label;
  const std::string title = "abcdefghijklmnopqrstuvwxyz";
  label.SetBounds(0, 0, TextWidthIn(label.Font(), title) + 8, 20);
  label.SetTitle(title);
  EXPECT_EQ(title, label.DisplayText());
  TBitmap icon(16, 16);
  label.Picture().Assign(&icon);
  EXPECT_NE(title, label.DisplayText());
  label.Picture().Clear();
  EXPECT_EQ(title, label.DisplayText());
  label.SetWidth(30);
  EXPECT_NE(title, label.DisplayText());
}

TEST(OrvanelLabelFit, SettingTheSameTitleDoesNotRepaint) {
  CountingLabel label;
  label.SetBounds(0, 0, 100, 20);
  label.SetTitle("news");
  int before = label.invalidations;
  label.SetTitle("news");
  EXPECT_EQ(before, label.invalidations);
  label.SetTitle("other");
  EXPECT_GT(label.invalidations, before);
}

TEST(OrvanelLabelPaint, TitleInFontColourDateAndFeedInCommentColour) {
  TOrvanelLabel label;
  label.SetBounds(0, 0, 300, 20);
  label.SetLayout(tlCenter);
  label.SetTransparent(false);
  label.SetColor(clWhite);
  TwoColourTitle(label, "　12/08 9:05 Feed");
  const std::string head = kHead;
  TBitmap bmp = Paint(label);
  const int split = 4 + TextWidthIn(label.Font(), head);
  EXPECT_TRUE(ColumnsHold(bmp, 4, split, clRed));
  EXPECT_FALSE(ColumnsHold(bmp, 0, split, clBlue));
  EXPECT_TRUE(ColumnsHold(bmp, split, 300, clBlue));
  EXPECT_FALSE(ColumnsHold(bmp, split, 300, clRed));
}

TEST(OrvanelLabelPaint, NoTitleLengthDrawsAllInTheFontColour) {
  TOrvanelLabel label;
  label.SetBounds(0, 0, 200, 20);
  label.SetLayout(tlCenter);
  label.Font().SetColor(clRed);
  label.SetCommentColor(clBlue);
  label.SetTitle("plain title 12/08");
  TBitmap bmp = Paint(label);
  EXPECT_TRUE(ColumnsHold(bmp, 0, 200, clRed));
  EXPECT_FALSE(ColumnsHold(bmp, 0, 200, clBlue));
}

TEST(OrvanelLabelPaint, ThePictureIsCentredAtTheLeftAndTheTextFollowsIt) {
  TOrvanelLabel label;
  label.SetBounds(0, 0, 200, 20);
  label.SetLayout(tlCenter);
  label.Font().SetColor(clRed);
  label.SetTextPos(5);
  TBitmap icon(8, 8);
  icon.Canvas().Brush.Color = clLime;
  icon.Canvas().FillRect(Rect(0, 0, 8, 8));
  icon.TransparentMode = tmFixed;
  icon.TransparentColor = clFuchsia;
  label.Picture().Assign(&icon);
  label.SetTitle("info");
  TBitmap bmp = Paint(label);
  EXPECT_EQ(clLime, bmp.Canvas().Pixel(5, 6));
  EXPECT_EQ(clLime, bmp.Canvas().Pixel(12, 13));
  EXPECT_NE(clLime, bmp.Canvas().Pixel(5, 3));
  EXPECT_FALSE(ColumnsHold(bmp, 0, 5 + 8 + 3 + 4, clRed));
  EXPECT_TRUE(ColumnsHold(bmp, 5 + 8 + 3 + 4, 200, clRed));
}

TEST(OrvanelLabel, FrameColourDefaults) {
  TOrvanelLabel label;
  EXPECT_EQ(clBlack, label.Top3D);
  EXPECT_EQ(clWhite, label.Bottom3D);
  EXPECT_EQ(clBlack, label.CommentColor());
}

namespace {

class PopupHost : public TWinControl {
 protected:
  void CreateParams(TCreateParams& p) override {
    TWinControl::CreateParams(p);
    p.Style = WS_POPUP | WS_VISIBLE;
    p.WndParent = nullptr;
  }
};

struct ButtonFixture : ::testing::Test {
  void SetUp() override {
    host.SetBounds(300, 300, 100, 40);
    host.HandleNeeded();
    for (TOrvanelSpeedButton* b : {&a, &b}) {
      b->SetParent(&host);
      b->SetFlat(true);
    }
    a.SetBounds(0, 0, 22, 22);
    b.SetBounds(30, 0, 22, 22);
    a.OnClick = [this](TObject*) { ++clicks; };
  }
  void Press(TOrvanelSpeedButton& btn) {
    btn.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    btn.Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  PopupHost host;
  TOrvanelSpeedButton a, b;
  int clicks = 0;
};

}  // namespace

TEST_F(ButtonFixture, TwoPressesWithin100msGiveOneAction) {
  Press(a);
  Press(a);
  EXPECT_EQ(1, clicks);
  Sleep(150);
  Press(a);
  EXPECT_EQ(2, clicks);
}

TEST_F(ButtonFixture, AMenuOpenedFromTheButtonEndsWithoutAClickWhenTheMouseLeft) {
  int menus = 0;
  a.OnMenuPopup = [&](TObject* s) {
    EXPECT_EQ(&a, s);
    ++menus;
    SetCursorPos(5, 5);  // the menu took the mouse elsewhere
  };
  a.Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(1, menus);
  EXPECT_EQ(0, clicks);
  EXPECT_EQ(bsUp, a.State());
  EXPECT_FALSE(a.MouseInControl());
}

TEST_F(ButtonFixture, EnteringAnotherButtonLeavesTheFirst) {
  POINT over = a.ClientToScreen(POINT{5, 5});
  SetCursorPos(over.x, over.y);
  a.Perform(CM_MOUSEENTER);
  ASSERT_TRUE(a.MouseInControl());
  over = b.ClientToScreen(POINT{5, 5});
  SetCursorPos(over.x, over.y);
  b.Perform(CM_MOUSEENTER);
  EXPECT_FALSE(a.MouseInControl());
  EXPECT_TRUE(b.MouseInControl());
}

TEST_F(ButtonFixture, TheHoverWatchLeavesAButtonTheMouseSlippedOff) {
  POINT over = a.ClientToScreen(POINT{5, 5});
  SetCursorPos(over.x, over.y);
  a.Perform(CM_MOUSEENTER);
  ASSERT_TRUE(a.MouseInControl());
  SetCursorPos(5, 5);  // off the host, no leave message sent
  PumpUntil([&] { return !a.MouseInControl(); }, 2000);
  EXPECT_FALSE(a.MouseInControl());
}

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "classlib/Application.h"
#include "classlib/Forms.h"
#include "ticker/SKGradation.h"

namespace {

// Writes a 24-bit top-down bitmap file (for looking at a failed run).
void SaveBitmap(TBitmap& bmp, const char* path) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return;
  const int stride = bmp.Stride(), size = stride * bmp.Height();
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + size;
  ih.biSize = sizeof ih;
  ih.biWidth = bmp.Width();
  ih.biHeight = -bmp.Height();
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  std::fwrite(&fh, sizeof fh, 1, f);
  std::fwrite(&ih, sizeof ih, 1, f);
  GdiFlush();
  std::fwrite(bmp.Bits(), 1, size, f);
  std::fclose(f);
}

// The strip as the ticker sets it up: one gradient row per pixel.
void GradientStrip(TSKGradationP& strip, TForm& form) {
  strip.SetParent(&form);
  strip.SetBounds(2, 3, 280, 20);
  strip.SetAutoPoint(0);
  strip.SetGradationStep(20);
  strip.SetStartColor(0xFFFFFF);
  strip.SetEndColor(0x808080);
}

void StripLabel(TOrvanelLabel& message, TSKGradationP& strip) {
  message.SetParent(&strip);
  message.SetTransparent(true);
  message.SetLayout(tlCenter);
  message.SetShowAccelChar(false);
  TwoColourTitle(message, "　12/08 9:05 フィード");
}

}  // namespace

TEST(StripOnScreen, GradientRowsAndTheTwoTextColoursShow) {
  Application.Initialize();
  TForm form;
  form.SetBorderStyle(bsNone);
  form.SetBounds(40, 40, 300, 26);
  form.SetColor(0xC9C9C9);
  TSKGradationP strip;
  GradientStrip(strip, form);
  strip.SetBorderWidth(1);
  TOrvanelLabel message;
  StripLabel(message, strip);
  message.SetAlign(alClient);
  const std::string head = kHead;
  form.Show();
  PumpMessagesFor(400);

  TBitmap shot(300, 26);
  BitBlt(shot.Canvas().Handle(), 0, 0, 300, 26, WindowDC().get(), 40, 40, SRCCOPY);
  if (const char* path = std::getenv("TESSIVAR_STRIP_SHOT")) SaveBitmap(shot, path);

  // The strip's right end holds no text: row 0 start colour, row 19 the last step.
  TCanvas& c = shot.Canvas();
  EXPECT_EQ(0xFFFFFF, c.Pixel(2 + 275, 3 + 0));
  EXPECT_EQ(0x8D8D8D, c.Pixel(2 + 275, 3 + 19));  // 0xFF - trunc(127 * 19 / 21)
  EXPECT_EQ(0xC9C9C9, c.Pixel(0, 0));  // the form around it

  // The text starts where the label's inset puts it; the title part ends one
  // title width later, and the full-width blank keeps the two colours apart.
  int start = 0;
  while (start < 300 && !ColumnsHold(shot, start, start + 1, clRed)) ++start;
  ASSERT_LT(start, 20);
  const int split = start + TextWidthIn(message.Font(), head);
  EXPECT_TRUE(ColumnsHold(shot, start, split, clRed));
  EXPECT_FALSE(ColumnsHold(shot, 0, split, clBlue));
  EXPECT_TRUE(ColumnsHold(shot, split, 282, clBlue));
  EXPECT_FALSE(ColumnsHold(shot, split, 300, clRed));
}

namespace {

// The ticker's strip while it scrolls: gradient rows, a frame round the
// edge painted after them, and the label moving over both.
struct ScrollingStrip {
  ScrollingStrip() {
    Application.Initialize();
    form.SetBorderStyle(bsNone);
    form.SetBounds(40, 80, 300, 26);
    GradientStrip(strip, form);
    strip.DoubleBuffered = true;
    strip.OnPaint = [this](TObject*) {
      RECT r = strip.ClientRect();
      Frame3D(strip.Canvas(), r, 0x777777, 0xDDDDDD, 1);
    };
    StripLabel(message, strip);
    message.SetBounds(200, 0, TextWidthIn(message.Font(), message.Title() + "WWW"), 20);
    form.Show();
    window = strip.Handle();
    UpdateWindow(window);
  }
  // What the strip's window holds now.
  TBitmap Pixels() {
    TBitmap shot(280, 20);
    WindowDC dc(window);
    BitBlt(shot.Canvas().Handle(), 0, 0, 280, 20, dc.get(), 0, 0, SRCCOPY);
    GdiFlush();
    return shot;
  }
  // True when the move was copied: a drawn one leaves a paint due.
  bool MoveTo(int left) {
    message.SetLeft(left);
    bool copied = !GetUpdateRect(window, nullptr, FALSE);
    UpdateWindow(window);
    return copied;
  }
  TForm form;
  TSKGradationP strip;
  TOrvanelLabel message;
  HWND window = nullptr;
};

bool SamePixels(TBitmap& a, TBitmap& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() &&
         std::memcmp(a.Bits(), b.Bits(), (size_t)a.Stride() * a.Height()) == 0;
}

}  // namespace

TEST(StripScrolling, ACopiedMoveLeavesTheSamePixelsAsDrawingTheLabelThere) {
  ScrollingStrip s;
  int copied = 0, compared = 0;
  // In from past the right frame, out over the left one, in steps of 3.
  for (int left = 200; left > -s.message.Width(); left -= 3) {
    bool copy = s.MoveTo(left);
    copied += copy;
    if (copy && copied % 5 == 0) {
      TBitmap moved = s.Pixels();
      s.strip.Invalidate();
      UpdateWindow(s.window);
      TBitmap drawn = s.Pixels();
      ++compared;
      ASSERT_TRUE(SamePixels(moved, drawn)) << "label at " << left;
    }
    if (left == 101) {
      // The hover colours: the background changes under an unchanged label.
      s.strip.SetStartColor(0xFFEEDD);
      s.strip.SetEndColor(0x204060);
    }
  }
  EXPECT_GT(copied, 80);
  EXPECT_GT(compared, 10);
}
