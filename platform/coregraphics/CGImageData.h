#pragma once

#include "coregraphics/CGObject.h"

#include <CoreGraphics/CGImage.h>

#include <pixman.h>

// An image decoded once into pixman's native premultiplied layout
// (PIXMAN_a8r8g8b8, or PIXMAN_x8r8g8b8 for images without alpha).
struct CGImage : CGObject
{
  CGImage() : CGObject(cgobj::kImage) {}
  ~CGImage();

  size_t width = 0, height = 0, bitsPerComponent = 8, bitsPerPixel = 32, bytesPerRow = 0;
  CGColorSpaceRef space = nullptr;
  CGBitmapInfo bitmapInfo = 0;
  CGDataProviderRef provider = nullptr;
  bool interpolate = true;
  bool opaque = true;
  pixman_image_t* pix = nullptr;
};

namespace cgimage
{
// Converts rows of the given layout into native premultiplied pixels
// (dst stride in uint32 units). Returns false for an unsupported layout.
bool ConvertRows(const uint8_t* src, size_t srcStride, uint32_t* dst, size_t dstStride, size_t width, size_t height,
                 size_t bitsPerComponent, size_t bitsPerPixel, CGBitmapInfo info, bool gray);
// Whether a layout has meaningful alpha.
bool LayoutHasAlpha(CGBitmapInfo info, size_t bitsPerPixel, bool gray);
} // namespace cgimage
