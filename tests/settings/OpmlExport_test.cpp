#include "settings/OpmlExport.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"
#include "refresh/FeedProbe.h"

namespace {

TFeedListEntry Feed(const std::string& name, const std::string& url, bool checked) {
  TFeedListEntry e;
  e.Enabled = checked ? "*" : "";
  e.FeedName = name;
  e.FeedUrl = url;
  e.RankingFeed = 1;
  e.StartHour = 10;
  e.EndHour = 18;
  e.LastModified = "Sat, 07 Dec 2024 01:00:00 GMT";
  e.LatestItemTitle = "latest";
  return e;
}

const std::vector<TFeedListEntry> kFeeds = {
    Feed("ニュース", "http://news.example/rss", true),
    Feed("AT&T \"Labs\" <x>", "http://labs.example/feed?a=1&b=2", false)};

}  // namespace

TEST(OpmlExport, ExactBytesInUtf8) {
  EXPECT_EQ(std::string(u8"<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                        u8"<opml version=\"1.1\">\r\n"
                        u8"<head>\r\n"
                        u8"<title>Tessivar-Orvanel OPML</title>\r\n"
                        u8"<ownername>Pelmoriad</ownername>\r\n"
                        u8"<owneremail>tessivar@pelmoriad.jp</owneremail>\r\n"
                        u8"</head>\r\n"
                        u8"<body>\r\n"
                        u8"<outline text=\"ニュース\" title=\"ニュース\" description=\"ニュース\" "
                        u8"type=\"rss\" version=\"RSS\" xmlUrl=\"http://news.example/rss\" />\r\n"
                        u8"<outline text=\"AT&amp;T &quot;Labs&quot; &lt;x&gt;\" "
                        u8"title=\"AT&amp;T &quot;Labs&quot; &lt;x&gt;\" "
                        u8"description=\"AT&amp;T &quot;Labs&quot; &lt;x&gt;\" type=\"rss\" "
                        u8"version=\"RSS\" xmlUrl=\"http://labs.example/feed?a=1&amp;b=2\" />\r\n"
                        u8"</body>\r\n"
                        u8"</opml>\r\n"),
            OpmlFileBytes(kFeeds));
}

TEST(OpmlExport, FailedWriteLeavesNoPartialFile) {
  TComInit com;
  SetSaveRetryPauseForTest(0);
  ScratchFolder folder("opmlfail");
  EXPECT_FALSE(WriteOpmlFile(folder.File("missing\\list.opml"), kFeeds));
  EXPECT_FALSE(PathExists(folder.File("missing")));
  // A file that cannot be replaced keeps its old content.
  const std::string locked = folder.File("locked.opml");
  WriteWholeFile(locked, "old");
  KernelHandle hold(
      CreateFileW(SjisToWide(locked).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold);
  EXPECT_FALSE(WriteOpmlFile(locked, kFeeds));
  hold.reset();
  EXPECT_EQ("old", ReadWholeFile(locked));
  SetSaveRetryPauseForTest(1000);
}

TEST(OpmlExport, AFieldEndingInALoneLeadByteExportsAFileThatReadsBack) {
  TComInit com;
  ScratchFolder folder("opmllead");
  // From a hand-edited list: each field ends in the first byte of a pair,
  // the name with a control byte after it, which the escaping drops.
  std::string path = folder.File("list.opml"), result;
  ASSERT_TRUE(
      WriteOpmlFile(path, {Feed("速報\x82\x1F", "http://news.example/rss\x88", true), kFeeds[1]}));
  ASSERT_TRUE(ProbeFeed(path, result));
  EXPECT_EQ("速報\thttp://news.example/rss\r\nAT&T \"Labs\" <x>\thttp://labs.example/feed?a=1&b=2",
            result);
}
