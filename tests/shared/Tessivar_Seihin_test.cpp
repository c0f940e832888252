#include "shared/Tessivar_Seihin.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/IniFiles.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"

namespace {

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesW(SjisToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FilePresent(const std::string& path) {
  DWORD a = GetFileAttributesW(SjisToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  TMemoryStream m(bytes);
  m.SaveToFile(path);
}

std::string ReadBytes(const std::string& path) {
  TMemoryStream m;
  m.LoadFromFile(path);
  return m.Data();
}

const std::string kNul(1, '\0');

// A scratch user: application data and profile folders of its own, the
// settings group back at its built-in defaults.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    root_ = WideToSjis(dir) + "tsv_seihin_" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name();
    RemoveTree(SjisToWide(root_));
    CreateDirectoryW(SjisToWide(root_).c_str(), nullptr);
    appData_ = root_ + "\\Roaming";
    profile_ = root_ + "\\Profile";
    CreateDirectoryW(SjisToWide(appData_).c_str(), nullptr);
    CreateDirectoryW(SjisToWide(profile_).c_str(), nullptr);
    TickerSettings = TTickerSettings();
  }
  void TearDown() override {
    RemoveTree(SjisToWide(root_));
    TickerSettings = TTickerSettings();
  }
  void MakeLocalLow() {
    CreateDirectoryW(SjisToWide(profile_ + "\\AppData").c_str(), nullptr);
    CreateDirectoryW(SjisToWide(profile_ + "\\AppData\\LocalLow").c_str(), nullptr);
  }
  void Init() { InitDataFoldersAt(appData_, profile_); }
  std::string RoamingIni() const { return DataFolder + "TessivarOrvanel.ini"; }

  std::string root_, appData_, profile_;
};

void SetEveryStoredValue() {
  TTickerSettings& t = TickerSettings;
  t.RefreshNow = 45306.123456789;
  t.AlphaBrend = 200;
  t.RefreshTime = 15;
  t.KeepTime = 48;
  t.TickerFontSize = 12;
  t.TickerScroll = 5;
  t.TickerSpeedUp = true;
  t.TickerScrollTaskBar = false;
  t.TickerTime = 9;
  t.TickerScrollTime = 7;
  t.CommonBrows = 2;
  t.CommonBrowsName = "C:\\\x83\x5C\x83\x74\x83\x67\\browser.exe";  // ソフト: 0x5C trail byte
  t.ScrollButton = true;
  t.DescPopup = false;
  t.InternetPreConfig = 2;
  t.ProxyHost = "proxy.example";
  t.ProxyPort = 3128;
  t.ProxyUser = "\x83\x86\x81\x5B\x83\x55";  // ユーザ
  t.ProxyPassword = "p=a;s s";
  t.ProxyCredentialsInUrl = 1;
  t.SearchName = "Engine";
  t.SearchUrl = "http://s.example/?q=$KEYWORD$";
  t.SearchDate = "20240309";
  t.SearchQuery = "http://q.example/?q=$KEYWORD_UTF8$";
  for (int i = 0; i < kHighlightKeywordCount; ++i)
    t.HighlightKeywords[i] = "kw" + std::to_string(i);
}

void ExpectEveryStoredValue() {
  const TTickerSettings& t = TickerSettings;
  EXPECT_DOUBLE_EQ(t.RefreshNow, 45306.123456789);
  EXPECT_EQ(t.AlphaBrend, 200);
  EXPECT_EQ(t.RefreshTime, 15);
  EXPECT_EQ(t.KeepTime, 48);
  EXPECT_EQ(t.TickerFontSize, 12);
  EXPECT_EQ(t.TickerScroll, 5);
  EXPECT_TRUE(t.TickerSpeedUp);
  EXPECT_FALSE(t.TickerScrollTaskBar);
  EXPECT_EQ(t.TickerTime, 9);
  EXPECT_EQ(t.TickerScrollTime, 7);
  EXPECT_EQ(t.CommonBrows, 2);
  EXPECT_EQ(t.CommonBrowsName, "C:\\\x83\x5C\x83\x74\x83\x67\\browser.exe");
  EXPECT_TRUE(t.ScrollButton);
  EXPECT_FALSE(t.DescPopup);
  EXPECT_EQ(t.InternetPreConfig, 2);
  EXPECT_EQ(t.ProxyHost, "proxy.example");
  EXPECT_EQ(t.ProxyPort, 3128);
  EXPECT_EQ(t.ProxyUser, "\x83\x86\x81\x5B\x83\x55");
  EXPECT_EQ(t.ProxyPassword, "p=a;s s");
  EXPECT_EQ(t.ProxyCredentialsInUrl, 1);
  EXPECT_EQ(t.SearchName, "Engine");
  EXPECT_EQ(t.SearchUrl, "http://s.example/?q=$KEYWORD$");
  EXPECT_EQ(t.SearchDate, "20240309");
  EXPECT_EQ(t.SearchQuery, "http://q.example/?q=$KEYWORD_UTF8$");
  for (int i = 0; i < kHighlightKeywordCount; ++i)
    EXPECT_EQ(t.HighlightKeywords[i], "kw" + std::to_string(i));
}

}  // namespace

TEST_F(SettingsTest, WithoutLocalLowTheSettingsLieBesideTheData) {
  Init();
  EXPECT_EQ(DataFolder, appData_ + "\\Pelmoriad\\TessivarOrvanel\\");
  EXPECT_EQ(IniFolder, DataFolder);
  EXPECT_EQ(TickerIniPath, DataFolder + "TessivarOrvanel.ini");
  EXPECT_TRUE(FolderExists(DataFolder));
}

TEST_F(SettingsTest, WithLocalLowTheSettingsMoveThere) {
  MakeLocalLow();
  TickerSettings.LocalPath = "\x83\x65\x83\x58\x83\x67";  // テスト
  Init();
  EXPECT_EQ(DataFolder, appData_ + "\\Pelmoriad\\\x83\x65\x83\x58\x83\x67\\");
  EXPECT_EQ(IniFolder, profile_ + "\\AppData\\LocalLow\\Pelmoriad\\\x83\x65\x83\x58\x83\x67\\");
  EXPECT_EQ(TickerIniPath, IniFolder + "TessivarOrvanel.ini");
  EXPECT_TRUE(FolderExists(DataFolder));
  EXPECT_TRUE(FolderExists(IniFolder));
}

TEST_F(SettingsTest, ProgramAndOemFoldersFollowTheRunningProgram) {
  std::string program = GetProgramFolder();
  ASSERT_FALSE(program.empty());
  EXPECT_EQ(program.back(), '\\');
  EXPECT_TRUE(FolderExists(program));
  EXPECT_EQ(OemDataFolder, program + "OEM\\");
}

TEST_F(SettingsTest, EveryKeyRoundTrips) {
  Init();
  SetEveryStoredValue();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TickerSettings = TTickerSettings();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  ExpectEveryStoredValue();

  std::string text = ReadBytes(TickerIniPath);
  EXPECT_NE(text.find("[Run]\r\nRefreshNow=45306.123456789\r\n"), std::string::npos);
  EXPECT_NE(text.find("TickerSpeedUp=1\r\nTickerScrollTaskBar=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("[Key]\r\nStr1=kw0\r\n"), std::string::npos);
  EXPECT_EQ(text.find("proxy.example"), std::string::npos);  // stored scrambled
}

TEST_F(SettingsTest, DefaultsMatchTheBuiltInTable) {
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.RefreshTime, 60);
  EXPECT_EQ(t.KeepTime, 24);
  EXPECT_EQ(t.TickerFontSize, 9);
  EXPECT_TRUE(t.TickerScrollTaskBar);
  EXPECT_EQ(t.TickerTime, 5);
  EXPECT_EQ(t.TickerScrollTime, 3);
  EXPECT_EQ(t.CommonBrows, 1);
  EXPECT_TRUE(t.DescPopup);
  EXPECT_EQ(t.InternetPreConfig, 1);
  EXPECT_EQ(t.ProxyPort, 8080);
  EXPECT_EQ(t.TickerMaxLines, 100);
  EXPECT_EQ(t.InfoLineInterval, 15);
  EXPECT_EQ(t.SearchQuery,
            "https://www.google.co.jp/search?hl=ja&lr=lang_ja&ie=Shift_JIS&q=$KEYWORD_SHIFTJIS$");
}

TEST_F(SettingsTest, MissingFileKeepsCurrentValuesButClearsSearchAndKeywords) {
  Init();
  SetEveryStoredValue();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.RefreshNow, 0);
  EXPECT_EQ(t.SearchName, "");
  EXPECT_EQ(t.SearchUrl, "");
  EXPECT_EQ(t.HighlightKeywords[0], "");
  EXPECT_EQ(t.RefreshTime, 15);
  EXPECT_EQ(t.ProxyHost, "proxy.example");
  EXPECT_EQ(t.ProxyPort, 3128);
  EXPECT_EQ(t.ProxyPassword, "p=a;s s");
  EXPECT_EQ(t.ProxyCredentialsInUrl, 1);
  EXPECT_EQ(t.SearchDate, "20240309");
  EXPECT_FALSE(FilePresent(TickerIniPath));
}

TEST_F(SettingsTest, EmptyFileKeepsPort8080) {
  Init();
  WriteBytes(TickerIniPath, "");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "G"));
  EXPECT_EQ(TickerSettings.ProxyPort, 8080);
  EXPECT_EQ(TickerSettings.RefreshTime, 60);
}

TEST_F(SettingsTest, UnknownSectionsAndKeysSurviveAFullWrite) {
  Init();
  WriteBytes(TickerIniPath,
             "[Sz_KvBandForm]\r\nLeft=10\r\n[Env]\r\nFuture=\x93\xfa\r\nRefreshTime=30\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.RefreshTime, 30);
  TickerSettings.RefreshTime = 20;
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TMemIniFile ini(TickerIniPath);
  EXPECT_EQ(ini.ReadInteger("Sz_KvBandForm", "Left", 0), 10);
  EXPECT_EQ(ini.ReadString("Env", "Future", ""), "\x93\xfa");
  EXPECT_EQ(ini.ReadInteger("Env", "RefreshTime", 0), 20);
}

TEST_F(SettingsTest, SearchModeWritesOnlyQueryAndDate) {
  Init();
  WriteBytes(TickerIniPath,
             "[Env]\r\nRefreshTime=30\r\n[Search]\r\nName=Old\r\nUrl=http://old/\r\nQuery=q0\r\n");
  TickerSettings.SearchName = "New";
  TickerSettings.SearchUrl = "http://new/";
  TickerSettings.SearchQuery = "q1";
  TickerSettings.SearchDate = "20240401";
  TickerSettings.RefreshTime = 99;
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "S"));
  TMemIniFile ini(TickerIniPath);
  EXPECT_EQ(ini.ReadString("Search", "Name", ""), "Old");
  EXPECT_EQ(ini.ReadString("Search", "Url", ""), "http://old/");
  EXPECT_EQ(ini.ReadString("Search", "Query", ""), "q1");
  EXPECT_EQ(ini.ReadString("Search", "Date", ""), "20240401");
  EXPECT_EQ(ini.ReadInteger("Env", "RefreshTime", 0), 30);
}

TEST_F(SettingsTest, RoamingCopyIsReadWhileTheLocalFileIsMissing) {
  MakeLocalLow();
  Init();
  ASSERT_NE(TickerIniPath, RoamingIni());
  WriteBytes(RoamingIni(), "[Env]\r\nRefreshTime=33\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.RefreshTime, 33);

  WriteBytes(TickerIniPath, "[Env]\r\nRefreshTime=44\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.RefreshTime, 44);
}

TEST_F(SettingsTest, SearchModeOnARoamingOnlyUserKeepsEverySetting) {
  MakeLocalLow();
  Init();
  SetEveryStoredValue();
  ASSERT_TRUE(AccessTickerIni(RoamingIni(), "W"));
  WriteBytes(RoamingIni(), ReadBytes(RoamingIni()) + "[Sz_KvBandForm]\r\nTop=7\r\n");
  TickerSettings = TTickerSettings();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  TickerSettings.SearchDate = "20240309";
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "S"));
  ASSERT_TRUE(FilePresent(TickerIniPath));

  TickerSettings = TTickerSettings();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  ExpectEveryStoredValue();
  TMemIniFile local(TickerIniPath);
  EXPECT_EQ(local.ReadInteger("Sz_KvBandForm", "Top", 0), 7);
}

TEST_F(SettingsTest, FullWriteOnARoamingOnlyUserKeepsItsOtherSections) {
  MakeLocalLow();
  Init();
  WriteBytes(RoamingIni(), "[Sz_KvBandForm]\r\nTop=7\r\n[Env]\r\nRefreshTime=33\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TMemIniFile local(TickerIniPath);
  EXPECT_EQ(local.ReadInteger("Sz_KvBandForm", "Top", 0), 7);
  EXPECT_EQ(local.ReadInteger("Env", "RefreshTime", 0), 33);
}

TEST_F(SettingsTest, GarbledFileKeepsTheDefaultOfEveryUnreadableValue) {
  Init();
  std::string junk;
  for (int i = 0; i < 512; ++i) junk += (char)(i * 37 + 11);
  WriteBytes(TickerIniPath, "\xEF\xBB\xBF[Env]\r\nRefreshTime=abc\r\nKeepTime=$30\r\nTickerSpeedUp=yes\r\n" +
                                junk + "\r\nTickerTime=" + std::string(100000, '9') +
                                "\r\nInternetProxy=" + junk.substr(0, 40) +
                                "\r\nInternetUser=zz\r\n[Run]\r\nRefreshNow=4530x\r\n[Key]\r\nStr1=" +
                                junk.substr(100, 30) + "\r\n[Sea");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.RefreshTime, 60);
  EXPECT_EQ(t.KeepTime, 48);
  EXPECT_FALSE(t.TickerSpeedUp);
  EXPECT_EQ(t.TickerTime, 5);
  EXPECT_EQ(t.TickerScrollTime, 3);

  // Truncated in the middle of a line.
  WriteBytes(TickerIniPath, "[Env]\r\nRefreshTime=25\r\nKeepT");
  TickerSettings = TTickerSettings();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(t.RefreshTime, 25);
  EXPECT_EQ(t.KeepTime, 24);
}

TEST_F(SettingsTest, KeywordsAreTrimmedOfAsciiAndFullWidthBlanks) {
  Init();
  TickerSettings.HighlightKeywords[0] = "\x81\x40 \x8c\xea \x81\x40";  // 　 語 　
  TickerSettings.HighlightKeywords[1] = "\x81\x40 ";
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TMemIniFile ini(TickerIniPath);
  EXPECT_EQ(ini.ReadString("Key", "Str1", ""), "\x8c\xea");
  WriteBytes(TickerIniPath, "[Key]\r\nStr3=\x81\x40x\x81\x40\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.HighlightKeywords[1], "");
  EXPECT_EQ(TickerSettings.HighlightKeywords[2], "x");
}

TEST_F(SettingsTest, FailedSaveReportsFalseAndLeavesTheFile) {
  Init();
  const std::string before = "[Env]\r\nRefreshTime=30\r\n";
  WriteBytes(TickerIniPath, before);
  SetFileAttributesW(SjisToWide(TickerIniPath).c_str(), FILE_ATTRIBUTE_READONLY);
  TickerSettings.RefreshTime = 10;
  EXPECT_FALSE(AccessTickerIni(TickerIniPath, "W"));
  EXPECT_FALSE(AccessTickerIni(TickerIniPath, "S"));
  EXPECT_TRUE(AccessTickerIni(TickerIniPath, "X"));
  EXPECT_EQ(ReadBytes(TickerIniPath), before);
}

TEST(ScrambleText, RoundTripsEveryTextUpTo127BytesWithNuls) {
  unsigned seed = 12345;
  for (size_t len = 0; len <= 127; ++len) {
    std::string plain;
    for (size_t i = 0; i < len; ++i) {
      seed = seed * 1103515245u + 12345u;
      plain += (char)(seed >> 16);
    }
    if (len > 2) plain[len / 2] = '\0';
    std::string scrambled = ScrambleText("C", plain);
    ASSERT_EQ(scrambled.size(), 2 * len);
    ASSERT_EQ(ScrambleText("R", scrambled), plain) << len;
  }
}

TEST(ScrambleText, LongerTextIsCutTo127Bytes) {
  std::string plain(300, 'a');
  for (size_t i = 0; i < plain.size(); ++i) plain[i] = (char)('a' + i % 26);
  std::string scrambled = ScrambleText("C", plain);
  EXPECT_LE(scrambled.size(), 255u);
  EXPECT_EQ(ScrambleText("R", scrambled), plain.substr(0, 127));
  EXPECT_EQ(ScrambleText("R", ScrambleText("C", plain.substr(0, 128))), plain.substr(0, 127));
}

TEST(ScrambleText, StoredFormUsesOnlyTheTableAndHidesThePlainText) {
  std::string s = ScrambleText("C", "proxy.example");
  EXPECT_EQ(s.find("proxy"), std::string::npos);
  for (char c : s) {
    EXPECT_GT(c, ' ');
    EXPECT_NE(c, '=');
    EXPECT_NE(c, ';');
  }
  // The same plain byte at another key position is stored differently.
  std::string aa = ScrambleText("C", "aa");
  EXPECT_NE(aa.substr(0, 2), aa.substr(2, 2));
}

TEST(ScrambleText, EmptyTextsAndUnknownModes) {
  EXPECT_EQ(ScrambleText("C", ""), "");
  EXPECT_EQ(ScrambleText("R", ""), "");
  EXPECT_EQ(ScrambleText("X", "abc"), "");
  EXPECT_EQ(ScrambleText("c", "abc"), "");
}

TEST(ScrambleText, HandEditedValuesNeverRaise) {
  std::string junk;
  for (int i = 0; i < 600; ++i) junk += (char)(i * 7);
  EXPECT_LE(ScrambleText("R", junk).size(), 128u);
  EXPECT_EQ(ScrambleText("R", "x").size(), 1u);  // a lone last character
}

TEST(ScrambleText, ProxyPlainTexts) {
  TickerSettings = TTickerSettings();
  std::string rest = ScrambleText("R", ScrambleText("C", "host" + kNul));
  std::string head;
  TakeField(rest, head);
  EXPECT_EQ(head, "host");
  TakeField(rest, head);
  EXPECT_EQ(head, "");
}

TEST(TakeField, SplitsAtTheFirstNul) {
  std::string rest = "a" + kNul + "b" + kNul + "c";
  std::string head;
  TakeField(rest, head);
  EXPECT_EQ(head, "a");
  EXPECT_EQ(rest, "b" + kNul + "c");
  rest = "whole";
  TakeField(rest, head);
  EXPECT_EQ(head, "whole");
  EXPECT_EQ(rest, "");
}

TEST_F(SettingsTest, ProxyPortZeroIsStoredEmptyAndHostWithoutNulTakesAll) {
  Init();
  TickerSettings.ProxyHost = "h";
  TickerSettings.ProxyPort = 0;
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TMemIniFile ini(TickerIniPath);
  EXPECT_EQ(ScrambleText("R", ini.ReadString("Env", "InternetProxy", "")), "h" + kNul);
  TickerSettings.ProxyPort = 1;
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.ProxyPort, 0);

  WriteBytes(TickerIniPath, "[Env]\r\nInternetProxy=" + ScrambleText("C", "onlyhost") + "\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.ProxyHost, "onlyhost");
  EXPECT_EQ(TickerSettings.ProxyPort, 0);
}

TEST_F(SettingsTest, LongProxyValuesAreCutNotGarbled) {
  Init();
  TickerSettings.ProxyHost = std::string(200, 'h');
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W"));
  TickerSettings = TTickerSettings();
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  // The host alone fills the 127 bytes, so the port is lost, not misread.
  EXPECT_EQ(TickerSettings.ProxyHost, std::string(127, 'h'));
  EXPECT_EQ(TickerSettings.ProxyPort, 0);
}

TEST(EditionDefaults, MissingBandServerChangesThreeDefaults) {
  std::string dll = GetProgramFolder() + "TessivarOrvanel32.dll";
  ASSERT_FALSE(FilePresent(dll));
  TickerSettings = TTickerSettings();
  EXPECT_TRUE(BandServerMissing());
  ApplyEditionDefaults();
  EXPECT_EQ(TickerSettings.TickerScroll, 2);
  EXPECT_TRUE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 20);

  WriteBytes(dll, "MZ");
  TickerSettings = TTickerSettings();
  EXPECT_FALSE(BandServerMissing());
  ApplyEditionDefaults();
  DeleteFileW(SjisToWide(dll).c_str());
  EXPECT_EQ(TickerSettings.TickerScroll, 0);
  EXPECT_FALSE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 15);
  TickerSettings = TTickerSettings();
}
