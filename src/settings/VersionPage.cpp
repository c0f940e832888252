#include "VersionPage.h"

#include "SettingsLayout.h"
#include "SettingsReset.h"
#include "refresh/SetupCommand.h"
#include "shared/MakerSite.h"
#include "shared/S_string.h"
#include "refresh/OemPackage.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const char kDefaultCustomMessage[] =
    "このプログラムは以下の会社にカスタマイズ版として提供しております。"
    "お問い合わせに関しましては以下のページにジャンプしてご覧下さい。";

}  // namespace

void TVersionPage::Attach(TPageControl* pages) {
  Create(TTabSheetArgs().Parent(pages).Caption("バージョン情報"));
}

void TVersionPage::Build() {
  int width = ClientWidth() - 2 * kPageMargin;
  PL_Top.Create(TPanelArgs()
                    .Place(this, kPageMargin, kPageMargin, width, 84)
                    .BevelOuter(bvLowered)
                    .BevelInner(bvRaised)
                    .ParentColor(true));
  ProgramIcon.Create(TImageArgs()
                         .Place(&PL_Top, 14, 16, 52, 52)
                         .Center(true)
                         .Cursor(crHandPoint)
                         .Hint("Pelmoriad Tessivar-Orvanelのページへ")
                         .ShowHint(true)
                         .OnClick(Handler(this, &TVersionPage::ProgramIconClick)));
  TFont title = Font();
  title.SetHeight(-16);
  title.SetStyle(fsBold);
  ProductName.Create(TLabelArgs().Place(&PL_Top, 84, 14).Caption("Tessivar-Orvanel").Font(title));
  Version.Create(TLabelArgs().Place(&PL_Top, 86, ProductName.Top() + ProductName.Height() + 4)
                     .Caption("Version.x.xx"));
  Copyright.Create(TLabelArgs()
                       .Place(&PL_Top, 86, Version.Top() + Version.Height() + 6)
                       .Caption("Copyright (C) Pelmoriad. All rights reserved.")
                       .FontColor(clBlue)
                       .FontStyle(fsUnderline)
                       .Cursor(crHandPoint)
                       .Hint("Pelmoriadのホームページへ")
                       .ShowHint(true)
                       .OnClick(Handler(this, &TVersionPage::CopyrightClick)));

  // The reset button keeps to the page's foot; the OEM panel fills the space above it.
  const int buttonTop = ClientHeight() - kPageMargin - 25;
  const int oemTop = PL_Top.Top() + PL_Top.Height() + 10;
  PL_Oem.Create(TPanelArgs()
                    .Place(this, kPageMargin, oemTop, width, buttonTop - 12 - oemTop)
                    .BevelOuter(bvLowered)
                    .BevelInner(bvRaised)
                    .ParentColor(true)
                    .Visible(false));
  const int edge = 10;  // an 8-pixel border inside the etched frame
  int inner = width - 2 * edge;
  LB_CustomMess.Create(TLabelArgs()
                           .Place(&PL_Oem, edge, edge, inner)
                           .WordWrap(true)
                           .FontColor(clNavy)
                           .Caption(kDefaultCustomMessage));
  LB_OemHome.Create(TLabelArgs()
                        .Place(&PL_Oem, edge, PL_Oem.Height() - edge - 16, inner, 16)
                        .AutoSize(false)
                        .Alignment(taCenter)
                        .FontColor(clBlue)
                        .FontStyle(fsUnderline)
                        .Cursor(crHandPoint)
                        .Hint("ホームページへ")
                        .ShowHint(true)
                        .OnClick(Handler(this, &TVersionPage::LB_OemHomeClick)));
  int imageTop = LB_CustomMess.Top() + LB_CustomMess.Height() + 6;
  Image_Oem.Create(TImageArgs()
                       .Place(&PL_Oem, edge, imageTop, inner, LB_OemHome.Top() - 6 - imageTop)
                       .Center(true)
                       .Cursor(crHandPoint)
                       .Hint("ホームページへ")
                       .ShowHint(true)
                       .OnClick(Handler(this, &TVersionPage::LB_OemHomeClick)));

  Button1.Create(TButtonArgs()
                     .Place(this, kPageMargin, buttonTop, 250, 25)
                     .Caption("全ての設定を初期状態に戻す(&R)...")
                     .Hint("RSS/Atomの登録リストも初期状態に戻ります")
                     .ShowHint(true)
                     .OnClick(Handler(this, &TVersionPage::Button1Click)));
}

void TVersionPage::ShowProgram(bool tickerEdition) {
  Currency numeric = 0;
  std::string display = "x.xx";
  int build = 0;
  GetFileVersionStr(numeric, display, build, "");
  Version.SetCaption("Version." + display);
  if (tickerEdition) ProductName.SetCaption("Tessivar-Ticker");
  SetupOemPanel();
}

void TVersionPage::SetupOemPanel() {
  const TTickerSettings& t = TickerSettings;
  bool expired = t.OemDateMode > 0 && t.OemDateFlag;
  bool own = t.OemName != "Pelmoriad" || t.ProgName != "Tessivar-Orvanel";
  PL_Oem.SetVisible(!expired && t.logoFile != 0 && own);
  if (!PL_Oem.Visible()) return;
  if (!t.OemMessage.empty()) LB_CustomMess.SetCaption(t.OemMessage);
  if (t.logoFile <= 0) return;
  LB_OemHome.SetCaption(t.OemName);
  const std::string logoFile = OemDataFolder + "logo.bmp";
  if (HBITMAP logo = OemLogoBitmap()) {
    Image_Oem.Picture().Bitmap().Assign(logo);
  } else if (FileExists(logoFile)) {
    Image_Oem.Picture().LoadFromFile(logoFile);
  }
}

void TVersionPage::ShowProgramIcon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
  if (!icon) icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
  TIcon picture;
  picture.SetHandle(icon);
  ProgramIcon.Picture().Assign(&picture);
}

void TVersionPage::ProgramIconClick(TObject*) {
  ShellOpen(NoBandEdition ? MakerDeskPage() : MakerBandPage());
}

void TVersionPage::CopyrightClick(TObject*) { ShellOpen(MakerHomePage()); }

void TVersionPage::LB_OemHomeClick(TObject*) {
  // The address may come from a downloaded OEM package: only a web page is opened.
  if (IsWebAddress(TickerSettings.UrlHome)) ShellOpen(TickerSettings.UrlHome);
}

void TVersionPage::Button1Click(TObject*) { RunSettingsReset(); }
