#pragma once

// The per-pixel loops that composite coverage maps, shared by RAS_DrawGlyph
// and the glyph cache. Each loop is a template per combining rule, so the
// rule is chosen once per glyph.

#include "raster/RAS_Combine.h"
#include "raster/RAS_Internal.h"

#include <stdint.h>
#include <string.h>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A coverage map's rectangle placed in a bitmap after clipping: the area of
// the bitmap to draw and where its top-left pixel lies in the map.
struct _RAS_GlyphPlacement
{
  _RAS_Area dst;
  int x, y;                 // image coordinates of dst's top-left pixel
  const unsigned char* cov; // map pixel of dst's top-left
  int covSpan;
};

// Limits the rectangle (l, t)-(r, b) to clip (when given) and to the bitmap.
// False when nothing is left.
inline bool _RAS_LimitRect(long long* l, long long* t, long long* r, long long* b, const RECT* clip, RAS_IBitmap* bm)
{
  if (clip)
  {
    if (*l < clip->left) *l = clip->left;
    if (*t < clip->top) *t = clip->top;
    if (*r > clip->right) *r = clip->right;
    if (*b > clip->bottom) *b = clip->bottom;
  }
  if (*l < 0) *l = 0;
  if (*t < 0) *t = 0;
  if (*r > bm->getWidth()) *r = bm->getWidth();
  if (*b > bm->getHeight()) *b = bm->getHeight();
  return *l < *r && *t < *b;
}

// Clips a glyph of w x h at (x, y) to the optional clip rectangle and to the
// bitmap. False when nothing of it is left.
inline bool _RAS_PlaceGlyph(RAS_IBitmap* bm, int x, int y, const unsigned char* cov, int w, int span, int h,
                            const RECT* clip, _RAS_GlyphPlacement* out)
{
  if (!bm || !cov || w < 1 || h < 1 || span < w || !bm->getBits()) return false;
  long long l = x, t = y, r = (long long)x + w, b = (long long)y + h;
  if (!_RAS_LimitRect(&l, &t, &r, &b, clip, bm)) return false;
  out->dst = _RAS_AreaAt(bm, (int)l, (int)t, (int)(r - l), (int)(b - t));
  out->x = (int)l;
  out->y = (int)t;
  out->cov = cov + (t - y) * span + (l - x);
  out->covSpan = span;
  return true;
}

// Calls shade(pixel bytes, coverage) for every covered pixel of a placement.
// Glyph maps are mostly empty, so empty stretches are passed over eight
// coverage bytes at a time.
template <class Shade>
inline void _RAS_GlyphLoop(const _RAS_GlyphPlacement& p, Shade&& shade)
{
  RAS_pixel* row = p.dst.row;
  const unsigned char* cov = p.cov;
  const int w = p.dst.w;
  for (int j = 0; j < p.dst.h; j++, row += p.dst.step, cov += p.covSpan)
    for (int i = 0; i < w;)
    {
      if (i + 8 <= w)
      {
        uint64_t eight;
        memcpy(&eight, cov + i, 8);
        if (!eight)
        {
          i += 8;
          continue;
        }
      }
      if (const int k = cov[i]) shade((unsigned char*)(row + i), k);
      i++;
    }
}

// The copy rule at weight k + 1 for coverage k != 0 and source alpha 255:
// the common case of opaque text. Full coverage stores the colour word; with
// SSE2 a partial pixel is blended in all four channels at once (the scalar
// rule is the reference the tests hold it to).
inline void _RAS_GlyphCopyFullWeight(const _RAS_GlyphPlacement& p, int r, int g, int b)
{
  const RAS_pixel word = RAS_RGBA(r, g, b, 255);
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i src = _mm_unpacklo_epi8(_mm_cvtsi32_si128((int)word), zero);
  _RAS_GlyphLoop(p, [&](unsigned char* d, int k) {
    if (k == 255)
    {
      *(RAS_pixel*)d = word;
      return;
    }
    // s + tz((d - s) * (255 - k), 256) per 16-bit lane: the magnitude is
    // scaled with an unsigned high multiply, then the sign put back, which
    // truncates toward zero as the rule does.
    RAS_pixel px;
    memcpy(&px, d, 4);
    const __m128i diff = _mm_sub_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128((int)px), zero), src);
    const __m128i sign = _mm_srai_epi16(diff, 15);
    const __m128i mag = _mm_sub_epi16(_mm_xor_si128(diff, sign), sign);
    const __m128i q = _mm_mulhi_epu16(_mm_slli_epi16(mag, 8), _mm_set1_epi16((short)(255 - k)));
    const __m128i out = _mm_add_epi16(src, _mm_sub_epi16(_mm_xor_si128(q, sign), sign));
    px = (RAS_pixel)_mm_cvtsi128_si32(_mm_packus_epi16(out, zero));
    memcpy(d, &px, 4);
  });
#else
  _RAS_GlyphLoop(p, [&](unsigned char* d, int k) {
    if (k == 255)
      *(RAS_pixel*)d = word;
    else
      _RAS_CombinePixelsCopyNoClamp::doPix(d, r, g, b, 255, k + 1);
  });
#endif
}

// Chooses among the six rules glyphs are drawn with and calls
// f.template operator()<Rule>(); false for a mode without a rule. Copy always
// blends (a weight below full never picks the clobbering rule), whatever the
// coverage.
template <class F>
inline bool _RAS_WithGlyphRule(int mode, F&& f)
{
  return _RAS_WithRule(mode & RAS_MODE_MASK, 1, f);
}
