#pragma once

// The raster library's pixel: a 32-bit word, not premultiplied, whose bytes in
// memory are alpha, red, green, blue (the frame-buffer layout of the platform
// drawing context, so a system bitmap needs no conversion). On the
// little-endian host the word reads A | R << 8 | G << 16 | B << 24.

#include <math.h>
#include <stdint.h>

typedef uint32_t RAS_pixel;

// Byte positions of the channels inside a pixel in memory.
constexpr int RAS_BYTE_A = 0;
constexpr int RAS_BYTE_R = 1;
constexpr int RAS_BYTE_G = 2;
constexpr int RAS_BYTE_B = 3;

inline constexpr RAS_pixel RAS_RGBA(int r, int g, int b, int a)
{
  return (RAS_pixel)(a & 0xFF) | ((RAS_pixel)(r & 0xFF) << 8) | ((RAS_pixel)(g & 0xFF) << 16) |
         ((RAS_pixel)(b & 0xFF) << 24);
}
inline constexpr int RAS_GETA(RAS_pixel p) { return (int)(p & 0xFF); }
inline constexpr int RAS_GETR(RAS_pixel p) { return (int)((p >> 8) & 0xFF); }
inline constexpr int RAS_GETG(RAS_pixel p) { return (int)((p >> 16) & 0xFF); }
inline constexpr int RAS_GETB(RAS_pixel p) { return (int)((p >> 24) & 0xFF); }

// The blend-mode word every drawing call takes.
constexpr int RAS_MODE_MASK = 0xFF;
constexpr int RAS_MODE_COPY = 0;
constexpr int RAS_MODE_ADD = 1;
constexpr int RAS_MODE_DODGE = 2;
constexpr int RAS_MODE_MUL = 3;
constexpr int RAS_MODE_OVERLAY = 4;
constexpr int RAS_MODE_HSVADJUST = 5;
// 0xF0 | (destination byte << 2) | source byte; blits only.
constexpr int RAS_MODE_CHANNEL_COPY = 0xF0;
constexpr int RAS_FILTER_BILINEAR = 0x100;
constexpr int RAS_MODE_USE_ALPHA = 0x10000;

// Weights beyond +-256 opacity only matter to the rules that clamp, and every
// one of those is saturated long before this; the limit keeps the rules'
// 32-bit products from overflowing.
constexpr int RAS_WEIGHT_LIMIT = 65536;

// The integer weight of a float opacity: alpha * 256 truncated toward zero.
// NaN counts as 0 and huge values saturate instead of overflowing.
inline int RAS_AlphaToWeight(double alpha)
{
  if (!(alpha == alpha)) return 0;
  const double w = alpha * 256.0;
  if (w >= (double)RAS_WEIGHT_LIMIT) return RAS_WEIGHT_LIMIT;
  if (w <= -(double)RAS_WEIGHT_LIMIT) return -RAS_WEIGHT_LIMIT;
  return (int)w;
}

// The copy and multiply rules do not clamp their results, so a weight outside
// [0, 256] would wrap colours around; it is limited here for them only.
inline int RAS_LimitRuleWeight(int mode, int w)
{
  const int m = mode & RAS_MODE_MASK;
  if (m == RAS_MODE_COPY || m == RAS_MODE_MUL) return w < 0 ? 0 : w > 256 ? 256 : w;
  return w;
}

// Float-to-integer conversion for coordinates: truncates toward zero and
// saturates at the int range. Callers reject NaN before converting; should
// one slip through it becomes 0 rather than undefined behaviour.
inline int RAS_SatInt(double v)
{
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return 2147483647;
  if (v <= -2147483648.0) return (-2147483647 - 1);
  return (int)v;
}

// The same into 64 bits, saturating well inside the range so that sums of a
// few such values cannot overflow.
inline long long RAS_SatInt64(double v)
{
  const double lim = 4611686018427387904.0; // 2^62
  if (!(v == v)) return 0;
  if (v >= lim) return (long long)lim;
  if (v <= -lim) return -(long long)lim;
  return (long long)v;
}

inline bool RAS_IsNaN(double v) { return !(v == v); }
