#include <AppKit/NSCursor.h>
#include <AppKit/NSScreen.h>

#include "appkit/NSWindowSystem.h"

static int gHideCount = 0;

void NSCursor::hide()
{
  if (gHideCount++ == 0) NSWindowSystem::Get()->setCursorVisible(false);
}

void NSCursor::unhide()
{
  if (gHideCount == 0) return;
  if (--gHideCount == 0) NSWindowSystem::Get()->setCursorVisible(true);
}

bool NSCursor::isHidden() { return gHideCount > 0; }

bool NSCursor::warpCursorPosition(CGPoint global)
{
  const NSRect screen = NSScreen::mainScreen()->frame();
  return NSWindowSystem::Get()->warpPointer(NSMakePoint(global.x, NSMaxY(screen) - global.y));
}
