#include "FeedRefresh.h"

#include <algorithm>
#include <memory>
#include <set>

#include <windows.h>

#include "FeedDates.h"
#include "FeedFiles.h"
#include "FeedListMerge.h"
#include "FeedParser.h"
#include "HttpFetch.h"
#include "MakerSite.h"
#include "classlib/Application.h"
#include "classlib/DateTime.h"
#include "classlib/Guard.h"
#include "classlib/StringList.h"
#include "shared/S_FileUtils.h"
#include "shared/S_Xml.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const {
    return CompareTextSJ(a, b) < 0;
  }
};

bool SameTextSJ(const std::string& a, const std::string& b) { return CompareTextSJ(a, b) == 0; }

// Control bytes make MSXML refuse a whole feed; blanks in their place keep
// the rest readable. True when at least one byte was replaced.
bool ScrubControlBytes(std::string& body) {
  bool changed = false;
  for (char& c : body) {
    unsigned char b = static_cast<unsigned char>(c);
    if ((b < 32 && b != 9 && b != 10 && b != 13) || b == 127) {
      c = ' ';
      changed = true;
    }
  }
  return changed;
}

std::unique_ptr<TXMLList> ParseFeedBody(std::string& body) {
  std::unique_ptr<TXMLList> tree = LoadXMLList(body, true);
  if (!tree && ScrubControlBytes(body)) tree = LoadXMLList(body, true);
  return tree;
}

// Old lines worth keeping when this run found few: not information or
// ranking lines, younger than keepHours, not already there, and of a feed
// that was fetched in this run.
void KeepOldLines(std::vector<std::string>& list, const std::string& tickerPath, int keepHours,
                  const std::set<std::string, CaseLess>& fetchedNames) {
  std::vector<std::string> oldLines;
  // The old lines are a bonus: the new ones are written without them.
  Guard("old ticker lines", [&] {
    if (!ReadDataLines(tickerPath, oldLines)) return;
    const int maxLines = TickerSettings.TickerMaxLines;
    const TDateTime now = Now();
    for (const std::string& raw : oldLines) {
      if ((int)list.size() >= maxLines) break;
      TTickerLine line = ParseTickerLine(raw);
      if (line.Mark == "*" || line.Mark == "$") continue;
      if (line.Date != 0 && HoursBetween(line.Date, now) >= keepHours) continue;
      if (fetchedNames.count(line.FeedName) == 0) continue;
      bool present = std::any_of(list.begin(), list.end(),
                                 [&](const std::string& s) { return SameTextSJ(s, raw); });
      if (!present) list.push_back(raw);
    }
  });
}

void AddInfoFeeds(std::vector<std::string>& list) {
  if (IsClientMode()) return;
  const TTickerSettings& s = TickerSettings;
  if (!s.OemKey.empty() && s.UrlCm == s.OemKey) {
    if (!s.OemDateFlag) AddInfoFeed(s.UrlCm, s.OemName, "", 999, list);
    return;
  }
  if (!s.OemDateFlag && s.UrlCm != MakerInfoFeedUrl()) AddInfoFeed(s.UrlCm, s.OemName, "", 5, list);
  const std::string cache = DataFolder + InfoCacheFileName;
  const TDateTime cacheTime = FileAgeDateTime(cache);
  if (FileExists(cache) && cacheTime != 0 && HoursBetween(cacheTime, Now()) < InfoCacheHours)
    AddInfoFeed(cache, "Pelmoriad", cache, 999, list);
  else
    AddInfoFeed(MakerInfoFeedUrl(), "Pelmoriad", cache, 999, list);
}

struct OldMenuLine {
  std::string FeedUrl;
  std::string Line;  // carried over as it stands
};

struct FeedRun {
  int keepHours;
  // "REFRESH", or no ticker file yet; only other runs send If-Modified-Since.
  bool manual;
  std::vector<std::string> newLines, rankingLines, newMenu;
  std::set<std::string, CaseLess> fetchedNames;
  std::vector<OldMenuLine> oldMenu;
  bool listChanged = false;
};

// Fetches one checked feed in its window; false when the run must end.
bool FetchFeed(FeedRun& run, TFeedListEntry& entry, std::string& defLine,
               std::vector<std::string>& feedMenu) {
  run.fetchedNames.insert(entry.FeedName);
  TFeedContext context = MakeFeedContext();
  context.FeedName = entry.FeedName;
  context.FeedUrl = entry.FeedUrl;
  context.LatestItemTitle = entry.LatestItemTitle;
  context.Manual = run.manual;
  context.Ranking = entry.RankingFeed != 0;
  context.KeepHours = run.keepHours;
  context.Mark = context.Ranking ? "$" : "";
  context.OutList = context.Ranking ? &run.rankingLines : &run.newLines;
  context.FeedMenu = &feedMenu;

  FetchResult fetched =
      FetchUrl(entry.FeedUrl, false, run.manual ? std::string() : entry.LastModified);
  if (PumpAndCheckTerminated()) return false;
  if (fetched.Body.empty()) return true;

  std::unique_ptr<TXMLList> tree = ParseFeedBody(fetched.Body);
  std::string().swap(fetched.Body);
  if (!tree) return true;
  WalkFeedTree(*tree, context);
  if (!context.NewLatestItemTitle.empty()) {
    entry.LatestItemTitle = context.NewLatestItemTitle;
    run.listChanged = true;
  }
  if (!fetched.lastModified.empty()) {
    entry.LastModified = fetched.lastModified;
    run.listChanged = true;
  }
  if (run.listChanged && !fetched.RedirectTarget.empty()) entry.FeedUrl = fetched.RedirectTarget;
  defLine = BuildFeedListLine(entry);
  return true;
}

void ReadOldMenu(const std::string& menuPath, std::vector<OldMenuLine>& oldMenu) {
  std::vector<std::string> lines;
  ReadDataLines(menuPath, lines);
  oldMenu.reserve(lines.size());
  for (std::string& line : lines) oldMenu.push_back({ParseMenuLine(line).FeedUrl, std::move(line)});
}

void CarryOverMenu(FeedRun& run, const std::string& feedUrl) {
  for (const OldMenuLine& old : run.oldMenu) {
    if (SameTextSJ(old.FeedUrl, feedUrl)) run.newMenu.push_back(old.Line);
  }
}

}  // namespace

bool HourWindowContainsAt(int start, int end, int hour) {
  if (start < 0 || end < 0) return true;
  if (start == end) return hour == start;
  if (start < end) return start <= hour && hour <= end;
  return hour >= start || hour <= end;
}

bool HourWindowContains(int start, int end) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return HourWindowContainsAt(start, end, now.wHour);
}

bool PumpAndCheckTerminated() {
  Application.ProcessMessages();
  return Application.Terminated();
}

void ResetTerminatedForTest() { Application.ClearTerminatedForTest(); }

int CompareTickerLinesDesc(const std::vector<std::string>& list, int i, int j) {
  // Byte order of the ASCII-folded text: a TAB (undated line) stays below
  // every digit whatever the system's collation does with control characters.
  return -CompareTextSJ(list.at(i), list.at(j));
}

void AddInfoFeed(const std::string& url, const std::string& feedName, const std::string& cachePath,
                 int maxItems, std::vector<std::string>& tickerLines) {
  if (url.empty()) return;
  // A broken information feed leaves the ticker lines without it.
  Guard("information feed", [&] {
    const FetchResult fetched = FetchUrl(url, false, "");
    if (fetched.Body.empty()) return;
    const std::string& raw = fetched.Body;
    std::unique_ptr<TXMLList> tree = LoadXMLList(raw, true);
    if (!tree) return;
    std::vector<std::string> lines;
    TFeedContext context = MakeFeedContext();
    context.FeedName = feedName;
    context.FeedUrl = url;
    context.Manual = true;
    context.Mark = "*";
    context.OutList = &lines;
    WalkFeedTree(*tree, context);
    // Only a body that gave items replaces the cache: an error page must not
    // hide the information feed for hours. The cache itself is not written
    // back, so it ages.
    if (!lines.empty() && !cachePath.empty() && url.find('\\') == std::string::npos)
      SaveDataFile(cachePath, raw);
    if (lines.empty() || tickerLines.empty()) return;
    const size_t take = std::min<size_t>(lines.size(), std::max(maxItems, 0));
    tickerLines.insert(tickerLines.end(), lines.begin(), lines.begin() + take);
  });
}

void RefreshAllFeeds(int keepHours, bool manual) {
  // A failing refresh leaves the previous ticker file as it was.
  Guard("feed refresh", [&] {
    const std::string tickerPath = DataFolder + TickerFileName;
    const std::string menuPath = DataFolder + MenuFileName;
    const std::string listPath = DataFolder + FeedListFileName;
    FeedRun run;
    run.manual = manual || !FileExists(tickerPath);
    run.keepHours = std::max(keepHours, 24);

    ReadOldMenu(menuPath, run.oldMenu);
    std::vector<std::string> feedList;
    if (!ReadDataLines(listPath, feedList)) return;
    const std::vector<std::string> listAtStart = feedList;

    for (std::string& defLine : feedList) {
      std::vector<std::string> feedMenu;
      TFeedListEntry entry = ParseFeedListLine(defLine);
      if (!entry.IsChecked()) continue;
      const std::string feedUrl = entry.FeedUrl;
      if (HourWindowContains(entry.StartHour - 1, entry.EndHour - 1)) {
        if (!FetchFeed(run, entry, defLine, feedMenu)) return;
      }
      if (PumpAndCheckTerminated()) return;
      if (!feedMenu.empty())
        run.newMenu.insert(run.newMenu.end(), feedMenu.begin(), feedMenu.end());
      else
        CarryOverMenu(run, feedUrl);
    }

    if (!run.newMenu.empty()) SaveDataLines(menuPath, run.newMenu);
    ForceFolder(DelBackslash(DataFolder));
    // The dialog may have saved the list while the feeds were fetched.
    if (run.listChanged) SaveFeedListChanges(listPath, listAtStart, feedList);

    std::vector<std::string>& list = run.newLines;
    if (!list.empty() || !run.rankingLines.empty()) {
      std::vector<int> order(list.size());
      for (size_t k = 0; k < order.size(); ++k) order[k] = (int)k;
      std::stable_sort(order.begin(), order.end(),
                       [&](int a, int b) { return CompareTickerLinesDesc(list, a, b) < 0; });
      std::vector<std::string> sorted;
      sorted.reserve(list.size() + run.rankingLines.size());
      for (int k : order) sorted.push_back(std::move(list[k]));
      list.swap(sorted);
      list.insert(list.end(), run.rankingLines.begin(), run.rankingLines.end());
      // Not manual means the ticker file was there at the start.
      if (!run.manual && (int)list.size() < TickerSettings.TickerMaxLines)
        KeepOldLines(list, tickerPath, run.keepHours, run.fetchedNames);
      AddInfoFeeds(list);
      SaveDataLines(tickerPath, list);
    } else if (run.manual) {
      SaveDataLines(tickerPath, list);
    }
  });
}
