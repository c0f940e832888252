// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "DefaultFiles.h"

#include <gtest/gtest.h>

#include "FeedFiles.h"
#include "HttpFetch.h"
#include "OemPackage.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"
#include "common/TestFiles.h"

namespace {

const char kListPath[] = "/download/TessivarOrvanel.def";

std::string EmbeddedFeedList() {
  return ReadWholeFile(SourceFile("src/resources/TessivarOrvanel.def"));
}

class EnsureFeedListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(PathExists(GetProgramFolder() + OemPackageFileName))
        << "a package beside the test program would be read";
    TickerSettings = TTickerSettings();
    TickerSettings.InternetPreConfig = 0;
    TickerSettings.UrlDef = server.Url(kListPath);
    ForceFolder(scratch.File("Data"));
    DataFolder = scratch.File("Data\\");
    OemDataFolder = scratch.File("OEM\\");
    SetSaveRetryPauseForTest(10);
  }

  std::string FeedList() const { return ReadWholeFile(DataFolder + FeedListFileName); }
  size_t ListRequests() const {
    size_t n = 0;
    for (const auto& r : server.Requests()) n += r.Path == kListPath;
    return n;
  }

  ScratchFolder scratch{"TessivarEnsureFeedList"};
  TestHttpServer server;
};

TEST(TakeFeedLinesTest, KeepsWebFeedsAndDropsLinesWithoutAddress) {
  auto feeds = TakeFeedLines(
      "*\tOne\thttp://a.example/rss\t\t\t\t\t\r\n"
      "\r\n"
      "*\tNo address\t\t\t\t\t\t\r\n"
      "\tTwo\thttps://b.example/atom\t1\t10\t18\tSun, 01 Jan 2006 00:00:00 GMT\tLast\n",
      true);
  ASSERT_EQ(feeds.size(), 2u);
  EXPECT_EQ(feeds[0].FeedUrl, "http://a.example/rss");
  EXPECT_TRUE(feeds[0].IsChecked());
  EXPECT_EQ(feeds[1].FeedName, "Two");
  EXPECT_EQ(feeds[1].RankingFeed, 1);
  EXPECT_EQ(feeds[1].LatestItemTitle, "Last");
}

TEST(TakeFeedLinesTest, ErrorPageAndEmptyBodyHoldNoFeedLine) {
  EXPECT_TRUE(TakeFeedLines("", true).empty());
  EXPECT_TRUE(TakeFeedLines("<html><head><title>404 Not Found</title></head>\r\n"
                            "<body>The page\tyou asked for is gone.</body></html>\r\n",
                            true)
                  .empty());
}

TEST(TakeFeedLinesTest, RemoteListNeverNamesALocalOrNetworkPath) {
  auto feeds = TakeFeedLines(
      "*\tShare\t\\\\server\\share\\feed.xml\r\n"
      "*\tDrive\tC:\\Users\\feed.xml\r\n"
      "*\tFile\tfile:///C:/feed.xml\r\n"
      "*\tMixed\thttp://a.example\\..\\feed\r\n"
      "*\tGood\thttp://a.example/feed\r\n",
      true);
  ASSERT_EQ(feeds.size(), 1u);
  EXPECT_EQ(feeds[0].FeedName, "Good");
  EXPECT_EQ(TakeFeedLines("*\tLocal\tC:\\feeds\\a.xml\r\n", false).size(), 1u);
}

TEST(EmbeddedDefaultsTest, FeedListHoldsOnlyCheckedOrUncheckedWebFeeds) {
  std::string list = EmbeddedFeedList();
  ASSERT_FALSE(list.empty());
  size_t lines = 0;
  for (size_t p = 0; (p = list.find("\r\n", p)) != std::string::npos; p += 2) ++lines;
  auto feeds = TakeFeedLines(list, true);
  EXPECT_EQ(feeds.size(), lines);
  bool anyChecked = false;
  for (const auto& f : feeds) anyChecked |= f.IsChecked();
  EXPECT_TRUE(anyChecked);
}

TEST(EmbeddedDefaultsTest, SearchEngineListIsNameTabTemplateOrSeparator) {
  std::string list = ReadWholeFile(SourceFile("src/resources/TessivarOrvanel.cst"));
  ASSERT_FALSE(list.empty());
  ASSERT_EQ(list.substr(list.size() - 2), "\r\n");
  size_t start = 0, engines = 0;
  while (start < list.size()) {
    size_t end = list.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::string line = list.substr(start, end - start);
    if (line != "-") {
      size_t tab = line.find('\t');
      ASSERT_NE(tab, std::string::npos) << line;
      std::string url = line.substr(tab + 1);
      EXPECT_TRUE(IsWebAddress(url)) << url;
      EXPECT_NE(url.find("$KEYWORD"), std::string::npos) << url;
      ++engines;
    }
    start = end + 2;
  }
  EXPECT_GE(engines, 3u);
}

TEST(WriteResourceFileTest, WritesTheEmbeddedBytesAndCreatesTheFolder) {
  ScratchFolder scratch("TessivarWriteResource");
  std::string path = scratch.File("a\\b\\TessivarOrvanel.cst");
  EXPECT_TRUE(WriteResourceFile("CSTFILE", path, false));
  EXPECT_EQ(ReadWholeFile(path), ReadWholeFile(SourceFile("src/resources/TessivarOrvanel.cst")));
}

TEST(WriteResourceFileTest, LeavesAnExistingFileUnlessForced) {
  ScratchFolder scratch("TessivarWriteResource");
  std::string path = scratch.File("TessivarOrvanel.cst");
  WriteWholeFile(path, "mine\r\n");
  EXPECT_FALSE(WriteResourceFile("CSTFILE", path, false));
  EXPECT_EQ(ReadWholeFile(path), "mine\r\n");
  EXPECT_TRUE(WriteResourceFile("CSTFILE", path, true));
  EXPECT_NE(ReadWholeFile(path), "mine\r\n");
}

TEST(WriteResourceFileTest, AFolderThatRefusesTheFileCostsOneTry) {
  ScratchFolder scratch("TessivarWriteResource");
  // A folder standing where the file should go cannot be replaced.
  std::string path = scratch.File("TessivarOrvanel.cst");
  ForceFolder(path);
  SetSaveRetryPauseForTest(3000);
  const ULONGLONG start = GetTickCount64();
  EXPECT_FALSE(WriteResourceFile("CSTFILE", path, true));
  EXPECT_LT(GetTickCount64() - start, 2500u) << "tried again after a pause";
  EXPECT_TRUE(PathExists(path));
  SetSaveRetryPauseForTest(10);
}

TEST(WriteResourceFileTest, MissingResourceWritesNothing) {
  ScratchFolder scratch("TessivarWriteResource");
  EXPECT_FALSE(WriteResourceFile("NOSUCHFILE", scratch.File("x.txt"), false));
  EXPECT_FALSE(PathExists(scratch.File("x.txt")));
}

TEST_F(EnsureFeedListTest, EmbeddedListWrittenWhenNothingElseIsThere) {
  WriteWholeFile(DataFolder + TickerFileName, "old\r\n");
  EnsureFeedList();  // the server has no list: 404
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
  EXPECT_FALSE(PathExists(DataFolder + TickerFileName));
  EXPECT_EQ(ListRequests(), 1u);
}

TEST_F(EnsureFeedListTest, ErrorPageFromTheMakerServerDoesNotBecomeTheFeedList) {
  ScriptedResponse page;
  page.Body = "<html><body><h1>Service Unavailable</h1>\r\nTry again later.</body></html>\r\n";
  server.On(kListPath, page);
  EnsureFeedList();
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
}

TEST_F(EnsureFeedListTest, EmptyAnswerDoesNotBecomeTheFeedList) {
  server.On(kListPath, ScriptedResponse());
  EnsureFeedList();
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
}

TEST_F(EnsureFeedListTest, MakerListTakenWithoutItsPathLines) {
  ScriptedResponse list;
  list.Body = "*\tMaker news\thttp://news.example/rss\r\n*\tTrap\t\\\\host\\share\\x.xml\r\n";
  server.On(kListPath, list);
  EnsureFeedList();
  std::vector<TFeedListEntry> feeds;
  ASSERT_TRUE(ReadFeedList(DataFolder + FeedListFileName, feeds));
  ASSERT_EQ(feeds.size(), 1u);
  EXPECT_EQ(feeds[0].FeedName, "Maker news");
  EXPECT_EQ(feeds[0].FeedUrl, "http://news.example/rss");
}

TEST_F(EnsureFeedListTest, RedirectOfTheMakerListIsNotFollowed) {
  ScriptedResponse moved;
  moved.Status = 302;
  moved.Headers = {{"Location", server.Url("/elsewhere.def")}};
  server.On(kListPath, moved);
  ScriptedResponse list;
  list.Body = "*\tElsewhere\thttp://news.example/rss\r\n";
  server.On("/elsewhere.def", list);
  EnsureFeedList();
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
}

TEST_F(EnsureFeedListTest, ClientModeNeverAsksTheMakerServer) {
  TickerSettings.OemKey = "ClientMode";
  ScriptedResponse list;
  list.Body = "*\tMaker news\thttp://news.example/rss\r\n";
  server.On(kListPath, list);
  EnsureFeedList();
  EXPECT_EQ(ListRequests(), 0u);
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
}

TEST_F(EnsureFeedListTest, OemFolderListUsedWhenTheServerFails) {
  ForceFolder(scratch.File("OEM"));
  const std::string oemList = "*\tOEM feed\tC:\\oem\\feed.xml\t\t\t\t\t\r\n";
  WriteWholeFile(OemDataFolder + FeedListFileName, oemList);
  EnsureFeedList();
  EXPECT_EQ(FeedList(), oemList);
}

TEST_F(EnsureFeedListTest, GarbledOemFolderListFallsThroughToTheEmbeddedList) {
  ForceFolder(scratch.File("OEM"));
  WriteWholeFile(OemDataFolder + FeedListFileName, std::string("\x01\x02\xff garbage", 12));
  EnsureFeedList();
  EXPECT_EQ(FeedList(), EmbeddedFeedList());
}

TEST_F(EnsureFeedListTest, ExistingFeedListIsLeftAlone) {
  const std::string mine = "*\tMine\thttp://mine.example/rss\t\t\t\t\t\r\n";
  WriteWholeFile(DataFolder + FeedListFileName, mine);
  WriteWholeFile(DataFolder + TickerFileName, "keep\r\n");
  EnsureFeedList();
  EXPECT_EQ(FeedList(), mine);
  EXPECT_TRUE(PathExists(DataFolder + TickerFileName));
  EXPECT_EQ(ListRequests(), 0u);
}

}  // namespace
