#include "shared/S_string.h"

#include <clocale>
#include <limits>

#include <gtest/gtest.h>

namespace {

const std::string kHyo = "\x95\x5c";     // 表: second byte is a backslash
const std::string kA = "\x83\x41";       // ア: second byte is "A"
const std::string kBlank = "\x81\x40";   // full-width blank

std::vector<std::string> Slots(int n) { return std::vector<std::string>((size_t)n, "old"); }

}  // namespace

TEST(LeadByte, FollowsCodePage932WhateverTheProcessPage) {
  for (int b = 0; b < 256; ++b) {
    bool expected = (b >= 0x81 && b <= 0x9f) || (b >= 0xe0 && b <= 0xfc);
    EXPECT_EQ(IsLeadByte((unsigned char)b), expected) << b;
  }
}

TEST(PathHelpers, ShortTextsStayAsTheyAre) {
  EXPECT_EQ(AddBackslash("C:"), "C:");
  EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
  EXPECT_EQ(AddBackslash(""), "");
  EXPECT_EQ(DelBackslash("C:\\"), "C:\\");
}

TEST(PathHelpers, AddBackslashOnlyWhenMissing) {
  EXPECT_EQ(AddBackslash("C:\\a"), "C:\\a\\");
  EXPECT_EQ(AddBackslash("C:\\a\\"), "C:\\a\\");
  EXPECT_EQ(DelBackslash("C:\\a\\"), "C:\\a");
  EXPECT_EQ(DelBackslash("C:\\a\\\\"), "C:\\a\\");
}

TEST(PathHelpers, SecondByteBackslashIsNoDelimiter) {
  EXPECT_EQ(AddBackslash("C:\\" + kHyo), "C:\\" + kHyo + "\\");
  EXPECT_EQ(DelBackslash("C:\\" + kHyo), "C:\\" + kHyo);
  EXPECT_EQ(DelBackslash("C:\\" + kHyo + "\\"), "C:\\" + kHyo);
}

TEST(ByteCopies, OutOfRangeGivesEmptyOrWhatIsThere) {
  EXPECT_EQ(SpaceStr(3), "   ");
  EXPECT_EQ(SpaceStr(-1), "");
  EXPECT_EQ(SafeCopy("abcdef", 2, 3), "bcd");
  EXPECT_EQ(SafeCopy("abcdef", -5, 2), "ab");
  EXPECT_EQ(SafeCopy("abcdef", 5, 100), "ef");
  EXPECT_EQ(SafeCopy("abcdef", 7, 1), "");
  EXPECT_EQ(SafeCopy("abcdef", 1, 0), "");
  EXPECT_EQ(CopyToEnd("abc", 0), "");
  EXPECT_EQ(CopyToEnd("abc", 3), "c");
  EXPECT_EQ(CopyToEnd("abc", 4), "");
  EXPECT_EQ(LeftBytes("abc", 5), "abc");
  EXPECT_EQ(LeftBytes("abc", -1), "");
  EXPECT_EQ(RightBytes("7", 2), "7");
  EXPECT_EQ(RightBytes("07", 2), "07");
  EXPECT_EQ(RightBytes("1007", 2), "07");
  EXPECT_EQ(RightBytes("", 2), "");
  EXPECT_EQ(ByteLength("日本"), 4);
}

TEST(Characters, CountTakesADoubleByteCharacterAsOne) {
  EXPECT_EQ(CharCount("a日本b"), 4);
  EXPECT_EQ(CharCount("a\x81"), 2);  // lone lead byte at the end
  EXPECT_EQ(CharCount(""), 0);
}

TEST(Characters, CopyCharsKeepsPairsWhole) {
  EXPECT_EQ(CopyChars("日本", 2, 1), "本");
  EXPECT_EQ(CopyChars("a日b本", 2, 2), "日b");
  EXPECT_EQ(CopyChars("a日b本", 0, 1), "a");
  EXPECT_EQ(CopyChars("a日b本", 3, 100), "b本");
  EXPECT_EQ(CopyChars("a日b本", 5, 1), "");
  EXPECT_EQ(CopyChars("a日b本", 1, 0), "");
  EXPECT_EQ(CopyChars("", 1, 1), "");
  EXPECT_EQ(CopyCharsToEnd("a日b本", 2), "日b本");
  EXPECT_EQ(CopyCharsToEnd("a日b本", 5), "");
  EXPECT_EQ(CopyCharsToEnd("a日b本", 0), "");
}

TEST(Characters, CutBytesNeverSplitsAPair) {
  EXPECT_EQ(CutBytes("a日", 2), "a");
  EXPECT_EQ(CutBytes("日本", 3), "日");
  EXPECT_EQ(CutBytes("日本", 4), "日本");
  EXPECT_EQ(CutBytes("日本", 40), "日本");
  EXPECT_EQ(CutBytes("日本", 1), "");
  EXPECT_EQ(CutBytes("日本", 0), "");
  EXPECT_EQ(CutBytes("ab\x81", 3), "ab\x81");
}

TEST(Searches, ByteSearchSeesSecondBytes) {
  EXPECT_EQ(InStr(kHyo, "\\"), 2);
  EXPECT_EQ(InStr("abc", ""), 0);
  EXPECT_EQ(InStr("abc", "d"), 0);
}

TEST(Searches, MatchesStartingOnASecondByteAreSkipped) {
  EXPECT_EQ(AnsiInStr(kHyo, "\\"), 0);
  EXPECT_EQ(InStrChar(kHyo, "\\"), 0);
  EXPECT_EQ(AnsiInStr(kA + "A", "A"), 3);
  EXPECT_EQ(InStrChar(kA + "A", "A"), 2);
  EXPECT_EQ(AnsiInStr("x" + kHyo + "\\y", "\\"), 4);
  EXPECT_EQ(InStrChar("x" + kHyo + "\\y", "\\"), 3);
  EXPECT_EQ(AnsiInStr("abc", ""), 0);
  EXPECT_EQ(InStrChar("abc", ""), 0);
}

TEST(Searches, InStrFromCountsFromTheTextStart) {
  EXPECT_EQ(InStrFrom(0, "abcabc", "abc"), 1);
  EXPECT_EQ(InStrFrom(2, "abcabc", "abc"), 4);
  EXPECT_EQ(InStrFrom(5, "abcabc", "abc"), 0);
  EXPECT_EQ(InStrFrom(50, "abcabc", "abc"), 0);
}

TEST(NumberTexts, IntegersAndCurrency) {
  EXPECT_EQ(IntToStrSafe(-42), "-42");
  EXPECT_EQ(IntToStrSafe(std::numeric_limits<int64_t>::min()), "-9223372036854775808");
  EXPECT_EQ(IntToStrBlankZero(0), "");
  EXPECT_EQ(IntToStrBlankZero(7), "7");
  EXPECT_EQ(CurrToStrSafe(10203), "1.0203");
  EXPECT_EQ(CurrToStrSafe(10000), "1");
  EXPECT_EQ(CurrToStrSafe(-5000), "-0.5");
  EXPECT_EQ(CurrToStrSafe(0), "0");
  EXPECT_EQ(CurrToStrSafe(std::numeric_limits<int64_t>::min()), "-922337203685477.5808");
}

TEST(NumberTexts, FloatsInGeneralFormatWith15Digits) {
  EXPECT_EQ(FloatToStrSafe(45000.5), "45000.5");
  EXPECT_EQ(FloatToStrSafe(1e20), "1E20");
  EXPECT_EQ(FloatToStrSafe(1e15), "1E15");
  EXPECT_EQ(FloatToStrSafe(123456789012345.0), "123456789012345");
  EXPECT_EQ(FloatToStrSafe(0.1), "0.1");
  EXPECT_EQ(FloatToStrSafe(0.0001), "0.0001");
  EXPECT_EQ(FloatToStrSafe(1.5e-7), "1.5E-7");
  EXPECT_EQ(FloatToStrSafe(-2.25), "-2.25");
  EXPECT_EQ(FloatToStrSafe(1.0 / 3.0), "0.333333333333333");
  EXPECT_EQ(FloatToStrSafe(2.0 / 3.0 * 1e6), "666666.666666667");
  EXPECT_EQ(FloatToStrSafe(100), "100");
  EXPECT_EQ(FloatToStrSafe(0), "0");
  EXPECT_EQ(FloatToStrBlankZero(0.0), "");
  EXPECT_EQ(FloatToStrBlankZero(0.5), "0.5");
}

TEST(NumberTexts, HexTextWithoutLeadingZeros) {
  EXPECT_EQ(HexText(255), "FF");
  EXPECT_EQ(HexText(16), "10");
  EXPECT_EQ(HexText(0), "0");
  EXPECT_EQ(HexText(65535), "FFFF");
}

TEST(LooseNumbers, IntegersFallBackToTheLeadingPart) {
  EXPECT_EQ(StrToIntLoose("12abc"), 12);
  EXPECT_EQ(StrToIntLoose("abc"), 0);
  EXPECT_EQ(StrToIntLoose(""), 0);
  EXPECT_EQ(StrToIntLoose("$1F"), 31);
  EXPECT_EQ(StrToIntLoose("$1Fz"), 31);
  EXPECT_EQ(StrToIntLoose("  42"), 42);
  EXPECT_EQ(StrToIntLoose("-7x"), -7);
  EXPECT_EQ(StrToIntLoose("1.5"), 1);
  EXPECT_EQ(StrToIntLoose("-"), 0);
  EXPECT_EQ(StrToIntLoose("-2147483648"), std::numeric_limits<int>::min());
  EXPECT_EQ(StrToIntLoose("99999999999"), 999999999);  // stops before overflowing
}

TEST(LooseNumbers, FloatsFallBackToTheLeadingPart) {
  EXPECT_DOUBLE_EQ(StrToFloatLoose("1.5x"), 1.5);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("abc"), 0);
  EXPECT_DOUBLE_EQ(StrToFloatLoose(""), 0);
  EXPECT_DOUBLE_EQ(StrToFloatLoose(" -0.25"), -0.25);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("2.5e3"), 2500);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("1e"), 1);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("1,5"), 1);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("1e999"), 0);
  EXPECT_DOUBLE_EQ(StrToFloatLoose("$1F"), 0);
}

TEST(LooseNumbers, CurrencyRoundsToFourDecimals) {
  EXPECT_EQ(StrToCurrLoose("1.0203"), 10203);
  EXPECT_EQ(StrToCurrLoose("1.23456"), 12346);
  EXPECT_EQ(StrToCurrLoose("-3.5 yen"), -35000);
  EXPECT_EQ(StrToCurrLoose("x"), 0);
  EXPECT_EQ(StrToCurrLoose("1e300"), 0);
}

TEST(LooseNumbers, DecimalPointIsADotUnderAnyCLocale) {
  const char* set = std::setlocale(LC_ALL, "German_Germany.1252");
  if (!set) GTEST_SKIP() << "no German C locale here";
  std::string floatText = FloatToStrSafe(45000.5);
  double parsed = StrToFloatLoose("1.5");
  Currency currency = StrToCurrLoose("2.25");
  std::setlocale(LC_ALL, "C");
  EXPECT_EQ(floatText, "45000.5");
  EXPECT_DOUBLE_EQ(parsed, 1.5);
  EXPECT_EQ(currency, 22500);
}

TEST(Trims, BlanksAndFullWidthBlanksGoOnBothSides) {
  EXPECT_EQ(TrimSpaces(kBlank + " a b " + kBlank + " " + kBlank), "a b");
  EXPECT_EQ(TrimSpaces("\t\r\n a\t"), "a");
  EXPECT_EQ(TrimSpaces(kBlank + kBlank), "");
  EXPECT_EQ(TrimSpaces(""), "");
  EXPECT_EQ(TrimLeftSJ("\t" + kBlank + "b"), "b");
}

TEST(Trims, ControlByteBeforeATrailingFullWidthBlankStays) {
  EXPECT_EQ(TrimRightSJ("a\t" + kBlank), "a\t");
  EXPECT_EQ(TrimLeftSJ(kBlank + "\tb"), "\tb");
}

TEST(Trims, SecondByteThatLooksLikeABlankHalfIsKept) {
  // 0x81 0x81 is one character; the 0x40 after it is "@", not half a blank.
  EXPECT_EQ(TrimRightSJ("\x81\x81\x40"), "\x81\x81\x40");
  EXPECT_EQ(TrimRightSJ("\x81\x81\x81\x40"), "\x81\x81");
}

TEST(SplitStr, WithoutTrimKeepsEmptyPieces) {
  auto pieces = Slots(6);
  EXPECT_EQ(SplitStr("a\t\tb", '\t', false, pieces), 3);
  EXPECT_EQ(pieces[1], "a");
  EXPECT_EQ(pieces[2], "");
  EXPECT_EQ(pieces[3], "b");
  EXPECT_EQ(pieces[4], "");
  EXPECT_EQ(pieces[5], "");
  EXPECT_EQ(pieces[0], "old");
}

TEST(SplitStr, EmptyTextIsOneEmptyPieceOrNoneWithTrim) {
  auto pieces = Slots(3);
  EXPECT_EQ(SplitStr("", '\t', false, pieces), 1);
  EXPECT_EQ(pieces[1], "");
  pieces = Slots(3);
  EXPECT_EQ(SplitStr("", '\t', true, pieces), 0);
  EXPECT_EQ(pieces[1], "");
}

TEST(SplitStr, TrimDropsPiecesThatAreOnlyBlanks) {
  auto pieces = Slots(5);
  EXPECT_EQ(SplitStr("a\t \t b " + kBlank + "\t" + kBlank, '\t', true, pieces), 2);
  EXPECT_EQ(pieces[1], "a");
  EXPECT_EQ(pieces[2], "b");
  EXPECT_EQ(pieces[3], "");
}

TEST(SplitStr, TrailingDelimiterGivesAnEmptyLastPiece) {
  auto pieces = Slots(4);
  EXPECT_EQ(SplitStr("a\t", '\t', false, pieces), 2);
  EXPECT_EQ(pieces[2], "");
}

TEST(SplitStr, DelimiterAsSecondByteDoesNotSplit) {
  auto pieces = Slots(4);
  EXPECT_EQ(SplitStr(kHyo + "\\b", '\\', false, pieces), 2);
  EXPECT_EQ(pieces[1], kHyo);
  EXPECT_EQ(pieces[2], "b");
}

TEST(SplitStr, PiecesBeyondTheLastSlotAreDropped) {
  auto pieces = Slots(3);
  EXPECT_EQ(SplitStr("a\tb\tc\td", '\t', false, pieces), 2);
  EXPECT_EQ(pieces[1], "a");
  EXPECT_EQ(pieces[2], "b");
  std::vector<std::string> none;
  EXPECT_EQ(SplitStr("a\tb", '\t', false, none), 0);
}

TEST(SplitStr, CountStopsAt255) {
  std::string line;
  for (int i = 0; i < 300; ++i) line += "x\t";
  auto pieces = Slots(400);
  EXPECT_EQ(SplitStr(line, '\t', false, pieces), 255);
  EXPECT_EQ(pieces[255], "x");
  EXPECT_EQ(pieces[256], "");
}
