#include <AppKit/NSPathUtilities.h>
#include <AppKit/NSSavePanel.h>

#include "appkit/NSModal.h"
#include "appkit/NSTextDrawing.h"

#include <climits>
#include <cstdlib>
#include <strings.h>

static std::string PathOf(CFURLRef url)
{
  char buf[PATH_MAX];
  return url && CFURLGetFileSystemRepresentation(url, true, (UInt8*)buf, sizeof buf) ? std::string(buf) : std::string();
}

NSSavePanel* NSSavePanel::savePanel() { return static_cast<NSSavePanel*>((new NSSavePanel)->autorelease()); }

NSOpenPanel* NSOpenPanel::openPanel() { return static_cast<NSOpenPanel*>((new NSOpenPanel)->autorelease()); }

NSSavePanel::~NSSavePanel()
{
  if (mTypes) CFRelease(mTypes);
  if (mDirectory) CFRelease(mDirectory);
  if (mName) CFRelease(mName);
  if (mTitle) CFRelease(mTitle);
  if (mMessage) CFRelease(mMessage);
  if (mURL) CFRelease(mURL);
  if (mPath) CFRelease(mPath);
}

void NSSavePanel::setAllowedFileTypes(CFArrayRef types)
{
  if (types) CFRetain(types);
  if (mTypes) CFRelease(mTypes);
  mTypes = types;
}

void NSSavePanel::setDirectoryURL(CFURLRef url)
{
  if (url) CFRetain(url);
  if (mDirectory) CFRelease(mDirectory);
  mDirectory = url;
}

void NSSavePanel::setNameFieldStringValue(CFStringRef name) { NSReplaceString(&mName, name); }
void NSSavePanel::setTitle(CFStringRef title) { NSReplaceString(&mTitle, title); }
void NSSavePanel::setMessage(CFStringRef message) { NSReplaceString(&mMessage, message); }

NSModalResponse NSSavePanel::runModal() { return run(false); }

NSModalResponse NSOpenPanel::runModal() { return run(true); }

NSModalResponse NSSavePanel::runModalForDirectory(CFStringRef directory, CFStringRef file)
{
  if (directory)
  {
    CFStringRef expanded = NSStringByExpandingTildeInPath(directory);
    CFURLRef url = CFURLCreateWithFileSystemPath(nullptr, expanded, kCFURLPOSIXPathStyle, true);
    setDirectoryURL(url);
    if (url) CFRelease(url);
    CFRelease(expanded);
  }
  if (file) setNameFieldStringValue(file);
  return runModal();
}

NSModalResponse NSOpenPanel::runModalForDirectory(CFStringRef directory, CFStringRef file, CFArrayRef types)
{
  if (types) setAllowedFileTypes(types);
  return NSSavePanel::runModalForDirectory(directory, file);
}

CFArrayRef NSOpenPanel::URLs() const
{
  const void* values[] = {mURL};
  return CFArrayCreate(nullptr, values, mURL ? 1 : 0, &kCFTypeArrayCallBacks);
}

static bool HasExtension(const std::string& path, const std::string& ext)
{
  return path.size() > ext.size() + 1 && path[path.size() - ext.size() - 1] == '.' &&
         strcasecmp(path.c_str() + path.size() - ext.size(), ext.c_str()) == 0;
}

NSModalResponse NSSavePanel::run(bool open)
{
  OrvantaModalRequest q;
  q.kind = open ? OrvantaModalRequest::OpenPanel : OrvantaModalRequest::SavePanel;
  q.title = NSUtf8(mTitle);
  q.message = NSUtf8(mMessage);
  q.directory = PathOf(mDirectory);
  q.fileName = NSUtf8(mName);
  q.canChooseFiles = mChooseFiles;
  q.canChooseDirectories = mChooseDirectories;
  for (CFIndex i = 0, n = mTypes ? CFArrayGetCount(mTypes) : 0; i < n; ++i)
  {
    CFTypeRef t = CFArrayGetValueAtIndex(mTypes, i);
    if (t && CFGetTypeID(t) == CFStringGetTypeID()) q.allowedTypes.push_back(NSUtf8((CFStringRef)t));
  }
  OrvantaModalAnswer a = NSRunModalRequest(q);
  if (a.cancelled || a.path.empty()) return NSModalResponseCancel;
  std::string path = a.path;
  if (!open && !q.allowedTypes.empty() && !mAllowsOther)
  {
    // A saved file gets the first allowed extension when it has none of them.
    bool ok = false;
    for (const std::string& t : q.allowedTypes) ok = ok || HasExtension(path, t);
    if (!ok) path += "." + q.allowedTypes[0];
  }
  if (open)
  {
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved)) path = resolved;
  }
  CFStringRef s = NSCreateString(path);
  NSReplaceString(&mPath, s);
  if (mURL) CFRelease(mURL);
  mURL = CFURLCreateWithFileSystemPath(nullptr, s, kCFURLPOSIXPathStyle, false);
  CFRelease(s);
  return NSModalResponseOK;
}
