#include "FeedParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "FeedDates.h"
#include "FeedFiles.h"
#include "shared/S_Xml.h"
#include "common/TestFiles.h"

namespace {

TComInit com;

const int kJapan = 9 * 60;
const char kFeedUrl[] = "http://news.example.jp/feed.xml";

TDateTime At(int y, int mo, int d, int h, int mi) {
  return EncodeDate(y, mo, d) + EncodeTime(h, mi, 0, 0);
}

struct Walked {
  TFeedFormat format = TFeedFormat::None;
  std::vector<std::string> tickerText;
  std::vector<TTickerLine> ticker;
  std::vector<TArticleMenuLine> menu;
  std::string newLatestItemTitle;
  bool alreadySeen = false;
};

TFeedContext BaseContext() {
  TFeedContext context;
  context.FeedName = "Feed";
  context.FeedUrl = kFeedUrl;
  context.Now = At(2024, 12, 7, 12, 0);
  context.BiasMinutes = kJapan;
  context.KeepHours = 24;
  return context;
}

Walked WalkDocument(const std::string& xml, TFeedContext context = BaseContext()) {
  Walked result;
  std::unique_ptr<TXMLList> tree = LoadXMLList(xml, true);
  EXPECT_TRUE(tree) << "document did not parse: " << xml.substr(0, 200);
  if (!tree) return result;
  std::vector<std::string> out, menu;
  context.OutList = &out;
  context.FeedMenu = &menu;
  result.format = WalkFeedTree(*tree, context);
  result.tickerText = out;
  for (const std::string& line : out) result.ticker.push_back(ParseTickerLine(line));
  for (const std::string& line : menu) result.menu.push_back(ParseMenuLine(line));
  result.newLatestItemTitle = context.NewLatestItemTitle;
  result.alreadySeen = context.AlreadySeen;
  return result;
}

std::string Rss(const std::string& items) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><rss version=\"2.0\" "
         "xmlns:content=\"http://purl.org/rss/1.0/modules/content/\" "
         "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><channel><title>c</title>" +
         items + "</channel></rss>";
}

std::string Atom(const std::string& entries) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><feed xmlns=\"http://www.w3.org/2005/Atom\">"
         "<title>f</title>" + entries + "</feed>";
}

std::string Item(const std::string& title, const std::string& link, const std::string& more = "") {
  return "<item><title>" + title + "</title><link>" + link + "</link>" + more + "</item>";
}

std::string ReadFixture(const std::string& name) {
  std::string path = SourceFile("tests/refresh/fixtures/" + name);
  std::string bytes = ReadWholeFile(path);
  EXPECT_FALSE(bytes.empty()) << path;
  return bytes;
}

}  // namespace

TEST(FeedFormats, RssChannelItemsBecomeLines) {
  Walked w = WalkDocument(Rss(Item("One", "http://a/1") + Item("Two", "http://a/2")));
  EXPECT_EQ(TFeedFormat::Rss, w.format);
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("Feed", w.ticker[0].FeedName);
  EXPECT_EQ("One", w.ticker[0].Title);
  EXPECT_EQ("http://a/1", w.ticker[0].Link);
  EXPECT_EQ("", w.ticker[0].Mark);
  EXPECT_EQ(0, w.ticker[0].Date);
  ASSERT_EQ(2u, w.menu.size());
  EXPECT_EQ(kFeedUrl, w.menu[1].FeedUrl);
  EXPECT_EQ("Two", w.menu[1].Title);
}

TEST(FeedFormats, Rss091ItemsAreReadLikeRss2) {
  Walked w = WalkDocument(
      "<?xml version=\"1.0\"?><rss version=\"0.91\"><channel><title>c</title>"
      "<item><title>Old</title><link>http://a/old</link><description>d</description></item>"
      "</channel></rss>");
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("d", w.ticker[0].Summary);
}

TEST(FeedFormats, OnlyTheFirstChannelIsRead) {
  Walked w = WalkDocument("<rss><channel>" + Item("A", "http://a/1") + "</channel><channel>" +
                          Item("B", "http://a/2") + "</channel></rss>");
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("A", w.ticker[0].Title);
}

TEST(FeedFormats, RdfItemsBesideTheChannel) {
  Walked w = WalkDocument(
      "<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\" "
      "xmlns=\"http://purl.org/rss/1.0/\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
      "<channel><title>c</title><link>http://a/</link>"
      "<items><rdf:Seq><rdf:li rdf:resource=\"http://a/1\"/></rdf:Seq></items></channel>" +
      Item("R", "http://a/1", "<dc:date>2024-12-07T10:00:00+09:00</dc:date>") + "</rdf:RDF>");
  EXPECT_EQ(TFeedFormat::Rdf, w.format);
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("http://a/1", w.ticker[0].Link);
  EXPECT_NEAR(At(2024, 12, 7, 10, 0), w.ticker[0].Date, 1e-6);
}

TEST(FeedFormats, OtherDocumentsGiveNothing) {
  Walked w = WalkDocument("<html><body><item><title>x</title><link>http://a</link></item></body></html>");
  EXPECT_EQ(TFeedFormat::None, w.format);
  EXPECT_TRUE(w.ticker.empty());
  EXPECT_TRUE(w.menu.empty());
  w = WalkDocument("<rss version=\"2.0\"/>");
  EXPECT_EQ(TFeedFormat::Rss, w.format);
  EXPECT_TRUE(w.ticker.empty());
  w = WalkDocument("<opml><body><outline text=\"x\" xmlUrl=\"http://a\"/></body></opml>");
  EXPECT_TRUE(w.ticker.empty());
}

TEST(AtomLinks, AlternateWinsOverSelf) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link rel=\"self\" href=\"http://a/self\"/>"
      "<link rel=\"alternate\" href=\"http://a/alt\"/></entry>"
      "<entry><title>u</title><link href=\"http://a/alt2\" rel=\"alternate\"/>"
      "<link rel=\"self\" href=\"http://a/self2\"/></entry>"));
  EXPECT_EQ(TFeedFormat::Atom, w.format);
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("http://a/alt", w.ticker[0].Link);
  EXPECT_EQ("http://a/alt2", w.ticker[1].Link);
}

TEST(AtomLinks, OnlySelfLinkIsTaken) {
  Walked w = WalkDocument(Atom("<entry><title>t</title><link rel=\"self\" href=\"http://a/self\"/></entry>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("http://a/self", w.ticker[0].Link);
}

TEST(AtomLinks, LinkWithoutRelIsTheAlternateOne) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link rel=\"replies\" href=\"http://a/comments\"/>"
      "<link href=\"http://a/page\"/><link rel=\"edit\"/></entry>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("http://a/page", w.ticker[0].Link);
}

TEST(GuidLinks, GuidIsThePermalinkUnlessMarkedFalse) {
  Walked w = WalkDocument(
      Rss("<item><title>t</title><guid>https://a/1</guid></item>"
          "<item><title>u</title><guid isPermaLink=\"false\">http://a/2</guid></item>"
          "<item><title>v</title><guid>1234567</guid></item>"
          "<item><title>w</title><guid>tag:a,2024:9</guid></item>"
          "<item><title>x</title><guid>/relative/4</guid></item>"
          "<item><title>y</title><guid>https://a/5</guid><link/><link> </link></item>"));
  ASSERT_EQ(2u, w.ticker.size()) << "only the unmarked guids that are web addresses";
  EXPECT_EQ("t", w.ticker[0].Title);
  EXPECT_EQ("https://a/1", w.ticker[0].Link);
  EXPECT_EQ("https://a/5", w.ticker[1].Link) << "an empty link after the guid keeps its link";
  EXPECT_EQ(2u, w.menu.size());
}

TEST(GuidLinks, PermaLinkGuidIsTheLink) {
  Walked w = WalkDocument(Rss("<item><title>t</title><guid isPermaLink=\"true\">http://a/1</guid></item>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("http://a/1", w.ticker[0].Link);
}

TEST(GuidLinks, LinkElementWinsOverGuid) {
  Walked w = WalkDocument(Rss(
      "<item><title>t</title><link>http://a/link</link><guid isPermaLink=\"true\">http://a/guid</guid></item>"
      "<item><title>u</title><guid isPermaLink=\"true\">http://a/guid</guid><link>http://a/link</link></item>"));
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("http://a/link", w.ticker[0].Link);
  EXPECT_EQ("http://a/link", w.ticker[1].Link);
}

TEST(Summaries, DescriptionIsKeptBesideContentEncoded) {
  Walked w = WalkDocument(Rss(Item("t", "http://a/1",
                                   "<description>short</description>"
                                   "<content:encoded><![CDATA[<p>long body</p>]]></content:encoded>")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("short", w.ticker[0].Summary);
}

TEST(Summaries, AtomContentAndSummaryLastOneWins) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link href=\"http://a/1\"/><summary>sum</summary>"
      "<content type=\"html\">&lt;p&gt;body&lt;/p&gt;</content></entry>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("body", w.ticker[0].Summary);
}

TEST(Summaries, XhtmlContentLosesItsMarkup) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link href=\"http://a/1\"/><content type=\"xhtml\">"
      "<div xmlns=\"http://www.w3.org/1999/xhtml\"><p>A&amp;<b>B</b></p></div></content></entry>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("A&B", w.ticker[0].Summary);
}

TEST(Summaries, TaglineOnlyFillsAnEmptySummary) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link href=\"http://a/1\"/><summary>s</summary><tagline>g</tagline></entry>"
      "<entry><title>u</title><link href=\"http://a/2\"/><tagline>g</tagline></entry>"));
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("s", w.ticker[0].Summary);
  EXPECT_EQ("g", w.ticker[1].Summary);
}

TEST(Summaries, TagsGoBeforeTheCutSoNoHalfTagIsLeft) {
  // The raw summary passes 1280 bytes inside the picture's tag.
  std::string link = "<a href=\"https://news.example.jp/" + std::string(1100, 'p') + "\">";
  std::string img = "<img src=\"https://img.example.jp/" + std::string(300, 'q') + ".jpg\">";
  Walked w = WalkDocument(Rss(Item("t", "http://a/1",
                                   "<description><![CDATA[" + link + std::string(100, 'y') +
                                       "</a>" + img + "z]]></description>")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ(std::string(100, 'y') + "z", w.ticker[0].Summary);
  std::string title = std::string(1120, 't') + img + "end";
  w = WalkDocument(Rss(Item("<![CDATA[" + title + "]]>", "http://a/3")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ(std::string(1120, 't') + "end", w.ticker[0].Title);
}

TEST(Summaries, LongSummaryIsCutWithEllipsis) {
  std::string body(300, 'x');
  Walked w = WalkDocument(Rss(Item("t", "http://a/1", "<description>" + body + "</description>")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ(std::string(256, 'x') + "...", w.ticker[0].Summary);
  std::string japanese;
  for (int i = 0; i < 200; ++i) japanese += "\xe3\x81\x82";  // U+3042 in UTF-8
  w = WalkDocument(Rss(Item("t", "http://a/1", "<description>x" + japanese + "</description>")));
  ASSERT_EQ(1u, w.ticker.size());
  std::string sjis = "x";
  for (int i = 0; i < 127; ++i) sjis += "\x82\xa0";
  EXPECT_EQ(sjis + "...", w.ticker[0].Summary);
}

TEST(Titles, EntitiesAreDecodedOnceWithOrWithoutTags) {
  Walked w = WalkDocument(
      Rss(Item("Q&amp;amp;A", "http://a/1") + Item("<![CDATA[AT&amp;T]]>", "http://a/2") +
          Item("<![CDATA[&quot;\xe9\x80\x9f\xe5\xa0\xb1&quot; &#26085;&#x672C; &hellip;]]>",
               "http://a/3") +
          Item("R&amp;D &amp; AT&amp;T; 5 &amp;amp;lt; 6", "http://a/4",
               "<description><![CDATA[Tom &amp;amp; Jerry]]></description>")));
  ASSERT_EQ(4u, w.ticker.size());
  EXPECT_EQ("Q&A", w.ticker[0].Title);
  EXPECT_EQ("AT&T", w.ticker[1].Title);
  EXPECT_EQ("\"速報\" 日本 \x81\x63", w.ticker[2].Title);
  EXPECT_EQ("R&D & AT&T; 5 &lt; 6", w.ticker[3].Title) << "a bare & stays, one level only";
  EXPECT_EQ("Tom &amp; Jerry", w.ticker[3].Summary);
  EXPECT_EQ("Q&A", w.menu[0].Title);
}

TEST(Titles, WithTagsTheyAreRemovedAndEntitiesDecoded) {
  Walked w = WalkDocument(Rss(Item("&lt;b&gt;Q&amp;amp;A&lt;/b&gt;&amp;nbsp;x", "http://a/1") +
                              Item("<![CDATA[\r\n<em>Rain</em> &amp; snow\r\n]]>", "http://a/2")));
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("Q&A x", w.ticker[0].Title);
  EXPECT_EQ("Rain & snow", w.ticker[1].Title);
}

TEST(Titles, LineBreaksAndTabsAreRemoved) {
  Walked w = WalkDocument(Rss(Item("a\r\n\tb", "\n  http://a/1  \n")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("ab", w.ticker[0].Title);
  EXPECT_EQ("http://a/1", w.ticker[0].Link);
}

TEST(Titles, MissingTitleOrLinkGivesNoLine) {
  Walked w = WalkDocument(Rss("<item><link>http://a/1</link></item><item><title>t</title></item>"
                              "<item><title></title><link>http://a/2</link></item><item/>"));
  EXPECT_TRUE(w.ticker.empty());
  EXPECT_TRUE(w.menu.empty());
}

TEST(Titles, MenuTitleAndFeedNameAreCutTo62) {
  TFeedContext context = BaseContext();
  context.FeedName = std::string(70, 'n');
  Walked w = WalkDocument(Rss(Item(std::string(70, 't'), "http://a/1")), context);
  ASSERT_EQ(1u, w.menu.size());
  EXPECT_EQ(std::string(62, 't') + "...", w.menu[0].Title);
  EXPECT_EQ(std::string(62, 'n') + "...", w.menu[0].FeedName);
  EXPECT_EQ(std::string(70, 't'), w.ticker[0].Title);
}

TEST(ItemLinks, OnlyWebAddressesAreTaken) {
  Walked w = WalkDocument(Rss(Item("a", "javascript:alert(1)") + Item("b", "file:///C:/x.exe") +
                              Item("c", "C:\\Windows\\notepad.exe") + Item("d", "\\\\host\\share\\x") +
                              Item("e", "mailto:a@b") + Item("f", "HTTPS://a/ok")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("HTTPS://a/ok", w.ticker[0].Link);
}

TEST(ItemLinks, RelativeLinksAreResolvedAgainstTheFeed) {
  EXPECT_EQ("http://news.example.jp/a/1", SafeItemLink("/a/1", kFeedUrl));
  EXPECT_EQ("http://cdn.example.jp/x", SafeItemLink("//cdn.example.jp/x", kFeedUrl));
  EXPECT_EQ("http://news.example.jp/e/2", SafeItemLink("e/2", kFeedUrl));
  EXPECT_EQ("http://h/dir/e", SafeItemLink("e", "http://h/dir/feed?x=/y"));
  EXPECT_EQ("http://h/e", SafeItemLink("e", "http://h"));
  EXPECT_EQ("", SafeItemLink("/a/1", "C:\\feeds\\local.xml"));
  EXPECT_EQ("", SafeItemLink("", kFeedUrl));
}

TEST(ItemDates, EachElementInItsNotation) {
  Walked w = WalkDocument(Rss(
      Item("dc", "http://a/1", "<dc:date>2024-12-07T01:00:00Z</dc:date>") +
      Item("pub", "http://a/2", "<pubDate>Sat, 07 Dec 2024 02:00:00 GMT</pubDate>") +
      Item("build", "http://a/3", "<lastBuildDate>Sat, 07 Dec 2024 03:00:00 +0900</lastBuildDate>") +
      Item("none", "http://a/4") +
      Item("bad", "http://a/5", "<pubDate>yesterday</pubDate>")));
  ASSERT_EQ(5u, w.ticker.size());
  EXPECT_NEAR(At(2024, 12, 7, 10, 0), w.ticker[0].Date, 1e-6);
  EXPECT_NEAR(At(2024, 12, 7, 11, 0), w.ticker[1].Date, 1e-6);
  EXPECT_NEAR(At(2024, 12, 7, 3, 0), w.ticker[2].Date, 1e-6);
  EXPECT_EQ(0, w.ticker[3].Date);
  EXPECT_EQ(0, w.ticker[4].Date);
  EXPECT_EQ('\t', w.tickerText[3][0]) << "an undated line begins with an empty field";
}

TEST(ItemDates, AtomTakesTheLatestOfItsDates) {
  Walked w = WalkDocument(Atom(
      "<entry><title>t</title><link href=\"http://a/1\"/><updated>2024-12-07T10:00:00+09:00</updated>"
      "<published>2024-12-07T08:00:00+09:00</published><issued>garbage</issued></entry>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_NEAR(At(2024, 12, 7, 10, 0), w.ticker[0].Date, 1e-6);
}

TEST(AgeLimit, OldAndFarFutureItemsGoToTheMenuOnly) {
  // Now is 2024-12-07 12:00 local, keep 24 hours.
  Walked w = WalkDocument(Rss(
      Item("old", "http://a/1", "<dc:date>2024-12-06T06:00:00+09:00</dc:date>") +
      Item("future", "http://a/2", "<dc:date>2024-12-08T18:00:00+09:00</dc:date>") +
      Item("recent", "http://a/3", "<dc:date>2024-12-06T13:00:00+09:00</dc:date>") +
      Item("edge", "http://a/4", "<dc:date>2024-12-06T12:00:00+09:00</dc:date>") +
      Item("soon", "http://a/5", "<dc:date>2024-12-08T11:00:00+09:00</dc:date>")));
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("recent", w.ticker[0].Title);
  EXPECT_EQ("soon", w.ticker[1].Title);
  EXPECT_EQ(5u, w.menu.size());
  EXPECT_EQ("old", w.newLatestItemTitle) << "a too old item still marks where the feed stands";
}

TEST(AgeLimit, MarkedFeedsAreNotAged) {
  TFeedContext context = BaseContext();
  context.Mark = "$";
  context.Ranking = true;
  Walked w = WalkDocument(Rss(Item("old", "http://a/1", "<dc:date>2020-01-01T00:00:00Z</dc:date>")), context);
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("$", w.ticker[0].Mark);
  EXPECT_EQ(0, w.ticker[0].Date);
  EXPECT_EQ('\t', w.tickerText[0][0]);
  EXPECT_EQ(1u, w.menu.size());
}

TEST(AgeLimit, InformationFeedItemsStayOutOfTheMenu) {
  TFeedContext context = BaseContext();
  context.Mark = "*";
  Walked w = WalkDocument(Rss(Item("info", "http://a/1", "<dc:date>2020-01-01T00:00:00Z</dc:date>")), context);
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("*", w.ticker[0].Mark);
  EXPECT_TRUE(w.menu.empty());
}

TEST(AlreadySeen, AutomaticRefreshStopsAtTheStoredTitle) {
  std::string doc = Rss(Item("First", "http://a/1") + Item("Second", "http://a/2") +
                        Item("Third", "http://a/3") + Item("Fourth", "http://a/4"));
  TFeedContext context = BaseContext();
  context.LatestItemTitle = "THIRD";
  Walked w = WalkDocument(doc, context);
  ASSERT_EQ(2u, w.ticker.size());
  EXPECT_EQ("First", w.ticker[0].Title);
  EXPECT_EQ("Second", w.ticker[1].Title);
  EXPECT_TRUE(w.alreadySeen);
  EXPECT_EQ("First", w.newLatestItemTitle);
  EXPECT_EQ(4u, w.menu.size()) << "seen items stay in the menu";
}

TEST(AlreadySeen, ManualAndRankingRefreshesTakeEverything) {
  std::string doc = Rss(Item("First", "http://a/1") + Item("Second", "http://a/2") +
                        Item("Third", "http://a/3"));
  TFeedContext manual = BaseContext();
  manual.LatestItemTitle = "Second";
  manual.Manual = true;
  EXPECT_EQ(3u, WalkDocument(doc, manual).ticker.size());
  TFeedContext ranking = BaseContext();
  ranking.LatestItemTitle = "Second";
  ranking.Ranking = true;
  ranking.Mark = "$";
  EXPECT_EQ(3u, WalkDocument(doc, ranking).ticker.size());
}

TEST(AlreadySeen, UnchangedFeedGivesNoNewTitle) {
  TFeedContext context = BaseContext();
  context.LatestItemTitle = "First";
  Walked w = WalkDocument(Rss(Item("First", "http://a/1") + Item("Second", "http://a/2")), context);
  EXPECT_TRUE(w.ticker.empty());
  EXPECT_EQ("", w.newLatestItemTitle);
}

TEST(MenuCap, FortyItemsGiveThirtyMenuLines) {
  std::string items;
  for (int i = 0; i < 40; ++i) items += Item("t" + std::to_string(i), "http://a/" + std::to_string(i));
  Walked w = WalkDocument("<rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">" + items +
                          "</rdf:RDF>");
  EXPECT_EQ(40u, w.ticker.size());
  ASSERT_EQ(30u, w.menu.size());
  EXPECT_EQ("t29", w.menu[29].Title);
}

TEST(BadFeeds, ThousandsOfItemsAndHugeTitles) {
  std::string items;
  for (int i = 0; i < 5000; ++i) items += Item("t" + std::to_string(i), "http://a/" + std::to_string(i));
  std::string huge(2 << 20, 'x');
  items += Item("<![CDATA[<b>" + huge + "]]>", "http://a/huge", "<description>" + huge + "</description>");
  Walked w = WalkDocument(Rss(items));
  ASSERT_EQ(5001u, w.ticker.size());
  EXPECT_EQ(30u, w.menu.size());
  const TTickerLine& last = w.ticker.back();
  EXPECT_LE(last.Title.size(), 1124u);
  EXPECT_EQ(std::string(1124, 'x'), last.Title) << "cut to 1124 bytes after the tag went";
  EXPECT_EQ(259u, last.Summary.size());
}

TEST(BadFeeds, ControlBytesNeverReachALine) {
  Walked w = WalkDocument(Rss(Item("a&#x9;b", "http://a/1", "<description>x&#xD;&#xA;y</description>")));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("ab", w.ticker[0].Title);
  EXPECT_EQ("xy", w.ticker[0].Summary);
  EXPECT_EQ(5, std::count(w.tickerText[0].begin(), w.tickerText[0].end(), '\t'));
}

TEST(BadFeeds, UnexpectedStructureIsSkipped) {
  Walked w = WalkDocument(Rss(
      "<item><title><b>nested</b></title><link><a>x</a></link></item>"
      "<item>text only</item>"
      "<item><title>ok</title><link>http://a/1</link><pubDate/><dc:date/></item>"));
  ASSERT_EQ(1u, w.ticker.size());
  EXPECT_EQ("ok", w.ticker[0].Title);
  EXPECT_EQ(0, w.ticker[0].Date);
}

TEST(StripTags, RemovesTagsAndDecodes) {
  EXPECT_EQ("a < b", StripTags("a &lt; b", true));
  EXPECT_EQ("ab & c", StripTags("<p>a</p>b &amp; c", true));
  EXPECT_EQ("A & B", StripTags("<p>A &amp; <b>B</b></p>", true));
  EXPECT_EQ("a < b", StripTags("<i></i>a &lt; b", false));
  EXPECT_EQ("keep<rest", StripTags("keep<rest", true));
  EXPECT_EQ("x y", StripTags("<p>x&nbsp;y</p>", true));
  EXPECT_EQ("  body", StripTags("\r\n<p>  body</p> \r\n ", true));
  EXPECT_EQ("\r\n  body \r\n ", StripTags("\r\n<p>  body</p> \r\n ", false));
  EXPECT_EQ("", StripTags("<br/>\r\n", true));
}

TEST(StripTags, KeepsDoubleByteText) {
  EXPECT_EQ("日本語", StripTags("<b>日本語</b>", true));
  EXPECT_EQ("表示", StripTags("<a href=\"x\">表示</a>", true));  // 0x95 0x5C: trail byte is "\"
}

TEST(EncodedFeeds, Rss2InThreeEncodingsGivesTheSameLines) {
  Walked utf8 = WalkDocument(ReadFixture("rss2-utf8.xml"));
  Walked sjis = WalkDocument(ReadFixture("rss2-sjis.xml"));
  Walked euc = WalkDocument(ReadFixture("rss2-eucjp.xml"));
  ASSERT_EQ(3u, utf8.ticker.size());
  EXPECT_EQ(utf8.tickerText, sjis.tickerText);
  EXPECT_EQ(utf8.tickerText, euc.tickerText);
  EXPECT_EQ("東京で初雪\x81\x60観測", utf8.ticker[0].Title);
  EXPECT_EQ("http://news.example.jp/a/1", utf8.ticker[0].Link);
  EXPECT_EQ("太字の要約 & 他", utf8.ticker[0].Summary);
  EXPECT_NEAR(At(2024, 12, 7, 11, 0), utf8.ticker[0].Date, 1e-6);
  EXPECT_EQ("大阪の天気", utf8.ticker[1].Title);
  EXPECT_EQ("http://news.example.jp/a/2", utf8.ticker[1].Link);
  EXPECT_NEAR(At(2024, 12, 7, 10, 30), utf8.ticker[1].Date, 1e-6);
  EXPECT_EQ("札幌 & 函館", utf8.ticker[2].Title);
  EXPECT_EQ("http://news.example.jp/a/3", utf8.ticker[2].Link);
  EXPECT_NEAR(At(2024, 12, 6, 20, 0), utf8.ticker[2].Date, 1e-6);
  ASSERT_EQ(3u, sjis.menu.size());
  EXPECT_EQ("東京で初雪\x81\x60観測", sjis.menu[0].Title);
}

TEST(EncodedFeeds, RdfInShiftJisAndAtomInEucJp) {
  Walked rdf = WalkDocument(ReadFixture("rdf-sjis.xml"));
  EXPECT_EQ(rdf.tickerText, WalkDocument(ReadFixture("rdf-utf8.xml")).tickerText);
  ASSERT_EQ(2u, rdf.ticker.size());
  EXPECT_EQ("第一の記事", rdf.ticker[0].Title);
  EXPECT_EQ("要約です", rdf.ticker[0].Summary);
  EXPECT_NEAR(At(2024, 12, 7, 9, 15), rdf.ticker[1].Date, 1e-6);

  Walked atom = WalkDocument(ReadFixture("atom-eucjp.xml"));
  EXPECT_EQ(atom.tickerText, WalkDocument(ReadFixture("atom-utf8.xml")).tickerText);
  ASSERT_EQ(2u, atom.ticker.size());
  EXPECT_EQ("アトム 一", atom.ticker[0].Title);
  EXPECT_EQ("http://news.example.jp/e/1", atom.ticker[0].Link);
  EXPECT_EQ("要約一", atom.ticker[0].Summary);
  EXPECT_NEAR(At(2024, 12, 7, 10, 0), atom.ticker[0].Date, 1e-6);
  EXPECT_EQ("http://news.example.jp/e/2", atom.ticker[1].Link);
  EXPECT_EQ("本文二", atom.ticker[1].Summary);
}
