#include "shared/FeedFiles.h"

#include <algorithm>

#include <windows.h>

#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

const char FeedListFileName[] = "TessivarOrvanel.def";
const char TickerFileName[] = "TessivarOrvanel.tic";
const char MenuFileName[] = "TessivarOrvanel.mnu";
const char InfoCacheFileName[] = "TessivarOrvanel.cm";

namespace {

constexpr int SaveTries = 3;
unsigned g_savePauseMs = 1000;
std::function<void()> g_pauseForTest;

void PauseBetweenTries() {
  if (g_pauseForTest)
    g_pauseForTest();
  else
    Sleep(g_savePauseMs);
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string out;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += fields[i];
  }
  return out;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0)
      return false;
    done += written;
  }
  if (!FlushFileBuffers(file.get())) return false;
  return file.close();
}

// Writes beside the target and swaps it in, so a reader never sees half a file.
bool SaveOnce(const std::wstring& target, const std::string& bytes) {
  std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
  if (!WriteWhole(temp, bytes)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  if (!MoveFileExW(temp.c_str(), target.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileW(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool TFeedListEntry::IsChecked() const { return TrimSpaces(Enabled) == "*"; }

std::string RemoveLineBreaks(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\r' && c != '\n' && c != '\t') out += c;
  return out;
}

std::string EllipsizeBytes(const std::string& s, int n) {
  if (static_cast<int>(s.size()) <= n) return s;
  return CutBytes(s, n) + "...";
}

std::string CutRawTitle(const std::string& raw) { return CutBytes(raw, RawTitleBytes); }
std::string CutRawSummary(const std::string& raw) { return CutBytes(raw, RawSummaryBytes); }
std::string FinishTitle(const std::string& stripped) { return RemoveLineBreaks(stripped); }
std::string FinishSummary(const std::string& stripped) {
  return EllipsizeBytes(RemoveLineBreaks(stripped), SummaryBytes);
}

std::vector<std::string> SplitDataLine(const std::string& line, int maxFields) {
  std::vector<std::string> fields;
  fields.reserve(maxFields);
  size_t start = 0;
  while (static_cast<int>(fields.size()) < maxFields) {
    size_t tab = line.find('\t', start);
    if (tab == std::string::npos) {
      fields.push_back(line.substr(start));
      break;
    }
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.resize(maxFields);
  return fields;
}

TFeedListEntry ParseFeedListLine(const std::string& line) {
  std::vector<std::string> f = SplitDataLine(line, FeedListMaxFields);
  TFeedListEntry e;
  e.Enabled = f[0];
  e.FeedName = f[1];
  e.FeedUrl = f[2];
  e.RankingFeed = StrToIntLoose(f[3]);
  e.StartHour = StrToIntLoose(f[4]);
  e.EndHour = StrToIntLoose(f[5]);
  e.LastModified = f[6];
  e.LatestItemTitle = f[7];
  return e;
}

std::string BuildFeedListLine(const TFeedListEntry& e) {
  return JoinFields({RemoveLineBreaks(e.Enabled), RemoveLineBreaks(e.FeedName),
                     RemoveLineBreaks(e.FeedUrl), IntToStrBlankZero(e.RankingFeed),
                     IntToStrBlankZero(e.StartHour), IntToStrBlankZero(e.EndHour),
                     RemoveLineBreaks(e.LastModified), RemoveLineBreaks(e.LatestItemTitle)});
}

TTickerLine ParseTickerLine(const std::string& line) {
  std::vector<std::string> f = SplitDataLine(line, TickerMaxFields);
  TTickerLine t;
  t.Date = StrToFloatLoose(f[0]);
  t.FeedName = f[1];
  t.Title = f[2];
  t.Link = f[3];
  t.Mark = f[4];
  t.Summary = f[5];
  if (t.Mark == "*") t.Icon = f[6];
  t.Picture = f[7];
  return t;
}

std::string BuildTickerLine(const TTickerLine& t) {
  std::string date = t.Mark.empty() ? FloatToStrBlankZero(t.Date) : std::string();
  std::vector<std::string> f = {date,
                                RemoveLineBreaks(t.FeedName),
                                RemoveLineBreaks(t.Title),
                                RemoveLineBreaks(t.Link),
                                RemoveLineBreaks(t.Mark),
                                RemoveLineBreaks(t.Summary)};
  if (!t.Icon.empty() || !t.Picture.empty()) f.push_back(RemoveLineBreaks(t.Icon));
  if (!t.Picture.empty()) f.push_back(RemoveLineBreaks(t.Picture));
  return JoinFields(f);
}

TArticleMenuLine ParseMenuLine(const std::string& line) {
  std::vector<std::string> f = SplitDataLine(line, MenuMaxFields);
  return TArticleMenuLine{f[0], f[1], f[2], f[3]};
}

std::string BuildMenuLine(const std::string& feedUrl, const std::string& feedName,
                          const std::string& title, const std::string& link) {
  return JoinFields({RemoveLineBreaks(feedUrl),
                     EllipsizeBytes(RemoveLineBreaks(feedName), MenuTextBytes),
                     EllipsizeBytes(RemoveLineBreaks(title), MenuTextBytes),
                     RemoveLineBreaks(link)});
}

FileReadResult ReadFileUpTo(const std::string& path, std::size_t maxBytes, std::string& bytes,
                            const std::function<bool()>& betweenChunks) {
  bytes.clear();
  const std::wstring widePath = SjisToWide(path);
  // The size from the folder entry refuses a large file before it is opened;
  // the handle's size below catches one that grew since.
  WIN32_FILE_ATTRIBUTE_DATA entry;
  if (GetFileAttributesExW(widePath.c_str(), GetFileExInfoStandard, &entry) &&
      ((static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow) > maxBytes)
    return FileReadResult::TooLarge;
  KernelHandle file(CreateFileW(widePath.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return FileReadResult::Failed;
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) return FileReadResult::Failed;
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return FileReadResult::TooLarge;
  if (!Guard("data file buffer", [&] { bytes.resize(static_cast<size_t>(size.QuadPart)); }))
    return FileReadResult::Failed;
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    // Small enough that a slow disk or share still lets betweenChunks run often.
    DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 256 * 1024));
    if (!ReadFile(file.get(), &bytes[done], want, &got, nullptr)) {
      bytes.clear();
      return FileReadResult::Failed;
    }
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
    if (betweenChunks && !betweenChunks()) {
      bytes.clear();
      return FileReadResult::Stopped;
    }
  }
  bytes.resize(done);
  return FileReadResult::Read;
}

bool ReadDataFile(const std::string& path, std::string& bytes) {
  return ReadFileUpTo(path, 0x7FFFFFFF, bytes, nullptr) == FileReadResult::Read;
}

std::vector<std::string> SplitDataText(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

bool ReadDataLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::string bytes;
  if (!ReadDataFile(path, bytes)) return false;
  lines = SplitDataText(bytes);
  return true;
}

namespace {

// A backup or scanning program, or another program saving, may hold the list
// for a moment: attempt is tried as a save is, while the list exists.
bool TryOnFeedList(const std::string& path, const std::function<bool()>& attempt) {
  for (int tried = 1; !attempt(); ++tried) {
    if (tried >= SaveTries || !FileExists(path)) return false;
    PauseBetweenTries();
  }
  return true;
}

std::string LinesText(const std::vector<std::string>& lines) {
  std::string bytes;
  for (const std::string& line : lines) {
    bytes += line;
    bytes += "\r\n";
  }
  return bytes;
}

}  // namespace

bool ReadFeedList(const std::string& path, std::vector<TFeedListEntry>& entries) {
  entries.clear();
  std::vector<std::string> lines;
  if (!TryOnFeedList(path, [&] { return ReadDataLines(path, lines); })) return false;
  for (const std::string& line : lines) entries.push_back(ParseFeedListLine(line));
  return true;
}

bool ReadTickerFile(const std::string& path, std::vector<TTickerLine>& out) {
  out.clear();
  std::vector<std::string> lines;
  if (!ReadDataLines(path, lines)) return false;
  for (const std::string& line : lines) out.push_back(ParseTickerLine(line));
  return true;
}

bool ReadMenuFile(const std::string& path, std::vector<TArticleMenuLine>& out) {
  out.clear();
  std::vector<std::string> lines;
  if (!ReadDataLines(path, lines)) return false;
  for (const std::string& line : lines) out.push_back(ParseMenuLine(line));
  return true;
}

bool SaveDataFile(const std::string& path, const std::string& bytes) {
  std::wstring target = SjisToWide(path);
  if (target.empty()) return false;
  for (int attempt = 1; attempt <= SaveTries; ++attempt) {
    if (SaveOnce(target, bytes)) return true;
    PauseBetweenTries();
  }
  return false;
}

bool SaveDataFileOnce(const std::string& path, const std::string& bytes) {
  std::wstring target = SjisToWide(path);
  return !target.empty() && SaveOnce(target, bytes);
}

bool SaveDataLines(const std::string& path, const std::vector<std::string>& lines) {
  return SaveDataFile(path, LinesText(lines));
}

bool SaveFeedList(const std::string& path, const std::vector<TFeedListEntry>& entries) {
  std::vector<std::string> lines;
  lines.reserve(entries.size());
  for (const TFeedListEntry& e : entries) lines.push_back(BuildFeedListLine(e));
  return SaveDataLines(path, lines);
}

bool RewriteFeedList(
    const std::string& path,
    const std::function<std::vector<std::string>(const std::vector<std::string>&)>& rewrite) {
  return TryOnFeedList(path, [&] {
    std::vector<std::string> lines;
    return ReadDataLines(path, lines) && SaveDataFileOnce(path, LinesText(rewrite(lines)));
  });
}

void SetSaveRetryPauseForTest(unsigned milliseconds) { g_savePauseMs = milliseconds; }
void SetBetweenSaveTriesForTest(std::function<void()> pause) { g_pauseForTest = std::move(pause); }
