#ifndef APPKIT_NSPATHUTILITIES_H_
#define APPKIT_NSPATHUTILITIES_H_

// The standard directories. The stand-in keeps the macOS layout under the
// user's home folder ($HOME): ~/Desktop, ~/Documents, ~/Library,
// ~/Library/Application Support, ~/Library/Caches; the local domain is /Library/...

#include <AppKit/NSObject.h>

typedef enum NSSearchPathDirectory : NSUInteger {
  NSApplicationDirectory = 1,
  NSLibraryDirectory = 5,
  NSUserDirectory = 7,
  NSDocumentDirectory = 9,
  NSDesktopDirectory = 12,
  NSCachesDirectory = 13,
  NSApplicationSupportDirectory = 14,
} NSSearchPathDirectory;

typedef enum NSSearchPathDomainMask : NSUInteger {
  NSUserDomainMask = 1,
  NSLocalDomainMask = 2,
  NSNetworkDomainMask = 4,
  NSSystemDomainMask = 8,
  NSAllDomainsMask = 0x0ffff,
} NSSearchPathDomainMask;

// A new array of path strings, user domain first; paths start with "~" unless expandTilde. The caller releases it.
CFArrayRef NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domains,
                                               bool expandTilde);
// A new string: $HOME (or the password database's home folder).
CFStringRef NSHomeDirectory();
// A new string with a leading "~" or "~/" replaced by the home folder.
CFStringRef NSStringByExpandingTildeInPath(CFStringRef path);

#endif
