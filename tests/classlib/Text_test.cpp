#include "Text.h"

#include <gtest/gtest.h>

TEST(Text, RoundTripsJapaneseWhateverTheProcessCodePage) {
  const std::string sjis = "\x93\xfa\x96\x7b\x8c\xea";  // 日本語
  std::wstring w = SjisToWide(sjis);
  ASSERT_EQ(w, L"\u65e5\u672c\u8a9e");
  EXPECT_EQ(WideToSjis(w), sjis);
}

TEST(Text, EmptyAndNullStayEmpty) {
  EXPECT_TRUE(SjisToWide("").empty());
  EXPECT_TRUE(WideToSjis(nullptr).empty());
}

TEST(Text, NarrowLiteralsAreShiftJis) {
  EXPECT_EQ(std::string("日本"), std::string("\x93\xfa\x96\x7b"));
}
