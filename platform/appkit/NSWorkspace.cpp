#include <AppKit/NSWorkspace.h>
#include <AppKit/OrvantaAppKitTesting.h>

#include "appkit/NSModal.h"
#include "appkit/NSTextDrawing.h"

#include <climits>

static std::function<bool(const std::string&)> gOpenHandler;

void OrvantaAppKitSetOpenHandler(std::function<bool(const std::string& target)> handler)
{
  gOpenHandler = std::move(handler);
}

static bool Open(const std::string& target)
{
  if (target.empty()) return false;
  if (gOpenHandler) return gOpenHandler(target);
  // A relative path that starts with a dash would read as an option.
  return NSRunProgram("xdg-open", {target[0] == '-' ? "./" + target : target}, nullptr) == 0;
}

NSWorkspace* NSWorkspace::sharedWorkspace()
{
  static NSWorkspace* workspace = new NSWorkspace; // one per process
  return workspace;
}

bool NSWorkspace::openURL(CFURLRef url)
{
  if (!url) return false;
  CFStringRef scheme = CFURLCopyScheme(url);
  const bool isFile = !scheme || CFStringCompare(scheme, CFSTR("file"), kCFCompareCaseInsensitive) == kCFCompareEqualTo;
  if (scheme) CFRelease(scheme);
  if (isFile)
  {
    char path[PATH_MAX];
    return CFURLGetFileSystemRepresentation(url, true, (UInt8*)path, sizeof path) && Open(path);
  }
  return Open(NSUtf8(CFURLGetString(url)));
}

bool NSWorkspace::openFile(CFStringRef path) { return path && Open(NSUtf8(path)); }
