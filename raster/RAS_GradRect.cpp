#include "raster/RAS_Plot.h"
#include "raster/RAS_Shapes.h"

namespace {

// Values and steps are 16.16 numbers in 64 bits. Those whose 16.16 form
// exceeds 2^40 (channel values past about 65000) are refused: they mean
// nothing as colours, and the bound leaves 64-bit room for the sums.
constexpr double kFixedLimit = 1099511627776.0;

// Channel values reaching the rules are limited to this; every clamping rule
// is saturated long before, and the limit keeps their products in 32 bits.
constexpr long long kChannelLimit = 16384;
// Running sums are brought back within this at every row and every
// kChunk pixels of a row, which a value beyond any channel's range can
// afford and which keeps the sums from overflowing.
constexpr long long kSumLimit = 1LL << 61;
constexpr int kChunk = 1 << 20;

long long Bound(__int128 v) { return v > kSumLimit ? kSumLimit : v < -kSumLimit ? -kSumLimit : (long long)v; }

bool ToFixed(double v, double scale, long long* out)
{
  const double f = v * scale * 65536.0;
  if (!_RAS_Finite(f) || f > kFixedLimit || f < -kFixedLimit) return false;
  *out = (long long)f;
  return true;
}

int Channel(long long fixed)
{
  const long long v = fixed / 65536;
  return (int)(v < -kChannelLimit ? -kChannelLimit : v > kChannelLimit ? kChannelLimit : v);
}

} // namespace

template <class Rule>
static void GradLoop(const _RAS_Area& a, const long long start[4], const long long dx[4], const long long dy[4])
{
  long long row[4] = {start[0], start[1], start[2], start[3]};
  RAS_pixel* line = a.row;
  for (int j = 0; j < a.h; j++, line += a.step)
  {
    long long v[4] = {row[0], row[1], row[2], row[3]};
    for (int i = 0; i < a.w; i++)
    {
      const int al = Channel(v[3]);
      // A pixel of no weight is left alone, whatever the rule.
      if (al) Rule::doPix((unsigned char*)(line + i), Channel(v[0]), Channel(v[1]), Channel(v[2]), al, al);
      for (int c = 0; c < 4; c++) v[c] += dx[c];
      if ((i + 1) % kChunk == 0)
        for (int c = 0; c < 4; c++) v[c] = Bound(v[c]);
    }
    for (int c = 0; c < 4; c++) row[c] = Bound((__int128)row[c] + dy[c]);
  }
}

void RAS_GradRect(RAS_IBitmap* bm, int x, int y, int w, int h, float r, float g, float b, float a, float drdx,
                  float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode)
{
  long long start[4], dx[4], dy[4];
  const float s[4] = {r, g, b, a}, sx[4] = {drdx, dgdx, dbdx, dadx}, sy[4] = {drdy, dgdy, dbdy, dady};
  for (int c = 0; c < 4; c++)
  {
    const double scale = c == 3 ? 256.0 : 255.0;
    if (!ToFixed(s[c], scale, &start[c]) || !ToFixed(sx[c], scale, &dx[c]) || !ToFixed(sy[c], scale, &dy[c])) return;
  }
  _RAS_Area area;
  if (!_RAS_ClipToBitmap(bm, x, y, w, h, &area)) return;
  // Clipping moved the origin; the start values follow it.
  const long long skipx = x < 0 ? -(long long)x : 0, skipy = y < 0 ? -(long long)y : 0;
  for (int c = 0; c < 4; c++) start[c] = Bound((__int128)start[c] + (__int128)dx[c] * skipx + (__int128)dy[c] * skipy);

  const bool opaque = start[3] == 256LL * 65536 && dx[3] == 0 && dy[3] == 0;
  switch (mode & RAS_MODE_MASK)
  {
    case RAS_MODE_COPY:
      if (opaque)
        GradLoop<_RAS_CombinePixelsClobberClamp>(area, start, dx, dy);
      else
        GradLoop<_RAS_CombinePixelsCopyClamp>(area, start, dx, dy);
      return;
    case RAS_MODE_ADD: GradLoop<_RAS_CombinePixelsAdd>(area, start, dx, dy); return;
    case RAS_MODE_DODGE: GradLoop<_RAS_CombinePixelsColorDodge>(area, start, dx, dy); return;
    case RAS_MODE_MUL: GradLoop<_RAS_CombinePixelsMulClamp>(area, start, dx, dy); return;
    case RAS_MODE_OVERLAY: GradLoop<_RAS_CombinePixelsOverlay>(area, start, dx, dy); return;
    case RAS_MODE_HSVADJUST: GradLoop<_RAS_CombinePixelsHSVAdjust>(area, start, dx, dy); return;
    default: return;
  }
}
