#include <AppKit/NSApplication.h>
#include <AppKit/NSScreen.h>

#include "appkit/NSWindowSystem.h"

NSScreen* NSScreen::mainScreen()
{
  static NSScreen* screen = new NSScreen; // one display, for the life of the process
  return screen;
}

NSRect NSScreen::frame() const { return NSWindowSystem::Get()->screenFrame(); }
