#include "shared/S_IniFile.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"

namespace {

// A private folder that can count its files.
class IniScratch : public ScratchFolder {
 public:
  IniScratch() : ScratchFolder("tsv_sini") {}
  int FileCount() const {
    int n = 0;
    WIN32_FIND_DATAW fd;
    FindHandle h(FindFirstFileW((SjisToWide(Path()) + L"*").c_str(), &fd));
    if (!h) return 0;
    do {
      if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++n;
    } while (FindNextFileW(h.get(), &fd));
    return n;
  }
};

}  // namespace

TEST(OpenIniFile, MissingFileGivesAnEmptyInMemoryIni) {
  IniScratch dir;
  auto ini = OpenIniFile(dir.Path() + "none.ini");
  ASSERT_NE(dynamic_cast<TMemIniFile*>(ini.get()), nullptr);
  EXPECT_EQ(ini->ReadString("A", "b", "d"), "d");
}

TEST(OpenIniFile, LockedFileFallsBackToTheDirectKindAfterThreeTries) {
  IniScratch dir;
  std::string path = dir.Path() + "locked.ini";
  WriteWholeFile(path, "[A]\r\nb=1\r\n");
  KernelHandle h(CreateFileW(SjisToWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                             OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(h.get(), INVALID_HANDLE_VALUE);
  DWORD start = GetTickCount();
  auto ini = OpenIniFile(path);
  DWORD took = GetTickCount() - start;
  h.reset();
  ASSERT_NE(dynamic_cast<TIniFile*>(ini.get()), nullptr);
  EXPECT_GE(took, 500u);
  // Once the lock is gone the direct kind reads the file itself.
  EXPECT_EQ(ini->ReadInteger("A", "b", 0), 1);
}

TEST(SaveIniFile, WritesTheWholeTextAndLeavesNoTemporaryFile) {
  IniScratch dir;
  std::string path = dir.Path() + "\x90\xdd\x92\xe8.ini";  // 設定
  WriteWholeFile(path, std::string(5000, 'x'));
  TMemIniFile mem(path);
  mem.Clear();
  mem.WriteString("Env", "Name", "\x93\xfa\x96\x7b");
  ASSERT_TRUE(SaveIniFile(mem));
  EXPECT_EQ(ReadWholeFile(path), "[Env]\r\nName=\x93\xfa\x96\x7b\r\n\r\n");
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(SaveIniFile, FailedSaveLeavesThePreviousFile) {
  IniScratch dir;
  std::string path = dir.Path() + "ro.ini";
  const std::string before = "[Env]\r\nA=1\r\n";
  WriteWholeFile(path, before);
  SetFileAttributesW(SjisToWide(path).c_str(), FILE_ATTRIBUTE_READONLY);
  TMemIniFile mem(path);
  mem.WriteString("Env", "A", "2");
  EXPECT_FALSE(SaveIniFile(mem));
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(SaveIniFile, FileHeldOpenByAnotherWriterIsLeftAsItWas) {
  IniScratch dir;
  std::string path = dir.Path() + "busy.ini";
  const std::string before = "[Env]\r\nA=1\r\n";
  WriteWholeFile(path, before);
  TMemIniFile mem(path);
  mem.WriteString("Env", "A", "2");
  KernelHandle h(
      CreateFileW(SjisToWide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(h.get(), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(SaveIniFile(mem));
  h.reset();
  EXPECT_EQ(ReadWholeFile(path), before);
  EXPECT_EQ(dir.FileCount(), 1);
}

TEST(SaveIniFile, MissingFolderFails) {
  IniScratch dir;
  TMemIniFile mem(dir.Path() + "no\\such\\x.ini");
  mem.WriteString("A", "b", "c");
  EXPECT_FALSE(SaveIniFile(mem));
}

TEST(SaveIniFile, DirectKindIsFlushed) {
  IniScratch dir;
  std::string path = dir.Path() + "direct.ini";
  WriteWholeFile(path, "[A]\r\nb=1\r\n");
  TIniFile ini(path);
  ini.WriteString("A", "b", "2");
  EXPECT_TRUE(SaveIniFile(ini));
  TMemIniFile check(path);
  EXPECT_EQ(check.ReadString("A", "b", ""), "2");
}
