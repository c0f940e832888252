#include "support/ScratchFolder.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <windows.h>

#include "classlib/Text.h"

namespace {

void RemoveTree(const std::wstring& folder, int depth) {
  if (depth > 8) return;
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

ScratchFolder::ScratchFolder(const std::string& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder =
      std::wstring(temp) + SjisToWide(name) + L"_" + std::to_wstring(GetCurrentProcessId());
  RemoveTree(folder, 0);
  CreateDirectoryW(folder.c_str(), nullptr);
  path_ = WideToSjis(folder) + "\\";
}

ScratchFolder::~ScratchFolder() { RemoveTree(SjisToWide(path_.substr(0, path_.size() - 1)), 0); }

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(SjisToWide(path).c_str(), std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(SjisToWide(path).c_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
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
