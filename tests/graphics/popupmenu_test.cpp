// Popup menus: positions, flags and titles worked out by hand.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

std::string Title(const IPopupMenu& m, int i)
{
  KIT_String s;
  m.GetItemTitle(i, &s);
  return s.Get();
}

// Catches: an index past the end or below zero used unclamped (writing past
// the list or failing to insert).
TEST(IPopupMenu, InsertPositionsAreClamped)
{
  IPopupMenu m;
  m.AddItem("a");
  m.AddItem("b");
  m.AddItem("c");
  m.AddItem(new IPopupMenuItem("end"), 100);
  m.AddItem(new IPopupMenuItem("front"), -5);
  m.AddItem("mid", 2);
  ASSERT_EQ(m.GetNItems(), 6);
  const char* expect[] = {"front", "a", "mid", "b", "c", "end"};
  for (int i = 0; i < 6; ++i) EXPECT_STREQ(m.GetItemText(i), expect[i]) << i;
  EXPECT_EQ(m.GetItem(6), nullptr);
  EXPECT_EQ(m.GetItem(-1), nullptr);
  EXPECT_STREQ(m.GetItemText(6), "");
}

// Catches: flag bits mixed up, a separator that can be chosen, and checking
// out of range touching an item.
TEST(IPopupMenu, FlagsAndChecks)
{
  IPopupMenu m;
  IPopupMenuItem* off = m.AddItem("off", -1, IPopupMenuItem::kDisabled | IPopupMenuItem::kIndented);
  IPopupMenuItem* sep = m.AddSeparator();
  m.AddItem("x");
  EXPECT_FALSE(off->GetEnabled());
  EXPECT_TRUE(off->GetIndented());
  EXPECT_FALSE(off->GetChecked());
  EXPECT_TRUE(sep->GetIsSeparator());
  EXPECT_STREQ(sep->GetText(), "");
  EXPECT_EQ(sep->GetFlags(), 8);

  EXPECT_TRUE(m.CheckItem(2, true));
  EXPECT_EQ(m.GetItem(2)->GetFlags(), 4);
  EXPECT_FALSE(m.CheckItem(3, true));
  EXPECT_FALSE(m.IsItemChecked(3));
  m.CheckItemAlone(0);
  EXPECT_TRUE(m.IsItemChecked(0));
  EXPECT_FALSE(m.IsItemChecked(2));
  EXPECT_EQ(off->GetFlags(), 1 | 2 | 4);
  m.CheckItemAlone(-1);
  for (int i = 0; i < m.GetNItems(); ++i) EXPECT_FALSE(m.IsItemChecked(i));
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
  EXPECT_EQ(m.GetPrefix(), 2);
  EXPECT_EQ(Title(m, 0), "01: item");
  EXPECT_EQ(Title(m, 9), "10: item");
  m.SetPrefix(1);
  EXPECT_EQ(Title(m, 11), "12: item");
  EXPECT_EQ(Title(m, 2), "3: item");
  m.SetPrefix(3);
  EXPECT_EQ(Title(m, 4), "005: item");
  KIT_String s("stale");
  EXPECT_FALSE(m.GetItemTitle(12, &s));
  EXPECT_STREQ(s.Get(), "");
}

// Catches: a menu that deletes the submenus of its items (a double free when
// the submenu's owner deletes it), or leaks its items (seen by the leak
// checker under the sanitizers).
TEST(IPopupMenu, SubmenusAreNotOwned)
{
  IPopupMenu sub;
  sub.AddItem("inner");
  {
    IPopupMenu* m = new IPopupMenu;
    IPopupMenuItem* it = m->AddItem("more", &sub);
    m->AddItem("at0", 0, &sub);
    EXPECT_EQ(it->GetSubmenu(), &sub);
    EXPECT_EQ(it->GetFlags(), 0);
    EXPECT_STREQ(m->GetItemText(0), "at0");
    delete m;
  }
  EXPECT_EQ(sub.GetNItems(), 1);
  EXPECT_STREQ(sub.GetItemText(0), "inner");
  sub.SetChosenItemIdx(0);
  EXPECT_EQ(sub.GetChosenItemIdx(), 0);
}

} // namespace
