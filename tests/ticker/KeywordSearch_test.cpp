#include "KeywordSearch.h"

#include <gtest/gtest.h>

#include "TessivarOrvanelForm.h"
#include "common/TestFiles.h"
#include "shared/FeedFiles.h"

namespace {

TEST(UrlEncode, BlanksPlusesAndTheKeptCharacters) {
  EXPECT_EQ(UrlEncode("a b"), "a+b");
  EXPECT_EQ(UrlEncode("1+1"), "1%2B1");
  EXPECT_EQ(UrlEncode("Az09*-._@"), "Az09*-._@");
  EXPECT_EQ(UrlEncode("a&b=c/d?~%"), "a%26b%3Dc%2Fd%3F%7E%25");
  EXPECT_EQ(UrlEncode(""), "");
}

TEST(UrlEncode, DoubleByteCharactersGiveEveryByte) {
  EXPECT_EQ(UrlEncode("日本語"), "%93%FA%96%7B%8C%EA");
  // The trail byte 0x5C of "ソ" and 0x40 of "　" are no backslash or at sign.
  EXPECT_EQ(UrlEncode("ソ"), "%83%5C");
  EXPECT_EQ(UrlEncode("　a"), "%81%40a");
  // A lead byte at the very end stands alone.
  EXPECT_EQ(UrlEncode("a\x82"), "a%82");
  // UTF-8 is classified by the same rules: a letter after a byte taken for
  // a lead byte is escaped with it.
  EXPECT_EQ(UrlEncode("\xE3\x81\x82"
                      "a"),
            "%E3%81%82%61");
}

TEST(SjisToEucJp, PairsKatakanaAndPlainBytes) {
  EXPECT_EQ(SjisToEucJp("日本語"), "\xC6\xFC\xCB\xDC\xB8\xEC");
  EXPECT_EQ(SjisToEucJp("あー亜ソ"), "\xA4\xA2\xA1\xBC\xB0\xA1\xA5\xBD");
  EXPECT_EQ(SjisToEucJp("ｱa1"),
            "\x8E\xB1"
            "a1");
  // A lone lead byte at the end is copied, and nothing is read beyond it.
  EXPECT_EQ(SjisToEucJp(std::string("a\x88", 2)), std::string("a\x88", 2));
  EXPECT_EQ(SjisToEucJp(""), "");
}

TEST(SjisPairToJis, RowsAndCellsAtTheTrailByteEdges) {
  unsigned char j1, j2;
  SjisPairToJis(0x88, 0x9F, j1, j2);  // 亜: first cell of an even row
  EXPECT_EQ(j1, 0x30);
  EXPECT_EQ(j2, 0x21);
  SjisPairToJis(0x81, 0x7E, j1, j2);  // ×
  EXPECT_EQ(j1, 0x21);
  EXPECT_EQ(j2, 0x5F);
  SjisPairToJis(0x81, 0x80, j1, j2);  // ÷: past the gap at 0x7F
  EXPECT_EQ(j1, 0x21);
  EXPECT_EQ(j2, 0x60);
  SjisPairToJis(0xE0, 0x40, j1, j2);  // the upper lead range
  EXPECT_EQ(j1, 0x5F);
  EXPECT_EQ(j2, 0x21);
}

TEST(BuildSearchAddress, EachPlaceholderInItsEncoding) {
  const std::string keyword = "検索 語";
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_SHIFTJIS$&x", "a b", ""), "q=a+b&x");
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_SHIFTJIS$&x", "1+1", ""), "q=1%2B1&x");
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_SHIFTJIS$", keyword, ""), "q=%8C%9F%8D%F5+%8C%EA");
  // 0xF7 reads as a Shift-JIS lead byte, so the blank after it is escaped with it.
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_EUCJP$", keyword, ""), "q=%B8%A1%BA%F7%20%B8%EC");
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_UTF8$", keyword, ""), "q=%E6%A4%9C%E7%B4%A2+%E8%AA%9E");
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD_UTF8$", "1+1 a@b", ""), "q=1%2B1+a@b");
  // Unencoded but for the blank, every time it occurs.
  EXPECT_EQ(BuildSearchAddress("a=$KEYWORD$&b=$KEYWORD$", keyword, ""), "a=検索%20語&b=検索%20語");
}

TEST(BuildSearchAddress, TheTypedKeywordEscapesOnlyWhatNoLinkMayHold) {
  const std::string address = BuildSearchAddress("http://a/?q=$KEYWORD$", "a b\"c\"\t+%&", "");
  EXPECT_EQ(address, "http://a/?q=a%20b%22c%22%09+%&");
  EXPECT_TRUE(IsOpenableLink(address));
}

TEST(BuildSearchAddress, InsertedTextIsNotSearchedAgain) {
  EXPECT_EQ(BuildSearchAddress("q=$KEYWORD$", "$KEYWORD_UTF8$", ""), "q=$KEYWORD_UTF8$");
  EXPECT_EQ(BuildSearchAddress("$KEYWORD$KEYWORD$", "x", ""), "xKEYWORD$");
  EXPECT_EQ(BuildSearchAddress("http://a/?q=$KEYWORD_SHIFTJIS$", "", ""), "http://a/?q=");
  EXPECT_EQ(BuildSearchAddress("http://a/$OTHER$", "x", ""), "http://a/$OTHER$");
}

TEST(BuildSearchAddress, DesktopSearchTakesTheWholeAddress) {
  const std::string desktop = "http://127.0.0.1:4664/search?q={1}&s=1&t={1}";
  EXPECT_EQ(BuildSearchAddress("x$GOOGLE_DESKTOP$y", "日本語", desktop),
            "http://127.0.0.1:4664/search?q=%E6%97%A5%E6%9C%AC%E8%AA%9E&s=1&t={1}");
  EXPECT_EQ(BuildSearchAddress("$GOOGLE_DESKTOP$", "a", ""), "");
}

class SearchFiles : public ::testing::Test {
 protected:
  ScratchFolder folder{"KeywordSearch"};
  std::string File(const char* name) { return folder.File(name); }
};

TEST_F(SearchFiles, EngineListWithTheBuiltInFirstEngine) {
  WriteWholeFile(File("e.cst"),
                 "A&B\thttp://a/?q=$KEYWORD$\r\n-\r\n\r\n\tno name\r\n"
                 " 空白 \thttp://b/ \tignored\tfields\r\nC\r\n");
  std::vector<TSearchEngineEntry> engines;
  ASSERT_TRUE(ReadSearchEngineList(File("e.cst"), "http://q/$KEYWORD_UTF8$", engines));
  ASSERT_EQ(engines.size(), 5u);
  EXPECT_EQ(engines[0].Name, "ウェブ検索");
  EXPECT_EQ(engines[0].Url, "http://q/$KEYWORD_UTF8$");
  EXPECT_EQ(engines[1].Name, "A&B");
  EXPECT_TRUE(engines[2].IsSeparator());
  EXPECT_EQ(engines[3].Name, " 空白 ");  // nothing is trimmed
  EXPECT_EQ(engines[3].Url, "http://b/ ");
  EXPECT_EQ(engines[4].Url, "");

  ASSERT_TRUE(ReadSearchEngineList(File("e.cst"), "", engines));
  EXPECT_EQ(engines.size(), 4u);
  EXPECT_FALSE(ReadSearchEngineList(File("missing.cst"), "http://q/", engines));
  EXPECT_TRUE(engines.empty());
}

TEST(SearchHistory, MostRecentFirstBoundedAndCaseBlind) {
  std::vector<std::string> h;
  EXPECT_FALSE(AddToSearchHistory(h, ""));
  for (int i = 1; i <= 16; ++i) EXPECT_TRUE(AddToSearchHistory(h, "w" + std::to_string(i)));
  ASSERT_EQ(h.size(), 15u);
  EXPECT_EQ(h.front(), "w16");
  EXPECT_EQ(h.back(), "w2");  // the oldest went
  // Found further down: moved to the top as it was stored.
  EXPECT_TRUE(AddToSearchHistory(h, "W9"));
  EXPECT_EQ(h.front(), "w9");
  EXPECT_EQ(h.size(), 15u);
  // Already at the top: nothing changes (the file is not written again).
  EXPECT_FALSE(AddToSearchHistory(h, "W9"));
  // Full-width letters compare ignoring case too.
  std::vector<std::string> wide = {"ａｂｃ"};
  EXPECT_FALSE(AddToSearchHistory(wide, "ＡＢＣ"));
}

TEST_F(SearchFiles, HistoryFileRoundTripAndBounds) {
  std::vector<std::string> h = {"日本語", "a b", "1+1"};
  ASSERT_TRUE(SaveSearchHistory(File("h.wrd"), h));
  EXPECT_EQ(ReadWholeFile(File("h.wrd")), "日本語\r\na b\r\n1+1\r\n");
  std::vector<std::string> back;
  ReadSearchHistory(File("h.wrd"), back);
  EXPECT_EQ(back, h);

  std::string longFile;
  for (int i = 0; i < 20; ++i) longFile += "k" + std::to_string(i) + "\r\n\r\n";
  WriteWholeFile(File("long.wrd"), longFile);
  ReadSearchHistory(File("long.wrd"), back);
  EXPECT_EQ(back.size(), 15u);
  EXPECT_EQ(back[1], "k1");  // empty lines skipped

  ReadSearchHistory(File("missing.wrd"), back);
  EXPECT_TRUE(back.empty());
}

}  // namespace
