#ifndef APPKIT_NSTRACKINGAREA_H_
#define APPKIT_NSTRACKINGAREA_H_

// A rectangle of a view whose owner hears of the pointer entering, leaving
// and moving inside it. The area retains neither its owner nor its user data.

#include <AppKit/NSResponder.h>

typedef enum NSTrackingAreaOptions : NSUInteger {
  NSTrackingMouseEnteredAndExited = 0x01,
  NSTrackingMouseMoved = 0x02,
  NSTrackingCursorUpdate = 0x04,
  NSTrackingActiveWhenFirstResponder = 0x10,
  NSTrackingActiveInKeyWindow = 0x20,
  NSTrackingActiveInActiveApp = 0x40,
  NSTrackingActiveAlways = 0x80,
  NSTrackingAssumeInside = 0x100,
  NSTrackingInVisibleRect = 0x200,
  NSTrackingEnabledDuringMouseDrag = 0x400,
} NSTrackingAreaOptions;

class NSTrackingArea : public NSObject
{
public:
  NSTrackingArea(NSRect rect, NSTrackingAreaOptions options, NSResponder* owner, void* userInfo);
  NSRect rect() const { return mRect; }
  NSTrackingAreaOptions options() const { return mOptions; }
  NSResponder* owner() const { return mOwner; }
  void* userInfo() const { return mUserInfo; }

private:
  friend class NSWindow;
  NSRect mRect;
  NSTrackingAreaOptions mOptions;
  NSResponder* mOwner;
  void* mUserInfo;
  bool mInside = false;
};

#endif
