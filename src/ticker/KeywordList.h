// The highlight keywords of the settings (Key Str1..Str10) as a match list.
// A value holds blank-separated terms, "quoted phrases", "!" vetoes and
// "a*b" terms whose parts must occur in that order.
#pragma once
#include <string>
#include <vector>

struct TKeywordEntry {
  std::string Text;                 // normalised, without the "!"
  std::vector<std::string> Pieces;  // non-empty parts around "*"; empty without "*"
  bool Exclude = false;
};

class TKeywordList {
 public:
  void Clear();
  // Parses one setting value and appends its terms.
  void AddValue(const std::string& value);
  // Text must already be normalised (NormalizeForMatch).
  bool Match(const std::string& normalisedText) const;
  // Normalises both; an exclusion found in either vetoes, else the title
  // and, when that does not match, the description are matched.
  bool MatchItem(const std::string& title, const std::string& description) const;

  bool Empty() const { return entries_.empty(); }
  bool HasExclusion() const { return hasExclusion_; }
  const std::vector<TKeywordEntry>& Entries() const { return entries_; }

 private:
  void AddTerm(std::string term);
  bool Excluded(const std::string& normalisedText) const;

  std::vector<TKeywordEntry> entries_;
  bool hasExclusion_ = false;
};

// The process-wide list, built from TickerSettings.HighlightKeywords.
extern TKeywordList KeywordList;
void RebuildKeywordList();
bool MatchKeywords(const std::string& normalisedText);
