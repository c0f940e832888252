#include "KeywordList.h"

#include "TickerUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

TKeywordList KeywordList;

void TKeywordList::Clear() {
  entries_.clear();
  hasExclusion_ = false;
}

void TKeywordList::AddValue(const std::string& value) {
  // Normalised before the split, so a full-width blank separates terms too.
  std::string t = TrimSpaces(value);
  if (t.empty()) return;
  t = NormalizeForMatch(t);
  for (;;) {
    int a;
    if (!t.empty() && t[0] == '"') {
      t.erase(0, 1);
      a = AnsiInStr(t, "\"");
    } else {
      a = AnsiInStr(t, " ");
    }
    if (a <= 0) break;
    AddTerm(TrimSpaces(t.substr(0, (size_t)a - 1)));
    t = TrimSpaces(t.substr((size_t)a));
  }
  AddTerm(TrimSpaces(t));
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
  std::string rest = term;
  for (int star = AnsiInStr(rest, "*"); star > 0; star = AnsiInStr(rest, "*")) {
    std::string piece = TrimSpaces(rest.substr(0, (size_t)star - 1));
    if (!piece.empty()) entry.Pieces.push_back(piece);
    rest = TrimSpaces(rest.substr((size_t)star));
  }
  if (term.find('*') != std::string::npos && !rest.empty()) entry.Pieces.push_back(rest);
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
