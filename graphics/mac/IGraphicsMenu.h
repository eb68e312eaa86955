#pragma once

#include <AppKit/AppKit.h>

class IPopupMenu;

// The receiver of a popup menu's choice: a view that remembers the item
// chosen last. Main thread.
class IGraphicsMenuRcvr_vOrvanta_au : public NSView
{
public:
  IGraphicsMenuRcvr_vOrvanta_au() = default;
  explicit IGraphicsMenuRcvr_vOrvanta_au(NSRect frame) : NSView(frame) {}

  // Main thread, after the menu closed.
  void OnMenuSelection(NSMenuItem* sender) { nsMenuItem = sender; }
  NSMenuItem* MenuItem() const { return nsMenuItem; }

private:
  NSMenuItem* nsMenuItem = nullptr;
};

// A menu built from an IPopupMenu: numbered by its prefix setting, with its
// submenus, separators, checks and disabled items. Main thread; allocates.
class IGraphicsNSMenu_vOrvanta_au : public NSMenu
{
public:
  IGraphicsNSMenu_vOrvanta_au() : NSMenu(CFSTR("")) {}
  // initWithIPopupMenuAndReciever::
  IGraphicsNSMenu_vOrvanta_au(IPopupMenu* pMenu, IGraphicsMenuRcvr_vOrvanta_au* pReceiver);

  IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }

  // The title item i (from 1) shows under the prefix setting (1, 2, 3: "%1d: ",
  // "%02d: ", "%03d: " in front; anything else: the text alone).
  static void ItemTitle(int prefix, int i, const char* text, char* out, int outLen);

private:
  IPopupMenu* mIPopupMenu = nullptr;
};
