#include "graphics/IPopupMenu.h"

#include <stdio.h>

IPopupMenuItem::IPopupMenuItem(const char* text, int flags) : mText(text ? text : ""), mFlags(flags) {}

IPopupMenuItem::IPopupMenuItem(const char* text, IPopupMenu* pSubMenu)
  : mText(text ? text : ""), mSubmenu(pSubMenu)
{
}

void IPopupMenuItem::SetChecked(bool checked)
{
  if (checked)
    mFlags |= kChecked;
  else
    mFlags &= ~kChecked;
}

IPopupMenu::~IPopupMenu()
{
  mMenuItems.Empty(true);
}

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* pItem, int index)
{
  if (!pItem) return nullptr;
  const int n = GetNItems();
  if (index == -1 || index > n) index = n;
  if (index < 0) index = 0;
  if (!mMenuItems.Insert(index, pItem))
  {
    delete pItem;
    return nullptr;
  }
  return pItem;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int itemFlags)
{
  return AddItem(new IPopupMenuItem(text, itemFlags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* pSubMenu)
{
  return AddItem(new IPopupMenuItem(text, pSubMenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* pSubMenu)
{
  return AddItem(text, -1, pSubMenu);
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
  return AddItem("", index, IPopupMenuItem::kSeparator);
}

const char* IPopupMenu::GetItemText(int index) const
{
  IPopupMenuItem* pItem = GetItem(index);
  return pItem ? pItem->GetText() : "";
}

bool IPopupMenu::GetItemTitle(int index, KIT_String* pTitle) const
{
  if (!pTitle) return false;
  IPopupMenuItem* pItem = GetItem(index);
  if (!pItem)
  {
    pTitle->Set("");
    return false;
  }
  static const char* const kFormats[4] = {"", "%1d: ", "%02d: ", "%03d: "};
  // Large enough for any int position and the separator.
  char number[24] = "";
  if (mPrefix > 0) snprintf(number, sizeof number, kFormats[mPrefix], index + 1);
  pTitle->Set(number);
  pTitle->Append(pItem->GetText());
  return true;
}

bool IPopupMenu::CheckItem(int index, bool checked)
{
  IPopupMenuItem* pItem = GetItem(index);
  if (!pItem) return false;
  pItem->SetChecked(checked);
  return true;
}

void IPopupMenu::CheckItemAlone(int index)
{
  const int n = GetNItems();
  for (int i = 0; i < n; ++i) GetItem(i)->SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const
{
  IPopupMenuItem* pItem = GetItem(index);
  return pItem && pItem->GetChecked();
}

void IPopupMenu::SetPrefix(int prefix)
{
  if (prefix >= 0 && prefix <= 3) mPrefix = prefix;
}
