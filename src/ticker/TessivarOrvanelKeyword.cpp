// The ticker window's keyword search: the panel that takes the place of the
// news strip, its engine menu and the keyword history.
#include "TessivarOrvanelForm.h"

#include <cstdlib>

#include "KeywordSearch.h"
#include "TickerUtils.h"
#include "classlib/Dialogs.h"
#include "classlib/Guard.h"
#include "classlib/Screen.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"

namespace {

const int kEngineColumnsFrom = 20;  // more engines than this: two columns

}  // namespace

void TKvBandForm::BuildKeywordPanel() {
  PL_Keyword.OnResize = Handler(this, &TKvBandForm::PL_KeywordResize);
  TFont font = PL_Keyword.Font();
  font.SetName(DefaultFontName);
  font.SetCharset(SHIFTJIS_CHARSET);
  font.SetHeight(-15);
  const TNotifyEvent used = Handler(this, &TKvBandForm::ED_KeywordChange);
  ED_Keyword.Create(TComboMiniArgs()
                        .Parent(&PL_Keyword)
                        .MaxLength(80)
                        .BorderStyle(ebsNone)
                        .Font(font)
                        .ParentFont(false)
                        .ParentColor(true)
                        .Hint("上下カーソルキーで候補/Altキーでメニュー")
                        .ShowHint(true)
                        .DropDownRows(8)
                        .Columns(0)
                        .NoFocusButton(true)
                        .EditStyle(esPickList)
                        .OnChange(used)
                        .OnClick(used)
                        .OnKeyDown(Handler(this, &TKvBandForm::ED_KeywordKeyDown))
                        .OnKeyPress(Handler(this, &TKvBandForm::ED_KeywordKeyPress))
                        .OnDropDown(Handler(this, &TKvBandForm::ED_KeywordDropDown))
                        .OnCloseUp(Handler(this, &TKvBandForm::Mn_FindClick)));

  // From the right: the engine label, then the search button.
  const auto flat = TSpeedButtonArgs()
                        .Parent(&PL_Keyword)
                        .Top(0)
                        .Height(18)
                        .Align(alRight)
                        .Flat(true)
                        .Cursor(crHandPoint)
                        .PopupMenu(&PopupMenu_Key);
  LB_Keyword.Create(TSpeedButtonArgs(flat).Left(200).Width(40).Caption("サイト").OnClick(
      Handler(this, &TKvBandForm::KeywordButton2Click)));
  KeywordButton2.Create(TSpeedButtonArgs(flat).Left(100).Width(36).Caption("検索").OnClick(
      Handler(this, &TKvBandForm::Mn_FindClick)));

  KeywordButton.OnClick = Handler(this, &TKvBandForm::KeywordButtonClick);
}

void TKvBandForm::BuildEngineMenu() {
  std::vector<TSearchEngineEntry> engines;
  if (!ReadSearchEngineList(GetProgramFolder() + SearchEngineListName, TickerSettings.SearchQuery,
                            engines))
    return;
  bool selected = false;
  for (const TSearchEngineEntry& engine : engines) {
    auto item = std::make_unique<TMenuItem>(EscapeAmpersands(engine.Name));
    item->Hint = engine.Url;
    item->RadioItem = true;
    item->OnClick = [this](TObject* s) { SelectSearchEngine(dynamic_cast<TMenuItem*>(s)); };
    // The stored choice stays; without one the first engine (not a separator) is taken.
    if (!selected && !engine.IsSeparator()) {
      selected = true;
      SelectSearchEngine(TickerSettings.SearchName.empty() ? item.get() : nullptr);
    }
    Mn_Cust->Add(std::move(item));
  }
  if (Mn_Cust->Count() > kEngineColumnsFrom) Mn_Cust->Items(Mn_Cust->Count() / 2)->Break = true;
}

void TKvBandForm::KeywordButtonClick(TObject*) {
  if (Closing) return;
  // The panel stays as it was.
  Guard("keyword panel", [&] {
    if (Mn_Cust->Count() == 0) BuildEngineMenu();
    const bool open = !PL_Keyword.Visible();
    Message.SetVisible(!open);
    PL_Keyword.SetVisible(open);
    if (open) {
      PL_KeywordResize(&PL_Keyword);
      ED_Keyword.SetText("");
      PL_Message.SetCursor(crIBeam);
      ReleaseCapture();
      ED_Keyword.SetFocus();
      Display.NoteKeywordUse(TickCount());
    } else {
      PL_Message.SetCursor(crHandPoint);
    }
    PL_Message.Repaint();
    KeywordButton.SetDown(open);
    UpdateStateButtons();
  });
}

void TKvBandForm::SelectSearchEngine(TMenuItem* item) {
  if (Closing) return;
  TTickerSettings& t = TickerSettings;
  if (item) {
    const std::string name = item->Caption, url = item->Hint;
    Display.StoreSetting([&](TTickerSettings& s) {
      s.SearchName = name;
      s.SearchUrl = url;
    });
  }
  Mn_Find->Caption = "検索 - " + t.SearchName + "(&S)";
  LB_Keyword.SetCaption(t.SearchName);
  LB_Keyword.SetHint(t.SearchUrl);
  LB_Keyword.SetWidth((int)FontTextExtent(LB_Keyword.Font(), t.SearchName).cx + 8);
  PL_KeywordResize(&PL_Keyword);
}

void TKvBandForm::PL_KeywordResize(TObject*) {
  if (!PL_Keyword.Visible()) return;
  const int height = std::abs(ED_Keyword.Font().Height());
  const int width = PL_Keyword.ClientWidth() - KeywordButton2.Width() - LB_Keyword.Width() - 4;
  ED_Keyword.SetBounds(2, (PL_Keyword.ClientHeight() - height) / 2, width, height);
}

void TKvBandForm::Mn_FindClick(TObject*) {
  if (Closing) return;
  // The search ends; the ticker goes on.
  Guard("keyword search", [&] {
    const std::string urlTemplate = LB_Keyword.Hint();
    const std::string keyword = TrimSpaces(ED_Keyword.Text());
    const bool desktop = urlTemplate.find("$GOOGLE_DESKTOP$") != std::string::npos;
    // A search that was not opened is no search to offer again.
    if (!OpenLink(BuildSearchAddress(urlTemplate, keyword, desktop ? DesktopSearchUrl() : "")) ||
        keyword.empty())
      return;
    if (!historyRead_) AccessSearchHistory('R');
    std::vector<std::string> history = ED_Keyword.Items();
    if (!AddToSearchHistory(history, keyword)) return;
    ED_Keyword.SetItems(history);
    AccessSearchHistory('W');
  });
}

void TKvBandForm::KeywordButton2Click(TObject* sender) {
  if (Closing || PopupBusy) return;
  POINT p = sender ? Mouse.CursorPos() : LB_Keyword.ClientToScreen(POINT{0, 0});
  // The menu could not open.
  Guard("engine menu", [&] { PopupMenu_Key.Popup(p.x, p.y); });
  ReleaseCapture();
  if (!Closing) Repaint();
}

void TKvBandForm::Mn_CustClick(TObject*) {
  bool found = false;
  for (int i = 0; i < Mn_Cust->Count(); ++i) {
    TMenuItem* item = Mn_Cust->Items(i);
    item->Checked = !found && item->Caption == LB_Keyword.Caption();
    found = found || item->Checked;
  }
}

void TKvBandForm::C1Click(TObject*) {
  if (ED_Keyword.DroppedDown()) ED_Keyword.SwitchDropDown(false);
  ED_Keyword.SetItems({});
  AccessSearchHistory('W');
}

void TKvBandForm::ED_KeywordKeyPress(TObject*, char& key) {
  Display.NoteKeywordUse(TickCount());
  if (key == '\r') {
    key = 0;
  } else if (key == '\x1B') {
    key = 0;
    KeywordButton2Click(nullptr);
  }
}

void TKvBandForm::ED_KeywordKeyDown(TObject*, WORD& key, TShiftState shift) {
  Display.NoteKeywordUse(TickCount());
  if (key == VK_RETURN && !(shift & (ssAlt | ssCtrl))) {
    key = 0;
    Mn_FindClick(&ED_Keyword);
  }
}

void TKvBandForm::ED_KeywordChange(TObject*) { Display.NoteKeywordUse(TickCount()); }

void TKvBandForm::ED_KeywordDropDown(TObject*) { AccessSearchHistory('R'); }

void TKvBandForm::AccessSearchHistory(char mode) {
  // A history that cannot be read or written is left as it is.
  Guard("search history", [&] {
    ForceFolder(DelBackslash(IniFolder));
    const std::string path = IniFolder + SearchHistoryName;
    if (mode == 'R') {
      std::vector<std::string> history;
      ReadSearchHistory(path, history);
      ED_Keyword.SetItems(history);
      historyRead_ = true;
    } else if (mode == 'W') {
      SaveSearchHistory(path, ED_Keyword.Items());
    }
  });
}
