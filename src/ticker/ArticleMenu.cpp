#include "ArticleMenu.h"

#include <algorithm>

#include "shared/S_string.h"

std::string EscapeAmpersands(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte((unsigned char)text[i]) && i + 1 < text.size()) {
      out += text[i++];
    } else if (text[i] == '&') {
      out += '&';
    }
    out += text[i];
  }
  return out;
}

void TArticleMenu::Build(TMenuItem& root, const std::string& menuFile) {
  root.Clear();
  root.OnClick = nullptr;
  MenuLines.clear();
  if (!ReadMenuFile(menuFile, MenuLines)) {
    root.Visible = false;
    return;
  }
  root.OnClick = [this, &root](TObject* s) { Open(root, dynamic_cast<TMenuItem*>(s)); };
  root.Visible = !MenuLines.empty();
  std::string previous;
  for (size_t i = 0; i < MenuLines.size(); ++i) {
    if (MenuLines[i].FeedUrl == previous) continue;
    previous = MenuLines[i].FeedUrl;
    TMenuItem* feed = root.Add(EscapeAmpersands(MenuLines[i].FeedName), root.OnClick);
    feed->Tag = (int)i;
  }
}

void TArticleMenu::Open(TMenuItem& root, TMenuItem* sender) {
  for (int i = 0; i < root.Count(); ++i) {
    TMenuItem* feed = root.Items(i);
    while (feed->Count() > 1) feed->Delete(feed->Count() - 1);
    if (feed->Count() == 0) feed->Add("*");
  }
  if (!sender || sender == &root || sender->Parent() != &root) return;
  const size_t first = (size_t)sender->Tag;
  if (first >= MenuLines.size()) return;
  const std::string key = MenuLines[first].FeedUrl;
  // A hand-made file may hold far more than the refresh writes for one feed.
  const size_t end = std::min(MenuLines.size(), first + MaxMenuLinesPerFeed);
  for (size_t i = first; i < end && MenuLines[i].FeedUrl == key; ++i) {
    TMenuItem* item = sender->Add(EscapeAmpersands(MenuLines[i].Title), OnItemClick);
    item->Hint = MenuLines[i].Link;
  }
  sender->Delete(0);
}
