#include "EnvPage.h"

#include <cmath>

#include "shared/S_string.h"

#include "SettingsLayout.h"
#include "refresh/SetupCommand.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const int kFieldLeft = 180;

const std::vector<std::string> kNoteLines = {
    "ティッカーのスクロールはInternet Explorerの複数起動時に",
    "表示の負担が増えるため[デスクトップのみ]を推奨します。",
    "",
    "※注１ ティッカー部分でマウスのスクロールボタンによる記事の",
    "早送りや巻き戻しが使用できるようになります。環境によっては",
    "画面が乱れる場合がありますのでご注意ください。",
    "",
    "※注２ [初期値]ではティッカー部分をクリックしたときに",
    "Internet Explorerが次々に開かないように既に開いている",
    "Internet Explorerを極力再利用します。",
};

int SameValue(int item) { return item; }

}  // namespace

int SpinValue(TComboEdit& field) {
  field.ClampValue();
  return (int)std::lround(field.GetValue());
}

int KeepTimeItem(int hours) {
  int item = (hours - 24) / 24;
  return hours >= 0 && item >= 0 && item < 5 ? item : -1;
}

int KeepTimeOfItem(int item) { return 24 * item + 24; }

int FontSizeItem(int points) { return ValueItem(points - 9, 5); }

int FontSizeOfItem(int item) { return item + 9; }

int ValueItem(int value, int count) { return value >= 0 && value < count ? value : -1; }

int ChosenValue(const TComboBox& list, int keep, int (*valueOf)(int item)) {
  int item = list.ItemIndex();
  return item >= 0 ? valueOf(item) : keep;
}

void TEnvPage::Attach(TPageControl* pages) { Create(TTabSheetArgs().Parent(pages).Caption("基本設定")); }

void TEnvPage::Build() {
  int top = kPageMargin;
  BuildTiming(top);
  BuildScrolling(top);
  BuildBrowser(top);
  PlaceNote(Note, this, kPageMargin, top, ClientWidth() - 2 * kPageMargin, kNoteLines);
}

void TEnvPage::BuildTiming(int& top) {
  CB_RefreshTime.Create(TComboEditArgs()
                            .Place(this, kFieldLeft, top, 48, kFieldHeight)
                            .Spin(15, 999)
                            .MinusMode(false)
                            .MaxLength(3)
                            .EnterNext(esEnter)
                            .Hint("記事を取得する間隔を設定します 15～999分")
                            .ShowHint(true));
  PlaceCaption(LB_RefreshTime, this, kPageMargin, CB_RefreshTime, "更新頻度(&F):");
  PlaceUnit(LB_RefreshTimeUnit, CB_RefreshTime, "分");
  top += kRowPitch;

  CB_KeepTime.Create(TComboBoxArgs()
                         .Place(this, kFieldLeft, top, 64)
                         .Style(csDropDownList)
                         .Items({"24", "48", "72", "96", "120"})
                         .Hint("記事を取得する範囲を設定します 24～120時間(約5日)")
                         .ShowHint(true));
  PlaceCaption(LB_KeepTime, this, kPageMargin, CB_KeepTime, "記事の取得範囲(&T):");
  PlaceUnit(LB_KeepTimeUnit, CB_KeepTime, "時間以内");
  top += kRowPitch;

  CB_FontSize.Create(TComboBoxArgs()
                         .Place(this, kFieldLeft, top, 64)
                         .Style(csDropDownList)
                         .Items({"9", "10", "11", "12", "13"})
                         .Hint("ティッカー部分の文字サイズを設定します")
                         .ShowHint(true));
  PlaceCaption(LB_FontSize, this, kPageMargin, CB_FontSize, "ティッカーの文字サイズ(&M):");
  PlaceUnit(LB_FontSizeUnit, CB_FontSize, "ｐｔ");
  top += kRowPitch;
}

void TEnvPage::BuildScrolling(int& top) {
  CB_Scroll.Create(TComboBoxArgs()
                       .Place(this, kFieldLeft, top, 112)
                       .Style(csDropDownList)
                       .Items({"無", "１ 低", "２", "３ (標準)", "４", "５", "６ 高"})
                       .Hint("ティッカーのスクロールの有無やスピードを設定します(数字が大きいほど高速)")
                       .ShowHint(true)
                       .OnChange(Handler(this, &TEnvPage::CB_ScrollChange)));
  PlaceCaption(LB_Scroll, this, kPageMargin, CB_Scroll, "ティッカーのスクロール(&C):");
  top += kRowPitch;
  PlaceCheckBox(CB_SpeedUp, this, kFieldLeft, top - 4, "加速", "スクロールを加速する");
  PlaceCheckBox(CB_ScrollTaskBarOnly, this, CB_SpeedUp.Left() + CB_SpeedUp.Width() + 12, top - 4,
                "デスクトップのみ", "チェックOFFの場合IEを複数起動するとスクロールがCPU負担になります");
  top += kRowPitch - 4;

  CB_TickerTime.Create(TComboEditArgs()
                           .Place(this, kFieldLeft, top, 40, kFieldHeight)
                           .Spin(1, 99)
                           .MinusMode(false)
                           .MaxLength(2)
                           .EnterNext(esEnter)
                           .Hint("記事を表示する時間を設定します 1～99秒")
                           .ShowHint(true));
  PlaceCaption(LB_TickerTime, this, kPageMargin, CB_TickerTime, "記事の表示時間(&S):");
  CB_TickerScrollTime.Create(
      TComboEditArgs()
          .Place(this, 0, top, 40, kFieldHeight)
          .Spin(0, 99)
          .MinusMode(false)
          .MaxLength(2)
          .EnterNext(esEnter)
          .Hint("スクロール時の一時停止時間を設定します 0～99秒 (0秒で一時停止しない)")
          .ShowHint(true));
  PlaceCaption(LB_TickerScrollTime, this, CB_TickerTime.Left() + CB_TickerTime.Width() + 16,
               CB_TickerScrollTime, "スクロール時:");
  CB_TickerScrollTime.SetLeft(LB_TickerScrollTime.Left() + LB_TickerScrollTime.Width() + kUnitGap);
  PlaceUnit(LB_TickerScrollTimeUnit, CB_TickerScrollTime, "秒");
  top += kRowPitch + 4;

  PlaceCheckBox(CB_ScrollButton, this, kPageMargin, top, "マウスのスクロールボタンを使用 (※注１)",
                "※注２をお読み下さい");
  top += 22;
  PlaceCheckBox(CB_Description, this, kPageMargin, top,
                "ティッカー部分にマウスカーソルを置くと概要を表示",
                "概要が含まれるRSSに限り概要をポップアップ表示します");
  top += kRowPitch + 2;
}

void TEnvPage::BuildBrowser(int& top) {
  CB_CommonBrows.Create(TComboBoxArgs()
                            .Place(this, kPageMargin + 12, top + 18, 260)
                            .Style(csDropDownList)
                            .Items({"[通常使うブラウザ]と同じもの", "Internet Explorerを再利用 (初期値)",
                                    "任意のブラウザを指定する"})
                            .Hint("※注２をお読み下さい")
                            .ShowHint(true)
                            .OnChange(Handler(this, &TEnvPage::CB_CommonBrowsChange)));
  LB_CommonBrows.Create(TLabelArgs()
                            .Place(this, kPageMargin, top)
                            .Caption("デスクトップ時に使用するブラウザの指定(※注２) (&B):")
                            .FocusControl(&CB_CommonBrows));
  top = CB_CommonBrows.Top() + kRowPitch;
  const int buttonWidth = 22;
  ED_ViewSet.Create(TEditNextArgs()
                        .Place(this, CB_CommonBrows.Left(), top,
                               ClientWidth() - kPageMargin - buttonWidth - 2 - CB_CommonBrows.Left(),
                               kFieldHeight)
                        .EnterNext(esEnter)
                        .Hint("任意のブラウザを指定してください。")
                        .ShowHint(true));
  SB_ViewSet.Create(TSpeedButtonArgs()
                        .Place(this, ED_ViewSet.Left() + ED_ViewSet.Width() + 2, top, buttonWidth,
                               kFieldHeight)
                        .Caption("…")
                        .Hint("ブラウザの参照")
                        .ShowHint(true)
                        .OnClick(Handler(this, &TEnvPage::SB_ViewSetClick)));
  top += kRowPitch + 6;
}

void TEnvPage::Load() {
  const TTickerSettings& t = TickerSettings;
  CB_RefreshTime.SetValue(t.RefreshTime);
  CB_TickerTime.SetValue(t.TickerTime);
  CB_TickerScrollTime.SetValue(t.TickerScrollTime);
  CB_KeepTime.SetItemIndex(KeepTimeItem(t.KeepTime));
  CB_FontSize.SetItemIndex(FontSizeItem(t.TickerFontSize));
  CB_Scroll.SetItemIndex(ValueItem(t.TickerScroll, CB_Scroll.ItemCount()));
  CB_SpeedUp.SetChecked(t.TickerSpeedUp);
  CB_ScrollTaskBarOnly.SetChecked(t.TickerScrollTaskBar);
  CB_ScrollButton.SetChecked(t.ScrollButton);
  CB_Description.SetChecked(t.DescPopup);
  CB_ScrollChange(this);
  CB_CommonBrows.SetItemIndex(ValueItem(t.CommonBrows, CB_CommonBrows.ItemCount()));
  ED_ViewSet.SetText(t.CommonBrowsName);
  CB_CommonBrowsChange(this);
}

void TEnvPage::Save() {
  TTickerSettings& t = TickerSettings;
  t.RefreshTime = SpinValue(CB_RefreshTime);
  t.TickerTime = SpinValue(CB_TickerTime);
  t.TickerScrollTime = SpinValue(CB_TickerScrollTime);
  t.KeepTime = ChosenValue(CB_KeepTime, t.KeepTime, KeepTimeOfItem);
  t.TickerFontSize = ChosenValue(CB_FontSize, t.TickerFontSize, FontSizeOfItem);
  t.TickerScroll = ChosenValue(CB_Scroll, t.TickerScroll, SameValue);
  t.TickerSpeedUp = CB_SpeedUp.Checked();
  t.TickerScrollTaskBar = CB_ScrollTaskBarOnly.Checked();
  t.CommonBrows = ChosenValue(CB_CommonBrows, t.CommonBrows, SameValue);
  t.CommonBrowsName = ED_ViewSet.Text();
  t.ScrollButton = CB_ScrollButton.Checked();
  t.DescPopup = CB_Description.Checked();
}

void TEnvPage::CB_ScrollChange(TObject*) {
  bool scrolling = CB_Scroll.ItemIndex() > 0;
  CB_SpeedUp.SetEnabled(scrolling);
  LB_TickerScrollTime.SetEnabled(scrolling);
  LB_TickerScrollTimeUnit.SetEnabled(scrolling);
  CB_TickerScrollTime.SetEnabled(scrolling);
  CB_ScrollTaskBarOnly.SetEnabled(scrolling && !NoBandEdition);
}

void TEnvPage::CB_CommonBrowsChange(TObject*) {
  ED_ViewSet.SetEnabled(CB_CommonBrows.ItemIndex() == static_cast<int>(TBrowserChoice::Program));
  SB_ViewSet.SetEnabled(ED_ViewSet.Enabled());
}

void TEnvPage::SB_ViewSetClick(TObject*) {
  OpenDialog.Title = "ブラウザの指定";
  OpenDialog.Filter = "実行ファイル(*.exe)|*.exe";
  OpenDialog.DefaultExt = "*.exe";
  // The folder of the chosen browser: a program path is no folder to open in.
  const std::string current = ED_ViewSet.Text();
  OpenDialog.InitialDir = current.empty() ? GetProgramFolder() : ExtractFilePath(current);
  TForm* form = GetParentForm(this);
  if (OpenDialog.Execute(form ? form->Handle() : nullptr)) ED_ViewSet.SetText(OpenDialog.FileName);
}
