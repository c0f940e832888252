#include "Gallery.h"

Gallery::Gallery() {
  Create(TFormArgs().Caption("設定").BorderStyle(bsDialog).ClientSize(405, 330).Left(20).Top(20));
  Pages.Create(TPageControlArgs().Place(this, 4, 4, 397, 300));
  Sheet.Create(TTabSheetArgs().Parent(&Pages).Caption("基本設定"));
  Other.Create(TTabSheetArgs().Parent(&Pages).Caption("接続"));
  const std::vector<std::string> hours = {"24", "48", "72", "96", "120"};
  LabelEdit.Create(TLabelArgs().Place(&Sheet, 12, 15).Caption("名前(&N):"));
  Edit.Create(TEditNextArgs()
                  .Place(&Sheet, 150, 12, 200)
                  .Text("ニュース")
                  .EnterNext(esEnter | esUp | esDown)
                  .FocusColorChange(true)
                  .FocusColor(0xE0FFFF));
  LabelSpin.Create(TLabelArgs().Place(&Sheet, 12, 42).Caption("更新頻度(&F):"));
  Spin.Create(TComboEditArgs()
                  .Place(&Sheet, 150, 39, 50)
                  .Spin(15, 999)
                  .MaxLength(3)
                  .NoFocusButton(true)
                  .Alignment(taRightJustify)
                  .Text("30"));
  LabelUnit.Create(TLabelArgs().Place(&Sheet, 206, 42).Caption("分"));
  LabelEllipsis.Create(TLabelArgs().Place(&Sheet, 12, 69).Caption("ブラウザ(&B):"));
  Ellipsis.Create(TComboEditArgs()
                      .Place(&Sheet, 150, 66, 200)
                      .EditStyle(esEllipsis)
                      .NoFocusButton(true)
                      .Text("C:\\Program Files\\browser.exe"));
  LabelPick.Create(TLabelArgs().Place(&Sheet, 12, 96).Caption("記事の取得範囲(&T):"));
  Pick.Create(TComboEditArgs()
                  .Place(&Sheet, 150, 93, 60)
                  .EditStyle(esPickList)
                  .Items(hours)
                  .NoFocusButton(true)
                  .Text("48"));
  LabelDrop.Create(TLabelArgs().Place(&Sheet, 12, 123).Caption("スクロール(&C):"));
  Drop.Create(TComboEditArgs()
                  .Place(&Sheet, 150, 120, 120)
                  .EditStyle(esDropList)
                  .NoFocusButton(true)
                  .NumKey(true)
                  .Items({"無", "１ 低", "２", "３ (標準)", "-", "４", "５", "６ 高"})
                  .ItemIndex(3)
                  .SepaLine(true));
  LabelDate.Create(TLabelArgs().Place(&Sheet, 12, 150).Caption("日付(&D):"));
  Date.Create(TComboEditArgs()
                  .Place(&Sheet, 150, 147, 110)
                  .EditStyle(esDate)
                  .NoFocusButton(true)
                  .FormatDateStr("yyyy/mm/dd")
                  .Text("2024/02/29"));
  Group.Create(TGroupBoxArgs().Place(&Sheet, 8, 174, 375, 64).Caption("プロキシ"));
  LabelServer.Create(TLabelArgs().Place(&Group, 12, 25).Caption("サーバー(&F):"));
  Server.Create(TEditNextArgs().Place(&Group, 142, 22, 150).Text("proxy.example.jp"));
  Check.Create(TCheckBoxArgs().Place(&Group, 142, 46, 150).Caption("加速").Checked(true));
  Plain.Create(TSpeedButtonArgs().Place(&Sheet, 12, 244, 23, 22).Caption("…"));
  Flat.Create(TSpeedButtonArgs().Place(&Sheet, 40, 244, 23, 22).Caption("F").Flat(true));
  GroupA.Create(
      TSpeedButtonArgs().Place(&Sheet, 68, 244, 23, 22).Caption("A").GroupIndex(1).Down(true));
  GroupB.Create(TSpeedButtonArgs().Place(&Sheet, 96, 244, 23, 22).Caption("B").GroupIndex(1));
  Focus.Create(TWinControlArgs().Place(this, 0, 319, 405, 11));
}

Gallery& TheGallery() {
  static Gallery* gallery = [] {
    auto* g = new Gallery;
    g->Show();
    return g;
  }();
  return *gallery;
}
