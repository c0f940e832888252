#include "support/TickerScratch.h"

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/FeedFiles.h"
#include "shared/Tessivar_Seihin.h"

TickerScratch::TickerScratch(const std::string& name) : ScratchFolder(name) {
  CreateDirectoryW(SjisToWide(File("Graphic")).c_str(), nullptr);
  DataFolder = Path();
  IniFolder = Path();
  TickerIniPath = File("TessivarOrvanel.ini");
}

std::string TickerScratch::TickerFile() const { return File(TickerFileName); }
std::string TickerScratch::IniFile() const { return TickerIniPath; }

void SetModifiedSecondsFromNow(const std::string& path, int seconds) {
  KernelHandle file(CreateFileW(SjisToWide(path).c_str(), FILE_WRITE_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr));
  if (!file) return;
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t;
  t.LowPart = now.dwLowDateTime;
  t.HighPart = now.dwHighDateTime;
  t.QuadPart += (ULONGLONG)((LONGLONG)seconds * 10000000LL);
  now.dwLowDateTime = t.LowPart;
  now.dwHighDateTime = t.HighPart;
  SetFileTime(file.get(), nullptr, nullptr, &now);
}
