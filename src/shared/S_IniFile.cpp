#include "S_IniFile.h"

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"

namespace {

class TempFileGuard {
 public:
  explicit TempFileGuard(std::wstring path) : path_(std::move(path)) {}
  ~TempFileGuard() {
    if (!path_.empty()) DeleteFileW(path_.c_str());
  }
  void Keep() { path_.clear(); }

 private:
  std::wstring path_;
};

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

bool WriteAndReplace(const std::string& fileName, const std::string& text) {
  std::wstring target = SjisToWide(fileName);
  // Windows refuses to replace a read-only file; Wine would replace it.
  DWORD attr = GetFileAttributesW(target.c_str());
  if (attr != INVALID_FILE_ATTRIBUTES &&
      (attr & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  wchar_t temp[MAX_PATH + 16];
  if (!GetTempFileNameW(FolderOf(target).c_str(), L"tsv", 0, temp)) return false;
  TempFileGuard guard(temp);
  KernelHandle h(
      CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h) return false;
  DWORD done = 0;
  bool ok = text.empty() || (WriteFile(h.get(), text.data(), (DWORD)text.size(), &done, nullptr) &&
                             done == text.size());
  ok = FlushFileBuffers(h.get()) && ok;
  ok = h.close() && ok;
  if (!ok) return false;
  if (!MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return false;
  guard.Keep();
  return true;
}

}  // namespace

std::unique_ptr<TCustomIniFile> OpenIniFile(const std::string& fileName) {
  for (int attempt = 1; attempt <= 3; ++attempt) {
    try {
      return std::unique_ptr<TCustomIniFile>(new TMemIniFile(fileName));
    } catch (const std::exception&) {
      // The other program may be replacing the file right now.
      Sleep(200);
    }
  }
  return std::unique_ptr<TCustomIniFile>(new TIniFile(fileName));
}

bool SaveIniFile(TCustomIniFile& ini) {
  try {
    if (TMemIniFile* mem = dynamic_cast<TMemIniFile*>(&ini)) {
      TStringList list;
      mem->GetStrings(list);
      return WriteAndReplace(ini.FileName(), list.Text());
    }
    ini.UpdateFile();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
