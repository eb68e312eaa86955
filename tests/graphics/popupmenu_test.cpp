// Popup menus: positions, flags and titles worked out by hand.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Title(const IPopupMenu& m, int i)
{
  KIT_String s("stale");
  m.GetItemTitle(i, &s);
  return s.Get();
}

// Catches: an index past the end or below zero used unclamped.
TEST(IPopupMenu, InsertPositionsAreClamped)
{
  IPopupMenu m;
  m.AddItem("a");
  m.AddItem("b");
  m.AddItem("c");
  m.AddItem(new IPopupMenuItem("end"), 100);
  m.AddItem(new IPopupMenuItem("front"), -5);
  m.AddItem("mid", 2);
  std::string all;
  for (int i = 0; i < m.GetNItems(); ++i) all += std::string(m.GetItemText(i)) + ",";
  EXPECT_EQ(all, "front,a,mid,b,c,end,");
  EXPECT_EQ(m.GetItem(6), nullptr);
  EXPECT_STREQ(m.GetItemText(-1), "");
}

// Catches: flag bits mixed up, a separator with text, and checking out of
// range touching an item.
TEST(IPopupMenu, FlagsAndChecks)
{
  IPopupMenu m;
  IPopupMenuItem* off = m.AddItem("off", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kIndented);
  IPopupMenuItem* sep = m.AddSeparator();
  m.AddItem("x");
  EXPECT_FALSE(off->GetEnabled());
  EXPECT_TRUE(off->GetIndented());
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(sep->GetText(), "");

  EXPECT_TRUE(m.CheckItem(2, true));
  EXPECT_EQ(m.GetItem(2)->GetFlags(), 4);
  EXPECT_FALSE(m.CheckItem(3, true));
  EXPECT_FALSE(m.IsItemChecked(3));
  m.CheckItemAlone(0);
  EXPECT_EQ(off->GetFlags(), 1 | 2 | 4);
  EXPECT_FALSE(m.IsItemChecked(2));
  m.CheckItemAlone(-1);
  EXPECT_EQ(off->GetFlags(), 1 | 2);
  EXPECT_EQ(m.GetChosenItemIdx(), -1);
}

// Catches: the wrong width of the numbering, numbering from 0, and an
// unsupported prefix replacing a valid one.
TEST(IPopupMenu, PrefixNumbering)
{
  IPopupMenu m;
  for (int i = 0; i < 12; ++i) m.AddItem("item");
  EXPECT_EQ(Title(m, 0), "item");
  m.SetPrefix(2);
  m.SetPrefix(4);
  m.SetPrefix(-1);
  EXPECT_EQ(Title(m, 0), "01: item");
  EXPECT_EQ(Title(m, 9), "10: item");
  m.SetPrefix(1);
  EXPECT_EQ(Title(m, 2), "3: item");
  m.SetPrefix(3);
  EXPECT_EQ(Title(m, 4), "005: item");
  EXPECT_EQ(Title(m, 12), "");
}

// Catches: a menu that deletes the submenus of its items (a double free when
// their owner deletes them), or leaks its items (seen by the leak checker).
TEST(IPopupMenu, SubmenusAreNotOwned)
{
  IPopupMenu sub;
  sub.AddItem("inner");
  IPopupMenu* m = new IPopupMenu;
  IPopupMenuItem* it = m->AddItem("more", &sub);
  m->AddItem("at0", 0, &sub);
  EXPECT_EQ(it->GetSubmenu(), &sub);
  EXPECT_STREQ(m->GetItemText(0), "at0");
  delete m;
  EXPECT_STREQ(sub.GetItemText(0), "inner");
}

} // namespace
