#ifndef CGBITMAPCONTEXT_H_
#define CGBITMAPCONTEXT_H_

#include <CoreGraphics/CGContext.h>

typedef void (*CGBitmapContextReleaseDataCallback)(void* releaseInfo, void* data);

// Supported pixel layouts: 8 bits per component, 32 bits per pixel RGB with
// any alpha info except kCGImageAlphaNone and kCGImageAlphaOnly, in either
// 32-bit byte order (kCGBitmapByteOrderDefault reads as big-endian), and
// 8-bit alpha-only. Non-premultiplied alpha (First/Last) is refused, as by
// the platform. With data NULL the context allocates and zeroes its pixels.
// Device space has its origin at the bottom-left: user (0, 0) maps to the
// last row in memory until the CTM is changed.
CG_EXTERN CGContextRef CGBitmapContextCreate(void* data, size_t width, size_t height, size_t bitsPerComponent,
                                             size_t bytesPerRow, CGColorSpaceRef space, uint32_t bitmapInfo);
CG_EXTERN CGContextRef CGBitmapContextCreateWithData(void* data, size_t width, size_t height,
                                                     size_t bitsPerComponent, size_t bytesPerRow,
                                                     CGColorSpaceRef space, uint32_t bitmapInfo,
                                                     CGBitmapContextReleaseDataCallback releaseCallback,
                                                     void* releaseInfo);
CG_EXTERN void* CGBitmapContextGetData(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetWidth(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetHeight(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBitsPerComponent(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBitsPerPixel(CGContextRef context);
CG_EXTERN size_t CGBitmapContextGetBytesPerRow(CGContextRef context);
CG_EXTERN CGColorSpaceRef CGBitmapContextGetColorSpace(CGContextRef context);
CG_EXTERN CGImageAlphaInfo CGBitmapContextGetAlphaInfo(CGContextRef context);
CG_EXTERN CGBitmapInfo CGBitmapContextGetBitmapInfo(CGContextRef context);
// A snapshot of the pixels as an image.
CG_EXTERN CGImageRef CGBitmapContextCreateImage(CGContextRef context);

#endif
