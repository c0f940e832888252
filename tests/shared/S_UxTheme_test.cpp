// The theme library is bound only for a program with a manifest: this test
// program has none, and a copy of it with a manifest file beside it is run
// as a child to see the other side.
#include "S_UxTheme.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "classlib/Handles.h"
#include "shared/S_FileUtils.h"

namespace {

const char kChildVar[] = "TESSIVAR_UXTHEME_CHILD";

std::wstring OwnPath() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::wstring(path, n);
}

std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

const char kManifest[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
    "<dependency><dependentAssembly><assemblyIdentity type=\"win32\" "
    "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"*\" "
    "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/></dependentAssembly></dependency>\r\n"
    "</assembly>\r\n";

}  // namespace

TEST(UxTheme, VersionNumberIsMajorDotMinorTimesTenThousand) {
  struct Case {
    DWORD major, minor;
    bool nt;
    Currency number;
    bool xp;
  };
  // "major.minor" read as a decimal number, so minor 10 is worth what minor 1 is.
  const Case cases[] = {{5, 0, true, 50000, false},   {5, 1, true, 51000, true},
                        {6, 1, true, 61000, true},    {6, 10, true, 61000, true},
                        {10, 0, true, 100000, true},  {4, 90, false, 49000, false},
                        {5, 1, false, 51000, false}};
  for (const Case& c : cases) {
    TWindowsVersion v;
    v.Major = c.major;
    v.Minor = c.minor;
    v.NtFamily = c.nt;
    SetWindowsVersionForTest(&v);
    EXPECT_EQ(c.number, WindowsVersionNumber()) << c.major << "." << c.minor;
    EXPECT_EQ(c.xp, IsWindowsXPOrLater()) << c.major << "." << c.minor;
  }
  SetWindowsVersionForTest(nullptr);
}

TEST(UxTheme, LengthLimitCountsBytesBeforeVersionSixAndCharactersFrom) {
  EXPECT_EQ(6, TextLengthForComCtl("あいう", (5 << 16) | 82));
  EXPECT_EQ(3, TextLengthForComCtl("あいう", 6 << 16));
  EXPECT_EQ(3, TextLengthForComCtl("aあ", 0));
  EXPECT_EQ(2, TextLengthForComCtl("aあ", (6 << 16) | 10));
  EXPECT_EQ(0, TextLengthForComCtl("", 6 << 16));
  SetComCtl32VersionForTest((5 << 16) | 82);
  EXPECT_FALSE(IsComCtl6());
  EXPECT_EQ(6, TextLengthForMax("あいう"));
  SetComCtl32VersionForTest(6 << 16);
  EXPECT_TRUE(IsComCtl6());
  EXPECT_EQ(3, TextLengthForMax("あいう"));
  SetComCtl32VersionForTest(-1);
}

TEST(UxTheme, WithoutAManifestTheThemeLibraryIsNeverLoaded) {
  if (std::getenv(kChildVar)) GTEST_SKIP() << "child run";
  EXPECT_FALSE(ThemesInUse());
  EXPECT_FALSE(ProgramHasManifest());
  EXPECT_FALSE(UxThemeLoaded());
  EXPECT_EQ(nullptr, UxThemeApi().OpenThemeData);
  // Drawing without the library does nothing and does not fail.
  MemoryDC dc;
  RECT r = {0, 0, 10, 10};
  DrawThemePart(nullptr, dc.get(), L"BUTTON", 1, 1, r);
}

// Runs in the copy with a manifest beside it; writes what it saw.
TEST(UxTheme, ChildReport) {
  const char* out = std::getenv(kChildVar);
  if (!out) GTEST_SKIP() << "only in the child run";
  const TUxThemeApi& api = UxThemeApi();
  bool active = api.IsThemeActive && api.IsThemeActive() && api.IsAppThemed && api.IsAppThemed();
  FILE* f = std::fopen(out, "wb");
  ASSERT_NE(nullptr, f);
  std::fprintf(f, "%d %d %d %d %d", ProgramHasManifest() ? 1 : 0, UxThemeLoaded() ? 1 : 0,
               api.OpenThemeData && api.SetWindowTheme ? 1 : 0, ThemesInUse() ? 1 : 0,
               active ? 1 : 0);
  std::fclose(f);
}

TEST(UxTheme, AManifestBesideTheProgramBindsTheLibrary) {
  if (std::getenv(kChildVar)) GTEST_SKIP() << "child run";
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"tessivar-uxtheme-" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring exe = dir + L"\\themed.exe", report = dir + L"\\report.txt";
  ASSERT_TRUE(CopyFileW(OwnPath().c_str(), exe.c_str(), FALSE));
  {
    std::ofstream m((exe + L".manifest").c_str(), std::ios::binary);
    m << kManifest;
  }
  SetEnvironmentVariableW(L"TESSIVAR_UXTHEME_CHILD", report.c_str());
  std::wstring cmd = L"\"" + exe + L"\" --gtest_filter=UxTheme.ChildReport";
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                                nullptr, nullptr, &si, &pi);
  SetEnvironmentVariableW(L"TESSIVAR_UXTHEME_CHILD", nullptr);
  ASSERT_TRUE(started);
  {
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 60000));
  }

  std::string seen = ReadAll(report);
  ASSERT_EQ(9u, seen.size()) << seen;
  EXPECT_EQ('1', seen[0]) << "manifest not noticed";
  EXPECT_EQ('1', seen[2]) << "theme library not loaded";
  EXPECT_EQ('1', seen[4]) << "entry points not bound";
  // In use exactly when the system's styles are on for the program.
  EXPECT_EQ(seen[8], seen[6]);

  DeleteFileW(report.c_str());
  DeleteFileW((exe + L".manifest").c_str());
  DeleteFileW(exe.c_str());
  RemoveDirectoryW(dir.c_str());
}
