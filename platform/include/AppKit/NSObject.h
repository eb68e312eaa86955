#ifndef APPKIT_NSOBJECT_H_
#define APPKIT_NSOBJECT_H_

// The root class of the window-system stand-in. Objective-C messages are
// C++ virtual member functions named after the message's first keyword
// ([view drawRect:r] is view->drawRect(r); [a b:x c:y] is a->b(x, y)).
// Objects are reference counted as under manual retain/release: `new` gives
// a count of 1, retain() adds one, release() removes one and deletes the
// object at zero; autorelease() defers one release to the innermost
// NSAutoreleasePool. Strings (NSString) are CFStringRef, fonts (NSFont)
// CTFontRef and colours (NSColor) CGColorRef, toll-free bridged as on the
// platform. Everything runs on the main thread; nothing here locks.

#include <CoreFoundation/CoreFoundation.h>
#include <AppKit/NSGeometry.h>
#include <CoreGraphics/CoreGraphics.h>

class NSObject
{
public:
  NSObject();
  NSObject(const NSObject&) = delete;
  NSObject& operator=(const NSObject&) = delete;

  NSObject* retain();
  void release();
  NSObject* autorelease();
  NSUInteger retainCount() const { return mRetainCount; }

  // Main thread; allocates. A new string the caller releases.
  virtual CFStringRef description();
  // Any thread; takes the class registry's lock. The name the class was
  // registered under (NSObjCRuntime.h), or "NSObject".
  virtual const char* className() const;

protected:
  // Objects are freed by release(); subclasses' destructors are the dealloc.
  virtual ~NSObject();

private:
  NSUInteger mRetainCount = 1;
};

// Releases, at drain() or destruction, every object autoreleased while it
// was the innermost pool on this thread. Pools nest like a stack.
class NSAutoreleasePool
{
public:
  NSAutoreleasePool();
  ~NSAutoreleasePool();
  NSAutoreleasePool(const NSAutoreleasePool&) = delete;
  NSAutoreleasePool& operator=(const NSAutoreleasePool&) = delete;
  void drain();
  void addObject(NSObject* object);

private:
  NSAutoreleasePool* mOuter;
  struct Entries;
  Entries* mEntries;
};

#endif
