#include "ArticleMenu.h"

#include <gtest/gtest.h>

#include "common/TestFiles.h"

namespace {

TEST(EscapeAmpersands, DoublesEveryAmpersandByCharacter) {
  EXPECT_EQ(EscapeAmpersands("A&B"), "A&&B");
  EXPECT_EQ(EscapeAmpersands("&&"), "&&&&");
  EXPECT_EQ(EscapeAmpersands("ソ&ア"), "ソ&&ア");
  EXPECT_EQ(EscapeAmpersands("none"), "none");
}

class ArticleMenuTest : public ::testing::Test {
 protected:
  void Write(const std::string& text) { WriteWholeFile(file, text); }
  void Build() { menu.Build(root, file); }
  std::vector<std::string> Captions(const TMenuItem& item) {
    std::vector<std::string> out;
    for (int i = 0; i < item.Count(); ++i) out.push_back(item.Items(i)->Caption);
    return out;
  }
  ScratchFolder folder{"ArticleMenu"};
  std::string file = folder.File("TessivarOrvanel.mnu");
  TMenuItem root{"記事(&D)"};
  TArticleMenu menu;
};

TEST_F(ArticleMenuTest, OneFeedEntryPerBlockOfTheSameFeed) {
  Write(
      "http://a/\tA&B\tOne\thttp://a/1\r\nhttp://a/\tA&B\tTwo\thttp://a/2\r\n"
      "http://b/\tB\tThree\thttp://b/3\r\nhttp://a/\tA again\tFour\thttp://a/4\r\n");
  Build();
  EXPECT_TRUE(root.Visible);
  EXPECT_EQ(Captions(root), (std::vector<std::string>{"A&&B", "B", "A again"}));
  EXPECT_EQ(root.Items(0)->Tag, 0);
  EXPECT_EQ(root.Items(1)->Tag, 2);
  EXPECT_EQ(root.Items(2)->Tag, 3);
}

TEST_F(ArticleMenuTest, AMissingOrEmptyFileHidesTheEntry) {
  Build();
  EXPECT_FALSE(root.Visible);
  EXPECT_EQ(root.Count(), 0);
  Write("");
  Build();
  EXPECT_FALSE(root.Visible);
}

TEST_F(ArticleMenuTest, AnOpeningFeedGetsItsItemsAndTheOthersKeepOne) {
  Write(
      "http://a/\tA\tOne & more\thttp://a/1\r\nhttp://a/\tA\tTwo\thttp://a/2\r\n"
      "http://b/\tB\tThree\thttp://b/3\r\n");
  Build();
  std::vector<std::string> opened;
  menu.OnItemClick = [&](TObject* s) { opened.push_back(static_cast<TMenuItem*>(s)->Hint); };
  // The article entry opens: every feed shows as a submenu.
  root.Click();
  EXPECT_EQ(Captions(*root.Items(0)), std::vector<std::string>{"*"});
  EXPECT_EQ(Captions(*root.Items(1)), std::vector<std::string>{"*"});

  TMenuItem* a = root.Items(0);
  a->Click();
  EXPECT_EQ(Captions(*a), (std::vector<std::string>{"One && more", "Two"}));
  EXPECT_EQ(a->Items(1)->Hint, "http://a/2");
  a->Items(0)->Click();
  EXPECT_EQ(opened, std::vector<std::string>{"http://a/1"});

  // Opening the other feed leaves the first with one entry.
  TMenuItem* b = root.Items(1);
  b->Click();
  EXPECT_EQ(Captions(*b), std::vector<std::string>{"Three"});
  EXPECT_EQ(Captions(*a), std::vector<std::string>{"One && more"});
  // Opening the first again gives its items once.
  a->Click();
  EXPECT_EQ(Captions(*a), (std::vector<std::string>{"One && more", "Two"}));
}

TEST_F(ArticleMenuTest, ABuildReplacesTheEntriesOfTheLastOne) {
  Write("http://a/\tA\tOne\thttp://a/1\r\n");
  Build();
  root.Items(0)->Click();
  Write("http://c/\tC\tNew\thttp://c/1\r\nhttp://d/\tD\tNewer\thttp://d/1\r\n");
  Build();
  EXPECT_EQ(Captions(root), (std::vector<std::string>{"C", "D"}));
  EXPECT_EQ(root.Items(0)->Count(), 0);
}

TEST_F(ArticleMenuTest, AFeedOfThousandsOfLinesOpensWithTheItemsTheRefreshWrites) {
  std::string text;
  for (int i = 0; i < 32000; ++i) text += "http://a/\tA\tT" + std::to_string(i) + "\thttp://a/\r\n";
  Write(text);
  Build();
  ASSERT_EQ(root.Count(), 1);
  root.Click();  // the article entry opens: the feed shows as a submenu
  HMENU h = root.BuildMenu();
  HMENU feed = GetSubMenu(h, 0);
  ASSERT_TRUE(feed);
  // The submenu opening: the feed entry's click, then the entries as they are now.
  ASSERT_TRUE(TMenuItem::InitMenuPopup(feed));
  EXPECT_EQ(GetMenuItemCount(feed), MaxMenuLinesPerFeed);
  EXPECT_EQ(root.Items(0)->Items(MaxMenuLinesPerFeed - 1)->Caption, "T29");
  DestroyMenu(h);
}

}  // namespace
