#pragma once

// Helpers shared by the raster tests: bitmaps with known contents, a flipped
// bitmap, and the combining rules written out once more from their formulas
// (independently of the library) to serve as the oracle.

#include "raster/raster.h"

#include <memory>
#include <random>
#include <stdint.h>

// A memory bitmap whose row 0 in memory is the bottom image row.
class FlippedBitmap : public RAS_MemBitmap
{
public:
  FlippedBitmap(int w, int h) : RAS_MemBitmap(w, h, 4) {}
  bool isFlipped() override { return true; }
};

// A memory bitmap stored top-down or flipped, for checks that must hold in
// both orders.
inline std::unique_ptr<RAS_MemBitmap> MakeBitmap(int w, int h, bool flipped)
{
  if (flipped) return std::make_unique<FlippedBitmap>(w, h);
  return std::make_unique<RAS_MemBitmap>(w, h);
}

inline unsigned char ChanOf(RAS_pixel p, int byte) { return (unsigned char)(p >> (8 * byte)); }
inline RAS_pixel Px(int r, int g, int b, int a) { return RAS_RGBA(r, g, b, a); }

// Image-row access that does not use the library's own addressing.
inline RAS_pixel& At(RAS_IBitmap& bm, int x, int y)
{
  const int row = bm.isFlipped() ? bm.getHeight() - 1 - y : y;
  return bm.getBits()[(long long)row * bm.getRowSpan() + x];
}

// Copies an image (honouring flipping) into a plain bitmap.
inline std::unique_ptr<RAS_MemBitmap> Snapshot(RAS_IBitmap& bm)
{
  auto s = std::make_unique<RAS_MemBitmap>(bm.getWidth(), bm.getHeight());
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) At(*s, x, y) = At(bm, x, y);
  return s;
}

inline void FillRandom(RAS_IBitmap& bm, std::mt19937& rng, bool extremes = true)
{
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
    {
      RAS_pixel p = (RAS_pixel)rng();
      // Saturated channels and fully transparent/opaque pixels often.
      if (extremes)
        for (int c = 0; c < 4; c++)
        {
          const unsigned k = rng() % 8;
          if (k == 0) p &= ~(0xFFu << (8 * c));
          if (k == 1) p |= 0xFFu << (8 * c);
        }
      At(bm, x, y) = p;
    }
}

inline int Tz(long long num, long long den) { return (int)(num / den); }
inline int Clamp8(long long v) { return v < 0 ? 0 : v > 255 ? 255 : (int)v; }

// The test's own statement of every rule, channel by channel. Returns the new
// destination pixel. Modes are the library's blend-mode word; w the integer
// weight already chosen by the caller.
inline RAS_pixel OracleRule(int mode, RAS_pixel dst, int r, int g, int b, int a, int w)
{
  const int s[4] = {a, r, g, b}; // byte order: alpha, red, green, blue
  int d[4];
  for (int c = 0; c < 4; c++) d[c] = ChanOf(dst, c);
  int out[4] = {d[0], d[1], d[2], d[3]};
  const bool useAlpha = (mode & RAS_MODE_USE_ALPHA) != 0;
  const int m = mode & 0xFF;
  int ww = w;
  if (useAlpha) ww = Tz((long long)w * (a + 1), 256);
  auto pack = [&]() { return (RAS_pixel)(out[0] & 255) | (RAS_pixel)(out[1] & 255) << 8 |
                             (RAS_pixel)(out[2] & 255) << 16 | (RAS_pixel)(out[3] & 255) << 24; };
  switch (m)
  {
    case RAS_MODE_COPY:
      if (!useAlpha)
      {
        for (int c = 0; c < 4; c++) out[c] = s[c] + Tz((long long)(d[c] - s[c]) * (256 - w), 256);
        return pack();
      }
      if (a == 0) return dst;
      if (w >= 256)
      {
        for (int c = 1; c < 4; c++) out[c] = a == 255 ? s[c] : s[c] + Tz((long long)(d[c] - s[c]) * (255 - a), 256);
        out[0] = a == 255 ? 255 : (d[0] + a > 255 ? 255 : d[0] + a);
        return pack();
      }
      for (int c = 1; c < 4; c++) out[c] = s[c] + Tz((long long)(d[c] - s[c]) * (256 - ww), 256);
      out[0] = d[0] + ww > 255 ? 255 : d[0] + ww;
      return pack();
    case RAS_MODE_ADD:
      if (useAlpha && a == 0) return dst;
      for (int c = 0; c < 4; c++) out[c] = Clamp8(d[c] + Tz((long long)s[c] * ww, 256));
      return pack();
    case RAS_MODE_DODGE:
      for (int c = 0; c < 4; c++)
      {
        const int x = Tz((long long)s[c] * ww, 256);
        out[c] = x < 255 ? Clamp8(Tz((long long)d[c] * 256, 256 - x)) : (d[c] ? 255 : 0);
      }
      return pack();
    case RAS_MODE_MUL:
      if (useAlpha && a == 0) return dst;
      for (int c = 0; c < 4; c++) out[c] = Tz((long long)d[c] * ((long long)s[c] * ww + (256 - ww) * 256LL), 65536);
      return pack();
    case RAS_MODE_OVERLAY:
      for (int c = 0; c < 4; c++)
      {
        const long long t = (long long)s[c] * ww + (256 - ww) * 128LL;
        out[c] = Clamp8(Tz((Tz((32768 - t) * d[c], 256) + t) * d[c], 32768));
      }
      return pack();
    default: return dst;
  }
}

inline RAS_pixel OracleRulePx(int mode, RAS_pixel dst, RAS_pixel src, int w)
{
  return OracleRule(mode, dst, ChanOf(src, 1), ChanOf(src, 2), ChanOf(src, 3), ChanOf(src, 0), w);
}

// The integer weight of an opacity for a mode, as every drawing call takes it.
inline int OracleWeight(int mode, float alpha)
{
  if (alpha != alpha) return 0;
  const double wd = (double)alpha * 256.0;
  long long w = wd > 65536 ? 65536 : wd < -65536 ? -65536 : (long long)wd;
  const int m = mode & 0xFF;
  if (m == RAS_MODE_COPY || m == RAS_MODE_MUL) w = w < 0 ? 0 : w > 256 ? 256 : w;
  return (int)w;
}

// One pixel combined by the rule of a mode at integer weight w.
inline RAS_pixel OracleModePixel(int mode, int w, RAS_pixel dst, RAS_pixel src)
{
  const int m = mode & 0xFF;
  const bool useAlpha = (mode & RAS_MODE_USE_ALPHA) != 0;
  if (w == 0 || m > RAS_MODE_HSVADJUST) return dst;
  if (m == RAS_MODE_HSVADJUST)
  {
    RAS_pixel out = dst;
    const int a = ChanOf(src, 0);
    const int ww = useAlpha ? Tz((long long)w * (a + 1), 256) : w;
    _RAS_CombinePixelsHSVAdjust::doPix((unsigned char*)&out, ChanOf(src, 1), ChanOf(src, 2), ChanOf(src, 3), a, ww);
    return out;
  }
  return OracleRulePx(mode, dst, src, w);
}

// What drawing src over dst with an opacity and mode gives in an unscaled
// blit, the whole-word shortcuts for opaque and half copies included.
inline RAS_pixel OracleBlitPixel(int mode, float alpha, RAS_pixel dst, RAS_pixel src)
{
  if (!(mode & RAS_MODE_USE_ALPHA) && (mode & 0xFF) == RAS_MODE_COPY)
  {
    if (alpha == 1.0f) return src;
    if (alpha == 0.5f) return ((dst >> 1) & 0x7F7F7F7F) + ((src >> 1) & 0x7F7F7F7F);
  }
  return OracleModePixel(mode, OracleWeight(mode, alpha), dst, src);
}
