#include "classlib/CommandLine.h"

#include <gtest/gtest.h>

using Params = std::vector<std::string>;

TEST(CommandLine, QuotesGroupAndBackslashesStay) {
  EXPECT_EQ((Params{"FEED", "C:\\My Feeds\\", "x y"}),
            SplitCommandLine(L"\"C:\\Prog\\TessivarSetup.exe\" FEED \"C:\\My Feeds\\\" x\" \"y"));
  EXPECT_EQ(Params{}, SplitCommandLine(L"TessivarSetup.exe   "));
}

TEST(CommandLine, ControlCharactersSeparateOnlyOutsideQuotes) {
  EXPECT_EQ((Params{"a", "b", "c\td"}), SplitCommandLine(L"p.exe a\tb\r\n\"c\td\""));
  EXPECT_EQ((Params{""}), SplitCommandLine(L"p.exe \"\""));
}
