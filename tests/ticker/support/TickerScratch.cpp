#include "support/TickerScratch.h"

#include <fstream>

#include <windows.h>

#include "classlib/Text.h"
#include "shared/FeedFiles.h"
#include "shared/Tessivar_Seihin.h"

namespace {

void RemoveTree(const std::wstring& folder, int depth) {
  if (depth > 4) return;
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(full, depth + 1);
      else
        DeleteFileW(full.c_str());
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

TickerScratch::TickerScratch(const std::string& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder =
      std::wstring(temp) + SjisToWide(name) + L"_" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(folder, 0);
  CreateDirectoryW(folder.c_str(), nullptr);
  CreateDirectoryW((folder + L"\\Graphic").c_str(), nullptr);
  path_ = WideToSjis(folder) + "\\";
  DataFolder = path_;
  IniFolder = path_;
  TickerIniPath = path_ + "TessivarOrvanel.ini";
}

TickerScratch::~TickerScratch() { RemoveTree(SjisToWide(path_.substr(0, path_.size() - 1)), 0); }

std::string TickerScratch::TickerFile() const { return path_ + TickerFileName; }
std::string TickerScratch::IniFile() const { return TickerIniPath; }

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(SjisToWide(path).c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
}

void SetModifiedSecondsFromNow(const std::string& path, int seconds) {
  HANDLE file = CreateFileW(SjisToWide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += (ULONGLONG)((LONGLONG)seconds * 10000000LL);
  now.dwLowDateTime = t.LowPart;
  now.dwHighDateTime = t.HighPart;
  SetFileTime(file, nullptr, nullptr, &now);
  CloseHandle(file);
}
