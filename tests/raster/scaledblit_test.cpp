// Scaled blits: nearest, bilinear and filter-down sampling against a direct
// statement of the sampling rules, mirroring, clipping with far-out and NaN
// coordinates, flipped bitmaps, and the vectorised samplers against their
// plain references.

#include "raster_test_util.h"

#include "raster/RAS_BlitTemplates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <memory>

namespace {

RAS_pixel FromChannels(const long long* c) // alpha, red, green, blue
{
  return Px((int)c[1], (int)c[2], (int)c[3], (int)c[0]);
}

// The scaled blit stated per destination pixel. Only for steps and starts
// that are exact binary fractions, so that 16.16 positions are exact.
void ExpectScaled(RAS_IBitmap& result, RAS_IBitmap& before, RAS_IBitmap& src, long long dx, long long dy,
                  long long dw, long long dh, double sx, double sy, double sw, double sh, float alpha, int mode)
{
  if (dw < 0)
  {
    sx += sw;
    sw = -sw;
    dx += dw;
    dw = -dw;
  }
  if (dh < 0)
  {
    sy += sh;
    sh = -sh;
    dy += dh;
    dh = -dh;
  }
  const double xadv = sw / dw, yadv = sh / dh;
  const int W = src.getWidth(), H = src.getHeight();
  const int right = (int)std::min<double>(W, std::trunc(sx + std::max(0.0, sw) + 0.999999));
  const int bottom = (int)std::min<double>(H, std::trunc(sy + std::max(0.0, sh) + 0.999999));
  // Walking backwards samples each pixel's far corner.
  if (xadv < 0) sx += xadv;
  if (yadv < 0) sy += yadv;
  const bool bilinear = (mode & 0xFF00) == 0x100;
  const bool down = bilinear && xadv >= 1.7 && yadv >= 1.7;
  const int radius = std::max(xadv, yadv) <= 3.0 ? 1 : 2;
  const int w = OracleWeight(mode, alpha);
  const bool wholeWord = (mode & 0x1FFFF) == 0 && (w == 256 || w == 128);

  for (int y = 0; y < result.getHeight(); y++)
    for (int x = 0; x < result.getWidth(); x++)
    {
      RAS_pixel expect = At(before, x, y);
      const long long px = (long long)std::llround((sx + (x - dx) * xadv) * 65536.0);
      const long long py = (long long)std::llround((sy + (y - dy) * yadv) * 65536.0);
      const long long X = px / 65536, Y = py / 65536;
      const bool in = x >= dx && x < dx + dw && y >= dy && y < dy + dh && alpha != 0.0f && w != 0;
      const bool okx = (xadv > 0 ? px >= 0 : px >= -65535) && X < right;
      const bool oky = (yadv > 0 ? py >= 0 : py >= -65535) && Y < bottom;
      if (in && okx && oky)
      {
        RAS_pixel sample = At(src, (int)X, (int)Y);
        if (wholeWord)
          expect = w == 256 ? sample : ((expect >> 1) & 0x7F7F7F7F) + ((sample >> 1) & 0x7F7F7F7F);
        else
        {
          if (down)
          {
            long long sum[4] = {0, 0, 0, 0};
            int count = 0;
            for (long long j = Y - radius; j <= Y + radius; j++)
              for (long long i = X - radius; i <= X + radius; i++)
                if (j >= 0 && j < bottom && i >= 0 && i < right)
                {
                  count++;
                  for (int c = 0; c < 4; c++) sum[c] += ChanOf(At(src, (int)i, (int)j), c);
                }
            for (int c = 0; c < 4; c++) sum[c] /= count;
            sample = FromChannels(sum);
          }
          else if (bilinear)
          {
            const long long fx = px & 0xFFFF, fy = py & 0xFFFF;
            long long c[4];
            if (Y < bottom - 1 && X < right - 1)
            {
              const long long u = fx * fy / 65536;
              for (int k = 0; k < 4; k++)
                c[k] = (ChanOf(At(src, (int)X, (int)Y), k) * (65536 - fx - fy + u) +
                        ChanOf(At(src, (int)X + 1, (int)Y), k) * (fx - u) +
                        ChanOf(At(src, (int)X, (int)Y + 1), k) * (fy - u) + ChanOf(At(src, (int)X + 1, (int)Y + 1), k) * u) /
                       65536;
              sample = FromChannels(c);
            }
            else if (Y < bottom - 1)
            {
              for (int k = 0; k < 4; k++)
                c[k] = (ChanOf(At(src, (int)X, (int)Y), k) * (65536 - fy) + ChanOf(At(src, (int)X, (int)Y + 1), k) * fy) / 65536;
              sample = FromChannels(c);
            }
            else if (X < right - 1)
            {
              for (int k = 0; k < 4; k++)
                c[k] = (ChanOf(At(src, (int)X, (int)Y), k) * (65536 - fx) + ChanOf(At(src, (int)X + 1, (int)Y), k) * fx) / 65536;
              sample = FromChannels(c);
            }
          }
          expect = OracleModePixel(mode, w, expect, sample);
        }
      }
      ASSERT_EQ(At(result, x, y), expect) << "at " << x << "," << y << " mode " << std::hex << mode << std::dec
                                          << " alpha " << alpha << " dst " << dx << "," << dy << " " << dw << "x"
                                          << dh << " src " << sx << "," << sy << " " << sw << "x" << sh;
    }
}

struct Ratio
{
  int srcSize, dstSize;
};
// Steps that are exact binary fractions: 0.25, 0.5, 0.75, 1.25, 1.5, 1.75, 2, 4.
const Ratio kRatios[] = {{2, 8}, {4, 8}, {6, 8}, {10, 8}, {6, 4}, {7, 4}, {8, 4}, {16, 4}};
const int kModes[] = {RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_DODGE, RAS_MODE_MUL, RAS_MODE_OVERLAY, RAS_MODE_HSVADJUST, 9};
const float kAlphas[] = {1.0f, 0.5f, 0.3f, 0.75f, 1.25f, 0.0f};

TEST(ScaledBlit, MatchesSamplingRulesOnRandomBitmaps)
{
  std::mt19937 rng(17);
  for (int iter = 0; iter < 1500; iter++)
  {
    const auto dstBm = MakeBitmap(15, 13, iter & 1), srcBm = MakeBitmap(17, 12, iter & 2);
    RAS_IBitmap& dst = *dstBm;
    RAS_IBitmap& src = *srcBm;
    FillRandom(dst, rng);
    FillRandom(src, rng, false);
    auto before = Snapshot(dst);
    const Ratio rx = kRatios[rng() % 8], ry = kRatios[rng() % 8];
    int mode = kModes[rng() % 7];
    if (rng() % 3 == 0) mode |= RAS_MODE_USE_ALPHA;
    if (rng() % 2) mode |= RAS_FILTER_BILINEAR;
    const float alpha = kAlphas[rng() % 6];
    int dw = rx.dstSize, dh = ry.dstSize;
    if (rng() % 4 == 0) dw = -dw;
    if (rng() % 4 == 0) dh = -dh;
    const int dstx = (int)(rng() % 26) - 8, dsty = (int)(rng() % 24) - 8;
    const double sx = ((int)(rng() % 64) - 16) * 0.25, sy = ((int)(rng() % 60) - 16) * 0.25;
    double sw = rx.srcSize, sh = ry.srcSize;
    if (rng() % 8 == 0) sw = -sw;
    RAS_ScaledBlit(&dst, &src, dstx, dsty, dw, dh, (float)sx, (float)sy, (float)sw, (float)sh, alpha, mode);
    ExpectScaled(dst, *before, src, dstx, dsty, dw, dh, sx, sy, sw, sh, alpha, mode);
  }
}

TEST(ScaledBlit, EqualSizesBlitUnlessBilinearAtAFraction)
{
  std::mt19937 rng(2);
  RAS_MemBitmap src(10, 4), dst(5, 4);
  FillRandom(src, rng, false);
  RAS_Clear(&dst, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 5, 4, 2.4f, 0.0f, 5.0f, 4.0f, 1.0f, RAS_MODE_COPY);
  for (int x = 0; x < 5; x++) EXPECT_EQ(At(dst, x, 1), At(src, x + 2, 1));
  RAS_Clear(&dst, 0);
  RAS_ScaledBlit(&dst, &src, 0, 0, 5, 4, 2.4f, 0.0f, 5.0f, 4.0f, 1.0f, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
  const long long fx = (long long)(2.4f * 65536.0) & 0xFFFF;
  for (int c = 0; c < 4; c++)
    EXPECT_EQ(ChanOf(At(dst, 0, 1), c),
              (ChanOf(At(src, 2, 1), c) * (65536 - fx) + ChanOf(At(src, 3, 1), c) * fx) / 65536);
  // Within 0.03 of a whole pixel bilinear filtering is not needed.
  RAS_ScaledBlit(&dst, &src, 0, 0, 5, 4, 1.02f, 0.0f, 5.0f, 4.0f, 1.0f, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
  EXPECT_EQ(At(dst, 0, 2), At(src, 1, 2));
}

TEST(ScaledBlit, NegativeWidthMirrorsIntoTheColumnsLeftOfDstx)
{
  std::mt19937 rng(4);
  for (int mode : {RAS_MODE_COPY, RAS_MODE_COPY | RAS_FILTER_BILINEAR, RAS_MODE_ADD})
  {
    RAS_MemBitmap src(10, 3), dst(30, 3);
    FillRandom(src, rng, false);
    RAS_Clear(&dst, 0);
    RAS_ScaledBlit(&dst, &src, 20, 0, -10, 3, 0.0f, 0.0f, 10.0f, 3.0f, 1.0f, mode);
    for (int x = 0; x < 30; x++)
      EXPECT_EQ(At(dst, x, 1), x >= 10 && x < 20 ? OracleModePixel(mode, 256, 0, At(src, 19 - x, 1)) : 0u)
          << x << " mode " << mode;
    // Twice the size, mirrored both ways: every source pixel shows twice.
    RAS_MemBitmap big(20, 6);
    RAS_ScaledBlit(&big, &src, 20, 6, -20, -6, 0.0f, 0.0f, 10.0f, 3.0f, 1.0f, RAS_MODE_COPY);
    for (int y = 0; y < 6; y++)
      for (int x = 0; x < 20; x++) EXPECT_EQ(At(big, x, y), At(src, 9 - x / 2, 2 - y / 2));
  }
}

TEST(ScaledBlit, BilinearNeverReadsAtTheRightOrBottomLimit)
{
  RAS_MemBitmap src(8, 8), dst(16, 16);
  RAS_Clear(&src, 0xFFFFFFFF);
  RAS_FillRect(&src, 0, 0, 4, 4, Px(10, 20, 30, 40), 1.0f, RAS_MODE_COPY);
  RAS_ScaledBlit(&dst, &src, 0, 0, 16, 16, 0.0f, 0.0f, 4.0f, 4.0f, 1.0f, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
  // The last column and row sample only inside the 4 x 4 rectangle.
  for (int y = 0; y < 16; y++)
    for (int x = 0; x < 16; x++) ASSERT_EQ(At(dst, x, y), Px(10, 20, 30, 40)) << x << "," << y;
}

TEST(ScaledBlit, FarOutNaNAndInfiniteCoordinates)
{
  std::mt19937 rng(8);
  RAS_MemBitmap src(6, 6), dst(8, 8);
  FillRandom(src, rng);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const float fs[] = {nan, inf, -inf, 1e30f, -1e30f, 3e9f, -3e9f, 0.5f, -0.5f, 0.0f};
  const int is[] = {INT_MIN, INT_MIN + 1, -100000, -3, 0, 3, 100000, INT_MAX};
  for (float f : fs)
    for (int i : is)
      for (int mode : {RAS_MODE_COPY, RAS_MODE_COPY | RAS_FILTER_BILINEAR, RAS_MODE_ADD | RAS_FILTER_BILINEAR})
      {
        RAS_Clear(&dst, 0x01020304);
        RAS_ScaledBlit(&dst, &src, i, 0, 5, 5, f, 0.0f, 4.0f, 4.0f, 1.0f, mode);
        RAS_ScaledBlit(&dst, &src, 0, i, i, 5, 0.0f, f, 4.0f, 3.0f, 1.0f, mode);
        RAS_ScaledBlit(&dst, &src, 1, 1, 7, i, 0.0f, 0.0f, f, f, 0.5f, mode);
        RAS_ScaledBlit(&dst, &src, i, i, i, i, f, f, f, f, f, mode);
        // Infinities that cancel make NaN positions: nothing is drawn.
        RAS_ScaledBlit(&dst, &src, i, 0, 5, 5, inf, -inf, -inf, inf, 1.0f, mode);
        if (f != f)
        {
          RAS_Clear(&dst, 0x01020304);
          RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, f, 0.0f, 3.0f, 3.0f, 1.0f, mode);
          RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0.0f, 0.0f, f, 3.0f, 1.0f, mode);
          RAS_ScaledBlit(&dst, &src, 0, 0, 8, 8, 0.0f, 0.0f, 3.0f, 3.0f, f, mode);
          for (int y = 0; y < 8; y++)
            for (int x = 0; x < 8; x++) ASSERT_EQ(At(dst, x, y), 0x01020304u);
        }
      }
}

TEST(ScaledBlit, OverlappingSourceAndDestinationReadsTheOriginal)
{
  std::mt19937 rng(12);
  for (int mode : {RAS_MODE_COPY, RAS_MODE_COPY | RAS_FILTER_BILINEAR, RAS_MODE_ADD})
  {
    RAS_MemBitmap bm(20, 20), ref(20, 20), copy(20, 20);
    FillRandom(bm, rng);
    RAS_Copy(&ref, &bm);
    RAS_Copy(&copy, &bm);
    RAS_ScaledBlit(&bm, &bm, 2, 2, 16, 16, 0.0f, 0.0f, 8.0f, 8.0f, 0.8f, mode);
    RAS_ScaledBlit(&ref, &copy, 2, 2, 16, 16, 0.0f, 0.0f, 8.0f, 8.0f, 0.8f, mode);
    EXPECT_EQ(RAS_BitmapCmp(&bm, &ref), 0);
  }
}

// Runs a check with the AVX2 kernels and, where the CPU has them, once more
// with the SSE2 ones.
template <class F>
void WithEachKernelSet(F&& check)
{
  const bool had = _RAS_cpuAVX2;
  check();
  if (had)
  {
    _RAS_cpuAVX2 = false;
    check();
    _RAS_cpuAVX2 = true;
  }
}

TEST(ScaledSamplers, BilinearSpanMatchesReference)
{
  WithEachKernelSet([] {
  std::mt19937 rng(23);
  std::vector<RAS_pixel> top(64), bot(64);
  for (int iter = 0; iter < 2000; iter++)
  {
    for (auto& p : top) p = (RAS_pixel)rng();
    for (auto& p : bot) p = (RAS_pixel)rng();
    // Now and then a run longer than one chunk of precomputed weights.
    const int n = iter % 50 == 0 ? 300 : (int)(rng() % 20);
    const long long step = n == 300 ? 65536 / 8 : (long long)(rng() % 65536) + 1 + (iter % 3) * 65536;
    const long long pos = (long long)(rng() % 65536);
    if (pos + step * (n ? n - 1 : 0) >= 62 * 65536) continue;
    const unsigned fy = (iter % 5 == 0) ? 0 : (unsigned)(rng() % 65536);
    std::vector<RAS_pixel> a(n, 7), b(n, 7);
    _RAS_ColumnTable cols;
    ASSERT_TRUE(cols.build(pos, step, n));
    _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::span(a.data(), top.data(), bot.data(), cols.xs, cols.fxs, n,
                                                              fy, 256);
    _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::spanReference(b.data(), top.data(), bot.data(), cols.xs,
                                                                       cols.fxs, n, fy, 256);
    ASSERT_EQ(a, b) << iter;
  }
  });
}

TEST(ScaledSamplers, BoxRowMatchesReference)
{
  WithEachKernelSet([] {
  std::mt19937 rng(29);
  RAS_MemBitmap src(40, 12), wide(3000, 5);
  FillRandom(wide, rng);
  for (int radius : {1, 2})
  {
    std::vector<RAS_pixel> a(1400, 9), b(1400, 9);
    _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(a.data(), wide.getBits(), wide.getRowSpan(), 2, 5, 3000, 100000,
                                                       2 * 65536 + 5, 1400, radius, 256);
    _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::rowReference(b.data(), wide.getBits(), wide.getRowSpan(), 2, 5, 3000,
                                                                100000, 2 * 65536 + 5, 1400, radius, 256);
    ASSERT_EQ(a, b);
  }
  for (int iter = 0; iter < 2000; iter++)
  {
    FillRandom(src, rng);
    const int radius = 1 + iter % 2;
    const int Y = (int)(rng() % 12), bottom = Y + 1 + (int)(rng() % (12 - Y)), right = 1 + (int)(rng() % 40);
    const long long step = 65536 + (long long)(rng() % (4 * 65536));
    const int n = 1 + (int)(rng() % 20);
    const long long pos = (long long)(rng() % 65536);
    if ((pos + step * (n - 1)) / 65536 >= right) continue;
    std::vector<RAS_pixel> a(n, 9), b(n, 9);
    _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(a.data(), src.getBits(), src.getRowSpan(), Y, bottom, right,
                                                       pos, step, n, radius, 256);
    _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::rowReference(b.data(),
                                                                src.getBits(), src.getRowSpan(), Y, bottom, right,
                                                                pos, step, n, radius, 256);
    ASSERT_EQ(a, b) << iter;
  }
  });
}

} // namespace
