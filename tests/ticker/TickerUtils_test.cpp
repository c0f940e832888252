#include "TickerUtils.h"

#include <gtest/gtest.h>

#include "support/TickerScratch.h"
#include "shared/S_FileUtils.h"

namespace {

TEST(InStrCharFrom, CountsADoubleByteCharacterAsOne) {
  // "a", one double-byte character, "&", "b".
  const std::string text = "a\x88\xA0&b";
  EXPECT_EQ(3, InStrCharFrom(3, text, "&"));
  EXPECT_EQ(3, InStrCharFrom(1, text, "&"));
  EXPECT_EQ(3, InStrCharFrom(0, text, "&"));
  EXPECT_EQ(0, InStrCharFrom(4, text, "&"));
  EXPECT_EQ(0, InStrCharFrom(2, text, "x"));
}

TEST(InStrCharFrom, NeverMatchesATrailByte) {
  // 0x95 0x5C is one character whose trail byte is a backslash.
  EXPECT_EQ(0, InStrCharFrom(1, "\x95\x5C", "\\"));
  EXPECT_EQ(2, InStrCharFrom(1, "\x95\x5C\\", "\\"));
}

TEST(NormalizeForMatch, IgnoresKanaKindWidthAndCase) {
  EXPECT_EQ(NormalizeForMatch("にゅーす"), NormalizeForMatch("ニュース"));
  EXPECT_EQ(NormalizeForMatch("ニュース"), NormalizeForMatch("ﾆｭｰｽ"));
  EXPECT_EQ("NEWS", NormalizeForMatch("ｎｅｗｓ"));
  EXPECT_EQ("NEWS", NormalizeForMatch("news"));
  EXPECT_EQ(" ", NormalizeForMatch("　"));
}

TEST(NormalizeForMatch, SurvivesBadBytes) {
  EXPECT_EQ("", NormalizeForMatch(""));
  std::string bad("\x81\xFF\x00\x01\x82", 5);
  EXPECT_NO_THROW(NormalizeForMatch(bad));
  EXPECT_EQ(0u, NormalizeForMatch("abc\x81").find("ABC"));
}

TEST(TicksSince, SurvivesTheWrapOfTheTickCount) {
  EXPECT_EQ(500u, TicksSince(1000, 500));
  EXPECT_EQ(0x20u, TicksSince(0x10, 0xFFFFFFF0u));
  EXPECT_GT(TicksSince(300001 - 16, 0xFFFFFFF0u), 300000u);
}

TEST(CutAtNul, KeepsTheTextBeforeTheFirstNul) {
  EXPECT_EQ("abc", CutAtNul("abc"));
  EXPECT_EQ("ab", CutAtNul(std::string("ab\0cd", 5)));
  EXPECT_EQ("", CutAtNul(std::string("\0x", 2)));
}

TEST(GetTempFolder, NamesAnExistingFolderWithoutTrailingBackslash) {
  std::string folder = GetTempFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE('\\', folder.back());
  EXPECT_TRUE(DirectoryExists(folder));
}

TEST(GetTempFolder, NoFolderWhenTheTempPathIsTooLong) {
  std::wstring tmp(32768, L'\0'), temp(32768, L'\0');
  const bool hadTmp = GetEnvironmentVariableW(L"TMP", &tmp[0], 32768) > 0;
  const bool hadTemp = GetEnvironmentVariableW(L"TEMP", &temp[0], 32768) > 0;
  const std::wstring tooLong = L"C:\\" + std::wstring(600, L'x');
  SetEnvironmentVariableW(L"TMP", tooLong.c_str());
  SetEnvironmentVariableW(L"TEMP", tooLong.c_str());
  const std::string folder = GetTempFolder();
  SetEnvironmentVariableW(L"TMP", hadTmp ? tmp.c_str() : nullptr);
  SetEnvironmentVariableW(L"TEMP", hadTemp ? temp.c_str() : nullptr);
  EXPECT_EQ("", folder);
}

TEST(CopyFileByStream, CopiesBytesAndFailsForAMissingSource) {
  TickerScratch scratch("ticker_utils");
  const std::string bytes("a\0b\r\n\x82\xA0", 7);
  WriteWholeFile(scratch.File("from.bin"), bytes);
  ASSERT_TRUE(CopyFileByStream(scratch.File("from.bin"), scratch.File("to.bin")));
  EXPECT_EQ(7, FileSizeSJ(scratch.File("to.bin")));
  EXPECT_FALSE(CopyFileByStream(scratch.File("missing.bin"), scratch.File("x.bin")));
  EXPECT_FALSE(FileExists(scratch.File("x.bin")));
  EXPECT_FALSE(CopyFileByStream(scratch.File("from.bin"), scratch.File("no\\such\\x.bin")));
}

TEST(ColorDepth, IsAboveEightOnTheTestScreen) { EXPECT_GT(ColorDepth(), 8); }

}  // namespace
