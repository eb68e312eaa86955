#include "raster/RAS_Combine.h"

// Entry i is floor(65536 / i) - 1 (entry 0 is 0): the reciprocals the HSV
// conversion multiplies by instead of dividing.
static constexpr struct InvTab
{
  uint16_t v[256];
  constexpr InvTab() : v()
  {
    v[0] = 0;
    for (int i = 1; i < 256; i++) v[i] = (uint16_t)(65536 / i - 1);
  }
} kInvTab;

const uint16_t _RAS_RGB2HSV_invtab[256] = {
#define E(i) kInvTab.v[i]
#define E8(i) E(i), E(i + 1), E(i + 2), E(i + 3), E(i + 4), E(i + 5), E(i + 6), E(i + 7)
#define E64(i) E8(i), E8(i + 8), E8(i + 16), E8(i + 24), E8(i + 32), E8(i + 40), E8(i + 48), E8(i + 56)
  E64(0), E64(64), E64(128), E64(192)
#undef E64
#undef E8
#undef E
};

// Channel arguments of the in-place combiners may lie outside 0..255 (callers
// pass interpolation overshoot); beyond four times the range they are limited
// so that no rule's 32-bit arithmetic can overflow.
static inline int LimitChannel(int v) { return v < -1024 ? -1024 : v > 1279 ? 1279 : v; }

// Limits the weight and channels of an in-place combiner; false when the
// weight leaves nothing to do. A rule that clamps its result keeps any weight
// (within the overflow bound); the others are held to [0, 256].
static inline bool LimitArguments(int mode, bool ruleClamps, int* r, int* g, int* b, int* a, int* w)
{
  const int lw = *w < -RAS_WEIGHT_LIMIT ? -RAS_WEIGHT_LIMIT : *w > RAS_WEIGHT_LIMIT ? RAS_WEIGHT_LIMIT : *w;
  *w = ruleClamps ? lw : RAS_LimitRuleWeight(mode, lw);
  if (*w == 0) return false;
  *r = LimitChannel(*r);
  *g = LimitChannel(*g);
  *b = LimitChannel(*b);
  *a = LimitChannel(*a);
  return true;
}

// The source-alpha copy with its colour channels clamped.
static inline void CopySourceAlphaClamp(unsigned char* d, int r, int g, int b, int a, int w)
{
  if (a == 0) return;
  const int sw = _RAS_SourceAlphaWeight(w, a);
  d[RAS_BYTE_R] = (unsigned char)_RAS_Clamp255(r + (d[RAS_BYTE_R] - r) * (256 - sw) / 256);
  d[RAS_BYTE_G] = (unsigned char)_RAS_Clamp255(g + (d[RAS_BYTE_G] - g) * (256 - sw) / 256);
  d[RAS_BYTE_B] = (unsigned char)_RAS_Clamp255(b + (d[RAS_BYTE_B] - b) * (256 - sw) / 256);
  d[RAS_BYTE_A] = (unsigned char)_RAS_Clamp255(d[RAS_BYTE_A] + sw);
}

RAS_pixel RAS_CombinePixels(RAS_pixel dest, RAS_pixel src, float alpha, int mode)
{
  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return dest;
  if (!(mode & RAS_MODE_USE_ALPHA) && (mode & RAS_MODE_MASK) == RAS_MODE_COPY && w == 256) return src;
  RAS_pixel out = dest;
  _RAS_WithRule(mode, w, [&]<class Rule>() {
    Rule::doPix((unsigned char*)&out, RAS_GETR(src), RAS_GETG(src), RAS_GETB(src), RAS_GETA(src), w);
  });
  return out;
}

void RAS_CombinePixels2(RAS_pixel* pix, int r, int g, int b, int a, int w, int mode)
{
  if (!pix || !LimitArguments(mode, false, &r, &g, &b, &a, &w)) return;
  _RAS_WithRule(mode, w, [&]<class Rule>() { Rule::doPix((unsigned char*)pix, r, g, b, a, w); });
}

// Copy without source alpha and multiply (with or without) run clamping rules
// here, so their weight is not limited: copy above 256 extrapolates and
// clamps, multiply outside [0, 256] scales and clamps. The source-alpha copy
// keeps the limit: at 256 and above it is the rule that ignores the weight.
void RAS_CombinePixels2Clamp(RAS_pixel* pix, int r, int g, int b, int a, int w, int mode)
{
  const int rule = mode & RAS_MODE_MASK;
  const bool clamps = rule == RAS_MODE_MUL || (rule == RAS_MODE_COPY && !(mode & RAS_MODE_USE_ALPHA));
  if (!pix || !LimitArguments(mode, clamps, &r, &g, &b, &a, &w)) return;
  unsigned char* d = (unsigned char*)pix;
  if (mode & RAS_MODE_USE_ALPHA)
  {
    switch (mode & RAS_MODE_MASK)
    {
      case RAS_MODE_COPY:
        if (w >= 256)
          _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp::doPix(d, r, g, b, a, w);
        else
          CopySourceAlphaClamp(d, r, g, b, a, w);
        return;
      case RAS_MODE_ADD: _RAS_CombinePixelsAddSourceAlpha::doPix(d, r, g, b, a, w); return;
      case RAS_MODE_DODGE: _RAS_CombinePixelsColorDodgeSourceAlpha::doPix(d, r, g, b, a, w); return;
      case RAS_MODE_MUL: _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsMulClamp, true>::doPix(d, r, g, b, a, w); return;
      case RAS_MODE_OVERLAY: _RAS_CombinePixelsOverlaySourceAlpha::doPix(d, r, g, b, a, w); return;
      case RAS_MODE_HSVADJUST: _RAS_CombinePixelsHSVAdjustSourceAlpha::doPix(d, r, g, b, a, w); return;
      default: return;
    }
  }
  switch (mode & RAS_MODE_MASK)
  {
    case RAS_MODE_COPY:
      if (w < 1) return;
      if (w == 256)
        _RAS_CombinePixelsClobberClamp::doPix(d, r, g, b, a, w);
      else
        _RAS_CombinePixelsCopyClamp::doPix(d, r, g, b, a, w);
      return;
    case RAS_MODE_ADD: _RAS_CombinePixelsAdd::doPix(d, r, g, b, a, w); return;
    case RAS_MODE_DODGE: _RAS_CombinePixelsColorDodge::doPix(d, r, g, b, a, w); return;
    case RAS_MODE_MUL: _RAS_CombinePixelsMulClamp::doPix(d, r, g, b, a, w); return;
    case RAS_MODE_OVERLAY: _RAS_CombinePixelsOverlay::doPix(d, r, g, b, a, w); return;
    case RAS_MODE_HSVADJUST: _RAS_CombinePixelsHSVAdjust::doPix(d, r, g, b, a, w); return;
    default: return;
  }
}
