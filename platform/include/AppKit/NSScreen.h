#ifndef APPKIT_NSSCREEN_H_
#define APPKIT_NSSCREEN_H_

#include <AppKit/NSObject.h>

// The main display. Screen coordinates have their origin at its bottom-left.
class NSScreen : public NSObject
{
public:
  // Main thread; the application environment must be loaded. Never null.
  static NSScreen* mainScreen();
  // Asking connects to the X display, as only code that places something on
  // the screen asks; mainScreen() alone does not.
  NSRect frame() const;
  NSRect visibleFrame() const { return frame(); }

private:
  NSScreen() = default;
};

#endif
