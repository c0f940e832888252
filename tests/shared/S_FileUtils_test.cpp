#include "shared/S_FileUtils.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "classlib/Text.h"
#include "shared/S_ShellFolder.h"
#include "shared/S_UxTheme.h"
#include "common/TestFiles.h"

namespace {

std::string ReadAll(const std::string& name) {
  return PathExists(name) ? ReadWholeFile(name) : "<missing>";
}

class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = TempFolder() + "S_FileUtils_test_" + IntToStrSafe(GetCurrentProcessId());
    RemoveTree(dir_);
    ASSERT_TRUE(CreateDirectoryW(SjisToWide(dir_).c_str(), nullptr));
  }
  void TearDown() override { RemoveTree(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "\\" + name; }

  std::string dir_;
};

const std::string kHyo = "\x95\x5c";  // 表: second byte is a backslash

}  // namespace

TEST(Version, PartsAreTakenUpToEachDot) {
  std::string text = "12.3x.7";
  EXPECT_EQ(TakeVersionPart(text), 12);
  EXPECT_EQ(text, "3x.7");
  EXPECT_EQ(TakeVersionPart(text), 3);
  EXPECT_EQ(TakeVersionPart(text), 7);
  EXPECT_EQ(text, "");
  EXPECT_EQ(TakeVersionPart(text), 0);
}

TEST(Version, MissingPartsAreZero) {
  int major = -1, minor = -1, release = -1, build = -1;
  SplitVersion("2.5", major, minor, release, build);
  EXPECT_EQ(major, 2);
  EXPECT_EQ(minor, 5);
  EXPECT_EQ(release, 0);
  EXPECT_EQ(build, 0);
  SplitVersion("", major, minor, release, build);
  EXPECT_EQ(major, 0);
}

TEST(Version, NumericAndDisplayForms) {
  EXPECT_EQ(VersionNumber(1, 2, 3), 10203);
  EXPECT_EQ(VersionDisplay(1, 2, 3), "1.02c");
  EXPECT_EQ(VersionNumber(1, 0, 0), 10000);
  EXPECT_EQ(VersionDisplay(1, 0, 0), "1.00");
  EXPECT_EQ(VersionNumber(2, 5, 0), 20500);
  EXPECT_EQ(VersionDisplay(2, 5, 0), "2.05");
  EXPECT_EQ(VersionDisplay(1, 10, 1), "1.10a");
}

TEST(Version, ReadsTheJapaneseBlockOfThisProgram) {
  Currency numeric = 0;
  std::string display;
  int build = 0;
  GetFileVersionStr(numeric, display, build, "");
  EXPECT_EQ(numeric, 10203);
  EXPECT_EQ(display, "1.02c");
  EXPECT_EQ(build, 4);
}

TEST_F(FileUtilsTest, VersionOfAFileWithoutABlockLeavesTheValues) {
  WriteWholeFile(Path("plain.txt"), "no resources here");
  Currency numeric = 77;
  std::string display = "keep";
  int build = 9;
  GetFileVersionStr(numeric, display, build, Path("plain.txt"));
  GetFileVersionStr(numeric, display, build, Path("missing.exe"));
  EXPECT_EQ(numeric, 77);
  EXPECT_EQ(display, "keep");
  EXPECT_EQ(build, 9);
}

TEST_F(FileUtilsTest, CopyOfAMissingSourceFailsAndCreatesNothing) {
  EXPECT_FALSE(CopyFileBlocks(Path("none"), Path("copy")));
  EXPECT_FALSE(FileExists(Path("copy")));
  EXPECT_FALSE(CopyFileBlocks("", Path("copy")));
}

TEST_F(FileUtilsTest, CopyOfAnEmptySourceMakesAnEmptyFile) {
  WriteWholeFile(Path("empty"), "");
  EXPECT_TRUE(CopyFileBlocks(Path("empty"), Path("copy")));
  EXPECT_EQ(ReadAll(Path("copy")), "");
}

TEST_F(FileUtilsTest, CopySpanningSeveralBlocksIsExact) {
  std::string data;
  for (int i = 0; i < 3 * 2048 + 5; ++i) data += char(i * 7 + 1);
  WriteWholeFile(Path(kHyo + ".dat"), data);
  WriteWholeFile(Path("copy"), std::string(20000, 'x'));  // longer file is replaced whole
  EXPECT_TRUE(CopyFileBlocks(Path(kHyo + ".dat"), Path("copy")));
  EXPECT_EQ(ReadAll(Path("copy")), data);
}

TEST_F(FileUtilsTest, CopyOntoItselfFailsAndKeepsTheFile) {
  WriteWholeFile(Path("self"), "precious");
  EXPECT_FALSE(CopyFileBlocks(Path("self"), Path("self")));
  EXPECT_FALSE(CopyFileBlocks(Path("self"), dir_ + "\\.\\self"));
  EXPECT_EQ(ReadAll(Path("self")), "precious");
}

TEST_F(FileUtilsTest, CopyIntoAMissingFolderFails) {
  WriteWholeFile(Path("src"), "abc");
  EXPECT_FALSE(CopyFileBlocks(Path("src"), Path("no\\such\\copy")));
}

TEST_F(FileUtilsTest, BlockLoopReportsAWriteThatFails) {
  std::string data(5000, 'z');
  WriteWholeFile(Path("src"), data);
  KernelHandle in(CreateFileW(SjisToWide(Path("src")).c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(in.get(), INVALID_HANDLE_VALUE);
  KernelHandle readEnd, writeEnd;
  ASSERT_TRUE(CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 65536));
  readEnd.reset();  // nobody reads: every write fails
  EXPECT_FALSE(CopyHandleBlocks(in.get(), writeEnd.get()));
}

TEST_F(FileUtilsTest, ForceFolderMakesEveryMissingLevel) {
  std::string deep = Path("a\\" + kHyo + "\\c\\");
  ForceFolder(deep);
  EXPECT_TRUE(DirectoryExists(Path("a\\" + kHyo + "\\c")));
  ForceFolder(deep);  // already there
  EXPECT_TRUE(DirectoryExists(deep));
  ForceFolder("");    // beeps, no more
}

TEST_F(FileUtilsTest, OpenOrCreateFileCreatesOrOpensWithoutTruncating) {
  KernelHandle file;
  EXPECT_EQ(OpenOrCreateFile(Path("new"), file, 1), 0);
  EXPECT_TRUE(file);
  file.reset();
  EXPECT_TRUE(FileExists(Path("new")));

  WriteWholeFile(Path("old"), "kept");
  EXPECT_EQ(OpenOrCreateFile(Path("old"), file, 1), 0);
  file.reset();
  EXPECT_EQ(ReadAll(Path("old")), "kept");

  EXPECT_NE(OpenOrCreateFile(Path("no\\such\\file"), file, 1), 0);
  EXPECT_FALSE(file);
}

TEST_F(FileUtilsTest, WininitWithoutFileGetsANewSection) {
  WriteWholeFile(Path("new.exe"), "x");
  std::string ini = Path("Wininit.ini");
  ASSERT_TRUE(AddWininitRenameTo(ini, Path("new.exe"), Path("old.exe")));
  std::string shortSource = GetShortPathSJ(Path("new.exe"));
  std::string shortFolder = GetShortPathSJ(dir_);
  EXPECT_EQ(ReadAll(ini), "[Rename]\r\n" + AddBackslash(shortFolder) + "old.exe=" + shortSource +
                              "\r\nNul=" + shortSource + "\r\n");
}

TEST_F(FileUtilsTest, WininitSectionIsAppendedAfterOtherSections) {
  WriteWholeFile(Path("gone.tmp"), "x");
  std::string ini = Path("Wininit.ini");
  WriteWholeFile(ini, "[Other]\r\nKey=1\r\n");
  ASSERT_TRUE(AddWininitRenameTo(ini, Path("gone.tmp"), ""));
  EXPECT_EQ(ReadAll(ini),
            "[Other]\r\nKey=1\r\n[Rename]\r\nNul=" + GetShortPathSJ(Path("gone.tmp")) + "\r\n");
}

TEST_F(FileUtilsTest, WininitNewLinesGoFirstInAnExistingSection) {
  ForceFolder(Path("folder"));
  std::string ini = Path("Wininit.ini");
  WriteWholeFile(ini, "[a]\nx=1\n[rename]\nNul=C:\\OLD.TMP\n[b]\n");
  ASSERT_TRUE(AddWininitRenameTo(ini, Path("folder"), ""));
  EXPECT_EQ(ReadAll(ini), "[a]\r\nx=1\r\n[rename]\r\nDirNul=" + GetShortPathSJ(Path("folder")) +
                              "\r\nNul=C:\\OLD.TMP\r\n[b]\r\n");
}

TEST_F(FileUtilsTest, WininitRefusesAnEmptySource) {
  EXPECT_FALSE(AddWininitRenameTo(Path("Wininit.ini"), "", Path("x")));
  EXPECT_FALSE(FileExists(Path("Wininit.ini")));
}

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::wstring> PendingRenames() {
  std::vector<std::wstring> entries;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return entries;
  DWORD size = 0;
  if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr, nullptr,
                       &size) == ERROR_SUCCESS) {
    std::wstring data(size / sizeof(wchar_t) + 2, L'\0');
    if (RegQueryValueExW(key.get(), L"PendingFileRenameOperations", nullptr, nullptr,
                         (BYTE*)&data[0], &size) == ERROR_SUCCESS) {
      // Pairs of source and destination (empty for a delete), then an empty source.
      data.resize(size / sizeof(wchar_t));
      size_t i = 0;
      while (i < data.size() && entries.size() < 10000) {
        size_t end = data.find(L'\0', i);
        if (end == std::wstring::npos || end == i) break;
        size_t destinationEnd = data.find(L'\0', end + 1);
        if (destinationEnd == std::wstring::npos) break;
        entries.push_back(data.substr(i, end - i));
        entries.push_back(data.substr(end + 1, destinationEnd - end - 1));
        i = destinationEnd + 1;
      }
    }
  }
  return entries;
}

// Takes the test's own pairs out again, so that no later start acts on them.
void ForgetPendingRenames(const std::wstring& marker) {
  std::vector<std::wstring> entries = PendingRenames();
  std::wstring kept;
  for (size_t i = 0; i + 1 < entries.size(); i += 2) {
    if (entries[i].find(marker) != std::wstring::npos) continue;
    kept += entries[i] + L'\0' + entries[i + 1] + L'\0';
  }
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return;
  if (kept.empty()) {
    RegDeleteValueW(key.get(), L"PendingFileRenameOperations");
  } else {
    kept += L'\0';
    RegSetValueExW(key.get(), L"PendingFileRenameOperations", 0, REG_MULTI_SZ,
                   (const BYTE*)kept.data(), (DWORD)(kept.size() * sizeof(wchar_t)));
  }
}

}  // namespace

TEST_F(FileUtilsTest, ReplaceOnRebootIsRecordedOrFailsCleanly) {
  std::string name = "reboot_" + IntToStrSafe(GetCurrentProcessId()) + ".tmp";
  WriteWholeFile(Path(name), "new");
  bool recorded = ReplaceFileOnReboot(Path(name), Path("target.exe"));
  bool deleteRecorded = ReplaceFileOnReboot(Path(name), "");
  std::wstring marker = SjisToWide(name);
  int found = 0;
  for (const std::wstring& entry : PendingRenames())
    if (entry.find(marker) != std::wstring::npos) ++found;
  ForgetPendingRenames(marker);
  EXPECT_TRUE(FileExists(Path(name)));  // nothing moves before the next start
  if (!recorded && !deleteRecorded) GTEST_SKIP() << "no right to record delayed moves here";
  std::string wininit = ReadAll(AddBackslash(WindowsFolder()) + "Wininit.ini");
  if (found == 0) {
    EXPECT_NE(wininit.find(GetShortPathSJ(Path(name))), std::string::npos);
  } else {
    EXPECT_EQ(found, (recorded ? 1 : 0) + (deleteRecorded ? 1 : 0));
  }
}

TEST(ShellFolder, KnownFoldersHaveNoTrailingBackslash) {
  for (int csidl : {CSIDL_APPDATA, CSIDL_COMMON_APPDATA, CSIDL_PROGRAM_FILES, CSIDL_PROFILE}) {
    // The shell's own answer, not this test program's private folder.
    const std::string mine = GetSpecialFolder(csidl);
    SetSpecialFolderForTest(csidl, "");
    std::string path = GetSpecialFolder(csidl);
    SetSpecialFolderForTest(csidl, mine);
    ASSERT_FALSE(path.empty()) << csidl;
    EXPECT_NE(path.back(), '\\') << path;
    EXPECT_TRUE(DirectoryExists(path)) << path;
  }
}

TEST(ShellFolder, UnknownFolderIsEmpty) { EXPECT_EQ(GetSpecialFolder(0x7f), ""); }

TEST(ShellFolder, ProgramFilesFromTheRegistry) {
  std::string path = GetProgramFilesDirFromRegistry();
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(DirectoryExists(path)) << path;
}

TEST_F(FileUtilsTest, SmallWrappersTakeJapaneseNames) {
  std::string name = Path(kHyo + "示.txt");
  EXPECT_FALSE(FileExists(name));
  EXPECT_EQ(FileAgeDateTime(name), 0);
  EXPECT_EQ(FileSizeSJ(name), -1);
  WriteWholeFile(name, "12345");
  EXPECT_TRUE(FileExists(name));
  EXPECT_FALSE(DirectoryExists(name));
  EXPECT_TRUE(DirectoryExists(dir_));
  EXPECT_FALSE(FileExists(dir_));
  EXPECT_EQ(FileSizeSJ(name), 5);
  EXPECT_NEAR(FileAgeDateTime(name), Now(), 2.0 / 1440);
  EXPECT_TRUE(RenameFileSJ(name, name + ".bak"));
  EXPECT_TRUE(CopyFileSJ(name + ".bak", name, true));
  EXPECT_FALSE(CopyFileSJ(name + ".bak", name, true));
  EXPECT_TRUE(DeleteFileSJ(name));
  EXPECT_FALSE(DeleteFileSJ(name));
  EXPECT_FALSE(FileExists(""));
  EXPECT_FALSE(DirectoryExists(""));
}

TEST(FileNames, PartsSplitOnRealDelimitersOnly) {
  std::string name = "C:\\" + kHyo + "\\a.b\\" + kHyo + ".txt";
  EXPECT_EQ(ExtractFilePath(name), "C:\\" + kHyo + "\\a.b\\");
  EXPECT_EQ(ExtractFileName(name), kHyo + ".txt");
  EXPECT_EQ(ExtractFileExt(name), ".txt");
  EXPECT_EQ(ChangeFileExt(name, ".ini"), "C:\\" + kHyo + "\\a.b\\" + kHyo + ".ini");
  EXPECT_EQ(ExtractFileName("C:\\x\\" + kHyo), kHyo);
  EXPECT_EQ(ExtractFileExt("C:\\a.b\\noext"), "");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\noext", ".ini"), "C:\\a.b\\noext.ini");
  EXPECT_EQ(ExtractFilePath("C:a.txt"), "C:");
}

TEST(System, ProgramPathAndWindowsFolder) {
  EXPECT_NE(GetModulePath().find("S_FileUtils_test"), std::string::npos);
  EXPECT_TRUE(DirectoryExists(WindowsFolder()));
  EXPECT_EQ(TempFolder().back(), '\\');
  EXPECT_TRUE(IsWindows5OrLater());
  EXPECT_EQ(ExpandFileName(""), "");
}

TEST(System, VersionChecksFollowTheReportedWindows) {
  const struct {
    TWindowsVersion Version;
    bool Five, XP;
  } cases[] = {{{4, 10, false}, false, false},  // 98
               {{5, 0, true}, true, false},     // 2000
               {{5, 1, true}, true, true},
               {{6, 0, true}, true, true}};
  for (const auto& c : cases) {
    SetWindowsVersionForTest(&c.Version);
    SCOPED_TRACE(std::to_string(c.Version.Major) + "." + std::to_string(c.Version.Minor));
    EXPECT_EQ(IsWindows5OrLater(), c.Five);
    EXPECT_EQ(IsWindowsXPOrLater(), c.XP);
  }
  SetWindowsVersionForTest(nullptr);
  EXPECT_GT(WindowsVersion().Major, 4u);
}
