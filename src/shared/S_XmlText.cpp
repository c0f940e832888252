// Text helpers of the XML tree: UTF-16 to Shift-JIS with the substitution
// table, the Shift-JIS check, character references and escaping.
#include <utility>
#include <vector>

#include "S_Resource.h"
#include "S_Xml.h"
#include "S_string.h"
#include "classlib/Text.h"

const char* const BadCharacterMessage = "不正な文字コードが含まれています";

namespace {

const int MaxSubstitutionPairs = 51;

std::vector<std::pair<wchar_t, wchar_t>> LoadSubstitutionTable() {
  std::vector<std::pair<wchar_t, wchar_t>> table;
  std::string bytes;
  if (!LoadPackageResource(nullptr, "UNICODETBL", bytes) || bytes.size() < 2) return table;
  const unsigned char* p = (const unsigned char*)bytes.data();
  size_t units = (bytes.size() - 2) / 2;  // the byte-order mark is skipped unchecked
  auto unit = [&](size_t i) { return (wchar_t)(p[2 + 2 * i] | p[3 + 2 * i] << 8); };
  for (size_t i = 0; i + 1 < units && table.size() < MaxSubstitutionPairs; i += 2)
    table.emplace_back(unit(i), unit(i + 1));
  return table;
}

const std::vector<std::pair<wchar_t, wchar_t>>& SubstitutionTable() {
  static const std::vector<std::pair<wchar_t, wchar_t>> table = LoadSubstitutionTable();
  return table;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Characters that XML allows a reference to name.
bool IsXmlChar(unsigned long cp) {
  return cp == 0x9 || cp == 0xA || cp == 0xD || (cp >= 0x20 && cp <= 0xD7FF) ||
         (cp >= 0xE000 && cp <= 0xFFFD) || (cp >= 0x10000 && cp <= 0x10FFFF);
}

std::string EscapeWith(const std::string& s, bool keepCharRefs, bool quotes) {
  std::string r;
  r.reserve(s.size());
  bool keep = keepCharRefs && CharRefsEnabled;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    // None of these four bytes can be the trail byte of a Shift-JIS pair.
    if (c == '&' && !(keep && IsCharRef(s, (int)i + 1)))
      r += "&amp;";
    else if (c == '<')
      r += "&lt;";
    else if (c == '>')
      r += "&gt;";
    else if (c == '"' && quotes)
      r += "&quot;";
    // XML has no way to hold the other control characters, not even as references.
    else if ((unsigned char)c < 0x20 && c != '\t' && c != '\n' && c != '\r')
      continue;
    else
      r += c;
  }
  return r;
}

}  // namespace

std::string WideToAnsiSubst(const std::wstring& w) {
  std::string s = WideToSjis(w);
  if (s.find('?') == std::string::npos) return s;
  const auto& table = SubstitutionTable();
  if (table.empty()) return s;
  std::wstring t = w;
  for (const auto& pair : table)
    for (wchar_t& c : t)
      if (c == pair.first) c = pair.second;
  return WideToSjis(t);
}

std::string CodePointToSjis(unsigned long cp) {
  std::wstring w;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    w += (wchar_t)(0xD800 + (cp >> 10));
    w += (wchar_t)(0xDC00 + (cp & 0x3FF));
  } else {
    w += (wchar_t)cp;
  }
  return WideToAnsiSubst(w);
}

std::string CheckShiftJis(const std::string& s, bool check) {
  if (!check) return s;
  std::string r;
  r.reserve(s.size());
  int state = 0;
  for (unsigned char b : s) {
    if (b <= 0x08 || b == 0x0B || b == 0x0C || (b >= 0x0E && b <= 0x1F) || b == 0x7F) continue;
    bool control = b == '\t' || b == '\n' || b == '\r';
    if (state == 1) {
      if (control) return BadCharacterMessage;
      state = 2;
    } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      state = 1;
    } else if (control || (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF)) {
      state = 0;
    } else {
      return BadCharacterMessage;
    }
    r += (char)b;
  }
  return r;
}

bool IsCharRef(const std::string& s, int pos) {
  if (pos < 1 || pos >= (int)s.size()) return false;
  size_t i = pos - 1;
  if (s[i] != '&' || s[i + 1] != '#') return false;
  size_t d = i + 2;
  while (d < s.size() && IsDigit(s[d])) ++d;
  if (d == i + 2) return false;
  return d == s.size() || s[d] == ';';
}

// Decimal references are decoded here rather than by the parser: a Shift-JIS
// text handed over as document bytes would be read as UTF-8.
std::string DecodeCharRefs(const std::string& s) {
  if (!CharRefsEnabled || s.find("&#") == std::string::npos || s.find(';') == std::string::npos)
    return s;
  std::string r;
  r.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char b = (unsigned char)s[i];
    if (IsLeadByte(b) && i + 1 < s.size()) {
      r.append(s, i, 2);
      i += 2;
      continue;
    }
    if (b == '&' && IsCharRef(s, (int)i + 1)) {
      size_t d = i + 2;
      unsigned long cp = 0;
      while (d < s.size() && IsDigit(s[d])) {
        if (cp <= 0x10FFFF) cp = cp * 10 + (s[d] - '0');
        ++d;
      }
      size_t end = d < s.size() ? d + 1 : d;
      if (IsXmlChar(cp))
        r += CodePointToSjis(cp);
      else
        r.append(s, i, end - i);  // the parser would have refused it: kept as written
      i = end;
      continue;
    }
    r += (char)b;
    ++i;
  }
  return r;
}

std::string EscapeXmlText(const std::string& s, bool keepCharRefs) {
  return EscapeWith(s, keepCharRefs, false);
}

std::string EscapeXmlQuot(const std::string& s, bool keepCharRefs) {
  return EscapeWith(s, keepCharRefs, true);
}

bool SameTextNoCase(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::wstring wa = SjisToWide(a), wb = SjisToWide(b);
  return CompareStringW(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN), SORT_DEFAULT),
                        NORM_IGNORECASE, wa.data(), (int)wa.size(), wb.data(), (int)wb.size()) ==
         CSTR_EQUAL;
}

bool SameTrimText(const std::string& a, const std::string& b) {
  return a == b || SameTextNoCase(TrimSpaces(a), TrimSpaces(b));
}
