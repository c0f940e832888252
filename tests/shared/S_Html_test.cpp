#include "shared/S_Html.h"

#include <gtest/gtest.h>

TEST(DecodeHtmlEntities, NamedEntitiesBecomeTheirCharacters) {
  EXPECT_EQ(DecodeHtmlEntities("a &lt;b&gt; &quot;c&quot; &amp; d &apos;e&apos;", false),
            "a <b> \"c\" & d 'e'");
  EXPECT_EQ(DecodeHtmlEntities("&hellip;", false), "\x81\x63");
  EXPECT_EQ(DecodeHtmlEntities("続く&hellip;", false), "続く\x81\x63");
  EXPECT_EQ(DecodeHtmlEntities("&times;&divide;&alpha;&rarr;", false), "×÷α→");
  EXPECT_EQ(DecodeHtmlEntities("&yen;&copy;&mdash;", false).find('&'), std::string::npos);
}

TEST(DecodeHtmlEntities, NumericReferencesInBothBases) {
  EXPECT_EQ(DecodeHtmlEntities("AT&#38;T &#x26; &#X3C;", false), "AT&T & <");
  EXPECT_EQ(DecodeHtmlEntities("&#26085;&#x672C;", false), "日本");
  // Browsers read 128..159 as windows-1252: 150 is the en dash.
  EXPECT_EQ(DecodeHtmlEntities("a&#150;b", false), "a-b");
  // No character: kept as written.
  for (const char* text : {"&#0;", "&#1;", "&#xD800;", "&#1114112;", "&#x;", "&#12a;", "&#129;"})
    EXPECT_EQ(DecodeHtmlEntities(text, false), text);
}

TEST(DecodeHtmlEntities, DecodesOneLevelOnly) {
  EXPECT_EQ(DecodeHtmlEntities("Q&amp;A", false), "Q&A");
  EXPECT_EQ(DecodeHtmlEntities("&amp;lt;", false), "&lt;");
  EXPECT_EQ(DecodeHtmlEntities("&amp;amp;", false), "&amp;");
  EXPECT_EQ(DecodeHtmlEntities("&#38;amp;", false), "&amp;");
}

TEST(DecodeHtmlEntities, AmpersandsThatStartNoReferenceStay) {
  for (const char* text : {"&", "a & b", "&amp", "AT&T", "&;", "&AMP;", "&Lt;", "&unknown;",
                           "&a b;", "&verylongentityname;", "R&D; x"})
    EXPECT_EQ(DecodeHtmlEntities(text, true), text);
}

TEST(DecodeHtmlEntities, NbspOnlyWhenAsked) {
  EXPECT_EQ(DecodeHtmlEntities("a&nbsp;b", false), "a&nbsp;b");
  EXPECT_EQ(DecodeHtmlEntities("a&nbsp;&nbsp;b", true), "a  b");
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
    in += "&lt;日&#38;";
    expected += "<日&";
  }
  EXPECT_EQ(DecodeHtmlEntities(in, false), expected);
}
