// The refresh of all feeds: fetches the checked feeds of the feed list,
// merges their items with the useful lines of the previous ticker file and
// the information feeds, and writes the menu file, feed list and ticker file.
#pragma once
#include <string>
#include <vector>

// start and end are hours 0..23, negative for no window; the window may run
// over midnight.
bool HourWindowContains(int start, int end);
bool HourWindowContainsAt(int start, int end, int hour);

// Serves the pending messages; true once the application was told to
// terminate (a WM_QUIT seen here or by the download's own pump).
bool PumpAndCheckTerminated();
// Tests simulate the end of the session.
void ResetTerminatedForTest();

// The sort order of the new ticker lines: negative when line i goes first
// (newer dates first; undated lines, which begin with TAB, after them).
int CompareTickerLinesDesc(const std::vector<std::string>& list, int i, int j);

// Fetches one information feed (an http(s) address, or the cache file) and
// appends its first maxItems items as "*" lines, only when the ticker list
// already holds lines. With cachePath, a body from the network that yielded
// items is kept there.
void AddInfoFeed(const std::string& url, const std::string& feedName, const std::string& cachePath,
                 int maxItems, std::vector<std::string>& tickerLines);

// keepHours is KeepTime (at least 24 is used); manual for "REFRESH".
void RefreshAllFeeds(int keepHours, bool manual);

// Hours a cached information feed is read instead of fetched.
constexpr int InfoCacheHours = 8;
