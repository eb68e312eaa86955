#pragma once

// What the line, curve and shape drawers share: the colour split into the
// channel arguments of the rules, the choice of rule for a blend mode, and
// row addressing in image coordinates (flipped bitmaps included).

#include "raster/RAS_Combine.h"
#include "raster/RAS_Internal.h"

#include <math.h>

// The colour as the rules take it.
struct _RAS_Ink
{
  int r, g, b, a;
  explicit _RAS_Ink(RAS_pixel c) : r(RAS_GETR(c)), g(RAS_GETG(c)), b(RAS_GETB(c)), a(RAS_GETA(c)) {}
};

template <class Rule>
inline void _RAS_Plot(RAS_pixel* p, const _RAS_Ink& k, int w)
{
  Rule::doPix((unsigned char*)p, k.r, k.g, k.b, k.a, w);
}

// The weight of a drawing call's opacity, limited for the rules that do not
// clamp. Source alpha is not part of these drawers, so only the mode proper
// counts.
inline int _RAS_ShapeWeight(int mode, float alpha)
{
  return RAS_LimitRuleWeight(mode & RAS_MODE_MASK, RAS_AlphaToWeight((double)alpha));
}

// Rule for drawing at one fixed weight: copy stores at 256, half mixes per
// channel at 128 and uses the copy rule otherwise; modes 1 to 5 their rules.
// False (nothing called) for a zero weight or a mode without a rule.
template <class F>
inline bool _RAS_WithFixedRule(int mode, int w, F&& f)
{
  mode &= RAS_MODE_MASK;
  if (w == 0) return false;
  if (mode == RAS_MODE_COPY && w == 128)
  {
    f.template operator()<_RAS_CombinePixelsHalfMixNoClamp>();
    return true;
  }
  return _RAS_WithRule(mode, w, f);
}

// Rule for drawing whose weight varies per pixel (anti-aliasing): copy always
// uses the weighted copy rule.
template <class F>
inline bool _RAS_WithBlendRule(int mode, int w, F&& f)
{
  mode &= RAS_MODE_MASK;
  if (w == 0 || (mode == RAS_MODE_COPY && w < 1)) return false;
  if (mode == RAS_MODE_COPY)
  {
    f.template operator()<_RAS_CombinePixelsCopyNoClamp>();
    return true;
  }
  return _RAS_WithRule(mode, w, f);
}

// Image rows of a bitmap with its size, for drawers that test their own
// bounds.
struct _RAS_Canvas
{
  RAS_pixel* base;
  ptrdiff_t step;
  int w, h;
  RAS_pixel* at(int x, int y) const { return base + (ptrdiff_t)y * step + x; }
  bool inside(int x, int y) const { return (unsigned)x < (unsigned)w && (unsigned)y < (unsigned)h; }
};

inline bool _RAS_GetCanvas(RAS_IBitmap* bm, _RAS_Canvas* c)
{
  _RAS_Rows r;
  if (!_RAS_GetRows(bm, &r)) return false;
  *c = {r.base, r.step, r.w, r.h};
  return true;
}

inline bool _RAS_Finite(double v) { return isfinite(v) != 0; }

// 64-bit saturation into int for coordinate arithmetic that may leave the
// int range (x + w and the like); clipping then treats it as far outside.
inline int _RAS_SatAdd(long long a, long long b)
{
  const long long v = a + b;
  return v > 2147483647LL ? 2147483647 : v < -2147483648LL ? (-2147483647 - 1) : (int)v;
}
