#pragma once

// The narrow interface between the AppKit stand-in and a window system.
// Two implementations: X11 (Xlib, XShm) and headless (tests drive it).
// Everything here runs on the main thread, may allocate and takes no locks;
// only waitForEvents blocks (until its deadline).

#include <AppKit/NSGeometry.h>
#include <AppKit/NSObject.h>

#include <cstdint>
#include <functional>
#include <string>

class NSWindow;

// The native side of one window.
class NSWindowSurface
{
public:
  virtual ~NSWindowSurface() = default;
  // Content rectangle in screen coordinates (bottom-left origin).
  virtual void setFrame(NSRect screenRect) = 0;
  virtual void setVisible(bool visible) = 0;
  virtual void setTitle(const std::string& title) = 0;
  virtual void raise() = 0;
  // Copies the part (x, y, w, h; pixels from the top-left) of the window's
  // pixels (0x00RRGGBB words, rows from the top) to the screen.
  virtual void present(const uint32_t* pixels, size_t wordsPerRow, int x, int y, int w, int h) = 0;
  virtual uintptr_t nativeID() const = 0;
};

enum class NSSurfaceKind
{
  Titled,     // a normal top-level window
  Borderless, // a top-level window without decoration
  Popup,      // menus and tooltips: above everything, no decoration, no focus
  Embedded,   // inside a foreign native window
};

class NSWindowSystem
{
public:
  virtual ~NSWindowSystem() = default;
  // The window system of the process, chosen on first use (see NSApplication.h).
  static NSWindowSystem* Get();
  // Forces the headless system (tests); only before any window exists.
  static void UseHeadless();

  // Main thread: true when no display shows the windows. The X11 system
  // connects to find out, so only code about to show something asks.
  virtual bool isHeadless() = 0;
  // Any thread, never touches a connection: whether now() follows real time
  // (waiting means sleeping) or moves only when the loop waits (headless).
  virtual bool realTimeClock() const = 0;
  virtual NSWindowSurface* createSurface(NSWindow* window, NSRect screenRect, NSSurfaceKind kind,
                                         uintptr_t parent) = 0;
  // Seconds on the loop's clock.
  virtual double now() = 0;
  // Moves native events into NSApp's queue, waiting until `deadline` when
  // none is ready. False when the clock cannot reach the deadline (headless
  // with nothing to wait for).
  virtual bool waitForEvents(double deadline) = 0;
  virtual NSRect screenFrame() = 0;
  virtual NSPoint pointerLocation() = 0;
  virtual NSUInteger modifierFlags() = 0;
  virtual bool setCursorVisible(bool visible) = 0;
  // Screen coordinates.
  virtual bool warpPointer(NSPoint screenPoint) = 0;
  // Confines pointer events to this window while a menu is open (X11 grab).
  virtual void grabPointer(NSWindow* window, bool grab) = 0;
};

// Set by the window painting code around drawRect.
void NSGraphicsContextSetCurrentFlipped(bool flipped);
