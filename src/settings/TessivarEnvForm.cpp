#include "TessivarEnvForm.h"

#include "BandServer.h"
#include "OpmlExport.h"
#include "classlib/Application.h"
#include "classlib/Guard.h"
#include "refresh/FeedProbe.h"
#include "shared/FeedFiles.h"
#include "shared/L_Dialog.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

const char ShortIntervalQuestion[] =
    "自動更新の間隔が３０分未満に変更されました\r\n\r\n"
    "多くのサイトは３０分以上の更新頻度で十分ですのでサイトの\r\n"
    "保護/負荷軽減にご協力をお願い致します．\r\n\r\n"
    "再設定する場合は[キャンセル]を選択してください．";
const char WriteFailedQuestion[] = "設定ファイルの書き込みができません． 強制終了しますか？";
const char UnreadableFeedListMessage[] =
    "チャンネルリストのファイルが読み込めませんでした．\r\n"
    "(他のプログラムが使用している可能性があります)\r\n\r\n"
    "この画面を閉じてもチャンネルリストは保存されません．";

namespace {

const int kClientWidth = 405, kClientHeight = 518;
const int kFocusControlHeight = 11;
const int kButtonWidth = 100, kButtonHeight = 25;
const int kShortInterval = 30;

}  // namespace

TSetForm::TSetForm() {
  Create(TFormArgs()
             .Caption("設定")
             .BorderStyle(bsDialog)
             .BorderIcons(biSystemMenu)
             .FormStyle(fsStayOnTop)
             .Position(poScreenCenter)
             .ClientSize(kClientWidth, kClientHeight)
             .ShowHint(true)
             .OnCreate(Handler(this, &TSetForm::FormCreate))
             .OnShow(Handler(this, &TSetForm::FormShow))
             .OnCloseQuery(Handler(this, &TSetForm::FormCloseQuery)));
  const int buttonTop = kClientHeight - kFocusControlHeight - kButtonHeight - 6;
  PageControl.Create(TPageControlArgs()
                         .Place(this, 4, 4, kClientWidth - 8, buttonTop - 10)
                         .MultiLine(true)
                         .TabStop(false)
                         .OnChange(Handler(this, &TSetForm::PageControlChange)));
  ButtonOPML.Create(TButtonArgs()
                        .Place(this, 4, buttonTop, kButtonWidth, kButtonHeight)
                        .Caption("OPML出力(&O)")
                        .OnClick(Handler(this, &TSetForm::ButtonOPMLClick)));
  Button2.Create(TButtonArgs()
                     .Place(this, kClientWidth - 4 - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight)
                     .Caption("閉じる(&R)")
                     .Hint("保存後に閉じる")
                     .ShowHint(true)
                     .OnClick(Handler(this, &TSetForm::Button2Click)));
  FocusControl.Create(TWinControlArgs()
                          .Parent(this)
                          .Align(alBottom)
                          .Height(kFocusControlHeight)
                          .TabStop(false)
                          .ParentColor(true));
  TDFItem& files = OleDropTarget.Formats().Add();
  files.SetFormatName("CF_HDROP");
  TDFItem& text = OleDropTarget.Formats().Add();
  text.SetFormatName("CF_TEXT");
  text.DropEffects = TDropEffects{ekCopy, ekLink};
}

TSetForm::~TSetForm() {
  DoDestroy();
  OleDropTarget.SetWinControl(nullptr);
}

void TSetForm::BuildPages() {
  TB_ENV.Attach(&PageControl);
  TB_FEED.Attach(&PageControl);
  TB_KEYWORD.Attach(&PageControl);
  TB_Proxy.Attach(&PageControl);
  TB_VER.Attach(&PageControl);
  TB_REG.Attach(&PageControl, RegistrationTabWanted((int)WindowsVersion().Major, NoBandEdition,
                                                    TickerSettings.RegSwitch));
  // The pages' sizes come from the tab control's own measure of its tabs.
  PageControl.HandleNeeded();
  PageControl.Realign();
  TB_ENV.Build();
  TB_FEED.Build();
  TB_KEYWORD.Build();
  TB_Proxy.Build();
  TB_VER.Build();
  TB_REG.Build();
  TB_ENV.CB_RefreshTime.OnChange = Handler(this, &TSetForm::CB_RefreshTimeChange);
  PageControl.SetActivePage(&TB_ENV);
}

void TSetForm::FormCreate(TObject*) {
  BuildPages();
  TB_VER.ShowProgram(NoBandEdition);
  FLoadedIndex = -1;
  WireFeedEditor();
  OleDropTarget.SetWinControl(this);
}

void TSetForm::FormShow(TObject*) {
  TB_VER.ShowProgramIcon();
  TB_KEYWORD.Load();
  TB_ENV.Load();
  TB_Proxy.Load();
  TB_FEED.CheckListBox.SetItemHeight(std::abs(Font().Height()) + 1);
  SaveDialog.FileName = DefaultOpmlFileName();
  FListUnreadable = !TB_FEED.LoadList(DataFolder + FeedListFileName);
  FLoadedIndex = -1;
  CheckListBoxClick(&TB_FEED.CheckListBox);
  FRefreshTimeChanged = false;
  if (FListUnreadable) ShowMsg(UnreadableFeedListMessage, mtInformation);
}

void TSetForm::HandleMessage(TMessage& m) {
  if (m.Msg == WM_QUERYENDSESSION) endingSession_ = true;
  TForm::HandleMessage(m);
  if (m.Msg == WM_QUERYENDSESSION) endingSession_ = false;
}

void TSetForm::FormCloseQuery(TObject*, bool& canClose) {
  // A probe or a registration serves the message queue while it waits; the
  // dialog must outlive it, unless the session ends: then the probe's feed
  // is given up and the dialog saves what it holds.
  if (ProbeRunning() || RegistrationRunning()) {
    if (!endingSession_) {
      MessageBeep(MB_OK);
      canClose = false;
      return;
    }
    AbandonProbe();
  }
  // The text as typed: a value below the field's minimum is below 30 as well.
  if (FRefreshTimeChanged && TB_ENV.CB_RefreshTime.GetValue() < kShortInterval &&
      !ConfirmMsg(ShortIntervalQuestion, mtConfirmation, false)) {
    canClose = false;
    return;
  }
  ForceFolder(DelBackslash(DataFolder));
  if (SettingsReset) return;
  if (!SaveSettings()) canClose = ConfirmMsg(WriteFailedQuestion, mtConfirmation, false);
}

bool TSetForm::SaveSettings() {
  try {
    if (FListChanged && !FListUnreadable && !TB_FEED.SaveList(DataFolder + FeedListFileName))
      return false;
    AccessTickerIni(TickerIniPath, "R");
    TB_KEYWORD.Save();
    TB_ENV.Save();
    TB_Proxy.Save();
    return AccessTickerIni(TickerIniPath, "W");
  } catch (const std::exception&) {
    return false;
  }
}

void TSetForm::Button2Click(TObject*) { Close(); }

void TSetForm::PageControlChange(TObject*) {
  ButtonOPML.SetEnabled(PageControl.ActivePage() == &TB_FEED);
  // The focus only keeps carets out of the pages' edits, and keys off the
  // pages' buttons; a hidden dialog takes it when shown.
  SetActiveControl(&FocusControl);
}

void TSetForm::CB_RefreshTimeChange(TObject*) { FRefreshTimeChanged = true; }

TTabSheet* TSetForm::StartPage(TStartPage page) {
  switch (page) {
    case TStartPage::Feed: return &TB_FEED;
    case TStartPage::Version: return &TB_VER;
    case TStartPage::Reg: return &TB_REG;
    default: return &TB_ENV;
  }
}

void TSetForm::ButtonOPMLClick(TObject*) {
  std::vector<TFeedListEntry> feeds;
  for (int i = 0; i < TB_FEED.CheckListBox.ItemCount(); ++i) feeds.push_back(TB_FEED.Entry(i));
  if (feeds.empty()) {
    ShowMsg("出力するリストはありません．", mtInformation);
    return;
  }
  SaveDialog.Title = "OPMLファイルの保存";
  SaveDialog.Filter = "OPMLファイル|*.opml;*.xml";
  SaveDialog.DefaultExt = "opml";
  SaveDialog.Options = ofOverwritePrompt | ofHideReadOnly | ofEnableSizing;
  if (!SaveDialog.Execute(Handle())) return;
  if (!WriteOpmlFile(SaveDialog.FileName, feeds)) {
    ShowMsg("OPMLファイルの保存ができませんでした．", mtInformation);
    return;
  }
  ShowMsg(
      "OPMLファイルの保存は終了しました．\r\n\r\n(保存したOPMLファイルはリストにドラッグ＆ドロップ"
      "することで再利用できます)",
      mtInformation);
}

void OpenSettingsDialog(TSetForm& form, const TSettingsStart& start) {
  form.PageControl.SetActivePage(form.StartPage(start.Page));
  // A window that cannot be drawn yet still runs.
  Guard("show settings dialog", [&] {
    form.Show();
    form.Repaint();
  });
  if (!start.FeedUrl.empty()) {
    form.FDropIndex = -1;
    form.AddFeedUrl(start.FeedUrl);
  }
  form.ButtonOPML.SetEnabled(form.PageControl.ActivePage() == &form.TB_FEED &&
                             form.TB_FEED.CheckListBox.ItemCount() > 0);
}

void RunSettingsDialog(const TSettingsStart& start) {
  Application.ShowMainForm = false;
  TSetForm form;
  Application.CreateForm(form);
  OpenSettingsDialog(form, start);
  Application.Run();
}
