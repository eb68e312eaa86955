#pragma once

#include <AppKit/AppKit.h>

// A borderless window that still takes the keyboard, for the editor shown as
// a child of a host's window. Main thread.
class CustomCocoaWindow_vOrvanta_au : public NSWindow
{
public:
  CustomCocoaWindow_vOrvanta_au() : NSWindow(NSMakeRect(0, 0, 0, 0), NSWindowStyleMaskBorderless, NSBackingStoreBuffered, true) {}
  CustomCocoaWindow_vOrvanta_au(NSRect contentRect, NSWindowStyleMask style, NSBackingStoreType backing, bool defer)
    : NSWindow(contentRect, style, backing, defer)
  {
  }
  // Main thread; no allocation.
  bool canBecomeKeyWindow() override { return true; }
};
