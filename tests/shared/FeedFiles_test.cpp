#include "shared/FeedFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"

namespace {

// "あ" in Shift-JIS: two bytes.
const std::string Wide = "\x82\xA0";

std::string ReadAll(const std::string& path) {
  std::string bytes;
  ReadDataFile(path, bytes);
  return bytes;
}


}  // namespace

TEST(FeedListLine, CheckedFeedWithOnlyThreeFieldsReadsTheRestEmpty) {
  TFeedListEntry e = ParseFeedListLine("*\tNews\thttp://example.test/rss");
  EXPECT_TRUE(e.IsChecked());
  EXPECT_EQ("News", e.FeedName);
  EXPECT_EQ("http://example.test/rss", e.FeedUrl);
  EXPECT_EQ(0, e.RankingFeed);
  EXPECT_EQ(0, e.StartHour);
  EXPECT_EQ(0, e.EndHour);
  EXPECT_EQ("", e.LastModified);
  EXPECT_EQ("", e.LatestItemTitle);
}

TEST(FeedListLine, EnabledIsComparedTrimmedAndAnythingElseIsUnchecked) {
  EXPECT_TRUE(ParseFeedListLine(" * \tA\tu").IsChecked());
  EXPECT_TRUE(ParseFeedListLine("\x81\x40*\tA\tu").IsChecked());  // full-width blank
  EXPECT_FALSE(ParseFeedListLine("\tA\tu").IsChecked());
  EXPECT_FALSE(ParseFeedListLine("x\tA\tu").IsChecked());
}

TEST(FeedListLine, GarbledNumbersReadAsZeroAndExtraFieldsAreDropped) {
  std::string line = "*\tN\tu\tabc\t10\t18x\tLM\tT";
  for (int i = 9; i <= 40; ++i) line += "\tf" + std::to_string(i);
  TFeedListEntry e = ParseFeedListLine(line);
  EXPECT_EQ(0, e.RankingFeed);
  EXPECT_EQ(10, e.StartHour);
  EXPECT_EQ(18, e.EndHour);
  EXPECT_EQ("LM", e.LastModified);
  EXPECT_EQ("T", e.LatestItemTitle);
  EXPECT_EQ("*\tN\tu\t\t10\t18\tLM\tT", BuildFeedListLine(e));
  EXPECT_EQ(30u, SplitDataLine(line, FeedListMaxFields).size());
  EXPECT_EQ("f30", SplitDataLine(line, FeedListMaxFields)[29]);
}

TEST(FeedListLine, BinaryJunkNeverBreaksTheLineApart) {
  std::string junk("\x01\x02\xFF\x82", 4);
  TFeedListEntry e = ParseFeedListLine(junk);
  EXPECT_FALSE(e.IsChecked());
  EXPECT_EQ("", e.FeedUrl);
}

TEST(FeedListLine, WriterRemovesTabsAndLineBreaksSoTheLineKeepsEightFields) {
  TFeedListEntry e;
  e.Enabled = "*";
  e.FeedName = "A\tB";
  e.FeedUrl = "http://x.test/";
  e.RankingFeed = 1;
  e.LastModified = "Sat, 07 Dec 2024\t01:00:00 GMT\r\n";
  e.LatestItemTitle = "line\r\nbreak";
  std::string line = BuildFeedListLine(e);
  EXPECT_EQ("*\tAB\thttp://x.test/\t1\t\t\tSat, 07 Dec 202401:00:00 GMT\tlinebreak", line);
  EXPECT_EQ(7, std::count(line.begin(), line.end(), '\t'));
}

TEST(TickerLine, RankingLineHasEmptyDateAndDollarMark) {
  TTickerLine t;
  t.Date = 45633.5;
  t.FeedName = "F";
  t.Title = "T";
  t.Link = "http://l/";
  t.Mark = "$";
  EXPECT_EQ("\tF\tT\thttp://l/\t$\t", BuildTickerLine(t));
}

TEST(TickerLine, DateIsDecimalDayNumberAndZeroIsEmpty) {
  TTickerLine t;
  t.Date = 45633.5;
  t.Title = "T\tx\r\n";
  t.Link = "L";
  std::string line = BuildTickerLine(t);
  EXPECT_EQ("45633.5\t\tTx\tL\t\t", line);
  EXPECT_DOUBLE_EQ(45633.5, ParseTickerLine(line).Date);
  t.Date = 0;
  EXPECT_EQ("\t\tTx\tL\t\t", BuildTickerLine(t));
}

TEST(TickerLine, IconIsReadOnlyOnInformationLinesAndPictureOnAny) {
  TTickerLine info = ParseTickerLine("\tP\tT\tL\t*\tS\ticon.bmp\tpic.jpg");
  EXPECT_EQ("icon.bmp", info.Icon);
  EXPECT_EQ("pic.jpg", info.Picture);
  TTickerLine plain = ParseTickerLine("1\tP\tT\tL\t\tS\ticon.bmp\tpic.jpg");
  EXPECT_EQ("", plain.Icon);
  EXPECT_EQ("pic.jpg", plain.Picture);
  TTickerLine shortLine = ParseTickerLine("1\tP");
  EXPECT_EQ("", shortLine.Summary);
}

TEST(MenuLine, TitlesAreCutTo62BytesWithAnEllipsis) {
  std::string t62(62, 'a'), t70(70, 'b');
  TArticleMenuLine m = ParseMenuLine(BuildMenuLine("u", "name", t62, "l"));
  EXPECT_EQ(t62, m.Title);
  m = ParseMenuLine(BuildMenuLine("u", t70, t70, "l"));
  EXPECT_EQ(std::string(62, 'b') + "...", m.Title);
  EXPECT_EQ(std::string(62, 'b') + "...", m.FeedName);
  EXPECT_EQ("u", m.FeedUrl);
  EXPECT_EQ("l", m.Link);
}

TEST(MenuLine, CutNeverSplitsADoubleByteCharacter) {
  // 61 single bytes, then a double-byte character over bytes 62 and 63.
  std::string title = std::string(61, 'a') + Wide + "zz";
  TArticleMenuLine m = ParseMenuLine(BuildMenuLine("u", "n", title, "l"));
  EXPECT_EQ(std::string(61, 'a') + "...", m.Title);
  std::string allWide;
  for (int i = 0; i < 40; ++i) allWide += Wide;
  m = ParseMenuLine(BuildMenuLine("u", "n", allWide, "l"));
  EXPECT_EQ(allWide.substr(0, 62) + "...", m.Title);
}

TEST(ItemTexts, SummaryOf300BytesBecomes256PlusEllipsis) {
  EXPECT_EQ(std::string(256, 's') + "...", FinishSummary(std::string(300, 's')));
  EXPECT_EQ(std::string(256, 's'), FinishSummary(std::string(256, 's')));
  std::string odd = std::string(255, 's') + Wide + std::string(50, 's');
  EXPECT_EQ(std::string(255, 's') + "...", FinishSummary(odd));
  EXPECT_EQ("ab", FinishSummary("a\r\n\tb"));
}

TEST(ItemTexts, RawCutsKeep1124And1280BytesWholeCharacters) {
  std::string title = std::string(1123, 't') + Wide + "rest";
  EXPECT_EQ(std::string(1123, 't'), CutRawTitle(title));
  EXPECT_EQ(1124u, CutRawTitle(std::string(2000, 't')).size());
  std::string summary = std::string(1279, 's') + Wide;
  EXPECT_EQ(std::string(1279, 's'), CutRawSummary(summary));
  EXPECT_EQ(1280u, CutRawSummary(std::string(1281, 's')).size());
  EXPECT_EQ("ab", FinishTitle("a\tb\r\n"));
}

class DataFileSave : public ::testing::Test {
 protected:
  void SetUp() override {
    SetSaveRetryPauseForTest(10);
    dir_ = scratch_.Path();
  }
  void TearDown() override { SetSaveRetryPauseForTest(1000); }
  ScratchFolder scratch_{"FeedFilesTest"};
  std::string dir_;
};

TEST_F(DataFileSave, LinesRoundTripWithCrLf) {
  std::string path = dir_ + "round.tic";
  ASSERT_TRUE(SaveDataLines(path, {"a\tb", "", Wide}));
  EXPECT_EQ("a\tb\r\n\r\n" + Wide + "\r\n", ReadAll(path));
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadDataLines(path, lines));
  EXPECT_EQ((std::vector<std::string>{"a\tb", "", Wide}), lines);
}

TEST_F(DataFileSave, ReaderAcceptsLfAndCrEndingsAndALastLineWithoutEnd) {
  std::string path = dir_ + "mixed.mnu";
  ASSERT_TRUE(SaveDataFile(path, "one\ntwo\rthree\r\nfour"));
  std::vector<std::string> lines;
  ASSERT_TRUE(ReadDataLines(path, lines));
  EXPECT_EQ((std::vector<std::string>{"one", "two", "three", "four"}), lines);
}

TEST_F(DataFileSave, EmptyListWritesAnEmptyFile) {
  std::string path = dir_ + "empty.tic";
  ASSERT_TRUE(SaveDataLines(path, {"old"}));
  ASSERT_TRUE(SaveDataLines(path, {}));
  std::vector<std::string> lines{"x"};
  EXPECT_TRUE(ReadDataLines(path, lines));
  EXPECT_TRUE(lines.empty());
}

TEST_F(DataFileSave, MissingFileReadsAsFalseAndEmpty) {
  std::vector<TFeedListEntry> entries(1);
  EXPECT_FALSE(ReadFeedList(dir_ + "none.def", entries));
  EXPECT_TRUE(entries.empty());
}

TEST_F(DataFileSave, FeedListRoundTrip) {
  std::string path = dir_ + "list.def";
  TFeedListEntry e;
  e.Enabled = "*";
  e.FeedName = "\x83\x6A\x83\x85\x81\x5B\x83\x58";  // ニュース
  e.FeedUrl = "http://example.test/rss";
  e.StartHour = 10;
  e.EndHour = 18;
  ASSERT_TRUE(SaveFeedList(path, {e, TFeedListEntry()}));
  std::vector<TFeedListEntry> back;
  ASSERT_TRUE(ReadFeedList(path, back));
  ASSERT_EQ(2u, back.size());
  EXPECT_EQ(e.FeedName, back[0].FeedName);
  EXPECT_EQ(18, back[0].EndHour);
  EXPECT_FALSE(back[1].IsChecked());
}

TEST_F(DataFileSave, FileHeldOpenByAnotherWriterKeepsItsContentAndNoTempFileStays) {
  std::string path = dir_ + "locked.tic";
  ASSERT_TRUE(SaveDataLines(path, {"previous"}));
  KernelHandle held(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
  EXPECT_FALSE(SaveDataLines(path, {"new"}));
  held.reset();
  EXPECT_EQ("previous\r\n", ReadAll(path));
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW(SjisToWide(path + ".*.tmp").c_str(), &found));
  EXPECT_EQ(INVALID_HANDLE_VALUE, find.get());
}

TEST_F(DataFileSave, LockReleasedBetweenTriesLetsALaterTrySucceed) {
  SetSaveRetryPauseForTest(400);
  std::string path = dir_ + "briefly.tic";
  ASSERT_TRUE(SaveDataLines(path, {"previous"}));
  KernelHandle held(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
  std::thread release([&held] {
    Sleep(100);
    held.reset();
  });
  bool saved = SaveDataLines(path, {"new"});
  release.join();
  EXPECT_TRUE(saved);
  EXPECT_EQ("new\r\n", ReadAll(path));
}

TEST_F(DataFileSave, SaveIntoAMissingFolderFails) {
  EXPECT_FALSE(SaveDataLines(dir_ + "no\\such\\folder\\x.tic", {"a"}));
}

TEST_F(DataFileSave, CacheBodyIsStoredByteForByte) {
  std::string path = dir_ + "info.cm";
  std::string body("<?xml?>\r\n\0\x82\xA0\n", 13);
  ASSERT_TRUE(SaveDataFile(path, body));
  EXPECT_EQ(body, ReadAll(path));
}
