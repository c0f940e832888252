#include "S_Compact.h"

#include <gtest/gtest.h>

#include "classlib/CommandLine.h"
#include "classlib/Text.h"

namespace {

// What TessivarSetup reads from the launcher's parameter text.
std::vector<std::string> ReceivedParams(const std::string& param) {
  return SplitCommandLine(L"TessivarSetup.exe " + SjisToWide(QuoteParam(param)));
}

}  // namespace

TEST(QuoteParam, ArrivesAsOneParameter) {
  using Params = std::vector<std::string>;
  EXPECT_EQ(ReceivedParams("UPDATE"), Params{"UPDATE"});
  EXPECT_EQ(ReceivedParams("C:\\My Feeds\\"), Params{"C:\\My Feeds\\"});
  EXPECT_EQ(ReceivedParams("a\" b \"c"), Params{"a b c"});
  EXPECT_EQ(ReceivedParams("x\ty\r\nz"), Params{"x y  z"});
  EXPECT_EQ(ReceivedParams("ソース 表示"), Params{"ソース 表示"});
  EXPECT_EQ(QuoteParam(""), "");
}
