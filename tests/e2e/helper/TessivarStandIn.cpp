// Stands in for the programs the ticker starts (copied as TessivarSetup.exe,
// TessivarUpdate.exe, TessivarInst.exe or a browser): appends one line to
// "standin.log" beside itself, UTF-8, its own file name and then each
// argument, separated by TABs, and ends. Starts that run at once take turns
// at the log.
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "common/StandInLog.h"

namespace {

std::string Utf8(const std::wstring& w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), nullptr, 0, nullptr, nullptr);
  std::string out((size_t)(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, w.data(), (int)w.size(), &out[0], n, nullptr, nullptr);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t self[MAX_PATH * 2] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH * 2);
  std::wstring path = self;
  const size_t slash = path.find_last_of(L'\\');
  std::wstring line = path.substr(slash + 1);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) line += L"\t" + std::wstring(argv[i]);
  LocalFree(argv);
  const std::string bytes = Utf8(line + L"\n");
  const std::wstring log = path.substr(0, slash + 1) + L"standin.log";
  AppendToStandInLog(log, bytes.data(), (DWORD)bytes.size());
  return 0;
}
