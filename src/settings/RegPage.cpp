#include "RegPage.h"

#include "BandServer.h"

#include "SettingsLayout.h"

namespace {

// The taskbar's menu with the band chosen, as the note describes it.
void DrawTaskbarMenu(TBitmap& b) {
  const int w = 300, h = 64;
  b.SetSize(w, h);
  TCanvas& c = b.Canvas();
  const TColor kKey = 0xFF00FF;
  c.Brush.Color = kKey;
  c.FillRect(Rect(0, 0, w, h));
  b.TransparentMode = tmFixed;
  b.TransparentColor = kKey;
  auto box = [&](RECT r) {
    c.Brush.Color = clBtnFace;
    c.FillRect(r);
    c.Brush.Color = clBtnShadow;
    c.FrameRect(r);
  };
  auto row = [&](int left, int top, int right, const std::string& text, bool chosen) {
    RECT r = Rect(left + 2, top, right - 2, top + 18);
    c.Brush.Color = chosen ? clHighlight : clBtnFace;
    c.FillRect(r);
    c.Font.SetColor(chosen ? clHighlightText : clMenuText);
    c.Brush.Style = bsClear;
    r.left += 8;
    c.DrawText(text, r, DT_SINGLELINE | DT_VCENTER);
    c.Brush.Style = bsSolid;
  };
  box(Rect(0, 4, 150, 60));
  row(0, 8, 150, "ツールバー(T)", true);
  for (int i = 0; i < 4; ++i)
    for (int y = 13 + i; y < 21 - i; ++y) c.SetPixel(136 + i, y, clHighlightText);
  row(0, 26, 150, "プロパティ(R)", false);
  box(Rect(146, 0, 300, 46));
  row(146, 4, 300, "アドレス", false);
  row(146, 22, 300, "Tessivar-Orvanel", true);
}

}  // namespace

bool RegistrationTabWanted(int windowsMajorVersion, bool noBandEdition, bool regSwitch) {
  return windowsMajorVersion <= 5 && !noBandEdition && regSwitch;
}

void TRegPage::Attach(TPageControl* pages, bool tabVisible) {
  Create(TTabSheetArgs().Parent(pages).Caption("登録/解除").TabVisible(tabVisible));
}

void TRegPage::Build() {
  int width = ClientWidth() - 2 * kPageMargin;
  LB_RegNote.Create(TLabelArgs()
                        .Place(this, kPageMargin, kPageMargin, width)
                        .WordWrap(true)
                        .Caption("通常はインストーラやアンインストーラがレジストリへの登録/解除をおこな"
                                 "いますので以下の機能を実行する必要はありません。"));
  int top = LB_RegNote.Top() + LB_RegNote.Height() + 10;
  auto bevel = [&](TPanel& line) {
    line.Create(TPanelArgs().Place(this, kPageMargin, top, width, 2).BevelOuter(bvLowered));
    top += 12;
  };
  bevel(Bevel1);
  Button3.Create(TButtonArgs()
                     .Place(this, kPageMargin, top, 200, 25)
                     .Caption("レジストリへの登録(&I)")
                     .Hint("レジストリへの登録を実行します")
                     .ShowHint(true)
                     .OnClick(Handler(this, &TRegPage::Button3Click)));
  top += 25 + 12;
  bevel(Bevel2);
  LB_MenuNote.Create(TLabelArgs()
                         .Place(this, kPageMargin, top, width)
                         .WordWrap(true)
                         .FontColor(clNavy)
                         .Caption("レジストリに登録後、タスクバー上で右クリックを実行すると、以下のような"
                                  "メニューが表示され Tessivar-Orvanelを選択します"));
  top = LB_MenuNote.Top() + LB_MenuNote.Height() + 8;
  Image_Menu.Create(TImageArgs().Place(this, kPageMargin + 12, top, 300, 64).Transparent(true));
  DrawTaskbarMenu(Image_Menu.Picture().Bitmap());
  top += 64 + 12;
  bevel(Bevel3);
  Button4.Create(TButtonArgs()
                     .Place(this, kPageMargin, top, 200, 25)
                     .Caption("レジストリの解除(&U)")
                     .Hint("レジストリの解除を実行します")
                     .ShowHint(true)
                     .OnClick(Handler(this, &TRegPage::Button4Click)));
}

void TRegPage::Button3Click(TObject*) { RegisterBandServer(false); }

void TRegPage::Button4Click(TObject*) { RegisterBandServer(true); }
