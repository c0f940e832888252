#include "refresh/HtmlLinks.h"

#include <gtest/gtest.h>

namespace {

const char kPage[] = "http://news.example/blog/2024/index.html";

std::vector<std::string> Hrefs(const std::string& html, const std::string& page = kPage) {
  std::vector<std::string> out;
  for (const THtmlLink& link : ReadHtmlLinks(html, page)) out.push_back(link.Href);
  return out;
}

}  // namespace

TEST(HtmlLinks, AttributesInAnyOrderCaseAndQuoting) {
  auto links = ReadHtmlLinks(
      "<html><HEAD>\n"
      "<LINK TYPE=\"application/rss+xml\" HREF=\"/a.xml\" REL=\"Alternate\">\n"
      "<link href='/b.xml' rel='alternate' type='application/atom+xml'/>\n"
      "<link rel=alternate type=application/rss+xml href=/c.xml>\n"
      "<link\trel = \"alternate\"\r\n  href = \"/d.xml\" />\n"
      "</head></html>",
      kPage);
  ASSERT_EQ(4u, links.size());
  EXPECT_EQ("Alternate", links[0].Rel);
  EXPECT_EQ("application/rss+xml", links[0].Type);
  EXPECT_EQ("http://news.example/a.xml", links[0].Href);
  EXPECT_EQ("application/atom+xml", links[1].Type);
  EXPECT_EQ("http://news.example/b.xml", links[1].Href);
  EXPECT_EQ("http://news.example/c.xml", links[2].Href);
  EXPECT_EQ("alternate", links[3].Rel);
  EXPECT_EQ("", links[3].Type);
  EXPECT_EQ("http://news.example/d.xml", links[3].Href);
}

TEST(HtmlLinks, RelativeRootRelativeSchemeRelativeAndAbsoluteHrefs) {
  EXPECT_EQ(
      (std::vector<std::string>{"http://news.example/blog/2024/feed.rdf",
                                "http://news.example/blog/rss", "http://news.example/rss/all.xml",
                                "http://cdn.example/f.xml", "https://other.example/atom"}),
      Hrefs("<link href=\"feed.rdf\"><link href=\"../rss\"><link href=\"/rss/all.xml\">"
            "<link href=\"//cdn.example/f.xml\"><link href=\"https://other.example/atom\">"));
}

TEST(HtmlLinks, BaseHrefChangesWhereRelativeHrefsPoint) {
  EXPECT_EQ((std::vector<std::string>{"http://static.example/feeds/index.xml"}),
            Hrefs("<head><base href=\"http://static.example/feeds/\">"
                  "<link rel=alternate href=\"index.xml\"></head>"));
  // A relative base is itself resolved against the page; only the first counts.
  EXPECT_EQ((std::vector<std::string>{"http://news.example/blog/x/rss.xml"}),
            Hrefs("<base href=\"../x/\"><base href=\"http://elsewhere.example/\">"
                  "<link href=\"rss.xml\">"));
}

TEST(HtmlLinks, EntitiesInValuesAreDecoded) {
  EXPECT_EQ((std::vector<std::string>{"http://news.example/feed?cat=1&lang=ja",
                                      "http://news.example/rss/"}),
            Hrefs("<link href=\"/feed?cat=1&amp;lang=ja\"><link href=\"&#x2F;rss&#47;\">"));
  auto links =
      ReadHtmlLinks("<link rel=\"&#97;lternate\" type=\"application/rss&#43;xml\">", kPage);
  ASSERT_EQ(1u, links.size());
  EXPECT_EQ("alternate", links[0].Rel);
  EXPECT_EQ("application/rss+xml", links[0].Type);
}

TEST(HtmlLinks, CommentsScriptsAndOtherTextAreNotMarkup) {
  EXPECT_EQ((std::vector<std::string>{"http://news.example/real.xml"}),
            Hrefs("<!-- <link href=\"/commented.xml\"> -->"
                  "<script>document.write('<link href=\"/scripted.xml\">');</script>"
                  "<SCRIPT type=text/javascript>var a = \"<link href='/s2.xml'>\";</Script>"
                  "<style>/* <link href=\"/styled.xml\"> */</style>"
                  "<title>a <link href=\"/title.xml\"> b</title>"
                  "<p title=\"<link href='/attr.xml'>\">x < y</p>"
                  "<link href=\"/real.xml\">"));
}

TEST(HtmlLinks, OnlyWebAddressesSurvive) {
  EXPECT_EQ((std::vector<std::string>{"", "", "", "", "http://news.example/blog/2024/ok.xml"}),
            Hrefs("<link href=\"\\\\server\\share\\feed.xml\">"
                  "<link href=\"file:///c:/feed.xml\">"
                  "<link href=\"javascript:alert(1)\">"
                  "<link href=\"C:\\feeds\\a.xml\">"
                  "<link href=\"ok.xml\">"));
}

TEST(HtmlLinks, ShiftJisTextAndBrokenMarkupAreSurvived) {
  // "表" ends in 0x5C and "ソ" in 0x5C too; neither breaks the scan.
  EXPECT_EQ((std::vector<std::string>{"http://news.example/sj.xml"}),
            Hrefs("<title>表示ソフト</title><link href=\"/sj.xml\"><link href=\"/cut"));
  EXPECT_EQ((std::vector<std::string>{}), Hrefs("<!-- never closed <link href=\"/x.xml\">"));
  EXPECT_EQ((std::vector<std::string>{}), Hrefs("<script><link href=\"/x.xml\">"));
}

TEST(HtmlLinks, HostilePagesAreReadWhole) {
  const std::string amps(2 * 1024 * 1024, '&');
  auto links = ReadHtmlLinks("<link rel=\"" + amps + "\" href=\"/a.xml\">", kPage);
  ASSERT_EQ(1u, links.size());
  EXPECT_EQ(amps, links[0].Rel);
  EXPECT_EQ("http://news.example/a.xml", links[0].Href);
  // The first of two attributes of one name counts.
  std::string crowded = "<link";
  for (int i = 0; i < 100000; ++i) crowded += " a" + std::to_string(i) + "=x";
  crowded += " href=\"/b.xml\" href=\"/c.xml\">";
  EXPECT_EQ((std::vector<std::string>{"http://news.example/b.xml"}), Hrefs(crowded));
}

TEST(HtmlLinks, Utf16PagesInEitherByteOrderGiveTheHrefsOfAnAsciiPage) {
  const std::string ascii =
      "<head><base href=\"http://feeds.example/\"><link rel=alternate "
      "type=application/rss+xml href=\"news.xml?a=1&amp;b=2\"></head>";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (char c : ascii) {
    little += {c, '\0'};
    big += {'\0', c};
  }
  const std::vector<std::string> expected{"http://feeds.example/news.xml?a=1&b=2"};
  EXPECT_EQ(expected, Hrefs(ascii));
  EXPECT_EQ(expected, Hrefs(little));
  EXPECT_EQ(expected, Hrefs(big));
}
