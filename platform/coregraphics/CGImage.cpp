#include "coregraphics/CGImageData.h"
#include "coregraphics/CGColorSpaceData.h"
#include "coregraphics/CGDataProviderData.h"

#include <limits.h>
#include <string.h>

CGImage::~CGImage()
{
  if (pix) pixman_image_unref(pix);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(provider);
}

namespace cgimage
{
bool LayoutHasAlpha(CGBitmapInfo info, size_t bitsPerPixel, bool gray)
{
  const CGImageAlphaInfo a = info & kCGBitmapAlphaInfoMask;
  if (bitsPerPixel == 8) return !gray || a == kCGImageAlphaOnly;
  if (bitsPerPixel == 16) return gray && a != kCGImageAlphaNone && a != kCGImageAlphaNoneSkipFirst && a != kCGImageAlphaNoneSkipLast;
  if (bitsPerPixel != 32) return false;
  return a == kCGImageAlphaPremultipliedFirst || a == kCGImageAlphaPremultipliedLast || a == kCGImageAlphaFirst ||
         a == kCGImageAlphaLast;
}

static inline uint32_t Pack(uint32_t a, uint32_t r, uint32_t g, uint32_t b, bool premultiplied)
{
  if (!premultiplied && a != 255)
  {
    r = (r * a + 127) / 255;
    g = (g * a + 127) / 255;
    b = (b * a + 127) / 255;
  }
  else if (premultiplied)
  {
    // A premultiplied component cannot exceed alpha.
    if (r > a) r = a;
    if (g > a) g = a;
    if (b > a) b = a;
  }
  return a << 24 | r << 16 | g << 8 | b;
}

bool ConvertRows(const uint8_t* src, size_t srcStride, uint32_t* dst, size_t dstStride, size_t width, size_t height,
                 size_t bpc, size_t bpp, CGBitmapInfo info, bool gray)
{
  if (bpc != 8) return false;
  const CGImageAlphaInfo ai = info & kCGBitmapAlphaInfoMask;
  const uint32_t order = info & kCGBitmapByteOrderMask;
  for (size_t y = 0; y < height; ++y)
  {
    const uint8_t* s = src + y * srcStride;
    uint32_t* d = dst + y * dstStride;
    if (bpp == 8)
    {
      if (gray && ai != kCGImageAlphaOnly)
        for (size_t x = 0; x < width; ++x) d[x] = 0xFF000000u | s[x] * 0x010101u;
      else
        for (size_t x = 0; x < width; ++x) d[x] = (uint32_t)s[x] << 24;
      continue;
    }
    if (bpp == 16 && gray)
    {
      const bool alphaFirst = ai == kCGImageAlphaFirst || ai == kCGImageAlphaPremultipliedFirst;
      const bool hasA = LayoutHasAlpha(info, bpp, gray);
      const bool pre = ai == kCGImageAlphaPremultipliedFirst || ai == kCGImageAlphaPremultipliedLast;
      for (size_t x = 0; x < width; ++x)
      {
        const uint8_t v = alphaFirst || ai == kCGImageAlphaNoneSkipFirst ? s[2 * x + 1] : s[2 * x];
        const uint8_t a = hasA ? (alphaFirst ? s[2 * x] : s[2 * x + 1]) : 255;
        d[x] = Pack(a, v, v, v, pre);
      }
      continue;
    }
    if (bpp == 24)
    {
      if (ai != kCGImageAlphaNone) return false;
      for (size_t x = 0; x < width; ++x) d[x] = 0xFF000000u | s[3 * x] << 16 | s[3 * x + 1] << 8 | s[3 * x + 2];
      continue;
    }
    if (bpp != 32 || gray) return false;
    // Memory positions of alpha, red, green, blue within a pixel.
    int ia, ir, ig, ib;
    const bool little = order == kCGBitmapByteOrder32Little;
    if (order != kCGBitmapByteOrderDefault && order != kCGBitmapByteOrder32Big && !little) return false;
    bool first;
    switch (ai)
    {
      case kCGImageAlphaPremultipliedFirst:
      case kCGImageAlphaFirst:
      case kCGImageAlphaNoneSkipFirst: first = true; break;
      case kCGImageAlphaPremultipliedLast:
      case kCGImageAlphaLast:
      case kCGImageAlphaNoneSkipLast: first = false; break;
      default: return false;
    }
    if (first)
    {
      ia = 0, ir = 1, ig = 2, ib = 3;
    }
    else
    {
      ir = 0, ig = 1, ib = 2, ia = 3;
    }
    if (little)
    {
      ia = 3 - ia, ir = 3 - ir, ig = 3 - ig, ib = 3 - ib;
    }
    const bool hasA = LayoutHasAlpha(info, bpp, gray);
    const bool pre = ai == kCGImageAlphaPremultipliedFirst || ai == kCGImageAlphaPremultipliedLast;
    for (size_t x = 0; x < width; ++x)
    {
      const uint8_t* p = s + 4 * x;
      d[x] = Pack(hasA ? p[ia] : 255, p[ir], p[ig], p[ib], pre);
    }
  }
  return true;
}
} // namespace cgimage

static CGImage* MakeImage(size_t width, size_t height, bool opaque)
{
  // pixman addresses rows with int strides.
  if (width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
  pixman_image_t* pix =
      pixman_image_create_bits(opaque ? PIXMAN_x8r8g8b8 : PIXMAN_a8r8g8b8, (int)width, (int)height, nullptr, 0);
  if (!pix) return nullptr;
  CGImage* im = cgobj::create<CGImage>();
  if (!im)
  {
    pixman_image_unref(pix);
    return nullptr;
  }
  im->pix = pix;
  im->width = width;
  im->height = height;
  im->opaque = opaque;
  return im;
}

CGImageRef CGImageCreate(size_t width, size_t height, size_t bitsPerComponent, size_t bitsPerPixel,
                         size_t bytesPerRow, CGColorSpaceRef space, CGBitmapInfo bitmapInfo,
                         CGDataProviderRef provider, const CGFloat* decode, bool shouldInterpolate,
                         CGColorRenderingIntent)
{
  if (!provider || decode || bitsPerComponent != 8) return nullptr;
  const CGImageAlphaInfo ai = bitmapInfo & kCGBitmapAlphaInfoMask;
  const bool gray = space ? space->model == kCGColorSpaceModelMonochrome : false;
  if (!space && ai != kCGImageAlphaOnly) return nullptr;
  if (bitsPerPixel != 8 && bitsPerPixel != 16 && bitsPerPixel != 24 && bitsPerPixel != 32) return nullptr;
  if (width == 0 || height == 0 || width > 32767 || height > 32767) return nullptr;
  const unsigned long long rowBytes = (unsigned long long)width * (bitsPerPixel / 8);
  if (bytesPerRow < rowBytes) return nullptr;
  const unsigned long long need = (unsigned long long)bytesPerRow * (height - 1) + rowBytes;
  if (need > provider->size || !provider->data) return nullptr;
  const bool hasAlpha = cgimage::LayoutHasAlpha(bitmapInfo, bitsPerPixel, gray);
  CGImage* im = MakeImage(width, height, !hasAlpha);
  if (!im) return nullptr;
  uint32_t* bits = pixman_image_get_data(im->pix);
  const size_t stride = (size_t)pixman_image_get_stride(im->pix) / 4;
  if (!cgimage::ConvertRows((const uint8_t*)provider->data, bytesPerRow, bits, stride, width, height,
                            bitsPerComponent, bitsPerPixel, bitmapInfo, gray))
  {
    CGImageRelease(im);
    return nullptr;
  }
  im->bitsPerComponent = bitsPerComponent;
  im->bitsPerPixel = bitsPerPixel;
  im->bytesPerRow = bytesPerRow;
  im->space = CGColorSpaceRetain(space);
  im->bitmapInfo = bitmapInfo;
  im->provider = CGDataProviderRetain(provider);
  im->interpolate = shouldInterpolate;
  return im;
}

CGImageRef CGImageCreateWithImageInRect(CGImageRef image, CGRect rect)
{
  if (!image) return nullptr;
  const CGRect r = CGRectIntersection(CGRectIntegral(rect), CGRectMake(0, 0, (CGFloat)image->width,
                                                                          (CGFloat)image->height));
  if (CGRectIsEmpty(r)) return nullptr;
  const size_t x0 = (size_t)r.origin.x, y0 = (size_t)r.origin.y;
  const size_t w = (size_t)r.size.width, h = (size_t)r.size.height;
  CGImage* im = MakeImage(w, h, image->opaque);
  if (!im) return nullptr;
  const uint32_t* s = pixman_image_get_data(image->pix);
  const size_t ss = (size_t)pixman_image_get_stride(image->pix) / 4;
  uint32_t* d = pixman_image_get_data(im->pix);
  const size_t ds = (size_t)pixman_image_get_stride(im->pix) / 4;
  for (size_t y = 0; y < h; ++y) memcpy(d + y * ds, s + (y0 + y) * ss + x0, w * 4);
  im->bitsPerComponent = 8;
  im->bitsPerPixel = 32;
  im->bytesPerRow = w * 4;
  im->space = CGColorSpaceRetain(image->space);
  im->bitmapInfo = image->opaque ? (CGBitmapInfo)kCGImageAlphaNoneSkipFirst | kCGBitmapByteOrder32Little
                                 : (CGBitmapInfo)kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little;
  im->provider = CGDataProviderCreateWithData(nullptr, d, ds * 4 * h, nullptr);
  im->bytesPerRow = ds * 4;
  im->interpolate = image->interpolate;
  return im;
}

CGImageRef CGImageCreateCopy(CGImageRef image)
{
  if (!image) return nullptr;
  return CGImageCreateWithImageInRect(image, CGRectMake(0, 0, (CGFloat)image->width, (CGFloat)image->height));
}

CGImageRef CGImageRetain(CGImageRef image) { return cgobj::retain(image); }
void CGImageRelease(CGImageRef image) { cgobj::release(image); }
size_t CGImageGetWidth(CGImageRef image) { return image ? image->width : 0; }
size_t CGImageGetHeight(CGImageRef image) { return image ? image->height : 0; }
size_t CGImageGetBitsPerComponent(CGImageRef image) { return image ? image->bitsPerComponent : 0; }
size_t CGImageGetBitsPerPixel(CGImageRef image) { return image ? image->bitsPerPixel : 0; }
size_t CGImageGetBytesPerRow(CGImageRef image) { return image ? image->bytesPerRow : 0; }
CGColorSpaceRef CGImageGetColorSpace(CGImageRef image) { return image ? image->space : nullptr; }
CGImageAlphaInfo CGImageGetAlphaInfo(CGImageRef image)
{
  return image ? (CGImageAlphaInfo)(image->bitmapInfo & kCGBitmapAlphaInfoMask) : (CGImageAlphaInfo)kCGImageAlphaNone;
}
CGBitmapInfo CGImageGetBitmapInfo(CGImageRef image) { return image ? image->bitmapInfo : 0; }
CGDataProviderRef CGImageGetDataProvider(CGImageRef image) { return image ? image->provider : nullptr; }
bool CGImageGetShouldInterpolate(CGImageRef image) { return image && image->interpolate; }
CFTypeID CGImageGetTypeID(void) { return cgobj::kImage; }
