#include "FeedPage.h"

#include <memory>
#include <vector>

#include "SettingsLayout.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

namespace {

const int kButtonSide = 24;
const std::string kHourHint =
    "時間帯の範囲指定はFeedの更新タイミングに影響されますので あくまで目安です";

std::vector<std::string> HourItems(const char* minutes) {
  std::vector<std::string> items = {"指定無"};
  for (int hour = 0; hour < 24; ++hour) items.push_back(IntToStrSafe(hour) + minutes);
  return items;
}

// The orange "XML" badge browsers show for a feed.
void DrawXmlBadge(TBitmap& b) {
  b.SetSize(28, 14);
  TCanvas& c = b.Canvas();
  c.Brush.Color = 0x0066FF;
  c.FillRect(Rect(0, 0, 28, 14));
  c.Font.SetName("Arial");
  c.Font.SetHeight(-10);
  c.Font.SetStyle(fsBold);
  c.Font.SetColor(clWhite);
  c.Brush.Style = bsClear;
  RECT r = Rect(0, 0, 28, 14);
  c.DrawText("XML", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

// A triangle pointing up or down on the button face, and beside it the
// greyed one that the button shows while it is disabled.
void DrawArrowGlyph(TBitmap& b, bool up) {
  const TColor kKey = 0xFF00FF;
  b.SetSize(22, 6);
  TCanvas& c = b.Canvas();
  c.Brush.Color = kKey;
  c.FillRect(Rect(0, 0, 22, 6));
  for (int row = 0; row < 6; ++row)
    for (int x = row; x < 11 - row; ++x) {
      c.SetPixel(x, up ? 5 - row : row, clBlack);
      c.SetPixel(11 + x, up ? 5 - row : row, 0x808080);
    }
  b.TransparentMode = tmFixed;
  b.TransparentColor = kKey;
}

}  // namespace

void TFeedPage::Attach(TPageControl* pages) {
  Create(TTabSheetArgs().Parent(pages).Caption("チャンネルリスト"));
}

void TFeedPage::Build() {
  int top = kPageMargin;
  BuildList(top);
  BuildEditGroup(top);
}

void TFeedPage::BuildList(int& top) {
  Image_XML.Create(TImageArgs().Place(this, kPageMargin, top, 28, 14).Hint("XML").ShowHint(true));
  DrawXmlBadge(Image_XML.Picture().Bitmap());
  LB_Drop.Create(TLabelArgs().Place(this, Image_XML.Left() + 28 + 8, top)
                     .Caption("ブラウザなどからのドラッグ＆ドロップで追加できます"));
  LB_Drop.SetTop(top + (14 - LB_Drop.Height()) / 2);
  top += 20;
  int listWidth = ClientWidth() - 2 * kPageMargin - kButtonSide - 6;
  CheckListBox.Create(TCheckListBoxArgs()
                          .Place(this, kPageMargin, top, listWidth, 184)
                          .MultiSelect(true)
                          .Hint("ドラッグ＆ドロップでFeedデータを追加したり、並べ替えができます")
                          .ShowHint(true));
  int buttonLeft = CheckListBox.Left() + listWidth + 6;
  TBitmap up, down;
  DrawArrowGlyph(up, true);
  DrawArrowGlyph(down, false);
  SB_Up.Create(TSpeedButtonArgs()
                   .Place(this, buttonLeft, top, kButtonSide, kButtonSide)
                   .Glyph(&up)
                   .NumGlyphs(2)
                   .Hint("上へ")
                   .ShowHint(true));
  SB_Down.Create(TSpeedButtonArgs()
                     .Place(this, buttonLeft, top + kButtonSide + 4, kButtonSide, kButtonSide)
                     .Glyph(&down)
                     .NumGlyphs(2)
                     .Hint("下へ")
                     .ShowHint(true));
  top += CheckListBox.Height() + 8;
}

void TFeedPage::BuildEditGroup(int top) {
  const int fieldLeft = 84;
  int width = ClientWidth() - 2 * kPageMargin;
  GB_Edit.Create(TGroupBoxArgs().Place(this, kPageMargin, top, width, 200).Caption("編集"));
  int y = 22;
  int fieldWidth = width - fieldLeft - kPageMargin;
  ED_URL.Create(TComboEditArgs()
                    .Place(&GB_Edit, fieldLeft, y, fieldWidth, kFieldHeight)
                    .Hint("FeedのURLを入力します")
                    .ShowHint(true));
  PlaceCaption(LB_URL, &GB_Edit, kPageMargin, ED_URL, "URL(&U):");
  y += kRowPitch;
  ED_Name.Create(TComboEditArgs()
                     .Place(&GB_Edit, fieldLeft, y, fieldWidth, kFieldHeight)
                     .Hint("Feedを提供しているサイトの名前を入力します")
                     .ShowHint(true));
  PlaceCaption(LB_Name, &GB_Edit, kPageMargin, ED_Name, "名前(&N):");
  y += kRowPitch;
  CB_TimeSt.Create(TComboBoxArgs()
                       .Place(&GB_Edit, fieldLeft, y, 76)
                       .Style(csDropDownList)
                       .Items(HourItems(":00"))
                       .ItemIndex(0)
                       .DropDownCount(30)
                       .Color(0xC4FFFF)
                       .Hint(kHourHint)
                       .ShowHint(true));
  PlaceCaption(LB_Time, &GB_Edit, kPageMargin, CB_TimeSt, "時間帯(&T):");
  PlaceUnit(LB_TimeStUnit, CB_TimeSt, "時頃から");
  CB_TimeEn.Create(TComboBoxArgs()
                       .Place(&GB_Edit, LB_TimeStUnit.Left() + LB_TimeStUnit.Width() + 10, y, 76)
                       .Style(csDropDownList)
                       .Items(HourItems(":59"))
                       .ItemIndex(0)
                       .DropDownCount(30)
                       .Color(0xF7F3DB)
                       .Hint(kHourHint)
                       .ShowHint(true));
  PlaceUnit(LB_TimeEnUnit, CB_TimeEn, "時頃迄");
  y += kRowPitch;
  PlaceNote(Note, &GB_Edit, fieldLeft, y, fieldWidth,
            {"時間帯の範囲指定は更新頻度とのタイムラグがありますのである程度の余裕を持った範囲指定をお願いします。"});
  y = Note.Top() + Note.Height() + 4;
  PlaceCheckBox(CB_Rank, &GB_Edit, fieldLeft, y, "ランキング形式のもの (iTunes Musicなど)",
                "ランキング形式のFeedデータを提供しているサイトの場合はチェックON");
  y += kRowPitch;
  const int buttonWidth = 96, gap = 6;
  int left = width - kPageMargin - 3 * buttonWidth - 2 * gap;
  SB_New.Create(TSpeedButtonArgs()
                    .Place(&GB_Edit, left, y, buttonWidth, 24)
                    .Caption("新規に追加(&A)")
                    .Hint("現在の入力内容を追加します")
                    .ShowHint(true));
  SB_Edit.Create(TSpeedButtonArgs()
                     .Place(&GB_Edit, left + buttonWidth + gap, y, buttonWidth, 24)
                     .Caption("訂正(&E)")
                     .Hint("選択されている項目を現在の入力内容で訂正します")
                     .ShowHint(true)
                     .Enabled(false));
  SB_Delete.Create(TSpeedButtonArgs()
                       .Place(&GB_Edit, left + 2 * (buttonWidth + gap), y, buttonWidth, 24)
                       .Caption("削除(&D)")
                       .Hint("選択されている項目を削除します")
                       .ShowHint(true));
  GB_Edit.SetHeight(y + 24 + 10);
}

void TFeedPage::AddEntry(const TFeedListEntry& entry) {
  InsertEntry(CheckListBox.ItemCount(), entry);
}

int TFeedPage::InsertEntry(int index, const TFeedListEntry& entry) {
  if (index < 0 || index > CheckListBox.ItemCount()) index = CheckListBox.ItemCount();
  CheckListBox.InsertItem(index, entry.FeedName);
  CheckListBox.SetChecked(index, entry.IsChecked());
  auto record = std::make_unique<TFeedRecord>();
  record->FeedUrl = entry.FeedUrl;
  record->LastModified = entry.LastModified;
  record->LatestItemTitle = entry.LatestItemTitle;
  record->RankingFeed = entry.RankingFeed;
  record->StartHour = entry.StartHour;
  record->EndHour = entry.EndHour;
  CheckListBox.SetObject(index, std::move(record));
  return index;
}

TFeedRecord* TFeedPage::Record(int index) const {
  return dynamic_cast<TFeedRecord*>(CheckListBox.Objects(index));
}

TFeedListEntry TFeedPage::Entry(int index) const {
  TFeedListEntry entry;
  entry.Enabled = CheckListBox.Checked(index) ? "*" : "";
  entry.FeedName = CheckListBox.Item(index);
  if (const TFeedRecord* r = Record(index)) {
    entry.FeedUrl = r->FeedUrl;
    entry.RankingFeed = r->RankingFeed;
    entry.StartHour = r->StartHour;
    entry.EndHour = r->EndHour;
    entry.LastModified = r->LastModified;
    entry.LatestItemTitle = r->LatestItemTitle;
  }
  return entry;
}

bool TFeedPage::LoadList(const std::string& path) {
  std::vector<TFeedListEntry> entries;
  const bool read = ReadFeedList(path, entries) || !FileExists(path);
  bool buffered = CheckListBox.DoubleBuffered;
  CheckListBox.DoubleBuffered = true;
  CheckListBox.ClearItems();
  for (const TFeedListEntry& e : entries) AddEntry(e);
  CheckListBox.DoubleBuffered = buffered;
  CheckListBox.SetItemIndex(entries.empty() ? -1 : 0);
  ShowFeedFields(CheckListBox.ItemIndex());
  return read;
}

bool TFeedPage::SaveList(const std::string& path) {
  std::vector<TFeedListEntry> entries;
  for (int i = 0; i < CheckListBox.ItemCount(); ++i) entries.push_back(Entry(i));
  return SaveFeedList(path, entries);
}

void TFeedPage::ShowFeedFields(int index) {
  const TFeedRecord* r = Record(index);
  ++fieldsShown_;
  ED_Name.SetText(r ? TrimSpaces(CheckListBox.Item(index)) : std::string());
  ED_URL.SetText(r ? TrimSpaces(r->FeedUrl) : std::string());
  CB_Rank.SetChecked(r && r->RankingFeed != 0);
  CB_TimeSt.SetItemIndex(r ? r->StartHour : 0);
  CB_TimeEn.SetItemIndex(r ? r->EndHour : 0);
}
