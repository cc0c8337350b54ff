// The popup menu model: insertion, checks, prefixes, out-of-range indices,
// and a choice written back into a submenu.

#include "IPopupMenu.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
std::string Texts(const IPopupMenu& menu)
{
  std::string all;
  for (int i = 0; i < menu.GetNItems(); ++i)
  {
    all += std::string(i ? "," : "") + menu.GetItemText(i);
  }
  return all;
}
} // namespace

TEST(IPopupMenu, AddItemAppendsAtMinusOneAndInsertsBeforeAnyOtherIndex)
{
  IPopupMenu menu;
  menu.AddItem("a");
  menu.AddItem("b");
  menu.AddItem("c");
  menu.AddItem("first", 0);
  EXPECT_EQ("first,a,b,c", Texts(menu));
  menu.AddItem("middle", 2);
  menu.AddItem("end", 99);
  menu.AddSeparator();
  EXPECT_EQ("first,a,middle,b,c,end,", Texts(menu));
  EXPECT_TRUE(menu.GetItem(6)->GetIsSeparator());
  EXPECT_EQ(nullptr, menu.AddItem(static_cast<IPopupMenuItem*>(nullptr)));
  EXPECT_EQ(7, menu.GetNItems());
}

TEST(IPopupMenu, IndicesOutsideTheListGiveNullFalseOrEmptyText)
{
  IPopupMenu menu;
  menu.AddItem("only");
  for (int i : {-1, 1, 1000})
  {
    EXPECT_EQ(nullptr, menu.GetItem(i)) << i;
    EXPECT_STREQ("", menu.GetItemText(i)) << i;
    EXPECT_FALSE(menu.CheckItem(i, true)) << i;
    EXPECT_FALSE(menu.IsItemChecked(i)) << i;
  }
}

TEST(IPopupMenu, CheckItemAloneLeavesOnlyThatItemChecked)
{
  IPopupMenu menu;
  menu.AddItem("a", -1, IPopupMenuItem::kChecked);
  menu.AddItem("b");
  menu.AddItem("c", -1, IPopupMenuItem::kChecked);
  menu.CheckItemAlone(1);
  EXPECT_FALSE(menu.IsItemChecked(0));
  EXPECT_TRUE(menu.IsItemChecked(1));
  EXPECT_FALSE(menu.IsItemChecked(2));
  menu.CheckItemAlone(7);
  EXPECT_FALSE(menu.IsItemChecked(1));
}

TEST(IPopupMenu, SetCheckedKeepsTheOtherFlags)
{
  IPopupMenuItem item("x", IPopupMenuItem::kDisabled | IPopupMenuItem::kChecked);
  item.SetChecked(false);
  EXPECT_FALSE(item.GetChecked());
  EXPECT_FALSE(item.GetEnabled());
  item.SetChecked(true);
  EXPECT_EQ(IPopupMenuItem::kDisabled | IPopupMenuItem::kChecked, item.GetFlags());
}

TEST(IPopupMenu, OnlyPrefixesZeroToThreeAreAccepted)
{
  IPopupMenu menu(2);
  menu.SetPrefix(4);
  EXPECT_EQ(2, menu.GetPrefix());
  menu.SetPrefix(-1);
  EXPECT_EQ(2, menu.GetPrefix());
  menu.SetPrefix(3);
  EXPECT_EQ(3, menu.GetPrefix());
}

// The window writes the choice into the menu that holds the entry; the top
// menu keeps -1. Submenus are not owned by the items that open them.
TEST(IPopupMenu, AChoiceInASubmenuIsReportedThere)
{
  IPopupMenu sub;
  sub.AddItem("s0");
  sub.AddItem("s1");
  {
    IPopupMenu top;
    top.AddItem("t0");
    top.AddItem("more", &sub);
    EXPECT_EQ(&sub, top.GetItem(1)->GetSubmenu());
    sub.SetChosenItemIdx(1);
    EXPECT_EQ(-1, top.GetChosenItemIdx());
    EXPECT_EQ(1, sub.GetChosenItemIdx());
  }
  EXPECT_STREQ("s1", sub.GetItemText(1));
}
