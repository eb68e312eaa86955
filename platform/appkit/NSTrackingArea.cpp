#include <AppKit/NSTrackingArea.h>

NSTrackingArea::NSTrackingArea(NSRect rect, NSTrackingAreaOptions options, NSResponder* owner, void* userInfo)
  : mRect(rect), mOptions(options), mOwner(owner), mUserInfo(userInfo)
{
}
