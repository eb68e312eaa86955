// Rotated, delta and transform blits: the affine walk against a direct
// statement, destination clipping (negative columns and rows, sizes far past
// the bitmap), second-order terms under clipping, NaN and huge values.

#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

namespace {

struct DeltaArgs
{
  int dx, dy, dw, dh;
  double sx, sy, sw, sh, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
  bool clip;
  float alpha;
  int mode;
};

void RunDelta(RAS_IBitmap& dst, RAS_IBitmap& src, const DeltaArgs& a, int offx = 0, int offy = 0)
{
  RAS_DeltaBlit(&dst, &src, a.dx + offx, a.dy + offy, a.dw, a.dh, (float)a.sx, (float)a.sy, (float)a.sw, (float)a.sh,
                a.dsdx, a.dtdx, a.dsdy, a.dtdy, a.dsdxdy, a.dtdxdy, a.clip, a.alpha, a.mode);
}

// The walk stated per destination pixel, for exact binary-fraction values.
void ExpectDelta(RAS_IBitmap& result, RAS_IBitmap& before, RAS_IBitmap& src, DeltaArgs a)
{
  long long dx = a.dx, dy = a.dy, dw = a.dw, dh = a.dh;
  double s0 = a.sx, t0 = a.sy;
  if (dw < 0)
  {
    dx += dw;
    dw = -dw;
    s0 += a.sw;
  }
  if (dh < 0)
  {
    dy += dh;
    dh = -dh;
    t0 += a.sh;
  }
  int left = 0, top = 0, right = src.getWidth(), bottom = src.getHeight();
  if (a.clip)
  {
    left = (int)std::max(0.0, a.sx);
    top = (int)std::max(0.0, a.sy);
    right = (int)std::min<double>(right, a.sx + a.sw);
    bottom = (int)std::min<double>(bottom, a.sy + a.sh);
  }
  const int w = OracleWeight(a.mode, a.alpha);
  const bool bilinear = (a.mode & 0xFF00) == 0x100;
  for (int y = 0; y < result.getHeight(); y++)
    for (int x = 0; x < result.getWidth(); x++)
    {
      RAS_pixel expect = At(before, x, y);
      const long long i = x - dx, j = y - dy;
      if (i >= 0 && i < dw && j >= 0 && j < dh && w != 0)
      {
        const long long s = std::llround((s0 + j * a.dsdy + i * (a.dsdx + j * a.dsdxdy)) * 65536.0);
        const long long t = std::llround((t0 + j * a.dtdy + i * (a.dtdx + j * a.dtdxdy)) * 65536.0);
        const long long X = s / 65536, Y = t / 65536, fx = s & 0xFFFF, fy = t & 0xFFFF;
        if (X >= left && X < right && Y >= top && Y < bottom)
        {
          auto P = [&](long long xx, long long yy, int c) { return (long long)ChanOf(At(src, (int)xx, (int)yy), c); };
          long long c[4];
          for (int k = 0; k < 4; k++)
          {
            if (!bilinear)
              c[k] = P(X, Y, k);
            else if (Y < bottom - 1 && X < right - 1)
            {
              const long long u = fx * fy / 65536;
              c[k] = (P(X, Y, k) * (65536 - fx - fy + u) + P(X + 1, Y, k) * (fx - u) + P(X, Y + 1, k) * (fy - u) +
                      P(X + 1, Y + 1, k) * u) / 65536;
            }
            else if (Y < bottom - 1)
              c[k] = (P(X, Y, k) * (65536 - fy) + P(X, Y + 1, k) * fy) / 65536;
            else if (X < right - 1)
              c[k] = (P(X, Y, k) * (65536 - fx) + P(X + 1, Y, k) * fx) / 65536;
            else
              c[k] = P(X, Y, k);
          }
          expect = OracleModePixel(a.mode, w, expect, Px((int)c[1], (int)c[2], (int)c[3], (int)c[0]));
        }
      }
      ASSERT_EQ(At(result, x, y), expect) << "at " << x << "," << y << " mode " << std::hex << a.mode << std::dec;
    }
}

double Frac64(std::mt19937& rng, int range) { return ((int)(rng() % (2 * range * 64 + 1)) - range * 64) / 64.0; }

DeltaArgs RandomDelta(std::mt19937& rng)
{
  static const int modes[] = {RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_MUL, RAS_MODE_OVERLAY,
                              RAS_MODE_COPY | RAS_MODE_USE_ALPHA, RAS_MODE_DODGE | RAS_MODE_USE_ALPHA, 8};
  static const float alphas[] = {1.0f, 0.5f, 0.3f, 2.0f};
  DeltaArgs a;
  a.dx = (int)(rng() % 30) - 10;
  a.dy = (int)(rng() % 30) - 10;
  a.dw = (int)(rng() % 24) - 6;
  a.dh = (int)(rng() % 24) - 6;
  if (a.dw == 0) a.dw = 5;
  if (a.dh == 0) a.dh = 4;
  a.sx = Frac64(rng, 6);
  a.sy = Frac64(rng, 6);
  a.sw = Frac64(rng, 12);
  a.sh = Frac64(rng, 12);
  a.dsdx = Frac64(rng, 2);
  a.dtdx = Frac64(rng, 1);
  a.dsdy = Frac64(rng, 1);
  a.dtdy = Frac64(rng, 2);
  a.dsdxdy = rng() % 2 ? 0.0 : (int)(rng() % 9 - 4) / 256.0;
  a.dtdxdy = rng() % 2 ? 0.0 : (int)(rng() % 9 - 4) / 256.0;
  a.clip = rng() % 2;
  a.alpha = alphas[rng() % 4];
  a.mode = modes[rng() % 7] | (rng() % 2 ? RAS_FILTER_BILINEAR : 0);
  return a;
}

TEST(DeltaBlit, MatchesTheWalkOnRandomBitmaps)
{
  std::mt19937 rng(13);
  for (int iter = 0; iter < 1500; iter++)
  {
    const auto dstBm = MakeBitmap(16, 14, iter & 1), srcBm = MakeBitmap(12, 11, iter & 2);
    RAS_IBitmap& dst = *dstBm;
    RAS_IBitmap& src = *srcBm;
    FillRandom(dst, rng);
    FillRandom(src, rng, false);
    auto before = Snapshot(dst);
    const DeltaArgs a = RandomDelta(rng);
    RunDelta(dst, src, a);
    ExpectDelta(dst, *before, src, a);
  }
}

TEST(DeltaBlit, ClippedDrawingEqualsACropOfTheUnclippedOne)
{
  // The same walk drawn at an offset into a bitmap large enough to hold it
  // whole, then cropped, must equal the clipped drawing: second-order terms
  // included, and nothing drawn outside.
  std::mt19937 rng(19);
  for (int iter = 0; iter < 800; iter++)
  {
    DeltaArgs a = RandomDelta(rng);
    a.dx -= 10;
    a.dy -= 10;
    RAS_MemBitmap src(12, 11), small(10, 9), big(80, 80);
    FillRandom(src, rng, false);
    RAS_Clear(&small, 0x55AA55AA);
    RAS_Clear(&big, 0x55AA55AA);
    RunDelta(small, src, a);
    RunDelta(big, src, a, 40, 40);
    for (int y = 0; y < 9; y++)
      for (int x = 0; x < 10; x++) ASSERT_EQ(At(small, x, y), At(big, x + 40, y + 40)) << iter << " " << x << "," << y;
  }
}

TEST(RotatedBlit, AngleZeroReproducesBlit)
{
  std::mt19937 rng(3);
  for (int iter = 0; iter < 300; iter++)
  {
    RAS_MemBitmap src(12, 10), a(14, 12), b(14, 12);
    FillRandom(src, rng);
    FillRandom(a, rng);
    RAS_Copy(&b, &a);
    const int dx = (int)(rng() % 20) - 8, dy = (int)(rng() % 20) - 8;
    const int sx = (int)(rng() % 8) - 2, sy = (int)(rng() % 8) - 2, w = 1 + (int)(rng() % 12), h = 1 + (int)(rng() % 10);
    const int mode = rng() % 2 ? RAS_MODE_ADD : RAS_MODE_COPY;
    RAS_RotatedBlit(&a, &src, dx, dy, w, h, (float)sx, (float)sy, (float)w, (float)h, 0.0f, true, 0.7f, mode);
    RAS_Blit(&b, &src, dx, dy, sx, sy, w, h, 0.7f, mode);
    ASSERT_EQ(RAS_BitmapCmp(&a, &b), 0) << iter;
  }
}

TEST(RotatedBlit, NegativeRowsAreClippedLikeColumns)
{
  std::mt19937 rng(6);
  RAS_MemBitmap src(8, 8);
  FillRandom(src, rng, false);
  for (int off = 1; off < 12; off++)
  {
    RAS_MemBitmap small(10, 10), big(30, 30);
    RAS_Clear(&small, 0);
    RAS_Clear(&big, 0);
    RAS_RotatedBlit(&small, &src, -off / 2, -off, 8, 8, 0, 0, 8, 8, 0.0f, false, 1.0f, RAS_MODE_COPY);
    RAS_RotatedBlit(&big, &src, 10 - off / 2, 10 - off, 8, 8, 0, 0, 8, 8, 0.0f, false, 1.0f, RAS_MODE_COPY);
    for (int y = 0; y < 10; y++)
      for (int x = 0; x < 10; x++) ASSERT_EQ(At(small, x, y), At(big, x + 10, y + 10)) << off;
  }
}

TEST(RotatedBlit, AnyAngleStaysInsideBothBitmaps)
{
  // Run under the address sanitizer this finds any read or write outside.
  std::mt19937 rng(14);
  RAS_MemBitmap src(9, 7);
  FillRandom(src, rng);
  for (int iter = 0; iter < 400; iter++)
  {
    RAS_MemBitmap dst(11, 13);
    RAS_Clear(&dst, 0);
    const float angle = (float)((rng() % 1000) / 100.0 - 5.0);
    const int dx = (int)(rng() % 40) - 20, dy = (int)(rng() % 40) - 20;
    const int dw = (int)(rng() % 60) - 30, dh = (int)(rng() % 60) - 30;
    RAS_RotatedBlit(&dst, &src, dx, dy, dw, dh, (float)(rng() % 20) - 10, (float)(rng() % 20) - 10,
                    (float)(rng() % 30) - 10, (float)(rng() % 30) - 10, angle, rng() % 2, 1.0f,
                    (rng() % 2 ? RAS_FILTER_BILINEAR : 0) | RAS_MODE_COPY, (float)(rng() % 10) - 5,
                    (float)(rng() % 10) - 5);
  }
  // A 180 degree turn of the whole image about its centre; the samples sit on
  // pixel corners, so a tiny offset keeps them inside their pixels.
  RAS_MemBitmap dst(9, 7);
  RAS_RotatedBlit(&dst, &src, 0, 0, 9, 7, 0, 0, 9, 7, (float)M_PI, false, 1.0f, RAS_MODE_COPY, -1e-3f, -1e-3f);
  for (int y = 0; y < 7; y++)
    for (int x = 0; x < 9; x++) EXPECT_EQ(At(dst, x, y), At(src, 8 - x, 6 - y)) << x << "," << y;
}

TEST(DeltaBlit, HugeSizesNaNAndInfinities)
{
  std::mt19937 rng(15);
  RAS_MemBitmap src(5, 5), dst(6, 6);
  FillRandom(src, rng);
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double ds[] = {nan, inf, -inf, 1e300, -1e300, 1e9, 0.5, -0.25, 0.0};
  const int is[] = {INT_MIN, INT_MIN + 1, -7, 0, 3, INT_MAX};
  for (double d : ds)
    for (int i : is)
    {
      RAS_Clear(&dst, 0x0A0B0C0D);
      RAS_DeltaBlit(&dst, &src, i, 0, INT_MAX, 4, 0, 0, 5, 5, d, 0, 0, 1, 0, 0, false, 1.0f, RAS_MODE_COPY);
      RAS_DeltaBlit(&dst, &src, 0, i, 4, i, 0, 0, 5, 5, 1, d, d, 1, d, 0, true, 1.0f, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
      RAS_DeltaBlit(&dst, &src, i, i, i, i, (float)d, (float)d, (float)d, (float)d, 1, 0, 0, 1, 0, d, false, 1.0f, 0);
      RAS_RotatedBlit(&dst, &src, i, i, i, i, (float)d, 0, 5, 5, (float)d, false, 1.0f, RAS_FILTER_BILINEAR);
      RAS_RotatedBlit(&dst, &src, 0, 0, INT_MAX, INT_MIN, 0, 0, (float)d, 5, 0.5f, true, 1.0f, 0, (float)d, 0);
      if (d != d)
      {
        RAS_Clear(&dst, 0x0A0B0C0D);
        RAS_DeltaBlit(&dst, &src, 0, 0, 6, 6, 0, 0, 5, 5, 1, 0, 0, 1, 0, d, false, 1.0f, RAS_MODE_COPY);
        RAS_RotatedBlit(&dst, &src, 0, 0, 6, 6, 0, 0, 5, 5, (float)d, false, 1.0f, RAS_MODE_COPY);
        for (int y = 0; y < 6; y++)
          for (int x = 0; x < 6; x++) ASSERT_EQ(At(dst, x, y), 0x0A0B0C0Du);
      }
    }
}

TEST(TransformBlit, IdentityGridReproducesBlit)
{
  std::mt19937 rng(27);
  RAS_MemBitmap src(16, 12), a(20, 16), b(20, 16);
  FillRandom(src, rng);
  FillRandom(a, rng);
  RAS_Copy(&b, &a);
  // A 5 x 4 grid over a 16 x 12 source, drawn 16 x 12 at (-2, 3).
  float pts[5 * 4 * 2];
  double dpts[5 * 4 * 2];
  for (int r = 0; r < 4; r++)
    for (int c = 0; c < 5; c++)
    {
      pts[(r * 5 + c) * 2] = (float)(dpts[(r * 5 + c) * 2] = c * 4.0);
      pts[(r * 5 + c) * 2 + 1] = (float)(dpts[(r * 5 + c) * 2 + 1] = r * 4.0);
    }
  RAS_TransformBlit(&a, &src, -2, 3, 16, 12, pts, 5, 4, 0.6f, RAS_MODE_COPY);
  RAS_Blit(&b, &src, -2, 3, nullptr, 0.6f, RAS_MODE_COPY);
  EXPECT_EQ(RAS_BitmapCmp(&a, &b), 0);
  RAS_Copy(&a, &b);
  RAS_TransformBlit2(&a, &src, -2, 3, 16, 12, dpts, 5, 4, 1.0f, RAS_MODE_ADD);
  RAS_Blit(&b, &src, -2, 3, nullptr, 1.0f, RAS_MODE_ADD);
  EXPECT_EQ(RAS_BitmapCmp(&a, &b), 0);
  // Degenerate grids and sizes draw nothing.
  RAS_Copy(&a, &b);
  RAS_TransformBlit(&a, &src, 0, 0, 16, 12, pts, 1, 4, 1.0f, 0);
  RAS_TransformBlit(&a, &src, 0, 0, 0, 12, pts, 5, 4, 1.0f, 0);
  RAS_TransformBlit(&a, &src, 0, 0, 16, 12, nullptr, 5, 4, 1.0f, 0);
  EXPECT_EQ(RAS_BitmapCmp(&a, &b), 0);
}

} // namespace
