// The halving and blur blits: their whole-word formulas, flipped bitmaps,
// clipping, and blurring a bitmap onto itself.

#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

RAS_pixel Q(RAS_pixel p) { return (p >> 2) & 0x3F3F3F3F; }
RAS_pixel H(RAS_pixel p) { return (p >> 1) & 0x7F7F7F7F; }
RAS_pixel E(RAS_pixel p) { return (p >> 3) & 0x1F1F1F1F; }

TEST(HalveBlitAA, AveragesBlocksAndHonoursFlipping)
{
  std::mt19937 rng(1);
  for (int flags = 0; flags < 4; flags++)
  {
    const auto srcBm = MakeBitmap(9, 7, flags & 1), dstBm = MakeBitmap(3, 5, flags & 2);
    RAS_IBitmap& src = *srcBm;
    RAS_IBitmap& dst = *dstBm;
    FillRandom(src, rng);
    RAS_Clear(&dst, 0x11111111);
    RAS_HalveBlitAA(&dst, &src);
    for (int y = 0; y < 5; y++)
      for (int x = 0; x < 3; x++)
      {
        const RAS_pixel e = y < 3 ? Q(At(src, 2 * x, 2 * y)) + Q(At(src, 2 * x + 1, 2 * y)) +
                                        Q(At(src, 2 * x, 2 * y + 1)) + Q(At(src, 2 * x + 1, 2 * y + 1))
                                  : 0x11111111;
        ASSERT_EQ(At(dst, x, y), e) << flags << " " << x << "," << y;
      }
  }
  // In place: the same bitmap halves into its own top-left quarter.
  RAS_MemBitmap bm(8, 8), ref(8, 8);
  FillRandom(bm, rng);
  RAS_Copy(&ref, &bm);
  RAS_HalveBlitAA(&bm, &bm);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++)
      ASSERT_EQ(At(bm, x, y), Q(At(ref, 2 * x, 2 * y)) + Q(At(ref, 2 * x + 1, 2 * y)) + Q(At(ref, 2 * x, 2 * y + 1)) +
                                  Q(At(ref, 2 * x + 1, 2 * y + 1)));
  RAS_HalveBlitAA(nullptr, &bm);
  RAS_HalveBlitAA(&bm, nullptr);
}

// The blur stated per pixel of a w x h area read from a copy.
RAS_pixel BlurAt(RAS_IBitmap& s, int ox, int oy, int w, int h, int x, int y)
{
  auto p = [&](int i, int j) { return At(s, ox + i, oy + j); };
  RAS_pixel v = H(p(x, y));
  v += x == 0 ? Q(p(1, y)) : x == w - 1 ? Q(p(w - 2, y)) : E(p(x - 1, y)) + E(p(x + 1, y));
  v += y == 0 ? Q(p(x, 1)) : y == h - 1 ? Q(p(x, h - 2)) : E(p(x, y - 1)) + E(p(x, y + 1));
  return v;
}

TEST(Blur, MatchesFormulaWithClippingAndFlipping)
{
  std::mt19937 rng(2);
  for (int iter = 0; iter < 300; iter++)
  {
    const auto srcBm = MakeBitmap(10, 8, iter & 1), dstBm = MakeBitmap(9, 9, iter & 2);
    RAS_IBitmap& src = *srcBm;
    RAS_IBitmap& dst = *dstBm;
    FillRandom(src, rng);
    RAS_Clear(&dst, 0x22222222);
    const int dx = (int)(rng() % 16) - 6, dy = (int)(rng() % 16) - 6, sx = (int)(rng() % 14) - 4,
              sy = (int)(rng() % 12) - 4, sw = (int)(rng() % 14), sh = (int)(rng() % 12);
    RAS_Blur(&dst, &src, dx, dy, sx, sy, sw, sh);
    // Clipping as an unscaled blit.
    long long l = sx, t = sy, r = std::min(sx + sw, 10), b = std::min(sy + sh, 8), x0 = dx, y0 = dy;
    if (l < 0) { x0 -= l; l = 0; }
    if (t < 0) { y0 -= t; t = 0; }
    if (x0 < 0) { l -= x0; x0 = 0; }
    if (y0 < 0) { t -= y0; y0 = 0; }
    const long long w = std::min(r - l, 9 - x0), h = std::min(b - t, 9 - y0);
    const bool drawn = w >= 2 && h >= 2;
    for (int y = 0; y < 9; y++)
      for (int x = 0; x < 9; x++)
      {
        const bool in = drawn && x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
        const RAS_pixel e = in ? BlurAt(src, (int)l, (int)t, (int)w, (int)h, (int)(x - x0), (int)(y - y0)) : 0x22222222;
        ASSERT_EQ(At(dst, x, y), e) << iter << " " << x << "," << y;
      }
  }
}

TEST(Blur, OntoItselfDoesNotFeedBack)
{
  std::mt19937 rng(3);
  for (int shift : {0, 1, -1, 3})
  {
    RAS_MemBitmap bm(1100, 5), ref(1100, 5);
    FillRandom(bm, rng);
    RAS_Copy(&ref, &bm);
    RAS_Blur(&bm, &bm, 2 + shift, 1, 2, 1, 1000, 3);
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 1000; x++) ASSERT_EQ(At(bm, 2 + shift + x, 1 + y), BlurAt(ref, 2, 1, 1000, 3, x, y));
  }
  RAS_MemBitmap one(1, 5);
  RAS_Clear(&one, 7);
  RAS_Blur(&one, &one, 0, 0, 0, 0, 1, 5);
  RAS_Blur(&one, &one, INT_MIN, INT_MAX, INT_MAX, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(At(one, 0, 2), 7u);
}

} // namespace
