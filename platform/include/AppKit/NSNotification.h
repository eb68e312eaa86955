#ifndef APPKIT_NSNOTIFICATION_H_
#define APPKIT_NSNOTIFICATION_H_

#include <AppKit/NSObject.h>

// A named message about an object, with optional details. The notification
// retains its name and user-info dictionary; the object is not retained.
class NSNotification : public NSObject
{
public:
  NSNotification(CFStringRef name, NSObject* object, CFDictionaryRef userInfo);
  CFStringRef name() const { return mName; }
  NSObject* object() const { return mObject; }
  CFDictionaryRef userInfo() const { return mUserInfo; }

protected:
  ~NSNotification() override;

private:
  CFStringRef mName;
  NSObject* mObject;
  CFDictionaryRef mUserInfo;
};

#endif
