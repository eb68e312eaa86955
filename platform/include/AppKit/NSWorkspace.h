#ifndef APPKIT_NSWORKSPACE_H_
#define APPKIT_NSWORKSPACE_H_

// Opening documents and web addresses with the user's applications
// (xdg-open on Linux). Main thread; waits for xdg-open to hand the target over.

#include <AppKit/NSObject.h>

class NSWorkspace : public NSObject
{
public:
  static NSWorkspace* sharedWorkspace();
  // True when the URL (web or file) was handed to an application.
  bool openURL(CFURLRef url);
  // True when the file at the path was handed to an application.
  bool openFile(CFStringRef path);

private:
  NSWorkspace() = default;
};

#endif
