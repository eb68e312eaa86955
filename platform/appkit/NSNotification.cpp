#include <AppKit/NSNotification.h>

NSNotification::NSNotification(CFStringRef name, NSObject* object, CFDictionaryRef userInfo)
  : mName(name ? (CFStringRef)CFRetain(name) : nullptr),
    mObject(object),
    mUserInfo(userInfo ? (CFDictionaryRef)CFRetain(userInfo) : nullptr)
{
}

NSNotification::~NSNotification()
{
  if (mName) CFRelease(mName);
  if (mUserInfo) CFRelease(mUserInfo);
}
