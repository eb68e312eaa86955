// Bitmap contexts: pixel layout, fills, strokes, clipping, images, bad input.
#include <CoreGraphics/CoreGraphics.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>

#include <vector>

namespace
{
struct Surface
{
  Surface(int w, int h, CGBitmapInfo info = kCGImageAlphaNoneSkipFirst) : width(w), height(h), bytes((size_t)w * h * 4)
  {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ctx = CGBitmapContextCreate(bytes.data(), (size_t)w, (size_t)h, 8, (size_t)w * 4, space, info);
    CGColorSpaceRelease(space);
  }
  ~Surface() { CGContextRelease(ctx); }
  // Memory row y (0 = first in memory), column x, byte i.
  uint8_t at(int x, int y, int i) const { return bytes[((size_t)y * width + x) * 4 + i]; }
  // Red, green, blue of the none-skip-first layout.
  uint32_t rgb(int x, int y) const { return (uint32_t)at(x, y, 1) << 16 | at(x, y, 2) << 8 | at(x, y, 3); }
  int countRed(uint8_t min = 1) const
  {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += at(x, y, 1) >= min;
    return n;
  }
  int width, height;
  std::vector<uint8_t> bytes;
  CGContextRef ctx;
};

// Makes user space top-down like the drawing layers do.
void Flip(Surface& s)
{
  CGContextTranslateCTM(s.ctx, 0, s.height);
  CGContextScaleCTM(s.ctx, 1, -1);
}
} // namespace

TEST(CGBitmapContext, NoneSkipFirstIsFillerRedGreenBlueInMemory)
{
  Surface s(4, 2);
  ASSERT_NE(s.ctx, nullptr);
  CGContextSetRGBFillColor(s.ctx, 1, 0.5, 0, 1);
  // User (0, 0) is the bottom-left corner: the last row in memory.
  CGContextFillRect(s.ctx, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(s.at(0, 1, 1), 255);
  EXPECT_EQ(s.at(0, 1, 2), 128);
  EXPECT_EQ(s.at(0, 1, 3), 0);
  EXPECT_EQ(s.rgb(0, 0), 0u);
  EXPECT_EQ(s.rgb(1, 1), 0u);
  // As a little-endian word: blue << 24 | green << 16 | red << 8 | filler.
  uint32_t word;
  memcpy(&word, &s.bytes[4 * 4], 4);
  EXPECT_EQ(word & 0xFFFFFF00u, 0x00800000u | 0xFF00u);
}

TEST(CGBitmapContext, ByteOrderVariantsPutComponentsWherePublished)
{
  Surface little(1, 1, (CGBitmapInfo)kCGImageAlphaPremultipliedFirst | (CGBitmapInfo)kCGBitmapByteOrder32Little);
  CGContextSetRGBFillColor(little.ctx, 1, 0, 0, 1);
  CGContextFillRect(little.ctx, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(little.bytes[0], 0);   // blue
  EXPECT_EQ(little.bytes[2], 255); // red
  EXPECT_EQ(little.bytes[3], 255); // alpha
  Surface last(1, 1, kCGImageAlphaPremultipliedLast);
  CGContextSetRGBFillColor(last.ctx, 0, 0, 1, 1);
  CGContextFillRect(last.ctx, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(last.bytes[2], 255); // blue third
  EXPECT_EQ(last.bytes[3], 255); // alpha last
}

TEST(CGBitmapContext, RefusesUnsupportedAndBadArguments)
{
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  uint8_t buf[64];
  EXPECT_EQ(CGBitmapContextCreate(buf, 0, 1, 8, 4, space, kCGImageAlphaNoneSkipFirst), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(buf, 4, 1, 8, 8, space, kCGImageAlphaNoneSkipFirst), nullptr); // row too short
  EXPECT_EQ(CGBitmapContextCreate(buf, 1, 1, 8, 4, space, kCGImageAlphaFirst), nullptr);          // not premultiplied
  EXPECT_EQ(CGBitmapContextCreate(buf, 1, 1, 16, 8, space, kCGImageAlphaNoneSkipFirst), nullptr);
  EXPECT_EQ(CGBitmapContextCreate(nullptr, 1u << 20, 1u << 20, 8, 0, space, kCGImageAlphaNoneSkipFirst), nullptr);
  CGColorSpaceRelease(space);
  // Null contexts are ignored everywhere.
  CGContextFillRect(nullptr, CGRectMake(0, 0, 1, 1));
  CGContextSaveGState(nullptr);
  CGContextRestoreGState(nullptr);
  EXPECT_EQ(CGBitmapContextGetData(nullptr), nullptr);
}

TEST(CGContext, AntialiasingDecidesPartialCoverage)
{
  Surface s(4, 1);
  Flip(s);
  CGContextSetRGBFillColor(s.ctx, 1, 0, 0, 1);
  CGContextFillRect(s.ctx, CGRectMake(0.5, 0, 1, 1));
  EXPECT_NEAR(s.at(0, 0, 1), 128, 2);
  EXPECT_NEAR(s.at(1, 0, 1), 128, 2);
  Surface t(4, 1);
  Flip(t);
  CGContextSetShouldAntialias(t.ctx, false);
  CGContextSetRGBFillColor(t.ctx, 1, 0, 0, 1);
  CGContextFillRect(t.ctx, CGRectMake(0.25, 0, 1, 1));
  // Without anti-aliasing a pixel is in when its centre is.
  EXPECT_EQ(t.at(0, 0, 1), 255);
  EXPECT_EQ(t.at(1, 0, 1), 0);
}

TEST(CGContext, StrokesAndPathsHitTheirPixels)
{
  Surface s(10, 10);
  Flip(s);
  CGContextSetRGBStrokeColor(s.ctx, 1, 0, 0, 1);
  CGContextSetLineWidth(s.ctx, 1);
  CGContextBeginPath(s.ctx);
  CGContextMoveToPoint(s.ctx, 0, 2.5);
  CGContextAddLineToPoint(s.ctx, 10, 2.5);
  CGContextStrokePath(s.ctx);
  for (int x = 0; x < 10; ++x)
  {
    EXPECT_EQ(s.at(x, 2, 1), 255) << x;
    EXPECT_EQ(s.at(x, 1, 1), 0) << x;
    EXPECT_EQ(s.at(x, 3, 1), 0) << x;
  }
  EXPECT_TRUE(CGContextIsPathEmpty(s.ctx));

  Surface e(10, 10);
  Flip(e);
  CGContextSetRGBFillColor(e.ctx, 1, 0, 0, 1);
  CGContextFillEllipseInRect(e.ctx, CGRectMake(0, 0, 10, 10));
  EXPECT_EQ(e.at(5, 5, 1), 255);
  EXPECT_EQ(e.at(0, 0, 1), 0);
  EXPECT_EQ(e.at(9, 9, 1), 0);

  Surface c(10, 10);
  Flip(c);
  CGContextSetRGBFillColor(c.ctx, 1, 0, 0, 1);
  CGContextBeginPath(c.ctx);
  CGContextMoveToPoint(c.ctx, 0, 0);
  CGContextAddCurveToPoint(c.ctx, 10, 0, 10, 0, 10, 10);
  CGContextAddLineToPoint(c.ctx, 0, 10);
  CGContextClosePath(c.ctx);
  CGContextFillPath(c.ctx);
  EXPECT_EQ(c.at(1, 8, 1), 255);
  EXPECT_EQ(c.at(9, 0, 1), 0);
}

TEST(CGContext, ClipAndStateStack)
{
  Surface s(8, 8);
  Flip(s);
  CGContextSetRGBFillColor(s.ctx, 1, 0, 0, 1);
  CGContextSaveGState(s.ctx);
  CGContextClipToRect(s.ctx, CGRectMake(2, 2, 2, 2));
  CGContextSetRGBFillColor(s.ctx, 0, 1, 0, 1);
  CGContextFillRect(s.ctx, CGRectMake(0, 0, 8, 8));
  CGContextRestoreGState(s.ctx);
  EXPECT_EQ(s.rgb(2, 2), 0x00FF00u);
  EXPECT_EQ(s.rgb(3, 3), 0x00FF00u);
  EXPECT_EQ(s.rgb(1, 1), 0u);
  EXPECT_EQ(s.rgb(4, 4), 0u);
  // The fill colour came back with the state; the clip is gone.
  CGContextFillRect(s.ctx, CGRectMake(7, 7, 1, 1));
  EXPECT_EQ(s.rgb(7, 7), 0xFF0000u);
  CGContextRestoreGState(s.ctx); // nothing saved: ignored
}

TEST(CGContext, FarOutAndNaNCoordinates)
{
  Surface s(8, 8);
  Flip(s);
  CGContextSetRGBStrokeColor(s.ctx, 1, 0, 0, 1);
  CGContextBeginPath(s.ctx);
  CGContextMoveToPoint(s.ctx, -1e12, 4.5);
  CGContextAddLineToPoint(s.ctx, 1e12, 4.5);
  CGContextStrokePath(s.ctx);
  for (int x = 0; x < 8; ++x) EXPECT_EQ(s.at(x, 4, 1), 255) << x;
  EXPECT_EQ(s.countRed(), 8);

  Surface f(8, 8);
  Flip(f);
  CGContextSetRGBFillColor(f.ctx, 1, 0, 0, 1);
  CGContextBeginPath(f.ctx);
  CGContextMoveToPoint(f.ctx, -1e15, -1e15);
  CGContextAddLineToPoint(f.ctx, 1e15, -1e15);
  CGContextAddLineToPoint(f.ctx, 1e15, 1e15);
  CGContextAddLineToPoint(f.ctx, -1e15, 1e15);
  CGContextFillPath(f.ctx);
  EXPECT_EQ(f.countRed(255), 64);

  Surface n(8, 8);
  Flip(n);
  CGContextSetRGBFillColor(n.ctx, 1, 0, 0, 1);
  CGContextFillRect(n.ctx, CGRectMake(NAN, 0, 4, 4));
  CGContextBeginPath(n.ctx);
  CGContextMoveToPoint(n.ctx, 0, 0);
  CGContextAddLineToPoint(n.ctx, NAN, 8);
  CGContextAddLineToPoint(n.ctx, 8, 8);
  CGContextFillPath(n.ctx);
  CGContextFillRect(n.ctx, CGRectMake(1e300, 1e300, 1e300, 1e300));
  EXPECT_EQ(n.countRed(), 0);
}

TEST(CGImage, DrawsScaledWithAndWithoutFiltering)
{
  // Two pixels, red then blue, in the none-skip-first layout.
  const uint8_t px[8] = {0, 255, 0, 0, 0, 0, 0, 255};
  CGDataProviderRef prov = CGDataProviderCreateWithData(nullptr, px, sizeof px, nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef im = CGImageCreate(2, 1, 8, 32, 8, space, kCGImageAlphaNoneSkipFirst, prov, nullptr, true,
                                kCGRenderingIntentDefault);
  ASSERT_NE(im, nullptr);
  EXPECT_EQ(CGImageGetWidth(im), 2u);

  Surface s(8, 2);
  CGContextSetInterpolationQuality(s.ctx, kCGInterpolationNone);
  CGContextDrawImage(s.ctx, CGRectMake(0, 0, 8, 2), im);
  EXPECT_EQ(s.rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(s.rgb(3, 1), 0xFF0000u);
  EXPECT_EQ(s.rgb(4, 0), 0x0000FFu);
  EXPECT_EQ(s.rgb(7, 1), 0x0000FFu);

  Surface b(8, 1);
  CGContextSetInterpolationQuality(b.ctx, kCGInterpolationHigh);
  CGContextDrawImage(b.ctx, CGRectMake(0, 0, 8, 1), im);
  EXPECT_EQ(b.rgb(0, 0), 0xFF0000u);
  EXPECT_EQ(b.rgb(7, 0), 0x0000FFu);
  // Filtering blends across the middle.
  EXPECT_GT(b.at(3, 0, 3), 0);
  EXPECT_GT(b.at(4, 0, 1), 0);

  // A short provider or a zero size is refused.
  EXPECT_EQ(CGImageCreate(4, 1, 8, 32, 16, space, kCGImageAlphaNoneSkipFirst, prov, nullptr, true,
                          kCGRenderingIntentDefault),
            nullptr);
  EXPECT_EQ(CGImageCreate(0, 1, 8, 32, 8, space, kCGImageAlphaNoneSkipFirst, prov, nullptr, true,
                          kCGRenderingIntentDefault),
            nullptr);
  CGImageRelease(im);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(prov);
}

TEST(CGImage, NonPremultipliedAlphaBlendsOver)
{
  const uint8_t px[4] = {128, 255, 255, 255}; // half-transparent white, alpha first
  CGDataProviderRef prov = CGDataProviderCreateWithData(nullptr, px, sizeof px, nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGImageRef im = CGImageCreate(1, 1, 8, 32, 4, space, kCGImageAlphaFirst, prov, nullptr, true,
                                kCGRenderingIntentDefault);
  Surface s(1, 1);
  CGContextDrawImage(s.ctx, CGRectMake(0, 0, 1, 1), im);
  EXPECT_NEAR(s.at(0, 0, 1), 128, 1);
  CGImageRelease(im);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(prov);
}
