#pragma once

// The per-pixel combining rules. Each rule is a class with one static inline
// doPix(dest channel bytes, r, g, b, a, weight) so that every drawing loop is a
// template instantiated per rule and the blend mode is chosen once per call.
//
// d is a destination channel, s the matching source argument (alpha takes a),
// all arithmetic is signed and "/" truncates toward zero. A result stored
// without clamping keeps its low 8 bits.

#include "raster/RAS_Pixel.h"

#include <stdint.h>

extern const uint16_t _RAS_RGB2HSV_invtab[256];

inline int _RAS_Clamp255(int v) { return v < 0 ? 0 : v > 255 ? 255 : v; }
inline int _RAS_Clamp255(long long v) { return v < 0 ? 0 : v > 255 ? 255 : (int)v; }

struct _RAS_CombinePixelsClobberNoClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int)
  {
    d[RAS_BYTE_R] = (unsigned char)r;
    d[RAS_BYTE_G] = (unsigned char)g;
    d[RAS_BYTE_B] = (unsigned char)b;
    d[RAS_BYTE_A] = (unsigned char)a;
  }
};

struct _RAS_CombinePixelsClobberClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int)
  {
    d[RAS_BYTE_R] = (unsigned char)_RAS_Clamp255(r);
    d[RAS_BYTE_G] = (unsigned char)_RAS_Clamp255(g);
    d[RAS_BYTE_B] = (unsigned char)_RAS_Clamp255(b);
    d[RAS_BYTE_A] = (unsigned char)_RAS_Clamp255(a);
  }
};

struct _RAS_CombinePixelsHalfMixNoClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int)
  {
    d[RAS_BYTE_R] = (unsigned char)((d[RAS_BYTE_R] + r) >> 1);
    d[RAS_BYTE_G] = (unsigned char)((d[RAS_BYTE_G] + g) >> 1);
    d[RAS_BYTE_B] = (unsigned char)((d[RAS_BYTE_B] + b) >> 1);
    d[RAS_BYTE_A] = (unsigned char)((d[RAS_BYTE_A] + a) >> 1);
  }
};

struct _RAS_CombinePixelsCopyNoClamp
{
  static inline int ch(int d, int s, int w) { return s + (d - s) * (256 - w) / 256; }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

struct _RAS_CombinePixelsCopyClamp
{
  static inline int ch(int d, int s, int w) { return _RAS_Clamp255(s + (d - s) * (256 - w) / 256); }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

struct _RAS_CombinePixelsAdd
{
  static inline int ch(int d, int s, int w) { return _RAS_Clamp255(d + s * w / 256); }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

struct _RAS_CombinePixelsColorDodge
{
  static inline int ch(int d, int s, int w)
  {
    const int x = s * w / 256;
    if (x < 255) return _RAS_Clamp255(d * 256 / (256 - x));
    return _RAS_Clamp255(d * 256);
  }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

struct _RAS_CombinePixelsMulNoClamp
{
  static inline int ch(int d, int s, int w) { return d * (s * w + (256 - w) * 256) / 65536; }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

// The clamping multiply may see any weight, so its products are 64-bit.
struct _RAS_CombinePixelsMulClamp
{
  static inline int ch(int d, int s, int w)
  {
    return _RAS_Clamp255((long long)d * ((long long)s * w + (256LL - w) * 256) / 65536);
  }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

// Overlay clamps and so accepts large weights; 64-bit products keep those exact.
struct _RAS_CombinePixelsOverlay
{
  static inline int ch(int d, int s, int w)
  {
    const long long t = (long long)s * w + (256LL - w) * 128;
    return _RAS_Clamp255(((32768 - t) * d / 256 + t) * d / 32768);
  }
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    d[RAS_BYTE_R] = (unsigned char)ch(d[RAS_BYTE_R], r, w);
    d[RAS_BYTE_G] = (unsigned char)ch(d[RAS_BYTE_G], g, w);
    d[RAS_BYTE_B] = (unsigned char)ch(d[RAS_BYTE_B], b, w);
    d[RAS_BYTE_A] = (unsigned char)ch(d[RAS_BYTE_A], a, w);
  }
};

// The source channels are adjustment amounts centred at 128: red turns the hue,
// green moves saturation, blue moves value; alpha is stored as it comes.
struct _RAS_CombinePixelsHSVAdjust
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    const int R = d[RAS_BYTE_R], G = d[RAS_BYTE_G], B = d[RAS_BYTE_B];
    int base, n, delta, V;
    if (R < G)
    {
      if (B < G)
      {
        base = 128;
        n = B - R;
        delta = G - (B < R ? B : R);
        V = G;
      }
      else
      {
        base = 256;
        n = R - G;
        delta = B - (G < R ? G : R);
        V = B;
      }
    }
    else if (B < R)
    {
      base = G < B ? 383 : 0;
      n = G - B;
      delta = R - (G < B ? G : B);
      V = R;
    }
    else
    {
      base = 256;
      n = R - G;
      delta = B - (G < R ? G : R);
      V = B;
    }
    int H = base + n * (_RAS_RGB2HSV_invtab[delta] + 1) / 1024;
    int S = delta * _RAS_RGB2HSV_invtab[V] / 256;

    // A whole turn of wrapping (not a single one) keeps the hue in range for
    // weights above 256, where the turn can exceed half the circle.
    H += (int)((long long)w * (r + r / 2 - 192) / 256);
    H %= 384;
    if (H < 0) H += 384;
    S = _RAS_Clamp255((long long)S + (long long)w * (g - 128) / 128);
    V = _RAS_Clamp255((long long)V + (long long)w * (b - 128) / 128);

    const int k = 16384;
    const int p = V * (256 - S) / 256;
    int outR, outG, outB;
    if (H < 64)
    {
      outR = V;
      outG = V * (k - S * (64 - H)) / k;
      outB = p;
    }
    else if (H < 128)
    {
      outR = V * (k + S * (64 - H)) / k;
      outG = V;
      outB = p;
    }
    else if (H < 192)
    {
      outR = p;
      outG = V;
      outB = V * (k - S * (192 - H)) / k;
    }
    else if (H < 256)
    {
      outR = p;
      outG = V * (k + S * (192 - H)) / k;
      outB = V;
    }
    else if (H < 320)
    {
      outR = V * (k - S * (320 - H)) / k;
      outG = p;
      outB = V;
    }
    else
    {
      outR = V;
      outG = p;
      outB = V * (k + S * (320 - H)) / k;
    }
    d[RAS_BYTE_R] = (unsigned char)outR;
    d[RAS_BYTE_G] = (unsigned char)outG;
    d[RAS_BYTE_B] = (unsigned char)outB;
    d[RAS_BYTE_A] = (unsigned char)a;
  }
};

// ---- source-alpha rules: the weight is further scaled by the source alpha ----

inline int _RAS_SourceAlphaWeight(int w, int a) { return w * (a + 1) / 256; }

struct _RAS_CombinePixelsCopySourceAlphaNoClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    if (a == 0) return;
    const int sw = _RAS_SourceAlphaWeight(w, a);
    d[RAS_BYTE_R] = (unsigned char)(r + (d[RAS_BYTE_R] - r) * (256 - sw) / 256);
    d[RAS_BYTE_G] = (unsigned char)(g + (d[RAS_BYTE_G] - g) * (256 - sw) / 256);
    d[RAS_BYTE_B] = (unsigned char)(b + (d[RAS_BYTE_B] - b) * (256 - sw) / 256);
    const int na = d[RAS_BYTE_A] + sw;
    d[RAS_BYTE_A] = (unsigned char)(na > 255 ? 255 : na);
  }
};

struct _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int)
  {
    if (a == 0) return;
    if (a == 255)
    {
      d[RAS_BYTE_R] = (unsigned char)r;
      d[RAS_BYTE_G] = (unsigned char)g;
      d[RAS_BYTE_B] = (unsigned char)b;
      d[RAS_BYTE_A] = 255;
      return;
    }
    d[RAS_BYTE_R] = (unsigned char)(r + (d[RAS_BYTE_R] - r) * (255 - a) / 256);
    d[RAS_BYTE_G] = (unsigned char)(g + (d[RAS_BYTE_G] - g) * (255 - a) / 256);
    d[RAS_BYTE_B] = (unsigned char)(b + (d[RAS_BYTE_B] - b) * (255 - a) / 256);
    const int na = d[RAS_BYTE_A] + a;
    d[RAS_BYTE_A] = (unsigned char)(na > 255 ? 255 : na);
  }
};

struct _RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int)
  {
    if (a == 0) return;
    if (a == 255)
    {
      d[RAS_BYTE_R] = (unsigned char)_RAS_Clamp255(r);
      d[RAS_BYTE_G] = (unsigned char)_RAS_Clamp255(g);
      d[RAS_BYTE_B] = (unsigned char)_RAS_Clamp255(b);
      d[RAS_BYTE_A] = 255;
      return;
    }
    d[RAS_BYTE_R] = (unsigned char)_RAS_Clamp255(r + (d[RAS_BYTE_R] - r) * (255 - a) / 256);
    d[RAS_BYTE_G] = (unsigned char)_RAS_Clamp255(g + (d[RAS_BYTE_G] - g) * (255 - a) / 256);
    d[RAS_BYTE_B] = (unsigned char)_RAS_Clamp255(b + (d[RAS_BYTE_B] - b) * (255 - a) / 256);
    const int na = d[RAS_BYTE_A] + a;
    d[RAS_BYTE_A] = (unsigned char)(na > 255 ? 255 : na < 0 ? 0 : na);
  }
};

// A rule applied with its weight scaled by the source pixel's alpha. With
// SkipTransparent a source pixel of alpha 0 leaves the destination as it is;
// without, the rule still runs at the small weight alpha 0 gives.
template <class Rule, bool SkipTransparent>
struct _RAS_CombinePixelsWithSourceAlpha
{
  static inline void doPix(unsigned char* d, int r, int g, int b, int a, int w)
  {
    if (SkipTransparent && a == 0) return;
    Rule::doPix(d, r, g, b, a, _RAS_SourceAlphaWeight(w, a));
  }
};

using _RAS_CombinePixelsAddSourceAlpha = _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsAdd, true>;
using _RAS_CombinePixelsColorDodgeSourceAlpha = _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsColorDodge, false>;
using _RAS_CombinePixelsMulSourceAlphaNoClamp = _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsMulNoClamp, true>;
using _RAS_CombinePixelsOverlaySourceAlpha = _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsOverlay, false>;
using _RAS_CombinePixelsHSVAdjustSourceAlpha = _RAS_CombinePixelsWithSourceAlpha<_RAS_CombinePixelsHSVAdjust, false>;

// ---- whole-word rules: each byte handled independently with shifts ----

struct _RAS_CombinePixelsClobberFAST
{
  static inline RAS_pixel doPix(RAS_pixel, RAS_pixel src) { return src; }
};

struct _RAS_CombinePixelsHalfMixFAST
{
  static inline RAS_pixel doPix(RAS_pixel dest, RAS_pixel src)
  {
    return ((dest >> 1) & 0x7F7F7F7F) + ((src >> 1) & 0x7F7F7F7F);
  }
};

// h = (colour >> 1) & 0x7F7F7F7F, precomputed by the caller.
struct _RAS_CombinePixelsHalfMix2FAST
{
  static inline RAS_pixel doPix(RAS_pixel dest, RAS_pixel h) { return h + ((dest >> 1) & 0x7F7F7F7F); }
};

// q = (colour >> 2) & 0x3F3F3F3F, precomputed by the caller.
struct _RAS_CombinePixelsQuarterMix2FAST
{
  static inline RAS_pixel doPix(RAS_pixel dest, RAS_pixel q)
  {
    return q + ((dest >> 1) & 0x7F7F7F7F) + ((dest >> 2) & 0x3F3F3F3F);
  }
};

// hq = h + q of the colour, precomputed by the caller.
struct _RAS_CombinePixelsThreeQuarterMix2FAST
{
  static inline RAS_pixel doPix(RAS_pixel dest, RAS_pixel hq) { return hq + ((dest >> 2) & 0x3F3F3F3F); }
};

// Chooses the rule for a blend mode and a weight already limited by
// RAS_LimitRuleWeight and known to be non-zero, and calls
// f.template operator()<Rule>(). Returns false (calling nothing) for a mode
// that has no rule.
template <class F>
inline bool _RAS_WithRule(int mode, int w, F&& f)
{
  if (mode & RAS_MODE_USE_ALPHA)
  {
    switch (mode & RAS_MODE_MASK)
    {
      case RAS_MODE_COPY:
        if (w >= 256)
          f.template operator()<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>();
        else
          f.template operator()<_RAS_CombinePixelsCopySourceAlphaNoClamp>();
        return true;
      case RAS_MODE_ADD: f.template operator()<_RAS_CombinePixelsAddSourceAlpha>(); return true;
      case RAS_MODE_DODGE: f.template operator()<_RAS_CombinePixelsColorDodgeSourceAlpha>(); return true;
      case RAS_MODE_MUL: f.template operator()<_RAS_CombinePixelsMulSourceAlphaNoClamp>(); return true;
      case RAS_MODE_OVERLAY: f.template operator()<_RAS_CombinePixelsOverlaySourceAlpha>(); return true;
      case RAS_MODE_HSVADJUST: f.template operator()<_RAS_CombinePixelsHSVAdjustSourceAlpha>(); return true;
      default: return false;
    }
  }
  switch (mode & RAS_MODE_MASK)
  {
    case RAS_MODE_COPY:
      if (w <= 0) return false;
      if (w >= 256)
        f.template operator()<_RAS_CombinePixelsClobberNoClamp>();
      else
        f.template operator()<_RAS_CombinePixelsCopyNoClamp>();
      return true;
    case RAS_MODE_ADD: f.template operator()<_RAS_CombinePixelsAdd>(); return true;
    case RAS_MODE_DODGE: f.template operator()<_RAS_CombinePixelsColorDodge>(); return true;
    case RAS_MODE_MUL: f.template operator()<_RAS_CombinePixelsMulNoClamp>(); return true;
    case RAS_MODE_OVERLAY: f.template operator()<_RAS_CombinePixelsOverlay>(); return true;
    case RAS_MODE_HSVADJUST: f.template operator()<_RAS_CombinePixelsHSVAdjust>(); return true;
    default: return false;
  }
}

// Combining of two pixel values and in-place combining of one pixel; see the
// raster header for the rules each applies.
RAS_pixel RAS_CombinePixels(RAS_pixel dest, RAS_pixel src, float alpha, int mode);
void RAS_CombinePixels2(RAS_pixel* pix, int r, int g, int b, int a, int w, int mode);
void RAS_CombinePixels2Clamp(RAS_pixel* pix, int r, int g, int b, int a, int w, int mode);
