#include "graphics/IGraphics.h"

#include "raster/raster.h"

#include <math.h>

namespace
{

// A float coordinate truncated toward zero for the integer line. A value that
// is not finite or has no int (a slipped NaN, an overflowed sum) is refused
// rather than saturated: saturating one end would bend the line.
bool ToLineCoord(float v, int* out)
{
  if (!(v >= -2147483648.0f && v < 2147483648.0f)) return false;
  *out = (int)v;
  return true;
}

// The integer line of the float end points, truncated; nothing when an end
// has no int.
void FloatLine(RAS_IBitmap* bm, float x1, float y1, float x2, float y2, RAS_pixel colour, float alpha, int mode,
               bool aa)
{
  int ix1, iy1, ix2, iy2;
  if (!ToLineCoord(x1, &ix1) || !ToLineCoord(y1, &iy1) || !ToLineCoord(x2, &ix2) || !ToLineCoord(y2, &iy2)) return;
  RAS_Line(bm, ix1, iy1, ix2, iy2, colour, alpha, mode, aa);
}

// The plain opaque line the outline and guide-line calls draw.
void PlainLine(RAS_IBitmap* bm, const IColor* pColor, int x1, int y1, int x2, int y2)
{
  RAS_Line(bm, x1, y1, x2, y2, pColor->ToPixel(), 1.0f, RAS_MODE_COPY, false);
}

// A fraction of a rectangle's side, clamped to [0, 1]; false for NaN.
bool ClampFraction(float* f)
{
  if (!(*f == *f)) return false;
  if (*f < 0.0f) *f = 0.0f;
  if (*f > 1.0f) *f = 1.0f;
  return true;
}

// A rectangle's side in 64 bits (right - left may leave the int range) and
// as a raster size, which the raster clips to the bitmap.
long long Side(int lo, int hi) { return (long long)hi - lo; }
int SizeArg(long long v) { return v > 2147483647LL ? 2147483647 : (int)v; }

// Three rectangles (the middle column and the two side bands) and a disc of
// radius c at each corner of (L, T)-(R, B), 0 < c <= half the shorter side.
void RoundRectPieces(RAS_IBitmap* bm, long long L, long long T, long long R, long long B, int c, RAS_pixel colour,
                     float alpha, int mode, bool aa)
{
  const int W = SizeArg(R - L - 2 * c), H = SizeArg(B - T), side = SizeArg(B - T - 2 * c);
  RAS_FillRect(bm, (int)(L + c), (int)T, W, H, colour, alpha, mode);
  RAS_FillRect(bm, (int)L, (int)(T + c), c, side, colour, alpha, mode);
  RAS_FillRect(bm, (int)(R - c), (int)(T + c), c, side, colour, alpha, mode);
  const float fr = (float)c;
  RAS_FillCircle(bm, (float)(L + c), (float)(T + c), fr, colour, alpha, mode, aa);
  RAS_FillCircle(bm, (float)(R - c - 1), (float)(B - c - 1), fr, colour, alpha, mode, aa);
  RAS_FillCircle(bm, (float)(R - c - 1), (float)(T + c), fr, colour, alpha, mode, aa);
  RAS_FillCircle(bm, (float)(L + c), (float)(B - c - 1), fr, colour, alpha, mode, aa);
}

} // namespace

bool IGraphics::DrawLine(const IColor* pColor, float x1, float y1, float x2, float y2, const IChannelBlend* pBlend,
                         bool antiAlias)
{
  if (!pColor) return true;
  FloatLine(mDrawBitmap, x1, y1, x2, y2, pColor->ToPixel(), IBlend::Weight(pBlend), IBlend::LineMode(pBlend),
            antiAlias);
  return true;
}

bool IGraphics::DrawArc(const IColor* pColor, float cx, float cy, float r, float minAngle, float maxAngle,
                        const IChannelBlend* pBlend, bool antiAlias)
{
  if (!pColor) return true;
  RAS_Arc(mDrawBitmap, cx, cy, r, minAngle, maxAngle, pColor->ToPixel(), IBlend::Weight(pBlend),
          IBlend::BlitMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::DrawCircle(const IColor* pColor, float cx, float cy, float r, const IChannelBlend* pBlend,
                           bool antiAlias)
{
  if (!pColor) return true;
  RAS_Circle(mDrawBitmap, cx, cy, r, pColor->ToPixel(), IBlend::Weight(pBlend), IBlend::BlitMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::RoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa)
{
  if (!pColor || !pR) return true;
  RAS_RoundRect(mDrawBitmap, (float)pR->L, (float)pR->T, (float)Side(pR->L, pR->R), (float)Side(pR->T, pR->B),
                cornerradius, pColor->ToPixel(), IBlend::Weight(pBlend), IBlend::BlitMode(pBlend), aa);
  return true;
}

// The pieces overlap (each disc covers part of the rectangles), which only an
// opaque copy at full weight may draw directly. Any other blend lays the
// pieces out as coverage on a scratch bitmap the size of the visible part,
// then draws each covered pixel once: full runs as rectangle fills, edge
// pixels at their share of the weight. The colour's own alpha, which the
// rectangle fills honour and the disc drawer does not, is folded into the
// weight so that body and corners get one opacity. The radius is limited to
// half the shorter side, as the outline limits it, so the corners never
// reach outside the rectangle; a radius of 0 or less is the plain rectangle.
// Allocates the scratch bitmap for blended draws.
bool IGraphics::FillRoundRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend, int cornerradius, bool aa)
{
  if (!pColor || !pR || !mDrawBitmap) return true;
  const long long W = Side(pR->L, pR->R), H = Side(pR->T, pR->B);
  if (W <= 0 || H <= 0) return true;
  const RAS_pixel colour = pColor->ToPixel();
  float alpha = IBlend::Weight(pBlend);
  int mode = IBlend::BlitMode(pBlend);
  if (mode & RAS_MODE_USE_ALPHA)
  {
    alpha = (float)(alpha * (RAS_GETA(colour) / 255.0));
    mode &= ~RAS_MODE_USE_ALPHA;
  }
  long long cr = cornerradius;
  if (cr > W / 2) cr = W / 2;
  if (cr > H / 2) cr = H / 2;
  if (cr <= 0)
  {
    RAS_FillRect(mDrawBitmap, pR->L, pR->T, SizeArg(W), SizeArg(H), colour, alpha, mode);
    return true;
  }
  const long long ox = pR->L > 0 ? pR->L : 0, oy = pR->T > 0 ? pR->T : 0;
  const long long ex = pR->R < mDrawBitmap->getWidth() ? pR->R : mDrawBitmap->getWidth();
  const long long ey = pR->B < mDrawBitmap->getHeight() ? pR->B : mDrawBitmap->getHeight();
  if (ex <= ox || ey <= oy) return true;
  const int cw = (int)(ex - ox), ch = (int)(ey - oy);
  RAS_MemBitmap cov;
  const bool opaque = mode == RAS_MODE_COPY && RAS_AlphaToWeight(alpha) >= 256;
  if (!opaque) cov.resize(cw, ch);
  // Without scratch space the overlaps show, but the shape is still drawn.
  if (opaque || !cov.getBits() || cov.getWidth() != cw || cov.getHeight() != ch)
  {
    RoundRectPieces(mDrawBitmap, pR->L, pR->T, pR->R, pR->B, (int)cr, colour, alpha, mode, aa);
    return true;
  }
  RAS_Clear(&cov, 0);
  RoundRectPieces(&cov, pR->L - ox, pR->T - oy, pR->R - ox, pR->B - oy, (int)cr,
                  RAS_RGBA(255, 255, 255, 255), 1.0f, RAS_MODE_COPY, aa);
  for (int y = 0; y < ch; ++y)
  {
    const RAS_pixel* row = cov.getBits() + (long)y * cov.getRowSpan();
    for (int x = 0; x < cw;)
    {
      const int k = RAS_GETR(row[x]);
      int n = 1;
      if (k == 255)
      {
        while (x + n < cw && RAS_GETR(row[x + n]) == 255) ++n;
        RAS_FillRect(mDrawBitmap, (int)(ox + x), (int)(oy + y), n, 1, colour, alpha, mode);
      }
      else if (k)
        RAS_PutPixel(mDrawBitmap, (int)(ox + x), (int)(oy + y), colour, alpha * (float)k / 255.0f, mode);
      x += n;
    }
  }
  return true;
}

bool IGraphics::FillCircle(const IColor* pColor, int cx, int cy, float r, const IChannelBlend* pBlend, bool antiAlias)
{
  if (!pColor) return true;
  RAS_FillCircle(mDrawBitmap, (float)cx, (float)cy, r, pColor->ToPixel(), IBlend::Weight(pBlend),
                 IBlend::BlitMode(pBlend), antiAlias);
  return true;
}

bool IGraphics::FillTriangle(const IColor* pColor, int x1, int y1, int x2, int y2, int x3, int y3,
                             const IChannelBlend* pBlend)
{
  if (!pColor) return true;
  RAS_FillTriangle(mDrawBitmap, x1, y1, x2, y2, x3, y3, pColor->ToPixel(), IBlend::Weight(pBlend),
                   IBlend::BlitMode(pBlend));
  return true;
}

bool IGraphics::FillIConvexPolygon(const IColor* pColor, int* x, int* y, int npoints, const IChannelBlend* pBlend)
{
  if (!pColor || !x || !y) return true;
  RAS_FillConvexPolygon(mDrawBitmap, x, y, npoints, pColor->ToPixel(), IBlend::Weight(pBlend),
                        IBlend::BlitMode(pBlend));
  return true;
}

bool IGraphics::DrawRect(const IColor* pColor, IRECT* pR)
{
  if (!pColor || !pR) return true;
  PlainLine(mDrawBitmap, pColor, pR->L, pR->T, pR->R, pR->T);
  PlainLine(mDrawBitmap, pColor, pR->L, pR->B, pR->R, pR->B);
  PlainLine(mDrawBitmap, pColor, pR->L, pR->T, pR->L, pR->B);
  PlainLine(mDrawBitmap, pColor, pR->R, pR->T, pR->R, pR->B);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, int x, int yLo, int yHi)
{
  if (!pColor) return true;
  PlainLine(mDrawBitmap, pColor, x, yLo, x, yHi);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, int y, int xLo, int xHi)
{
  if (!pColor) return true;
  PlainLine(mDrawBitmap, pColor, xLo, y, xHi, y);
  return true;
}

bool IGraphics::DrawVerticalLine(const IColor* pColor, IRECT* pR, float x)
{
  if (!pColor || !pR || !ClampFraction(&x)) return true;
  const int xi = RAS_SatInt((double)(pR->L + (long long)((float)Side(pR->L, pR->R) * x)));
  PlainLine(mDrawBitmap, pColor, xi, pR->T, xi, pR->B);
  return true;
}

bool IGraphics::DrawHorizontalLine(const IColor* pColor, IRECT* pR, float y)
{
  if (!pColor || !pR || !ClampFraction(&y)) return true;
  const int yi = RAS_SatInt((double)(pR->B - (long long)((float)Side(pR->T, pR->B) * y)));
  PlainLine(mDrawBitmap, pColor, pR->L, yi, pR->R, yi);
  return true;
}

bool IGraphics::DrawRadialLine(const IColor* pColor, float cx, float cy, float angle, float rMin, float rMax,
                               const IChannelBlend* pBlend, bool antiAlias)
{
  if (!pColor) return true;
  const float s = sinf(angle), c = cosf(angle);
  FloatLine(mDrawBitmap, cx + rMin * s, cy - rMin * c, cx + rMax * s, cy - rMax * c, pColor->ToPixel(),
            IBlend::Weight(pBlend), IBlend::LineMode(pBlend), antiAlias);
  return true;
}
