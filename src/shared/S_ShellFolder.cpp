#include "S_ShellFolder.h"

#include <windows.h>
#include <shlobj.h>

#include <map>

#include "S_string.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"

namespace {

std::map<int, std::string>& FoldersForTest() {
  static std::map<int, std::string> folders;
  return folders;
}

struct ItemIdList {
  LPITEMIDLIST pidl = nullptr;
  ~ItemIdList() { CoTaskMemFree(pidl); }
};

std::string FromShell(int csidl) {
  ItemIdList list;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list.pidl)) || !list.pidl)
    return std::string();
  wchar_t buffer[MAX_PATH + 1] = {};
  if (!SHGetPathFromIDListW(list.pidl, buffer)) return std::string();
  return WideToSjis(buffer);
}

// Older systems lack some CSIDLs in the shell itself; shfolder.dll knows them.
std::string FromShFolder(int csidl) {
  typedef HRESULT(WINAPI * GetFolderPathW)(HWND, int, HANDLE, DWORD, LPWSTR);
  ModuleHandle shfolder(LoadLibraryW(L"shfolder.dll"));
  if (!shfolder) return std::string();
  auto proc = (GetFolderPathW)(void*)GetProcAddress(shfolder.get(), "SHGetFolderPathW");
  if (!proc) return std::string();
  wchar_t buffer[MAX_PATH + 1] = {};
  if (FAILED(proc(nullptr, csidl, nullptr, 0, buffer))) return std::string();
  return WideToSjis(buffer);
}

}  // namespace

std::string GetSpecialFolder(int csidl) {
  auto moved = FoldersForTest().find(csidl);
  if (moved != FoldersForTest().end()) return moved->second;
  std::string path = FromShell(csidl);
  if (path.empty()) path = FromShFolder(csidl);
  if (path.empty() && csidl == CSIDL_PROGRAM_FILES) path = GetProgramFilesDirFromRegistry();
  return DelBackslash(path);
}

void SetSpecialFolderForTest(int csidl, const std::string& path) {
  if (path.empty())
    FoldersForTest().erase(csidl);
  else
    FoldersForTest()[csidl] = DelBackslash(path);
}

std::string GetProgramFilesDirFromRegistry() {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                    KEY_READ, key.put()) != ERROR_SUCCESS)
    return std::string();
  wchar_t buffer[MAX_PATH + 1] = {};
  DWORD type = 0;
  DWORD size = sizeof buffer - sizeof(wchar_t);
  if (RegQueryValueExW(key.get(), L"ProgramFilesDir", nullptr, &type, (BYTE*)buffer, &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();
  buffer[size / sizeof(wchar_t)] = 0;
  return WideToSjis(buffer);
}
