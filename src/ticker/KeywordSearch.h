// The keyword search without the window: the search-engine list file
// (.cst), the address built from an engine's template and a keyword, the
// encoders it needs, and the keyword history file (.wrd).
#pragma once
#include <string>
#include <vector>

extern const char SearchEngineListName[];  // "TessivarOrvanel.cst", in ProgramFolder
extern const char SearchHistoryName[];     // "TessivarOrvanel.wrd", in IniFolder
constexpr int kSearchHistoryMax = 15;

struct TSearchEngineEntry {
  std::string Name;  // "-" for a separator line
  std::string Url;   // the template
  bool IsSeparator() const { return Name == "-"; }
};

// The engines of the list file, one per line (name TAB template, further
// fields ignored, nothing trimmed); lines without a name are skipped. A
// non-empty searchQuery comes first as "ウェブ検索". False (and no engines)
// when the file cannot be read.
bool ReadSearchEngineList(const std::string& path, const std::string& searchQuery,
                          std::vector<TSearchEngineEntry>& engines);

// "%XX" for the bytes of double-byte characters (by the Shift-JIS rules, also
// on UTF-8 or EUC-JP text) and for every byte but letters, digits and
// "*-._@"; a blank becomes "+".
std::string UrlEncode(const std::string& text);
// The JIS row and cell of a Shift-JIS pair.
void SjisPairToJis(unsigned char c1, unsigned char c2, unsigned char& j1, unsigned char& j2);
std::string SjisToEucJp(const std::string& text);
std::string SjisToUtf8(const std::string& text);

// The address of a search: with "$GOOGLE_DESKTOP$" in the template the
// desktop-search address (its first "{1}" replaced by the UTF-8 keyword,
// encoded); otherwise every "$KEYWORD$", "$KEYWORD_SHIFTJIS$",
// "$KEYWORD_EUCJP$" and "$KEYWORD_UTF8$" replaced in one pass. "$KEYWORD$"
// takes the keyword as typed apart from "%XX" for blanks, quotes and
// control characters, which no link that is opened may hold.
std::string BuildSearchAddress(const std::string& urlTemplate, const std::string& keyword,
                               const std::string& desktopSearchUrl);
// The registry's desktop-search address ("" when it is not installed).
std::string DesktopSearchUrl();

// Puts keyword at the top of the history (most recent first, no two equal
// ignoring case, at most kSearchHistoryMax); false when nothing changed.
bool AddToSearchHistory(std::vector<std::string>& history, const std::string& keyword);
// A missing file reads as an empty history.
void ReadSearchHistory(const std::string& path, std::vector<std::string>& history);
bool SaveSearchHistory(const std::string& path, const std::vector<std::string>& history);
