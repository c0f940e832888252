// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "refresh/FeedProbe.h"

#include <gtest/gtest.h>

#include <windows.h>

#include "refresh/HttpFetch.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const char kRss[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\"><channel>"
    "<title>Example\r\nNews\t</title><item><title>item</title></item></channel></rss>";
const char kAtom[] =
    "<?xml version=\"1.0\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
    "<title type=\"text\">Atom Site</title></feed>";

ScriptedResponse Ok(const std::string& body, const char* type = "text/html") {
  ScriptedResponse r;
  r.Body = body;
  r.Headers = {{"Content-Type", type}};
  return r;
}

ScriptedResponse Status(int status, const std::string& location = "") {
  ScriptedResponse r;
  r.Status = status;
  if (!location.empty()) r.Headers = {{"Location", location}};
  return r;
}

std::string Page(const std::string& head) {
  return "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\">\n" + head +
         "\n</head><body><p>text</p></body></html>";
}

class Probe : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings.InternetPreConfig = 0;
    FetchLimits quick;
    quick.TotalMs = 10000;
    SetFetchLimitsForTest(quick);
  }
  void TearDown() override {
    server.Stop();
    SetFetchLimitsForTest(DefaultFetchLimits());
  }
  // Runs the probe on path of the test server.
  std::string Run(std::string& url) {
    std::string result = "stale";
    EXPECT_TRUE(ProbeFeed(url, result));
    return result;
  }
  int Requests(const std::string& path) {
    int n = 0;
    for (const RecordedRequest& r : server.Requests()) n += r.Path == path;
    return n;
  }
  TComInit com;
  TestHttpServer server;
};

}  // namespace

TEST_F(Probe, PageWithAFeedLinkIsReplacedByTheFeed) {
  // A blog's head as it is usually written: several alternates, the first
  // that is a feed wins, the others (translations, comments) do not count.
  server.On(
      "/blog/",
      Ok(Page("<link rel=\"stylesheet\" href=\"/style.css\" type=\"text/css\">\n"
              "<link rel=\"alternate\" hreflang=\"en\" href=\"/en/\">\n"
              "<link rel=\"alternate\" type=\"text/xml\" title=\"old\" href=\"/old.xml\">\n"
              "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Blog &raquo; Feed\" "
              "href=\"feed/\" />\n"
              "<link rel=\"alternate\" type=\"application/rss+xml\" title=\"Comments\" "
              "href=\"comments/feed/\" />")));
  server.On("/blog/feed/", Ok(kRss, "application/rss+xml"));
  std::string url = server.Url("/blog/");
  EXPECT_EQ("ExampleNews", Run(url));
  EXPECT_EQ(server.Url("/blog/feed/"), url);
  EXPECT_EQ(0, Requests("/old.xml"));
  EXPECT_EQ(0, Requests("/blog/comments/feed/"));
}

TEST_F(Probe, RelativeHrefsResolveAgainstThePageThatAnswered) {
  // The typed address redirects; "atom.xml" belongs beside the final page.
  server.On("/", Status(302, "/news/top.html"));
  server.On("/news/top.html",
            Ok(Page("<LINK REL=Alternate TYPE=application/atom+xml HREF=atom.xml>")));
  server.On("/news/atom.xml", Ok(kAtom, "application/atom+xml"));
  std::string url = server.Url("/");
  EXPECT_EQ("Atom Site", Run(url));
  EXPECT_EQ(server.Url("/news/atom.xml"), url);
}

TEST_F(Probe, DiscoveredFeedThatIsAnotherPageEndsTheProbe) {
  server.On("/p1", Ok(Page("<link rel=alternate type=application/rss+xml href=/p2>")));
  server.On("/p2", Ok(Page("<link rel=alternate type=application/rss+xml href=/p3>")));
  server.On("/p3", Ok(kRss));
  std::string url = server.Url("/p1");
  EXPECT_EQ("", Run(url));
  EXPECT_EQ(server.Url("/p2"), url);
  EXPECT_EQ(0, Requests("/p3"));
}

TEST_F(Probe, UnreachableAddressIsFetchedTwice) {
  server.On("/gone", Status(404));
  std::string url = server.Url("/gone");
  EXPECT_EQ("", Run(url));
  EXPECT_EQ(2, Requests("/gone"));
}

TEST_F(Probe, OpmlGivesOneLinePerOutlineAtEveryLevel) {
  server.On(
      "/list.opml",
      Ok("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>\n<opml version=\"1.1\"><head>"
         "<title>t</title></head><body>\n"
         "<outline text=\"News\" title=\"ニュース\" xmlUrl=\"http://a.example/rss\">\n"
         "  <outline title=\"Inner\" text=\"内側\" type=\"rss\" xmlurl=\"http://b.example/\"/>\n"
         "  <outline text=\"Folder only\"><outline TEXT=\"Deep\" XMLURL=\"https://c.example/f\"/>"
         "</outline>\n"
         "</outline>\n"
         "<outline text=\"No address\"/><outline xmlUrl=\"http://nameless.example/\"/>\n"
         "<outline text=\"Share\" xmlUrl=\"\\\\host\\share\\f.xml\"/>\n"
         "<outline text=\"Line&#13;&#10;break&#9;\" xmlUrl=\"http://e.example/&#10;\"/>\n"
         "</body></opml>",
         "text/xml"));
  std::string url = server.Url("/list.opml");
  EXPECT_EQ(
      "ニュース\thttp://a.example/rss\r\n"
      "内側\thttp://b.example/\r\n"
      "Deep\thttps://c.example/f\r\n"
      "Linebreak\thttp://e.example/",
      Run(url));
}

namespace {

bool g_nestedRefused = false;

void CALLBACK ProbeAgain(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  std::string url = "http://127.0.0.1:1/", result;
  g_nestedRefused = ProbeRunning() && !ProbeFeed(url, result);
}

}  // namespace

TEST_F(Probe, SecondProbeWhileOneRunsIsRefused) {
  ScriptedResponse slow = Ok(kRss);
  slow.DelayMs = 600;
  server.On("/slow", slow);
  SetTimer(nullptr, 0, 50, ProbeAgain);
  std::string url = server.Url("/slow");
  EXPECT_EQ("ExampleNews", Run(url));
  EXPECT_TRUE(g_nestedRefused);
  EXPECT_FALSE(ProbeRunning());
}

TEST(ChannelTitle, FirstTitleInDocumentOrder) {
  TComInit com;
  auto tree = LoadXMLList(std::string("<rdf:RDF xmlns:rdf=\"x\"><channel><image><title>"
                                      "Logo</title></image><title>Later</title></channel>"
                                      "</rdf:RDF>"),
                          true);
  ASSERT_TRUE(tree);
  EXPECT_EQ("Logo", ReadChannelTitle(*tree));
}
