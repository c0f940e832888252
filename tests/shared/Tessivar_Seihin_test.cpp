#include "shared/Tessivar_Seihin.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <optional>

#include "classlib/IniFiles.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"

namespace {

bool FolderExists(const std::string& path) {
  DWORD a = GetFileAttributesW(SjisToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FilePresent(const std::string& path) {
  DWORD a = GetFileAttributesW(SjisToWide(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

const std::string kNul(1, '\0');

// A scratch user: application data and profile folders of its own, the
// settings group back at its built-in defaults.
class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_.emplace(std::string("tsv_seihin_") +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
    root_ = scratch_->Path().substr(0, scratch_->Path().size() - 1);
    appData_ = root_ + "\\Roaming";
    profile_ = root_ + "\\Profile";
    CreateDirectoryW(SjisToWide(appData_).c_str(), nullptr);
    CreateDirectoryW(SjisToWide(profile_).c_str(), nullptr);
    TickerSettings = TTickerSettings();
  }
  void TearDown() override {
    scratch_.reset();
    TickerSettings = TTickerSettings();
  }
  void MakeLocalLow() {
    CreateDirectoryW(SjisToWide(profile_ + "\\AppData").c_str(), nullptr);
    CreateDirectoryW(SjisToWide(profile_ + "\\AppData\\LocalLow").c_str(), nullptr);
  }
  void Init() { InitDataFoldersAt(appData_, profile_); }
  std::string RoamingIni() const { return DataFolder + "TessivarOrvanel.ini"; }

  std::optional<ScratchFolder> scratch_;
  std::string root_, appData_, profile_;  // without trailing backslashes
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

// What a run of the ticker left in the prefix cannot reach a test program.
TEST_F(SettingsTest, SettledFoldersAreThisTestProgramsOwn) {
  InitDataFolders();
  const std::string temp = TempFolderPath();
  EXPECT_EQ(DataFolder.compare(0, temp.size(), temp), 0) << DataFolder;
  EXPECT_EQ(IniFolder.compare(0, temp.size(), temp), 0) << IniFolder;
  EXPECT_NE(IniFolder, DataFolder);  // a profile with LocalLow, as in the prefix
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

  std::string text = ReadWholeFile(TickerIniPath);
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
  WriteWholeFile(TickerIniPath, "");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "G"));
  EXPECT_EQ(TickerSettings.ProxyPort, 8080);
  EXPECT_EQ(TickerSettings.RefreshTime, 60);
}

TEST_F(SettingsTest, UnknownSectionsAndKeysSurviveAFullWrite) {
  Init();
  WriteWholeFile(TickerIniPath,
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
  WriteWholeFile(TickerIniPath,
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
  WriteWholeFile(RoamingIni(), "[Env]\r\nRefreshTime=33\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.RefreshTime, 33);

  WriteWholeFile(TickerIniPath, "[Env]\r\nRefreshTime=44\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.RefreshTime, 44);
}

TEST_F(SettingsTest, SearchModeOnARoamingOnlyUserKeepsEverySetting) {
  MakeLocalLow();
  Init();
  SetEveryStoredValue();
  ASSERT_TRUE(AccessTickerIni(RoamingIni(), "W"));
  WriteWholeFile(RoamingIni(), ReadWholeFile(RoamingIni()) + "[Sz_KvBandForm]\r\nTop=7\r\n");
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
  WriteWholeFile(RoamingIni(), "[Sz_KvBandForm]\r\nTop=7\r\n[Env]\r\nRefreshTime=33\r\n");
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
  WriteWholeFile(TickerIniPath,
             "\xEF\xBB\xBF[Env]\r\nRefreshTime=abc\r\nKeepTime=$30\r\nTickerSpeedUp=yes\r\n" +
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
  WriteWholeFile(TickerIniPath, "[Env]\r\nRefreshTime=25\r\nKeepT");
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
  WriteWholeFile(TickerIniPath, "[Key]\r\nStr3=\x81\x40x\x81\x40\r\n");
  ASSERT_TRUE(AccessTickerIni(TickerIniPath, "R"));
  EXPECT_EQ(TickerSettings.HighlightKeywords[1], "");
  EXPECT_EQ(TickerSettings.HighlightKeywords[2], "x");
}

TEST_F(SettingsTest, FailedSaveReportsFalseAndLeavesTheFile) {
  Init();
  const std::string before = "[Env]\r\nRefreshTime=30\r\n";
  WriteWholeFile(TickerIniPath, before);
  SetFileAttributesW(SjisToWide(TickerIniPath).c_str(), FILE_ATTRIBUTE_READONLY);
  TickerSettings.RefreshTime = 10;
  EXPECT_FALSE(AccessTickerIni(TickerIniPath, "W"));
  EXPECT_FALSE(AccessTickerIni(TickerIniPath, "S"));
  EXPECT_TRUE(AccessTickerIni(TickerIniPath, "X"));
  EXPECT_EQ(ReadWholeFile(TickerIniPath), before);
}

TEST(StoredChoices, NumbersOutsideTheListKeepTheirMeaning) {
  EXPECT_EQ(BrowserChoiceOf(0), TBrowserChoice::Shell);
  EXPECT_EQ(BrowserChoiceOf(1), TBrowserChoice::Automation);
  EXPECT_EQ(BrowserChoiceOf(5), TBrowserChoice::Program);
  EXPECT_EQ(BrowserChoiceOf(-1), TBrowserChoice::Program);
  EXPECT_EQ(ConnectionModeOf(0), TConnectionMode::Direct);
  EXPECT_EQ(ConnectionModeOf(2), TConnectionMode::Proxy);
  EXPECT_EQ(ConnectionModeOf(7), TConnectionMode::SystemSettings);
  EXPECT_EQ(ConnectionModeOf(-1), TConnectionMode::SystemSettings);
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

  WriteWholeFile(TickerIniPath, "[Env]\r\nInternetProxy=" + ScrambleText("C", "onlyhost") + "\r\n");
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
  ScratchFolder program("TessivarEditionDefaults");
  ProgramFolderMove move(program.Path());
  std::string dll = GetProgramFolder() + "TessivarOrvanel32.dll";
  ASSERT_EQ(dll, program.File("TessivarOrvanel32.dll"));
  ASSERT_FALSE(FilePresent(dll));
  TickerSettings = TTickerSettings();
  EXPECT_TRUE(BandServerMissing());
  ApplyEditionDefaults();
  EXPECT_EQ(TickerSettings.TickerScroll, 2);
  EXPECT_TRUE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 20);

  WriteWholeFile(dll, "MZ");
  TickerSettings = TTickerSettings();
  EXPECT_FALSE(BandServerMissing());
  ApplyEditionDefaults();
  DeleteFileW(SjisToWide(dll).c_str());
  EXPECT_EQ(TickerSettings.TickerScroll, 0);
  EXPECT_FALSE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 15);
  TickerSettings = TTickerSettings();
}

namespace {

std::string Day(TDateTime d) { return FormatDateTime("yyyymmdd", d); }

// Every OEM key with a value other than its default.
std::string FullOemText(int dateMode, const std::string& date) {
  return "[Def]\r\nOemDateMode=" + std::to_string(dateMode) + "\r\nOemDate=" + date +
         "\r\nOemKey=" + ScrambleText("C", "ClientMode") +
         "\r\nOemMessage=\x82\xa8\x92\x6d\x82\xe7\x82\xb9\r\n"  // お知らせ
         "OemName=Dist\r\nLocalPath=DistTicker\r\nProgName=Dist Ticker\r\n"
         "UrlDef=http://d.example/def\r\nUrlCm=http://d.example/cm\r\n"
         "UrlHome=http://d.example/\r\nUrlDesk=http://d.example/desk\r\n"
         "OemFolder=http://d.example/oem/\r\n"
         "[Env]\r\nRegSwitch=0\r\n"
         "[Graphic]\r\ncustFile=1\r\nplayFile=2\r\npauseFile=1\r\nbackFile=2\r\n"
         "searchFile=1\r\nlogoFile=2\r\nskinFile=1\r\n"
         "[Layout]\r\nmanualMode=2\r\ntickerBound=1,2,3,4\r\nplayBound=5,6,7,8\r\n"
         "searchBound=9,10,11,12\r\ncustomBound0=0,0,1,1\r\ncustomBound1=2,2,3,3\r\n"
         "[TickerCol]\r\nBodyColor=$010101\r\nEditKeyColor=$020202\r\nFontColorC=$030303\r\n"
         "StartColorB=$040404\r\nEndColorB=$050505\r\nFontColorB=$060606\r\n"
         "StartColorS=$070707\r\nEndColorS=$080808\r\nFontColorS=$090909\r\n"
         "StartColorK=$0A0A0A\r\nEndColorK=$0B0B0B\r\nFontColorK=$0C0C0C\r\n"
         "StartColorM=$0D0D0D\r\nEndColorM=$0E0E0E\r\nFontColorM=$0F0F0F\r\n"
         "Label3D=0\r\nLabel3DTop=$101010\r\nLabel3DBotm=$111111\r\n"
         "HintBkColor=$121212\r\nHintFonColor=$131313\r\nHint3DTop=$141414\r\n"
         "Hint3DBotm=16777215\r\n";
}

void ExpectOemBranding(bool withUrlDef) {
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.OemKey, "ClientMode");
  EXPECT_TRUE(IsClientMode());
  EXPECT_EQ(t.OemMessage, "\x82\xa8\x92\x6d\x82\xe7\x82\xb9");
  EXPECT_EQ(t.OemName, "Dist");
  EXPECT_EQ(t.LocalPath, "DistTicker");
  EXPECT_EQ(t.ProgName, "Dist Ticker");
  EXPECT_EQ(t.UrlDef, withUrlDef ? "http://d.example/def" : TTickerSettings().UrlDef);
  EXPECT_EQ(t.UrlCm, "http://d.example/cm");
  EXPECT_EQ(t.UrlHome, "http://d.example/");
  EXPECT_EQ(t.UrlDesk, "http://d.example/desk");
  EXPECT_EQ(t.OemFolder, "http://d.example/oem/");
  EXPECT_FALSE(t.RegSwitch);
  EXPECT_EQ(t.custFile, 1);
  EXPECT_EQ(t.playFile, 2);
  EXPECT_EQ(t.pauseFile, 1);
  EXPECT_EQ(t.backFile, 2);
  EXPECT_EQ(t.searchFile, 1);
  EXPECT_EQ(t.logoFile, 2);
  EXPECT_EQ(t.skinFile, 1);
  EXPECT_EQ(t.manualMode, 2);
  EXPECT_EQ(t.tickerBound, "1,2,3,4");
  EXPECT_EQ(t.playBound, "5,6,7,8");
  EXPECT_EQ(t.searchBound, "9,10,11,12");
  EXPECT_EQ(t.customBound[0], "0,0,1,1");
  EXPECT_EQ(t.customBound[1], "2,2,3,3");
  EXPECT_EQ(t.customBound[2], "");
  EXPECT_EQ(t.BodyColor, 0x010101u);
  EXPECT_EQ(t.EditKeyColor, 0x020202u);
  EXPECT_EQ(t.FontColorC, 0x030303u);
  EXPECT_EQ(t.StartColorB, 0x040404u);
  EXPECT_EQ(t.EndColorB, 0x050505u);
  EXPECT_EQ(t.FontColorB, 0x060606u);
  EXPECT_EQ(t.StartColorS, 0x070707u);
  EXPECT_EQ(t.EndColorS, 0x080808u);
  EXPECT_EQ(t.FontColorS, 0x090909u);
  EXPECT_EQ(t.StartColorK, 0x0A0A0Au);
  EXPECT_EQ(t.EndColorK, 0x0B0B0Bu);
  EXPECT_EQ(t.FontColorK, 0x0C0C0Cu);
  EXPECT_EQ(t.StartColorM, 0x0D0D0Du);
  EXPECT_EQ(t.EndColorM, 0x0E0E0Eu);
  EXPECT_EQ(t.FontColorM, 0x0F0F0Fu);
  EXPECT_FALSE(t.Label3D);
  EXPECT_EQ(t.Label3DTop, 0x101010u);
  EXPECT_EQ(t.Label3DBotm, 0x111111u);
  EXPECT_EQ(t.HintBkColor, 0x121212u);
  EXPECT_EQ(t.HintFonColor, 0x131313u);
  EXPECT_EQ(t.Hint3DTop, 0x141414u);
  EXPECT_EQ(t.Hint3DBotm, 0xFFFFFFu);
}

void ExpectOemDefaults() {
  const TTickerSettings d;
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.OemKey, "");
  EXPECT_FALSE(IsClientMode());
  EXPECT_EQ(t.OemName, "Pelmoriad");
  EXPECT_EQ(t.LocalPath, "TessivarOrvanel");
  EXPECT_EQ(t.ProgName, "Tessivar-Orvanel");
  EXPECT_EQ(t.UrlDef, d.UrlDef);
  EXPECT_EQ(t.UrlCm, d.UrlCm);
  EXPECT_TRUE(t.RegSwitch);
  EXPECT_EQ(t.skinFile, 0);
  EXPECT_EQ(t.manualMode, 0);
  EXPECT_EQ(t.customBound[0], "");
  EXPECT_EQ(t.BodyColor, 0xC9C9C9u);
  EXPECT_EQ(t.FontColorC, 0xFF9595u);
  EXPECT_EQ(t.EndColorB, 0xB6B6B6u);
  EXPECT_EQ(t.StartColorK, 0xFFE3C8u);
  EXPECT_EQ(t.StartColorM, 0x88FFFFu);
  EXPECT_TRUE(t.Label3D);
  EXPECT_EQ(t.Label3DBotm, 0xAAAAAAu);
  EXPECT_EQ(t.HintBkColor, 0xEFEFEFu);
  EXPECT_EQ(t.Hint3DBotm, 0x777777u);
}

}  // namespace

TEST_F(SettingsTest, NoOemSourceKeepsEveryDefault) {
  LoadOemIni(root_ + "\\missing.oem", nullptr);
  ExpectOemDefaults();
  EXPECT_FALSE(TickerSettings.OemDateFlag);
}

TEST_F(SettingsTest, OemFileSetsEveryValueWhileTheDateIsToday) {
  std::string path = root_ + "\\TessivarOrvanel.oem";
  WriteWholeFile(path, FullOemText(1, Day(Date())));
  LoadOemIni(path, nullptr);
  EXPECT_FALSE(TickerSettings.OemDateFlag);
  EXPECT_EQ(TickerSettings.OemDateMode, 1);
  ExpectOemBranding(true);
}

TEST_F(SettingsTest, OemStreamIsUsedInsteadOfTheFile) {
  std::string path = root_ + "\\TessivarOrvanel.oem";
  WriteWholeFile(path, "[Def]\r\nOemName=FromFile\r\n");
  TMemoryStream stream(FullOemText(0, ""));
  LoadOemIni(path, &stream);
  ExpectOemBranding(true);
}

TEST_F(SettingsTest, DateModeZeroAfterTheDateDropsOnlyTheDefaultListLocation) {
  TMemoryStream stream(FullOemText(0, Day(Date() - 1)));
  LoadOemIni("", &stream);
  EXPECT_TRUE(TickerSettings.OemDateFlag);
  ExpectOemBranding(false);
}

TEST_F(SettingsTest, DateModeOneAfterTheDateEndsTheBranding) {
  TMemoryStream stream(FullOemText(1, Day(Date() - 1)));
  LoadOemIni("", &stream);
  EXPECT_TRUE(TickerSettings.OemDateFlag);
  ExpectOemDefaults();
}

TEST_F(SettingsTest, ImpossibleOemDateLeavesTheFlag) {
  TickerSettings.OemDateFlag = true;
  TMemoryStream bad(std::string("[Def]\r\nOemDate=20230230\r\n"));
  LoadOemIni("", &bad);
  EXPECT_TRUE(TickerSettings.OemDateFlag);
  TMemoryStream junk(std::string("[Def]\r\nOemDate=\x82\xa0x\r\n"));
  LoadOemIni("", &junk);
  EXPECT_TRUE(TickerSettings.OemDateFlag);
  TMemoryStream future(std::string("[Def]\r\nOemDate=99991231\r\n"));
  LoadOemIni("", &future);
  EXPECT_FALSE(TickerSettings.OemDateFlag);
}

TEST_F(SettingsTest, EmptyCustomBoundStopsTheLayoutRectangles) {
  TMemoryStream stream(
      std::string("[Layout]\r\ncustomBound0=1,1,2,2\r\ncustomBound1=\r\ncustomBound2=3,3,4,4\r\n"));
  LoadOemIni("", &stream);
  EXPECT_EQ(TickerSettings.customBound[0], "1,1,2,2");
  EXPECT_EQ(TickerSettings.customBound[2], "");

  TickerSettings = TTickerSettings();
  TMemoryStream first(std::string("[Layout]\r\ncustomBound1=3,3,4,4\r\n"));
  LoadOemIni("", &first);
  EXPECT_EQ(TickerSettings.customBound[1], "");
}

TEST_F(SettingsTest, ClientModeNeedsTheScrambledKey) {
  TMemoryStream plain(std::string("[Def]\r\nOemKey=clientmode\r\n"));
  LoadOemIni("", &plain);
  EXPECT_FALSE(IsClientMode());
  EXPECT_NE(TickerSettings.OemKey, "clientmode");

  TMemoryStream scrambled("[Def]\r\nOemKey=" + ScrambleText("C", "CLIENTMODE") + "\r\n");
  LoadOemIni("", &scrambled);
  EXPECT_TRUE(IsClientMode());

  // A later OEM source without the key keeps it as it is.
  TMemoryStream later(std::string("[Def]\r\nOemName=Later\r\n"));
  LoadOemIni("", &later);
  EXPECT_TRUE(IsClientMode());
  EXPECT_EQ(TickerSettings.OemName, "Later");
}

TEST_F(SettingsTest, OemLocalPathNamesTheDataFolder) {
  TMemoryStream stream(std::string("[Def]\r\nLocalPath=Brand\r\n"));
  LoadOemIni("", &stream);
  Init();
  EXPECT_EQ(DataFolder, appData_ + "\\Pelmoriad\\Brand\\");
}

TEST_F(SettingsTest, GarbledOemFileKeepsDefaults) {
  std::string path = root_ + "\\bad.oem";
  std::string junk;
  for (int i = 0; i < 2048; ++i) junk += (char)(i * 13 + 5);
  WriteWholeFile(path, junk + "\r\n[TickerCol]\r\nBodyColor=red\r\n[Def]\r\nOemDateMode=x\r\n");
  LoadOemIni(path, nullptr);
  ExpectOemDefaults();
  EXPECT_EQ(TickerSettings.OemDateMode, 0);
}
