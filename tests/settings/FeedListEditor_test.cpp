// The feed page of the settings dialog shown for real: feeds typed, clicked,
// dropped and dragged as a user would, questions answered from a timer, and
// the feed list file read back after closing.
#include "common/TestHttpServer.h"

#include "TessivarEnvForm.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "classlib/Text.h"
#include "common/TestDataObject.h"
#include "common/TestDialogs.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"
#include "shared/FeedFiles.h"
#include "shared/S_Xml.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const char kRss[] =
    "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Probed Title</title>"
    "</channel></rss>";

void TypeInto(TWinControl& field, const std::string& text) {
  SendMessageW(field.Handle(), EM_SETSEL, 0, -1);
  SendMessageW(field.Handle(), EM_REPLACESEL, TRUE, (LPARAM)SjisToWide(text).c_str());
}

// The texts of the boxes that came up while action ran, each answered with
// the button.
std::string Answered(const char* title, const char* button, const std::function<void()>& action) {
  std::string text;
  DialogScript script(title, [&](HWND, TMessageForm* box) {
    text = box->Message()->Caption();
    Click(box, button);
  });
  action();
  return text;
}

TestHttpServer* g_probed = nullptr;
std::function<void()> g_duringProbe;

void CALLBACK DuringProbe(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_probed->Requests().empty()) return;
  KillTimer(nullptr, id);
  g_duringProbe();
}

class FeedEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    TickerSettings = TTickerSettings();
    TickerSettings.InternetPreConfig = 0;
    NoBandEdition = false;
    SettingsReset = false;
    TickerParamGiven = false;
    SetSaveRetryPauseForTest(10);
    InitDataFoldersAt(scratch.Path() + "AppData", scratch.Path() + "Profile");
    server.On("/feed.xml", Feed(kRss));
  }
  static ScriptedResponse Feed(const std::string& body) {
    ScriptedResponse r;
    r.Body = body;
    return r;
  }
  void WriteList(const std::string& text) { ASSERT_TRUE(WriteWholeFile(ListPath(), text)); }
  std::string ListPath() const { return DataFolder + FeedListFileName; }
  std::unique_ptr<TSetForm> Open() {
    auto form = std::make_unique<TSetForm>();
    form->DoCreate();
    form->Show();
    form->PageControl.SetActivePage(&form->TB_FEED);
    DispatchQueuedMessages();
    return form;
  }
  std::string CloseAndRead(TSetForm& form) {
    form.Close();
    DispatchQueuedMessages();
    EXPECT_FALSE(form.Visible());
    return ReadWholeFile(ListPath());
  }
  TCheckListBox& List(TSetForm& form) { return form.TB_FEED.CheckListBox; }
  // A click on the entry's text, or on its check box.
  void ClickEntry(TSetForm& form, int index, bool onCheckBox = false) {
    RECT r = List(form).ItemRect(index);
    int x = onCheckBox ? r.left + 4 : r.left + 60;
    LPARAM at = MAKELPARAM(x, (r.top + r.bottom) / 2);
    SendMessageW(List(form).Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(List(form).Handle(), WM_LBUTTONUP, 0, at);
    DispatchQueuedMessages();
  }
  // An OLE drag over the entry (its upper half), or below the last one;
  // where it is, in screen coordinates.
  POINTL DragOver(TSetForm& form, IDataObject* data, int index) {
    TCheckListBox& list = List(form);
    POINT p = {60, 0};
    if (index < list.ItemCount()) {
      RECT r = list.ItemRect(index);
      p.y = r.top + (r.bottom - r.top) / 2;
    } else {
      p.y = list.ClientHeight() - 20;
    }
    ClientToScreen(list.Handle(), &p);
    POINTL pt = {p.x, p.y};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    IDropTargetBroker* target = form.OleDropTarget.DropTarget();
    target->DragEnter(data, 0, pt, &effect);
    target->DragOver(0, pt, &effect);
    return pt;
  }
  // The drop returns first; what it starts runs when the queue is served.
  void DropOn(TSetForm& form, IDataObject* data, int index, bool serve = true) {
    POINTL pt = DragOver(form, data, index);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_LINK;
    form.OleDropTarget.DropTarget()->Drop(data, 0, pt, &effect);
    if (serve) DispatchQueuedMessages();
  }
  // The feed at path answers only once action has run inside the probe's wait.
  void HoldFeedFor(const std::string& path, const std::function<void()>& action) {
    auto done = std::make_shared<std::atomic<bool>>(false);
    ScriptedResponse held = Feed(kRss);
    held.BeforeAnswer = [done] { WaitUntil([&] { return done->load(); }, 30000); };
    server.On(path, held);
    g_probed = &server;
    g_duringProbe = [action, done] {
      action();
      *done = true;
    };
    probeTimer_ = SetTimer(nullptr, 0, 20, DuringProbe);
  }
  void TearDown() override { KillTimer(nullptr, probeTimer_); }
  ComPtr<TestDataObject> Text(const std::string& text) {
    auto data = TestDataObject::Create();
    data->OfferText(text);
    return data;
  }

  TComInit com;
  ScratchFolder scratch{"feededit"};
  TestHttpServer server;
  UINT_PTR probeTimer_ = 0;
};

TSetForm* g_closing = nullptr;

void CALLBACK CloseFormLater(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_closing->Close();
}

const char kTwoFeeds[] =
    "*\tAlpha\thttp://127.0.0.1:1/a.xml\t\t\t\tSat, 01 Jan 2000 00:00:00 GMT\tlast A\r\n"
    "\tBeta\thttp://127.0.0.1:1/b.xml\t1\t10\t18\t\t\r\n";

}  // namespace

TEST_F(FeedEditor, AddCorrectMoveCheckAndDeleteGiveTheExpectedLines) {
  WriteList(kTwoFeeds);
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  EXPECT_FALSE(p.SB_Up.Enabled());
  EXPECT_TRUE(p.SB_Down.Enabled());
  // A new feed with a window, typed with a TAB pasted into its name.
  TypeInto(p.ED_URL, " http://127.0.0.1:1/c.xml ");
  TypeInto(p.ED_Name, "Gam\tma");
  p.CB_TimeSt.SetItemIndex(7);
  p.CB_TimeEn.SetItemIndex(9);
  p.SB_New.Click();
  ASSERT_EQ(3, List(*form).ItemCount());
  EXPECT_EQ("Gamma", List(*form).Item(0));
  EXPECT_EQ(0, List(*form).ItemIndex());
  // Correcting Alpha: the button lights only once a field changed.
  ClickEntry(*form, 1);
  EXPECT_EQ("Alpha", p.ED_Name.Text());
  EXPECT_FALSE(p.SB_Edit.Enabled());
  // Set rather than typed, the text keeps its line breaks until corrected.
  p.ED_Name.SetText("Al\r\npha");
  TypeInto(p.ED_URL, "http://127.0.0.1:1/\ta2.xml");
  EXPECT_TRUE(p.SB_Edit.Enabled());
  p.SB_Edit.Click();
  EXPECT_FALSE(p.SB_Edit.Enabled());
  // Alpha to the top, Beta checked by its box, Gamma deleted.
  p.SB_Up.Click();
  EXPECT_EQ("Alpha", List(*form).Item(0));
  ClickEntry(*form, 2, true);
  EXPECT_TRUE(List(*form).Checked(2));
  ClickEntry(*form, 1);
  EXPECT_EQ("\"Gamma\" を削除しますか？",
            Answered("確認", "はい(&Y)", [&] { p.SB_Delete.Click(); }));
  EXPECT_EQ(1, List(*form).ItemIndex());
  EXPECT_EQ("Beta", p.ED_Name.Text());
  EXPECT_EQ(
      "*\tAlpha\thttp://127.0.0.1:1/a2.xml\t\t\t\tSat, 01 Jan 2000 00:00:00 GMT\tlast A\r\n"
      "*\tBeta\thttp://127.0.0.1:1/b.xml\t1\t10\t18\t\t\r\n",
      CloseAndRead(*form));
}

TEST_F(FeedEditor, AnEmptyFocusedListDrawsOnlyItsFocus) {
  WriteList("");
  auto form = Open();
  TCheckListBox& list = List(*form);
  ASSERT_EQ(list.ItemCount(), 0);
  WindowDC dc(list.Handle());
  DRAWITEMSTRUCT dis = {ODT_LISTBOX, 0, (UINT)-1, ODA_FOCUS, ODS_FOCUS, list.Handle(), dc.get(),
                        {0, 0, 100, 16}, 0};
  EXPECT_TRUE(SendMessageW(GetParent(list.Handle()), WM_DRAWITEM, 0, (LPARAM)&dis));
}

TEST_F(FeedEditor, EntryFieldsAreCheckedBeforeAnythingChanges) {
  WriteList(kTwoFeeds);
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  auto refusal = [&] { return Answered("情報", "OK", [&] { p.SB_New.Click(); }); };
  TypeInto(p.ED_URL, "HTTP://127.0.0.1:1/A.XML");
  TypeInto(p.ED_Name, "Delta");
  p.CB_TimeSt.SetItemIndex(1);
  EXPECT_EQ("時間帯の指定は開始時刻と終了時刻をセットで指定してください．", refusal());
  p.CB_TimeSt.SetItemIndex(0);
  EXPECT_EQ("フィードのURLが重複しています．", refusal());
  TypeInto(p.ED_URL, "http://127.0.0.1:1/d.xml");
  TypeInto(p.ED_Name, " beta ");
  EXPECT_EQ("名前が重複しています．", refusal());
  EXPECT_EQ(2, List(*form).ItemCount());
  EXPECT_FALSE(form->FListChanged);
  CloseAndRead(*form);
}

TEST_F(FeedEditor, DroppedFeedLandsWhereItWasDropped) {
  WriteList(kTwoFeeds + std::string("*\tThird\thttp://127.0.0.1:1/t.xml\r\n"));
  auto form = Open();
  DropOn(*form, Text(server.Url("/feed.xml") + std::string("\r\n\0junk", 7)).get(), 2);
  ASSERT_EQ(4, List(*form).ItemCount());
  EXPECT_EQ("Probed Title", List(*form).Item(2));
  EXPECT_TRUE(List(*form).Checked(2));
  EXPECT_EQ(server.Url("/feed.xml"), form->TB_FEED.Record(2)->FeedUrl);
  // Below the last entry a feed goes to the top.
  server.On("/other.xml", Feed(kRss));
  DropOn(*form, Text(server.Url("/other.xml")).get(), 99);
  EXPECT_EQ(server.Url("/other.xml"), form->TB_FEED.Record(0)->FeedUrl);
  CloseAndRead(*form);
}

TEST_F(FeedEditor, DroppedFeedThatIsListedGetsItsCheckMark) {
  WriteList("\tListed\t" + server.Url("/feed.xml") + "\r\n");
  server.On("/FEED.xml", Feed(kRss));
  auto form = Open();
  EXPECT_EQ("このフィードのURLは登録済みですのでチェックマークを入れました．",
            Answered("情報", "OK", [&] { DropOn(*form, Text(server.Url("/FEED.xml")).get(), 0); }));
  EXPECT_TRUE(List(*form).Checked(0));
  EXPECT_EQ("このフィードのURLは購読済みです．",
            Answered("情報", "OK", [&] { DropOn(*form, Text(server.Url("/feed.xml")).get(), 0); }));
  ASSERT_EQ(1, List(*form).ItemCount());
  EXPECT_EQ("*\tListed\t" + server.Url("/feed.xml") + "\t\t\t\t\t\r\n", CloseAndRead(*form));
}

TEST_F(FeedEditor, DroppedOpmlFileAppendsOnlyTheNewSafeFeedsUnchecked) {
  WriteList("*\tKnown\thttp://known.example/rss\r\n");
  const std::string opml = scratch.File("list.opml");
  WriteWholeFile(opml,
                 "<?xml version=\"1.0\"?><opml version=\"1.1\"><body>"
                 "<outline text=\"Known again\" xmlUrl=\"HTTP://KNOWN.example/rss\"/>"
                 "<outline text=\"Group\"><outline text=\"New\" xmlUrl=\"http://new.example/f\"/>"
                 "<outline text=\"New twice\" xmlUrl=\"http://new.example/f\"/></outline>"
                 "<outline text=\"Share\" xmlUrl=\"\\\\evil\\share\\f.xml\"/>"
                 "</body></opml>");
  auto files = TestDataObject::Create();
  files->OfferFiles({SjisToWide(opml)});
  auto form = Open();
  EXPECT_EQ("OPMLによりサイトを一括で追加しますか？(最後に追加されます)",
            Answered("確認", "キャンセル", [&] { DropOn(*form, files.get(), 0); }));
  EXPECT_EQ(1, List(*form).ItemCount());
  Answered("確認", "はい(&Y)", [&] { DropOn(*form, files.get(), 0); });
  EXPECT_EQ(1, List(*form).ItemIndex());
  EXPECT_EQ(
      "*\tKnown\thttp://known.example/rss\t\t\t\t\t\r\n"
      "\tNew\thttp://new.example/f\t\t\t\t\t\r\n",
      CloseAndRead(*form));
}

TEST_F(FeedEditor, DraggingAnEntryMovesItWhereItIsDropped) {
  WriteList(kTwoFeeds + std::string("*\tThird\thttp://127.0.0.1:1/t.xml\r\n"));
  auto form = Open();
  HWND list = List(*form).Handle();
  auto at = [&](int index) {
    RECT r = List(*form).ItemRect(index);
    return MAKELPARAM(60, (r.top + r.bottom) / 2);
  };
  SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at(0));
  SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, at(1));
  SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, at(2));
  EXPECT_EQ(2, List(*form).ItemIndex());
  SendMessageW(list, WM_LBUTTONUP, 0, at(2));
  DispatchQueuedMessages();
  EXPECT_EQ("Beta", List(*form).Item(0));
  EXPECT_EQ("Third", List(*form).Item(1));
  EXPECT_EQ("Alpha", List(*form).Item(2));
  EXPECT_EQ(2, List(*form).ItemIndex());
  EXPECT_EQ("Alpha", form->TB_FEED.ED_Name.Text());
  EXPECT_TRUE(form->FListChanged);
  CloseAndRead(*form);
}

TEST_F(FeedEditor, TheDialogStaysOpenWhileAProbeRuns) {
  ScriptedResponse slow = Feed(kRss);
  slow.DelayMs = 1500;
  server.On("/slow.xml", slow);
  auto form = Open();
  g_closing = form.get();
  SetTimer(nullptr, 0, 200, CloseFormLater);
  form->FDropIndex = -1;
  form->AddFeedUrl(server.Url("/slow.xml"));
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(1, List(*form).ItemCount());
  CloseAndRead(*form);
}

TEST_F(FeedEditor, ADeleteDuringTheProbeOfACorrectionLeavesTheOtherFeedsAsTheyWere) {
  ScriptedResponse slow = Feed(kRss);
  slow.DelayMs = 1500;
  server.On("/slow.xml", slow);
  WriteList(kTwoFeeds + std::string("*\tThird\thttp://127.0.0.1:1/t.xml\r\n"));
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  ClickEntry(*form, 1);
  TypeInto(p.ED_URL, server.Url("/slow.xml"));
  TypeInto(p.ED_Name, "");
  // Nothing serves the queue before the probe does: the key arrives while it runs.
  PostMessageW(List(*form).Handle(), WM_KEYDOWN, VK_DELETE, 0);
  EXPECT_EQ("\"Beta\" を削除しますか？", Answered("確認", "はい(&Y)", [&] { p.SB_Edit.Click(); }));
  ASSERT_EQ(2, List(*form).ItemCount());
  EXPECT_EQ("http://127.0.0.1:1/a.xml", p.Record(0)->FeedUrl);
  EXPECT_EQ("Third", List(*form).Item(1));
  EXPECT_EQ("http://127.0.0.1:1/t.xml", p.Record(1)->FeedUrl);
  CloseAndRead(*form);
}

TEST_F(FeedEditor, ADropReturnsBeforeItsProbeAndTheFeedIsAddedAfter) {
  ScriptedResponse slow = Feed(kRss);
  slow.DelayMs = 1000;
  server.On("/slow.xml", slow);
  WriteList(kTwoFeeds);
  auto form = Open();
  DropOn(*form, Text(server.Url("/slow.xml")).get(), 1, false);
  EXPECT_TRUE(server.Requests().empty());
  EXPECT_TRUE(PumpUntil([&] { return List(*form).ItemCount() == 3; }, 30000));
  EXPECT_EQ(server.Url("/slow.xml"), form->TB_FEED.Record(1)->FeedUrl);
  EXPECT_EQ(1u, server.Requests().size());
  CloseAndRead(*form);
}

TEST_F(FeedEditor, ACorrectionAfterADragFromAnotherProgramGoesToTheEditedFeed) {
  server.On("/page.html", Feed("<html><body>no feed</body></html>"));
  WriteList(kTwoFeeds);
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  ClickEntry(*form, 0);
  TypeInto(p.ED_Name, "Alpha2");
  TypeInto(p.ED_URL, "http://127.0.0.1:1/a2.xml");
  // A link dragged over Beta, and Esc.
  DragOver(*form, Text("http://127.0.0.1:1/x").get(), 1);
  EXPECT_EQ(1, List(*form).ItemIndex());
  form->OleDropTarget.DropTarget()->DragLeave();
  p.SB_Edit.Click();
  // A page without a feed dropped on Beta: refused with a message.
  TypeInto(p.ED_Name, "Alpha3");
  EXPECT_EQ(0, Answered("情報", "OK", [&] {
                 DropOn(*form, Text(server.Url("/page.html")).get(), 1);
               }).find("データの内容の確認ができませんでした"));
  p.SB_Edit.Click();
  EXPECT_EQ(
      "*\tAlpha3\thttp://127.0.0.1:1/a2.xml\t\t\t\tSat, 01 Jan 2000 00:00:00 GMT\tlast A\r\n"
      "\tBeta\thttp://127.0.0.1:1/b.xml\t1\t10\t18\t\t\r\n",
      CloseAndRead(*form));
}

// Keys as the keyboard sends them: to the window with the focus.
void TypeOn(const std::string& keys) {
  HWND focus = GetFocus();
  PostMessageW(focus, WM_KEYDOWN, VK_END, 0);
  for (char c : keys) PostMessageW(focus, WM_CHAR, (WPARAM)(unsigned char)c, 0);
  DispatchQueuedMessages();
}

TEST_F(FeedEditor, ADragFromAnotherProgramThatPassesOrIsRefusedKeepsTheTypedEntryAndTheSelection) {
  WriteList(kTwoFeeds);
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  form->SelectFeed(-1);
  form->CheckListBoxClick(&List(*form));
  p.ED_URL.SetFocus();
  TypeInto(p.ED_URL, "http://127.0.0.1:1/typed");
  DragOver(*form, Text("http://127.0.0.1:1/x").get(), 1);
  form->OleDropTarget.DropTarget()->DragLeave();
  TypeOn(".xml");
  // Then one refused: nothing it offers fits.
  DropOn(*form, TestDataObject::Create().get(), 0);
  EXPECT_EQ(p.ED_URL.Handle(), GetFocus());
  EXPECT_EQ(0, List(*form).SelCount());
  EXPECT_EQ("http://127.0.0.1:1/typed.xml", p.ED_URL.Text());
  CloseAndRead(*form);
}

TEST_F(FeedEditor, AClickOnAnotherFeedDuringTheProbeOfACorrectionKeepsThatFeedsFields) {
  WriteList(kTwoFeeds + std::string("*\tThird\thttp://127.0.0.1:1/t.xml\r\n"));
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  HoldFeedFor("/slow.xml", [&] { ClickEntry(*form, 2); });
  ClickEntry(*form, 0);
  TypeInto(p.ED_URL, server.Url("/slow.xml"));
  TypeInto(p.ED_Name, "");
  p.SB_Edit.Click();
  EXPECT_EQ(2, List(*form).ItemIndex());
  EXPECT_EQ("Third", p.ED_Name.Text());
  EXPECT_EQ("http://127.0.0.1:1/t.xml", p.ED_URL.Text());
  EXPECT_FALSE(p.SB_Edit.Enabled());
  EXPECT_FALSE(form->FListChanged);
  CloseAndRead(*form);
}

TEST_F(FeedEditor, FeedsDroppedDuringTheProbeOfANewFeedAreAddedAfterItInTheirOrder) {
  server.On("/one.xml", Feed(kRss));
  server.On("/two.xml", Feed(kRss));
  WriteList(kTwoFeeds);
  auto form = Open();
  TFeedPage& p = form->TB_FEED;
  HoldFeedFor("/slow.xml", [&] {
    DropOn(*form, Text(server.Url("/one.xml")).get(), 99);
    DropOn(*form, Text(server.Url("/two.xml")).get(), 99);
  });
  TypeInto(p.ED_URL, server.Url("/slow.xml"));
  TypeInto(p.ED_Name, "");
  p.SB_New.Click();
  ASSERT_TRUE(PumpUntil([&] { return List(*form).ItemCount() == 5; }, 30000));
  EXPECT_EQ(server.Url("/two.xml"), p.Record(0)->FeedUrl);
  EXPECT_EQ(server.Url("/one.xml"), p.Record(1)->FeedUrl);
  EXPECT_EQ(server.Url("/slow.xml"), p.Record(2)->FeedUrl);
  CloseAndRead(*form);
}
