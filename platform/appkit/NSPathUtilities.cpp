#include <AppKit/NSPathUtilities.h>

#include "appkit/NSTextDrawing.h"

#include <cstdlib>
#include <pwd.h>
#include <string>
#include <vector>
#include <unistd.h>

static std::string Home()
{
  if (const char* home = getenv("HOME"); home && *home) return home;
  if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) return pw->pw_dir;
  return "/";
}

CFStringRef NSHomeDirectory() { return NSCreateString(Home()); }

static std::string Expand(const std::string& path)
{
  if (path == "~") return Home();
  if (path.rfind("~/", 0) == 0) return Home() + path.substr(1);
  return path;
}

CFStringRef NSStringByExpandingTildeInPath(CFStringRef path) { return NSCreateString(Expand(NSUtf8(path))); }

static const char* Relative(NSSearchPathDirectory directory)
{
  switch (directory)
  {
    case NSApplicationDirectory: return "Applications";
    case NSLibraryDirectory: return "Library";
    case NSDocumentDirectory: return "Documents";
    case NSDesktopDirectory: return "Desktop";
    case NSCachesDirectory: return "Library/Caches";
    case NSApplicationSupportDirectory: return "Library/Application Support";
    default: return nullptr;
  }
}

CFArrayRef NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask domains,
                                               bool expandTilde)
{
  CFMutableArrayRef out = CFArrayCreateMutable(nullptr, 0, &kCFTypeArrayCallBacks);
  const char* rel = Relative(directory);
  std::vector<std::string> paths;
  if (directory == NSUserDirectory)
  {
    // The folder that holds the users' home folders (/Users on macOS, /home here).
    if (domains & NSLocalDomainMask)
    {
      const std::string home = Home();
      const size_t slash = home.find_last_of('/');
      paths.push_back(slash == 0 || slash == std::string::npos ? "/" : home.substr(0, slash));
    }
  }
  else if (rel)
  {
    const std::string r = rel;
    if (domains & NSUserDomainMask) paths.push_back(expandTilde ? Expand("~/" + r) : "~/" + r);
    // Desktop and Documents exist only per user.
    if ((domains & NSLocalDomainMask) && directory != NSDesktopDirectory && directory != NSDocumentDirectory)
      paths.push_back("/" + r);
  }
  for (const std::string& p : paths)
  {
    CFStringRef s = NSCreateString(p);
    CFArrayAppendValue(out, s);
    CFRelease(s);
  }
  return out;
}
