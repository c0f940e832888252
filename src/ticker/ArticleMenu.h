// The article submenu of the ticker's main menu: one entry per feed of the
// menu file, whose items are added each time its submenu opens.
#pragma once
#include <string>
#include <vector>

#include "classlib/Menus.h"
#include "shared/FeedFiles.h"

// Every "&" doubled, so that a caption shows it instead of underlining.
std::string EscapeAmpersands(const std::string& text);

class TArticleMenu {
 public:
  // The menu file's lines; a feed entry's Tag is the index of its first line.
  std::vector<TArticleMenuLine> MenuLines;
  // Click of an item entry, whose Hint is the item's link.
  TNotifyEvent OnItemClick;

  // Replaces the feed entries of root (Mn_Kiji) with those of the menu file;
  // a new feed starts where the feed address differs from the line before.
  // root is hidden when the file is missing or empty.
  void Build(TMenuItem& root, const std::string& menuFile);
  // Click of root and of every feed entry (the submenu is about to open):
  // every feed entry keeps one entry, so it shows as a submenu; an opening
  // feed entry gets its items (at most MaxMenuLinesPerFeed).
  void Open(TMenuItem& root, TMenuItem* sender);
};
