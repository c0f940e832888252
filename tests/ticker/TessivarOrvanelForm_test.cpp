// The ticker window's own behaviour: links, creation from the edition, OEM
// and settings files, the wiring of the display timers and destruction.
//
// The program also stands in for a browser: started with
// TESSIVAR_STANDIN_LOG set, it logs its arguments and ends before any test
// runs.
#include "TessivarOrvanelForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <vector>

#include <shellapi.h>
#include <tlhelp32.h>

#include "classlib/Application.h"
#include "classlib/Dialogs.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"
#include "shared/MakerSite.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"
#include "common/StandInLog.h"
#include "common/TestImages.h"
#include "common/TestMessages.h"
#include "support/TickerWindow.h"
#include "support/TickerScratch.h"

namespace {

const wchar_t kStandInLogVar[] = L"TESSIVAR_STANDIN_LOG";

std::wstring EnvW(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  if (n == 0 || n >= 1024) return std::wstring();
  return std::wstring(buffer, n);
}

// The browser stand-in: one line per start, the arguments after the program
// name separated by U+0001.
const bool kStandInDone = [] {
  std::wstring log = EnvW(kStandInLogVar);
  if (log.empty()) return false;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring line;
  for (int i = 1; argv && i < argc; ++i) {
    if (i > 1) line += L'\x01';
    line += argv[i];
  }
  line += L"\n";
  AppendToStandInLog(log, line.data(), (DWORD)(line.size() * sizeof(wchar_t)));
  ExitProcess(0);
}();

TEST(IsOpenableLink, OnlyHttpAndHttpsWithAHost) {
  for (const char* ok : {"http://example.com/", "https://example.com/a?b=1&c=2#x", "HTTP://EXAMPLE.COM",
                         "HtTpS://example.com:8080/path", "http://例え.jp/ソ"})
    EXPECT_TRUE(IsOpenableLink(ok)) << ok;
  for (const char* refused :
       {"", "http://", "https://", "http:///path", "http:example.com", "ftp://example.com/",
        "javascript:alert(1)", "JavaScript://example.com/%0Aalert(1)", "file:///C:/Windows/",
        "file://server/share", "\\\\server\\x", "C:\\x", "C:\\Windows\\notepad.exe",
        "mailto:a@example.com", " http://example.com/", "http://example.com/a b",
        "http://example.com/a\tb", "http://example.com/\r\n--flag", "http://example.com/\x7f",
        "http://example.com/\"", "http://example.com/\" --new-window \"x",
        "http://example.com/\x01"})
    EXPECT_FALSE(IsOpenableLink(refused)) << refused;
}

class OpenLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings = TTickerSettings();
    SetShellOpenForTest([this](const std::string& url) {
      opened.push_back(url);
      cursorWhileOpening = Screen.Cursor();
    });
  }
  void TearDown() override {
    SetShellOpenForTest(nullptr);
    SetBrowserProgIdForTest(L"InternetExplorer.Application");
    TickerSettings = TTickerSettings();
  }
  std::vector<std::string> opened;
  TCursor cursorWhileOpening = crDefault;
};

TEST_F(OpenLinkTest, ShellOpensTheLinkUnderTheBusyCursor) {
  TickerSettings.CommonBrows = 0;
  OpenLink("http://example.com/a?b=1");
  ASSERT_EQ(opened, std::vector<std::string>{"http://example.com/a?b=1"});
  EXPECT_EQ(cursorWhileOpening, crAppStart);
  EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(OpenLinkTest, AFailingOpenIsSwallowedAndTheCursorRestored) {
  TickerSettings.CommonBrows = 0;
  SetShellOpenForTest([](const std::string&) { throw std::runtime_error("no browser"); });
  ExpectFailedStep("open link", [] { EXPECT_NO_THROW(OpenLink("http://example.com/")); });
  EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(OpenLinkTest, MissingAutomationBrowserFallsBackToTheShell) {
  TickerSettings.CommonBrows = 1;
  SetBrowserProgIdForTest(L"Tessivar.NoSuchBrowser.Application");
  OpenLink("https://example.com/one");
  // No object is kept after the failure: the next link tries again, and
  // falls back again.
  OpenLink("https://example.com/two");
  EXPECT_EQ(opened, (std::vector<std::string>{"https://example.com/one", "https://example.com/two"}));
  EXPECT_EQ(Screen.Cursor(), crDefault);
}

TEST_F(OpenLinkTest, RefusedLinksOpenNothing) {
  for (int mode : {0, 1}) {
    TickerSettings.CommonBrows = mode;
    SetBrowserProgIdForTest(L"Tessivar.NoSuchBrowser.Application");
    for (const char* url : {"javascript:alert(1)", "file:///C:/", "C:\\Windows\\notepad.exe",
                            "http://example.com/\" -x", ""})
      OpenLink(url);
    EXPECT_EQ(Screen.Cursor(), crDefault);
  }
  EXPECT_TRUE(opened.empty());
}

// The program named by CommonBrowsName: this test program as the stand-in.
class NamedBrowserTest : public OpenLinkTest {
 protected:
  void SetUp() override {
    OpenLinkTest::SetUp();
    log_ = SjisToWide(TempFolderPath() + "TessivarStandIn_" +
                      std::to_string(GetCurrentProcessId()) + ".log");
    DeleteFileW(log_.c_str());
    SetEnvironmentVariableW(kStandInLogVar, log_.c_str());
    TickerSettings.CommonBrows = 2;
    TickerSettings.CommonBrowsName = GetModulePath();
  }
  void TearDown() override {
    SetEnvironmentVariableW(kStandInLogVar, nullptr);
    DeleteFileW(log_.c_str());
    OpenLinkTest::TearDown();
  }
  // Each start's arguments.
  std::vector<std::vector<std::wstring>> Starts() const {
    std::string bytes = ReadWholeFile(WideToSjis(log_));
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(&text[0], bytes.data(), text.size() * sizeof(wchar_t));
    std::vector<std::vector<std::wstring>> starts;
    std::wstringstream lines(WholeLines(text));
    std::wstring line;
    while (std::getline(lines, line)) {
      std::vector<std::wstring> args;
      std::wstringstream parts(line);
      std::wstring part;
      while (std::getline(parts, part, L'\x01')) args.push_back(part);
      starts.push_back(args);
    }
    return starts;
  }
  // Stand-ins this process started that still run; each logs before it ends.
  // Wine reuses process IDs, so a long-lived process (the desktop, a
  // service) may name a dead parent whose ID this process now holds: count
  // only children running this program.
  static int RunningChildren() {
    const std::wstring name = SjisToWide(ExtractFileName(GetModulePath()));
    KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
      count += entry.th32ParentProcessID == GetCurrentProcessId() && _wcsicmp(entry.szExeFile, name.c_str()) == 0;
    return count;
  }
  std::vector<std::vector<std::wstring>> WaitForStarts(size_t count) const {
    WaitUntil([&] { return Starts().size() >= count; }, 15000);
    return Starts();
  }
  std::wstring log_;
};

TEST_F(NamedBrowserTest, GetsTheAddressAsOneArgument) {
  const std::string urls[] = {"http://example.com/a?b=1&c=2|x^y%PATH%", "http://example.com/dir\\",
                              "http://example.com/dir\\\\", "http://例え.jp/ソ"};
  for (const std::string& url : urls) {
    SCOPED_TRACE(url);
    DeleteFileW(log_.c_str());
    OpenLink(url);
    EXPECT_EQ(Screen.Cursor(), crDefault);
    auto starts = WaitForStarts(1);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_EQ(starts[0], std::vector<std::wstring>{SjisToWide(url)});
  }
  EXPECT_TRUE(opened.empty());
}

TEST_F(NamedBrowserTest, ARefusedLinkStartsNoBrowser) {
  OpenLink("javascript:alert(1)");
  OpenLink("http://example.com/\" --load-extension=C:\\evil");
  OpenLink("http://example.com/ok");
  WaitForStarts(1);
  // Every browser started has ended, so each has logged.
  ASSERT_TRUE(WaitUntil([] { return RunningChildren() == 0; }, 15000));
  auto starts = Starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0], std::vector<std::wstring>{L"http://example.com/ok"});
}

using Creation = TickerWindowTest;
using Destruction = TickerWindowTest;

TEST_F(Creation, WithoutBandServerTheTickerEditionDefaultsApply) {
  ASSERT_TRUE(BandServerMissing());
  TKvBandForm& f = Create();
  const TTickerSettings& t = TickerSettings;
  EXPECT_EQ(t.TickerScroll, 2);
  EXPECT_TRUE(t.ScrollButton);
  EXPECT_EQ(t.InfoLineInterval, 20);
  EXPECT_EQ(t.ProgName, "Tessivar-Ticker");
  EXPECT_EQ(t.UrlDesk, MakerDeskPage());
  EXPECT_EQ(f.Display.ScrollMode, 2);
  EXPECT_EQ(f.Timer_ListRead.Tag, 2);
  EXPECT_TRUE(f.Timer_ListRead.Enabled());
  // The first item rests TickerScrollTime seconds before it moves.
  EXPECT_EQ(f.Timer_ListRead.Interval(), (unsigned)t.TickerScrollTime * 1000);
  EXPECT_EQ(f.Caption(), "Tessivar-Ticker");
  EXPECT_EQ(f.Message.Title(), "Tessivar-Ticker Pelmoriad");
  EXPECT_EQ(f.Message.TitleLength(), 15);
  EXPECT_EQ(f.Message.Hint(), t.UrlHome);
  EXPECT_EQ(f.Mn_HomePage->Caption, "Pelmoriadホームページ(&H)...");
  // Program colours, not the settings group's defaults.
  EXPECT_EQ(f.Message.Font().Color(), (TColor)0);
  EXPECT_EQ(f.PL_Message.StartColor(), (TColor)0xFFFFFF);
  EXPECT_EQ(f.PL_Message.EndColor(), (TColor)0xCCCCCC);
  // Hidden until the first file check, 300 pixels wide, on top.
  EXPECT_FALSE(f.Visible());
  EXPECT_EQ(f.ClientWidth(), 300);
  EXPECT_EQ(f.ClientHeight(), f.PL_Message.Height() + 6);
  EXPECT_EQ(f.FormStyle(), fsStayOnTop);
  EXPECT_TRUE(f.Timer_FileCheck.Enabled());
  EXPECT_EQ(f.Timer_FileCheck.Interval(), 300u);
  // No skin: the drag and size grips show.
  EXPECT_FALSE(f.SkinActive);
  EXPECT_TRUE(f.LB_Left.Visible());
  EXPECT_TRUE(f.Image_Left.Visible());
  EXPECT_TRUE(f.Image_Right.Visible());
  EXPECT_TRUE(f.LB_Right.Visible());
  EXPECT_TRUE(f.Mn_Option->Visible);
  EXPECT_TRUE(f.Mn_StartUp->Visible);
  EXPECT_TRUE(f.Mn_Exit->Visible);
  EXPECT_FALSE(f.Mn_UnInst->Visible);  // no installer beside the program
  EXPECT_TRUE(f.PopupMenu_Main.AutoPopup);
  EXPECT_EQ(f.Message.PopupMenu(), &f.PopupMenu_Main);
  EXPECT_EQ(f.Image_Next.PopupMenu(), &f.PopupMenu_Main);
  // The design glyphs are 18 x 18: buttons 22 x 22, the strip right of them.
  EXPECT_EQ(f.ButtonHeight, 22);
  EXPECT_EQ(f.Image_Next.Width(), 22);
  EXPECT_EQ(f.PL_Message.Left(), 2 + 22 + 2);
  EXPECT_EQ(f.PanelHeight, f.PL_Message.Height());
  MINMAXINFO mm = {};
  SendMessageW(f.Handle(), WM_GETMINMAXINFO, 0, (LPARAM)&mm);
  EXPECT_EQ(mm.ptMinTrackSize.x, 200);
  EXPECT_NE(GetClassLongW(f.Handle(), GCL_STYLE) & CS_DROPSHADOW, 0u);
  wchar_t cls[64] = {};
  GetClassNameW(f.Handle(), cls, 64);
  EXPECT_STREQ(cls, L"TKVBANDFORM");
}

TEST_F(Creation, TheSettingsFileOverridesTheEditionDefaults) {
  Settings("[Env]\r\nTickerScroll=0\r\nScrollButton=0\r\nTickerTime=7\r\n");
  TKvBandForm& f = Create();
  EXPECT_EQ(TickerSettings.TickerScroll, 0);
  EXPECT_FALSE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 20);  // not stored in the file
  EXPECT_EQ(f.Display.ScrollMode, 0);
  EXPECT_EQ(f.Message.Align(), alClient);
  EXPECT_EQ(f.Timer_ListRead.Interval(), 7000u);
}

TEST_F(Creation, UninstallEntryNeedsTheInstallerBesideTheProgram) {
  const std::string installer = GetProgramFolder() + "TessivarInst.exe";
  WriteWholeFile(installer, "MZ");
  Create();
  DeleteFileSJ(installer);
  EXPECT_TRUE(form->Mn_UnInst->Visible);
}

TEST_F(Creation, PauseFileKeyChangesOnlyTheBackButton) {
  Oem("TessivarOrvanel.oem", "[Graphic]\r\npauseFile=1\r\nbackFile=0\r\n");
  Oem("back.bmp", BmpBytes(30, 26, 0x00FF00));
  Oem("pause.bmp", BmpBytes(40, 36, 0x0000FF));
  Oem("play.bmp", BmpBytes(40, 36, 0x0000FF));
  Oem("search.bmp", BmpBytes(40, 36, 0x0000FF));
  Oem("skin.bmp", BmpBytes(300, 30, 0x0000FF));
  TKvBandForm& f = Create();
  EXPECT_EQ(f.Image_Back.Glyph().Width(), 30);
  EXPECT_EQ(f.Image_Back.Glyph().Height(), 26);
  EXPECT_EQ(f.Image_Back.Glyph().TransparentMode, tmFixed);
  EXPECT_EQ(f.Image_Back.Glyph().TransparentColor, (TColor)0xFF00FF);
  for (TOrvanelSpeedButton* design : {&f.Image_Stop, &f.Image_Next, &f.KeywordButton}) {
    EXPECT_EQ(design->Glyph().Width(), 18);
    EXPECT_EQ(design->Glyph().Height(), 18);
  }
  EXPECT_FALSE(f.SkinActive);
  EXPECT_FALSE(f.FormRgn.Visible());
  // The three state buttons take the largest glyph's size.
  EXPECT_EQ(f.ButtonHeight, 30);
  for (TOrvanelSpeedButton* b : {&f.Image_Stop, &f.Image_Back, &f.Image_Next}) {
    EXPECT_EQ(b->Height(), 30);
    EXPECT_EQ(b->Width(), 34);
  }
  EXPECT_EQ(f.KeywordButton.Width(), 22);
  EXPECT_EQ(f.PL_Message.Left(), 2 + 34 + 2);
}

TEST_F(Creation, BackFileKeyGovernsThePauseButton) {
  Oem("TessivarOrvanel.oem", "[Graphic]\r\nbackFile=1\r\nplayFile=1\r\nsearchFile=1\r\n");
  Oem("back.bmp", BmpBytes(40, 36, 0x00FF00));
  Oem("pause.bmp", BmpBytes(24, 20, 0x0000FF));
  Oem("play.bmp", BmpBytes(26, 20, 0x0000FF));
  Oem("search.bmp", BmpBytes(20, 16, 0x0000FF));
  TKvBandForm& f = Create();
  EXPECT_EQ(f.Image_Stop.Glyph().Width(), 24);
  EXPECT_EQ(f.Image_Next.Glyph().Width(), 26);
  EXPECT_EQ(f.KeywordButton.Glyph().Width(), 20);
  EXPECT_EQ(f.Image_Back.Glyph().Width(), 18);
  EXPECT_EQ(f.KeywordButton.Width(), 24);
  EXPECT_EQ(f.KeywordButton.Height(), 20);
}

TEST_F(Creation, ASkinPictureHidesTheFourEdgeGrips) {
  Oem("TessivarOrvanel.oem", "[Graphic]\r\nskinFile=1\r\n");
  Oem("skin.bmp", BmpBytes(320, 30, 0xFF00FF));
  TKvBandForm& f = Create();
  EXPECT_TRUE(f.SkinActive);
  EXPECT_TRUE(f.FormRgn.Visible());
  EXPECT_EQ(f.FormRgn.Picture().Width(), 320);
  for (TControl* grip : std::initializer_list<TControl*>{&f.LB_Left, &f.Image_Left,
                                                         &f.Image_Right, &f.LB_Right})
    EXPECT_FALSE(grip->Visible());
}

TEST_F(Creation, MissingOrBrokenSkinLeavesTheGrips) {
  Oem("TessivarOrvanel.oem", "[Graphic]\r\nskinFile=1\r\nplayFile=1\r\n");
  Oem("play.bmp", "not a bitmap");
  TKvBandForm& f = Create();
  EXPECT_FALSE(f.SkinActive);
  EXPECT_TRUE(f.LB_Left.Visible());
  EXPECT_EQ(f.Image_Next.Glyph().Width(), 18);
}

TEST_F(Creation, OemDefaultSettingsAreCopiedBeforeTheSettingsAreRead) {
  ASSERT_NE(IniFolder, DataFolder);  // the settings live under LocalLow here
  const std::string defaults = "[Env]\r\nTickerTime=9\r\nTickerScroll=0\r\n";
  Oem("TessivarOrvanel.ini", defaults);
  ASSERT_FALSE(FileExists(TickerIniPath));
  TKvBandForm& f = Create();
  EXPECT_TRUE(FileExists(TickerIniPath));
  EXPECT_EQ(TickerSettings.TickerTime, 9);
  EXPECT_EQ(TickerSettings.TickerScroll, 0);
  EXPECT_EQ(f.Display.ScrollMode, 0);
  EXPECT_TRUE(FileExists(OemDataFolder + "TessivarOrvanel.ini"));
}

TEST_F(Creation, AnExistingSettingsFileIsNotReplacedByTheOemDefaults) {
  Oem("TessivarOrvanel.ini", "[Env]\r\nTickerTime=9\r\n");
  Settings("[Env]\r\nTickerTime=7\r\n");
  Create();
  EXPECT_EQ(TickerSettings.TickerTime, 7);
}

TEST_F(Creation, OemFileNamesTheProductAndItsFolders) {
  Oem("TessivarOrvanel.oem",
      "[Def]\r\nOemName=テスト配信\r\nProgName=テスト ティッカー\r\nLocalPath=TessivarFormOem\r\n");
  Oem("TessivarOrvanel.ini", "[Env]\r\nTickerTime=11\r\n");
  TKvBandForm& f = Create();
  EXPECT_EQ(f.Caption(), "テスト ティッカー");
  EXPECT_EQ(f.Message.Title(), "テスト ティッカー テスト配信");
  EXPECT_EQ(f.Message.TitleLength(), (int)std::string("テスト ティッカー").size());
  // The folders follow the OEM file's LocalPath, and the defaults went there.
  EXPECT_NE(DataFolder.find("\\TessivarFormOem\\"), std::string::npos) << DataFolder;
  EXPECT_EQ(TickerSettings.TickerTime, 11);
}

TEST_F(Creation, TranslucencyOnlyForTheMenuValues) {
  Settings("[Env]\r\nAlphaBrend=175\r\n");
  TKvBandForm& f = Create();
  EXPECT_FALSE(f.AlphaBlend());
  EXPECT_TRUE(f.Mn_Alpha_None->Checked);
  EXPECT_EQ(TickerSettings.AlphaBrend, 0);
  form->FormDestroy(form.get());
  form.reset();

  Settings("[Env]\r\nAlphaBrend=160\r\n");
  TKvBandForm& g = Create();
  EXPECT_TRUE(g.AlphaBlend());
  EXPECT_EQ(g.AlphaBlendValue(), 160);
  EXPECT_TRUE(g.Mn_Alpha_Items[2]->Checked);
  EXPECT_FALSE(g.Mn_Alpha_None->Checked);
}

TEST_F(Creation, AFailingStepLeavesTheOthersAndStartsTheTimers) {
  Oem("TessivarOrvanel.oem", "[Graphic]\r\nskinFile=1\r\nplayFile=1\r\n");
  Oem("skin.bmp", BmpBytes(320, 30, 0xFF00FF));
  Oem("play.bmp", BmpBytes(26, 20, 0x0000FF));
  Settings("[Env]\r\nAlphaBrend=160\r\n");
  form = std::make_unique<TKvBandForm>();
  form->FormRgn.Picture().OnChange = [] { throw std::runtime_error("broken skin"); };
  ExpectFailedStep("OEM skin", [&] { form->DoCreate(); });
  EXPECT_EQ(Application.LastGuardFailure, "OEM skin: broken skin");
  TKvBandForm& f = *form;
  EXPECT_FALSE(f.SkinActive);
  EXPECT_EQ(f.Image_Next.Glyph().Width(), 26);
  EXPECT_TRUE(f.AlphaBlend());
  EXPECT_EQ(f.Message.Title(), "Tessivar-Ticker " + TickerSettings.OemName);
  EXPECT_TRUE(f.Timer_ListRead.Enabled());
  EXPECT_TRUE(f.Timer_FileCheck.Enabled());
  EXPECT_EQ(f.Timer_FileCheck.Interval(), 300u);
}

TEST_F(Creation, WithBandServerTheBandDefaultsStay) {
  WriteWholeFile(BandServerPath(), "MZ");
  ASSERT_FALSE(BandServerMissing());
  const std::string installer = GetProgramFolder() + "TessivarInst.exe";
  WriteWholeFile(installer, "MZ");
  TKvBandForm& f = Create();
  DeleteFileSJ(installer);
  EXPECT_EQ(TickerSettings.InfoLineInterval, 15);
  EXPECT_EQ(TickerSettings.TickerScroll, 0);
  EXPECT_FALSE(TickerSettings.ScrollButton);
  EXPECT_EQ(TickerSettings.ProgName, "Tessivar-Orvanel");
  EXPECT_FALSE(f.Mn_UnInst->Visible);
  EXPECT_EQ(f.Display.ScrollMode, 0);
}

const char kItem[] = "45000.5\tFeed\tTitle A\thttp://example.com/a\t\tdesc\r\n";

std::string InfoLine(const std::string& icon) {
  return "0\tInfo\tInfo text\thttp://example.com/info\t*\t\t" + icon + "\r\n";
}

class DisplayTest : public TickerWindowTest {
 protected:
  void SetUp() override {
    TickerWindowTest::SetUp();
    Create();
    // The window is asked to show but stays unmapped: a shown window would
    // take the focus from the keyboard tests that run beside this one.
    form->OnShow = [this](TObject*) {
      ++shows;
      form->SetVisible(false);
    };
    // Distinct colours, so the icon's black on white shows.
    TickerSettings.InfoLineInterval = 2;
    TickerSettings.FontColorS = 0x0000FF;
    TickerSettings.StartColorS = 0x00FFFF;
    TickerSettings.EndColorS = 0x00CCCC;
    TickerSettings.FontColorB = 0x00AA00;
  }
  int shows = 0;
  // Shows items until an information line is on show (bounded).
  bool ShowUntilInformation() {
    for (int i = 0; i < 4; ++i) {
      form->ShowNextNow();
      if (form->Message.Tag == 1) return true;
    }
    return false;
  }
};

TEST_F(DisplayTest, InformationIconShowsAsPictureBlackOnWhite) {
  WriteWholeFile(DataFolder + "Graphic\\info.jpg", JpegBytes(16, 12, RGB(0x80, 0x80, 0x80)));
  WriteTicker(std::string(kItem) + InfoLine("info.jpg"));
  FileCheck();
  ASSERT_EQ(form->Display.TickerLines.size(), 1u);
  ASSERT_EQ(form->Display.InfoLines.size(), 1u);

  form->ShowNextNow();
  EXPECT_EQ(form->Message.Tag, 0);
  EXPECT_TRUE(form->Message.Picture().Empty());
  EXPECT_EQ(form->Message.Font().Color(), (TColor)0x00AA00);

  ASSERT_TRUE(ShowUntilInformation());
  TKvBandForm& f = *form;
  ASSERT_FALSE(f.Message.Picture().Empty());
  EXPECT_EQ(f.Message.Picture().Width(), 16);
  EXPECT_EQ(f.Message.Picture().Height(), 12);
  EXPECT_EQ(f.Message.Title(), "");
  EXPECT_EQ(f.Message.Hint(), "http://example.com/info");
  EXPECT_EQ(f.Message.Font().Color(), (TColor)0);
  EXPECT_EQ(f.PL_Message.StartColor(), (TColor)0xFFFFFF);
  EXPECT_EQ(f.PL_Message.EndColor(), (TColor)0xFFFFFF);
  // Scrolling: the label is as wide as "WWW" plus the picture and a gap
  // (measured with the test prefix's font).
  ASSERT_GT(f.Display.ScrollMode, 0);
  EXPECT_EQ(f.Message.Width(), 52);
  EXPECT_EQ(f.Message.Left(), 0);

  // The next ordinary item drops the picture again.
  f.ShowNextNow();
  EXPECT_EQ(f.Message.Tag, 0);
  EXPECT_TRUE(f.Message.Picture().Empty());
  EXPECT_NE(f.Message.Title().find("Title A"), std::string::npos);
  EXPECT_EQ(f.Message.Font().Color(), (TColor)0x00AA00);
}

TEST_F(DisplayTest, MissingOrBrokenIconShowsTheText) {
  WriteWholeFile(DataFolder + "Graphic\\broken.jpg", "\xFF\xD8\xFF garbage");
  for (const char* icon : {"missing.jpg", "broken.jpg", ""}) {
    SCOPED_TRACE(icon);
    WriteTicker(std::string(kItem) + InfoLine(icon));
    FileCheck();
    ASSERT_TRUE(ShowUntilInformation());
    EXPECT_TRUE(form->Message.Picture().Empty());
    EXPECT_EQ(form->Message.Title(), "Info text　Info");
    EXPECT_EQ(form->Message.Font().Color(), (TColor)0x0000FF);
    EXPECT_EQ(form->PL_Message.StartColor(), (TColor)0x00FFFF);
    EXPECT_EQ(form->PL_Message.EndColor(), (TColor)0x00CCCC);
  }
}

TEST_F(DisplayTest, TheFirstFileCheckShowsTheWindow) {
  ASSERT_EQ(shows, 0);
  FileCheck();
  EXPECT_EQ(shows, 1);
  FileCheck();
  EXPECT_EQ(shows, 1);  // only the first run
}

TEST_F(DisplayTest, FileCheckEnablesItselfAgainOnEveryPath) {
  auto check = [&](const char* path) {
    SCOPED_TRACE(path);
    form->Timer_FileCheck.SetEnabled(false);
    form->Timer_FileCheck.SetInterval(300);
    FileCheck();
    EXPECT_TRUE(form->Timer_FileCheck.Enabled());
    EXPECT_EQ(form->Timer_FileCheck.Interval(), 20000u);
  };
  check("first run");
  check("plain run");
  WriteTicker(kItem);
  check("ticker file reloaded");
  form->Display.StartupCountdown = 0;
  TickerSettings.RefreshNow = 0;
  const int before = refreshes;
  check("refresh started");
  EXPECT_EQ(refreshes, before + 1);
  form->Display.OnStartRefresh = [] { throw std::runtime_error("cannot start"); };
  TickerSettings.RefreshNow = 0;
  ExpectFailedStep("file check", [&] { check("refresh failed"); });
  form->SetPaused(true);
  check("paused");
  form->SetPaused(false);
  form->LayoutBusy = true;
  check("laying out");
  form->LayoutBusy = false;
}

TEST_F(DisplayTest, PausedTheChangedTickerFileWaits) {
  WriteTicker(kItem);
  FileCheck();
  ASSERT_EQ(form->Display.TickerLines.size(), 1u);
  form->SetPaused(true);
  WriteTicker(std::string(kItem) + kItem);
  FileCheck();
  EXPECT_EQ(form->Display.TickerLines.size(), 1u);
  // Nor does the display timer show anything.
  const std::string title = form->Message.Title();
  form->Timer_ListReadTimer(&form->Timer_ListRead);
  form->Timer_ListReadTimer(nullptr);
  EXPECT_EQ(form->Message.Title(), title);
  EXPECT_TRUE(form->Image_Stop.Visible());
  EXPECT_FALSE(form->Image_Next.Visible());
  form->SetPaused(false);
  FileCheck();
  EXPECT_EQ(form->Display.TickerLines.size(), 2u);
  EXPECT_TRUE(form->Image_Next.Visible());
}

TEST_F(DisplayTest, AChangedTickerFileIsFetchedByTheNextShownItem) {
  WriteTicker(kItem);
  FileCheck();
  form->ShowNextNow();
  WriteTicker(std::string(kItem) + "45000\tFeed\tTitle B\thttp://example.com/b\t\t\r\n");
  form->Timer_FileCheck.SetEnabled(false);
  form->ShowNextNow();
  EXPECT_EQ(form->Display.TickerLines.size(), 2u);
  EXPECT_TRUE(form->Timer_FileCheck.Enabled());
  EXPECT_EQ(form->Timer_FileCheck.Interval(), 20000u);
}

TEST_F(DisplayTest, EmptyTickerFileSaysSoOnTheStrip) {
  WriteTicker("");
  FileCheck();
  EXPECT_EQ(form->Message.Title(), "新しい記事はありません Pelmoriad");
  EXPECT_EQ(form->Message.TitleLength(), 22);
  EXPECT_EQ(form->Message.Hint(), TickerSettings.UrlHome);
}

TEST_F(DisplayTest, ScrollModeChangeInTheSettingsSwitchesToPaging) {
  ASSERT_EQ(form->Display.ScrollMode, 2);
  FileCheck();
  Settings("[Env]\r\nTickerScroll=0\r\nTickerTime=6\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, 30);
  FileCheck();
  EXPECT_EQ(form->Display.ScrollMode, 0);
  EXPECT_EQ(form->Message.Align(), alClient);
  EXPECT_EQ(form->Timer_ListRead.Interval(), 6000u);
  EXPECT_TRUE(form->Timer_ListRead.Enabled());
}

TEST_F(Destruction, AfterDestroyNothingReacts) {
  TKvBandForm& f = Create();
  f.Timer_Message.SetEnabled(true);
  f.Timer_Help.SetEnabled(true);
  WriteTicker(kItem);
  const std::string title = f.Message.Title();

  f.FormDestroy(&f);
  EXPECT_TRUE(f.Closing);
  for (TTimer* t : {&f.Timer_FileCheck, &f.Timer_ListRead, &f.Timer_Message, &f.Timer_Help})
    EXPECT_FALSE(t->Enabled());

  FileCheck();
  EXPECT_FALSE(f.Visible());
  EXPECT_FALSE(f.Timer_FileCheck.Enabled());
  EXPECT_TRUE(f.Display.TickerLines.empty());
  f.Display.TickerLines.push_back(kItem);
  f.Timer_ListReadTimer(&f.Timer_ListRead);
  f.Timer_ListReadTimer(nullptr);
  f.ShowNextNow();
  f.SetupDisplayTimer();
  f.SetBackMode(true);
  f.ApplyFontSize();
  EXPECT_EQ(f.Message.Title(), title);
  EXPECT_FALSE(f.Display.Reverse);
  EXPECT_FALSE(f.Timer_ListRead.Enabled());
  EXPECT_FALSE(f.Timer_FileCheck.Enabled());
  f.FormDestroy(&f);  // a second time is harmless
  EXPECT_TRUE(f.Closing);
}

}  // namespace
