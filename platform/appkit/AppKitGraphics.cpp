#include <AppKit/AppKitGraphics.h>

#include "coretext/CTFontCatalog.h"
#include "coretext/CTObjects.h"

#include <atomic>
#include <string>

// 10.9's value: above every threshold the drawing layers test.
const double NSFoundationVersionNumber = 1056.0;

static std::atomic<long> gLookups{0};
static thread_local CGContextRef tCurrentPort = nullptr;

// CoreGraphics and CoreText objects are CoreFoundation objects here too.
CFTypeRef NSObjectRetain(CFTypeRef obj) { return obj ? CFRetain(obj) : nullptr; }

void NSObjectRelease(CFTypeRef obj)
{
  if (obj) CFRelease(obj);
}

CTFontRef NSFontCreateWithNameSize(CFStringRef name, CGFloat size)
{
  if (!name) return nullptr;
  char buf[1024];
  if (!CFStringGetCString(name, buf, sizeof buf, kCFStringEncodingUTF8)) return nullptr;
  gLookups.fetch_add(1);
  const CTFaceInfo* info = CTFontCatalog::Get().FindExact(buf);
  if (!info) return nullptr;
  return ct::MakeFont(info, size > 0 ? size : 12.0, nullptr);
}

CGFloat NSFontLabelFontSize() { return 10.0; }

CTFontRef NSFontCreateLabelFontOfSize(CGFloat size)
{
  return CTFontCreateUIFontForLanguage(kCTFontUIFontLabel, size > 0 ? size : NSFontLabelFontSize(), nullptr);
}

long NSFontCatalogLookupCount() { return gLookups.load(); }

CGColorRef NSColorCreateWindowBackgroundColor() { return CGColorCreateGenericRGB(236 / 255.0, 236 / 255.0, 236 / 255.0, 1); }
CGColorRef NSColorCreateControlTextColor() { return CGColorCreateGenericRGB(0, 0, 0, 1); }

CGContextRef NSGraphicsContextCurrentPort() { return tCurrentPort; }

CGContextRef NSGraphicsContextSetCurrentPort(CGContextRef port)
{
  CGContextRef old = tCurrentPort;
  tCurrentPort = port;
  return old;
}
