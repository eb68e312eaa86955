#ifndef APPKIT_NSMENU_H_
#define APPKIT_NSMENU_H_

// Popup menus. A menu is an ordered list of items; an item has a title, an
// action, a state (check mark), an enabled flag, an indentation level, or a
// submenu, or is a separator. The window system draws menus itself.
//
// Tracking: popUpContextMenu shows the menu and runs a modal loop in
// NSEventTrackingRunLoopMode (timers added for the common modes keep
// firing) until the user chooses an enabled item, presses Escape or clicks
// outside every open level. The chosen item's action then runs, before
// popUpContextMenu returns. Pointing at an item with a submenu opens it;
// arrows move the highlight (skipping separators and disabled items),
// right and left open and close submenus, Return chooses.

#include <AppKit/NSObject.h>

#include <functional>
#include <vector>

class NSEvent;
class NSView;
class NSMenu;

typedef NSInteger NSControlStateValue;
static const NSControlStateValue NSControlStateValueMixed = -1;
static const NSControlStateValue NSControlStateValueOff = 0;
static const NSControlStateValue NSControlStateValueOn = 1;
static const NSControlStateValue NSMixedState = NSControlStateValueMixed;
static const NSControlStateValue NSOffState = NSControlStateValueOff;
static const NSControlStateValue NSOnState = NSControlStateValueOn;

class NSMenuItem : public NSObject
{
public:
  // Main thread, after the menu closed; may allocate. Target and selector
  // of AppKit become one callable that receives the item as sender.
  typedef std::function<void(NSMenuItem* sender)> Action;

  // initWithTitle:action:keyEquivalent: (the strings are copied).
  NSMenuItem(CFStringRef title, Action action, CFStringRef keyEquivalent);
  // A new separator, autoreleased.
  static NSMenuItem* separatorItem();

  CFStringRef title() const { return mTitle; }
  void setTitle(CFStringRef title);
  const Action& action() const { return mAction; }
  void setAction(Action action) { mAction = std::move(action); }
  bool isSeparatorItem() const { return mSeparator; }
  NSControlStateValue state() const { return mState; }
  void setState(NSControlStateValue state) { mState = state; }
  bool isEnabled() const { return mEnabled; }
  void setEnabled(bool enabled) { mEnabled = enabled; }
  // 0 to 15 levels of indentation; other values are clamped.
  NSInteger indentationLevel() const { return mIndentation; }
  void setIndentationLevel(NSInteger level);
  NSInteger tag() const { return mTag; }
  void setTag(NSInteger tag) { mTag = tag; }
  void* representedObject() const { return mRepresented; }
  void setRepresentedObject(void* object) { mRepresented = object; }
  // Retains the submenu.
  void setSubmenu(NSMenu* submenu);
  NSMenu* submenu() const { return mSubmenu; }
  bool hasSubmenu() const { return mSubmenu != nullptr; }
  // The menu that holds this item (not retained), or null.
  NSMenu* menu() const { return mMenu; }

protected:
  ~NSMenuItem() override;

private:
  friend class NSMenu;
  CFStringRef mTitle = nullptr;
  CFStringRef mKeyEquivalent = nullptr;
  Action mAction;
  bool mSeparator = false;
  NSControlStateValue mState = NSControlStateValueOff;
  bool mEnabled = true;
  NSInteger mIndentation = 0;
  NSInteger mTag = 0;
  void* mRepresented = nullptr;
  NSMenu* mSubmenu = nullptr;
  NSMenu* mMenu = nullptr;
};

class NSMenu : public NSObject
{
public:
  explicit NSMenu(CFStringRef title); // initWithTitle:

  CFStringRef title() const { return mTitle; }
  // Retains the item. An item belongs to one menu at a time.
  void addItem(NSMenuItem* item);
  void insertItem(NSMenuItem* item, NSInteger index);
  // A new item appended to the menu (the menu holds it).
  NSMenuItem* addItemWithTitle(CFStringRef title, NSMenuItem::Action action, CFStringRef keyEquivalent);
  void removeItemAtIndex(NSInteger index);
  void removeAllItems();
  NSMenuItem* itemAtIndex(NSInteger index) const;
  NSInteger numberOfItems() const { return (NSInteger)mItems.size(); }
  // -1 when the item is not in this menu.
  NSInteger indexOfItem(const NSMenuItem* item) const;
  const std::vector<NSMenuItem*>& itemArray() const { return mItems; }
  // setSubmenu:forItem:
  void setSubmenu(NSMenu* submenu, NSMenuItem* item);
  NSMenu* supermenu() const { return mSupermenu; }
  // With automatic enabling (the default) an item is enabled when it has an
  // action or a submenu; without it, by its own enabled flag.
  void setAutoenablesItems(bool flag) { mAutoenables = flag; }
  bool autoenablesItems() const { return mAutoenables; }
  bool isItemChoosable(const NSMenuItem* item) const;

  // popUpContextMenu:withEvent:forView: shows the menu at the event's
  // location in the view's window. Main thread; modal.
  static void popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view);
  // Shows the menu with its top-left at `location` (view coordinates; null
  // view: screen coordinates). True when an item was chosen.
  bool popUpMenuPositioningItem(NSMenuItem* item, NSPoint location, NSView* view);
  // Closes the menu while it tracks, without a choice.
  void cancelTracking();

protected:
  ~NSMenu() override;

private:
  friend class NSMenuItem;
  CFStringRef mTitle;
  std::vector<NSMenuItem*> mItems;
  NSMenu* mSupermenu = nullptr;
  bool mAutoenables = true;
};

#endif
