#include "KeywordList.h"

#include "TickerUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

TKeywordList KeywordList;

void TKeywordList::Clear() {
  entries_.clear();
  hasExclusion_ = false;
}

// Positions into the text rather than copies of its rest: a value can be
// megabytes long and is parsed on the window's thread.
void TKeywordList::AddValue(const std::string& value) {
  std::string t = TrimSpaces(value);
  if (t.empty()) return;
  // Normalised before the split, so a full-width blank separates terms too;
  // trimmed once, so every rest below ends trimmed.
  t = TrimRightSJ(NormalizeForMatch(t));
  size_t pos = SkipBlanksSJ(t, 0);
  while (pos < t.size()) {
    char separator = ' ';
    if (t[pos] == '"') {
      ++pos;
      separator = '"';
    }
    const size_t a = FindCharSJ(t, separator, pos);
    if (a == std::string::npos) break;
    AddTerm(TrimSpaces(t.substr(pos, a - pos)));
    pos = SkipBlanksSJ(t, a + 1);
  }
  if (pos < t.size()) AddTerm(TrimSpaces(t.substr(pos)));
}

void TKeywordList::AddTerm(std::string term) {
  if (term.empty()) return;
  TKeywordEntry entry;
  if (term[0] == '!') {
    term = TrimSpaces(term.substr(1));
    if (term.empty()) return;
    entry.Exclude = true;
  }
  entry.Text = term;
  if (term.find('*') != std::string::npos) {
    size_t pos = 0;
    for (size_t star = FindCharSJ(term, '*', pos); star != std::string::npos;
         star = FindCharSJ(term, '*', pos)) {
      std::string piece = TrimSpaces(term.substr(pos, star - pos));
      if (!piece.empty()) entry.Pieces.push_back(piece);
      pos = SkipBlanksSJ(term, star + 1);
    }
    if (pos < term.size()) entry.Pieces.push_back(term.substr(pos));
  }
  if (entry.Exclude) hasExclusion_ = true;
  entries_.push_back(std::move(entry));
}

namespace {

bool EntryMatches(const TKeywordEntry& entry, const std::string& text) {
  if (entry.Pieces.empty()) return AnsiInStr(text, entry.Text) > 0;
  int p = 1;
  for (const std::string& piece : entry.Pieces) {
    p = InStrFrom(p, text, piece);
    if (p < 1) return false;
  }
  return true;
}

}  // namespace

bool TKeywordList::Match(const std::string& text) const {
  bool result = false;
  for (const TKeywordEntry& entry : entries_) {
    if (!EntryMatches(entry, text)) continue;
    if (entry.Exclude) return false;
    result = true;
    if (!hasExclusion_) break;
  }
  return result;
}

bool TKeywordList::Excluded(const std::string& text) const {
  for (const TKeywordEntry& entry : entries_)
    if (entry.Exclude && EntryMatches(entry, text)) return true;
  return false;
}

// Matching title and description one after the other would let a
// description hit highlight a title that holds an exclusion.
bool TKeywordList::MatchItem(const std::string& title, const std::string& description) const {
  if (entries_.empty()) return false;
  const std::string t = NormalizeForMatch(title), d = NormalizeForMatch(description);
  if (hasExclusion_ && (Excluded(t) || Excluded(d))) return false;
  return Match(t) || Match(d);
}

void RebuildKeywordList() {
  KeywordList.Clear();
  for (const std::string& value : TickerSettings.HighlightKeywords) KeywordList.AddValue(value);
}

bool MatchKeywords(const std::string& normalisedText) { return KeywordList.Match(normalisedText); }
