#include "KeywordSearch.h"

#include <windows.h>

#include <cstring>

#include "StartupRegistry.h"
#include "classlib/Text.h"
#include "shared/FeedFiles.h"
#include "shared/S_string.h"

const char SearchEngineListName[] = "TessivarOrvanel.cst";
const char SearchHistoryName[] = "TessivarOrvanel.wrd";

namespace {

const int kEngineFields = 10;
const char kDesktopSearchKey[] = "Software\\Google\\CustomSearch\\Google Desktop Search";

bool IsKeptByte(unsigned char b) {
  return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '*' ||
         b == '-' || b == '.' || b == '_' || b == '@';
}

void AppendEscaped(std::string& out, unsigned char b) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '%';
  out += kHex[b >> 4];
  out += kHex[b & 15];
}

bool SameIgnoringCase(const std::string& a, const std::string& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, SjisToWide(a).c_str(), -1,
                        SjisToWide(b).c_str(), -1) == CSTR_EQUAL;
}

struct TPlaceholder {
  const char* Name;
  std::string (*Encode)(const std::string& keyword);
};

// As typed, but with the bytes a link may not hold (blanks, quotes, control
// characters) escaped, or a keyword of two words would never be opened. None
// of them is a Shift-JIS trail byte, so double-byte characters stay whole.
std::string AsTyped(const std::string& keyword) {
  std::string out;
  for (unsigned char b : keyword) {
    if (b < 0x21 || b == 0x7F || b == '"')
      AppendEscaped(out, b);
    else
      out += (char)b;
  }
  return out;
}
std::string ShiftJisEncoded(const std::string& keyword) { return UrlEncode(keyword); }
std::string EucJpEncoded(const std::string& keyword) { return UrlEncode(SjisToEucJp(keyword)); }
std::string Utf8Encoded(const std::string& keyword) { return UrlEncode(SjisToUtf8(keyword)); }

const TPlaceholder kPlaceholders[] = {{"$KEYWORD$", AsTyped},
                                      {"$KEYWORD_SHIFTJIS$", ShiftJisEncoded},
                                      {"$KEYWORD_EUCJP$", EucJpEncoded},
                                      {"$KEYWORD_UTF8$", Utf8Encoded}};

std::string ReplacePlaceholders(const std::string& urlTemplate, const std::string& keyword) {
  std::string out;
  size_t i = 0;
  // "$" is never a trail byte, so a byte scan cannot split a character.
  while (i < urlTemplate.size()) {
    const TPlaceholder* hit = nullptr;
    if (urlTemplate[i] == '$')
      for (const TPlaceholder& p : kPlaceholders)
        if (urlTemplate.compare(i, strlen(p.Name), p.Name) == 0) hit = &p;
    if (hit) {
      out += hit->Encode(keyword);
      i += strlen(hit->Name);
    } else {
      out += urlTemplate[i++];
    }
  }
  return out;
}

std::string DesktopSearchAddress(const std::string& desktopSearchUrl, const std::string& keyword) {
  std::string address = desktopSearchUrl;
  size_t p = address.find("{1}");
  if (p != std::string::npos) address.replace(p, 3, Utf8Encoded(keyword));
  return address;
}

}  // namespace

bool ReadSearchEngineList(const std::string& path, const std::string& searchQuery,
                          std::vector<TSearchEngineEntry>& engines) {
  engines.clear();
  std::vector<std::string> lines;
  if (!ReadDataLines(path, lines)) return false;
  if (!searchQuery.empty()) engines.push_back({"ウェブ検索", searchQuery});
  for (const std::string& line : lines) {
    std::vector<std::string> fields = SplitDataLine(line, kEngineFields);
    if (fields[0].empty()) continue;
    engines.push_back({fields[0], fields[1]});
  }
  return true;
}

std::string UrlEncode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char b = (unsigned char)text[i];
    if (IsLeadByte(b)) {
      AppendEscaped(out, b);
      if (i + 1 < text.size()) AppendEscaped(out, (unsigned char)text[++i]);
    } else if (b == ' ') {
      out += '+';
    } else if (IsKeptByte(b)) {
      out += (char)b;
    } else {
      AppendEscaped(out, b);
    }
  }
  return out;
}

void SjisPairToJis(unsigned char c1, unsigned char c2, unsigned char& j1, unsigned char& j2) {
  j1 = (unsigned char)(2 * (c1 - (c1 <= 0x9F ? 0x70 : 0xB0)) - (c2 < 0x9F ? 1 : 0));
  if (c2 < 0x7F)
    j2 = (unsigned char)(c2 - 0x1F);
  else if (c2 < 0x9F)
    j2 = (unsigned char)(c2 - 0x20);
  else
    j2 = (unsigned char)(c2 - 0x7E);
}

std::string SjisToEucJp(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = (unsigned char)text[i];
    if (IsLeadByte(c)) {
      // A lead byte at the very end has no pair: copied as it is.
      if (i + 1 >= text.size()) {
        out += (char)c;
        break;
      }
      unsigned char j1, j2;
      SjisPairToJis(c, (unsigned char)text[++i], j1, j2);
      out += (char)(j1 + 0x80);
      out += (char)(j2 + 0x80);
    } else if (c >= 0xA1 && c <= 0xDF) {
      out += (char)0x8E;
      out += (char)c;
    } else {
      out += (char)c;
    }
  }
  return out;
}

std::string SjisToUtf8(const std::string& text) {
  std::wstring wide = SjisToWide(text);
  if (wide.empty()) return std::string();
  int n =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out((size_t)n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), (int)wide.size(), &out[0], n, nullptr, nullptr);
  return out;
}

std::string BuildSearchAddress(const std::string& urlTemplate, const std::string& keyword,
                               const std::string& desktopSearchUrl) {
  try {
    if (urlTemplate.find("$GOOGLE_DESKTOP$") != std::string::npos)
      return DesktopSearchAddress(desktopSearchUrl, keyword);
    return ReplacePlaceholders(urlTemplate, keyword);
  } catch (...) {
    std::string address = urlTemplate;
    const std::string name = "$KEYWORD_SHIFTJIS$";
    size_t p = address.find(name);
    if (p != std::string::npos) address.replace(p, name.size(), UrlEncode(keyword));
    return address;
  }
}

std::string DesktopSearchUrl() { return ReadUserRegistryString(kDesktopSearchKey, "Url"); }

bool AddToSearchHistory(std::vector<std::string>& history, const std::string& keyword) {
  if (keyword.empty()) return false;
  size_t found = 0;
  while (found < history.size() && !SameIgnoringCase(history[found], keyword)) ++found;
  if (found == 0 && !history.empty()) return false;
  if (found < history.size()) {
    std::string kept = history[found];
    history.erase(history.begin() + (long)found);
    history.insert(history.begin(), kept);
    return true;
  }
  while ((int)history.size() >= kSearchHistoryMax) history.pop_back();
  history.insert(history.begin(), keyword);
  return true;
}

void ReadSearchHistory(const std::string& path, std::vector<std::string>& history) {
  history.clear();
  std::vector<std::string> lines;
  ReadDataLines(path, lines);
  for (const std::string& line : lines) {
    if ((int)history.size() >= kSearchHistoryMax) break;
    if (!line.empty()) history.push_back(line);
  }
}

bool SaveSearchHistory(const std::string& path, const std::vector<std::string>& history) {
  return SaveDataLines(path, history);
}
