#pragma once

// The per-pixel loops that composite coverage maps, shared by RAS_DrawGlyph
// and the glyph cache. Each loop is a template per combining rule, so the
// rule is chosen once per glyph.

#include "raster/RAS_Combine.h"
#include "raster/RAS_Internal.h"

// A coverage map's rectangle placed in a bitmap after clipping: the area of
// the bitmap to draw and where its top-left pixel lies in the map.
struct _RAS_GlyphPlacement
{
  _RAS_Area dst;
  int x, y;                 // image coordinates of dst's top-left pixel
  const unsigned char* cov; // map pixel of dst's top-left
  int covSpan;
};

// Clips a glyph of w x h at (x, y) to the optional clip rectangle and to the
// bitmap. False when nothing of it is left.
inline bool _RAS_PlaceGlyph(RAS_IBitmap* bm, int x, int y, const unsigned char* cov, int w, int span, int h,
                            const RECT* clip, _RAS_GlyphPlacement* out)
{
  if (!bm || !cov || w < 1 || h < 1 || span < w || !bm->getBits()) return false;
  long long l = x, t = y, r = (long long)x + w, b = (long long)y + h;
  if (clip)
  {
    if (l < clip->left) l = clip->left;
    if (t < clip->top) t = clip->top;
    if (r > clip->right) r = clip->right;
    if (b > clip->bottom) b = clip->bottom;
  }
  if (l < 0) l = 0;
  if (t < 0) t = 0;
  if (r > bm->getWidth()) r = bm->getWidth();
  if (b > bm->getHeight()) b = bm->getHeight();
  if (l >= r || t >= b) return false;
  out->dst = _RAS_AreaAt(bm, (int)l, (int)t, (int)(r - l), (int)(b - t));
  out->x = (int)l;
  out->y = (int)t;
  out->cov = cov + (t - y) * span + (l - x);
  out->covSpan = span;
  return true;
}

// Calls shade(pixel bytes, coverage) for every covered pixel of a placement.
template <class Shade>
inline void _RAS_GlyphLoop(const _RAS_GlyphPlacement& p, Shade&& shade)
{
  RAS_pixel* row = p.dst.row;
  const unsigned char* cov = p.cov;
  for (int j = 0; j < p.dst.h; j++, row += p.dst.step, cov += p.covSpan)
    for (int i = 0; i < p.dst.w; i++)
      if (const int k = cov[i]) shade((unsigned char*)(row + i), k);
}

// Chooses among the six rules glyphs are drawn with (copy never clobbers:
// partial coverage always blends) and calls f.template operator()<Rule>().
// False for a mode without a rule.
template <class F>
inline bool _RAS_WithGlyphRule(int mode, F&& f)
{
  switch (mode & RAS_MODE_MASK)
  {
    case RAS_MODE_COPY: f.template operator()<_RAS_CombinePixelsCopyNoClamp>(); return true;
    case RAS_MODE_ADD: f.template operator()<_RAS_CombinePixelsAdd>(); return true;
    case RAS_MODE_DODGE: f.template operator()<_RAS_CombinePixelsColorDodge>(); return true;
    case RAS_MODE_MUL: f.template operator()<_RAS_CombinePixelsMulNoClamp>(); return true;
    case RAS_MODE_OVERLAY: f.template operator()<_RAS_CombinePixelsOverlay>(); return true;
    case RAS_MODE_HSVADJUST: f.template operator()<_RAS_CombinePixelsHSVAdjust>(); return true;
    default: return false;
  }
}
