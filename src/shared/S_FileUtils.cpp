#include "S_FileUtils.h"

#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "classlib/Guard.h"
#include "classlib/Text.h"

namespace {

std::optional<TWindowsVersion> windowsVersionForTest;

bool IsPathDelimiter(wchar_t c) { return c == L'\\' || c == L'/'; }

bool DirectoryExistsW(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceFolderW(std::wstring path) {
  while (path.size() > 1 && IsPathDelimiter(path.back())) path.pop_back();
  if (path.empty()) return false;
  if (DirectoryExistsW(path)) return true;
  size_t slash = path.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) {
    std::wstring parent = path.substr(0, slash);
    // Stop at "C:" and at the "\\server" part of a UNC name.
    bool isRoot = (parent.size() == 2 && parent[1] == L':') || parent == L"\\";
    if (!isRoot && !ForceFolderW(parent)) return false;
  }
  return CreateDirectoryW(path.c_str(), nullptr) || DirectoryExistsW(path);
}

std::string ShortPath(const std::wstring& path) {
  DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return std::string();
  std::wstring buffer(n, L'\0');
  n = GetShortPathNameW(path.c_str(), &buffer[0], n);
  if (n == 0 || n >= buffer.size()) return std::string();
  buffer.resize(n);
  return WideToSjis(buffer);
}

// Short names exist only for existing files; a destination that is not
// there yet keeps its own name under its folder's short path.
std::string ShortPathOrNearest(const std::string& name) {
  std::wstring wide = SjisToWide(name);
  std::string shortName = ShortPath(wide);
  if (!shortName.empty()) return shortName;
  size_t slash = wide.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return name;
  std::string folder = ShortPath(wide.substr(0, slash + 1));
  if (folder.empty()) return name;
  return AddBackslash(folder) + WideToSjis(wide.substr(slash + 1));
}

bool ReadWholeFile(const std::string& name, std::string& data) {
  KernelHandle file(CreateFileW(SjisToWide(name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  data.clear();
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    data.append(buffer, got);
  return true;
}

bool WriteTo(const std::wstring& name, const std::string& data) {
  KernelHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), data.data(), (DWORD)data.size(), &written, nullptr) &&
         written == data.size() && FlushFileBuffers(file.get());
}

// Through a temporary file, so that a failed save leaves the old file whole.
bool WriteWholeFile(const std::string& name, const std::string& data) {
  std::wstring target = SjisToWide(name);
  std::wstring temporary = target + L".tmp";
  if (WriteTo(temporary, data) &&
      MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING))
    return true;
  DeleteFileW(temporary.c_str());
  return false;
}

std::vector<std::string> SplitLines(const std::string& data) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < data.size()) {
    size_t end = data.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(data.substr(start));
      break;
    }
    lines.push_back(data.substr(start, end - start));
    start = end + ((data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1);
  }
  return lines;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = char(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::string LastTwo(const std::string& s) { return RightBytes("00" + s, 2); }

}  // namespace

void ForceFolder(const std::string& path) {
  if (!ForceFolderW(SjisToWide(path))) MessageBeep(0);
}

int ShellOpen(const std::string& target) {
  std::wstring file = SjisToWide(target);
  INT_PTR result =
      (INT_PTR)ShellExecuteW(nullptr, nullptr, file.c_str(), nullptr, nullptr, SW_SHOW);
  return (int)result;
}

bool ReplaceFileOnReboot(const std::string& source, const std::string& destination) {
  std::wstring from = SjisToWide(source);
  BOOL moved;
  if (destination.empty()) {
    moved = MoveFileExW(from.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  } else {
    std::wstring to = SjisToWide(destination);
    moved = MoveFileExW(from.c_str(), to.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT);
  }
  if (moved) return true;
  // Windows without delayed moves reads Wininit.ini at its next start.
  return AddWininitRename(source, destination);
}

bool AddWininitRename(const std::string& source, const std::string& destination) {
  std::string windows = WindowsFolder();
  if (windows.empty()) return false;
  return AddWininitRenameTo(AddBackslash(windows) + "Wininit.ini", source, destination);
}

bool AddWininitRenameTo(const std::string& iniPath, const std::string& source,
                        const std::string& destination) {
  if (source.empty() || iniPath.empty()) return false;
  bool written = false;
  Guard("Wininit.ini rename entry", [&] {
    std::vector<std::string> lines;
    if (FileExists(iniPath)) {
      std::string data;
      if (!ReadWholeFile(iniPath, data)) return;
      lines = SplitLines(data);
    }
    size_t p = 0;
    while (p < lines.size() && !SameTextAscii(lines[p], "[Rename]")) ++p;
    if (p == lines.size()) lines.push_back("[Rename]");
    ++p;
    std::string shortSource = ShortPathOrNearest(source);
    lines.insert(lines.begin() + (ptrdiff_t)p,
                 (DirectoryExists(source) ? "DirNul=" : "Nul=") + shortSource);
    if (!destination.empty())
      lines.insert(lines.begin() + (ptrdiff_t)p,
                   ShortPathOrNearest(destination) + "=" + shortSource);
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    written = WriteWholeFile(iniPath, text);
  });
  return written;
}

namespace {

const wchar_t kSessionManagerKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingMovesValue[] = L"PendingFileRenameOperations";

// Entries are "\??\" + path, a destination may carry a leading "!".
std::wstring PendingMovePath(std::wstring entry) {
  if (!entry.empty() && entry[0] == L'!') entry.erase(0, 1);
  if (entry.compare(0, 4, L"\\??\\") == 0) entry.erase(0, 4);
  return entry;
}

// Pairs of source and destination; a deletion has an empty destination,
// so the value is read by pairs rather than up to its first empty string.
std::vector<std::wstring> PendingMoveEntries(const std::wstring& data) {
  std::vector<std::wstring> entries;
  size_t start = 0;
  for (size_t end; (end = data.find(L'\0', start)) != std::wstring::npos; start = end + 1)
    entries.push_back(data.substr(start, end - start));
  if (entries.size() % 2 == 1) entries.pop_back();
  return entries;
}

bool RemovePendingMoves(const std::wstring& source) {
  RegistryKey key;
  LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0,
                              KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) return false;
  DWORD type = 0, size = 0;
  LONG queried = RegQueryValueExW(key.get(), kPendingMovesValue, nullptr, &type, nullptr, &size);
  if (queried == ERROR_FILE_NOT_FOUND) return true;
  if (queried != ERROR_SUCCESS || type != REG_MULTI_SZ) return false;
  std::wstring data(size / sizeof(wchar_t), L'\0');
  if (size > 0 && RegQueryValueExW(key.get(), kPendingMovesValue, nullptr, &type, (BYTE*)&data[0],
                                   &size) != ERROR_SUCCESS)
    return false;
  data.resize(size / sizeof(wchar_t));
  std::vector<std::wstring> entries = PendingMoveEntries(data);
  std::wstring kept;
  bool removed = false;
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (lstrcmpiW(PendingMovePath(entries[i]).c_str(), source.c_str()) == 0) {
      removed = true;
      continue;
    }
    kept += entries[i] + L'\0' + entries[i + 1] + L'\0';
  }
  if (!removed) return true;
  if (kept.empty()) return RegDeleteValueW(key.get(), kPendingMovesValue) == ERROR_SUCCESS;
  kept += L'\0';
  return RegSetValueExW(key.get(), kPendingMovesValue, 0, REG_MULTI_SZ, (const BYTE*)kept.data(),
                        (DWORD)(kept.size() * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// Drops the "[Rename]" lines whose source (after "=") is source.
bool RemoveWininitLines(const std::string& iniPath, const std::string& source) {
  if (!FileExists(iniPath)) return true;
  std::string data;
  if (!ReadWholeFile(iniPath, data)) return false;
  const std::string shortSource = ShortPathOrNearest(source);
  std::vector<std::string> lines = SplitLines(data);
  std::string text;
  bool inRename = false, removed = false;
  for (const std::string& line : lines) {
    if (!line.empty() && line[0] == '[') inRename = SameTextAscii(line, "[Rename]");
    size_t equals = line.find('=');
    if (inRename && equals != std::string::npos &&
        SameTextAscii(line.substr(equals + 1), shortSource)) {
      removed = true;
      continue;
    }
    text += line + "\r\n";
  }
  return !removed || WriteWholeFile(iniPath, text);
}

}  // namespace

bool CancelReplaceOnReboot(const std::string& source) {
  if (source.empty()) return false;
  bool moves = RemovePendingMoves(SjisToWide(ExpandFileName(source)));
  std::string windows = WindowsFolder();
  bool wininit =
      windows.empty() || RemoveWininitLines(AddBackslash(windows) + "Wininit.ini", source);
  return moves && wininit;
}

int OpenOrCreateFile(const std::string& name, KernelHandle& file, int /*recordSize*/) {
  file.reset();
  if (name.empty()) return ERROR_INVALID_NAME;
  file.reset(CreateFileW(SjisToWide(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD error = GetLastError();
    file.reset();
    return error ? (int)error : ERROR_ACCESS_DENIED;
  }
  return 0;
}

bool CopyHandleBlocks(HANDLE source, HANDLE destination) {
  char buffer[2048];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(source, buffer, sizeof buffer, &got, nullptr)) return false;
    if (got == 0) return true;
    DWORD written = 0;
    if (!WriteFile(destination, buffer, got, &written, nullptr) || written != got) return false;
  }
}

namespace {

bool SameFile(HANDLE a, HANDLE b) {
  BY_HANDLE_FILE_INFORMATION x = {}, y = {};
  return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
         x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
         x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

}  // namespace

bool CopyFileBlocks(const std::string& source, const std::string& destination) {
  if (source.empty() || destination.empty()) return false;
  std::wstring to = SjisToWide(destination);
  bool ok;
  {
    KernelHandle in(CreateFileW(SjisToWide(source).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!in) return false;
    // Opened without truncation first: a destination that is the source
    // under another spelling must not be emptied.
    KernelHandle out(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out || SameFile(in.get(), out.get())) return false;
    ok = SetEndOfFile(out.get()) && CopyHandleBlocks(in.get(), out.get());
  }
  // A truncated copy is worse than none: callers take true as a whole file.
  if (!ok) DeleteFileW(to.c_str());
  return ok;
}

Currency VersionNumber(int major, int minor, int release) {
  return StrToCurrLoose(IntToStrSafe(major) + "." + LastTwo(IntToStrSafe(minor)) +
                        LastTwo(IntToStrSafe(release)));
}

std::string VersionDisplay(int major, int minor, int release) {
  std::string display = IntToStrSafe(major) + "." + LastTwo(IntToStrSafe(minor));
  if (release > 0 && release + 96 <= 255) display += (char)(release + 96);
  return display;
}

bool IsWholeImage(const std::string& bytes) {
  IMAGE_DOS_HEADER dos;
  if (bytes.size() < sizeof dos) return false;
  std::memcpy(&dos, bytes.data(), sizeof dos);
  if (dos.e_magic != IMAGE_DOS_SIGNATURE || dos.e_lfanew < static_cast<LONG>(sizeof dos))
    return false;
  const uint64_t size = bytes.size();
  const uint64_t fileHeaderAt = uint64_t(dos.e_lfanew) + 4;
  if (fileHeaderAt + sizeof(IMAGE_FILE_HEADER) > size ||
      std::memcmp(bytes.data() + dos.e_lfanew, "PE\0\0", 4) != 0)
    return false;
  IMAGE_FILE_HEADER header;
  std::memcpy(&header, bytes.data() + fileHeaderAt, sizeof header);
  const uint64_t sectionsAt = fileHeaderAt + sizeof header + header.SizeOfOptionalHeader;
  if (header.NumberOfSections == 0 ||
      sectionsAt + uint64_t(header.NumberOfSections) * sizeof(IMAGE_SECTION_HEADER) > size)
    return false;
  for (WORD i = 0; i < header.NumberOfSections; ++i) {
    IMAGE_SECTION_HEADER section;
    std::memcpy(&section, bytes.data() + sectionsAt + i * sizeof section, sizeof section);
    if (uint64_t(section.PointerToRawData) + section.SizeOfRawData > size) return false;
  }
  return true;
}

bool GetFileVersionValue(const std::string& file, const std::string& key, std::string& value) {
  std::wstring name = SjisToWide(file.empty() ? GetModulePath() : file);
  if (name.empty()) return false;
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(name.c_str(), 0, size, block.data())) return false;
  wchar_t* text = nullptr;
  UINT length = 0;
  std::wstring path = L"\\StringFileInfo\\041103A4\\" + SjisToWide(key);
  if (!VerQueryValueW(block.data(), path.c_str(), (void**)&text, &length) || !text) return false;
  value = WideToSjis(text, (int)wcsnlen(text, length));
  return true;
}

void GetFileVersionStr(Currency& numeric, std::string& display, int& build,
                       const std::string& file) {
  std::string text;
  if (!GetFileVersionValue(file, "FileVersion", text)) return;
  int major = 0, minor = 0, release = 0, buildNumber = 0;
  SplitVersion(text, major, minor, release, buildNumber);
  numeric = VersionNumber(major, minor, release);
  display = VersionDisplay(major, minor, release);
  build = buildNumber;
}

void SplitVersion(std::string text, int& major, int& minor, int& release, int& build) {
  major = TakeVersionPart(text);
  minor = TakeVersionPart(text);
  release = TakeVersionPart(text);
  build = TakeVersionPart(text);
}

int TakeVersionPart(std::string& text) {
  size_t dot = text.find('.');
  if (dot == std::string::npos) {
    int value = StrToIntLoose(text);
    text.clear();
    return value;
  }
  int value = StrToIntLoose(text.substr(0, dot));
  text.erase(0, dot + 1);
  return value;
}

TWindowsVersion WindowsVersion() {
  if (windowsVersionForTest) return *windowsVersionForTest;
  TWindowsVersion version;
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExW(&info)) return version;
  version.Major = info.dwMajorVersion;
  version.Minor = info.dwMinorVersion;
  version.NtFamily = info.dwPlatformId == VER_PLATFORM_WIN32_NT;
  return version;
}

void SetWindowsVersionForTest(const TWindowsVersion* version) {
  windowsVersionForTest.reset();
  if (version) windowsVersionForTest = *version;
}

bool IsWindows5OrLater() { return WindowsVersion().Major > 4; }

bool IsShiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

bool FileExists(const std::string& name) {
  if (name.empty()) return false;
  DWORD attributes = GetFileAttributesW(SjisToWide(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& name) {
  return !name.empty() && DirectoryExistsW(SjisToWide(name));
}

bool DeleteFileSJ(const std::string& name) {
  return !name.empty() && DeleteFileW(SjisToWide(name).c_str());
}

bool RenameFileSJ(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() &&
         MoveFileW(SjisToWide(from).c_str(), SjisToWide(to).c_str());
}

bool CopyFileSJ(const std::string& from, const std::string& to, bool failIfExists) {
  return !from.empty() && !to.empty() &&
         CopyFileW(SjisToWide(from).c_str(), SjisToWide(to).c_str(), failIfExists);
}

TDateTime FileAgeDateTime(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (name.empty() ||
      !GetFileAttributesExW(SjisToWide(name).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return 0;
  FILETIME local = {};
  if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local)) return 0;
  ULARGE_INTEGER ticks;
  ticks.LowPart = local.dwLowDateTime;
  ticks.HighPart = local.dwHighDateTime;
  // 100 ns ticks since 1601-01-01; day 0 of TDateTime is 1899-12-30.
  const double ticksPerDay = 864000000000.0;
  const double daysFrom1601To1899 = 109205.0;
  return (double)ticks.QuadPart / ticksPerDay - daysFrom1601To1899;
}

int64_t FileSizeSJ(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  if (name.empty() ||
      !GetFileAttributesExW(SjisToWide(name).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return -1;
  return ((int64_t)data.nFileSizeHigh << 32) | data.nFileSizeLow;
}

namespace {

// 0-based index just after the last path delimiter or drive colon on a
// character boundary (0 when there is none).
size_t NameStart(const std::string& name) {
  size_t start = 0;
  for (size_t i = 0; i < name.size();) {
    char c = name[i];
    if (IsLeadByte((unsigned char)c) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') start = i + 1;
    ++i;
  }
  return start;
}

// 0-based index of the extension's dot, or npos.
size_t ExtensionDot(const std::string& name) {
  size_t start = NameStart(name);
  size_t dot = std::string::npos;
  for (size_t i = start; i < name.size();) {
    if (IsLeadByte((unsigned char)name[i]) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (name[i] == '.') dot = i;
    ++i;
  }
  return dot;
}

}  // namespace

std::string ExtractFilePath(const std::string& name) { return name.substr(0, NameStart(name)); }

std::string ExtractFileName(const std::string& name) { return name.substr(NameStart(name)); }

std::string ExtractFileExt(const std::string& name) {
  size_t dot = ExtensionDot(name);
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

std::string ChangeFileExt(const std::string& name, const std::string& ext) {
  size_t dot = ExtensionDot(name);
  return (dot == std::string::npos ? name : name.substr(0, dot)) + ext;
}

std::string ExpandFileName(const std::string& name) {
  if (name.empty()) return std::string();
  std::wstring wide = SjisToWide(name);
  DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (n == 0) return name;
  std::wstring buffer(n, L'\0');
  n = GetFullPathNameW(wide.c_str(), n, &buffer[0], nullptr);
  if (n == 0 || n >= buffer.size()) return name;
  buffer.resize(n);
  return WideToSjis(buffer);
}

std::string GetShortPathSJ(const std::string& name) {
  std::string shortName = ShortPath(SjisToWide(name));
  return shortName.empty() ? name : shortName;
}

std::string ProgramName() { return ChangeFileExt(ExtractFileName(GetModulePath()), ""); }

namespace {

std::string RunningProgramPath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (int tries = 0; tries < 6; ++tries) {
    DWORD n = GetModuleFileNameW(nullptr, &buffer[0], (DWORD)buffer.size());
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      return WideToSjis(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
  return std::string();
}

// A function's static, as the program folder is taken during static start-up.
std::string& ModulePathForTest() {
  static std::string path;
  return path;
}

}  // namespace

std::string GetModulePath() {
  static const std::string path = RunningProgramPath();
  const std::string& forTest = ModulePathForTest();
  return forTest.empty() ? path : forTest;
}

void SetModulePathForTest(const std::string& path) { ModulePathForTest() = path; }

std::string WindowsFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::string();
  return DelBackslash(WideToSjis(buffer, (int)n));
}

std::string TempFolder() {
  wchar_t buffer[MAX_PATH + 2] = {};
  DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  if (n == 0 || n > MAX_PATH + 1) return std::string();
  return AddBackslash(WideToSjis(buffer, (int)n));
}
