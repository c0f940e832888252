#include "S_string.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cctype>
#include <cstring>

#include <windows.h>

namespace {

const char kFullWidthBlank[] = "\x81\x40";

// Built once from code page 932 itself, whatever the process ANSI page is.
const std::array<bool, 256>& LeadByteTable() {
  static const std::array<bool, 256> table = [] {
    std::array<bool, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = IsDBCSLeadByteEx(932, (BYTE)b) != FALSE;
    return t;
  }();
  return table;
}

// Byte length of the character starting at index i (0-based).
size_t CharLen(const std::string& s, size_t i) {
  return (IsLeadByte((unsigned char)s[i]) && i + 1 < s.size()) ? 2 : 1;
}

// 0-based byte index of character number n (1-based), or npos when the text
// has fewer characters.
size_t ByteIndexOfChar(const std::string& s, int n) {
  size_t i = 0;
  for (int c = 1; c < n; ++c) {
    if (i >= s.size()) return std::string::npos;
    i += CharLen(s, i);
  }
  return i < s.size() ? i : std::string::npos;
}

// First occurrence of sub that begins on a character boundary: byte index
// and character number (both 0-based), or false.
bool FindOnBoundary(const std::string& s, const std::string& sub, size_t& byteIndex,
                    int& charIndex) {
  if (sub.empty() || s.find(sub) == std::string::npos) return false;
  size_t i = 0;
  int c = 0;
  while (i < s.size()) {
    if (s.compare(i, sub.size(), sub) == 0) {
      byteIndex = i;
      charIndex = c;
      return true;
    }
    i += CharLen(s, i);
    ++c;
  }
  return false;
}

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

int HexValue(char ch) {
  if (ch >= '0' && ch <= '9') return ch - '0';
  if (ch >= 'a' && ch <= 'f') return ch - 'a' + 10;
  if (ch >= 'A' && ch <= 'F') return ch - 'A' + 10;
  return -1;
}

// Value of the longest leading integer text: blanks, a sign, then decimal
// digits or "$" and hexadecimal digits. A digit that would overflow ends it.
int ScanInt(const std::string& s) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  if (i < s.size() && s[i] == '$') {
    uint32_t v = 0;
    int digits = 0;
    for (++i; i < s.size() && HexValue(s[i]) >= 0 && digits < 8; ++i, ++digits)
      v = v * 16 + (uint32_t)HexValue(s[i]);
    int32_t r = (int32_t)v;
    return negative ? (int32_t)(0u - (uint32_t)r) : r;
  }
  int64_t v = 0;
  const int64_t limit = negative ? 2147483648LL : 2147483647LL;
  for (; i < s.size() && IsDigit(s[i]); ++i) {
    int64_t next = v * 10 + (s[i] - '0');
    if (next > limit) break;
    v = next;
  }
  return (int)(negative ? -v : v);
}

// Value of the longest leading floating text, "." as decimal point:
// blanks, sign, digits, fraction, exponent. false when there is none.
bool ScanFloat(const std::string& s, double& out) {
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  std::string text;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
    if (s[i] == '-') text += '-';
    ++i;
  }
  size_t mantissaDigits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++mantissaDigits) text += s[i];
  if (i < s.size() && s[i] == '.') {
    text += '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++mantissaDigits) text += s[i];
  }
  if (mantissaDigits == 0) return false;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
    size_t expDigits = 0;
    for (; j < s.size() && IsDigit(s[j]); ++j, ++expDigits) exponent += s[j];
    if (expDigits > 0) text += exponent;
  }
  double v = 0;
  auto r = std::from_chars(text.data(), text.data() + text.size(), v);
  if (r.ec != std::errc() || !std::isfinite(v)) return false;
  out = v;
  return true;
}

std::string Uint64Text(uint64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

}  // namespace

std::string AddBackslash(const std::string& s) {
  if (s.size() <= 3) return s;
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) last = i;
  if (s.size() - last == 1 && s[last] == '\\') return s;
  return s + '\\';
}

std::string DelBackslash(const std::string& s) {
  if (s.size() <= 3) return s;
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) last = i;
  if (s.size() - last == 1 && s[last] == '\\') return s.substr(0, last);
  return s;
}

std::string SpaceStr(int n) { return n > 0 ? std::string((size_t)n, ' ') : std::string(); }

std::string SafeCopy(const std::string& s, int from, int count) {
  if (count <= 0) return std::string();
  if (from < 1) from = 1;
  if ((size_t)from > s.size()) return std::string();
  return s.substr((size_t)from - 1, (size_t)count);
}

std::string CopyToEnd(const std::string& s, int from) {
  if (from <= 0 || s.empty() || (size_t)from > s.size()) return std::string();
  return s.substr((size_t)from - 1);
}

std::string LeftBytes(const std::string& s, int n) {
  if (n <= 0) return std::string();
  return s.substr(0, (size_t)n);
}

std::string RightBytes(const std::string& s, int n) {
  if (s.empty() || n <= 0) return std::string();
  if ((size_t)n >= s.size()) return s;
  return s.substr(s.size() - (size_t)n);
}

int ByteLength(const std::string& s) { return (int)s.size(); }

bool IsLeadByte(unsigned char b) { return LeadByteTable()[b]; }

int CharCount(const std::string& s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) ++n;
  return n;
}

std::string CopyChars(const std::string& s, int from, int count) {
  if (count < 1 || s.empty()) return std::string();
  size_t start = ByteIndexOfChar(s, from < 1 ? 1 : from);
  if (start == std::string::npos) return std::string();
  if ((size_t)count >= s.size() - start) return s.substr(start);
  size_t end = start;
  for (int c = 0; c < count && end < s.size(); ++c) end += CharLen(s, end);
  return s.substr(start, end - start);
}

std::string CopyCharsToEnd(const std::string& s, int n) {
  if (n <= 0 || s.empty()) return std::string();
  size_t start = ByteIndexOfChar(s, n);
  return start == std::string::npos ? std::string() : s.substr(start);
}

std::string CutBytes(const std::string& s, int n) {
  if (n <= 0 || s.empty()) return std::string();
  if ((size_t)n >= s.size()) return s;
  size_t i = 0;
  while (i < s.size()) {
    size_t next = i + CharLen(s, i);
    if (next > (size_t)n) break;
    i = next;
  }
  return s.substr(0, i);
}

std::string DropLoneLeadByte(const std::string& s) {
  size_t last = 0;
  for (size_t i = 0; i < s.size(); i += CharLen(s, i)) last = i;
  if (last + 1 == s.size() && IsLeadByte((unsigned char)s[last])) return s.substr(0, last);
  return s;
}

int InStr(const std::string& s, const std::string& sub) {
  if (sub.empty()) return 0;
  size_t p = s.find(sub);
  return p == std::string::npos ? 0 : (int)p + 1;
}

int AnsiInStr(const std::string& s, const std::string& sub) {
  size_t byteIndex = 0;
  int charIndex = 0;
  return FindOnBoundary(s, sub, byteIndex, charIndex) ? (int)byteIndex + 1 : 0;
}

int InStrFrom(int start, const std::string& s, const std::string& sub) {
  if (start <= 1) return AnsiInStr(s, sub);
  int p = AnsiInStr(CopyToEnd(s, start), sub);
  return p > 0 ? p + start - 1 : 0;
}

int InStrChar(const std::string& s, const std::string& sub) {
  size_t byteIndex = 0;
  int charIndex = 0;
  return FindOnBoundary(s, sub, byteIndex, charIndex) ? charIndex + 1 : 0;
}

std::string IntToStrSafe(int64_t n) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, n);
  return std::string(buf, r.ptr);
}

std::string CurrToStrSafe(Currency c) {
  bool negative = c < 0;
  uint64_t magnitude = negative ? 0 - (uint64_t)c : (uint64_t)c;
  std::string text = Uint64Text(magnitude / 10000);
  unsigned fraction = (unsigned)(magnitude % 10000);
  if (fraction != 0) {
    char digits[5] = {char('0' + fraction / 1000), char('0' + fraction / 100 % 10),
                      char('0' + fraction / 10 % 10), char('0' + fraction % 10), 0};
    std::string f(digits);
    while (!f.empty() && f.back() == '0') f.pop_back();
    text += '.' + f;
  }
  return negative ? '-' + text : text;
}

// General format, 15 significant digits: fixed point while the number has
// at most 15 integer digits and is not below 1E-4, otherwise "1.5E-7" style.
std::string FloatToStrSafe(double x) {
  if (std::isnan(x)) return "NAN";
  if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
  if (x == 0) return "0";
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific, 14);
  if (r.ec != std::errc()) return std::string();
  std::string sci(buf, r.ptr);
  bool negative = sci[0] == '-';
  size_t e = sci.find('e');
  if (e == std::string::npos) return std::string();
  std::string digits;
  for (size_t i = negative ? 1 : 0; i < e; ++i)
    if (IsDigit(sci[i])) digits += sci[i];
  int exponent = ScanInt(sci.substr(e + 1));
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string text;
  if (exponent >= 15 || exponent < -4) {
    text = digits.substr(0, 1);
    if (digits.size() > 1) text += '.' + digits.substr(1);
    text += 'E' + IntToStrSafe(exponent);
  } else if (exponent >= 0) {
    size_t intDigits = (size_t)exponent + 1;
    if (digits.size() <= intDigits) {
      text = digits + std::string(intDigits - digits.size(), '0');
    } else {
      text = digits.substr(0, intDigits) + '.' + digits.substr(intDigits);
    }
  } else {
    text = "0." + std::string((size_t)(-exponent - 1), '0') + digits;
  }
  return negative ? '-' + text : text;
}

std::string IntToStrBlankZero(int64_t n) { return n == 0 ? std::string() : IntToStrSafe(n); }

std::string FloatToStrBlankZero(double x) { return x == 0.0 ? std::string() : FloatToStrSafe(x); }

int StrToIntLoose(const std::string& s) { return s.empty() ? 0 : ScanInt(s); }

Currency StrToCurrLoose(const std::string& s) {
  double v = 0;
  if (s.empty() || !ScanFloat(s, v)) return 0;
  double scaled = std::round(v * 10000.0);
  if (!(std::fabs(scaled) < 9.2e18)) return 0;
  return (Currency)scaled;
}

double StrToFloatLoose(const std::string& s) {
  double v = 0;
  if (s.empty() || !ScanFloat(s, v)) return 0;
  return v;
}

std::string HexText(int n) {
  char buf[16];
  auto r = std::to_chars(buf, buf + sizeof buf, (uint32_t)n, 16);
  std::string text(buf, r.ptr);
  for (char& ch : text)
    if (ch >= 'a' && ch <= 'f') ch = char(ch - 'a' + 'A');
  return text;
}

std::string TrimRightSJ(const std::string& s) {
  size_t end = s.size();
  while (end > 0 && (unsigned char)s[end - 1] <= 0x20) --end;
  // One walk over the characters: where the run of blanks that reaches the
  // end begins.
  size_t cut = end;
  for (size_t i = 0; i < end;) {
    const size_t n = (IsLeadByte((unsigned char)s[i]) && i + 1 < end) ? 2 : 1;
    const bool blank = (n == 1 && s[i] == ' ') || (n == 2 && s.compare(i, 2, kFullWidthBlank) == 0);
    if (!blank)
      cut = end;
    else if (cut == end)
      cut = i;
    i += n;
  }
  return s.substr(0, cut);
}

size_t SkipBlanksSJ(const std::string& s, size_t from) {
  size_t start = from;
  while (start < s.size() && (unsigned char)s[start] <= 0x20) ++start;
  for (;;) {
    if (start < s.size() && s[start] == ' ') {
      ++start;
    } else if (s.compare(start, 2, kFullWidthBlank) == 0) {
      start += 2;
    } else {
      break;
    }
  }
  return start;
}

std::string TrimLeftSJ(const std::string& s) { return s.substr(SkipBlanksSJ(s, 0)); }

size_t FindCharSJ(const std::string& s, char ch, size_t from) {
  for (size_t i = from; i < s.size(); i += CharLen(s, i))
    if (s[i] == ch) return i;
  return std::string::npos;
}

std::string TrimSpaces(const std::string& s) { return TrimRightSJ(TrimLeftSJ(s)); }

int SplitStr(const std::string& s, char delimiter, bool trim, std::vector<std::string>& pieces) {
  const int lastSlot = (int)pieces.size() - 1;
  int count = 0;
  size_t pieceStart = 0;
  size_t i = 0;
  bool more = true;
  while (more) {
    while (i < s.size() && s[i] != delimiter) i += CharLen(s, i);
    more = i < s.size();
    if (count < 255 && count < lastSlot) {
      std::string piece = s.substr(pieceStart, i - pieceStart);
      if (trim) piece = TrimSpaces(piece);
      if (!trim || !piece.empty()) pieces[(size_t)++count] = std::move(piece);
    }
    pieceStart = ++i;
  }
  for (int slot = count + 1; slot <= lastSlot; ++slot) pieces[(size_t)slot].clear();
  return count;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  const size_t n = strlen(prefix);
  if (s.size() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (tolower((unsigned char)s[i]) != tolower((unsigned char)prefix[i])) return false;
  return true;
}

bool IsWebAddress(const std::string& url, const char* refused) {
  size_t skip;
  if (StartsWithNoCase(url, "http://"))
    skip = 7;
  else if (StartsWithNoCase(url, "https://"))
    skip = 8;
  else
    return false;
  if (url.size() <= skip || strchr("/?#", url[skip])) return false;  // no host
  for (unsigned char c : url)
    if (c < 0x21 || c == 0x7F || strchr(refused, c)) return false;
  return true;
}
