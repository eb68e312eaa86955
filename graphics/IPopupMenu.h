#pragma once

#include "plugin/containers/KIT_PtrList.h"
#include "plugin/containers/KIT_String.h"

class IPopupMenu;

// One entry of a popup menu. The submenu is not owned: whoever built the menu
// tree frees it.
class IPopupMenuItem
{
public:
  enum Flags
  {
    kNoFlags = 0,
    kDisabled = 1,
    kIndented = 2,
    kChecked = 4,
    kSeparator = 8
  };

  explicit IPopupMenuItem(const char* text, int flags = kNoFlags);
  IPopupMenuItem(const char* text, IPopupMenu* pSubMenu);

  void SetChecked(bool checked);

  const char* GetText() const { return mText.Get(); }
  int GetFlags() const { return mFlags; }
  IPopupMenu* GetSubmenu() const { return mSubmenu; }
  bool GetEnabled() const { return !(mFlags & kDisabled); }
  bool GetIndented() const { return (mFlags & kIndented) != 0; }
  bool GetChecked() const { return (mFlags & kChecked) != 0; }
  bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

private:
  KIT_String mText;
  IPopupMenu* mSubmenu = nullptr;
  int mFlags = kNoFlags;
};

// A platform-neutral context menu. Built and shown on the UI thread; the
// platform writes the chosen index back into the menu the entry belongs to.
class IPopupMenu
{
public:
  IPopupMenu() = default;
  ~IPopupMenu();

  IPopupMenu(const IPopupMenu&) = delete;
  IPopupMenu& operator=(const IPopupMenu&) = delete;

  // Takes ownership. Index -1 appends; any other index is clamped to
  // [0, number of items]. Returns the item, or null (the item deleted) when
  // the list cannot grow.
  IPopupMenuItem* AddItem(IPopupMenuItem* pItem, int index = -1);
  IPopupMenuItem* AddItem(const char* text, int index = -1, int itemFlags = IPopupMenuItem::kNoFlags);
  IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* pSubMenu);
  IPopupMenuItem* AddItem(const char* text, IPopupMenu* pSubMenu);
  IPopupMenuItem* AddSeparator(int index = -1);

  IPopupMenuItem* GetItem(int index) const { return mMenuItems.Get(index); }
  // "" when the index is out of range.
  const char* GetItemText(int index) const;
  // The title the platform shows: the text, after the 1-based position when a
  // prefix is set. False (title "") when the index is out of range.
  bool GetItemTitle(int index, KIT_String* pTitle) const;

  bool CheckItem(int index, bool checked);
  void CheckItemAlone(int index);
  bool IsItemChecked(int index) const;

  // 0 none, 1 "%1d: ", 2 "%02d: ", 3 "%03d: "; other values are ignored.
  void SetPrefix(int prefix);
  int GetPrefix() const { return mPrefix; }

  int GetNItems() const { return mMenuItems.GetSize(); }
  void SetChosenItemIdx(int index) { mChosenItemIdx = index; }
  int GetChosenItemIdx() const { return mChosenItemIdx; }

private:
  int mPrefix = 0;
  int mChosenItemIdx = -1;
  KIT_PtrList<IPopupMenuItem> mMenuItems;
};
