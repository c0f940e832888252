#include "TessivarEnvForm.h"

#include <windows.h>

#include "classlib/Guard.h"
#include "classlib/StringList.h"
#include "classlib/Text.h"
#include "refresh/FeedProbe.h"
#include "shared/L_Dialog.h"
#include "shared/S_Xml.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

const TColor kUncheckedColor = 0xC0C0C0;
const TColor kRankingColor = 0xFF0000;
const TColor kHourColor = 0x808080;

// Name and URL become fields of a TAB-separated line and attributes of an
// exported OPML file: control characters go (no Shift-JIS pair holds one).
std::string CleanFeedText(const std::string& s) {
  std::string out;
  for (char c : s)
    if ((unsigned char)c >= 0x20) out += c;
  return TrimSpaces(out);
}

bool SameFeedText(const std::string& a, const std::string& b) {
  return CompareTextSJ(TrimSpaces(a), TrimSpaces(b)) == 0;
}

}  // namespace

void TSetForm::WireFeedEditor() {
  TFeedPage& p = TB_FEED;
  p.CheckListBox.OnClick = Handler(this, &TSetForm::CheckListBoxClick);
  p.CheckListBox.OnKeyDown = Handler(this, &TSetForm::CheckListBoxKeyDown);
  p.CheckListBox.OnClickCheck = Handler(this, &TSetForm::CheckListBoxClickCheck);
  p.CheckListBox.OnDrawItem = Handler(this, &TSetForm::CheckListBoxDrawItem);
  p.CheckListBox.OnMouseDown = Handler(this, &TSetForm::CheckListBoxMouseDown);
  p.CheckListBox.OnMouseMove = Handler(this, &TSetForm::CheckListBoxMouseMove);
  p.CheckListBox.OnMouseUp = Handler(this, &TSetForm::CheckListBoxMouseUp);
  p.ED_URL.OnChange = Handler(this, &TSetForm::ED_URLChange);
  p.ED_Name.OnChange = Handler(this, &TSetForm::ED_URLChange);
  p.CB_TimeSt.OnChange = Handler(this, &TSetForm::ED_URLChange);
  p.CB_TimeEn.OnChange = Handler(this, &TSetForm::ED_URLChange);
  p.CB_Rank.OnClick = Handler(this, &TSetForm::ED_URLChange);
  p.SB_New.OnClick = Handler(this, &TSetForm::SB_NewClick);
  p.SB_Edit.OnClick = Handler(this, &TSetForm::SB_EditClick);
  p.SB_Delete.OnClick = Handler(this, &TSetForm::SB_DeleteClick);
  p.SB_Up.OnClick = Handler(this, &TSetForm::SB_UpClick);
  p.SB_Down.OnClick = Handler(this, &TSetForm::SB_UpClick);
  WireDrops();
}

void TSetForm::CheckListBoxClick(TObject*) {
  TFeedPage& p = TB_FEED;
  TCheckListBox& list = p.CheckListBox;
  const int i = list.ItemIndex(), n = list.SelCount();
  FFilling = true;
  if (i < 0 || n != 1) {
    p.ShowFeedFields(-1);
    SetEditButtonState(false);
  } else if (FLoadedIndex != i) {
    // The rank box's click handler runs from here; the list stays usable.
    Guard("feed fields", [&] { p.ShowFeedFields(i); });
    SetEditButtonState(false);
  }
  FFilling = false;
  FLoadedIndex = n == 1 ? i : -2 * n - 2;
  const bool single = n < 2;
  for (TControl* c : std::initializer_list<TControl*>{&p.SB_New, &p.ED_URL, &p.ED_Name,
                                                      &p.CB_TimeSt, &p.CB_TimeEn, &p.CB_Rank})
    c->SetEnabled(single);
  p.SB_Up.SetEnabled(i > 0 && n == 1);
  p.SB_Down.SetEnabled(i >= 0 && i < list.ItemCount() - 1 && n == 1);
  p.SB_Delete.SetEnabled(i >= 0);
}

void TSetForm::SetEditButtonState(bool on) {
  TSpeedButton& b = TB_FEED.SB_Edit;
  b.SetEnabled(on);
  TFont font = b.Font();
  font.SetColor(on ? kRankingColor : clBlack);
  font.SetStyle(on ? TFontStyles(fsBold) : TFontStyles(0));
  b.SetFont(font);
}

void TSetForm::ED_URLChange(TObject*) {
  if (FFilling) return;
  TCheckListBox& list = TB_FEED.CheckListBox;
  SetEditButtonState(list.ItemIndex() >= 0 && list.SelCount() == 1);
}

void TSetForm::SelectFeed(int index) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  if (index >= list.ItemCount()) return;
  // In a multiple-selection list this clears the others and scrolls the
  // entry into view.
  list.SetItemIndex(index);
}

int TSetForm::FindFeedUrl(const std::string& url) {
  for (int i = 0; i < TB_FEED.CheckListBox.ItemCount(); ++i) {
    const TFeedRecord* r = TB_FEED.Record(i);
    if (r && SameFeedText(r->FeedUrl, url)) return i;
  }
  return -1;
}

bool TSetForm::CheckEntryFields(bool testDuplicates, int skipIndex) {
  TFeedPage& p = TB_FEED;
  if (TrimSpaces(p.ED_URL.Text()).empty()) {
    ShowMsg("URLが入力されていません．", mtInformation);
    return false;
  }
  if ((p.CB_TimeSt.ItemIndex() <= 0) != (p.CB_TimeEn.ItemIndex() <= 0)) {
    ShowMsg("時間帯の指定は開始時刻と終了時刻をセットで指定してください．", mtInformation);
    return false;
  }
  if (TrimSpaces(p.ED_Name.Text()).empty()) {
    std::string url = p.ED_URL.Text(), result;
    const int shown = p.FieldsShown();
    if (!ProbeFeedBeforeDrops(url, result)) return false;
    // A click while the probe served the queue gave the fields to another
    // row or emptied them: the result is not theirs.
    if (p.FieldsShown() != shown) return false;
    if (result.find('\t') == std::string::npos) {
      p.ED_Name.SetText(CleanFeedText(result));
      p.ED_URL.SetText(CleanFeedText(url));
    }
    if (TrimSpaces(p.ED_Name.Text()).empty()) {
      ShowMsg("名前が入力されていません．", mtInformation);
      return false;
    }
  }
  if (!testDuplicates) return true;
  TCheckListBox& list = p.CheckListBox;
  if (list.SelCount() > 1) return false;
  for (int k = 0; k < list.ItemCount(); ++k) {
    if (k == skipIndex) continue;
    if (SameFeedText(p.ED_URL.Text(), p.Record(k) ? p.Record(k)->FeedUrl : "")) {
      ShowMsg("フィードのURLが重複しています．", mtInformation);
      return false;
    }
    if (SameFeedText(p.ED_Name.Text(), list.Item(k))) {
      ShowMsg("名前が重複しています．", mtInformation);
      return false;
    }
  }
  return true;
}

void TSetForm::InsertFeed(int position) {
  if (!CheckEntryFields(false, -1)) return;
  TFeedPage& p = TB_FEED;
  TCheckListBox& list = p.CheckListBox;
  FListChanged = true;
  TFeedListEntry entry;
  entry.Enabled = "*";
  entry.FeedName = CleanFeedText(p.ED_Name.Text());
  entry.FeedUrl = CleanFeedText(p.ED_URL.Text());
  entry.RankingFeed = p.CB_Rank.Checked() ? 1 : 0;
  entry.StartHour = std::max(0, p.CB_TimeSt.ItemIndex());
  entry.EndHour = std::max(0, p.CB_TimeEn.ItemIndex());
  const int count = list.ItemCount();
  int index = p.InsertEntry(position >= 0 && position < count ? position : 0, entry);
  SelectFeed(index);
  FLoadedIndex = -1;
  CheckListBoxClick(&list);
  list.SetFocus();
}

void TSetForm::SB_NewClick(TObject*) {
  if (CheckEntryFields(true, -1)) InsertFeed(-1);
}

void TSetForm::SB_EditClick(TObject*) {
  TFeedPage& p = TB_FEED;
  TCheckListBox& list = p.CheckListBox;
  const int i = list.ItemIndex();
  // The fields were filled from another row than the chosen one (the
  // selection moved without them): they follow it, and nothing is corrected.
  if (i >= 0 && list.SelCount() == 1 && i != FLoadedIndex) {
    CheckListBoxClick(&list);
    return;
  }
  const TFeedRecord* const chosen = i >= 0 ? p.Record(i) : nullptr;
  if (!CheckEntryFields(true, i)) return;
  // A probe in the check serves the message queue, where rows may have been
  // deleted, moved or chosen anew: the correction goes only to the feed it
  // was meant for, and only while that feed is still the chosen one.
  const int k = list.ItemIndex();
  TFeedRecord* r = k >= 0 ? p.Record(k) : nullptr;
  if (!r || r != chosen || list.SelCount() == 0) return;
  if (k != i && !CheckEntryFields(true, k)) return;
  FListChanged = true;
  list.SetItem(k, CleanFeedText(p.ED_Name.Text()));
  r->FeedUrl = CleanFeedText(p.ED_URL.Text());
  r->RankingFeed = p.CB_Rank.Checked() ? 1 : 0;
  r->StartHour = std::max(0, p.CB_TimeSt.ItemIndex());
  r->EndHour = std::max(0, p.CB_TimeEn.ItemIndex());
  SetEditButtonState(false);
}

void TSetForm::SB_DeleteClick(TObject*) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  const int n = list.SelCount();
  if (n == 0) return;
  std::string question = "選択されているチャンネルを全て削除しますか？";
  if (n == 1) {
    for (int k = 0; k < list.ItemCount(); ++k)
      if (list.Selected(k)) question = "\"" + list.Item(k) + "\" を削除しますか？";
  }
  if (!ConfirmMsg(question, mtConfirmation, false)) return;
  FListChanged = true;
  int lowest = -1;
  for (int k = list.ItemCount() - 1; k >= 0; --k) {
    if (!list.Selected(k)) continue;
    list.DeleteItem(k);
    lowest = k;
  }
  const int count = list.ItemCount();
  SelectFeed(count == 0 ? -1 : std::min(lowest, count - 1));
  FLoadedIndex = -1;
  CheckListBoxClick(&list);
}

void TSetForm::SB_UpClick(TObject* sender) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  const int i = list.ItemIndex();
  if (i < 0 || list.SelCount() != 1) return;
  FListChanged = true;
  int to = i;
  if (sender == &TB_FEED.SB_Up && i > 0) to = i - 1;
  if (sender == &TB_FEED.SB_Down && i + 1 < list.ItemCount()) to = i + 1;
  list.MoveItem(i, to);
  SelectFeed(to);
  FLoadedIndex = to;
  CheckListBoxClick(&list);
}

void TSetForm::CheckListBoxKeyDown(TObject*, WORD& key, TShiftState) {
  TCheckListBox& list = TB_FEED.CheckListBox;
  CheckListBoxClick(&list);
  if (key == VK_DELETE && list.SelCount() >= 1 && list.ItemIndex() >= 0) SB_DeleteClick(&list);
}

void TSetForm::CheckListBoxClickCheck(TObject*) { FListChanged = true; }

void TSetForm::CheckListBoxDrawItem(TObject*, int index, RECT rect, TOwnerDrawState state) {
  TFeedPage& p = TB_FEED;
  TCanvas& c = p.CheckListBox.Canvas();
  c.FillRect(rect);
  // An empty list that has the focus is asked to draw item -1 for its focus.
  if (index < 0 || index >= p.CheckListBox.ItemCount()) return;
  const TFeedRecord* r = p.Record(index);
  const bool selected = state & odSelected;
  const bool checked = p.CheckListBox.Checked(index);
  if (!selected && !checked) c.Font.SetColor(kUncheckedColor);
  if (!selected && checked && r && r->RankingFeed != 0) c.Font.SetColor(kRankingColor);
  c.TextOut(rect.left + 2, rect.top, p.CheckListBox.Item(index));
  if (!r || r->StartHour <= 0 || r->EndHour <= 0 || r->StartHour >= p.CB_TimeSt.ItemCount() ||
      r->EndHour >= p.CB_TimeEn.ItemCount())
    return;
  const std::string hours =
      " " + p.CB_TimeSt.Item(r->StartHour) + "～" + p.CB_TimeEn.Item(r->EndHour);
  if (!selected) c.Font.SetColor(checked ? kHourColor : kUncheckedColor);
  c.TextOut(rect.right - 2 - c.TextWidth(hours), rect.top, hours);
}

void TSetForm::AddFeedUrl(const std::string& source) {
  std::string url = CleanFeedText(source), result;
  if (!ProbeFeedBeforeDrops(url, result)) return;
  if (result.find('\t') != std::string::npos) {
    AddOpmlFeeds(result);
    return;
  }
  url = CleanFeedText(url);
  result = CleanFeedText(result);
  if (url.empty() || result.empty()) {
    ShowUnusableMessage();
    return;
  }
  const int k = FindFeedUrl(url);
  if (k >= 0) {
    const bool wasChecked = TB_FEED.CheckListBox.Checked(k);
    TB_FEED.CheckListBox.SetChecked(k, true);
    FListChanged = true;
    if (!TickerParamGiven) ShowAddedMessage(k, wasChecked);
    return;
  }
  TFeedPage& p = TB_FEED;
  FListChanged = true;
  p.CB_TimeSt.SetItemIndex(0);
  p.CB_TimeEn.SetItemIndex(0);
  p.CB_Rank.SetChecked(false);
  p.ED_URL.SetText(url);
  p.ED_Name.SetText(result);
  // Later probes while the dialog is open go the way the connection page says.
  TickerSettings.InternetPreConfig = std::max(0, TB_Proxy.CB_PreConfig.ItemIndex());
  InsertFeed(FDropIndex);
}

void TSetForm::ShowAddedMessage(int index, bool wasChecked) {
  SelectFeed(index);
  CheckListBoxClick(&TB_FEED.CheckListBox);
  ShowMsg(wasChecked ? "このフィードのURLは購読済みです．"
                     : "このフィードのURLは登録済みですのでチェックマークを入れました．",
          mtInformation);
}

void TSetForm::ShowUnusableMessage() {
  TB_FEED.CheckListBox.SetFocus();
  const TParseError& e = LastParseError;
  ShowMsg("データの内容の確認ができませんでした．\r\n\r\n" + TrimSpaces(WideToSjis(e.Reason)) +
              "\r\n\r\n内容 > \"" + TrimSpaces(WideToSjis(e.SrcText)) + "\"\r\n\r\n行 > " +
              IntToStrSafe(e.Line) + "  位置 > " + IntToStrSafe(e.LinePos),
          mtInformation);
}

void TSetForm::AddOpmlFeeds(const std::string& lines) {
  if (!ConfirmMsg("OPMLによりサイトを一括で追加しますか？(最後に追加されます)", mtConfirmation,
                  false))
    return;
  TFeedPage& p = TB_FEED;
  FListChanged = true;
  std::vector<std::string> fields(31);
  for (const std::string& line : SplitDataText(lines)) {
    SplitStr(line, '\t', false, fields);
    TFeedListEntry entry;
    entry.FeedName = CleanFeedText(fields[1]);
    entry.FeedUrl = CleanFeedText(fields[2]);
    if (entry.FeedName.empty() || entry.FeedUrl.empty() || FindFeedUrl(entry.FeedUrl) >= 0)
      continue;
    p.AddEntry(entry);
  }
  SelectFeed(p.CheckListBox.ItemCount() - 1);
  CheckListBoxClick(&p.CheckListBox);
}
