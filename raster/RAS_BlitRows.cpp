// Vectorised row kernels. Each computes exactly what the per-pixel reference
// of its template computes; the tests compare the two on random data.

#include "raster/RAS_BlitTemplates.h"

#include <stdlib.h>
#include <string.h>

#if defined(__GNUC__) && defined(__x86_64__)
bool _RAS_cpuAVX2 = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}();
#else
bool _RAS_cpuAVX2 = false;
#endif

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

// The blend of the source-alpha copies for pixels whose alpha (low byte) is
// a32: colours move toward the source by (256 - k32) / 256, alpha gains gain
// (saturating) and pixels of zero source alpha keep the destination.
static inline __m128i SourceAlphaBlend(__m128i dv, __m128i sv, __m128i a32, __m128i k32, __m128i gain)
{
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  __m128i klo, khi;
  SpreadPerPixel(k32, &klo, &khi);
  const __m128i res = LerpTowardSource(dv, sv, klo, khi);
  const __m128i alpha = _mm_and_si128(_mm_adds_epu8(dv, gain), lowByte);
  return Select(_mm_cmpeq_epi32(a32, _mm_setzero_si128()), dv, _mm_or_si128(_mm_andnot_si128(lowByte, res), alpha));
}

#if defined(__GNUC__) && defined(__x86_64__)
#define RAS_HAVE_AVX2_PATH 1
#include <immintrin.h>

#define RAS_AVX2 __attribute__((target("avx2")))

RAS_AVX2 static inline __m256i LerpTowardSource256(__m256i d, __m256i s, __m256i klo, __m256i khi)
{
  const __m256i z = _mm256_setzero_si256();
  const __m256i mx = _mm256_max_epu8(d, s), mn = _mm256_min_epu8(d, s);
  const __m256i ad = _mm256_sub_epi8(mx, mn);
  const __m256i ge = _mm256_cmpeq_epi8(mx, d);
  const __m256i plo = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(ad, z), klo), 8);
  const __m256i phi = _mm256_srli_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(ad, z), khi), 8);
  const __m256i q = _mm256_packus_epi16(plo, phi);
  return _mm256_blendv_epi8(_mm256_sub_epi8(s, q), _mm256_add_epi8(s, q), ge);
}

RAS_AVX2 static inline void SpreadPerPixel256(__m256i k32, __m256i* lo, __m256i* hi)
{
  const __m256i kk = _mm256_or_si256(k32, _mm256_slli_epi32(k32, 16));
  *lo = _mm256_unpacklo_epi32(kk, kk);
  *hi = _mm256_unpackhi_epi32(kk, kk);
}

// SourceAlphaBlend, eight pixels at a time.
RAS_AVX2 static inline __m256i SourceAlphaBlend256(__m256i dv, __m256i sv, __m256i a32, __m256i k32, __m256i gain)
{
  const __m256i lowByte = _mm256_set1_epi32(0xFF);
  __m256i klo, khi;
  SpreadPerPixel256(k32, &klo, &khi);
  const __m256i res = _mm256_blendv_epi8(LerpTowardSource256(dv, sv, klo, khi), _mm256_adds_epu8(dv, gain), lowByte);
  return _mm256_blendv_epi8(res, dv, _mm256_cmpeq_epi32(a32, _mm256_setzero_si256()));
}

// The opaque-weight source-alpha copy, eight pixels at a time.
RAS_AVX2 static int IgnoreAlphaRowAVX2(RAS_pixel* d, const RAS_pixel* s, int n)
{
  const __m256i lowByte = _mm256_set1_epi32(0xFF);
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m256i sv = _mm256_loadu_si256((const __m256i*)(s + i));
    const __m256i dv = _mm256_loadu_si256((const __m256i*)(d + i));
    const __m256i a32 = _mm256_and_si256(sv, lowByte);
    _mm256_storeu_si256((__m256i*)(d + i), SourceAlphaBlend256(dv, sv, a32, _mm256_xor_si256(a32, lowByte), a32));
  }
  return i;
}

// The partial-weight source-alpha copy (w below 256), eight pixels at a time.
RAS_AVX2 static int CopySourceAlphaRowAVX2(RAS_pixel* d, const RAS_pixel* s, int n, int w)
{
  const __m256i lowByte = _mm256_set1_epi32(0xFF);
  const __m256i one = _mm256_set1_epi32(1), k256 = _mm256_set1_epi32(256), wv = _mm256_set1_epi32(w);
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m256i sv = _mm256_loadu_si256((const __m256i*)(s + i));
    const __m256i dv = _mm256_loadu_si256((const __m256i*)(d + i));
    const __m256i a32 = _mm256_and_si256(sv, lowByte);
    const __m256i sw = _mm256_srli_epi32(_mm256_mullo_epi16(wv, _mm256_add_epi32(a32, one)), 8);
    _mm256_storeu_si256((__m256i*)(d + i), SourceAlphaBlend256(dv, sv, a32, _mm256_sub_epi32(k256, sw), sw));
  }
  return i;
}
#endif

template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::row(RAS_pixel* d, const RAS_pixel* s,
                                                                                  int n, int w)
{
  const __m128i lowByte = _mm_set1_epi32(0xFF);
  int i = 0;
#ifdef RAS_HAVE_AVX2_PATH
  if (_RAS_cpuAVX2) i = IgnoreAlphaRowAVX2(d, s, n);
#endif
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i a32 = _mm_and_si128(sv, lowByte);
    _mm_storeu_si128((__m128i*)(d + i), SourceAlphaBlend(dv, sv, a32, _mm_xor_si128(a32, lowByte), a32));
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
  int i = 0;
#ifdef RAS_HAVE_AVX2_PATH
  if (_RAS_cpuAVX2) i = CopySourceAlphaRowAVX2(d, s, n, w);
#endif
  for (; i + 4 <= n; i += 4)
  {
    const __m128i sv = _mm_loadu_si128((const __m128i*)(s + i));
    const __m128i dv = _mm_loadu_si128((const __m128i*)(d + i));
    const __m128i a32 = _mm_and_si128(sv, lowByte);
    // w * (a + 1) <= 255 * 256 fits the low 16 bits of each lane.
    const __m128i sw = _mm_srli_epi32(_mm_mullo_epi16(wv, _mm_add_epi32(a32, one)), 8);
    _mm_storeu_si128((__m128i*)(d + i), SourceAlphaBlend(dv, sv, a32, _mm_sub_epi32(k256, sw), sw));
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

// Exact bilinear sampling in 16-bit lanes. The library's interpolation
//   sum = 65536 tl + fx (tr - tl) + fy (bl - tl) + u (tl - tr - bl + br)
// is regrouped so that every factor fits a signed 16-bit lane for pmaddwd:
//   sum = 16384 * 2 (tl + br) + (fx - 32768)(tr - tl) + (fy - 32768)(bl - tl)
//         + (u - 32768)(tl - tr - bl + br)
// which is the same integer, so the result is bit-exact.
static inline __m128i Bilinear1(const RAS_pixel* top, const RAS_pixel* bot, __m128i wA, __m128i wB)
{
  const __m128i z = _mm_setzero_si128();
  const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)top), z); // tl | tr
  const __m128i b = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)bot), z); // bl | br
  const __m128i tr = _mm_srli_si128(t, 8), br = _mm_srli_si128(b, 8);
  const __m128i dx = _mm_sub_epi16(tr, t), dy = _mm_sub_epi16(b, t);
  const __m128i tlbr = _mm_add_epi16(t, br);
  const __m128i d = _mm_sub_epi16(tlbr, _mm_add_epi16(tr, b));
  const __m128i sum = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(dx, dy), wA),
                                    _mm_madd_epi16(_mm_unpacklo_epi16(d, _mm_add_epi16(tlbr, tlbr)), wB));
  return _mm_srli_epi32(sum, 16);
}

// A row sampled exactly on a source row (fy = 0) reduces to
//   sum = 65536 tl + fx (tr - tl) = 16384 * 2 (tl + tr) + (fx - 32768)(tr - tl)
// with the weight pair (fx - 32768, 16384).
static inline __m128i Linear1(const RAS_pixel* top, __m128i wH)
{
  const __m128i z = _mm_setzero_si128();
  const __m128i t = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)top), z);
  const __m128i tr = _mm_srli_si128(t, 8);
  const __m128i s = _mm_add_epi16(t, tr);
  return _mm_srli_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(_mm_sub_epi16(tr, t), _mm_add_epi16(s, s)), wH), 16);
}

static inline int32_t LinearWeight(unsigned fx) { return (int32_t)((fx ^ 0x8000u) | (16384u << 16)); }

// The per-sample weight pairs of one row: (fx - 32768, fy - 32768) and
// (u - 32768, 16384) as 16-bit pairs, u = fx * fy >> 16.
static void BilinearWeights(const uint16_t* fxs, int n, unsigned fy, int32_t* wA, int32_t* wB)
{
  const __m128i bias = _mm_set1_epi16((short)0x8000);
  const __m128i fyv = _mm_set1_epi16((short)fy), fyb = _mm_xor_si128(fyv, bias);
  const __m128i k16384 = _mm_set1_epi16(16384);
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    const __m128i fx = _mm_loadu_si128((const __m128i*)(fxs + i));
    const __m128i u = _mm_xor_si128(_mm_mulhi_epu16(fx, fyv), bias);
    const __m128i fxb = _mm_xor_si128(fx, bias);
    _mm_storeu_si128((__m128i*)(wA + i), _mm_unpacklo_epi16(fxb, fyb));
    _mm_storeu_si128((__m128i*)(wA + i + 4), _mm_unpackhi_epi16(fxb, fyb));
    _mm_storeu_si128((__m128i*)(wB + i), _mm_unpacklo_epi16(u, k16384));
    _mm_storeu_si128((__m128i*)(wB + i + 4), _mm_unpackhi_epi16(u, k16384));
  }
  for (; i < n; i++)
  {
    const unsigned fx = fxs[i];
    wA[i] = (int32_t)(((fx - 32768) & 0xFFFF) | (((fy - 32768) & 0xFFFF) << 16));
    wB[i] = (int32_t)((((fx * fy >> 16) - 32768) & 0xFFFF) | (16384u << 16));
  }
}

#ifdef RAS_HAVE_AVX2_PATH

// The same interpolation two samples at a time, one per 128-bit lane.
RAS_AVX2 static inline __m256i Bilinear2(const RAS_pixel* top0, const RAS_pixel* bot0,
                                                                 const RAS_pixel* top1, const RAS_pixel* bot1,
                                                                 __m256i wA, __m256i wB)
{
  const __m256i z = _mm256_setzero_si256();
  const __m256i t = _mm256_unpacklo_epi8(
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)top0)),
                              _mm_loadl_epi64((const __m128i*)top1), 1),
      z);
  const __m256i b = _mm256_unpacklo_epi8(
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)bot0)),
                              _mm_loadl_epi64((const __m128i*)bot1), 1),
      z);
  const __m256i tr = _mm256_srli_si256(t, 8), br = _mm256_srli_si256(b, 8);
  const __m256i dx = _mm256_sub_epi16(tr, t), dy = _mm256_sub_epi16(b, t);
  const __m256i tlbr = _mm256_add_epi16(t, br);
  const __m256i d = _mm256_sub_epi16(tlbr, _mm256_add_epi16(tr, b));
  const __m256i sum = _mm256_add_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(dx, dy), wA),
                                       _mm256_madd_epi16(_mm256_unpacklo_epi16(d, _mm256_add_epi16(tlbr, tlbr)), wB));
  return _mm256_srli_epi32(sum, 16);
}

// Weights of samples i and i + 1, each spread over its own lane.
RAS_AVX2 static inline __m256i PairWeights(const int32_t* w)
{
  return _mm256_permutevar8x32_epi32(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)w)),
                                     _mm256_setr_epi32(0, 0, 0, 0, 1, 1, 1, 1));
}

RAS_AVX2 static void BilinearRunAVX2(RAS_pixel* d, const RAS_pixel* top, const RAS_pixel* bot,
                                                             const int* xs, const int32_t* wA, const int32_t* wB,
                                                             int n)
{
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0);
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m256i r01 = Bilinear2(top + xs[i], bot + xs[i], top + xs[i + 1], bot + xs[i + 1], PairWeights(wA + i),
                                  PairWeights(wB + i));
    const __m256i r23 = Bilinear2(top + xs[i + 2], bot + xs[i + 2], top + xs[i + 3], bot + xs[i + 3],
                                  PairWeights(wA + i + 2), PairWeights(wB + i + 2));
    // Lane 0 holds samples 0 and 2, lane 1 samples 1 and 3.
    const __m256i p16 = _mm256_packs_epi32(r01, r23);
    const __m256i p8 = _mm256_packus_epi16(p16, p16);
    _mm_storeu_si128((__m128i*)(d + i), _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(p8, order)));
  }
  for (; i < n; i++)
  {
    const __m128i r = Bilinear1(top + xs[i], bot + xs[i], _mm_set1_epi32(wA[i]), _mm_set1_epi32(wB[i]));
    const __m128i p16 = _mm_packs_epi32(r, r);
    d[i] = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(p16, p16));
  }
}

RAS_AVX2 static inline __m256i Linear2(const RAS_pixel* top0, const RAS_pixel* top1, __m256i wH)
{
  const __m256i z = _mm256_setzero_si256();
  const __m256i t = _mm256_unpacklo_epi8(
      _mm256_inserti128_si256(_mm256_castsi128_si256(_mm_loadl_epi64((const __m128i*)top0)),
                              _mm_loadl_epi64((const __m128i*)top1), 1),
      z);
  const __m256i tr = _mm256_srli_si256(t, 8);
  const __m256i s = _mm256_add_epi16(t, tr);
  return _mm256_srli_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(_mm256_sub_epi16(tr, t), _mm256_add_epi16(s, s)), wH),
                           16);
}

RAS_AVX2 static void LinearRunAVX2(RAS_pixel* d, const RAS_pixel* top, const int* xs, const int32_t* wH, int n)
{
  const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 0, 0, 0, 0);
  int i = 0;
  for (; i + 4 <= n; i += 4)
  {
    const __m256i p16 = _mm256_packs_epi32(Linear2(top + xs[i], top + xs[i + 1], PairWeights(wH + i)),
                                           Linear2(top + xs[i + 2], top + xs[i + 3], PairWeights(wH + i + 2)));
    const __m256i p8 = _mm256_packus_epi16(p16, p16);
    _mm_storeu_si128((__m128i*)(d + i), _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(p8, order)));
  }
  for (; i < n; i++)
  {
    const __m128i r = Linear1(top + xs[i], _mm_set1_epi32(wH[i]));
    const __m128i p16 = _mm_packs_epi32(r, r);
    d[i] = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(p16, p16));
  }
}

#endif

template <>
void _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::span(RAS_pixel* d, const RAS_pixel* top,
                                                                const RAS_pixel* bot, const int* xs,
                                                                const uint16_t* fxs, int n, unsigned fy, int)
{
  int32_t wA[256], wB[256];
  if (fy == 0)
  {
    // On a source row: horizontal interpolation only, same integers.
    for (int c0 = 0; c0 < n; c0 += 256)
    {
      const int cn = n - c0 < 256 ? n - c0 : 256;
      for (int i = 0; i < cn; i++) wA[i] = LinearWeight(fxs[c0 + i]);
#ifdef RAS_HAVE_AVX2_PATH
      if (_RAS_cpuAVX2)
      {
        LinearRunAVX2(d + c0, top, xs + c0, wA, cn);
        continue;
      }
#endif
      for (int i = 0; i < cn; i++)
      {
        const __m128i r = Linear1(top + xs[c0 + i], _mm_set1_epi32(wA[i]));
        const __m128i p16 = _mm_packs_epi32(r, r);
        d[c0 + i] = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(p16, p16));
      }
    }
    return;
  }
#ifdef RAS_HAVE_AVX2_PATH
  if (_RAS_cpuAVX2)
  {
    for (int c0 = 0; c0 < n; c0 += 256)
    {
      const int cn = n - c0 < 256 ? n - c0 : 256;
      BilinearWeights(fxs + c0, cn, fy, wA, wB);
      BilinearRunAVX2(d + c0, top, bot, xs + c0, wA, wB, cn);
    }
    return;
  }
#endif
  for (int c0 = 0; c0 < n; c0 += 256)
  {
    const int cn = n - c0 < 256 ? n - c0 : 256;
    BilinearWeights(fxs + c0, cn, fy, wA, wB);
    const int* cx = xs + c0;
    RAS_pixel* cd = d + c0;
    int i = 0;
    for (; i + 2 <= cn; i += 2)
    {
      const __m128i r0 = Bilinear1(top + cx[i], bot + cx[i], _mm_set1_epi32(wA[i]), _mm_set1_epi32(wB[i]));
      const __m128i r1 =
          Bilinear1(top + cx[i + 1], bot + cx[i + 1], _mm_set1_epi32(wA[i + 1]), _mm_set1_epi32(wB[i + 1]));
      const __m128i p16 = _mm_packs_epi32(r0, r1);
      _mm_storel_epi64((__m128i*)(cd + i), _mm_packus_epi16(p16, p16));
    }
    if (i < cn)
    {
      const __m128i r = Bilinear1(top + cx[i], bot + cx[i], _mm_set1_epi32(wA[i]), _mm_set1_epi32(wB[i]));
      const __m128i p16 = _mm_packs_epi32(r, r);
      cd[i] = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(p16, p16));
    }
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
                                                                const RAS_pixel* bot, const int* xs,
                                                                const uint16_t* fxs, int n, unsigned fy, int w)
{
  spanReference(d, top, bot, xs, fxs, n, fy, w);
}

#endif

template <>
void _RAS_BlitRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int)
{
  if (n > 0) memcpy(d, s, (size_t)n * sizeof(RAS_pixel));
}

#if defined(__SSE2__)

// floor(S / n) for 16-bit S up to 25 * 255 and n up to 25: a multiply by
// floor(65536 / n) is at most one short, and one correction step makes it
// exact.
static inline __m128i DivideExact(__m128i S, __m128i m, __m128i n, __m128i nMinus1)
{
  const __m128i q = _mm_mulhi_epu16(S, m);
  const __m128i r = _mm_sub_epi16(S, _mm_mullo_epi16(q, n));
  return _mm_sub_epi16(q, _mm_cmpgt_epi16(r, nMinus1));
}

// Channel sums over nrows rows of ncols adjacent pixels, four 16-bit sums per
// column.
static void ColumnSums(const RAS_pixel* first, ptrdiff_t srcStep, int nrows, int ncols, uint16_t* sums)
{
  const __m128i z = _mm_setzero_si128();
  int c = 0;
  for (; c + 2 <= ncols; c += 2)
  {
    const RAS_pixel* p = first + c;
    __m128i acc = _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)p), z);
    for (int y = 1; y < nrows; y++)
    {
      p += srcStep;
      acc = _mm_add_epi16(acc, _mm_unpacklo_epi8(_mm_loadl_epi64((const __m128i*)p), z));
    }
    _mm_storeu_si128((__m128i*)(sums + 4 * c), acc);
  }
  for (; c < ncols; c++)
  {
    const RAS_pixel* p = first + c;
    __m128i acc = _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)*p), z);
    for (int y = 1; y < nrows; y++)
    {
      p += srcStep;
      acc = _mm_add_epi16(acc, _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)*p), z));
    }
    _mm_storel_epi64((__m128i*)(sums + 4 * c), acc);
  }
}

// out[c] = average of the column sums c - r .. c + r, for c in [from, to),
// every one of them a full kernel of count pixels.
static void BoxAverages(const uint16_t* sums, int from, int to, int radius, int count, RAS_pixel* out)
{
  const __m128i mv = _mm_set1_epi16((short)(count == 1 ? 65535 : 65536 / count));
  const __m128i nv = _mm_set1_epi16((short)count), n1v = _mm_set1_epi16((short)(count - 1));
  int c = from;
  for (; c + 2 <= to; c += 2)
  {
    const uint16_t* cs = sums + 4 * (c - radius);
    __m128i S = _mm_loadu_si128((const __m128i*)cs);
    for (int k = 1; k <= 2 * radius; k++) S = _mm_add_epi16(S, _mm_loadu_si128((const __m128i*)(cs + 4 * k)));
    const __m128i q = DivideExact(S, mv, nv, n1v);
    _mm_storel_epi64((__m128i*)(out + c), _mm_packus_epi16(q, q));
  }
  for (; c < to; c++)
  {
    const uint16_t* cs = sums + 4 * (c - radius);
    __m128i S = _mm_loadl_epi64((const __m128i*)cs);
    for (int k = 1; k <= 2 * radius; k++) S = _mm_add_epi16(S, _mm_loadl_epi64((const __m128i*)(cs + 4 * k)));
    const __m128i q = DivideExact(S, mv, nv, n1v);
    out[c] = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(q, q));
  }
}

#ifdef RAS_HAVE_AVX2_PATH
RAS_AVX2 static void ColumnSumsAVX2(const RAS_pixel* first, ptrdiff_t srcStep, int nrows,
                                                            int ncols, uint16_t* sums)
{
  int c = 0;
  for (; c + 4 <= ncols; c += 4)
  {
    const RAS_pixel* p = first + c;
    __m256i acc = _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i*)p));
    for (int y = 1; y < nrows; y++)
    {
      p += srcStep;
      acc = _mm256_add_epi16(acc, _mm256_cvtepu8_epi16(_mm_loadu_si128((const __m128i*)p)));
    }
    _mm256_storeu_si256((__m256i*)(sums + 4 * c), acc);
  }
  if (c < ncols) ColumnSums(first + c, srcStep, nrows, ncols - c, sums + 4 * c);
}

RAS_AVX2 static void BoxAveragesAVX2(const uint16_t* sums, int from, int to, int radius,
                                                             int count, RAS_pixel* out)
{
  const __m256i mv = _mm256_set1_epi16((short)(count == 1 ? 65535 : 65536 / count));
  const __m256i nv = _mm256_set1_epi16((short)count), n1v = _mm256_set1_epi16((short)(count - 1));
  int c = from;
  for (; c + 4 <= to; c += 4)
  {
    const uint16_t* cs = sums + 4 * (c - radius);
    __m256i S = _mm256_loadu_si256((const __m256i*)cs);
    for (int k = 1; k <= 2 * radius; k++) S = _mm256_add_epi16(S, _mm256_loadu_si256((const __m256i*)(cs + 4 * k)));
    const __m256i q0 = _mm256_mulhi_epu16(S, mv);
    const __m256i r = _mm256_sub_epi16(S, _mm256_mullo_epi16(q0, nv));
    const __m256i q = _mm256_sub_epi16(q0, _mm256_cmpgt_epi16(r, n1v));
    const __m256i p = _mm256_permute4x64_epi64(_mm256_packus_epi16(q, q), 0x08);
    _mm_storeu_si128((__m128i*)(out + c), _mm256_castsi256_si128(p));
  }
  if (c < to) BoxAverages(sums, c, to, radius, count, out);
}
#endif

// Box average rows: per row the channel sums of every needed column are formed
// once, then the averages of every column whose kernel lies wholly inside the
// source, and each sample picks its column's average. Samples whose kernel is
// cut by the source edges take the plain path.
template <>
void _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep,
                                                        int Y, int bottom, int right, long long pos, long long step,
                                                        int n, int radius, int w)
{
  if (n <= 0) return;
  if (pos < 0 || step < 0)
  {
    rowReference(d, srcBase, srcStep, Y, bottom, right, pos, step, n, radius, w);
    return;
  }
  const long long lastPos = pos + (long long)(n - 1) * step;
  const int c0 = (int)(pos >> 16) - radius < 0 ? 0 : (int)(pos >> 16) - radius;
  const int c1 = (lastPos >> 16) + radius + 1 > right ? right : (int)(lastPos >> 16) + radius + 1;
  const int ncols = c1 - c0;
  // Column sums (4 x 16 bits) and averages (one pixel) per column.
  uint16_t stackSums[4 * 1024];
  RAS_pixel stackAvg[1024];
  void* heap = nullptr;
  uint16_t* sums = stackSums;
  RAS_pixel* avg = stackAvg;
  if (ncols > 1024)
  {
    heap = malloc((size_t)ncols * (4 * sizeof(uint16_t) + sizeof(RAS_pixel)));
    if (!heap)
    {
      rowReference(d, srcBase, srcStep, Y, bottom, right, pos, step, n, radius, w);
      return;
    }
    sums = (uint16_t*)heap;
    avg = (RAS_pixel*)(sums + 4 * (size_t)ncols);
  }
  const int y0 = Y - radius < 0 ? 0 : Y - radius;
  const int y1 = Y + radius + 1 > bottom ? bottom : Y + radius + 1;
  const RAS_pixel* first = srcBase + (ptrdiff_t)y0 * srcStep + c0;
  // Columns (relative to c0) whose whole kernel lies in [c0, c1).
  const int from = radius, to = ncols - radius;
#ifdef RAS_HAVE_AVX2_PATH
  if (_RAS_cpuAVX2)
  {
    ColumnSumsAVX2(first, srcStep, y1 - y0, ncols, sums);
    if (from < to) BoxAveragesAVX2(sums, from, to, radius, (y1 - y0) * (2 * radius + 1), avg);
  }
  else
#endif
  {
    ColumnSums(first, srcStep, y1 - y0, ncols, sums);
    if (from < to) BoxAverages(sums, from, to, radius, (y1 - y0) * (2 * radius + 1), avg);
  }
  for (int i = 0; i < n; i++, pos += step)
  {
    const int X = (int)(pos >> 16) - c0;
    if (X >= from && X < to)
      d[i] = avg[X];
    else
      rowReference(d + i, srcBase, srcStep, Y, bottom, right, pos, step, 1, radius, w);
  }
  free(heap);
}

#else

template <>
void _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep,
                                                        int Y, int bottom, int right, long long pos, long long step,
                                                        int n, int radius, int w)
{
  rowReference(d, srcBase, srcStep, Y, bottom, right, pos, step, n, radius, w);
}

#endif
