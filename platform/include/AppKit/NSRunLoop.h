#ifndef APPKIT_NSRUNLOOP_H_
#define APPKIT_NSRUNLOOP_H_

// The main thread's loop: it fires timers, takes events from the window
// system and hands them to NSApp, and repaints windows after each pass.
// Dates (NSDate) are plain seconds on the loop's clock: monotonic time with
// a window system, a clock only tests advance in the headless one.
//
// Modes: a timer fires only while the loop runs in one of the modes it was
// added for. NSRunLoopCommonModes stands for the default, event-tracking
// (menus, drags) and modal-panel modes together.

#include <AppKit/NSObject.h>

#include <vector>

class NSTimer;

extern const CFStringRef NSDefaultRunLoopMode;
extern const CFStringRef NSRunLoopCommonModes;
extern const CFStringRef NSEventTrackingRunLoopMode;
extern const CFStringRef NSModalPanelRunLoopMode;

class NSDate
{
public:
  // [NSDate date]: now on the loop's clock.
  static NSTimeInterval date();
  static NSTimeInterval dateWithTimeIntervalSinceNow(NSTimeInterval seconds) { return date() + seconds; }
  static NSTimeInterval distantFuture() { return 1e12; }
  static NSTimeInterval distantPast() { return -1e12; }
};

class NSRunLoop : public NSObject
{
public:
  // The calling thread's loop (created on first use, lives with the thread).
  static NSRunLoop* currentRunLoop();
  static NSRunLoop* mainRunLoop();

  // Retains the timer until it is invalidated. Adding it for a second mode adds the mode.
  void addTimer(NSTimer* timer, CFStringRef mode);
  // One pass in `mode`: fires the timers that are due, delivers the events
  // that are waiting (waiting for one until `limitDate` when there is
  // none), repaints. False when nothing can ever happen in that mode.
  bool runMode(CFStringRef mode, NSTimeInterval limitDate);
  // Passes in the default mode until `limitDate`.
  void runUntilDate(NSTimeInterval limitDate);
  // The mode of the pass under way (null outside one).
  CFStringRef currentMode() const { return mCurrentMode; }

  // Fires the timers of `mode` due at `now` (run-loop internals, used by modal loops).
  void fireTimers(CFStringRef mode, NSTimeInterval now);
  // The earliest fire date of a timer of `mode`, or distantFuture.
  NSTimeInterval nextFireDate(CFStringRef mode) const;
  void removeTimer(NSTimer* timer);

private:
  NSRunLoop() = default;
  ~NSRunLoop() override;
  friend struct RunLoopHolder;
  std::vector<NSTimer*>* timers();
  struct Timers;
  Timers* mTimers = nullptr;
  CFStringRef mCurrentMode = nullptr;
};

#endif
