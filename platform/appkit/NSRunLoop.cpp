#include <AppKit/NSApplication.h>
#include <AppKit/NSTimer.h>

#include "appkit/NSWindowSystem.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <cmath>
#include <vector>

const CFStringRef NSDefaultRunLoopMode = CFSTR("kCFRunLoopDefaultMode");
const CFStringRef NSRunLoopCommonModes = CFSTR("kCFRunLoopCommonModes");
const CFStringRef NSEventTrackingRunLoopMode = CFSTR("NSEventTrackingRunLoopMode");
const CFStringRef NSModalPanelRunLoopMode = CFSTR("NSModalPanelRunLoopMode");

NSTimeInterval NSDate::date() { return NSWindowSystem::Get()->now(); }

struct NSRunLoop::Timers
{
  std::vector<NSTimer*> list;
};

// Each thread's loop lives as long as the thread.
struct RunLoopHolder
{
  NSRunLoop* loop = new NSRunLoop;
  ~RunLoopHolder() { loop->release(); }
};

static NSRunLoop* gMainRunLoop = nullptr;

NSRunLoop* NSRunLoop::currentRunLoop()
{
  static thread_local RunLoopHolder holder;
  return holder.loop;
}

NSRunLoop* NSRunLoop::mainRunLoop()
{
  if (!gMainRunLoop) gMainRunLoop = currentRunLoop();
  return gMainRunLoop;
}

NSRunLoop::~NSRunLoop()
{
  if (mTimers)
  {
    for (NSTimer* t : mTimers->list)
    {
      t->mLoop = nullptr;
      t->release();
    }
    delete mTimers;
  }
  if (gMainRunLoop == this) gMainRunLoop = nullptr;
}

std::vector<NSTimer*>* NSRunLoop::timers()
{
  if (!mTimers) mTimers = new Timers;
  return &mTimers->list;
}

void NSRunLoop::addTimer(NSTimer* timer, CFStringRef mode)
{
  if (!timer || !timer->mValid || !mode) return;
  if (timer->mLoop && timer->mLoop != this) return; // a timer belongs to one loop
  if (!timer->mLoop)
  {
    timer->mLoop = this;
    timer->retain();
    timers()->push_back(timer);
  }
  for (CFStringRef m : timer->mModes)
    if (CFEqual(m, mode)) return;
  timer->mModes.push_back(mode);
}

void NSRunLoop::removeTimer(NSTimer* timer)
{
  if (!mTimers || timer->mLoop != this) return;
  auto& list = mTimers->list;
  auto it = std::find(list.begin(), list.end(), timer);
  if (it == list.end()) return;
  list.erase(it);
  timer->mLoop = nullptr;
  timer->release();
}

NSTimeInterval NSRunLoop::nextFireDate(CFStringRef mode) const
{
  NSTimeInterval next = NSDate::distantFuture();
  if (!mTimers) return next;
  for (NSTimer* t : mTimers->list)
    if (t->mValid && t->runsIn(mode)) next = std::min(next, t->mFireDate);
  return next;
}

void NSRunLoop::fireTimers(CFStringRef mode, NSTimeInterval now)
{
  if (!mTimers) return;
  // Fire in date order; a timer's action may add or invalidate timers, so
  // pick one due timer at a time from the current list.
  for (;;)
  {
    NSTimer* due = nullptr;
    for (NSTimer* t : mTimers->list)
      if (t->mValid && t->runsIn(mode) && t->mFireDate <= now && (!due || t->mFireDate < due->mFireDate)) due = t;
    if (!due) return;
    due->retain();
    if (due->mRepeats)
    {
      // Missed fire dates are skipped: the next one is the first still to come.
      const double missed = std::floor((now - due->mFireDate) / due->mInterval);
      due->mFireDate += (missed + 1) * due->mInterval;
    }
    due->fire();
    due->release();
  }
}

bool NSRunLoop::runMode(CFStringRef mode, NSTimeInterval limitDate)
{
  NSAutoreleasePool pool;
  CFStringRef outer = mCurrentMode;
  mCurrentMode = mode;
  NSWindowSystem* ws = NSWindowSystem::Get();
  fireTimers(mode, ws->now());
  bool handled = false;
  if (this == mainRunLoop())
  {
    NSApplication* app = NSApplication::sharedApplication();
    const NSTimeInterval wake = std::min(limitDate, nextFireDate(mode));
    NSEvent* e = app->nextEventMatchingMask(NSEventMaskAny, wake, mode, true);
    if (e)
    {
      app->sendEvent(e);
      handled = true;
    }
    fireTimers(mode, ws->now());
    app->updateWindows();
  }
  else if (ws->realTimeClock() && ws->now() < limitDate && nextFireDate(mode) < NSDate::distantFuture())
  {
    // Secondary loops have only timers, and must not touch the window
    // system's connection, which belongs to the main thread.
    const double wait = std::min(limitDate, nextFireDate(mode)) - ws->now();
    if (wait > 0) std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    fireTimers(mode, ws->now());
  }
  mCurrentMode = outer;
  return handled || nextFireDate(mode) < NSDate::distantFuture();
}

void NSRunLoop::runUntilDate(NSTimeInterval limitDate)
{
  NSWindowSystem* ws = NSWindowSystem::Get();
  while (ws->now() < limitDate)
  {
    const double before = ws->now();
    runMode(NSDefaultRunLoopMode, limitDate);
    // Headless with nothing to wait for: the clock jumps to the limit.
    if (ws->now() == before && !ws->waitForEvents(limitDate)) break;
  }
  runMode(NSDefaultRunLoopMode, ws->now());
}

NSTimer::NSTimer(NSTimeInterval interval, bool repeats, Block block)
  : mInterval(interval > 0 ? interval : 0.0001), mRepeats(repeats), mBlock(std::move(block))
{
  // AppKit's floor for intervals: 0.1 ms.
  mFireDate = NSDate::date() + mInterval;
}

NSTimer* NSTimer::timerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block)
{
  return static_cast<NSTimer*>((new NSTimer(interval, repeats, std::move(block)))->autorelease());
}

NSTimer* NSTimer::scheduledTimerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block)
{
  NSTimer* t = timerWithTimeInterval(interval, repeats, std::move(block));
  NSRunLoop::currentRunLoop()->addTimer(t, NSDefaultRunLoopMode);
  return t;
}

bool NSTimer::runsIn(CFStringRef mode) const
{
  if (!mode) return false;
  const bool common = CFEqual(mode, NSDefaultRunLoopMode) || CFEqual(mode, NSEventTrackingRunLoopMode) ||
                      CFEqual(mode, NSModalPanelRunLoopMode);
  for (CFStringRef m : mModes)
    if (CFEqual(m, mode) || (common && CFEqual(m, NSRunLoopCommonModes))) return true;
  return false;
}

void NSTimer::invalidate()
{
  if (!mValid) return;
  mValid = false;
  mBlock = nullptr;
  if (mLoop) mLoop->removeTimer(this);
}

void NSTimer::fire()
{
  if (!mValid) return;
  retain();
  Block block = mBlock; // the action may invalidate the timer
  if (block) block(this);
  if (!mRepeats) invalidate();
  release();
}
