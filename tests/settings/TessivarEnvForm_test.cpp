// The settings dialog shown for real: filled from the settings file and the
// feed list, edited through its controls as a user would type, and closed,
// with its questions answered from a timer.
#include "common/TestHttpServer.h"

#include "TessivarEnvForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <shlobj.h>

#include "BandServer.h"
#include "classlib/Application.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestDataObject.h"
#include "common/TestDialogs.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"
#include "refresh/FeedProbe.h"
#include "settings/OpmlExport.h"
#include "shared/FeedFiles.h"
#include "shared/S_Xml.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

// Replaces the field's text the way typing does (it notifies a change even
// where setting the text does not).
void TypeInto(TWinControl& field, const std::string& text) {
  HWND h = field.Handle();
  SendMessageW(h, EM_SETSEL, 0, -1);
  SendMessageW(h, EM_REPLACESEL, TRUE, (LPARAM)SjisToWide(text).c_str());
}

void Choose(TComboBox& list, int item) {
  list.SetItemIndex(item);
  SendMessageW(GetParent(list.Handle()), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
               (LPARAM)list.Handle());
}

class SetFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings = TTickerSettings();
    NoBandEdition = false;
    SettingsReset = false;
    SetSaveRetryPauseForTest(10);
    InitDataFoldersAt(scratch_.Path() + "AppData", scratch_.Path() + "Profile");
  }
  void TearDown() override {
    SetFileAttributesW(SjisToWide(TickerIniPath).c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  // The settings as the start-up left them, written as the file holds them.
  void WriteSettings() { ASSERT_TRUE(AccessTickerIni(TickerIniPath, "W")); }
  TTickerSettings Stored() {
    TTickerSettings keep = TickerSettings;
    TickerSettings = TTickerSettings();
    AccessTickerIni(TickerIniPath, "R");
    TTickerSettings stored = TickerSettings;
    TickerSettings = keep;
    return stored;
  }
  std::unique_ptr<TSetForm> Open() {
    auto form = std::make_unique<TSetForm>();
    form->DoCreate();
    form->Show();
    DispatchQueuedMessages();
    return form;
  }
  // True when the dialog went away.
  bool Close(TSetForm& form) {
    form.Close();
    DispatchQueuedMessages();
    return !form.Visible();
  }
  // Closes the dialog answering its question with the button; the question
  // asked, empty when there was none.
  std::string CloseAnswering(TSetForm& form, const char* button, bool& closed) {
    std::string asked;
    DialogScript answer("確認", [&](HWND, TMessageForm* box) {
      asked = box->Message()->Caption();
      Click(box, button);
    });
    closed = Close(form);
    return asked;
  }
  std::string FeedListPath() const { return DataFolder + FeedListFileName; }

  ScratchFolder scratch_{"setform"};
};

void SetEveryDialogValue(TTickerSettings& t) {
  t.RefreshTime = 45;
  t.KeepTime = 72;
  t.TickerFontSize = 12;
  t.TickerScroll = 4;
  t.TickerSpeedUp = true;
  t.TickerScrollTaskBar = false;
  t.TickerTime = 7;
  t.TickerScrollTime = 0;
  t.CommonBrows = 2;
  t.CommonBrowsName = "C:\\ブラウザ\\b.exe";
  t.ScrollButton = true;
  t.DescPopup = false;
  t.InternetPreConfig = 2;
  t.ProxyHost = "proxy.example";
  t.ProxyPort = 3128;
  t.ProxyUser = "ユーザー";
  t.ProxyPassword = "p@ss";
  t.ProxyCredentialsInUrl = 1;
  for (int i = 0; i < kHighlightKeywordCount; ++i)
    t.HighlightKeywords[i] = "語" + std::to_string(i + 1);
}

TEST_F(SetFormTest, EveryFieldShowsItsValueAndAnUntouchedCloseWritesTheSameFile) {
  SetEveryDialogValue(TickerSettings);
  WriteSettings();
  const std::string before = ReadWholeFile(TickerIniPath);
  auto form = Open();
  EXPECT_EQ("45", form->TB_ENV.CB_RefreshTime.Text());
  EXPECT_EQ("72", form->TB_ENV.CB_KeepTime.Text());
  EXPECT_EQ(4, form->TB_ENV.CB_Scroll.ItemIndex());
  EXPECT_EQ("C:\\ブラウザ\\b.exe", form->TB_ENV.ED_ViewSet.Text());
  EXPECT_EQ("3128", form->TB_Proxy.CB_PortNumber.Text());
  EXPECT_EQ("語10", form->TB_KEYWORD.ED_Key10.Text());
  ASSERT_TRUE(Close(*form));
  EXPECT_EQ(before, ReadWholeFile(TickerIniPath));
}

TEST_F(SetFormTest, EditedFieldsAreStored) {
  WriteSettings();
  auto form = Open();
  TEnvPage& env = form->TB_ENV;
  TypeInto(env.CB_RefreshTime, "120");
  Choose(env.CB_KeepTime, 4);
  Choose(env.CB_FontSize, 4);
  Choose(env.CB_Scroll, 6);
  env.CB_SpeedUp.SetChecked(true);
  TypeInto(env.CB_TickerTime, "12");
  TypeInto(env.CB_TickerScrollTime, "4");
  env.CB_Description.SetChecked(false);
  Choose(env.CB_CommonBrows, 0);
  Choose(form->TB_Proxy.CB_PreConfig, 0);
  TypeInto(form->TB_Proxy.ED_ServerName, "10.0.0.1");
  TypeInto(form->TB_Proxy.CB_PortNumber, "8081");
  TypeInto(form->TB_Proxy.ED_Password, "秘密");
  form->TB_Proxy.CB_AddUrl.SetChecked(true);
  TypeInto(form->TB_KEYWORD.ED_Key3, "  デジタル*カメラ ！C社　");
  ASSERT_TRUE(Close(*form));
  TTickerSettings t = Stored();
  EXPECT_EQ(120, t.RefreshTime);
  EXPECT_EQ(120, t.KeepTime);
  EXPECT_EQ(13, t.TickerFontSize);
  EXPECT_EQ(6, t.TickerScroll);
  EXPECT_TRUE(t.TickerSpeedUp);
  EXPECT_EQ(12, t.TickerTime);
  EXPECT_EQ(4, t.TickerScrollTime);
  EXPECT_FALSE(t.DescPopup);
  EXPECT_EQ(0, t.CommonBrows);
  // Greyed proxy fields keep their values and are still written.
  EXPECT_EQ(0, t.InternetPreConfig);
  EXPECT_FALSE(form->TB_Proxy.ED_ServerName.Enabled());
  EXPECT_EQ("10.0.0.1", t.ProxyHost);
  EXPECT_EQ(8081, t.ProxyPort);
  EXPECT_EQ("秘密", t.ProxyPassword);
  EXPECT_EQ(1, t.ProxyCredentialsInUrl);
  EXPECT_EQ("デジタル*カメラ ！C社", t.HighlightKeywords[2]);
}

TEST_F(SetFormTest, ValuesNoListItemShowsAreKeptAndOthersNormalised) {
  TickerSettings.TickerFontSize = 20;
  TickerSettings.TickerScroll = 9;
  TickerSettings.CommonBrows = 5;
  TickerSettings.InternetPreConfig = 7;
  TickerSettings.KeepTime = 30;
  TickerSettings.ProxyCredentialsInUrl = 5;  // a hand-edited file
  WriteSettings();
  auto form = Open();
  EXPECT_EQ(-1, form->TB_ENV.CB_FontSize.ItemIndex());
  EXPECT_EQ("24", form->TB_ENV.CB_KeepTime.Text());
  EXPECT_FALSE(form->TB_ENV.CB_SpeedUp.Enabled());
  EXPECT_FALSE(form->TB_Proxy.GB_Proxy.Enabled());
  ASSERT_TRUE(Close(*form));
  TTickerSettings t = Stored();
  EXPECT_EQ(20, t.TickerFontSize);
  EXPECT_EQ(9, t.TickerScroll);
  EXPECT_EQ(5, t.CommonBrows);
  EXPECT_EQ(7, t.InternetPreConfig);
  EXPECT_EQ(24, t.KeepTime);
  EXPECT_EQ(5, t.ProxyCredentialsInUrl);
}

TEST_F(SetFormTest, SpinFieldsAreClampedWhenStoredWhateverHasTheFocus) {
  WriteSettings();
  auto form = Open();
  TypeInto(form->TB_ENV.CB_TickerTime, "0.4");
  TypeInto(form->TB_ENV.CB_TickerScrollTime, "-3");
  TypeInto(form->TB_Proxy.CB_PortNumber, "99999");
  form->TB_ENV.CB_TickerTime.SetFocus();
  // Alt+F4 closes without the field losing its focus first.
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !form->Visible(); }, 10000));
  TTickerSettings t = Stored();
  EXPECT_EQ(1, t.TickerTime);
  EXPECT_EQ(0, t.TickerScrollTime);
  EXPECT_EQ(65535, t.ProxyPort);
}

TEST_F(SetFormTest, AShortIntervalAsksAndCancelKeepsTheDialog) {
  WriteSettings();
  const std::string before = ReadWholeFile(TickerIniPath);
  auto form = Open();
  TypeInto(form->TB_ENV.CB_RefreshTime, "5");
  bool closed = true;
  EXPECT_EQ(ShortIntervalQuestion, CloseAnswering(*form, "キャンセル", closed));
  EXPECT_FALSE(closed);
  EXPECT_EQ(before, ReadWholeFile(TickerIniPath));
  CloseAnswering(*form, "はい(&Y)", closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(15, Stored().RefreshTime);
}

TEST_F(SetFormTest, AShortIntervalLoadedFromTheFileClosesWithoutAsking) {
  TickerSettings.RefreshTime = 20;
  WriteSettings();
  auto form = Open();
  bool closed = false;
  EXPECT_EQ("", CloseAnswering(*form, "キャンセル", closed));
  EXPECT_TRUE(closed);
}

TEST_F(SetFormTest, ValuesTheTickerWroteWhileOpenSurvive) {
  WriteSettings();
  auto form = Open();
  TypeInto(form->TB_KEYWORD.ED_Key1, "株価");
  // The ticker program writes the whole file meanwhile.
  TTickerSettings dialogs = TickerSettings;
  TickerSettings.RefreshNow = 45000.25;
  TickerSettings.AlphaBrend = 160;
  TickerSettings.SearchName = "検索";
  TickerSettings.SearchUrl = "http://127.0.0.1/q=$KEYWORD$";
  WriteSettings();
  TickerSettings = dialogs;
  ASSERT_TRUE(Close(*form));
  TTickerSettings t = Stored();
  EXPECT_DOUBLE_EQ(45000.25, t.RefreshNow);
  EXPECT_EQ(160, t.AlphaBrend);
  EXPECT_EQ("検索", t.SearchName);
  EXPECT_EQ("http://127.0.0.1/q=$KEYWORD$", t.SearchUrl);
  EXPECT_EQ("株価", t.HighlightKeywords[0]);
}

TEST_F(SetFormTest, LoggingOffSavesTheEditsAndEndsTheLoop) {
  WriteSettings();
  auto form = Open();
  TypeInto(form->TB_KEYWORD.ED_Key1, "株価");
  TFeedPage& feeds = form->TB_FEED;
  TypeInto(feeds.ED_URL, "http://127.0.0.1:1/new.xml");
  TypeInto(feeds.ED_Name, "新着");
  feeds.SB_New.Click();
  PostMessageW(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  PostMessageW(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  ASSERT_TRUE(PumpUntil([] { return Application.Terminated(); }, 5000));
  DiscardQueuedMessages();
  Application.ClearTerminatedForTest();
  EXPECT_EQ("株価", Stored().HighlightKeywords[0]);
  EXPECT_EQ("*\t新着\thttp://127.0.0.1:1/new.xml\t\t\t\t\t\r\n", ReadWholeFile(FeedListPath()));
  ASSERT_TRUE(Close(*form));
}

std::function<void()> g_duringProbe;
TestHttpServer* g_probed = nullptr;

void CALLBACK DuringProbe(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_probed->Requests().empty()) return;
  KillTimer(nullptr, id);
  g_duringProbe();
}

TEST_F(SetFormTest, LoggingOffDuringAProbeGivesItUpAndSavesTheEarlierEdits) {
  TestHttpServer server;
  ScriptedResponse silent;
  silent.NeverAnswer = true;
  server.On("/slow.xml", silent);
  auto form = Open();
  TypeInto(form->TB_KEYWORD.ED_Key1, "株価");
  LRESULT answer = -1;
  g_probed = &server;
  g_duringProbe = [&] {
    answer = SendMessageW(form->Handle(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
    PostMessageW(form->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  };
  SetTimer(nullptr, 0, 50, DuringProbe);
  form->AddFeedUrl(server.Url("/slow.xml"));
  DiscardQueuedMessages();
  Application.ClearTerminatedForTest();
  EXPECT_EQ(TRUE, answer);
  EXPECT_EQ(0, form->TB_FEED.CheckListBox.ItemCount());
  EXPECT_EQ("株価", Stored().HighlightKeywords[0]);
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, AFeedListHeldByAnotherProgramIsReportedAndNotOverwritten) {
  const std::string list = "*\tニュース\thttp://127.0.0.1:1/a.xml\t\t\t\t\t\r\n";
  ASSERT_TRUE(WriteWholeFile(FeedListPath(), list));
  KernelHandle hold(CreateFileW(SjisToWide(FeedListPath()).c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  std::string said;
  DialogScript ok("情報", [&](HWND, TMessageForm* box) {
    said = box->Message()->Caption();
    Click(box, "OK");
  });
  auto form = Open();
  hold.reset();
  EXPECT_EQ(UnreadableFeedListMessage, said);
  form->FListChanged = true;  // a feed added from the command line
  TypeInto(form->TB_KEYWORD.ED_Key1, "株価");
  ASSERT_TRUE(Close(*form));
  EXPECT_EQ(list, ReadWholeFile(FeedListPath()));
  EXPECT_EQ("株価", Stored().HighlightKeywords[0]);
}

TEST_F(SetFormTest, APastedControlCharacterStaysOutOfTheNameAndTheExportReadsBack) {
  TComInit com;
  auto form = Open();
  TypeInto(form->TB_FEED.ED_URL, "http://127.0.0.1:1/a.xml");
  TypeInto(form->TB_FEED.ED_Name, "AB\x0b" "C");
  form->TB_FEED.SB_New.Click();
  TFeedListEntry old = form->TB_FEED.Entry(0);
  EXPECT_EQ("ABC", old.FeedName);
  old.FeedName = "Old\x0bName";  // listed before names were cleaned
  std::string path = scratch_.File("list.opml"), result;
  ASSERT_TRUE(WriteOpmlFile(path, {form->TB_FEED.Entry(0), old}));
  ASSERT_TRUE(ProbeFeed(path, result));
  EXPECT_EQ("ABC\thttp://127.0.0.1:1/a.xml\r\nOldName\thttp://127.0.0.1:1/a.xml", result);
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, EnterTwiceAfterTheVersionCommandDestroysNothing) {
  ASSERT_TRUE(WriteWholeFile(FeedListPath(), "x\r\n"));
  auto form = std::make_unique<TSetForm>();
  form->DoCreate();
  TSettingsStart start;
  start.Page = TStartPage::Version;
  DialogScript enter("確認", [](HWND, TMessageForm*) { PressKey(VK_RETURN); });
  OpenSettingsDialog(*form, start);
  // The keys go to the dialog, wherever its focus is.
  ASSERT_TRUE(PumpUntil([&] { return IsChild(form->Handle(), GetFocus()) != FALSE; }, 5000));
  for (int press = 0; press < 2; ++press) {
    PressKey(VK_RETURN);
    Application.ProcessMessages();
    ASSERT_FALSE(enter.Acted()) << "Enter asked the reset question";
  }
  // Asked by a click, the question takes Enter for Cancel.
  form->TB_VER.Button1.Click();
  EXPECT_TRUE(enter.Acted());
  EXPECT_FALSE(SettingsReset);
  EXPECT_TRUE(PathExists(FeedListPath()));
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, AFileDroppedOnTheBasicPageEnablesTheExportButton) {
  TComInit com;
  const std::string feed = scratch_.File("feed.xml");
  ASSERT_TRUE(WriteWholeFile(feed, "<rss version=\"2.0\"><channel><title>D</title></channel></rss>"));
  auto form = std::make_unique<TSetForm>();
  form->DoCreate();
  OpenSettingsDialog(*form, TSettingsStart());
  EXPECT_FALSE(form->ButtonOPML.Enabled());
  auto files = TestDataObject::Create();
  files->OfferFiles({SjisToWide(feed)});
  POINTL pt = {form->Left() + 100, form->Top() + 100};
  DWORD effect = DROPEFFECT_COPY;
  IDropTargetBroker* target = form->OleDropTarget.DropTarget();
  target->DragEnter(files.get(), 0, pt, &effect);
  target->DragOver(0, pt, &effect);
  effect = DROPEFFECT_COPY;
  target->Drop(files.get(), 0, pt, &effect);
  // The drop is added once Drop has returned to the other program.
  ASSERT_TRUE(PumpUntil([&] { return form->TB_FEED.CheckListBox.ItemCount() == 1; }, 10000));
  EXPECT_TRUE(form->ButtonOPML.Enabled());
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, AReadOnlySettingsFileAsksAndLosesNothing) {
  WriteSettings();
  const std::string before = ReadWholeFile(TickerIniPath);
  SetFileAttributesW(SjisToWide(TickerIniPath).c_str(), FILE_ATTRIBUTE_READONLY);
  auto form = Open();
  TypeInto(form->TB_KEYWORD.ED_Key2, "新製品");
  bool closed = true;
  EXPECT_EQ(WriteFailedQuestion, CloseAnswering(*form, "キャンセル", closed));
  EXPECT_FALSE(closed);
  EXPECT_EQ("新製品", form->TB_KEYWORD.ED_Key2.Text());
  EXPECT_EQ(before, ReadWholeFile(TickerIniPath));
  CloseAnswering(*form, "はい(&Y)", closed);
  EXPECT_TRUE(closed);
  EXPECT_EQ(before, ReadWholeFile(TickerIniPath));
}

TEST_F(SetFormTest, TheFeedListIsWrittenOnlyWhenItChangedAndKeepsWhatTheRefreshStored) {
  WriteSettings();
  const std::string list =
      "*\tニュース\thttp://127.0.0.1/a.xml\t1\t10\t18\tSat, 01 Jan 2000 00:00:00 GMT\t最新\r\n"
      "\toff\tC:\\feeds\\b.rdf\t\t\t\t\t\r\n";
  ASSERT_TRUE(WriteWholeFile(FeedListPath(), list));
  auto form = Open();
  TFeedPage& feeds = form->TB_FEED;
  ASSERT_EQ(2, feeds.CheckListBox.ItemCount());
  EXPECT_EQ("http://127.0.0.1/a.xml", feeds.ED_URL.Text());
  EXPECT_EQ("9:00", feeds.CB_TimeSt.Text());
  EXPECT_EQ("17:59", feeds.CB_TimeEn.Text());
  EXPECT_FALSE(feeds.CheckListBox.Checked(1));
  ASSERT_TRUE(WriteWholeFile(FeedListPath(), "changed elsewhere\r\n"));
  ASSERT_TRUE(Close(*form));
  EXPECT_EQ("changed elsewhere\r\n", ReadWholeFile(FeedListPath()));

  form = Open();
  form->FListChanged = true;
  ASSERT_TRUE(WriteWholeFile(FeedListPath(), list));
  form->TB_FEED.LoadList(FeedListPath());
  ASSERT_TRUE(Close(*form));
  EXPECT_EQ(list, ReadWholeFile(FeedListPath()));
}

TEST_F(SetFormTest, AfterAResetTheCloseWritesNothing) {
  auto form = Open();
  SettingsReset = true;
  form->FListChanged = true;
  ASSERT_TRUE(Close(*form));
  EXPECT_FALSE(PathExists(TickerIniPath));
  EXPECT_FALSE(PathExists(FeedListPath()));
  EXPECT_TRUE(PathExists(DelBackslash(DataFolder)));
}

TEST_F(SetFormTest, ScrollAndConnectionChoicesEnableTheirControls) {
  NoBandEdition = true;
  TickerSettings.TickerScroll = 3;
  auto form = Open();
  TEnvPage& env = form->TB_ENV;
  EXPECT_TRUE(env.CB_SpeedUp.Enabled());
  EXPECT_TRUE(env.CB_TickerScrollTime.Enabled());
  EXPECT_FALSE(env.CB_ScrollTaskBarOnly.Enabled());
  Choose(env.CB_Scroll, 0);
  EXPECT_FALSE(env.CB_SpeedUp.Enabled());
  EXPECT_FALSE(env.LB_TickerScrollTime.Enabled());
  EXPECT_FALSE(env.ED_ViewSet.Enabled());
  Choose(env.CB_CommonBrows, 2);
  EXPECT_TRUE(env.ED_ViewSet.Enabled());
  EXPECT_TRUE(env.SB_ViewSet.Enabled());
  Choose(form->TB_Proxy.CB_PreConfig, 2);
  EXPECT_TRUE(form->TB_Proxy.GB_Proxy.Enabled());
  EXPECT_TRUE(form->TB_Proxy.ED_Password.Enabled());
  EXPECT_EQ("Tessivar-Ticker", form->TB_VER.ProductName.Caption());
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, TheExportButtonFollowsTheFeedPageAndProposesTheDocumentsFolder) {
  auto form = Open();
  ASSERT_EQ(0, form->TB_FEED.CheckListBox.ItemCount());
  form->PageControl.SetActivePage(&form->TB_FEED);
  form->PageControlChange(&form->PageControl);
  EXPECT_TRUE(form->ButtonOPML.Enabled());
  wchar_t documents[MAX_PATH] = {};
  ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, 0, documents));
  EXPECT_EQ(WideToSjis(documents) + "\\OPMLリスト", form->SaveDialog.FileName);
  std::string said;
  {
    DialogScript ok("情報", [&](HWND, TMessageForm* box) {
      said = box->Message()->Caption();
      Click(box, "OK");
    });
    form->ButtonOPML.Click();
  }
  EXPECT_EQ("出力するリストはありません．", said);
  form->PageControl.SetActivePage(&form->TB_KEYWORD);
  form->PageControlChange(&form->PageControl);
  EXPECT_FALSE(form->ButtonOPML.Enabled());
  EXPECT_TRUE(form->FocusControl.Focused());
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, ResetDeletesTheFilesEndsTheProgramAndTheCloseWritesNothing) {
  WriteSettings();
  for (const char* name : {"TessivarOrvanel.def", "TessivarOrvanel.tic", "TessivarOrvanel.mnu"})
    ASSERT_TRUE(WriteWholeFile(DataFolder + name, "x\r\n"));
  auto form = Open();
  {
    DialogScript cancel("確認", [](HWND, TMessageForm* box) { Click(box, "キャンセル"); });
    form->TB_VER.Button1.Click();
  }
  EXPECT_TRUE(PathExists(TickerIniPath));
  EXPECT_FALSE(SettingsReset);
  std::string asked;
  {
    DialogScript yes("確認", [&](HWND, TMessageForm* box) {
      asked = box->Message()->Caption();
      Click(box, "はい(&Y)");
    });
    form->TB_VER.Button1.Click();
  }
  EXPECT_EQ("全ての設定を初期状態に戻しますか？\r\n(RSS/Atomの登録リストも初期状態に戻ります)",
            asked);
  EXPECT_TRUE(SettingsReset);
  EXPECT_TRUE(Application.Terminated());
  for (const char* name : {"TessivarOrvanel.def", "TessivarOrvanel.tic", "TessivarOrvanel.mnu"})
    EXPECT_FALSE(PathExists(DataFolder + name)) << name;
  EXPECT_FALSE(PathExists(TickerIniPath));
  DiscardQueuedMessages();
  Application.ClearTerminatedForTest();
  form->FListChanged = true;
  ASSERT_TRUE(Close(*form));
  EXPECT_FALSE(PathExists(TickerIniPath));
  EXPECT_FALSE(PathExists(FeedListPath()));
}

TEST_F(SetFormTest, ProxyButtonIsATabStopAndTakesTheWindowsValueWithoutStoringOrSwitching) {
  const wchar_t key[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
  RegistryKey settings;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0,
                                           KEY_READ | KEY_WRITE, nullptr, settings.put(), nullptr));
  const wchar_t value[] = L"winproxy.example:8888;https=other:1";
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(settings.get(), L"ProxyServer", 0, REG_SZ,
                                          (const BYTE*)value, sizeof value));
  TickerSettings.InternetPreConfig = 2;
  auto form = Open();
  TProxyPage& proxy = form->TB_Proxy;
  form->PageControl.SetActivePage(&proxy);
  form->SelectNext(&proxy.ED_UserName, false);
  EXPECT_TRUE(proxy.Button5.Focused());
  EXPECT_TRUE(form->IsShortCut('W', ssAlt));
  RegDeleteValueW(settings.get(), L"ProxyServer");
  EXPECT_EQ("winproxy.example", form->TB_Proxy.ED_ServerName.Text());
  EXPECT_EQ("8888", form->TB_Proxy.CB_PortNumber.Text());
  EXPECT_EQ(2, form->TB_Proxy.CB_PreConfig.ItemIndex());
  EXPECT_EQ("", TickerSettings.ProxyHost);
  ASSERT_TRUE(Close(*form));
}

TEST_F(SetFormTest, RegistrationButtonsReportAMissingServerAsAFailure) {
  auto form = Open();
  std::string said;
  auto answer = [&](TButton& button) {
    DialogScript ok("情報", [&](HWND, TMessageForm* box) {
      said = box->Message()->Caption();
      Click(box, "OK");
    });
    button.Click();
  };
  answer(form->TB_REG.Button3);
  EXPECT_EQ("レジストリの登録に失敗しました．", said);
  answer(form->TB_REG.Button4);
  EXPECT_EQ("レジストリの解除に失敗しました．", said);
  ASSERT_TRUE(Close(*form));
}

std::function<void()> g_whileRegistering;

void CALLBACK WhileRegistering(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_whileRegistering();
}

TEST_F(SetFormTest, NeitherACloseNorASecondRegistrationWhileOneRuns) {
  const std::string server = scratch_.Path() + "TessivarOrvanel32.dll";
  ASSERT_TRUE(CopyFileSJ(ExtractFilePath(GetModulePath()) + "bandserver\\TessivarOrvanel32.dll",
                         server, false));
  ASSERT_TRUE(WriteWholeFile(scratch_.Path() + "slow", ""));
  auto form = Open();
  bool closed = false;
  std::string said;
  g_whileRegistering = [&] {
    // Unguarded, the second one would report the missing server in the program folder.
    DialogScript ok("情報", [&](HWND, TMessageForm* box) {
      said = box->Message()->Caption();
      Click(box, "OK");
    });
    form->TB_REG.Button3.Click();
    closed = Close(*form);
  };
  SetTimer(nullptr, 0, 200, WhileRegistering);
  EXPECT_TRUE(RunRegsvr32(server, false));
  EXPECT_FALSE(closed);
  EXPECT_EQ("", said);
  ASSERT_TRUE(Close(*form));
}

TEST(RegistrationTab, OnlyOnOldWindowsInTheBandEditionWhenAllowed) {
  EXPECT_TRUE(RegistrationTabWanted(5, false, true));
  EXPECT_FALSE(RegistrationTabWanted(6, false, true));
  EXPECT_FALSE(RegistrationTabWanted(5, true, true));
  EXPECT_FALSE(RegistrationTabWanted(5, false, false));
}

}  // namespace
