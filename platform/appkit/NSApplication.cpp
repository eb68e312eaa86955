#include <AppKit/NSApplication.h>
#include <AppKit/NSColorPanel.h>
#include <AppKit/NSScreen.h>
#include <AppKit/NSWorkspace.h>
#include <AppKit/NSRunLoop.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSWindowSystem.h"

#include <algorithm>

NSApplication* NSApp = nullptr;

bool NSApplicationLoad()
{
  NSApplication::sharedApplication();
  return true;
}

NSApplication* NSApplication::sharedApplication()
{
  if (!NSApp)
  {
    NSWindowSystem::Get();
    NSApp = new NSApplication; // lives as long as the process, as AppKit's
    // The process-wide objects of the environment exist from here on.
    NSRunLoop::mainRunLoop();
    NSScreen::mainScreen();
    NSWorkspace::sharedWorkspace();
    NSColorPanel::sharedColorPanel();
  }
  return NSApp;
}

NSApplication::NSApplication() = default;

NSApplication::~NSApplication()
{
  for (NSEvent* e : mQueue) e->release();
}

void NSApplication::run()
{
  mRunning = true;
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  while (mRunning)
    if (!loop->runMode(NSDefaultRunLoopMode, NSDate::distantFuture()) && NSWindowSystem::Get()->isHeadless()) break;
  mRunning = false;
}

void NSApplication::stop(NSObject*)
{
  mRunning = false;
  // Wakes the loop so that it notices.
  postEvent(NSEvent::otherEventWithType(NSEventTypeApplicationDefined, NSZeroPoint, 0, NSDate::date(), 0, nullptr,
                                        0, 0, 0),
            false);
}

NSEvent* NSApplication::nextEventMatchingMask(NSEventMask mask, NSTimeInterval expiration, CFStringRef mode,
                                              bool dequeue)
{
  NSWindowSystem* ws = NSWindowSystem::Get();
  NSRunLoop* loop = NSRunLoop::mainRunLoop();
  for (;;)
  {
    ws->waitForEvents(ws->now()); // collect what is ready, without waiting
    for (auto it = mQueue.begin(); it != mQueue.end(); ++it)
      if (mask & NSEventMaskFromType((*it)->type()))
      {
        NSEvent* e = *it;
        if (dequeue)
        {
          mQueue.erase(it);
          e->autorelease();
        }
        return e;
      }
    if (ws->now() >= expiration) return nullptr;
    loop->fireTimers(mode, ws->now());
    updateWindows();
    if (!ws->waitForEvents(std::min(expiration, loop->nextFireDate(mode)))) return nullptr;
  }
}

void NSApplication::sendEvent(NSEvent* event)
{
  if (!event) return;
  if (NSWindow* w = event->window()) w->sendEvent(event);
}

void NSApplication::postEvent(NSEvent* event, bool atStart)
{
  if (!event) return;
  event->retain();
  if (atStart)
    mQueue.insert(mQueue.begin(), event);
  else
    mQueue.push_back(event);
}

void NSApplication::discardEventsMatchingMask(NSEventMask mask, NSTimeInterval beforeDate)
{
  for (auto it = mQueue.begin(); it != mQueue.end();)
    if ((mask & NSEventMaskFromType((*it)->type())) && (*it)->timestamp() < beforeDate)
    {
      (*it)->release();
      it = mQueue.erase(it);
    }
    else
      ++it;
}

NSWindow* NSApplication::windowWithWindowNumber(NSInteger number) const
{
  for (NSWindow* w : mWindows)
    if (w->windowNumber() == number) return w;
  return nullptr;
}

void NSApplication::activateIgnoringOtherApps(bool) {}

void NSApplication::updateWindows()
{
  std::vector<NSWindow*> windows = mWindows;
  for (NSWindow* w : windows)
  {
    // A window closed by an earlier one's painting is gone from the list.
    if (std::find(mWindows.begin(), mWindows.end(), w) == mWindows.end()) continue;
    if (w->isVisible() && w->viewsNeedDisplay()) w->displayIfNeeded();
  }
}

void NSApplication::windowCreated(NSWindow* window) { mWindows.push_back(window); }

void NSApplication::windowGone(NSWindow* window)
{
  mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
  if (mKeyWindow == window) mKeyWindow = nullptr;
}

void NSApplication::setKeyWindow(NSWindow* window) { mKeyWindow = window; }
