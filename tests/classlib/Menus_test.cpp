#include "classlib/Menus.h"

#include <gtest/gtest.h>

#include "classlib/Application.h"
#include "classlib/Text.h"

namespace {

std::wstring MenuText(HMENU menu, int position) {
  wchar_t text[64] = {};
  GetMenuStringW(menu, position, text, 64, MF_BYPOSITION);
  return text;
}

TEST(MenuRows, BuildItemsWithTheirSlotsAndChildren) {
  TMenuItem root;
  TMenuItem *a = nullptr, *b = nullptr, *c = nullptr;
  int clicks = 0;
  AddMenuRows(root, {{&a, "A(&A)", 5, [&](TObject*) { ++clicks; }},
                     {nullptr, "-"},
                     {&b, "B", 0, nullptr, false, false, {{&c, "C", 7, nullptr, true, true}}}});
  ASSERT_EQ(root.Count(), 3);
  EXPECT_EQ(a, root.Items(0));
  EXPECT_EQ(a->Tag, 5);
  EXPECT_TRUE(root.Items(1)->IsSeparator());
  EXPECT_FALSE(b->Visible);
  ASSERT_EQ(b->Count(), 1);
  EXPECT_EQ(c, b->Items(0));
  EXPECT_TRUE(c->RadioItem);
  a->Click();
  EXPECT_EQ(clicks, 1);
}

TEST(MenuItems, SeparatorsAroundHiddenItemsCollapse) {
  TMenuItem root;
  root.AddSeparator();
  root.Add("one");
  root.AddSeparator();
  root.Add("hidden")->Visible = false;
  root.AddSeparator();
  root.Add("two");
  root.AddSeparator();
  HMENU h = root.BuildMenu();
  ASSERT_EQ(GetMenuItemCount(h), 3);
  EXPECT_EQ(MenuText(h, 0), L"one");
  EXPECT_TRUE(GetMenuState(h, 1, MF_BYPOSITION) & MF_SEPARATOR);
  EXPECT_EQ(MenuText(h, 2), L"two");
  DestroyMenu(h);
}

TEST(MenuItems, ABreakStartsAColumn) {
  TMenuItem root;
  root.Add("one");
  root.Add("two")->Break = true;
  HMENU h = root.BuildMenu();
  MENUITEMINFOW mi = {};
  mi.cbSize = sizeof mi;
  mi.fMask = MIIM_FTYPE;
  GetMenuItemInfoW(h, 1, TRUE, &mi);
  EXPECT_TRUE(mi.fType & MFT_MENUBARBREAK);
  GetMenuItemInfoW(h, 0, TRUE, &mi);
  EXPECT_FALSE(mi.fType & MFT_MENUBARBREAK);
  DestroyMenu(h);
}

TEST(MenuItems, AnOpeningSubmenuRunsItsClickAndShowsTheNewChildren) {
  TMenuItem root;
  TMenuItem* feed = root.Add("feed");
  feed->Add("*");
  int opened = 0;
  feed->OnClick = [&](TObject*) {
    ++opened;
    feed->Clear();
    feed->Add("first");
    feed->Add("second")->Add("deeper");
  };
  HMENU h = root.BuildMenu();
  HMENU sub = GetSubMenu(h, 0);
  ASSERT_TRUE(sub);
  EXPECT_TRUE(TMenuItem::InitMenuPopup(sub));
  EXPECT_EQ(opened, 1);
  ASSERT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_EQ(MenuText(sub, 0), L"first");
  HMENU deeper = GetSubMenu(sub, 1);
  ASSERT_TRUE(deeper);
  EXPECT_EQ(MenuText(deeper, 0), L"deeper");
  // The new submenu opens the same way; menus not built here are not ours.
  EXPECT_TRUE(TMenuItem::InitMenuPopup(deeper));
  EXPECT_FALSE(TMenuItem::InitMenuPopup(h));
  DestroyMenu(h);
}

TEST(MenuItems, ASubmenuWhoseItemIsGoneIsLeftAlone) {
  TMenuItem root;
  TMenuItem* feed = root.Add("feed");
  feed->Add("x");
  HMENU h = root.BuildMenu();
  HMENU sub = GetSubMenu(h, 0);
  root.Clear();
  EXPECT_FALSE(TMenuItem::InitMenuPopup(sub));
  // An item whose click frees the item itself.
  TMenuItem* self = root.Add("self");
  self->Add("y");
  self->OnClick = [&](TObject*) { root.Clear(); };
  HMENU h2 = root.BuildMenu();
  EXPECT_TRUE(TMenuItem::InitMenuPopup(GetSubMenu(h2, 0)));
  DestroyMenu(h);
  DestroyMenu(h2);
}

TEST(MenuItems, OnceEveryCommandNumberIsTakenTheRestIsLeftOut) {
  // Submenus of a thousand each, as long single menus are slow to fill.
  TMenuItem root;
  for (int i = 0; i < 32; ++i) {
    TMenuItem* sub = root.Add("sub");
    for (int j = 0; j < 1000; ++j) sub->Add("x");
  }
  HMENU h = root.BuildMenu();
  int shown = GetMenuItemCount(h), last = 0;
  for (int i = 0; i < GetMenuItemCount(h); ++i)
    if (HMENU sub = GetSubMenu(h, i)) shown += last = GetMenuItemCount(sub);
  EXPECT_GT(shown, 31000);
  EXPECT_LT(shown, 32 + 32000);
  EXPECT_LT(last, 1000);
  DestroyMenu(h);
  // Freed items give their numbers back.
  root.Clear();
  TMenuItem again;
  again.Add("y");
  HMENU h2 = again.BuildMenu();
  ASSERT_EQ(GetMenuItemCount(h2), 1);
  EXPECT_EQ(TMenuItem::FromCommand(GetMenuItemID(h2, 0)), again.Items(0));
  DestroyMenu(h2);
}

bool seenInMenuLoop = false;

void CALLBACK EndMenuTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  seenInMenuLoop = TPopupMenu::InMenuLoop();
  EndMenu();
}

TEST(PopupMenu, TheMenuLoopIsKnownWhileTheMenuIsOpen) {
  Application.Initialize();
  TPopupMenu menu;
  menu.Items().Add("one");
  EXPECT_FALSE(TPopupMenu::InMenuLoop());
  UINT_PTR timer = SetTimer(nullptr, 0, 100, EndMenuTimer);
  menu.Popup(10, 10);
  KillTimer(nullptr, timer);
  EXPECT_TRUE(seenInMenuLoop);
  EXPECT_FALSE(TPopupMenu::InMenuLoop());
}

}  // namespace
