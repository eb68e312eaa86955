#include "coregraphics/CGColorSpaceData.h"


const CFStringRef kCGColorSpaceGenericRGB = CFSTR("kCGColorSpaceGenericRGB");
const CFStringRef kCGColorSpaceSRGB = CFSTR("kCGColorSpaceSRGB");
const CFStringRef kCGColorSpaceGenericGray = CFSTR("kCGColorSpaceGenericGray");

CGColorSpaceRef CGColorSpaceCreateDeviceRGB(void) { return cgobj::create<CGColorSpace>(kCGColorSpaceModelRGB); }
CGColorSpaceRef CGColorSpaceCreateDeviceGray(void) { return cgobj::create<CGColorSpace>(kCGColorSpaceModelMonochrome); }

CGColorSpaceRef CGColorSpaceCreateWithName(CFStringRef name)
{
  if (!name) return nullptr;
  if (CFEqual(name, kCGColorSpaceGenericRGB) || CFEqual(name, kCGColorSpaceSRGB))
    return cgobj::create<CGColorSpace>(kCGColorSpaceModelRGB);
  if (CFEqual(name, kCGColorSpaceGenericGray)) return cgobj::create<CGColorSpace>(kCGColorSpaceModelMonochrome);
  return nullptr;
}

CGColorSpaceRef CGColorSpaceRetain(CGColorSpaceRef space) { return cgobj::retain(space); }
void CGColorSpaceRelease(CGColorSpaceRef space) { cgobj::release(space); }

size_t CGColorSpaceGetNumberOfComponents(CGColorSpaceRef space)
{
  if (!space) return 0;
  return space->model == kCGColorSpaceModelMonochrome ? 1 : 3;
}

CGColorSpaceModel CGColorSpaceGetModel(CGColorSpaceRef space)
{
  return space ? space->model : kCGColorSpaceModelUnknown;
}

CFTypeID CGColorSpaceGetTypeID(void) { return cgobj::kColorSpace; }
