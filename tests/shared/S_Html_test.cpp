#include "shared/S_Html.h"

#include <gtest/gtest.h>

TEST(DecodeHtmlEntities, EachPassRestartsFromTheBeginning) {
  EXPECT_EQ(DecodeHtmlEntities("&amp;lt;", false), "<");
  EXPECT_EQ(DecodeHtmlEntities("&amp;amp;", false), "&");
  EXPECT_EQ(DecodeHtmlEntities("&amp;amp;amp;gt;", false), ">");
  EXPECT_EQ(DecodeHtmlEntities("&amp;quot;", false), "\"");
}

TEST(DecodeHtmlEntities, NamedEntitiesBecomeTheirCharacters) {
  EXPECT_EQ(DecodeHtmlEntities("a &lt;b&gt; &quot;c&quot; &amp; d", false),
            "a <b> \"c\" & d");
  EXPECT_EQ(DecodeHtmlEntities("&hellip;", false), "\x81\x63");
  EXPECT_EQ(DecodeHtmlEntities("続く&hellip;", false), "続く\x81\x63");
}

TEST(DecodeHtmlEntities, NbspOnlyWhenAsked) {
  EXPECT_EQ(DecodeHtmlEntities("a&nbsp;b", false), "a&nbsp;b");
  EXPECT_EQ(DecodeHtmlEntities("a&nbsp;&nbsp;b", true), "a  b");
  EXPECT_EQ(DecodeHtmlEntities("&amp;nbsp;", true), " ");
}

TEST(DecodeHtmlEntities, CaseMattersAndNumbersStay) {
  EXPECT_EQ(DecodeHtmlEntities("&AMP; &Lt; &#38; &#x26;", true), "&AMP; &Lt; &#38; &#x26;");
  EXPECT_EQ(DecodeHtmlEntities("&amp", false), "&amp");
}

TEST(DecodeHtmlEntities, TextWithoutAmpersandIsReturnedAsIs) {
  EXPECT_EQ(DecodeHtmlEntities("", true), "");
  EXPECT_EQ(DecodeHtmlEntities("日本語 lt; gt;", true), "日本語 lt; gt;");
}

TEST(DecodeHtmlEntities, DoubleByteTextAroundEntitiesStaysWhole) {
  // 表 ends in 0x5C and ソ in "\"; neither may shift the character walk.
  EXPECT_EQ(DecodeHtmlEntities("表&amp;ソ&lt;", false), "表&ソ<");
}

TEST(DecodeHtmlEntities, LongTextWithManyEntities) {
  std::string in, expected;
  for (int i = 0; i < 20000; ++i) {
    in += "&amp;lt;日";
    expected += "<日";
  }
  EXPECT_EQ(DecodeHtmlEntities(in, false), expected);
}
