#include "DefaultFiles.h"

#include "FeedFiles.h"
#include "HttpFetch.h"
#include "OemPackage.h"
#include "classlib/Guard.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

bool TakeMakerFeedList(const std::string& path) {
  FetchResult fetched = FetchUrl(TickerSettings.UrlDef, true, "");
  // An empty answer or an error page must not become the user's list.
  return fetched.received() && SaveIfFeedList(fetched.Body, true, path);
}

bool TakeOemFolderFeedList(const std::string& path) {
  const std::string oemList = OemDataFolder + FeedListFileName;
  std::string text;
  if (!ReadDataFile(oemList, text)) return false;
  // The installation's own file: local feeds in it are the distributor's
  // choice, and it is taken as it stands.
  return !TakeFeedLines(text, false).empty() && SaveDataFile(path, text);
}

}  // namespace

bool WriteResourceFile(const std::string& name, const std::string& path, bool force) {
  if (!force && FileExists(path)) return false;
  // A failure on the way beeps like a refused save; a missing resource does not.
  bool loaded = true;
  bool saved = false;
  Guard("resource file write", [&] {
    ForceFolder(DelBackslash(ExtractFilePath(path)));
    std::string bytes;
    loaded = LoadPackageResource(nullptr, name, bytes);
    saved = loaded && SaveDataFileOnce(path, bytes);
  });
  if (!loaded) return false;
  if (saved) return true;
  MessageBeep(MB_OK);
  return false;
}

std::vector<TFeedListEntry> TakeFeedLines(const std::string& text, bool webOnly) {
  std::vector<TFeedListEntry> feeds;
  for (const std::string& line : SplitDataText(text)) {
    TFeedListEntry entry = ParseFeedListLine(line);
    entry.FeedUrl = TrimSpaces(entry.FeedUrl);
    if (entry.FeedUrl.empty()) continue;
    if (webOnly && !IsWebAddress(entry.FeedUrl)) continue;
    feeds.push_back(entry);
  }
  return feeds;
}

bool SaveIfFeedList(const std::string& text, bool webOnly, const std::string& path) {
  std::vector<TFeedListEntry> feeds = TakeFeedLines(text, webOnly);
  return !feeds.empty() && SaveFeedList(path, feeds);
}

void EnsureFeedList() {
  const std::string path = DataFolder + FeedListFileName;
  if (FileExists(path)) return;
  // The embedded list stands in for any source that failed.
  bool taken = false;
  Guard("feed list sources", [&] {
    DeleteFileSJ(DataFolder + TickerFileName);
    taken = (!IsClientMode() && TakeMakerFeedList(path)) ||
            ReadOemPackage(GetProgramFolder() + OemPackageFileName, 1) ||
            TakeOemFolderFeedList(path);
  });
  if (!taken) WriteResourceFile("DEFFILE", path, false);
}
