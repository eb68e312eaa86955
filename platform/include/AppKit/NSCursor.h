#ifndef APPKIT_NSCURSOR_H_
#define APPKIT_NSCURSOR_H_

// The pointer's cursor. hide and unhide nest: the cursor shows again after
// as many unhides as hides. Main thread.

#include <AppKit/NSObject.h>

class NSCursor : public NSObject
{
public:
  static void hide();
  static void unhide();
  static bool isHidden();
  // Moves the pointer to a point in global display coordinates (origin at
  // the top-left of the main display, y down), as CGWarpMouseCursorPosition. True when moved.
  static bool warpCursorPosition(CGPoint globalPoint);
};

#endif
