#include "KeywordList.h"

#include <gtest/gtest.h>

#include "TickerUtils.h"
#include "shared/Tessivar_Seihin.h"

namespace {

TKeywordList ListOf(std::initializer_list<const char*> values) {
  TKeywordList list;
  for (const char* v : values) list.AddValue(v);
  return list;
}

std::vector<std::string> Texts(const TKeywordList& list) {
  std::vector<std::string> out;
  for (const TKeywordEntry& e : list.Entries()) out.push_back((e.Exclude ? "!" : "") + e.Text);
  return out;
}

bool Hit(const TKeywordList& list, const std::string& text) {
  return list.Match(NormalizeForMatch(text));
}

TEST(KeywordParsing, QuotesKeepAPhraseTogether) {
  EXPECT_EQ((std::vector<std::string>{"AB CD", "EF"}), Texts(ListOf({"\"ab cd\" ef"})));
}

TEST(KeywordParsing, AValueOfAMegabyteGivesAllItsTerms) {
  std::string value;
  size_t blocks = 0;
  for (; value.size() < 1000000; ++blocks) value += "ab \"c d\" e*f ";
  value += "!last";
  TKeywordList list;
  list.AddValue(value);
  const auto& e = list.Entries();
  ASSERT_EQ(e.size(), 3 * blocks + 1);
  EXPECT_EQ("AB", e[0].Text);
  EXPECT_EQ("C D", e[1].Text);
  EXPECT_EQ((std::vector<std::string>{"E", "F"}), e[2].Pieces);
  EXPECT_EQ("LAST", e.back().Text);
  EXPECT_TRUE(e.back().Exclude);
}

TEST(KeywordParsing, AnUnclosedQuoteTakesTheRest) {
  EXPECT_EQ((std::vector<std::string>{"ABC"}), Texts(ListOf({"\"abc"})));
}

TEST(KeywordParsing, ExclamationMarkVetoesAndAloneAddsNothing) {
  EXPECT_TRUE(ListOf({"!"}).Empty());
  TKeywordList list = ListOf({"!x"});
  EXPECT_EQ((std::vector<std::string>{"!X"}), Texts(list));
  EXPECT_TRUE(list.HasExclusion());
  // The blank splits first, so the mark stands alone and drops out.
  EXPECT_EQ((std::vector<std::string>{"X"}), Texts(ListOf({"! x"})));
  EXPECT_FALSE(ListOf({"x"}).HasExclusion());
}

TEST(KeywordParsing, FullWidthBlankSeparatesTerms) {
  EXPECT_EQ((std::vector<std::string>{"A", "B"}), Texts(ListOf({"a　b"})));
}

TEST(KeywordParsing, BlankValuesAddNothing) {
  EXPECT_TRUE(ListOf({"", "   ", "　"}).Empty());
}

TEST(KeywordParsing, StarSplitsIntoNonEmptyPieces) {
  TKeywordList list = ListOf({"a * b**c"});
  // The blank splits first: "A", "*", "B**C".
  ASSERT_EQ(3u, list.Entries().size());
  EXPECT_TRUE(list.Entries()[1].Pieces.empty());
  EXPECT_EQ((std::vector<std::string>{"B", "C"}), list.Entries()[2].Pieces);
}

TEST(KeywordMatching, StarPartsMustOccurInOrder) {
  TKeywordList list = ListOf({"a*b"});
  EXPECT_TRUE(Hit(list, "XAYB"));
  EXPECT_TRUE(Hit(list, "ab"));
  EXPECT_FALSE(Hit(list, "BA"));
}

TEST(KeywordMatching, ALoneStarMatchesOnlyAStar) {
  TKeywordList list = ListOf({"*"});
  EXPECT_TRUE(Hit(list, "a*b"));
  EXPECT_FALSE(Hit(list, "ab"));
}

TEST(KeywordMatching, AnExclusionVetoesTheHighlight) {
  TKeywordList list = ListOf({"news !sport"});
  EXPECT_TRUE(Hit(list, "World news today"));
  EXPECT_FALSE(Hit(list, "sport news"));
  EXPECT_FALSE(Hit(list, "news about sport"));
  EXPECT_FALSE(Hit(list, "weather"));
}

TEST(KeywordMatching, ExclusionsAloneHighlightNothing) {
  TKeywordList list = ListOf({"!sport"});
  EXPECT_FALSE(Hit(list, "news"));
  EXPECT_FALSE(Hit(list, "sport"));
}

TEST(KeywordMatching, IgnoresCaseWidthAndKanaKind) {
  TKeywordList list = ListOf({"ｎｅｗｓ にゅーす"});
  EXPECT_TRUE(Hit(list, "NEWS flash"));
  EXPECT_TRUE(Hit(list, "今日のﾆｭｰｽ"));
  EXPECT_TRUE(Hit(list, "今日のニュース"));
  EXPECT_FALSE(Hit(list, "天気"));
}

TEST(KeywordMatching, NeverMatchesAcrossADoubleByteBoundary) {
  // "\x82\xA0\x82" would be found at byte 2 of these two characters.
  TKeywordList list;
  list.AddValue("\x82\xA0");
  EXPECT_FALSE(list.Match("\x88\x82\xA0\x41"));
}

TEST(KeywordMatching, AnEmptyListMatchesNothing) {
  TKeywordList list;
  EXPECT_FALSE(list.Match(""));
  EXPECT_FALSE(list.MatchItem("news", "news"));
}

TEST(KeywordMatching, ItemFallsBackToTheDescription) {
  TKeywordList list = ListOf({"tokyo"});
  EXPECT_TRUE(list.MatchItem("Weather", "rain in Tokyo"));
  EXPECT_FALSE(list.MatchItem("Weather", "rain in Osaka"));
}

TEST(KeywordMatching, AnExclusionInTitleOrDescriptionVetoesTheItem) {
  TKeywordList list = ListOf({"news !sport"});
  EXPECT_FALSE(list.MatchItem("sport results", "the news of the day"));
  EXPECT_FALSE(list.MatchItem("news of the day", "sport results"));
  EXPECT_TRUE(list.MatchItem("weather", "the news of the day"));
}

TEST(RebuildKeywordList, ReadsAllTenSettingsInOrder) {
  for (std::string& v : TickerSettings.HighlightKeywords) v.clear();
  TickerSettings.HighlightKeywords[0] = "alpha";
  TickerSettings.HighlightKeywords[9] = "omega !beta";
  RebuildKeywordList();
  EXPECT_EQ((std::vector<std::string>{"ALPHA", "OMEGA", "!BETA"}), Texts(KeywordList));
  EXPECT_TRUE(MatchKeywords("OMEGA"));
  EXPECT_FALSE(MatchKeywords("OMEGA BETA"));
  for (std::string& v : TickerSettings.HighlightKeywords) v.clear();
  RebuildKeywordList();
  EXPECT_TRUE(KeywordList.Empty());
}

}  // namespace
