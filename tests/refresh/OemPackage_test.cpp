// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "OemPackage.h"

#include <gtest/gtest.h>

#include "FeedFiles.h"
#include "HttpFetch.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"
#include "common/TestFiles.h"

namespace {

// Taken before a case moves the program folder.
const std::string kTestFolder = GetProgramFolder();

std::string TestPackage(const std::string& name) {
  return kTestFolder + "oempkg\\" + name + ".hddef";
}

std::string PackageSource(const std::string& name) {
  return ReadWholeFile(SourceFile("tests/refresh/oempkg/" + name));
}

class OemPackageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(PathExists(TestPackage("TessivarOrvanel"))) << "test packages not built";
    TickerSettings = TTickerSettings();
    TickerSettings.InternetPreConfig = 0;
    ForceFolder(scratch.File("Data"));
    DataFolder = scratch.File("Data\\");
    OemDataFolder = scratch.File("OEM\\");
    SetSaveRetryPauseForTest(10);
    SetDownloadRetryPauseForTest(10);
  }
  std::string ProgramFile(const char* name) const { return GetProgramFolder() + name; }

  ScratchFolder scratch{"TessivarOemPackage"};
  // Downloads land beside the program.
  ProgramFolderMove program{scratch.File("Program\\")};
};

TEST_F(OemPackageTest, SettingsLogoAndEngineListComeFromARealPackage) {
  ASSERT_TRUE(ReadOemPackage(TestPackage("TessivarOrvanel"), 0));
  EXPECT_EQ(TickerSettings.OemName, "テスト配信");
  EXPECT_EQ(TickerSettings.ProgName, "テスト ティッカー");
  EXPECT_EQ(TickerSettings.custFile, 1);
  // The folders were settled with the package's data folder name.
  EXPECT_NE(DataFolder.find("\\Pelmoriad\\TessivarOemTest\\"), std::string::npos) << DataFolder;
  EXPECT_EQ(ReadWholeFile(ProgramFile(SearchEngineFileName)), PackageSource("oem.cst"));
  ASSERT_NE(OemLogoBitmap(), nullptr);
  BITMAP logo{};
  ASSERT_NE(GetObjectW(OemLogoBitmap(), sizeof logo, &logo), 0);
  EXPECT_EQ(logo.bmWidth, 2);
  EXPECT_EQ(logo.bmHeight, 2);
  RemoveDirectoryW(SjisToWide(DelBackslash(IniFolder)).c_str());
  RemoveDirectoryW(SjisToWide(DelBackslash(DataFolder)).c_str());
}

TEST_F(OemPackageTest, LogoWhosePixelsDoNotFitIsNotCreated) {
  ASSERT_TRUE(PathExists(TestPackage("BadLogo")));
  HBITMAP before = OemLogoBitmap();
  // The header announces 4000 x 4000 pixels of 24 bits over 16 bytes.
  EXPECT_TRUE(ReadOemPackage(TestPackage("BadLogo"), 0));
  EXPECT_EQ(TickerSettings.OemName, "テスト配信") << "the settings are still read";
  EXPECT_EQ(OemLogoBitmap(), before);
  RemoveDirectoryW(SjisToWide(DelBackslash(IniFolder)).c_str());
  RemoveDirectoryW(SjisToWide(DelBackslash(DataFolder)).c_str());
}

TEST_F(OemPackageTest, EndedBrandingKeepsDefaultsAndWritesNoFiles) {
  TickerSettings.OemDateMode = 1;
  TickerSettings.OemDateFlag = true;
  TickerSettings.custFile = 1;
  TickerSettings.logoFile = 1;
  WriteWholeFile(ProgramFile(SearchEngineFileName), "mine\r\n");
  EXPECT_TRUE(ReadOemPackage(TestPackage("TessivarOrvanel"), 0));
  EXPECT_EQ(TickerSettings.OemName, "Pelmoriad");
  EXPECT_EQ(ReadWholeFile(ProgramFile(SearchEngineFileName)), "mine\r\n");
  EXPECT_FALSE(ReadOemPackage(TestPackage("TessivarOrvanel"), 1));
  EXPECT_FALSE(PathExists(DataFolder + FeedListFileName));
}

TEST_F(OemPackageTest, FeedListModeSavesThePackageList) {
  ASSERT_TRUE(ReadOemPackage(TestPackage("TessivarOrvanel"), 1));
  std::vector<TFeedListEntry> feeds;
  ASSERT_TRUE(ReadFeedList(DataFolder + FeedListFileName, feeds));
  ASSERT_EQ(feeds.size(), 1u);
  EXPECT_EQ(feeds[0].FeedUrl, "http://127.0.0.1/oem/news.rdf");
  EXPECT_EQ(TickerSettings.OemName, "Pelmoriad");  // mode 1 reads no settings
}

TEST_F(OemPackageTest, EmptySettingsResourceIsNoPackage) {
  EXPECT_FALSE(ReadOemPackage(TestPackage("EmptyOem"), 0));
  EXPECT_EQ(TickerSettings.OemName, "Pelmoriad");
  EXPECT_TRUE(ReadOemPackage(TestPackage("EmptyOem"), 1));
}

TEST_F(OemPackageTest, MissingOrBrokenPackageIsSkipped) {
  EXPECT_FALSE(ReadOemPackage(scratch.File("none.hddef"), 0));
  WriteWholeFile(scratch.File("broken.hddef"), "<html>not a module</html>");
  EXPECT_FALSE(ReadOemPackage(scratch.File("broken.hddef"), 0));
  EXPECT_FALSE(ReadOemPackage(scratch.File("broken.hddef"), 1));
}

TEST_F(OemPackageTest, PackageResourceReadIntoBytes) {
  ModuleHandle module(LoadLibraryExW(SjisToWide(TestPackage("TessivarOrvanel")).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_NE(module.get(), nullptr);
  std::string bytes = "stale";
  EXPECT_TRUE(LoadPackageResource(module.get(), "DEFFILE", bytes));
  EXPECT_EQ(bytes, PackageSource("oem.def"));
  EXPECT_FALSE(LoadPackageResource(module.get(), "SKINFILE", bytes));
  EXPECT_TRUE(bytes.empty());
}

class DownloadTest : public OemPackageTest {
 protected:
  size_t RequestsFor(const std::string& path) const {
    size_t n = 0;
    for (const auto& r : server.Requests()) n += r.Path == path;
    return n;
  }
  static ScriptedResponse Body(const std::string& body) {
    ScriptedResponse r;
    r.Body = body;
    return r;
  }
  TestHttpServer server;
};

TEST_F(DownloadTest, BodySavedAndFolderCreated) {
  server.On("/f.bin", Body("payload"));
  std::string folder = scratch.File("new\\sub\\");
  EXPECT_TRUE(DownloadToFile(server.Url("/f.bin"), folder + "f.bin", folder));
  EXPECT_EQ(ReadWholeFile(folder + "f.bin"), "payload");
}

TEST_F(DownloadTest, ThreeTriesThenFailure) {
  EXPECT_FALSE(DownloadToFile(server.Url("/missing"), scratch.File("x"), ""));
  EXPECT_EQ(RequestsFor("/missing"), 3u);
  server.On("/empty", Body(""));
  EXPECT_FALSE(DownloadToFile(server.Url("/empty"), scratch.File("x"), ""));
  EXPECT_FALSE(PathExists(scratch.File("x")));
}

TEST_F(DownloadTest, SilentServerGetsNoFurtherTriesAfterTheBudget) {
  FetchLimits limits;
  limits.TotalMs = 400;
  limits.ConnectTimeoutMs = limits.ReceiveTimeoutMs = 400;
  SetFetchLimitsForTest(limits);
  SetDownloadBudgetForTest(300);
  ScriptedResponse silent;
  silent.NeverAnswer = true;
  server.On("/silent", silent);
  EXPECT_FALSE(DownloadToFile(server.Url("/silent"), scratch.File("x"), ""));
  EXPECT_EQ(RequestsFor("/silent"), 1u);
  SetFetchLimitsForTest(DefaultFetchLimits());
  SetDownloadBudgetForTest(DefaultFetchLimits().TotalMs);
}

TEST_F(DownloadTest, LocalAndNetworkPathsAreNeverRead) {
  WriteWholeFile(scratch.File("local.txt"), "secret");
  EXPECT_FALSE(DownloadToFile(scratch.File("local.txt"), scratch.File("copy.txt"), ""));
  EXPECT_FALSE(
      DownloadToFile("file:///" + scratch.File("local.txt"), scratch.File("copy.txt"), ""));
  EXPECT_FALSE(PathExists(scratch.File("copy.txt")));
}

TEST_F(DownloadTest, PackageComesOnlyFromAProgramDownloadAddress) {
  TickerSettings.OemFolder = server.Url("/download/plinvat/abc/");
  server.On("/download/plinvat/abc/TessivarOrvanel.hddef",
            Body(ReadWholeFile(TestPackage("TessivarOrvanel"))));
  DownloadOemPackage(false, true);  // plain http, and not the test server's base
  EXPECT_EQ(RequestsFor("/download/plinvat/abc/TessivarOrvanel.hddef"), 0u);
  const std::string base = "TESSIVAR_MAKER_BASE=" + server.Url("");
  _putenv(base.c_str());
  DownloadOemPackage(true, false);
  _putenv("TESSIVAR_MAKER_BASE=");
  EXPECT_TRUE(PathExists(ProgramFile(OemPackageFileName)));
  EXPECT_EQ(TickerSettings.OemName, "テスト配信");
}

TEST_F(DownloadTest, TheUpdateTakesLooseFilesOnlyFromAProgramDownloadAddress) {
  TickerSettings.OemFolder = server.Url("/oem/");
  TickerSettings.custFile = 2;
  TickerSettings.skinFile = 2;
  server.On("/oem/TessivarOrvanel.oem", Body("[Def]\r\nOemName=Loose\r\n"));
  server.On("/oem/TessivarOrvanel.cst", Body("engine\r\n"));
  server.On("/oem/skin.bmp", Body("BMskin"));
  DownloadOemPackage(false, true);  // plain http, and not the test server's base
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(PathExists(ProgramFile(SearchEngineFileName)));
  const std::string base = "TESSIVAR_MAKER_BASE=" + server.Url("");
  _putenv(base.c_str());
  DownloadOemPackage(false, true);
  _putenv("TESSIVAR_MAKER_BASE=");
  EXPECT_EQ(ReadWholeFile(ProgramFile(SearchEngineFileName)), "engine\r\n");
  EXPECT_EQ(ReadWholeFile(OemDataFolder + "skin.bmp"), "BMskin");
}

TEST_F(DownloadTest, PackageCutShortIsNoPackage) {
  const std::string whole = ReadWholeFile(TestPackage("TessivarOrvanel"));
  TickerSettings.OemFolder = server.Url("/download/plinvat/abc/");
  // Its length says what was sent: only the module's own headers tell it is cut.
  server.On("/download/plinvat/abc/TessivarOrvanel.hddef", Body(whole.substr(0, whole.size() / 2)));
  const std::string base = "TESSIVAR_MAKER_BASE=" + server.Url("");
  _putenv(base.c_str());
  DownloadOemPackage(false, true);
  _putenv("TESSIVAR_MAKER_BASE=");
  EXPECT_FALSE(PathExists(ProgramFile(OemPackageFileName)));
  EXPECT_NE(RequestsFor("/download/plinvat/abc/TessivarOrvanel.oem"), 0u);
}

TEST_F(DownloadTest, ErrorPageIsNoPackageAndTheLooseFilesAreFetched) {
  TickerSettings.OemFolder = server.Url("/oem/");
  server.On("/oem/TessivarOrvanel.hddef", Body("<html>Sorry, no package here.</html>"));
  server.On("/oem/TessivarOrvanel.oem",
            Body("[Def]\r\nOemName=Loose\r\n[Graphic]\r\nplayFile=2\r\npauseFile=2\r\n"
                 "searchFile=1\r\n"));
  server.On("/oem/play.bmp", Body("BMplay"));
  server.On("/oem/back.bmp", Body("BMback"));
  server.On("/oem/search.bmp", Body("BMsearch"));
  DownloadOemPackage(true, false);
  EXPECT_FALSE(PathExists(ProgramFile(OemPackageFileName)));
  EXPECT_EQ(TickerSettings.OemName, "Loose");
  EXPECT_EQ(ReadWholeFile(OemDataFolder + "play.bmp"), "BMplay");
  EXPECT_EQ(ReadWholeFile(OemDataFolder + "back.bmp"), "BMback");  // governed by pauseFile
  EXPECT_FALSE(PathExists(OemDataFolder + "search.bmp"));          // 1: from a package only
  EXPECT_EQ(RequestsFor("/oem/pause.bmp"), 0u);
}

TEST_F(DownloadTest, NothingWithoutAnOemFolder) {
  DownloadOemPackage(true, false);
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_FALSE(PathExists(ProgramFile(OemPackageFileName)));
}

}  // namespace
