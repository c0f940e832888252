#include "ProxyPage.h"

#include "EnvPage.h"
#include "ProxyImport.h"
#include "SettingsLayout.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const int kPortMax = 65535;
const int kGroupFieldLeft = 104;

}  // namespace

void TProxyPage::Attach(TPageControl* pages) { Create(TTabSheetArgs().Parent(pages).Caption("接続")); }

void TProxyPage::Build() {
  CB_PreConfig.Create(TComboBoxArgs()
                          .Place(this, kGroupFieldLeft + kPageMargin, kPageMargin, 240)
                          .Style(csDropDownList)
                          .Items({"直接接続", "Windowsの設定値で接続", "プロキシサーバーを使用して接続"})
                          .Hint("デフォルトは[Windowsの設定値]です。")
                          .ShowHint(true)
                          .OnChange(Handler(this, &TProxyPage::CB_PreConfigChange)));
  PlaceCaption(LB_PreConfig, this, kPageMargin, CB_PreConfig, "接続方法(&C):");

  int width = ClientWidth() - 2 * kPageMargin;
  GB_Proxy.Create(TGroupBoxArgs().Place(this, kPageMargin, CB_PreConfig.Top() + 36, width, 200)
                      .Caption("プロキシ"));
  int top = 24;
  ED_ServerName.Create(
      TEditNextArgs().Place(&GB_Proxy, kGroupFieldLeft, top, 116, kFieldHeight).EnterNext(esEnter));
  PlaceCaption(LB_ServerName, &GB_Proxy, kPageMargin, ED_ServerName, "サーバー(&F):");
  CB_PortNumber.Create(TComboEditArgs()
                           .Place(&GB_Proxy, 0, top, 46, kFieldHeight)
                           .Spin(0, kPortMax)
                           .MinusMode(false)
                           .MaxLength(5)
                           .EnterNext(esEnter)
                           .Hint("初期値は [8080] です")
                           .ShowHint(true));
  PlaceCaption(LB_PortNumber, &GB_Proxy, ED_ServerName.Left() + ED_ServerName.Width() + 10,
               CB_PortNumber, "ポート(&P):");
  CB_PortNumber.SetLeft(LB_PortNumber.Left() + LB_PortNumber.Width() + kUnitGap);
  top += kRowPitch;
  Button5.Create(TButtonArgs()
                     .Place(&GB_Proxy, kGroupFieldLeft, top, 200, 25)
                     .Caption("Windowsの設定値を取得(&W)")
                     .OnClick(Handler(this, &TProxyPage::Button5Click)));
  top += kRowPitch + 6;
  ED_UserName.Create(
      TEditNextArgs().Place(&GB_Proxy, kGroupFieldLeft, top, 150, kFieldHeight).EnterNext(esEnter));
  PlaceCaption(LB_UserName, &GB_Proxy, kPageMargin, ED_UserName, "ユーザー名(&U):");
  top += kRowPitch;
  ED_Password.Create(
      TEditNextArgs().Place(&GB_Proxy, kGroupFieldLeft, top, 150, kFieldHeight).PasswordChar('*').EnterNext(esEnter));
  PlaceCaption(LB_Password, &GB_Proxy, kPageMargin, ED_Password, "パスワード(&P):");
  CB_AddUrl.Create(TCheckBoxArgs()
                       .Place(&GB_Proxy, kGroupFieldLeft, top, 150, 19)
                       .Visible(false)
                       .Hint("チェックを入れない場合は通常の基本的な認証方式が使用されます"));
  top += kRowPitch + 6;
  PlaceNote(Note, &GB_Proxy, kPageMargin, top, width - 2 * kPageMargin,
            {"サーバーにはIPアドレスも指定できます。", "ユーザー認証が必要なときはユーザー名とパスワード",
             "も入力します。"});
  GB_Proxy.SetHeight(Note.Top() + Note.Height() + 10);
}

void TProxyPage::Load() {
  const TTickerSettings& t = TickerSettings;
  CB_PreConfig.SetItemIndex(ValueItem(t.InternetPreConfig, CB_PreConfig.ItemCount()));
  CB_PreConfigChange(this);
  ED_ServerName.SetText(t.ProxyHost);
  CB_PortNumber.SetText(IntToStrBlankZero(t.ProxyPort));
  ED_UserName.SetText(t.ProxyUser);
  ED_Password.SetText(t.ProxyPassword);
  CB_AddUrl.SetChecked(t.ProxyCredentialsInUrl != 0);
}

void TProxyPage::Save() {
  TTickerSettings& t = TickerSettings;
  t.InternetPreConfig = ChosenValue(CB_PreConfig, t.InternetPreConfig, [](int item) { return item; });
  t.ProxyHost = ED_ServerName.Text();
  t.ProxyPort = SpinValue(CB_PortNumber);
  t.ProxyUser = ED_UserName.Text();
  t.ProxyPassword = ED_Password.Text();
  // The box only tells zero from non-zero: a stored flag it agrees with is kept as it is.
  if (CB_AddUrl.Checked() != (t.ProxyCredentialsInUrl != 0))
    t.ProxyCredentialsInUrl = CB_AddUrl.Checked() ? 1 : 0;
}

void TProxyPage::CB_PreConfigChange(TObject*) {
  bool proxy = CB_PreConfig.ItemIndex() == static_cast<int>(TConnectionMode::Proxy);
  GB_Proxy.SetEnabled(proxy);
  for (int i = 0; i < GB_Proxy.ControlCount(); ++i) GB_Proxy.Controls(i)->SetEnabled(proxy);
}

void TProxyPage::Button5Click(TObject*) {
  std::string server, port;
  if (!ReadSystemProxy(server, port)) return;
  ED_ServerName.SetText(server);
  CB_PortNumber.SetText(port);
}
