#include "coregraphics/CGColorSpaceData.h"
#include "coregraphics/CGContextData.h"
#include "coregraphics/CGImageData.h"

#include <limits.h>
#include <stdlib.h>
#include <string.h>

// The pixman format whose 32-bit words (read on this little-endian host) put
// each component where the layout's memory order does.
static pixman_format_code_t FormatFor(CGBitmapInfo info, size_t bpp, bool* ok)
{
  *ok = true;
  const CGImageAlphaInfo a = info & kCGBitmapAlphaInfoMask;
  const uint32_t order = info & kCGBitmapByteOrderMask;
  if (bpp == 8)
  {
    if (a == kCGImageAlphaOnly) return PIXMAN_a8;
    *ok = false;
    return PIXMAN_a8;
  }
  if (bpp != 32 || (info & kCGBitmapFloatComponents)) *ok = false;
  const bool little = order == kCGBitmapByteOrder32Little;
  if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big && !little) *ok = false;
  switch (a)
  {
    // Big-endian (memory) order A R G B / X R G B.
    case kCGImageAlphaPremultipliedFirst: return little ? PIXMAN_a8r8g8b8 : PIXMAN_b8g8r8a8;
    case kCGImageAlphaNoneSkipFirst: return little ? PIXMAN_x8r8g8b8 : PIXMAN_b8g8r8x8;
    // Memory order R G B A / R G B X.
    case kCGImageAlphaPremultipliedLast: return little ? PIXMAN_r8g8b8a8 : PIXMAN_a8b8g8r8;
    case kCGImageAlphaNoneSkipLast: return little ? PIXMAN_r8g8b8x8 : PIXMAN_x8b8g8r8;
    default: *ok = false; return PIXMAN_a8r8g8b8;
  }
}

CGContextRef CGBitmapContextCreateWithData(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                           size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo,
                                           CGBitmapContextReleaseDataCallback releaseCallback, void* releaseInfo)
{
  if (bitsPerComponent != 8 || width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
  const CGImageAlphaInfo a = bitmapInfo & kCGBitmapAlphaInfoMask;
  const size_t bpp = a == kCGImageAlphaOnly ? 8 : 32;
  if (bpp == 32 && (!space || space->model != kCGColorSpaceModelRGB)) return nullptr;
  bool ok;
  const pixman_format_code_t fmt = FormatFor(bitmapInfo, bpp, &ok);
  if (!ok) return nullptr;
  const size_t minRow = width * (bpp / 8);
  if (bytesPerRow == 0) bytesPerRow = (minRow + 3) & ~(size_t)3;
  if (bytesPerRow < minRow || bytesPerRow % 4 != 0 || bytesPerRow > (size_t)INT_MAX) return nullptr;
  if (data && ((uintptr_t)data & 3)) return nullptr;
  const unsigned long long total = (unsigned long long)bytesPerRow * height;
  if (total > (unsigned long long)SIZE_MAX / 2) return nullptr;
  bool owns = false;
  if (!data)
  {
    data = calloc(1, (size_t)total);
    if (!data) return nullptr;
    owns = true;
  }
  pixman_image_t* target = pixman_image_create_bits(fmt, (int)width, (int)height, (uint32_t*)data, (int)bytesPerRow);
  if (!target)
  {
    if (owns) free(data);
    return nullptr;
  }
  CGContext* c = cgobj::create<CGContext>();
  if (!c)
  {
    pixman_image_unref(target);
    if (owns) free(data);
    return nullptr;
  }
  c->data = data;
  c->width = width;
  c->height = height;
  c->bytesPerRow = bytesPerRow;
  c->bitmapInfo = bitmapInfo;
  c->space = CGColorSpaceRetain(space);
  c->target = target;
  c->ownsData = owns;
  c->releaseCallback = owns ? nullptr : releaseCallback;
  c->releaseInfo = releaseInfo;
  c->gs.clipX1 = (int)width;
  c->gs.clipY1 = (int)height;
  return c;
}

CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                   size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo)
{
  return CGBitmapContextCreateWithData(data, width, height, bitsPerComponent, bytesPerRow, space, bitmapInfo, nullptr,
                                       nullptr);
}

static CGContext* Ctx(CGContextRef c) { return cgobj::as<CGContext>(c, cgobj::kContext); }

void* CGBitmapContextGetData(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->data : nullptr;
}

size_t CGBitmapContextGetWidth(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->width : 0;
}

size_t CGBitmapContextGetHeight(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->height : 0;
}

size_t CGBitmapContextGetBitsPerComponent(CGContextRef c) { return Ctx(c) ? 8 : 0; }

size_t CGBitmapContextGetBitsPerPixel(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x) return 0;
  return (x->bitmapInfo & kCGBitmapAlphaInfoMask) == kCGImageAlphaOnly ? 8 : 32;
}

size_t CGBitmapContextGetBytesPerRow(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->bytesPerRow : 0;
}

CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->space : nullptr;
}

CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? (CGImageAlphaInfo)(x->bitmapInfo & kCGBitmapAlphaInfoMask) : (CGImageAlphaInfo)kCGImageAlphaNone;
}

CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->bitmapInfo : 0;
}

CGImageRef CGBitmapContextCreateImage(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x) return nullptr;
  const size_t bpp = CGBitmapContextGetBitsPerPixel(c);
  CFDataRef bytes = CFDataCreate(nullptr, (const UInt8*)x->data, (CFIndex)(x->bytesPerRow * x->height));
  if (!bytes) return nullptr;
  CGDataProviderRef prov = CGDataProviderCreateWithCFData(bytes);
  CFRelease(bytes);
  CGImageRef im = CGImageCreate(x->width, x->height, 8, bpp, x->bytesPerRow, x->space, x->bitmapInfo, prov, nullptr,
                                true, kCGRenderingIntentDefault);
  CGDataProviderRelease(prov);
  return im;
}
