#include <AppKit/NSRunLoop.h>
#include <AppKit/OrvantaAppKitTesting.h>

#include "appkit/HeadlessWindowSystem.h"
#include "appkit/NSTextDrawing.h"

void OrvantaAppKitUseHeadless() { NSWindowSystem::UseHeadless(); }

bool OrvantaAppKitIsHeadless() { return NSWindowSystem::Get()->isHeadless(); }

void OrvantaAppKitRunPending()
{
  NSApplicationLoad();
  NSAutoreleasePool pool;
  const double now = NSDate::date();
  while (NSEvent* e = NSApp->nextEventMatchingMask(NSEventMaskAny, now, NSDefaultRunLoopMode, true)) NSApp->sendEvent(e);
  NSRunLoop::mainRunLoop()->fireTimers(NSDefaultRunLoopMode, now);
  NSApp->updateWindows();
}

void OrvantaAppKitAdvanceClock(double seconds)
{
  NSApplicationLoad();
  NSRunLoop::mainRunLoop()->runUntilDate(NSDate::date() + seconds);
}

static void Post(NSEvent* e)
{
  NSApp->postEvent(e, false);
  OrvantaAppKitRunPending();
}

static void TrackPointer(NSWindow* window, NSPoint location)
{
  if (auto* headless = dynamic_cast<HeadlessWindowSystem*>(NSWindowSystem::Get()))
    headless->setPointer(window->convertPointToScreen(location));
}

void OrvantaAppKitMouse(NSWindow* window, NSEventType type, NSPoint location, NSUInteger modifierFlags,
                        NSInteger clickCount)
{
  NSAutoreleasePool pool;
  TrackPointer(window, location);
  Post(NSEvent::mouseEventWithType(type, location, modifierFlags, NSDate::date(), window->windowNumber(), nullptr, 0,
                                   clickCount, 1));
}

void OrvantaAppKitScroll(NSWindow* window, NSPoint location, CGFloat deltaY, NSUInteger modifierFlags)
{
  NSAutoreleasePool pool;
  TrackPointer(window, location);
  Post(NSEvent::scrollWheelEventWithLocation(location, modifierFlags, NSDate::date(), window->windowNumber(), 0, deltaY));
}

void OrvantaAppKitKey(NSWindow* window, unsigned short keyCode, const char* characters,
                      const char* charactersIgnoringModifiers, NSUInteger modifierFlags, bool andUp)
{
  NSAutoreleasePool pool;
  CFStringRef chars = NSCreateString(characters ? characters : "");
  CFStringRef plain = NSCreateString(charactersIgnoringModifiers ? charactersIgnoringModifiers
                                                                 : characters ? characters : "");
  const NSPoint at = window->mouseLocationOutsideOfEventStream();
  Post(NSEvent::keyEventWithType(NSEventTypeKeyDown, at, modifierFlags, NSDate::date(), window->windowNumber(), nullptr,
                                 chars, plain, false, keyCode));
  if (andUp)
    Post(NSEvent::keyEventWithType(NSEventTypeKeyUp, at, modifierFlags, NSDate::date(), window->windowNumber(), nullptr,
                                   chars, plain, false, keyCode));
  CFRelease(chars);
  CFRelease(plain);
}

void OrvantaAppKitSetPointer(NSPoint screenPoint)
{
  if (auto* headless = dynamic_cast<HeadlessWindowSystem*>(NSWindowSystem::Get())) headless->setPointer(screenPoint);
}

bool OrvantaAppKitCursorVisible()
{
  auto* headless = dynamic_cast<HeadlessWindowSystem*>(NSWindowSystem::Get());
  return !headless || headless->cursorVisible();
}

uint32_t OrvantaAppKitPixel(NSWindow* window, int x, int y)
{
  const uint32_t* p = window->pixels();
  const NSRect f = window->frame();
  if (!p || x < 0 || y < 0 || x >= (int)f.size.width || y >= (int)f.size.height) return 0;
  return p[(size_t)y * window->pixelsPerRow() + (size_t)x] & 0xFFFFFF;
}
