#include "refresh/SetupCommand.h"

#include <gtest/gtest.h>

using Params = std::vector<std::string>;

TEST(CommandLine, QuotesGroupAndBackslashesStay) {
  EXPECT_EQ((Params{"FEED", "C:\\My Feeds\\", "x y"}),
            SplitCommandLine(L"\"C:\\Prog\\TessivarSetup.exe\" FEED \"C:\\My Feeds\\\" x\" \"y"));
  EXPECT_EQ(Params{}, SplitCommandLine(L"TessivarSetup.exe   "));
}

TEST(CommandWords, MatchAnyParameterIgnoringCase) {
  SetCommandParamsForTest({"other", "feed"});
  EXPECT_TRUE(HasParamWord("FEED"));
  EXPECT_FALSE(HasParamWord("FEE"));
  EXPECT_FALSE(HasParamWord("REFRESH"));
}

TEST(TickerParameter, ValueOnlyAfterPercent) {
  std::string value = "stale";
  SetCommandParamsForTest({"x", "ticker%abc"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("abc", value);
  SetCommandParamsForTest({"TICKER=abc"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
  SetCommandParamsForTest({"TICKER"});
  EXPECT_TRUE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
  SetCommandParamsForTest({"TICK"});
  EXPECT_FALSE(GetPrefixedParam("TICKER", value));
  EXPECT_EQ("", value);
}

TEST(UrlMode, PathsAndAddressesNameAFeed) {
  EXPECT_EQ("URL", CommandModeOf("C:\\feeds\\a.xml"));
  EXPECT_EQ("URL", CommandModeOf("http://example.test/rss"));
  EXPECT_EQ("", CommandModeOf("ADD"));
  EXPECT_EQ("", CommandModeOf(""));
}
