// Vectorised row kernels. Each computes exactly what the per-pixel reference
// of its template computes; the tests compare the two on random data.

#include "raster/RAS_BlitTemplates.h"

#include <stdlib.h>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>

// s + tz((d - s) * k, 256) per byte, with |d - s| * k kept within 16 bits
// (k <= 256): the magnitude is scaled and the sign put back.
static inline __m128i LerpTowardSource(__m128i d, __m128i s, __m128i klo, __m128i khi)
{
  const __m128i z = _mm_setzero_si128();
  const __m128i mx = _mm_max_epu8(d, s), mn = _mm_min_epu8(d, s);
  const __m128i ad = _mm_sub_epi8(mx, mn);
  const __m128i ge = _mm_cmpeq_epi8(mx, d);
  const __m128i plo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(ad, z), klo), 8);
  const __m128i phi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(ad, z), khi), 8);
  const __m128i q = _mm_packus_epi16(plo, phi);
  return _mm_or_si128(_mm_and_si128(ge, _mm_add_epi8(s, q)), _mm_andnot_si128(ge, _mm_sub_epi8(s, q)));
}

// Spreads a per-pixel factor (one per 32-bit lane, below 65536) over the four
// 16-bit channel lanes of its pixel, for the low and the high two pixels.
static inline void SpreadPerPixel(__m128i k32, __m128i* lo, __m128i* hi)
{
  const __m128i kk = _mm_or_si128(k32, _mm_slli_epi32(k32, 16));
  *lo = _mm_unpacklo_epi32(kk, kk);
  *hi = _mm_unpackhi_epi32(kk, kk);
}

static inline __m128i Select(__m128i mask, __m128i a, __m128i b)
{
  return _mm_or_si128(_mm_and_si128(mask, a), _mm_andnot_si128(mask, b));
}

template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::row(RAS_pixel* d, const RAS_pixel* s,
                                                                                  int n, int w)
{
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  const __m128i z = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i a32 = _mm_and_si128(sv, lowByte);
    __m128i klo, khi;
    SpreadPerPixel(_mm_xor_si128(a32, lowByte), &klo, &khi);
    __m128i res = LerpTowardSource(dv, sv, klo, khi);
    const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dv, a32), lowByte);
    res = _mm_or_si128(_mm_andnot_si128(lowByte, res), alpha);
    res = Select(_mm_cmpeq_epi32(a32, z), dv, res);
    _mm_storeu_si128((__m128i*)(d + i), res);
  }
  rowReference(d + i, s + i, n - i, w);
}

template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  if (w < 0 || w > 255)
  {
    rowReference(d, s, n, w);
    return;
  }
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  const __m128i one = _mm_set1_epi32(1), k256 = _mm_set1_epi32(256), wv = _mm_set1_epi32(w);
  const __m128i z = _mm_setzero_si128();
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i a32 = _mm_and_si128(sv, lowByte);
    // w * (a + 1) <= 255 * 256 fits the low 16 bits of each lane.
    const __m128i sw = _mm_srli_epi32(_mm_mullo_epi16(wv, _mm_add_epi32(a32, one)), 8);
    __m128i klo, khi;
    SpreadPerPixel(_mm_sub_epi32(k256, sw), &klo, &khi);
    __m128i res = LerpTowardSource(dv, sv, klo, khi);
    const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dv, sw), lowByte);
    res = _mm_or_si128(_mm_andnot_si128(lowByte, res), alpha);
    res = Select(_mm_cmpeq_epi32(a32, z), dv, res);
    _mm_storeu_si128((__m128i*)(d + i), res);
  }
  rowReference(d + i, s + i, n - i, w);
}

template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopyNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  if (w < 0 || w > 256)
  {
    rowReference(d, s, n, w);
    return;
  }
  const __m128i k = _mm_set1_epi16((short)(256 - w));
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    _mm_storeu_si128((__m128i*)(d + i), LerpTowardSource(dv, sv, k, k));
  }
  rowReference(d + i, s + i, n - i, w);
}

template <>
void _RAS_BlitRow<_RAS_CombinePixelsAdd>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  if (w < 0 || w > 256)
  {
    rowReference(d, s, n, w);
    return;
  }
  int i = 0;
  if (w == 256)
  {
    for (; i + 4 <= n; i += 4)
    {
      const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
      const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
      _mm_storeu_si128((__m128i*)(d + i), _mm_adds_epu8(dv, sv));
    }
  }
  else
  {
    const __m128i z = _mm_setzero_si128();
    const __m128i wv = _mm_set1_epi16((short)w);
    for (; i + 4 <= n; i += 4)
    {
      const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
      const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
      const __m128i lo = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(sv, z), wv), 8);
      const __m128i hi = _mm_srli_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(sv, z), wv), 8);
      _mm_storeu_si128((__m128i*)(d + i), _mm_adds_epu8(dv, _mm_packus_epi16(lo, hi)));
    }
  }
  rowReference(d + i, s + i, n - i, w);
}

// Exact bilinear sampling in single precision: every product and partial sum
// is an integer below 2^24, so the float arithmetic is exact.
template <>
void _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::span(RAS_pixel* d, const RAS_pixel* top,
                                                                const RAS_pixel* bot, long long pos, long long step,
                                                                int n, unsigned fy, int)
{
  const __m128i z = _mm_setzero_si128();
  const __m128 scale = _mm_set1_ps(1.0f / 65536.0f);
  for (int i = 0; i < n; i++, pos += step)
  {
    const long long X = pos / 65536;
    const unsigned fx = (unsigned)(pos & 0xFFFF);
    const unsigned u = (fy * fx) >> 16;
    const __m128 wv = _mm_cvtepi32_ps(_mm_setr_epi32((int)(65536 - fx - fy + u), (int)(fx - u), (int)(fy - u), (int)u));
    const __m128i t16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(top + X)), z);
    const __m128i b16 = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)(bot + X)), z);
    __m128 acc = _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(t16, z)), _mm_shuffle_ps(wv, wv, 0x00));
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(t16, z)), _mm_shuffle_ps(wv, wv, 0x55)));
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpacklo_epi16(b16, z)), _mm_shuffle_ps(wv, wv, 0xAA)));
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_cvtepi32_ps(_mm_unpackhi_epi16(b16, z)), _mm_shuffle_ps(wv, wv, 0xFF)));
    const __m128i c = _mm_cvttps_epi32(_mm_mul_ps(acc, scale));
    const __m128i p = _mm_packus_epi16(_mm_packs_epi32(c, z), z);
    d[i] = (RAS_pixel)_mm_cvtsi128_si32(p);
  }
}

#else

template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::row(RAS_pixel* d, const RAS_pixel* s,
                                                                                  int n, int w)
{
  rowReference(d, s, n, w);
}
template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  rowReference(d, s, n, w);
}
template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopyNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  rowReference(d, s, n, w);
}
template <>
void _RAS_BlitRow<_RAS_CombinePixelsAdd>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  rowReference(d, s, n, w);
}
template <>
void _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::span(RAS_pixel* d, const RAS_pixel* top,
                                                                const RAS_pixel* bot, long long pos, long long step,
                                                                int n, unsigned fy, int w)
{
  spanReference(d, top, bot, pos, step, n, fy, w);
}

#endif

template <>
void _RAS_BlitRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int)
{
  if (n > 0) memcpy(d, s, (size_t)n * sizeof(RAS_pixel));
}

// Four 16-bit channel sums in one 64-bit word; at most 25 * 255 per channel,
// so no field carries into the next.
static inline uint64_t Spread(RAS_pixel p)
{
  return (uint64_t)(p & 0xFF) | ((uint64_t)(p & 0xFF00) << 8) | ((uint64_t)(p & 0xFF0000) << 16) |
         ((uint64_t)(p & 0xFF000000) << 24);
}

// floor(S / n) == (S * kRecip[n]) >> 18 for every S <= 255 * n, n <= 25.
static constexpr struct BoxRecip
{
  uint32_t v[26];
  constexpr BoxRecip() : v()
  {
    for (int n = 1; n < 26; n++) v[n] = (uint32_t)(((1u << 18) + n - 1) / n);
  }
} kRecip;

template <>
void _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep,
                                                        int Y, int bottom, int right, long long pos, long long step,
                                                        int n, int radius, int w)
{
  if (n <= 0) return;
  const long long lastPos = pos + (long long)(n - 1) * step;
  const long long xFirst = (pos < lastPos ? pos : lastPos) / 65536;
  const long long xLast = (pos < lastPos ? lastPos : pos) / 65536;
  const int c0 = xFirst - radius < 0 ? 0 : (int)(xFirst - radius);
  const int c1 = xLast + radius + 1 > right ? right : (int)(xLast + radius + 1);
  const int ncols = c1 - c0;
  uint64_t stackSums[1024];
  uint64_t* sums = ncols <= 1024 ? stackSums : (uint64_t*)malloc((size_t)ncols * sizeof(uint64_t));
  if (!sums)
  {
    rowReference(d, srcBase, srcStep, Y, bottom, right, pos, step, n, radius, w);
    return;
  }
  const int y0 = Y - radius < 0 ? 0 : Y - radius;
  const int y1 = Y + radius + 1 > bottom ? bottom : Y + radius + 1;
  const int nrows = y1 - y0;
  {
    const RAS_pixel* row = srcBase + (ptrdiff_t)y0 * srcStep + c0;
    for (int c = 0; c < ncols; c++) sums[c] = Spread(row[c]);
    for (int y = y0 + 1; y < y1; y++)
    {
      row += srcStep;
      for (int c = 0; c < ncols; c++) sums[c] += Spread(row[c]);
    }
  }
  for (int i = 0; i < n; i++, pos += step)
  {
    const int X = (int)(pos / 65536);
    const int x0 = X - radius < c0 ? c0 : X - radius;
    const int x1 = X + radius + 1 > c1 ? c1 : X + radius + 1;
    const int count = nrows * (x1 - x0);
    if (count <= 0) continue;
    uint64_t s = 0;
    for (int x = x0; x < x1; x++) s += sums[x - c0];
    const uint32_t m = kRecip.v[count];
    d[i] = (RAS_pixel)(((uint32_t)(s & 0xFFFF) * m) >> 18) | ((((uint32_t)(s >> 16) & 0xFFFF) * m) >> 18) << 8 |
           ((((uint32_t)(s >> 32) & 0xFFFF) * m) >> 18) << 16 | ((((uint32_t)(s >> 48) & 0xFFFF) * m) >> 18) << 24;
  }
  if (sums != stackSums) free(sums);
}
