#include <AppKit/NSApplication.h>
#include <AppKit/NSWindow.h>

#include "appkit/NSWindowSystem.h"

NSEvent* NSEvent::make(NSEventType type, NSPoint location, NSUInteger flags, NSTimeInterval timestamp, NSInteger window)
{
  NSEvent* e = new NSEvent;
  e->mType = type;
  e->mLocation = location;
  e->mModifierFlags = flags;
  e->mTimestamp = timestamp;
  e->mWindowNumber = window;
  return e;
}

NSEvent* NSEvent::mouseEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext*,
                                     NSInteger, NSInteger clickCount, float pressure)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber);
  e->mClickCount = clickCount;
  e->mPressure = pressure;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::keyEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                   NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext*,
                                   CFStringRef characters, CFStringRef charactersIgnoringModifiers, bool isARepeat,
                                   unsigned short keyCode)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber);
  e->mCharacters = characters ? CFStringCreateCopy(nullptr, characters) : CFStringCreateCopy(nullptr, CFSTR(""));
  e->mCharactersIgnoringModifiers = charactersIgnoringModifiers
                                        ? CFStringCreateCopy(nullptr, charactersIgnoringModifiers)
                                        : CFStringCreateCopy(nullptr, e->mCharacters);
  e->mIsARepeat = isARepeat;
  e->mKeyCode = keyCode;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::otherEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                     NSTimeInterval timestamp, NSInteger windowNumber, NSGraphicsContext*,
                                     short subtype, NSInteger data1, NSInteger data2)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber);
  e->mSubtype = subtype;
  e->mData1 = data1;
  e->mData2 = data2;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::scrollWheelEventWithLocation(NSPoint location, NSUInteger modifierFlags, NSTimeInterval timestamp,
                                               NSInteger windowNumber, CGFloat deltaX, CGFloat deltaY)
{
  NSEvent* e = make(NSEventTypeScrollWheel, location, modifierFlags, timestamp, windowNumber);
  e->mDeltaX = deltaX;
  e->mDeltaY = deltaY;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::enterExitEventWithType(NSEventType type, NSPoint location, NSUInteger modifierFlags,
                                         NSTimeInterval timestamp, NSInteger windowNumber, NSInteger trackingNumber,
                                         void* userData)
{
  NSEvent* e = make(type, location, modifierFlags, timestamp, windowNumber);
  e->mData1 = trackingNumber;
  e->mUserData = userData;
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent::~NSEvent()
{
  if (mCharacters) CFRelease(mCharacters);
  if (mCharactersIgnoringModifiers) CFRelease(mCharactersIgnoringModifiers);
}

NSWindow* NSEvent::window() const { return NSApp ? NSApp->windowWithWindowNumber(mWindowNumber) : nullptr; }

NSInteger NSEvent::buttonNumber() const
{
  switch (mType)
  {
    case NSEventTypeRightMouseDown: case NSEventTypeRightMouseUp: case NSEventTypeRightMouseDragged: return 1;
    case NSEventTypeOtherMouseDown: case NSEventTypeOtherMouseUp: case NSEventTypeOtherMouseDragged: return 2;
    default: return 0;
  }
}

NSPoint NSEvent::mouseLocation() { return NSWindowSystem::Get()->pointerLocation(); }

NSUInteger NSEvent::modifierFlagsNow() { return NSWindowSystem::Get()->modifierFlags(); }

NSTimeInterval NSEvent::doubleClickInterval() { return 0.5; }
