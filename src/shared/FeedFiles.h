// The data files the refresh shares with the ticker and the settings dialog:
// feed list (.def), ticker file (.tic), menu file (.mnu) and the cache of the
// maker's information feed (.cm). Their formats are fixed here and nowhere else.
// Texts are Shift-JIS, lines end in CR LF, fields are split at every TAB.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "classlib/DateTime.h"

// File names inside DataFolder.
extern const char FeedListFileName[];    // "TessivarOrvanel.def"
extern const char TickerFileName[];      // "TessivarOrvanel.tic"
extern const char MenuFileName[];        // "TessivarOrvanel.mnu"
extern const char InfoCacheFileName[];   // "TessivarOrvanel.cm"

// Field counts a reader takes from one line; further fields are dropped.
constexpr int FeedListMaxFields = 30;
constexpr int TickerMaxFields = 30;
constexpr int MenuMaxFields = 20;
// Menu lines the refresh writes for one feed, and the most a menu shows.
constexpr int MaxMenuLinesPerFeed = 30;

// Byte cuts of the item texts (never splitting a double-byte character).
constexpr int RawTitleBytes = 1124;    // title, before the tags are removed
constexpr int RawSummaryBytes = 1280;  // summary, before the tags are removed
constexpr int SummaryBytes = 256;      // summary, with an ellipsis
constexpr int MenuTextBytes = 62;      // menu feed name and title, with an ellipsis

struct TFeedListEntry {
  std::string Enabled;  // "*" when checked (compared trimmed)
  std::string FeedName;
  std::string FeedUrl;  // http(s) URL, or a local path when it holds "\"
  int RankingFeed = 0;
  int StartHour = 0;  // 0: no window; 1..24 = hour 0..23 plus one
  int EndHour = 0;
  std::string LastModified;
  std::string LatestItemTitle;

  bool IsChecked() const;
};

struct TTickerLine {
  TDateTime Date = 0;  // 0 is written as an empty field
  std::string FeedName;
  std::string Title;
  std::string Link;
  std::string Mark;  // "", "$" ranking, "*" information feed
  std::string Summary;
  std::string Icon;     // 7th field, read on "*" lines; the refresh never writes it
  std::string Picture;  // 8th field, read on any line
};

struct TArticleMenuLine {
  std::string FeedUrl;
  std::string FeedName;
  std::string Title;
  std::string Link;
};

// Text helpers of the line builders.
std::string RemoveLineBreaks(const std::string& s);  // drops every CR, LF and TAB
// Unchanged up to n bytes, else CutBytes(s, n) + "...".
std::string EllipsizeBytes(const std::string& s, int n);
// Item texts, in the order the feed parser applies them after its tag stripping:
// strip tags -> CutRawTitle -> FinishTitle, strip tags -> CutRawSummary -> FinishSummary.
std::string CutRawTitle(const std::string& raw);
std::string CutRawSummary(const std::string& raw);
std::string FinishTitle(const std::string& stripped);
std::string FinishSummary(const std::string& stripped);

// The lines of a text ended by CR LF, LF or CR; a last line without an end
// counts, an empty one after the last end does not.
std::vector<std::string> SplitDataText(const std::string& text);

// Splits a line at every TAB (no trimming) into exactly maxFields fields;
// missing fields are empty.
std::vector<std::string> SplitDataLine(const std::string& line, int maxFields);

TFeedListEntry ParseFeedListLine(const std::string& line);
// 8 fields; CR, LF and TAB are removed from every text field.
std::string BuildFeedListLine(const TFeedListEntry& entry);

TTickerLine ParseTickerLine(const std::string& line);
// 6 fields (7th/8th only when set); the date field is empty for 0 and on
// lines with a mark; CR, LF and TAB are removed from every text field.
std::string BuildTickerLine(const TTickerLine& line);

TArticleMenuLine ParseMenuLine(const std::string& line);
// Feed name and title are cut to 62 bytes with an ellipsis here.
std::string BuildMenuLine(const std::string& feedUrl, const std::string& feedName,
                          const std::string& title, const std::string& link);

// Whole-file access. Readers return false (and an empty result) when the
// file is missing or cannot be read; lines split at CR LF, LF or CR. The
// feed list that exists is tried like a save before it counts as unreadable.
bool ReadDataFile(const std::string& path, std::string& bytes);
// The same read for files of any origin: a file larger than maxBytes is
// refused by its size before it is opened, and betweenChunks runs after
// every chunk (false stops the read). bytes stays empty unless Read.
enum class FileReadResult { Read, Failed, TooLarge, Stopped };
FileReadResult ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& bytes,
                            const std::function<bool()>& betweenChunks);
bool ReadDataLines(const std::string& path, std::vector<std::string>& lines);
bool ReadFeedList(const std::string& path, std::vector<TFeedListEntry>& entries);
bool ReadTickerFile(const std::string& path, std::vector<TTickerLine>& lines);
bool ReadMenuFile(const std::string& path, std::vector<TArticleMenuLine>& lines);

// Saves write a temporary file beside the target and replace the target with
// it, up to 3 tries with a 1000 ms pause after each failed one; when all fail
// the previous file stays untouched. Every line is followed by CR LF.
bool SaveDataFile(const std::string& path, const std::string& bytes);
bool SaveDataLines(const std::string& path, const std::vector<std::string>& lines);
// The same replace, tried once: for files written at every start, where a
// folder that refuses them must not cost seconds.
bool SaveDataFileOnce(const std::string& path, const std::string& bytes);
bool SaveFeedList(const std::string& path, const std::vector<TFeedListEntry>& entries);
// Replaces the feed list's lines with what rewrite makes of them. Every try
// reads the list again, so a try after a failed one never writes over what
// another program saved meanwhile. False when the list is gone, or stays
// unreadable or irreplaceable through all tries.
bool RewriteFeedList(
    const std::string& path,
    const std::function<std::vector<std::string>(const std::vector<std::string>&)>& rewrite);

// Tests shorten the pause between save tries, or run pause in its place (an
// empty one gives the pause back).
void SetSaveRetryPauseForTest(unsigned milliseconds);
void SetBetweenSaveTriesForTest(std::function<void()> pause);
