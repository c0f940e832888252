#include "KeywordPage.h"

#include "SettingsLayout.h"

namespace {

const std::vector<std::string> kNoteLines = {
    "たとえば、検索対象を「C社とD社以外のデジタル方式のカメラに",
    "関するニュース」としたい場合は「デジタル*カメラ ！C社 ！D社」",
    "(順番は関係ありません)を一列に入力します。「デジタル*カメラ」",
    "に関しては「デジタルカメラ」や「デジタルビデオカメラ」等が含まれ",
    "ます。文字列にスペースが含まれる場合は \"Microsoft Windows\"",
    "\"！Microsoft Windows\" のようにダブルクォーテーションで囲み",
    "ます。 ワイルドカードと除外は混在可能です。",
};

}  // namespace

void TKeywordPage::Attach(TPageControl* pages) { Create(TTabSheetArgs().Parent(pages).Caption("キーワード")); }

void TKeywordPage::Build() {
  LB_Keyword.Create(TLabelArgs()
                        .Place(this, kPageMargin, kPageMargin)
                        .Caption("記事にキーワードが出現するとティッカーの色が変わります"));
  int top = LB_Keyword.Top() + LB_Keyword.Height() + 8;
  for (TEditNext* edit : FKeyEdits) {
    edit->Create(TEditNextArgs()
                     .Place(this, kPageMargin, top, ClientWidth() - 2 * kPageMargin, kFieldHeight)
                     .EnterNext(esEnter));
    top += kFieldHeight + 4;
  }
  PlaceNote(Note, this, kPageMargin, top + 8, ClientWidth() - 2 * kPageMargin, kNoteLines);
}

void TKeywordPage::Load() {
  for (int i = 0; i < kHighlightKeywordCount; ++i)
    FKeyEdits[i]->SetText(TickerSettings.HighlightKeywords[i]);
}

void TKeywordPage::Save() {
  for (int i = 0; i < kHighlightKeywordCount; ++i)
    TickerSettings.HighlightKeywords[i] = FKeyEdits[i]->Text();
}
