#include "refresh/FeedListMerge.h"

#include <map>

#include "shared/FeedFiles.h"

namespace {

// Identifies a line by its address and, for an address listed more than
// once, by how many lines before it hold the same one.
struct FeedKey {
  std::string Url;
  int Rank;
  bool operator<(const FeedKey& o) const { return Url != o.Url ? Url < o.Url : Rank < o.Rank; }
};

std::vector<FeedKey> KeysOf(const std::vector<TFeedListEntry>& entries) {
  std::map<std::string, int> seen;
  std::vector<FeedKey> keys;
  keys.reserve(entries.size());
  for (const TFeedListEntry& e : entries) keys.push_back({e.FeedUrl, seen[e.FeedUrl]++});
  return keys;
}

std::vector<TFeedListEntry> Parse(const std::vector<std::string>& lines) {
  std::vector<TFeedListEntry> entries;
  entries.reserve(lines.size());
  for (const std::string& line : lines) entries.push_back(ParseFeedListLine(line));
  return entries;
}

}  // namespace

std::vector<std::string> MergeFeedListChanges(const std::vector<std::string>& readAtStart,
                                              const std::vector<std::string>& afterRun,
                                              const std::vector<std::string>& onDisk) {
  if (onDisk == readAtStart) return afterRun;
  if (readAtStart.size() != afterRun.size()) return onDisk;

  struct Change {
    TFeedListEntry Before, After;
  };
  const std::vector<TFeedListEntry> before = Parse(readAtStart);
  const std::vector<FeedKey> keys = KeysOf(before);
  std::map<FeedKey, Change> changes;  // by the line as the run read it
  for (size_t i = 0; i < before.size(); ++i) {
    if (readAtStart[i] == afterRun[i]) continue;
    Change c{before[i], ParseFeedListLine(afterRun[i])};
    if (c.After.FeedUrl != c.Before.FeedUrl || c.After.LastModified != c.Before.LastModified ||
        c.After.LatestItemTitle != c.Before.LatestItemTitle)
      changes.emplace(keys[i], std::move(c));
  }

  std::vector<std::string> merged = onDisk;
  std::vector<TFeedListEntry> now = Parse(onDisk);
  const std::vector<FeedKey> nowKeys = KeysOf(now);
  for (size_t j = 0; j < now.size(); ++j) {
    auto found = changes.find(nowKeys[j]);
    if (found == changes.end()) continue;
    const Change& c = found->second;
    TFeedListEntry& entry = now[j];
    // Only what the run changed: a field it left alone may hold the dialog's value.
    entry.FeedUrl = c.After.FeedUrl;
    if (c.After.LastModified != c.Before.LastModified) entry.LastModified = c.After.LastModified;
    if (c.After.LatestItemTitle != c.Before.LatestItemTitle)
      entry.LatestItemTitle = c.After.LatestItemTitle;
    merged[j] = BuildFeedListLine(entry);
  }
  return merged;
}

bool SaveFeedListChanges(const std::string& path, const std::vector<std::string>& readAtStart,
                         const std::vector<std::string>& afterRun) {
  // Merged into the list as it stands just before each write, so the window in
  // which a save by the dialog can be lost is as short as a write.
  return RewriteFeedList(path, [&](const std::vector<std::string>& onDisk) {
    return MergeFeedListChanges(readAtStart, afterRun, onDisk);
  });
}
