#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSRunLoop.h>
#include <AppKit/NSScreen.h>

#include "appkit/NSMenuTracker.h"
#include "appkit/NSTextDrawing.h"
#include "appkit/NSWindowSystem.h"

#include <algorithm>
#include <cmath>
#include <functional>

static std::function<void(OrvantaMenuSession&)> gMenuHandler;
static NSMenuTracker* gCurrent = nullptr;

void OrvantaAppKitSetMenuHandler(std::function<void(OrvantaMenuSession&)> handler) { gMenuHandler = std::move(handler); }

namespace {

// Menu metrics, in points.
const CGFloat kFontSize = 13;
const CGFloat kRowHeight = 20;
const CGFloat kSeparatorHeight = 10;
const CGFloat kPadding = 4;       // above the first and below the last row
const CGFloat kCheckColumn = 20;  // left of every title
const CGFloat kIndentStep = 10;   // per indentation level
const CGFloat kArrowColumn = 24;  // right of every title
const CGFloat kMinWidth = 80;
const double kHoldToChoose = 0.5; // seconds

CGFloat RowHeight(const NSMenuItem* item) { return item->isSeparatorItem() ? kSeparatorHeight : kRowHeight; }

} // namespace

// Draws one level of an open menu.
class MenuLevelView : public NSView
{
public:
  MenuLevelView(NSRect frame, NSMenuTracker::Level* level) : NSView(frame), mLevel(level) {}
  bool isOpaque() override { return true; }

  void drawRect(NSRect) override
  {
    CGContextRef c = NSGraphicsContextCurrentPort();
    const NSRect b = bounds();
    NSDrawPanel(c, b, 0.62, 0.95, 0.95, 0.95);
    CTFontRef font = NSCreateSystemFont(kFontSize);
    CGColorRef black = NSCreateColor(0, 0, 0), white = NSCreateColor(1, 1, 1), grey = NSCreateColor(0.6, 0.6, 0.6);
    NSMenu* menu = mLevel->menu;
    for (NSInteger i = 0; i < menu->numberOfItems(); ++i)
    {
      NSMenuItem* item = menu->itemAtIndex(i);
      const NSRect row = window()->convertRectFromScreen(mLevel->rows[(size_t)i]);
      if (item->isSeparatorItem())
      {
        CGContextSetRGBFillColor(c, 0.8, 0.8, 0.8, 1);
        CGContextFillRect(c, NSMakeRect(1, std::floor(NSMidY(row)), b.size.width - 2, 1));
        continue;
      }
      const bool enabled = menu->isItemChoosable(item);
      const bool lit = enabled && i == mLevel->highlighted;
      if (lit)
      {
        CGContextSetRGBFillColor(c, 0.22, 0.46, 0.84, 1);
        CGContextFillRect(c, NSMakeRect(1, row.origin.y, b.size.width - 2, row.size.height));
      }
      CGColorRef ink = lit ? white : enabled ? black : grey;
      NSTextLine title(item->title(), font, ink);
      const CGFloat baseline = std::floor(row.origin.y + (row.size.height - title.ascent + title.descent) / 2 + title.descent);
      title.draw(c, kCheckColumn + kIndentStep * (CGFloat)item->indentationLevel(), baseline);
      if (item->state() != NSControlStateValueOff)
      {
        NSTextLine mark(item->state() == NSControlStateValueOn ? CFSTR("\u2713") : CFSTR("\u2013"), font, ink);
        mark.draw(c, 5, baseline);
      }
      if (item->hasSubmenu())
      {
        NSTextLine arrow(CFSTR("\u25B8"), font, ink);
        arrow.draw(c, b.size.width - 16, baseline);
      }
    }
    CGColorRelease(black);
    CGColorRelease(white);
    CGColorRelease(grey);
    CFRelease(font);
  }

private:
  NSMenuTracker::Level* mLevel;
};

NSMenuTracker::NSMenuTracker(NSMenu* menu, NSPoint screenPoint) : mLocation(screenPoint), mOpenedAt(NSDate::date())
{
  mLevels.reserve(16);
  openLevel(menu, screenPoint, screenPoint.x);
}

NSMenuTracker::~NSMenuTracker()
{
  closeLevelsAbove(0);
  if (!mLevels.empty())
  {
    mLevels[0].window->close();
    mLevels[0].window->release();
    mLevels[0].menu->release();
  }
  if (mChosen) mChosen->release();
}

void NSMenuTracker::openLevel(NSMenu* menu, NSPoint topLeft, CGFloat rightIfNoRoom)
{
  if (mLevels.size() == mLevels.capacity()) return; // deeper nesting than anyone can use
  CTFontRef font = NSCreateSystemFont(kFontSize);
  CGFloat width = kMinWidth, height = 2 * kPadding;
  for (NSMenuItem* item : menu->itemArray())
  {
    NSTextLine title(item->title(), font, nullptr);
    width = std::max(width, std::ceil(kCheckColumn + kIndentStep * (CGFloat)item->indentationLevel() + title.width +
                                      kArrowColumn));
    height += RowHeight(item);
  }
  CFRelease(font);
  // Kept on the screen: moved left and up when it would leave it.
  const NSRect screen = NSScreen::mainScreen()->frame();
  CGFloat x = topLeft.x + width > NSMaxX(screen) ? std::min(rightIfNoRoom, NSMaxX(screen)) - width : topLeft.x;
  const CGFloat top = std::max(topLeft.y, screen.origin.y + height);
  x = std::max(x, screen.origin.x);
  const NSRect frame = NSMakeRect(x, top - height, width, height);

  Level level;
  level.menu = static_cast<NSMenu*>(menu->retain());
  CGFloat y = NSMaxY(frame) - kPadding;
  for (NSMenuItem* item : menu->itemArray())
  {
    const CGFloat h = RowHeight(item);
    y -= h;
    level.rows.push_back(NSMakeRect(frame.origin.x, y, width, h));
  }
  level.window = new NSWindow(frame, NSWindowStyleMaskBorderless, NSBackingStoreBuffered, false);
  level.window->setReleasedWhenClosed(false);
  level.window->setLevel(NSPopUpMenuWindowLevel);
  mLevels.push_back(level);
  level.view = new MenuLevelView(NSMakeRect(0, 0, width, height), &mLevels.back());
  mLevels.back().view = level.view;
  level.window->setContentView(level.view);
  level.view->release();
  level.window->orderFront(nullptr);
}

void NSMenuTracker::closeLevelsAbove(size_t level)
{
  while (mLevels.size() > level + 1)
  {
    Level& l = mLevels.back();
    l.window->close();
    l.window->release();
    l.menu->release();
    mLevels.pop_back();
  }
}

NSMenu* NSMenuTracker::menuAt(int level) { return level >= 0 && level < levelCount() ? mLevels[(size_t)level].menu : nullptr; }

NSWindow* NSMenuTracker::levelWindow(int level)
{
  return level >= 0 && level < levelCount() ? mLevels[(size_t)level].window : nullptr;
}

NSRect NSMenuTracker::itemFrame(int level, NSInteger index)
{
  if (level < 0 || level >= levelCount()) return NSZeroRect;
  const Level& l = mLevels[(size_t)level];
  return index >= 0 && index < (NSInteger)l.rows.size() ? l.rows[(size_t)index] : NSZeroRect;
}

std::string NSMenuTracker::shownTitle(int level, NSInteger index)
{
  NSMenu* m = menuAt(level);
  NSMenuItem* item = m ? m->itemAtIndex(index) : nullptr;
  return item ? NSUtf8(item->title()) : std::string();
}

bool NSMenuTracker::rowAt(NSPoint p, size_t* level, NSInteger* row) const
{
  for (size_t l = mLevels.size(); l-- > 0;)
  {
    if (!NSPointInRect(p, mLevels[l].window->frame())) continue;
    *level = l;
    *row = -1;
    for (size_t i = 0; i < mLevels[l].rows.size(); ++i)
      if (NSPointInRect(p, mLevels[l].rows[i])) *row = (NSInteger)i;
    return true;
  }
  return false;
}

void NSMenuTracker::highlight(size_t level, NSInteger row)
{
  Level& l = mLevels[level];
  NSMenuItem* item = l.menu->itemAtIndex(row);
  if (!l.menu->isItemChoosable(item)) row = -1, item = nullptr;
  const bool sameSubmenuOpen = item && item->hasSubmenu() && mLevels.size() > level + 1 &&
                               mLevels[level + 1].menu == item->submenu();
  if (!sameSubmenuOpen) closeLevelsAbove(level);
  if (row != l.highlighted)
  {
    l.highlighted = row;
    l.view->setNeedsDisplay(true);
  }
  if (item && item->hasSubmenu() && !sameSubmenuOpen)
  {
    const NSRect r = l.rows[(size_t)row];
    // To the right of the row, or to the left of this level when the screen ends.
    openLevel(item->submenu(), NSMakePoint(NSMaxX(r) - 2, NSMaxY(r) + kPadding), l.window->frame().origin.x + 2);
  }
}

void NSMenuTracker::pointer(NSPoint p, bool down, bool up)
{
  // The button that opened the menu may still be down: its release chooses
  // only after the pointer moved or after a press-and-hold (AppKit's behaviour).
  if (!mSeenPointer)
  {
    mSeenPointer = true;
    mFirstPointer = p;
  }
  else if (!NSEqualPoints(p, mFirstPointer))
    mArmed = true;
  if (up && NSDate::date() - mOpenedAt > kHoldToChoose) mArmed = true;
  size_t level;
  NSInteger row;
  if (!rowAt(p, &level, &row))
  {
    if (down) finish(nullptr); // a click outside every level dismisses
    else if (!mLevels.empty() && mLevels.back().highlighted >= 0)
    {
      mLevels.back().highlighted = -1;
      mLevels.back().view->setNeedsDisplay(true);
    }
    return;
  }
  if (down) mArmed = true;
  highlight(level, row);
  if (up && mArmed && row >= 0) choose(level, row);
}

void NSMenuTracker::choose(size_t level, NSInteger row)
{
  NSMenuItem* item = mLevels[level].menu->itemAtIndex(row);
  if (!mLevels[level].menu->isItemChoosable(item) || item->hasSubmenu()) return;
  finish(item);
}

void NSMenuTracker::finish(NSMenuItem* chosen)
{
  if (mDone) return;
  mDone = true;
  if (chosen) mChosen = static_cast<NSMenuItem*>(chosen->retain());
}

void NSMenuTracker::moveHighlight(int direction)
{
  Level& l = mLevels.back();
  const NSInteger n = l.menu->numberOfItems();
  NSInteger i = l.highlighted;
  for (NSInteger step = 0; step < n; ++step)
  {
    i = i < 0 ? (direction > 0 ? 0 : n - 1) : (i + direction + n) % n;
    if (l.menu->isItemChoosable(l.menu->itemAtIndex(i)))
    {
      l.highlighted = i;
      l.view->setNeedsDisplay(true);
      return;
    }
  }
}

void NSMenuTracker::key(unsigned short keyCode)
{
  if (mDone || mLevels.empty()) return;
  Level& l = mLevels.back();
  NSMenuItem* item = l.menu->itemAtIndex(l.highlighted);
  switch (keyCode)
  {
    case kVK_Escape: finish(nullptr); break;
    case kVK_UpArrow: moveHighlight(-1); break;
    case kVK_DownArrow: moveHighlight(1); break;
    case kVK_LeftArrow:
      if (mLevels.size() > 1) closeLevelsAbove(mLevels.size() - 2);
      break;
    case kVK_RightArrow:
    case kVK_Return:
    case kVK_ANSI_KeypadEnter:
    case kVK_Space:
      if (!item) break;
      if (item->hasSubmenu())
      {
        highlight(mLevels.size() - 1, l.highlighted);
        if (mLevels.back().menu == item->submenu()) moveHighlight(1);
      }
      else if (keyCode != kVK_RightArrow)
        choose(mLevels.size() - 1, l.highlighted);
      break;
    default: break;
  }
}

void NSMenuTracker::handle(NSEvent* e)
{
  NSWindow* w = e->window();
  const NSPoint p = w ? w->convertPointToScreen(e->locationInWindow()) : e->locationInWindow();
  switch (e->type())
  {
    case NSEventTypeMouseMoved:
    case NSEventTypeLeftMouseDragged:
    case NSEventTypeRightMouseDragged:
    case NSEventTypeOtherMouseDragged: pointer(p, false, false); break;
    case NSEventTypeLeftMouseDown:
    case NSEventTypeRightMouseDown:
    case NSEventTypeOtherMouseDown: pointer(p, true, false); break;
    case NSEventTypeLeftMouseUp:
    case NSEventTypeRightMouseUp:
    case NSEventTypeOtherMouseUp: pointer(p, false, true); break;
    case NSEventTypeKeyDown: key(e->keyCode()); break;
    default: break;
  }
  NSApp->updateWindows();
}

static NSEvent* ScreenEvent(NSEventType type, NSPoint p)
{
  return NSEvent::mouseEventWithType(type, p, 0, NSDate::date(), 0, nullptr, 0, 1, 1);
}

void NSMenuTracker::moveTo(NSPoint p)
{
  if (!mDone) handle(ScreenEvent(NSEventTypeMouseMoved, p));
}

void NSMenuTracker::click(NSPoint p)
{
  if (!mDone) handle(ScreenEvent(NSEventTypeLeftMouseDown, p));
  if (!mDone) handle(ScreenEvent(NSEventTypeLeftMouseUp, p));
}

void NSMenuTracker::mouseUp(NSPoint p)
{
  if (!mDone) handle(ScreenEvent(NSEventTypeLeftMouseUp, p));
}

bool NSMenuTracker::clickItem(const std::string& title)
{
  for (int level = levelCount() - 1; level >= 0; --level)
    for (NSInteger i = 0; i < mLevels[(size_t)level].menu->numberOfItems(); ++i)
      if (shownTitle(level, i) == title && !mLevels[(size_t)level].menu->itemAtIndex(i)->isSeparatorItem())
      {
        const NSRect r = itemFrame(level, i);
        const NSPoint centre = NSMakePoint(std::floor(NSMidX(r)), std::floor(NSMidY(r)));
        moveTo(centre);
        click(centre);
        return true;
      }
  return false;
}

void NSMenuTracker::advanceClock(double seconds)
{
  const double target = NSDate::date() + seconds;
  while (!mDone && NSDate::date() < target)
  {
    NSEvent* e = NSApp->nextEventMatchingMask(NSEventMaskAny, target, NSEventTrackingRunLoopMode, true);
    if (e) handle(e);
  }
  NSRunLoop::mainRunLoop()->fireTimers(NSEventTrackingRunLoopMode, NSDate::date());
  NSApp->updateWindows();
}

bool NSMenuTracker::Run(NSMenu* menu, NSPoint screenPoint, NSWindow*)
{
  if (gCurrent || !menu || menu->numberOfItems() == 0) return false; // one menu at a time
  NSAutoreleasePool pool;
  NSMenuTracker* t = new NSMenuTracker(menu, screenPoint);
  gCurrent = t;
  NSApp->updateWindows();
  NSWindowSystem* ws = NSWindowSystem::Get();
  if (ws->isHeadless())
  {
    if (gMenuHandler) gMenuHandler(*t);
  }
  else
  {
    ws->grabPointer(t->mLevels[0].window, true);
    while (!t->mDone)
    {
      NSAutoreleasePool inner;
      NSEvent* e = NSApp->nextEventMatchingMask(NSEventMaskAny, NSDate::distantFuture(), NSEventTrackingRunLoopMode, true);
      if (!e) break;
      t->handle(e);
    }
    ws->grabPointer(t->mLevels[0].window, false);
  }
  t->finish(nullptr);
  NSMenuItem* chosen = t->mChosen ? static_cast<NSMenuItem*>(t->mChosen->retain()) : nullptr;
  gCurrent = nullptr;
  delete t;
  if (!chosen) return false;
  if (chosen->action()) chosen->action()(chosen);
  chosen->release();
  return true;
}

void NSMenuTracker::Cancel(NSMenu* menu)
{
  if (!gCurrent) return;
  for (const Level& l : gCurrent->mLevels)
    if (l.menu == menu) gCurrent->finish(nullptr);
}
