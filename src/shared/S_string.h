// Never-raising helpers for Shift-JIS byte strings. Positions are 1-based
// byte positions unless a function counts characters (a lead byte and the
// byte after it make one character).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

typedef int64_t Currency;  // fixed point, scaled by 10000

std::string AddBackslash(const std::string& s);
std::string DelBackslash(const std::string& s);

std::string SpaceStr(int n);
std::string SafeCopy(const std::string& s, int from, int count);
std::string CopyToEnd(const std::string& s, int from);
std::string LeftBytes(const std::string& s, int n);
std::string RightBytes(const std::string& s, int n);
int ByteLength(const std::string& s);

bool IsLeadByte(unsigned char b);
int CharCount(const std::string& s);
std::string CopyChars(const std::string& s, int from, int count);
std::string CopyCharsToEnd(const std::string& s, int n);
std::string CutBytes(const std::string& s, int n);
// s up to its last whole character: a lead byte that ends it goes.
std::string DropLoneLeadByte(const std::string& s);

int InStr(const std::string& s, const std::string& sub);
int AnsiInStr(const std::string& s, const std::string& sub);
int InStrFrom(int start, const std::string& s, const std::string& sub);
int InStrChar(const std::string& s, const std::string& sub);

std::string IntToStrSafe(int64_t n);
std::string CurrToStrSafe(Currency c);
std::string FloatToStrSafe(double x);
std::string IntToStrBlankZero(int64_t n);
std::string FloatToStrBlankZero(double x);
int StrToIntLoose(const std::string& s);
Currency StrToCurrLoose(const std::string& s);
double StrToFloatLoose(const std::string& s);
std::string HexText(int n);

// ASCII letters compare without case; every other byte must match.
bool StartsWithNoCase(const std::string& s, const char* prefix);
// "http://" or "https://" with a host, and no blank, control byte or byte of
// refused anywhere.
bool IsWebAddress(const std::string& url, const char* refused = "\\");

std::string TrimRightSJ(const std::string& s);
std::string TrimLeftSJ(const std::string& s);
std::string TrimSpaces(const std::string& s);
// Index positions for walking a long text without copying its rest; from
// must start a character. The index after the blanks TrimLeftSJ drops:
size_t SkipBlanksSJ(const std::string& s, size_t from);
// The first ch at or after from that starts a character, or npos.
size_t FindCharSJ(const std::string& s, char ch, size_t from);

// pieces is sized by the caller; slot 0 is unused, pieces go to 1..count and
// the later slots are emptied. Pieces beyond the last slot are dropped.
int SplitStr(const std::string& s, char delimiter, bool trim, std::vector<std::string>& pieces);
