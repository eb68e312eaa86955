#include "graphics/mac/CocoaFormatter.h"

#include <cstdlib>
#include <string>

CocoaFormatter_vOrvanta_au::~CocoaFormatter_vOrvanta_au()
{
  if (filterCharacterSet) filterCharacterSet->release();
}

void CocoaFormatter_vOrvanta_au::setAcceptableCharacterSet(NSCharacterSet* set)
{
  if (set) set->retain();
  if (filterCharacterSet) filterCharacterSet->release();
  filterCharacterSet = set;
}

bool CocoaFormatter_vOrvanta_au::isPartialStringValid(CFStringRef partialString, CFStringRef*, CFStringRef*)
{
  const CFIndex n = partialString ? CFStringGetLength(partialString) : 0;
  if (filterCharacterSet)
    for (CFIndex i = 0; i < n; ++i)
      if (!filterCharacterSet->characterIsMember(CFStringGetCharacterAtIndex(partialString, i))) return false;
  if (maxLength && n > maxLength) return false;
  if (maxValue && n > 0)
  {
    char text[64];
    if (CFStringGetCString(partialString, text, sizeof(text), kCFStringEncodingUTF8) && atoi(text) > maxValue)
      return false;
  }
  return true;
}

CFStringRef CocoaFormatter_vOrvanta_au::stringForObjectValue(CFTypeRef object)
{
  return object && CFGetTypeID(object) == CFStringGetTypeID() ? (CFStringRef)object : nullptr;
}

bool CocoaFormatter_vOrvanta_au::getObjectValue(CFTypeRef* object, CFStringRef string, CFStringRef*)
{
  if (object) *object = string ? CFStringCreateCopy(nullptr, string) : nullptr;
  return true;
}

NS_REGISTER_CLASS(CocoaFormatter_vOrvanta_au, NSObject);
