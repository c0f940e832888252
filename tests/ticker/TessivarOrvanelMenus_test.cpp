// The ticker window's menus and commands, the article menu, the skin areas,
// the drop of text and the keyword search. The program folder of each case
// (support/TickerWindow.h) holds stand-ins as TessivarSetup.exe,
// TessivarUpdate.exe, TessivarInst.exe and browser.exe: each start appends
// its name and arguments to standin.log in its folder.
#include "TessivarOrvanelForm.h"

#include <gtest/gtest.h>

#include <sstream>

#include "KeywordSearch.h"
#include "StartupRegistry.h"
#include "TickerUtils.h"
#include "classlib/Handles.h"
#include "classlib/Screen.h"
#include "classlib/Text.h"
#include "common/StandInLog.h"
#include "common/TestDataObject.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"
#include "shared/S_FileUtils.h"
#include "support/TickerWindow.h"
#include "support/TickerScratch.h"

namespace {

typedef std::vector<std::string> Start;  // program name, then the arguments

std::string FromUtf8(const std::string& utf8) {
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), nullptr, 0);
  std::wstring w((size_t)n, L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), (int)utf8.size(), &w[0], n);
  return WideToSjis(w);
}

std::vector<Start> ReadStarts(const std::string& log) {
  std::vector<Start> starts;
  std::istringstream lines(FromUtf8(WholeLines(ReadWholeFile(log))));
  for (std::string line; std::getline(lines, line);) {
    Start start;
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, '\t');) start.push_back(f);
    starts.push_back(start);
  }
  return starts;
}

class Menus : public TickerWindowTest {
 protected:
  void SetUp() override {
    const std::string standIn = ExtractFilePath(GetModulePath()) + "TessivarStandIn.exe";
    TickerWindowTest::SetUp();
    savedRun_ = ReadUserRegistryString(RunKeyPath, StartupValueName);
    for (const char* name :
         {"TessivarSetup.exe", "TessivarUpdate.exe", "TessivarInst.exe", "browser.exe"})
      ASSERT_TRUE(CopyFileSJ(standIn, GetProgramFolder() + name, false)) << name;
    SetShellOpenForTest([this](const std::string& url) { opened.push_back(url); });
    // The shell stands in for the automation browser too.
    SetBrowserProgIdForTest(L"Tessivar.NoSuchBrowser.Application");
    SetConfirmForTest([this](const std::string& q) {
      questions.push_back(q);
      return answer;
    });
  }
  void TearDown() override {
    SetShellOpenForTest(nullptr);
    SetBrowserProgIdForTest(L"InternetExplorer.Application");
    SetConfirmForTest(nullptr);
    if (savedRun_.empty()) UnregisterStartup();
    // Another program's registration is put back as it was.
    else if (savedRun_ != ReadUserRegistryString(RunKeyPath, StartupValueName))
      WriteRunValue(savedRun_);
    TickerWindowTest::TearDown();
  }
  static void WriteRunValue(const std::string& data) {
    RegistryKey key;
    RegCreateKeyExW(HKEY_CURRENT_USER, SjisToWide(RunKeyPath).c_str(), 0, nullptr, 0, KEY_WRITE,
                    nullptr, key.put(), nullptr);
    std::wstring w = SjisToWide(data);
    RegSetValueExW(key.get(), SjisToWide(StartupValueName).c_str(), 0, REG_SZ,
                   (const BYTE*)w.c_str(), (DWORD)((w.size() + 1) * sizeof(wchar_t)));
  }
  // The window as the program has it, kept hidden so no other test loses the focus.
  TKvBandForm& Window() {
    Create();
    form->OnShow = [this](TObject*) { form->SetVisible(false); };
    return *form;
  }
  std::string Log(const std::string& folder = GetProgramFolder()) { return folder + "standin.log"; }
  // The starts logged so far, once there are at least count of them (or after 15 s).
  std::vector<Start> Starts(size_t count, const std::string& folder = GetProgramFolder()) {
    WaitUntil([&] { return ReadStarts(Log(folder)).size() >= count; }, 15000);
    return ReadStarts(Log(folder));
  }
  void Engines(const std::string& lines) {
    WriteWholeFile(GetProgramFolder() + SearchEngineListName, lines);
  }
  // One search for keyword through the only engine of the list.
  void SearchWith(const std::string& engine, const std::string& keyword) {
    Settings("[Search]\r\nQuery=\r\n");
    Engines(engine + "\r\n");
    TKvBandForm& f = Window();
    f.KeywordButtonClick(nullptr);
    f.ED_Keyword.SetText(keyword);
    f.Mn_FindClick(f.Mn_Find);
  }

  std::vector<std::string> opened, questions;
  bool answer = true;
  std::string savedRun_;
};

using Keyword = Menus;

TEST_F(Menus, CommandsStartTheSystemsOwnProgramsWithTheirWords) {
  TKvBandForm& f = Window();
  f.Refresh1Click(f.Refresh1);
  f.Refresh1Click(f.Mn_Reread);
  f.Refresh1Click(f.Mn_Setup);
  f.Refresh1Click(f.Mn_Update);  // Windows above 5 with the launcher beside
  EXPECT_EQ(Screen.Cursor(), crDefault);
  std::vector<Start> starts = Starts(4);
  ASSERT_EQ(starts.size(), 4u);
  // The starts are not waited for, so they may log in any order.
  std::sort(starts.begin(), starts.end());
  EXPECT_EQ(starts, (std::vector<Start>{{"TessivarSetup.exe"},
                                        {"TessivarSetup.exe", "FEED"},
                                        {"TessivarSetup.exe", "REFRESH"},
                                        {"TessivarUpdate.exe", "UPDATE"}}));
}

TEST_F(Menus, WithoutTheLauncherTheUpdateGoesToTheSetupProgram) {
  const std::string launcher = GetProgramFolder() + "TessivarUpdate.exe";
  ASSERT_TRUE(RenameFileSJ(launcher, launcher + ".away"));
  Window().RunCommand(TTickerCommand::Update);
  std::vector<Start> starts = Starts(1);
  RenameFileSJ(launcher + ".away", launcher);
  EXPECT_EQ(starts, (std::vector<Start>{{"TessivarSetup.exe", "UPDATE"}}));
}

TEST_F(Menus, OnOlderWindowsTheUpdateFallsBackOrIsHidden) {
  TKvBandForm& f = Window();
  const TWindowsVersion xp = {5, 1, true}, me = {4, 90, false};
  SetWindowsVersionForTest(&xp);
  f.RunCommand(TTickerCommand::Update);  // the launcher beside is for Vista and later
  SetWindowsVersionForTest(&me);
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  SetWindowsVersionForTest(nullptr);
  EXPECT_FALSE(f.Mn_Update->Visible);
  EXPECT_EQ(Starts(1), (std::vector<Start>{{"TessivarSetup.exe", "UPDATE"}}));
}

TEST_F(Menus, ADroppedTextReachesTheSetupProgramAsOneArgument) {
  TKvBandForm& f = Window();
  auto text = TestDataObject::Create();
  text->OfferText("http://127.0.0.1/feed.xml\" UPDATE \"x\r\n");
  IDropTargetBroker* target = f.OleDropTarget.DropTarget();
  ASSERT_TRUE(target);
  RECT r;
  GetWindowRect(f.Handle(), &r);
  const POINTL inside = {r.left + 5, r.top + 5};
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  ASSERT_EQ(S_OK, target->DragEnter(text.get(), 0, inside, &effect));
  EXPECT_NE(effect, (DWORD)DROPEFFECT_NONE);
  ASSERT_EQ(S_OK, target->Drop(text.get(), 0, inside, &effect));
  // A command word of the setup program only opens its dialog.
  auto word = TestDataObject::Create();
  word->OfferText(" Update\r\n");
  effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
  ASSERT_EQ(S_OK, target->DragEnter(word.get(), 0, inside, &effect));
  ASSERT_EQ(S_OK, target->Drop(word.get(), 0, inside, &effect));
  std::vector<Start> starts = Starts(2);
  std::sort(starts.begin(), starts.end());  // logged in any order
  EXPECT_EQ(starts,
            (std::vector<Start>{{"TessivarSetup.exe"},
                                {"TessivarSetup.exe", "http://127.0.0.1/feed.xml UPDATE x"}}));
}

TEST_F(Menus, TheMenuFollowsTheDisplayState) {
  Settings("[Env]\r\nTickerScroll=0\r\n");
  TKvBandForm& f = Window();
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  EXPECT_FALSE(f.Mn_First->Enabled);
  EXPECT_FALSE(f.Mn_LoopBack->Enabled);
  EXPECT_TRUE(f.Mn_Update->Visible);
  f.RunCommand(TTickerCommand::First);  // nothing to show first
  EXPECT_TRUE(f.Display.TickerLines.empty());

  WriteTicker("45000\tF\tA\thttp://a/\t\t\r\n45000\tF\tB\thttp://b/\t\t\r\n");
  FileCheck();
  f.RunCommand(TTickerCommand::LoopBack);
  f.RunCommand(TTickerCommand::Pause);
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  EXPECT_TRUE(f.Mn_First->Enabled);
  EXPECT_TRUE(f.Mn_LoopBack->Visible);
  EXPECT_TRUE(f.Mn_LoopBack->Checked);
  EXPECT_TRUE(f.Mn_Pause->Checked);
  EXPECT_TRUE(f.Image_Stop.Visible());
  f.RunCommand(TTickerCommand::Pause);
  f.RunCommand(TTickerCommand::LoopBack);
  EXPECT_FALSE(f.Display.Reverse);
  f.RunCommand(TTickerCommand::First);
  EXPECT_NE(f.Message.Title().find("A"), std::string::npos);
  f.Display.ScrollMode = 2;  // a scrolling strip has no back mode
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  EXPECT_FALSE(f.Mn_LoopBack->Visible);
  f.RunCommand(TTickerCommand::HomePage);
  f.RunCommand(TTickerCommand::Product);
  EXPECT_EQ(opened, (std::vector<std::string>{TickerSettings.UrlHome, TickerSettings.UrlDesk}));
}

TEST_F(Menus, TheStartUpEntryAsksAndTogglesTheRunValue) {
  TKvBandForm& f = Window();
  UnregisterStartup();
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  EXPECT_EQ(f.Mn_StartUp->Caption, "スタートアップに登録(&S)...");
  answer = false;
  f.Mn_StartUpClick(f.Mn_StartUp);
  EXPECT_FALSE(StartupRegistered());
  answer = true;
  f.Mn_StartUpClick(f.Mn_StartUp);
  EXPECT_EQ(ReadUserRegistryString(RunKeyPath, StartupValueName), "\"" + GetModulePath() + "\"");
  f.PopupMenu_MainPopup(&f.PopupMenu_Main);
  EXPECT_EQ(f.Mn_StartUp->Caption, "スタートアップから解除(&S)...");
  f.Mn_StartUpClick(f.Mn_StartUp);
  EXPECT_FALSE(StartupRegistered());
  EXPECT_EQ(questions, (std::vector<std::string>{"スタートアップに登録しますか？",
                                                 "スタートアップに登録しますか？",
                                                 "スタートアップから解除しますか？"}));
}

TEST_F(Menus, UninstallRunsACopyOfTheInstallerThenUnregistersAndCloses) {
  const std::string temp = GetTempFolder() + "\\";
  DeleteFileSJ(Log(temp));
  RegisterStartup();
  TKvBandForm& f = Window();
  ASSERT_TRUE(f.Mn_UnInst->Visible);
  int closes = 0;
  f.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++closes;
    canClose = false;
  };
  answer = false;
  f.Mn_UnInstClick(f.Mn_UnInst);
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(StartupRegistered());
  answer = true;
  f.Mn_UnInstClick(f.Mn_UnInst);
  EXPECT_EQ(Starts(1, temp), (std::vector<Start>{{"TessivarInst.exe", "-uninst"}}));
  EXPECT_FALSE(StartupRegistered());
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(questions.size(), 2u);
  EXPECT_EQ(questions[0], "アンインストールを実行してもよろしいですか？");
  WaitUntil([&] { return DeleteFileSJ(temp + "TessivarInst.exe"); }, 3000);
  DeleteFileSJ(Log(temp));
}

TEST_F(Menus, AnInstallerThatDoesNotStartLeavesTheTickerAsItWas) {
  const std::string installer = GetProgramFolder() + "TessivarInst.exe";
  ASSERT_TRUE(CopyFileSJ(installer, installer + ".kept", false));
  WriteWholeFile(installer, "MZ but no program");
  RegisterStartup();
  TKvBandForm& f = Window();
  int closes = 0;
  f.OnCloseQuery = [&](TObject*, bool& canClose) {
    ++closes;
    canClose = false;
  };
  f.Mn_UnInstClick(f.Mn_UnInst);
  CopyFileSJ(installer + ".kept", installer, false);
  DeleteFileSJ(GetTempFolder() + "\\TessivarInst.exe");
  EXPECT_TRUE(StartupRegistered());
  EXPECT_EQ(closes, 0);
}

TEST_F(Menus, TranslucencySetsTheAlphaAndKeepsWhatTheDialogSaved) {
  TKvBandForm& f = Window();
  FileCheck();
  Settings("[Env]\r\nTickerTime=9\r\n");  // saved by the settings dialog meanwhile
  SetModifiedSecondsFromNow(TickerIniPath, 60);
  TMenuItem* item190 = f.Mn_Alpha_Items[1];
  ASSERT_EQ(item190->Tag, 190);
  item190->Click();
  EXPECT_TRUE(f.AlphaBlend());
  BYTE alpha = 0;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(f.Handle(), nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 190);
  EXPECT_TRUE(flags & LWA_ALPHA);
  EXPECT_TRUE(item190->Checked);
  std::string stored = ReadWholeFile(TickerIniPath);
  EXPECT_NE(stored.find("AlphaBrend=190"), std::string::npos) << stored;
  EXPECT_NE(stored.find("TickerTime=9"), std::string::npos) << stored;
  f.Mn_Alpha_None->Click();
  EXPECT_FALSE(f.AlphaBlend());
  EXPECT_FALSE(GetWindowLongW(f.Handle(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_NE(ReadWholeFile(TickerIniPath).find("AlphaBrend=0"), std::string::npos);
}

TEST_F(Menus, ClosingKeepsWhatTheDialogSavedMeanwhile) {
  TKvBandForm& f = Window();
  FileCheck();
  Settings("[Env]\r\nTickerTime=9\r\n[Key]\r\nStr1=新しい語\r\n");
  SetModifiedSecondsFromNow(TickerIniPath, 60);
  bool canClose = false;
  f.FormCloseQuery(&f, canClose);
  EXPECT_TRUE(canClose);
  const std::string stored = ReadWholeFile(TickerIniPath);
  EXPECT_NE(stored.find("TickerTime=9"), std::string::npos) << stored;
  EXPECT_NE(stored.find("Str1=新しい語"), std::string::npos) << stored;
}

TEST_F(Menus, TheArticleMenuFollowsTheMenuFile) {
  TKvBandForm& f = Window();
  TickerSettings.CommonBrows = 0;
  WriteWholeFile(DataFolder + "TessivarOrvanel.mnu",
                 "http://a/\tA&B\tOne\thttp://a/1\r\nhttp://b/\tB\tTwo\thttp://b/2\r\n");
  WriteTicker("45000\tF\tA\thttp://a/\t\t\r\n");
  FileCheck();
  ASSERT_TRUE(f.Mn_Kiji->Visible);
  ASSERT_EQ(f.Mn_Kiji->Count(), 2);
  EXPECT_EQ(f.Mn_Kiji->Items(0)->Caption, "A&&B");
  TMenuItem* b = f.Mn_Kiji->Items(1);
  b->Click();
  ASSERT_EQ(b->Count(), 1);
  b->Items(0)->Click();
  EXPECT_EQ(opened, std::vector<std::string>{"http://b/2"});
  // A new ticker file hides the entry; the same check builds it again.
  WriteWholeFile(DataFolder + "TessivarOrvanel.mnu", "http://c/\tC\tThree\thttp://c/3\r\n");
  WriteTicker("45000\tF\tNew\thttp://n/\t\t\r\n");
  FileCheck();
  ASSERT_EQ(f.Mn_Kiji->Count(), 1);
  EXPECT_EQ(f.Mn_Kiji->Items(0)->Caption, "C");
}

TKvBandForm* formWithMenu = nullptr;
int countDuringMenu = -1;

void CALLBACK ReloadDuringMenu(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  formWithMenu->Timer_FileCheckTimer(&formWithMenu->Timer_FileCheck);
  countDuringMenu = formWithMenu->Mn_Kiji->Count();
  EndMenu();
}

TEST_F(Menus, TheArticleMenuIsNotRebuiltWhileAMenuIsOpen) {
  TKvBandForm& f = Window();
  WriteWholeFile(DataFolder + "TessivarOrvanel.mnu",
                 "http://a/\tA\tOne\thttp://a/1\r\nhttp://b/\tB\tTwo\thttp://b/2\r\n");
  WriteTicker("45000\tF\tA\thttp://a/\t\t\r\n");
  FileCheck();
  ASSERT_EQ(f.Mn_Kiji->Count(), 2);
  TMenuItem* shown = f.Mn_Kiji->Items(0);
  WriteWholeFile(DataFolder + "TessivarOrvanel.mnu", "http://c/\tC\tThree\thttp://c/3\r\n");
  WriteTicker("45000\tF\tNew\thttp://n/\t\t\r\n");
  formWithMenu = &f;
  UINT_PTR timer = SetTimer(nullptr, 0, 100, ReloadDuringMenu);
  f.PopupMenu_Main.Popup(20, 20);
  KillTimer(nullptr, timer);
  formWithMenu = nullptr;
  // The items the open menu showed were still there; the next check builds.
  EXPECT_EQ(countDuringMenu, 2);
  EXPECT_EQ(f.Display.TickerLines.size(), 1u);
  EXPECT_EQ(f.Mn_Kiji->Items(0), shown);
  FileCheck();
  ASSERT_EQ(f.Mn_Kiji->Count(), 1);
  EXPECT_EQ(f.Mn_Kiji->Items(0)->Caption, "C");
}

TEST_F(Menus, SkinAreasRunTheirCommandWordsAndShowTheirState) {
  TickerSettings.customBound[0] = "0,0,20,20,停止,Pause";
  TickerSettings.customBound[1] = "20,0,40,22,リンク,http://example.com/area";
  TickerSettings.customBound[2] = "40,0,60,20,,search";
  TKvBandForm& f = Window();
  TickerSettings.manualMode = 2;
  f.CreateSkinAreas();
  ASSERT_TRUE(f.CustomAreas[0] && f.CustomAreas[1] && f.CustomAreas[2]);
  EXPECT_FALSE(f.CustomAreas[3]);
  TPaintBox& pause = *f.CustomAreas[0];
  EXPECT_EQ(pause.Hint(), "停止|Pause");
  EXPECT_EQ(f.CustomAreas[1]->Height(), 22);
  EXPECT_EQ(pause.Parent(), &f);
  EXPECT_EQ(pause.PopupMenu(), &f.PopupMenu_Main);

  pause.Click();
  EXPECT_TRUE(f.Display.Paused);
  EXPECT_EQ(pause.Tag, 2);  // latched while paused
  pause.Click();
  EXPECT_FALSE(f.Display.Paused);
  EXPECT_EQ(pause.Tag, 0);

  f.CustomAreas[1]->Click();
  EXPECT_EQ(opened, std::vector<std::string>{"http://example.com/area"});

  f.CustomAreas[2]->Click();
  EXPECT_TRUE(f.PL_Keyword.Visible());
  EXPECT_EQ(f.CustomAreas[2]->Tag, 2);
  f.CustomAreas[2]->Click();
  EXPECT_FALSE(f.PL_Keyword.Visible());
  EXPECT_EQ(f.CustomAreas[2]->Tag, 0);

  // The areas are made once more from the slots emptied first.
  TickerSettings.customBound[1].clear();
  TickerSettings.customBound[2].clear();
  f.CreateSkinAreas();
  EXPECT_TRUE(f.CustomAreas[0]);
  EXPECT_FALSE(f.CustomAreas[1]);
}

TEST_F(Keyword, ThePanelOpensWithTheFirstEngineAndCloses) {
  Settings("[Search]\r\nQuery=\r\n");
  Engines("A&B\thttp://a/?q=$KEYWORD_UTF8$\r\n-\r\nC\thttp://c/?q=$KEYWORD$\r\n");
  TKvBandForm& f = Window();
  f.KeywordButton.Click();
  EXPECT_TRUE(f.PL_Keyword.Visible());
  EXPECT_FALSE(f.Message.Visible());
  EXPECT_TRUE(f.KeywordButton.Down());
  EXPECT_EQ(f.Mn_Cust->Count(), 3);
  EXPECT_EQ(f.LB_Keyword.Caption(), "A&&B");
  EXPECT_EQ(f.LB_Keyword.Hint(), "http://a/?q=$KEYWORD_UTF8$");
  EXPECT_EQ(f.Mn_Find->Caption, "検索 - A&&B(&S)");
  EXPECT_NE(ReadWholeFile(TickerIniPath).find("Name=A&&B"), std::string::npos);
  EXPECT_EQ(f.ED_Keyword.Font().Height(), -15);
  EXPECT_EQ(f.ED_Keyword.Color(), f.PL_Keyword.Color());
  EXPECT_EQ(f.ED_Keyword.MaxLength(), 80);
  // The box fills the panel up to the search button and the engine label.
  EXPECT_EQ(f.ED_Keyword.Left(), 2);
  EXPECT_EQ(f.ED_Keyword.Left() + f.ED_Keyword.Width() + 2, f.KeywordButton2.Left());
  EXPECT_EQ(f.KeywordButton2.Left() + f.KeywordButton2.Width(), f.LB_Keyword.Left());
  f.KeywordButton.Click();
  EXPECT_FALSE(f.PL_Keyword.Visible());
  EXPECT_TRUE(f.Message.Visible());
  EXPECT_FALSE(f.KeywordButton.Down());
}

TEST_F(Keyword, AStoredEngineStaysAndAChosenOneIsStored) {
  Settings(
      "[Search]\r\nQuery=http://q/?k=$KEYWORD_SHIFTJIS$\r\nName=C\r\nUrl=http://c/"
      "?q=$KEYWORD$\r\n");
  Engines("A\thttp://a/\r\nC\thttp://c/?q=$KEYWORD$\r\n");
  TKvBandForm& f = Window();
  f.KeywordButtonClick(nullptr);
  ASSERT_EQ(f.Mn_Cust->Count(), 3);
  EXPECT_EQ(f.Mn_Cust->Items(0)->Caption, "ウェブ検索");
  EXPECT_EQ(f.LB_Keyword.Caption(), "C");
  f.Mn_CustClick(f.Mn_Cust);
  EXPECT_TRUE(f.Mn_Cust->Items(2)->Checked);
  EXPECT_FALSE(f.Mn_Cust->Items(0)->Checked);
  f.Mn_Cust->Items(1)->Click();
  EXPECT_EQ(f.LB_Keyword.Caption(), "A");
  AccessTickerIni(TickerIniPath, "R");
  EXPECT_EQ(TickerSettings.SearchName, "A");
  EXPECT_EQ(TickerSettings.SearchUrl, "http://a/");
}

TEST_F(Keyword, EnterInTheBoxOpensTheAddressAndKeepsTheHistory) {
  Settings("[Search]\r\nQuery=\r\n");
  Engines("E\thttp://127.0.0.1/s?s=$KEYWORD_SHIFTJIS$&e=$KEYWORD_EUCJP$&u=$KEYWORD_UTF8$\r\n");
  TKvBandForm& f = Window();
  f.KeywordButtonClick(nullptr);
  HWND box = f.ED_Keyword.Handle();
  auto search = [&](const std::string& keyword) {
    f.ED_Keyword.SetText(keyword);
    SendMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageW(box, WM_CHAR, L'\r', 0);
  };
  search(" 日本 ");
  search("1+1");
  search("a b");
  ASSERT_EQ(opened.size(), 3u);
  EXPECT_EQ(opened[0], "http://127.0.0.1/s?s=%93%FA%96%7B&e=%C6%FC%CB%DC&u=%E6%97%A5%E6%9C%AC");
  EXPECT_EQ(opened[1], "http://127.0.0.1/s?s=1%2B1&e=1%2B1&u=1%2B1");
  EXPECT_EQ(opened[2], "http://127.0.0.1/s?s=a+b&e=a+b&u=a+b");
  EXPECT_EQ(f.ED_Keyword.Text(), "a b");  // Enter adds no line
  const std::string history = IniFolder + SearchHistoryName;
  EXPECT_EQ(ReadWholeFile(history), "a b\r\n1+1\r\n日本\r\n");
  // An empty keyword still searches but leaves the history alone.
  search("  ");
  EXPECT_EQ(opened.back(), "http://127.0.0.1/s?s=&e=&u=");
  EXPECT_EQ(ReadWholeFile(history), "a b\r\n1+1\r\n日本\r\n");
  // The search button does the same; the box's list shows the stored file.
  f.ED_Keyword.SetText("日本");
  f.KeywordButton2.Click();
  EXPECT_EQ(ReadWholeFile(history), "日本\r\na b\r\n1+1\r\n");
  WriteWholeFile(history, "other\r\n");
  SendMessageW(box, WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_TRUE(f.ED_Keyword.DroppedDown());
  EXPECT_EQ(f.ED_Keyword.Items(), std::vector<std::string>{"other"});
  // Clearing closes the list and empties the file.
  f.C1Click(f.C1);
  EXPECT_FALSE(f.ED_Keyword.DroppedDown());
  EXPECT_EQ(ReadWholeFile(history), "");
}

TEST_F(Keyword, ASearchThatIsNotOpenedStaysOutOfTheHistory) {
  SearchWith("E\tftp://127.0.0.1/s?q=$KEYWORD$", "word");
  EXPECT_TRUE(opened.empty());
  EXPECT_FALSE(PathExists(IniFolder + SearchHistoryName));
}

TEST_F(Keyword, TheAddressGoesToEachBrowserChoice) {
  Settings("[Search]\r\nQuery=http://127.0.0.1/q?k=$KEYWORD_UTF8$\r\n");
  Engines("-\r\n");  // the built-in engine comes first
  TKvBandForm& f = Window();
  f.KeywordButtonClick(nullptr);
  for (int choice : {0, 1, 2}) {
    TickerSettings.CommonBrows = choice;
    TickerSettings.CommonBrowsName = GetProgramFolder() + "browser.exe";
    f.ED_Keyword.SetText("検索");
    f.Mn_FindClick(f.Mn_Find);
  }
  const std::string address = "http://127.0.0.1/q?k=%E6%A4%9C%E7%B4%A2";
  // The shell for 0, and for 1 when the automation object is missing.
  EXPECT_EQ(opened, (std::vector<std::string>{address, address}));
  EXPECT_EQ(Starts(1), (std::vector<Start>{{"browser.exe", address}}));
}

TEST_F(Keyword, TheDesktopSearchAddressComesFromTheRegistry) {
  const char key[] = "Software\\Google\\CustomSearch\\Google Desktop Search";
  RegistryKey k;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SjisToWide(key).c_str(), 0, nullptr, 0, KEY_WRITE,
                            nullptr, k.put(), nullptr),
            ERROR_SUCCESS);
  const std::wstring url = L"http://127.0.0.1:4664/search?q={1}&s=x";
  RegSetValueExW(k.get(), L"Url", 0, REG_SZ, (const BYTE*)url.c_str(),
                 (DWORD)((url.size() + 1) * sizeof(wchar_t)));
  k.reset();
  SearchWith("Desk\t$GOOGLE_DESKTOP$", "日本");
  for (const char* made : {key, "Software\\Google\\CustomSearch", "Software\\Google"})
    RegDeleteKeyW(HKEY_CURRENT_USER, SjisToWide(made).c_str());  // only when empty
  EXPECT_EQ(opened,
            std::vector<std::string>{"http://127.0.0.1:4664/search?q=%E6%97%A5%E6%9C%AC&s=x"});
}

TEST_F(Keyword, TwentyOneEnginesShowInTwoColumns) {
  Settings("[Search]\r\nQuery=\r\n");
  for (int count : {20, 21}) {
    SCOPED_TRACE(count);
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "E" + std::to_string(i) + "\thttp://e/\r\n";
    Engines(lines);
    TKvBandForm& f = Window();
    f.KeywordButtonClick(nullptr);
    ASSERT_EQ(f.Mn_Cust->Count(), count);
    for (int i = 0; i < count; ++i)
      EXPECT_EQ(f.Mn_Cust->Items(i)->Break, count == 21 && i == 10) << i;
    form->FormDestroy(form.get());
    form.reset();
  }
}

TEST_F(Keyword, AnIdlePanelClosesAfterFiveMinutesUnlessPaused) {
  TKvBandForm& f = Window();
  f.KeywordButtonClick(nullptr);
  ASSERT_TRUE(f.PL_Keyword.Visible());
  f.Display.KeywordLastUse = TickCount() - 300100;
  f.SetPaused(true);
  f.Timer_ListReadTimer(nullptr);
  EXPECT_TRUE(f.PL_Keyword.Visible());
  f.SetPaused(false);
  f.Timer_ListReadTimer(nullptr);
  EXPECT_FALSE(f.PL_Keyword.Visible());
  EXPECT_FALSE(f.KeywordButton.Down());
  EXPECT_EQ(f.Display.KeywordLastUse, 0u);
}

}  // namespace
