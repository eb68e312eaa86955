#ifndef APPKIT_NSTIMER_H_
#define APPKIT_NSTIMER_H_

// A timer of the run loop. A repeating timer fires every interval from the
// date it was made; when the loop was busy past one or more fire dates it
// fires once and goes on at the next multiple of the interval still to
// come, as AppKit's does. The target of the target-and-selector form is not
// retained (invalidate the timer before the target goes away).

#include <AppKit/NSRunLoop.h>

#include <functional>
#include <vector>

class NSTimer : public NSObject
{
public:
  // Main thread (the thread of the loop it is added to); may allocate.
  typedef std::function<void(NSTimer*)> Block;

  // timerWithTimeInterval:repeats:block:. Autoreleased and not yet in a loop.
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block);
  // timerWithTimeInterval:target:selector:userInfo:repeats:
  template <class T>
  static NSTimer* timerWithTimeInterval(NSTimeInterval interval, T* target, void (T::*selector)(NSTimer*),
                                        void* userInfo, bool repeats)
  {
    NSTimer* t = timerWithTimeInterval(interval, repeats, [target, selector](NSTimer* timer) { (target->*selector)(timer); });
    t->mUserInfo = userInfo;
    return t;
  }
  // The scheduled forms add the timer to the current loop in the default mode.
  static NSTimer* scheduledTimerWithTimeInterval(NSTimeInterval interval, bool repeats, Block block);
  template <class T>
  static NSTimer* scheduledTimerWithTimeInterval(NSTimeInterval interval, T* target, void (T::*selector)(NSTimer*),
                                                 void* userInfo, bool repeats)
  {
    NSTimer* t = timerWithTimeInterval(interval, target, selector, userInfo, repeats);
    NSRunLoop::currentRunLoop()->addTimer(t, NSDefaultRunLoopMode);
    return t;
  }

  // Stops the timer for good and takes it out of its loop (which releases it).
  void invalidate();
  bool isValid() const { return mValid; }
  // Runs the action now; a non-repeating timer is then invalidated.
  void fire();
  NSTimeInterval timeInterval() const { return mRepeats ? mInterval : 0; }
  NSTimeInterval fireDate() const { return mFireDate; }
  void setFireDate(NSTimeInterval date) { mFireDate = date; }
  void* userInfo() const { return mUserInfo; }

private:
  friend class NSRunLoop;
  NSTimer(NSTimeInterval interval, bool repeats, Block block);
  bool runsIn(CFStringRef mode) const;
  NSTimeInterval mInterval;
  NSTimeInterval mFireDate = 0;
  bool mRepeats;
  bool mValid = true;
  Block mBlock;
  void* mUserInfo = nullptr;
  NSRunLoop* mLoop = nullptr;
  std::vector<CFStringRef> mModes;
};

#endif
