// Unscaled blits: every mode against the per-pixel oracle on random bitmaps,
// clipping with coordinates far outside both bitmaps, flipped bitmaps,
// overlapping source and destination, channel copy, and the vectorised row
// kernels against their plain references.

#include "raster_test_util.h"

#include "raster/RAS_BlitTemplates.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>
#include <memory>

namespace {

// The unscaled blit stated directly: destination pixel (x, y) takes source
// pixel (x - dstx + left, y - dsty + top) when that lies inside the source
// rectangle limited to the source.
void ExpectBlit(RAS_IBitmap& result, RAS_IBitmap& before, RAS_IBitmap& src, long long dstx, long long dsty,
                RECT r, float alpha, int mode)
{
  const long long l = std::max<long long>(r.left, 0), t = std::max<long long>(r.top, 0);
  const long long rr = std::min<long long>(r.right, src.getWidth()), bb = std::min<long long>(r.bottom, src.getHeight());
  for (int y = 0; y < result.getHeight(); y++)
    for (int x = 0; x < result.getWidth(); x++)
    {
      const long long sx = x - dstx + r.left, sy = y - dsty + r.top;
      RAS_pixel expect = At(before, x, y);
      if (sx >= l && sx < rr && sy >= t && sy < bb && alpha != 0.0f)
      {
        const RAS_pixel s = At(src, (int)sx, (int)sy);
        if ((mode & 0xF0) == 0xF0)
        {
          unsigned char* e = (unsigned char*)&expect;
          e[(mode >> 2) & 3] = ((const unsigned char*)&s)[mode & 3];
        }
        else
          expect = OracleBlitPixel(mode, alpha, expect, s);
      }
      ASSERT_EQ(At(result, x, y), expect) << "at " << x << "," << y << " mode " << std::hex << mode << std::dec
                                          << " alpha " << alpha << " dst " << dstx << "," << dsty << " rect "
                                          << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
}

const int kModes[] = {RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_DODGE, RAS_MODE_MUL, RAS_MODE_OVERLAY,
                      RAS_MODE_HSVADJUST, 6, 0xFF};
const float kAlphas[] = {1.0f, 0.5f, 0.25f, 0.3f, 0.999f, 1.5f, -0.5f, 0.0f};

TEST(Blit, EveryModeMatchesOracleOnRandomBitmaps)
{
  std::mt19937 rng(11);
  for (int iter = 0; iter < 400; iter++)
  {
    const auto dstBm = MakeBitmap(13, 9, iter & 1), srcBm = MakeBitmap(11, 7, iter & 2);
    RAS_IBitmap& dst = *dstBm;
    RAS_IBitmap& src = *srcBm;
    FillRandom(dst, rng);
    FillRandom(src, rng);
    auto before = Snapshot(dst);
    int mode = kModes[rng() % 8];
    if (rng() % 2) mode |= RAS_MODE_USE_ALPHA;
    if (rng() % 4 == 0) mode |= RAS_FILTER_BILINEAR;
    const float alpha = kAlphas[rng() % 8];
    const int dstx = (int)(rng() % 30) - 15, dsty = (int)(rng() % 24) - 12;
    RECT r;
    r.left = (int)(rng() % 20) - 6;
    r.top = (int)(rng() % 16) - 5;
    r.right = r.left + (int)(rng() % 20) - 2;
    r.bottom = r.top + (int)(rng() % 16) - 2;
    RAS_Blit(&dst, &src, dstx, dsty, &r, alpha, mode);
    ExpectBlit(dst, *before, src, dstx, dsty, r, alpha, mode);
  }
}

TEST(Blit, OpaqueCopyIsByteIdenticalAndShiftsForNegativeSourceLeft)
{
  std::mt19937 rng(5);
  RAS_MemBitmap src(8, 4), dst(8, 4);
  FillRandom(src, rng);
  RAS_Clear(&dst, 0);
  RAS_Blit(&dst, &src, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
  for (int y = 0; y < 4; y++) EXPECT_EQ(memcmp(&At(dst, 0, y), &At(src, 0, y), 8 * 4), 0);

  RAS_Clear(&dst, 0);
  RAS_Blit(&dst, &src, 1, 0, -3, 0, 4, 4, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(At(dst, 4, 2), At(src, 0, 2));
  EXPECT_EQ(At(dst, 3, 2), 0u);
  EXPECT_EQ(At(dst, 5, 2), 0u);
}

TEST(Blit, ChannelCopy)
{
  RAS_MemBitmap src(2, 2), dst(2, 2);
  RAS_Clear(&src, Px(11, 22, 33, 44));
  RAS_Clear(&dst, Px(1, 2, 3, 4));
  RAS_Blit(&dst, &src, 0, 0, nullptr, 0.1f, RAS_MODE_CHANNEL_COPY | RAS_BYTE_R | (RAS_BYTE_B << 2));
  EXPECT_EQ(At(dst, 1, 1), Px(1, 2, 11, 4));
  RAS_Blit(&dst, &src, 0, 0, nullptr, 1.0f, RAS_MODE_CHANNEL_COPY | RAS_BYTE_A | (RAS_BYTE_A << 2) | RAS_MODE_USE_ALPHA);
  EXPECT_EQ(At(dst, 1, 1), Px(1, 2, 11, 44));
}

TEST(Blit, ClippingWithExtremeCoordinates)
{
  const long long coords[] = {INT_MIN, INT_MIN + 1, -1000000, -20, -1, 0, 3, 19, 1000000, INT_MAX - 1, INT_MAX};
  std::mt19937 rng(9);
  RAS_MemBitmap src(6, 5), dst(7, 6);
  FillRandom(src, rng);
  for (long long dx : coords)
    for (long long sl : coords)
    {
      RAS_Clear(&dst, 0x12345678);
      auto before = Snapshot(dst);
      RECT r;
      r.left = (LONG)sl;
      r.top = (LONG)(sl / 2);
      r.right = (LONG)(sl < INT_MAX - 9 ? sl + 9 : INT_MAX);
      r.bottom = INT_MAX;
      RAS_Blit(&dst, &src, (int)dx, (int)(-dx / 3), &r, 1.0f, RAS_MODE_COPY);
      ExpectBlit(dst, *before, src, dx, -dx / 3, r, 1.0f, RAS_MODE_COPY);
      // The size form saturates rather than wrapping its far edges.
      RAS_Clear(&dst, 0x12345678);
      RAS_Blit(&dst, &src, (int)dx, 0, (int)sl, 0, INT_MAX, INT_MAX, 1.0f, RAS_MODE_ADD);
      RECT r2;
      r2.left = (LONG)sl;
      r2.top = 0;
      r2.right = (LONG)std::min<long long>(sl + INT_MAX, INT_MAX);
      r2.bottom = INT_MAX;
      ExpectBlit(dst, *before, src, dx, 0, r2, 1.0f, RAS_MODE_ADD);
    }
}

TEST(Blit, NullAndEmptyBitmapsDoNothing)
{
  RAS_MemBitmap empty, bm(4, 4);
  RAS_Clear(&bm, 5);
  RAS_Blit(&bm, &empty, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
  RAS_Blit(&empty, &bm, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
  RAS_Blit(nullptr, &bm, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
  RAS_Blit(&bm, nullptr, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
  RAS_Blit(&bm, &bm, 0, 0, 0, 0, -5, -5, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(At(bm, 3, 3), 5u);
}

TEST(Blit, OverlappingSourceAndDestination)
{
  std::mt19937 rng(21);
  const int shifts[][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {3, 2}, {-2, -3}, {2, -1}, {0, 0}, {-1, 4}};
  for (bool flipped : {false, true})
    for (auto& sh : shifts)
      for (int mode : {RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_COPY | RAS_MODE_USE_ALPHA})
        for (float alpha : {1.0f, 0.5f, 0.7f})
        {
          RAS_MemBitmap plain(40, 12);
          FlippedBitmap flip(40, 12);
          RAS_IBitmap& bm = flipped ? (RAS_IBitmap&)flip : (RAS_IBitmap&)plain;
          FillRandom(bm, rng);
          auto before = Snapshot(bm);
          RECT r = {2, 3, 30, 10};
          RAS_Blit(&bm, &bm, 2 + sh[0], 3 + sh[1], &r, alpha, mode);
          ExpectBlit(bm, *before, *before, 2 + sh[0], 3 + sh[1], r, alpha, mode);
        }
  // Wide rows take the heap scratch row.
  RAS_MemBitmap wide(3000, 3);
  FillRandom(wide, rng);
  auto before = Snapshot(wide);
  RAS_Blit(&wide, &wide, 5, 1, nullptr, 1.0f, RAS_MODE_COPY);
  ExpectBlit(wide, *before, *before, 5, 1, RECT{0, 0, 3000, 3}, 1.0f, RAS_MODE_COPY);
}

template <class Rule>
void CompareRowKernel(const char* name)
{
  std::mt19937 rng(31);
  const int weights[] = {0, 1, 2, 63, 64, 100, 127, 128, 129, 200, 254, 255, 256, 257, 1000, -1, -300};
  for (int n : {0, 1, 3, 4, 5, 7, 8, 9, 15, 16, 17, 33, 100})
    for (int w : weights)
    {
      std::vector<RAS_pixel> s(n), d(n);
      for (int i = 0; i < n; i++)
      {
        s[i] = (RAS_pixel)rng();
        d[i] = (RAS_pixel)rng();
        // Transparent, opaque and saturated pixels.
        if (i % 5 == 0) s[i] &= 0xFFFFFF00;
        if (i % 5 == 1) s[i] |= 0xFF;
        if (i % 7 == 2) d[i] = 0xFFFFFFFF;
      }
      std::vector<RAS_pixel> d2 = d;
      _RAS_BlitRow<Rule>::row(d.data(), s.data(), n, w);
      _RAS_BlitRow<Rule>::rowReference(d2.data(), s.data(), n, w);
      ASSERT_EQ(d, d2) << name << " n=" << n << " w=" << w;
    }
}

TEST(BlitRows, VectorisedKernelsMatchReference)
{
  // With the AVX2 kernels where the CPU has them, then with the SSE2 ones.
  const bool had = _RAS_cpuAVX2;
  for (bool avx2 : {true, false})
  {
    if (avx2 && !had) continue;
    _RAS_cpuAVX2 = avx2;
    CompareRowKernel<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>("copy sa 256");
    CompareRowKernel<_RAS_CombinePixelsCopySourceAlphaNoClamp>("copy sa");
    CompareRowKernel<_RAS_CombinePixelsCopyNoClamp>("copy");
    CompareRowKernel<_RAS_CombinePixelsAdd>("add");
    CompareRowKernel<_RAS_CombinePixelsClobberNoClamp>("clobber");
  }
  _RAS_cpuAVX2 = had;
}

TEST(BlitRows, SpanRangeMatchesBruteForce)
{
  std::mt19937 rng(41);
  for (int iter = 0; iter < 20000; iter++)
  {
    const long long start = (long long)(rng() % 2000001) - 1000000;
    long long step = (long long)(rng() % 200001) - 100000;
    if (iter % 10 == 0) step = 0;
    const int n = (int)(rng() % 40);
    const long long lo = (long long)(rng() % 2000001) - 1000000, hi = lo + (long long)(rng() % 1000000) - 1000;
    int i0, i1;
    _RAS_SpanRange(start, step, n, lo, hi, &i0, &i1);
    int b0 = -1, b1 = -1, count = 0;
    for (int i = 0; i < n; i++)
    {
      const long long p = start + i * step;
      if (p >= lo && p < hi)
      {
        if (b0 < 0) b0 = i;
        b1 = i + 1;
        count++;
      }
    }
    if (count == 0)
      ASSERT_GE(i0, i1);
    else
    {
      ASSERT_EQ(i0, b0) << start << " " << step << " " << n << " " << lo << " " << hi;
      ASSERT_EQ(i1, b1) << start << " " << step << " " << n << " " << lo << " " << hi;
      ASSERT_EQ(count, b1 - b0);
    }
  }
}

} // namespace
