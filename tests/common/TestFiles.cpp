#include "common/TestFiles.h"

#include <cstdlib>

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_ShellFolder.h"

namespace {

// Deeper than any tree a test makes; a bound in case of a reparse loop.
const int kMaxDepth = 8;

void RemoveTreeW(const std::wstring& folder, int depth) {
  if (depth > kMaxDepth) return;
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (find) {
    do {
      std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = folder + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeW(full, depth + 1);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find.get(), &found));
  }
  find.reset();  // the folder goes only once nothing holds it open
  RemoveDirectoryW(folder.c_str());
}

}  // namespace

std::string TempFolderPath() {
  wchar_t temp[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string path = WideToSjis(std::wstring(temp, n));
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

void RemoveTree(const std::string& folder) {
  std::wstring wide = SjisToWide(folder);
  while (!wide.empty() && wide.back() == L'\\') wide.pop_back();
  if (!wide.empty()) RemoveTreeW(wide, 0);
}

ScratchFolder::ScratchFolder(const std::string& name)
    : path_(TempFolderPath() + name + "_" + std::to_string(GetCurrentProcessId()) + "\\") {
  RemoveTree(path_);
  CreateDirectoryW(SjisToWide(path_).c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

ProgramFolderMove::ProgramFolderMove(const std::string& folder) {
  ForceFolder(folder);
  SetModulePathForTest(folder + ExtractFileName(GetModulePath()));
}

ProgramFolderMove::~ProgramFolderMove() { SetModulePathForTest(""); }

namespace {

const struct {
  int Csidl;
  const char* Folder;
} kUserFolders[] = {
    {CSIDL_APPDATA, "Profile\\AppData\\Roaming"},
    {CSIDL_PROFILE, "Profile"},
    {CSIDL_COMMON_APPDATA, "ProgramData"},
};

}  // namespace

PrivateUserFolders::PrivateUserFolders() {
  // LocalLow too: the settings folder lives there when it exists.
  ForceFolder(root_.File("Profile\\AppData\\LocalLow"));
  for (const auto& f : kUserFolders) {
    ForceFolder(root_.File(f.Folder));
    SetSpecialFolderForTest(f.Csidl, root_.File(f.Folder));
  }
}

PrivateUserFolders::~PrivateUserFolders() {
  for (const auto& f : kUserFolders) SetSpecialFolderForTest(f.Csidl, "");
}

std::string ReadWholeFile(const std::string& path) {
  KernelHandle file(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  if (!file) return std::string();
  std::string bytes;
  char buffer[16384];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  KernelHandle file(
      CreateFileW(SjisToWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  bool ok = bool(file);
  if (ok) {
    DWORD written = 0;
    ok = WriteFile(file.get(), bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
         written == bytes.size();
  }
  if (!ok) ADD_FAILURE() << "cannot write " << path;
  return ok;
}

bool PathExists(const std::string& path) {
  return GetFileAttributesW(SjisToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string SourceFile(const std::string& relative) {
  const char* root = std::getenv("TESSIVAR_SOURCE");
  std::string base = root ? root : "";
  // The source root is a Unix path; Wine maps it through drive Z:.
  if (!base.empty() && base[0] == '/') base = "Z:" + base;
  std::string path = base + "/" + relative;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}
