#pragma once

#include "appkit/NSWindowSystem.h"

// The window system tests drive: a clock that moves only when the run loop
// waits for a date (or the test advances it), events the test posts, and
// pixels read straight from the windows.
class HeadlessWindowSystem : public NSWindowSystem
{
public:
  bool isHeadless() override { return true; }
  bool realTimeClock() const override { return false; }
  NSWindowSurface* createSurface(NSWindow* window, NSRect screenRect, NSSurfaceKind kind, uintptr_t parent) override;
  double now() override { return mNow; }
  bool waitForEvents(double deadline) override;
  NSRect screenFrame() override;
  NSPoint pointerLocation() override { return mPointer; }
  NSUInteger modifierFlags() override { return mModifiers; }
  bool setCursorVisible(bool visible) override;
  bool warpPointer(NSPoint screenPoint) override;
  void grabPointer(NSWindow*, bool) override {}

  bool cursorVisible() const { return mCursorVisible; }
  void setPointer(NSPoint p) { mPointer = p; }
  void setModifiers(NSUInteger m) { mModifiers = m; }

private:
  double mNow = 1000.0;
  NSPoint mPointer{0, 0};
  NSUInteger mModifiers = 0;
  bool mCursorVisible = true;
};
