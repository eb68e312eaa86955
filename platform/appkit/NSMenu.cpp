#include <AppKit/NSEvent.h>
#include <AppKit/NSMenu.h>
#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSMenuTracker.h"

#include <algorithm>

static CFStringRef CopyOrEmpty(CFStringRef s) { return CFStringCreateCopy(nullptr, s ? s : CFSTR("")); }

NSMenuItem::NSMenuItem(CFStringRef title, Action action, CFStringRef keyEquivalent)
  : mTitle(CopyOrEmpty(title)), mKeyEquivalent(CopyOrEmpty(keyEquivalent)), mAction(std::move(action))
{
}

NSMenuItem* NSMenuItem::separatorItem()
{
  NSMenuItem* item = new NSMenuItem(CFSTR(""), nullptr, CFSTR(""));
  item->mSeparator = true;
  item->mEnabled = false;
  return static_cast<NSMenuItem*>(item->autorelease());
}

NSMenuItem::~NSMenuItem()
{
  CFRelease(mTitle);
  CFRelease(mKeyEquivalent);
  setSubmenu(nullptr);
}

void NSMenuItem::setTitle(CFStringRef title)
{
  CFStringRef old = mTitle;
  mTitle = CopyOrEmpty(title);
  CFRelease(old);
}

void NSMenuItem::setIndentationLevel(NSInteger level) { mIndentation = std::clamp<NSInteger>(level, 0, 15); }

void NSMenuItem::setSubmenu(NSMenu* submenu)
{
  if (submenu == mSubmenu) return;
  if (submenu)
  {
    submenu->retain();
    submenu->mSupermenu = mMenu;
  }
  if (mSubmenu)
  {
    mSubmenu->mSupermenu = nullptr;
    mSubmenu->release();
  }
  mSubmenu = submenu;
}

NSMenu::NSMenu(CFStringRef title) : mTitle(CopyOrEmpty(title)) {}

NSMenu::~NSMenu()
{
  removeAllItems();
  CFRelease(mTitle);
}

void NSMenu::addItem(NSMenuItem* item) { insertItem(item, numberOfItems()); }

void NSMenu::insertItem(NSMenuItem* item, NSInteger index)
{
  if (!item || item->mMenu) return;
  index = std::clamp<NSInteger>(index, 0, numberOfItems());
  item->retain();
  item->mMenu = this;
  if (item->mSubmenu) item->mSubmenu->mSupermenu = this;
  mItems.insert(mItems.begin() + index, item);
}

NSMenuItem* NSMenu::addItemWithTitle(CFStringRef title, NSMenuItem::Action action, CFStringRef keyEquivalent)
{
  NSMenuItem* item = new NSMenuItem(title, std::move(action), keyEquivalent);
  addItem(item);
  item->release();
  return item;
}

void NSMenu::removeItemAtIndex(NSInteger index)
{
  if (index < 0 || index >= numberOfItems()) return;
  NSMenuItem* item = mItems[(size_t)index];
  mItems.erase(mItems.begin() + index);
  item->mMenu = nullptr;
  item->release();
}

void NSMenu::removeAllItems()
{
  while (!mItems.empty()) removeItemAtIndex(numberOfItems() - 1);
}

NSMenuItem* NSMenu::itemAtIndex(NSInteger index) const
{
  return index >= 0 && index < numberOfItems() ? mItems[(size_t)index] : nullptr;
}

NSInteger NSMenu::indexOfItem(const NSMenuItem* item) const
{
  auto it = std::find(mItems.begin(), mItems.end(), item);
  return it == mItems.end() ? -1 : (NSInteger)(it - mItems.begin());
}

void NSMenu::setSubmenu(NSMenu* submenu, NSMenuItem* item)
{
  if (item && indexOfItem(item) >= 0) item->setSubmenu(submenu);
}

bool NSMenu::isItemChoosable(const NSMenuItem* item) const
{
  if (!item || item->isSeparatorItem()) return false;
  return mAutoenables ? (item->action() != nullptr || item->hasSubmenu()) : item->isEnabled();
}

void NSMenu::popUpContextMenu(NSMenu* menu, NSEvent* event, NSView* view)
{
  if (!menu || !event) return;
  NSWindow* window = view ? view->window() : event->window();
  const NSPoint p = event->locationInWindow();
  menu->retain();
  NSMenuTracker::Run(menu, window ? window->convertPointToScreen(p) : p, window);
  menu->release();
}

bool NSMenu::popUpMenuPositioningItem(NSMenuItem*, NSPoint location, NSView* view)
{
  NSPoint screen = location;
  NSWindow* window = view ? view->window() : nullptr;
  if (view)
  {
    if (!window) return false;
    screen = window->convertPointToScreen(view->convertPointToView(location, nullptr));
  }
  retain();
  const bool chosen = NSMenuTracker::Run(this, screen, window);
  release();
  return chosen;
}

void NSMenu::cancelTracking() { NSMenuTracker::Cancel(this); }
