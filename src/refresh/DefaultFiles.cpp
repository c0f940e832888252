#include "DefaultFiles.h"

#include "FeedFiles.h"
#include "HttpFetch.h"
#include "OemPackage.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

// Lines of a text ended by CR LF, LF or CR.
std::vector<std::string> TextLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

bool SaveIfFeedList(const std::string& text, bool webOnly, const std::string& path) {
  std::vector<TFeedListEntry> feeds = TakeFeedLines(text, webOnly);
  return !feeds.empty() && SaveFeedList(path, feeds);
}

bool TakeMakerFeedList(const std::string& path) {
  bool received = false;
  std::string lastModified;
  std::optional<std::string> body =
      FetchUrl(TickerSettings.UrlDef, received, lastModified, true, "");
  // An empty answer or an error page must not become the user's list.
  return body && received && SaveIfFeedList(*body, true, path);
}

bool TakeOemFolderFeedList(const std::string& path) {
  const std::string oemList = OemDataFolder + FeedListFileName;
  std::string text;
  if (!ReadDataFile(oemList, text)) return false;
  // The installation's own file: local feeds in it are the distributor's choice.
  return !TakeFeedLines(text, false).empty() && CopyFileBlocks(oemList, path);
}

}  // namespace

bool WriteResourceFile(const std::string& name, const std::string& path, bool force) {
  if (!force && FileExists(path)) return false;
  try {
    ForceFolder(DelBackslash(ExtractFilePath(path)));
    std::string bytes;
    if (!LoadPackageResource(nullptr, name, bytes)) return false;
    if (SaveDataFile(path, bytes)) return true;
  } catch (...) {
  }
  MessageBeep(MB_OK);
  return false;
}

std::vector<TFeedListEntry> TakeFeedLines(const std::string& text, bool webOnly) {
  std::vector<TFeedListEntry> feeds;
  for (const std::string& line : TextLines(text)) {
    TFeedListEntry entry = ParseFeedListLine(line);
    entry.FeedUrl = TrimSpaces(entry.FeedUrl);
    if (entry.FeedUrl.empty()) continue;
    if (webOnly && !IsWebAddress(entry.FeedUrl)) continue;
    feeds.push_back(entry);
  }
  return feeds;
}

void EnsureFeedList() {
  const std::string path = DataFolder + FeedListFileName;
  if (FileExists(path)) return;
  try {
    DeleteFileSJ(DataFolder + TickerFileName);
    if (!IsClientMode() && TakeMakerFeedList(path)) return;
    if (ReadOemPackage(GetProgramFolder() + OemPackageFileName, 1)) return;
    if (TakeOemFolderFeedList(path)) return;
  } catch (...) {
  }
  WriteResourceFile("DEFFILE", path, false);
}
