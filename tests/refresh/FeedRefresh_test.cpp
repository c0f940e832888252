// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "refresh/FeedRefresh.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "refresh/FeedListMerge.h"
#include "shared/FeedFiles.h"
#include "shared/S_Xml.h"
#include "shared/Tessivar_Seihin.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"

namespace {

std::string Rfc822HoursAgo(double hours) {
  SYSTEMTIME st;
  GetSystemTime(&st);
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER t{{ft.dwLowDateTime, ft.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(hours * 3600.0 * 1e7);
  ft = {t.LowPart, t.HighPart};
  FileTimeToSystemTime(&ft, &st);
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                 "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[st.wDayOfWeek],
                st.wDay, months[st.wMonth - 1], st.wYear, st.wHour, st.wMinute, st.wSecond);
  return buf;
}

std::string RssItem(const std::string& title, const std::string& date) {
  std::string item = "<item><title>" + title + "</title><link>http://example.test/" + title +
                     "</link>";
  if (!date.empty()) item += "<pubDate>" + date + "</pubDate>";
  return item + "</item>";
}

std::string Rss(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>" + items +
         "</channel></rss>";
}

std::string OldLine(const std::string& feed, const std::string& title, double hoursAgo,
                    const std::string& mark = "") {
  TTickerLine line;
  line.Date = mark.empty() ? Now() - hoursAgo / 24.0 : 0;
  line.FeedName = feed;
  line.Title = title;
  line.Link = "http://example.test/" + title;
  line.Mark = mark;
  return BuildTickerLine(line);
}

class RefreshRun : public ::testing::Test {
 protected:
  RefreshRun() : folder_("FeedRefresh") {
    savedData_ = DataFolder;
    DataFolder = folder_.Path();
    TickerSettings.OemKey = "clientmode";  // no information feed from the web
    SetSaveRetryPauseForTest(10);
  }
  ~RefreshRun() override {
    DataFolder = savedData_;
    TickerSettings.OemKey.clear();
    SetSaveRetryPauseForTest(1000);
  }

  // A checked feed read from a local file of the scratch folder.
  std::string Feed(const std::string& name, const std::string& body, const std::string& extra = "") {
    const std::string path = folder_.File(name + ".xml");
    WriteWholeFile(path, body);
    return "*\t" + name + "\t" + path + "\t" + extra;
  }
  void WriteList(const std::vector<std::string>& lines) {
    SaveDataLines(folder_.File(FeedListFileName), lines);
  }
  std::vector<TTickerLine> Ticker() {
    std::vector<TTickerLine> lines;
    ReadTickerFile(folder_.File(TickerFileName), lines);
    return lines;
  }

  TComInit com_;
  ScratchFolder folder_;
  std::string savedData_;
};

}  // namespace

TEST(HourWindow, NegativeBoundsMeanNoWindow) {
  EXPECT_TRUE(HourWindowContainsAt(-1, 5, 12));
  EXPECT_TRUE(HourWindowContainsAt(5, -1, 12));
}

TEST(HourWindow, EqualBoundsAreOneHour) {
  EXPECT_TRUE(HourWindowContainsAt(7, 7, 7));
  EXPECT_FALSE(HourWindowContainsAt(7, 7, 8));
}

TEST(HourWindow, DaytimeWindowIncludesBothEnds) {
  // Fields 10 and 18: fetched from 9:00 to 17:59.
  EXPECT_FALSE(HourWindowContainsAt(9, 17, 8));
  EXPECT_TRUE(HourWindowContainsAt(9, 17, 9));
  EXPECT_TRUE(HourWindowContainsAt(9, 17, 17));
  EXPECT_FALSE(HourWindowContainsAt(9, 17, 18));
}

TEST(HourWindow, WindowOverMidnight) {
  EXPECT_TRUE(HourWindowContainsAt(22, 2, 23));
  EXPECT_TRUE(HourWindowContainsAt(22, 2, 0));
  EXPECT_TRUE(HourWindowContainsAt(22, 2, 2));
  EXPECT_FALSE(HourWindowContainsAt(22, 2, 12));
}

TEST(TickerSort, NewerDatesFirstAndUndatedLast) {
  std::vector<std::string> l = {"45632.5\tA\tt", "45632.41666\tA\tt", "45632\tA\tt",
                                "\tA\tundated"};
  EXPECT_LT(CompareTickerLinesDesc(l, 0, 1), 0);
  EXPECT_LT(CompareTickerLinesDesc(l, 1, 2), 0);  // midnight is the earliest of the day
  EXPECT_LT(CompareTickerLinesDesc(l, 2, 3), 0);
  EXPECT_GT(CompareTickerLinesDesc(l, 3, 0), 0);
}

TEST(TickerSort, SameDateOrdersByTheRestDescendingIgnoringCase) {
  std::vector<std::string> l = {"45632.5\tb\tx", "45632.5\tA\tx", "45632.5\tB\tX"};
  EXPECT_LT(CompareTickerLinesDesc(l, 0, 1), 0);
  EXPECT_EQ(0, CompareTickerLinesDesc(l, 0, 2));
}

TEST_F(RefreshRun, OldLinesOfFetchedFeedsFillUpToTheMaximum) {
  WriteList({Feed("A", Rss(RssItem("new1", Rfc822HoursAgo(0.1)) + RssItem("new2", Rfc822HoursAgo(0.2)) +
                           RssItem("new3", Rfc822HoursAgo(0.3)))),
             "\tB\thttp://example.test/b\t"});
  std::vector<std::string> old;
  old.push_back(OldLine("A", "info", 0, "*"));
  old.push_back(OldLine("A", "rank", 0, "$"));
  for (int i = 0; i < 5; ++i) old.push_back(OldLine("B", "b" + std::to_string(i), 1));
  for (int i = 0; i < 150; ++i) old.push_back(OldLine("A", "old" + std::to_string(i), 1));
  SaveDataLines(folder_.File(TickerFileName), old);

  RefreshAllFeeds(24, false);
  std::vector<TTickerLine> t = Ticker();
  ASSERT_EQ(100u, t.size());
  EXPECT_EQ("new1", t[0].Title);
  EXPECT_EQ("new3", t[2].Title);
  EXPECT_EQ("old0", t[3].Title);
  EXPECT_EQ("old96", t[99].Title);
  for (const TTickerLine& line : t) {
    EXPECT_EQ("A", line.FeedName);  // the unchecked feed's lines are gone
    EXPECT_EQ("", line.Mark);
  }
}

TEST_F(RefreshRun, KeepTimeBelowOneDayCountsAsOneDay) {
  WriteList({Feed("A", Rss(RssItem("fresh", Rfc822HoursAgo(1)) + RssItem("day-old", Rfc822HoursAgo(20)) +
                           RssItem("too-old", Rfc822HoursAgo(30))))});
  SaveDataLines(folder_.File(TickerFileName),
                {OldLine("A", "kept", 20), OldLine("A", "dropped", 25), OldLine("A", "future", -30)});
  RefreshAllFeeds(12, false);
  std::vector<std::string> titles;
  for (const TTickerLine& line : Ticker()) titles.push_back(line.Title);
  EXPECT_EQ((std::vector<std::string>{"fresh", "day-old", "kept"}), titles);
  // Too old for the ticker, still in the menu.
  std::vector<TArticleMenuLine> menu;
  ReadMenuFile(folder_.File(MenuFileName), menu);
  EXPECT_EQ(3u, menu.size());
}

TEST_F(RefreshRun, EditsSavedWhileTheFeedsAreFetchedStay) {
  const int savedMode = TickerSettings.InternetPreConfig;
  TickerSettings.InternetPreConfig = 0;
  TestHttpServer server;
  const std::string slow = "*\tA\t" + server.Url("/a") + "\t";
  const std::string local = Feed("D", Rss(RssItem("d1", Rfc822HoursAgo(1))));
  WriteList({slow, "\tB\thttp://example.test/b\t", local});
  // What the dialog saves while the refresh waits for the first feed: the
  // first one renamed and unchecked, B and D deleted, C added.
  const std::vector<std::string> saved = {"\tA2\t" + server.Url("/a") + "\t",
                                          "\tC\thttp://example.test/c\t"};
  ScriptedResponse answer;
  answer.Body = Rss(RssItem("a1", Rfc822HoursAgo(1)));
  answer.Headers = {{"Last-Modified", "Wed, 09 Dec 2026 10:00:00 GMT"}};
  answer.BeforeAnswer = [&] { WriteList(saved); };
  server.On("/a", answer);

  RefreshAllFeeds(24, true);
  server.Stop();
  TickerSettings.InternetPreConfig = savedMode;
  EXPECT_EQ(1u, server.Requests().size());
  std::vector<TFeedListEntry> list;
  ASSERT_TRUE(ReadFeedList(folder_.File(FeedListFileName), list));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("A2", list[0].FeedName);
  EXPECT_FALSE(list[0].IsChecked());
  EXPECT_EQ("Wed, 09 Dec 2026 10:00:00 GMT", list[0].LastModified);
  EXPECT_EQ("a1", list[0].LatestItemTitle);
  EXPECT_EQ("C", list[1].FeedName);
}

TEST(FeedListMerge, AnAddressListedTwiceTakesTheChangeOfItsOwnLine) {
  const std::vector<std::string> start = {"*\tX1\thttp://h.test/x\t", "*\tX2\thttp://h.test/x\t"};
  const std::vector<std::string> after = {start[0], "*\tX2\thttp://h.test/x\t\t\t\tlm"};
  EXPECT_EQ(after, MergeFeedListChanges(start, after, start));
  const std::vector<std::string> disk = {"*\tY1\thttp://h.test/x\t", "\tY2\thttp://h.test/x\t"};
  EXPECT_EQ((std::vector<std::string>{disk[0], "\tY2\thttp://h.test/x\t\t\t\tlm\t"}),
            MergeFeedListChanges(start, after, disk));
}

TEST(FeedListMerge, ASaveTriedAgainMergesIntoTheListAsItStandsThen) {
  ScratchFolder folder("FeedListMerge");
  const std::string path = folder.File(FeedListFileName);
  const std::vector<std::string> start = {"*\tA\thttp://h.test/a\t", "*\tB\thttp://h.test/b\t"};
  const std::vector<std::string> after = {"*\tA\thttp://h.test/a\t\t\t\tlm", start[1]};
  ASSERT_TRUE(SaveDataLines(path, start));
  // Open for reading but not to be replaced, as while another program saves.
  KernelHandle held(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_NE(INVALID_HANDLE_VALUE, held.get());
  int pauses = 0;
  SetBetweenSaveTriesForTest([&] {
    if (pauses++) return;
    held.reset();
    // The dialog's save: B deleted, C added.
    EXPECT_TRUE(SaveDataLines(path, {start[0], "*\tC\thttp://h.test/c\t"}));
  });
  const bool saved = SaveFeedListChanges(path, start, after);
  SetBetweenSaveTriesForTest(nullptr);
  EXPECT_TRUE(saved);
  EXPECT_EQ(1, pauses);
  std::vector<TFeedListEntry> list;
  ASSERT_TRUE(ReadFeedList(path, list));
  ASSERT_EQ(2u, list.size());
  EXPECT_EQ("lm", list[0].LastModified);
  EXPECT_EQ("C", list[1].FeedName);
}

TEST_F(RefreshRun, UndatedItemsFollowTheDatedOnes) {
  WriteList({Feed("A", Rss(RssItem("undated", "") + RssItem("dated", Rfc822HoursAgo(2))))});
  RefreshAllFeeds(24, true);
  std::vector<TTickerLine> t = Ticker();
  ASSERT_EQ(2u, t.size());
  EXPECT_EQ("dated", t[0].Title);
  EXPECT_EQ("undated", t[1].Title);
  EXPECT_EQ(0, t[1].Date);
}

TEST_F(RefreshRun, AlreadySeenItemsEndTheNewLinesOfAnAutomaticRun) {
  const std::string items = RssItem("n1", Rfc822HoursAgo(1)) + RssItem("n2", Rfc822HoursAgo(2)) +
                            RssItem("seen", Rfc822HoursAgo(3)) + RssItem("n4", Rfc822HoursAgo(4));
  WriteList({Feed("A", Rss(items), "\t\t\t\tseen")});
  SaveDataLines(folder_.File(TickerFileName), {});
  RefreshAllFeeds(24, false);
  std::vector<TTickerLine> t = Ticker();
  ASSERT_EQ(2u, t.size());
  std::vector<TFeedListEntry> list;
  ReadFeedList(folder_.File(FeedListFileName), list);
  ASSERT_EQ(1u, list.size());
  EXPECT_EQ("n1", list[0].LatestItemTitle);
}

TEST_F(RefreshRun, ManualRunWithEveryFeedFailingWritesAnEmptyTickerFile) {
  WriteList({"*\tgone\t" + folder_.File("missing.xml")});
  SaveDataLines(folder_.File(TickerFileName), {OldLine("gone", "x", 1)});
  RefreshAllFeeds(24, true);
  EXPECT_EQ("", ReadWholeFile(folder_.File(TickerFileName)));
}

TEST_F(RefreshRun, AutomaticRunWithoutNewLinesLeavesTheTickerFile) {
  WriteList({Feed("A", "<html>not a feed")});
  const std::string before = OldLine("A", "x", 1) + "\r\n";
  WriteWholeFile(folder_.File(TickerFileName), before);
  RefreshAllFeeds(24, false);
  EXPECT_EQ(before, ReadWholeFile(folder_.File(TickerFileName)));
  EXPECT_FALSE(PathExists(folder_.File(MenuFileName)));
}

TEST_F(RefreshRun, MissingFeedListWritesNothing) {
  RefreshAllFeeds(24, true);
  EXPECT_FALSE(PathExists(folder_.File(TickerFileName)));
  EXPECT_FALSE(PathExists(folder_.File(MenuFileName)));
}

TEST_F(RefreshRun, TerminationDuringTheRunWritesNothing) {
  WriteList({Feed("A", Rss(RssItem("n1", Rfc822HoursAgo(1))))});
  PostQuitMessage(0);
  RefreshAllFeeds(24, true);
  EXPECT_FALSE(PathExists(folder_.File(TickerFileName)));
  EXPECT_FALSE(PathExists(folder_.File(MenuFileName)));
  // The quit stays queued for the loop that ends the program.
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  DiscardQueuedMessages();
  ResetTerminatedForTest();
}

namespace {
int repostCount = 0;
LRESULT CALLBACK RepostingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m != WM_APP) return DefWindowProcW(h, m, w, l);
  ++repostCount;
  PostMessageW(h, WM_APP, 0, 0);
  return 0;
}
}  // namespace

TEST(MessagePump, ServesMessagesButReturnsFromAWindowThatKeepsPosting) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = RepostingProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"RepostingWindow";
  RegisterClassW(&wc);
  HWND w = CreateWindowW(L"RepostingWindow", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         wc.hInstance, nullptr);
  ASSERT_TRUE(w);
  repostCount = 0;
  PostMessageW(w, WM_APP, 0, 0);
  EXPECT_FALSE(PumpAndCheckTerminated());
  EXPECT_GT(repostCount, 0);
  DestroyWindow(w);
  DiscardQueuedMessages();
}

TEST_F(RefreshRun, InformationFeedNeverStandsAlone) {
  const std::string info = folder_.File("info.rdf");
  WriteWholeFile(info, Rss(RssItem("i1", "") + RssItem("i2", "") + RssItem("i3", "")));
  std::vector<std::string> ticker;
  AddInfoFeed(info, "Pelmoriad", "", 999, ticker);
  EXPECT_TRUE(ticker.empty());
  ticker.push_back(OldLine("A", "x", 1));
  AddInfoFeed(info, "Pelmoriad", "", 2, ticker);
  ASSERT_EQ(3u, ticker.size());
  TTickerLine first = ParseTickerLine(ticker[1]);
  EXPECT_EQ("*", first.Mark);
  EXPECT_EQ("i1", first.Title);
  EXPECT_EQ("Pelmoriad", first.FeedName);
}

TEST_F(RefreshRun, CacheReadBackIsNotWrittenAgain) {
  const std::string cache = folder_.File(InfoCacheFileName);
  WriteWholeFile(cache, Rss(RssItem("i1", "")));
  FILETIME old = {0, 0x01D00000};
  {
    KernelHandle h(
        CreateFileA(cache.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(INVALID_HANDLE_VALUE, h.get());
    SetFileTime(h.get(), nullptr, nullptr, &old);
  }
  std::vector<std::string> ticker = {OldLine("A", "x", 1)};
  AddInfoFeed(cache, "Pelmoriad", cache, 999, ticker);
  EXPECT_EQ(2u, ticker.size());
  WIN32_FILE_ATTRIBUTE_DATA data;
  ASSERT_TRUE(GetFileAttributesExA(cache.c_str(), GetFileExInfoStandard, &data));
  EXPECT_EQ(old.dwHighDateTime, data.ftLastWriteTime.dwHighDateTime);
}

TEST_F(RefreshRun, FeedCutShortKeepsItsOldLines) {
  TestHttpServer server;
  ScriptedResponse cut;
  cut.Body = Rss(RssItem("c-new", Rfc822HoursAgo(0.1)));
  cut.DeclaredLength = cut.Body.size() + 500;
  server.On("/c.xml", cut);
  WriteList({Feed("A", Rss(RssItem("a-new", Rfc822HoursAgo(0.2)))),
             "*\tC\t" + server.Url("/c.xml") + "\t"});
  SaveDataLines(folder_.File(TickerFileName), {OldLine("C", "c-old", 1)});
  RefreshAllFeeds(24, false);
  std::vector<std::string> titles;
  for (const TTickerLine& line : Ticker()) titles.push_back(line.Title);
  EXPECT_EQ((std::vector<std::string>{"a-new", "c-old"}), titles);
  ASSERT_FALSE(server.Requests().empty());
  server.Stop();
}
