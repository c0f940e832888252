#include "TickerDisplay.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "KeywordList.h"
#include "TickerLines.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestMessages.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "support/TickerScratch.h"

namespace {

std::string Line(const std::string& title, const std::string& mark = "",
                 const std::string& date = "45000.5", const std::string& extra = "") {
  return date + "\tFeed\t" + title + "\thttp://example.com/" + title + "\t" + mark + "\tsummary" +
         extra;
}

std::string Title(const TShownItem& item) { return TTickerFields(item.Line)[tfTitle]; }

// Settings of a fresh process, so that one test's values never leak into the next.
class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings = TTickerSettings();
    RebuildKeywordList();
  }

  void SetItems(int count) {
    for (int i = 0; i < count; ++i) display.TickerLines.push_back(Line("t" + std::to_string(i)));
  }

  std::vector<std::string> Show(int n) {
    std::vector<std::string> titles;
    TShownItem item;
    for (int i = 0; i < n && display.TakeNextItem(item, 0); ++i) titles.push_back(Title(item));
    return titles;
  }

  TTickerDisplay display;
};

using Titles = std::vector<std::string>;

TEST_F(DisplayTest, PagesForwardsAndWraps) {
  SetItems(3);
  EXPECT_EQ((Titles{"t0", "t1", "t2", "t0", "t1"}), Show(5));
}

TEST_F(DisplayTest, PagesBackwardsAndWraps) {
  SetItems(3);
  display.Reverse = true;
  display.NextIndex = 2;
  EXPECT_EQ((Titles{"t2", "t1", "t0", "t2"}), Show(4));
}

TEST_F(DisplayTest, BackModeTurnsAroundAtTheItemOnShow) {
  SetItems(4);
  EXPECT_EQ((Titles{"t0", "t1"}), Show(2));
  EXPECT_TRUE(display.SetBackMode(true));
  EXPECT_FALSE(display.SetBackMode(true));
  EXPECT_EQ((Titles{"t1", "t0", "t3"}), Show(3));
  EXPECT_TRUE(display.SetBackMode(false));
  EXPECT_EQ((Titles{"t3", "t0"}), Show(2));
  EXPECT_EQ(1000u, [&] { display.Reverse = true; return display.PagingInterval(); }());
}

TEST_F(DisplayTest, InformationLinesFollowEveryNineteenItemsAtInterval20) {
  TickerSettings.InfoLineInterval = 20;
  SetItems(50);
  display.InfoLines = {Line("info1", "*"), Line("info2", "*")};
  Titles shown = Show(19 + 1 + 19 + 1 + 19 + 1);
  ASSERT_EQ(60u, shown.size());
  Titles expected;
  for (int i = 0; i < 19; ++i) expected.push_back("t" + std::to_string(i));
  expected.push_back("info1");
  for (int i = 19; i < 38; ++i) expected.push_back("t" + std::to_string(i));
  expected.push_back("info2");
  for (int i = 38; i < 57; ++i) expected.push_back("t" + std::to_string(i % 50));
  expected.push_back("info1");
  EXPECT_EQ(expected, shown);
}

TEST_F(DisplayTest, WithInterval15OneInformationLineFollowsEveryFourteenItems) {
  SetItems(30);
  display.InfoLines = {Line("info", "*")};
  Titles shown = Show(30);
  EXPECT_EQ("t13", shown[13]);
  EXPECT_EQ("info", shown[14]);
  EXPECT_EQ("t14", shown[15]);
  EXPECT_EQ("info", shown[29]);
}

TEST_F(DisplayTest, WithoutInformationLinesEveryItemIsOrdinary) {
  TickerSettings.InfoLineInterval = 1;  // would ask for one after every item
  SetItems(2);
  TShownItem item;
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(display.TakeNextItem(item, 0));
    EXPECT_FALSE(item.FromInfo);
    EXPECT_EQ(0, display.InfoCount);
  }
}

TEST_F(DisplayTest, OnlyInformationLinesShowNothing) {
  display.InfoLines = {Line("info", "*")};
  TShownItem item;
  EXPECT_FALSE(display.TakeNextItem(item, 0));
  display.TickerLines.push_back(Line("a"));
  display.NextIndex = -1;
  EXPECT_FALSE(display.TakeNextItem(item, 0));
}

TEST_F(DisplayTest, ShownItemCarriesTextLinkAndTitleLength) {
  display.TickerLines = {Line("Title", "", FloatToStrSafe(EncodeDate(2023, 12, 8) +
                                                          EncodeTime(9, 5, 0, 0)))};
  TShownItem item;
  ASSERT_TRUE(display.TakeNextItem(item, 1234));
  EXPECT_EQ("Title　12/08 9:05 Feed", item.Label.Title);
  EXPECT_EQ(5, item.Label.TitleLength);
  EXPECT_EQ("http://example.com/Title", item.Label.Hint);
  EXPECT_EQ(0, item.Tag);
  EXPECT_EQ(item.Line, display.CurrentLine);
  EXPECT_EQ(1234u, display.ShownTick);
}

TEST_F(DisplayTest, AMarkedLineInTheMiddleShowsAsInformationWithoutDate) {
  display.TickerLines = {Line("a"), Line("maker", "*"), Line("b")};
  TShownItem item;
  display.TakeNextItem(item, 0);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ(1, item.Tag);
  EXPECT_FALSE(item.FromInfo);
  EXPECT_EQ("maker　Feed", item.Label.Title);
  EXPECT_EQ((Titles{"b"}), Show(1));
}

TEST_F(DisplayTest, KeywordHitsOnTitleOrDescriptionButNeverOnInformation) {
  TickerSettings.HighlightKeywords[0] = "Tokyo";
  RebuildKeywordList();
  display.TickerLines = {Line("tokyo news"), Line("weather"), Line("osaka"), Line("tokyo", "*")};
  display.TickerLines[1] += "";  // description "summary" does not match
  display.TickerLines[2] = "45000\tFeed\tosaka\thttp://x/\t\tnear TOKYO";
  int tags[4];
  TShownItem item;
  for (int& tag : tags) {
    ASSERT_TRUE(display.TakeNextItem(item, 0));
    tag = item.Tag;
  }
  EXPECT_EQ(2, tags[0]);
  EXPECT_EQ(0, tags[1]);
  EXPECT_EQ(2, tags[2]);
  EXPECT_EQ(1, tags[3]);
}

TEST_F(DisplayTest, KeywordsAreMatchedInTheTextsAsFarAsTheyAreShown) {
  TickerSettings.HighlightKeywords[0] = "Tokyo";
  RebuildKeywordList();
  const std::string pad(3000, 'x');
  display.TickerLines = {"45000\tFeed\t" + pad + "tokyo\thttp://x/\t\t" + pad + "tokyo",
                         "45000\tFeed\tnews\thttp://x/\t\tnear tokyo" + pad};
  TShownItem item;
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ(0, item.Tag);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ(2, item.Tag);
}

TEST_F(DisplayTest, InformationIconMustBeAPlainExistingNameInGraphic) {
  TickerScratch scratch("ticker_display_icon");
  WriteWholeFile(scratch.File("Graphic\\icon.bmp"), "BM");
  WriteWholeFile(scratch.File("outside.bmp"), "BM");
  display.TickerLines = {Line("a")};
  display.InfoLines = {Line("i1", "*", "", "\ticon.bmp"), Line("i2", "*", "", "\t..\\outside.bmp"),
                       Line("i3", "*", "", "\tmissing.bmp")};
  TickerSettings.InfoLineInterval = 1;
  TShownItem item;
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ(scratch.File("Graphic\\icon.bmp"), item.IconPath);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ("i2", Title(item));
  EXPECT_EQ("", item.IconPath);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ("", item.IconPath);
}

TEST_F(DisplayTest, HugeAndBrokenLinesShowCutWithoutHarm) {
  std::string huge(2 * 1024 * 1024, '\x82');
  display.TickerLines = {"\tfeed\t" + huge + "\t\t\t" + huge, "", std::string("\0\x01\xFF", 3)};
  TShownItem item;
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_LE(item.Label.TitleLength, 2048);
  EXPECT_LT(item.Label.Title.size(), 4096u);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_EQ("　", item.Label.Title);
  EXPECT_EQ("", item.Label.Hint);
  ASSERT_TRUE(display.TakeNextItem(item, 0));
}

TEST(TickerDateText, WholeDayGivesMonthAndDay) {
  EXPECT_EQ("3/15 ", TickerDateText(FloatToStrSafe(EncodeDate(2023, 3, 15))));
  EXPECT_EQ("12/08 ", TickerDateText(FloatToStrSafe(EncodeDate(2024, 12, 8))));
}

TEST(TickerDateText, FractionGivesTheTimeToo) {
  EXPECT_EQ("3/15 12:00 ", TickerDateText(FloatToStrSafe(EncodeDate(2023, 3, 15) + 0.5)));
  // A point alone asks for the time, even at midnight.
  EXPECT_EQ("3/15 0:00 ", TickerDateText(FloatToStrSafe(EncodeDate(2023, 3, 15)) + ".0"));
}

TEST(TickerDateText, BadDatesGiveNoText) {
  EXPECT_EQ("", TickerDateText(""));
  EXPECT_EQ("", TickerDateText("0"));
  EXPECT_EQ("", TickerDateText("abc"));
  EXPECT_EQ("", TickerDateText("1e300"));
  EXPECT_EQ("", TickerDateText("-1e9"));
  EXPECT_EQ("", TickerDateText("99999999"));
}

TEST(RefreshDue, CountsWholeMinutesEitherWayRound) {
  const TDateTime now = EncodeDate(2024, 5, 1) + EncodeTime(12, 0, 0, 0);
  const double minute = 1.0 / 1440;
  const double second = minute / 60;
  EXPECT_FALSE(RefreshDue(now - 60 * minute - 30 * second, now, 60));
  EXPECT_FALSE(RefreshDue(now - 60 * minute, now, 60));
  EXPECT_TRUE(RefreshDue(now - 61 * minute, now, 60));
  EXPECT_TRUE(RefreshDue(now + 61 * minute, now, 60));
  EXPECT_FALSE(RefreshDue(now + 59 * minute, now, 60));
  EXPECT_TRUE(RefreshDue(0, now, 60));
}

TEST(WrapIndex, WrapsBothEnds) {
  EXPECT_EQ(0, WrapIndex(3, 3));
  EXPECT_EQ(2, WrapIndex(-1, 3));
  EXPECT_EQ(1, WrapIndex(1, 3));
  EXPECT_EQ(0, WrapIndex(0, 0));
}

TEST(ColourSetFor, FollowsTagHoverAndIcon) {
  TTickerSettings s;
  s.FontColorB = 1, s.StartColorB = 2, s.EndColorB = 3;
  s.FontColorS = 11, s.StartColorS = 12, s.EndColorS = 13;
  s.FontColorK = 21, s.StartColorK = 22, s.EndColorK = 23;
  s.FontColorM = 31, s.StartColorM = 32, s.EndColorM = 33;
  auto font = [&](int tag, bool hover, bool icon) { return ColourSetFor(tag, hover, icon, s).Font; };
  EXPECT_EQ(1u, font(0, false, false));
  EXPECT_EQ(11u, font(1, false, false));
  EXPECT_EQ(21u, font(2, false, false));
  EXPECT_EQ(31u, font(0, true, false));
  EXPECT_EQ(31u, font(1, true, false));
  EXPECT_EQ(21u, font(2, true, false));
  EXPECT_EQ(12u, ColourSetFor(1, false, false, s).Start);
  EXPECT_EQ(33u, ColourSetFor(0, true, false, s).End);
  TColourSet icon = ColourSetFor(2, true, true, s);
  EXPECT_EQ(0u, icon.Font);
  EXPECT_EQ(0xFFFFFFu, icon.Start);
  EXPECT_EQ(0xFFFFFFu, icon.End);
}

TEST_F(DisplayTest, ScrollSlidesInFasterWithSpeedUpAndRestsAtTheEdge) {
  TickerSettings.TickerSpeedUp = true;
  TickerSettings.TickerScrollTime = 3;
  display.ScrollMode = 2;
  TScrollInput in;
  in.Left = 100;
  in.Step = 2;
  in.LabelWidth = 50;
  in.StripWidth = 100;
  in.TimerInterval = 30;
  std::vector<int> steps;
  TScrollResult r;
  for (int i = 0; i < 20; ++i) {
    r = display.ScrollTick(in);
    if (r.Left == 0) break;
    steps.push_back(in.Left - r.Left);
    in.Left = r.Left;
  }
  EXPECT_EQ((std::vector<int>{1, 2, 4, 7, 11, 17, 26}), steps);
  EXPECT_EQ(0, r.Left);
  EXPECT_EQ(3000u, r.RestInterval);
  EXPECT_FALSE(r.NewItemDue);
  EXPECT_EQ(1, display.SpeedStep);

  // The rest ends: it leaves with the fixed step, back at scroll speed.
  in.Left = 0;
  in.TimerInterval = 3000;
  r = display.ScrollTick(in);
  EXPECT_EQ(-1, r.Left);
  EXPECT_TRUE(r.ResumeScrolling);
  in.Left = r.Left;
  in.TimerInterval = 30;
  r = display.ScrollTick(in);
  EXPECT_EQ(-3, r.Left);
  EXPECT_FALSE(r.ResumeScrolling);
}

TEST_F(DisplayTest, ScrolledItemLeavesAndTheNextEntersFromTheRight) {
  display.ScrollMode = 3;
  display.WheelStepped = true;
  TScrollInput in;
  in.Left = -48;
  in.Step = 3;
  in.LabelWidth = 50;
  in.StripWidth = 120;
  in.TimerInterval = 30;
  TScrollResult r = display.ScrollTick(in);
  EXPECT_TRUE(r.NewItemDue);
  EXPECT_EQ(120, r.Left);
  EXPECT_FALSE(display.WheelStepped);
}

TEST_F(DisplayTest, ScrollWithoutRestTimeDoesNotRest) {
  TickerSettings.TickerScrollTime = 0;
  TScrollInput in;
  in.Left = 2;
  in.Step = 3;
  in.LabelWidth = 50;
  in.StripWidth = 120;
  in.TimerInterval = 30;
  TScrollResult r = display.ScrollTick(in);
  EXPECT_EQ(0, r.Left);
  EXPECT_EQ(0u, r.RestInterval);
  in.Left = 0;
  r = display.ScrollTick(in);
  EXPECT_EQ(-3, r.Left);
}

TEST_F(DisplayTest, ScrollIntervalOnlyForModesOneToSix) {
  unsigned interval = 0;
  int step = 0;
  display.ScrollMode = 6;
  ASSERT_TRUE(display.ScrollInterval(interval, step));
  EXPECT_EQ(30u, interval);
  EXPECT_EQ(6, step);
  display.ScrollMode = 7;
  EXPECT_FALSE(display.ScrollInterval(interval, step));
  display.ScrollMode = 0;
  EXPECT_FALSE(display.ScrollInterval(interval, step));
}

TEST_F(DisplayTest, ScrollSettingAboveSixScrollsAtSixAndBelowZeroPages) {
  TickerSettings.TickerScroll = 9;
  display.SetScrollMode();
  unsigned interval = 0;
  int step = 0;
  ASSERT_TRUE(display.ScrollInterval(interval, step));
  EXPECT_EQ(30u, interval);
  EXPECT_EQ(6, step);
  TickerSettings.TickerScroll = -1;
  display.SetScrollMode();
  EXPECT_EQ(0, display.ScrollMode);
}

TEST_F(DisplayTest, TimerIntervalsSurviveGarbledSettings) {
  TickerSettings.TickerTime = 0;
  EXPECT_EQ(1000u, display.PagingInterval());
  TickerSettings.TickerTime = 0x7FFFFFFF;
  EXPECT_EQ(0x7FFFFFFFu, display.PagingInterval());
  TickerSettings.TickerTime = 7;
  EXPECT_EQ(7000u, display.SetupDisplayTimer());
  display.ScrollMode = 2;
  TickerSettings.TickerScrollTime = 0;
  display.SpeedStep = 9;
  EXPECT_EQ(1000u, display.SetupDisplayTimer());
  EXPECT_EQ(1, display.SpeedStep);
}

TEST_F(DisplayTest, WheelStepsFromTheItemOnShow) {
  SetItems(6);
  Show(2);  // t0, t1; t2 is next
  ASSERT_TRUE(display.WheelStep(-1));
  EXPECT_EQ((Titles{"t3"}), Show(1));
  display.AfterWheelShow();
  ASSERT_TRUE(display.WheelStep(-1));
  EXPECT_EQ((Titles{"t4"}), Show(1));
  display.AfterWheelShow();
  // The timer goes on after the line shown by the wheel.
  EXPECT_EQ((Titles{"t5"}), Show(1));
  ASSERT_TRUE(display.WheelStep(+1));
  EXPECT_EQ((Titles{"t5"}), Show(1));
  EXPECT_FALSE(display.WheelStep(0));
}

TEST_F(DisplayTest, WheelWhileScrollingStepsToNeighbours) {
  SetItems(6);
  display.ScrollMode = 2;
  Show(3);  // t2 on show
  ASSERT_TRUE(display.WheelStep(+1));
  EXPECT_EQ((Titles{"t1"}), Show(1));
}

TEST_F(DisplayTest, TickComparisonsSurviveTheWrap) {
  TickerSettings.TickerTime = 5;
  display.ShownTick = 0xFFFFF000u;
  uint32_t now = display.ShownTick + 2000;  // wraps past zero
  display.HoldTick = now - 500;
  EXPECT_EQ(3000u, display.HoverResumeInterval(now));
  display.HoldTick = now - 5000;
  EXPECT_EQ(1000u, display.HoverResumeInterval(now));
  display.HoldTick = now - 500;
  display.Reverse = true;
  EXPECT_EQ(1000u, display.HoverResumeInterval(now));

  display.NoteKeywordUse(0xFFFFFF00u);
  EXPECT_FALSE(display.KeywordBoxIdle(0x100));
  EXPECT_FALSE(display.KeywordBoxIdle(0xFFFFFF00u + 300000));
  EXPECT_TRUE(display.KeywordBoxIdle(0xFFFFFF00u + 300001));
  display.KeywordLastUse = 0;
  EXPECT_FALSE(display.KeywordBoxIdle(0x7FFFFFFF));
  display.NoteKeywordUse(0);
  EXPECT_NE(0u, display.KeywordLastUse);
}

// The file check against real files in a private data folder.
class FileCheckTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    display.OnStartRefresh = [this] { ++refreshes; };
  }

  void WriteTicker(const std::string& bytes, int secondsFromNow) {
    WriteWholeFile(scratch.TickerFile(), bytes);
    SetModifiedSecondsFromNow(scratch.TickerFile(), secondsFromNow);
  }

  TickerScratch scratch{"ticker_file_check"};
  int refreshes = 0;
  const TDateTime now = EncodeDate(2024, 5, 1) + EncodeTime(12, 0, 0, 0);
};

TEST_F(FileCheckTest, FirstRefreshTestAfterTwoSkippedRuns) {
  TickerSettings.RefreshNow = now - 1;  // long past
  WriteTicker(Line("a") + "\r\n", -10);
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_FALSE(r.RefreshStarted);
  EXPECT_TRUE(r.TickerReloaded);
  EXPECT_EQ(kFileCheckInterval, r.FileCheckInterval);
  EXPECT_FALSE(display.FileCheck(now, false).RefreshStarted);
  EXPECT_EQ(0, refreshes);
  r = display.FileCheck(now, false);
  EXPECT_TRUE(r.RefreshStarted);
  EXPECT_FALSE(r.HasStatus);
  EXPECT_EQ(1, refreshes);
  EXPECT_EQ(now, TickerSettings.RefreshNow);
  // The new RefreshNow is in the settings file, and seen as not changed.
  TickerSettings.RefreshNow = 0;
  AccessTickerIni(TickerIniPath, "R");
  EXPECT_NEAR(now, TickerSettings.RefreshNow, 1e-6);
  EXPECT_FALSE(display.FileCheck(now + 1.0 / 1440, false).SettingsRead);
  EXPECT_EQ(1, refreshes);
  EXPECT_TRUE(display.FileCheck(now + 61.0 / 1440, false).RefreshStarted);
}

TEST_F(FileCheckTest, MissingTickerFileWhenDueSaysDataIsBeingFetched) {
  TickerSettings.OemName = "Maker";
  TickerSettings.UrlHome = "http://home/";
  display.StartupCountdown = 0;
  display.CurrentLine = "old";
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_TRUE(r.RefreshStarted);
  ASSERT_TRUE(r.HasStatus);
  EXPECT_EQ("データ取得中です Maker", r.Status.Title);
  EXPECT_EQ(16, r.Status.TitleLength);
  EXPECT_EQ("http://home/", r.Status.Hint);
  EXPECT_EQ("", display.CurrentLine);
}

TEST_F(FileCheckTest, EmptyTickerFileSaysThereIsNothingNew) {
  TickerSettings.OemName = "";
  WriteTicker("", -5);
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_TRUE(r.TickerReloaded);
  ASSERT_TRUE(r.HasStatus);
  EXPECT_EQ("新しい記事はありません", r.Status.Title);
  EXPECT_EQ(22, r.Status.TitleLength);
}

TEST_F(FileCheckTest, ReloadResetsTheRhythmAndStartsAtTheFirstItem) {
  WriteTicker(Line("a") + "\r\n" + Line("b") + "\r\n" + Line("i", "*") + "\r\n", -20);
  display.FileCheck(now, false);
  ASSERT_EQ(2u, display.TickerLines.size());
  ASSERT_EQ(1u, display.InfoLines.size());
  Show(2);
  display.InfoIndex = 5;
  display.Reverse = true;
  WriteTicker(Line("x") + "\r\n" + Line("y") + "\r\n" + Line("z") + "\r\n", -10);
  EXPECT_TRUE(display.FileCheck(now, false).TickerReloaded);
  EXPECT_EQ(0, display.InfoCount);
  EXPECT_EQ(2, display.NextIndex);  // back mode starts at the last item
  EXPECT_EQ(5, display.InfoIndex);
  EXPECT_TRUE(display.InfoLines.empty());
}

TEST_F(FileCheckTest, AFailedLoadKeepsTheLinesAndIsRetriedAfterAPause) {
  WriteTicker(Line("old") + "\r\n", -20);
  ASSERT_TRUE(display.FileCheck(now, false).TickerReloaded);
  WriteTicker(Line("new") + "\r\n", -10);
  // Another program holds the file so that it cannot be read.
  KernelHandle lock(CreateFileW(SjisToWide(scratch.TickerFile()).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, lock.get());
  display.TicRetryPause = 600000;
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_FALSE(r.TickerReloaded);
  EXPECT_EQ(kFileCheckInterval, r.FileCheckInterval);
  ASSERT_EQ(1u, display.TickerLines.size());
  EXPECT_EQ("old", TTickerFields(display.TickerLines[0])[tfTitle]);
  // Not at the next shown item, but after the pause, though its time is unchanged.
  EXPECT_FALSE(display.FileCheckDueNow());
  lock.reset();
  display.TicRetryPause = 100;
  ASSERT_TRUE(WaitUntil([&] { return display.FileCheckDueNow(); }));
  EXPECT_TRUE(display.FileCheck(now, false).TickerReloaded);
  EXPECT_EQ("new", TTickerFields(display.TickerLines[0])[tfTitle]);
  EXPECT_FALSE(display.FileCheckDueNow());
}

TEST_F(FileCheckTest, PausedOrLayingOutDoesNothing) {
  WriteTicker(Line("a") + "\r\n", -5);
  display.SetPaused(true);
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_TRUE(r.Stopped);
  EXPECT_EQ(0u, r.FileCheckInterval);
  EXPECT_TRUE(display.TickerLines.empty());
  EXPECT_EQ(2, display.StartupCountdown);
  display.SetPaused(false);
  EXPECT_TRUE(display.FileCheck(now, true).Stopped);
  EXPECT_TRUE(display.FileCheck(now, false).TickerReloaded);
}

TEST_F(FileCheckTest, ChangedSettingsAreReadAgain) {
  WriteWholeFile(TickerIniPath, "[Env]\r\nTickerScroll=3\r\n[Key]\r\nStr1=news\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, -5);
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_TRUE(r.SettingsRead);
  EXPECT_TRUE(r.ScrollModeChanged);
  EXPECT_EQ(3, display.ScrollMode);
  EXPECT_TRUE(MatchKeywords("NEWS"));
  r = display.FileCheck(now, false);
  EXPECT_FALSE(r.SettingsRead);
  EXPECT_FALSE(r.ScrollModeChanged);
}

TEST_F(FileCheckTest, AStoredValueKeepsWhatTheSettingsDialogSavedMeanwhile) {
  WriteWholeFile(TickerIniPath, "[Env]\r\nTickerTime=5\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, -20);
  display.FileCheck(now, false);
  ASSERT_EQ(5, TickerSettings.TickerTime);
  // The dialog saves; the ticker has not looked at the file since.
  WriteWholeFile(TickerIniPath, "[Env]\r\nTickerTime=9\r\n[Key]\r\nStr1=新しい語\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, -10);
  ASSERT_TRUE(display.StoreSetting([](TTickerSettings& t) { t.AlphaBrend = 160; }));
  const std::string stored = ReadWholeFile(TickerIniPath);
  EXPECT_NE(stored.find("TickerTime=9"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Str1=新しい語"), std::string::npos) << stored;
  EXPECT_NE(stored.find("AlphaBrend=160"), std::string::npos) << stored;
  // The display still takes the dialog's values at its next check.
  EXPECT_TRUE(display.FileCheck(now, false).SettingsRead);
  EXPECT_EQ(9000u, display.PagingInterval());
}

TEST_F(FileCheckTest, AStoredValueWithAnUnchangedFileWritesMemory) {
  WriteWholeFile(TickerIniPath, "[Env]\r\nTickerTime=5\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, -20);
  display.FileCheck(now, false);
  TickerSettings.SearchDate = "20240501";  // held in memory only
  ASSERT_TRUE(display.StoreSetting([](TTickerSettings& t) { t.SearchName = "E"; }));
  const std::string stored = ReadWholeFile(TickerIniPath);
  EXPECT_NE(stored.find("Date=20240501"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Name=E"), std::string::npos) << stored;
}

TEST_F(FileCheckTest, GarbledFilesAreReadWithoutHarm) {
  std::string binary;
  for (int i = 0; i < 4096; ++i) binary += (char)(i * 37);
  WriteWholeFile(TickerIniPath,
                 binary + std::string(1024 * 1024, 'x') + "\r\n[Env]\r\nTickerTime=\xFF");
  SetModifiedSecondsFromNow(TickerIniPath, -5);
  WriteTicker(binary + "\r\n" + std::string(1024 * 1024, '\t') + "\r\n" + Line("ok"), -5);
  TFileCheckResult r = display.FileCheck(now, false);
  EXPECT_TRUE(r.SettingsRead);
  EXPECT_TRUE(r.TickerReloaded);
  EXPECT_EQ(kFileCheckInterval, r.FileCheckInterval);
  TShownItem item;
  for (size_t i = 0; i < display.TickerLines.size() + 1; ++i)
    ASSERT_TRUE(display.TakeNextItem(item, 0));
  EXPECT_GE(display.PagingInterval(), 1000u);
}

class MutexWatchTest : public FileCheckTest {
 protected:
  KernelHandle Hold(const wchar_t* name) {
    return KernelHandle(CreateMutexW(nullptr, FALSE, name));
  }
};

TEST_F(MutexWatchTest, ForcesOneCheckOnceTheRefreshHasEnded) {
  WriteTicker(Line("a") + "\r\n", -20);
  display.FileCheck(now, false);
  EXPECT_FALSE(display.FileCheckDueNow());
  KernelHandle feed = Hold(L"TessivarFeed_Mutex");
  ASSERT_NE(nullptr, feed.get());
  EXPECT_FALSE(display.FileCheckDueNow());
  EXPECT_TRUE(display.BusySeen);
  feed.reset();
  EXPECT_TRUE(display.FileCheckDueNow());
  EXPECT_FALSE(display.BusySeen);
  EXPECT_FALSE(display.FileCheckDueNow());
}

TEST_F(MutexWatchTest, SettingsDialogCountsAsBusyToo) {
  KernelHandle env = Hold(L"TessivarEnv_Mutex");
  ASSERT_NE(nullptr, env.get());
  EXPECT_FALSE(display.FileCheckDueNow());
  env.reset();
  EXPECT_TRUE(display.FileCheckDueNow());
}

TEST_F(MutexWatchTest, AChangedFileIsReloadedWhileTheRefreshRuns) {
  WriteTicker(Line("a") + "\r\n", -20);
  display.FileCheck(now, false);
  KernelHandle feed = Hold(L"TessivarFeed_Mutex");
  WriteTicker(Line("b") + "\r\n", -10);
  EXPECT_TRUE(display.FileCheckDueNow());
  EXPECT_TRUE(display.FileCheck(now, false).TickerReloaded);
  EXPECT_FALSE(display.FileCheckDueNow());
  // A changed settings file counts as well.
  WriteWholeFile(TickerIniPath, "[Env]\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, -3);
  EXPECT_TRUE(display.FileCheckDueNow());
}

}  // namespace
