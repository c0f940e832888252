// The summary hint: its texts from a ticker line, its picture and its place
// on the screen.
#include "BigHintWindow.h"

#include <gtest/gtest.h>

#include "TickerLines.h"
#include "common/TestImages.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"
#include "support/TickerScratch.h"

namespace {

TEST(SummaryHintFor, FeedDateTitleAndSummary) {
  // 45000.5 is 2023-03-15 12:00.
  TSummaryHint h = SummaryHintFor("45000.5\tフィード\t記事\thttp://a/\t\t本文です");
  EXPECT_EQ(h.Text, "フィード 3月15日 12時00分\r\n\r\n◇ 記事 ◇\r\n本文です");
  EXPECT_EQ(SummaryHintFor("45000\tF\tT\t\t\tS").Text, "F 3月15日\r\n\r\n◇ T ◇\r\nS");
  EXPECT_TRUE(h.PicturePath.empty());
}

TEST(SummaryHintFor, NoDescriptionAndNoDate) {
  EXPECT_EQ(SummaryHintFor("0\tF\tT").Text, "F\r\n\r\n◇ T ◇\r\n概要はありません．");
  // An information line shows no date.
  EXPECT_EQ(SummaryHintFor("45000.5\tF\tT\t\t*\tS").Text, "F\r\n\r\n◇ T ◇\r\nS");
  EXPECT_EQ(SummaryHintFor("not a date\tF\tT\t\t\tS").Text, "F\r\n\r\n◇ T ◇\r\nS");
}

TEST(SummaryHintFor, ThePictureOfFieldEightWhenItExists) {
  TickerScratch scratch("TessivarHintPicture");
  WriteWholeFile(DataFolder + "Graphic\\p.jpg", JpegBytes(20, 10, RGB(0, 0, 255)));
  const std::string line = "45000\tF\tT\thttp://a/\t\tS\t\t";
  EXPECT_EQ(SummaryHintFor(line + "p.jpg").PicturePath, DataFolder + "Graphic\\p.jpg");
  EXPECT_TRUE(SummaryHintFor(line + "missing.jpg").PicturePath.empty());
  EXPECT_TRUE(SummaryHintFor(line + "..\\p.jpg").PicturePath.empty());
}

TEST(SummaryHintFor, AHugeLineGivesAHintOfBoundedSize) {
  // One byte ahead, so that the cut falls inside a double-byte character.
  std::string summary = "s";
  for (int i = 0; i < 1000000; ++i) summary += "あ";
  std::string title;
  for (int i = 0; i < 1000000; ++i) title += "T ";
  TSummaryHint h = SummaryHintFor("45000\tF\t" + title + "\thttp://a/\t\t" + summary);
  const std::string tail = "\r\n" + CutBytes(summary, kShownSummaryBytes);
  ASSERT_GT(h.Text.size(), tail.size());
  EXPECT_EQ(h.Text.substr(h.Text.size() - tail.size()), tail);
  EXPECT_EQ(kShownSummaryBytes - 1, (int)CutBytes(summary, kShownSummaryBytes).size());
  EXPECT_NE(h.Text.find("◇ " + CutBytes(title, kShownTitleBytes) + " ◇"), std::string::npos);
  EXPECT_LT(h.Text.size(), 5000u);
  TBigHintWindow hint;
  RECT r = hint.CalcHintRect(kSummaryHintWidth, h.Text);
  EXPECT_LE(r.right, kSummaryHintWidth + 6);
  EXPECT_LT(r.bottom, 6000);
}

TEST(SummaryHintRect, BesideTheCursorInsideTheScreen) {
  RECT r = SummaryHintRect(POINT{123, 47}, 200, 100, 1280, 800);
  EXPECT_EQ(r.left, 130);
  EXPECT_EQ(r.top, 45 + 35);
  EXPECT_EQ(r.right, 330);
  EXPECT_EQ(r.bottom, 45 + 35 + 100);
  // Near the right edge it ends 6 pixels before it.
  r = SummaryHintRect(POINT{1250, 47}, 200, 100, 1280, 800);
  EXPECT_EQ(r.right, 1274);
  // Near the bottom edge it moves above the cursor.
  r = SummaryHintRect(POINT{123, 747}, 200, 100, 1280, 800);
  EXPECT_EQ(r.top, 745 + 35 - (100 + 70));
  EXPECT_EQ(r.bottom - r.top, 100);
}

}  // namespace
