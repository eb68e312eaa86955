#include "raster/RAS_BezierPrep.h"
#include "raster/RAS_FillShapes.h"
#include "raster/RAS_Shapes.h"

#include <initializer_list>

namespace {

// Curve coordinates are brought within +-2^40: far beyond any bitmap, so the
// visible part of a strip does not change, while differences of two of them
// stay far inside 64 bits.
long long Coord(double v)
{
  const double lim = 1099511627776.0;
  return v > lim ? (long long)lim : v < -lim ? -(long long)lim : (long long)v;
}

// Fills strips between the curve and the baseline f. Coordinates are along
// the walking axis (u) and across it (v); transposed exchanges them on the
// way to the bitmap (the fill against a column).
struct StripFiller
{
  const _RAS_Canvas& c;
  long long f;
  bool transposed;
  RAS_pixel colour;
  int w, mode;

  void Poly(std::initializer_list<_RAS_PolyPt> uv) const
  {
    _RAS_PolyPt p[4];
    int n = 0;
    for (const _RAS_PolyPt& q : uv) p[n++] = transposed ? _RAS_PolyPt{q.y, q.x} : q;
    _RAS_FillPolygonOn(c, p, n, colour, w, mode);
  }

  // The strip from column ua (curve at va) to column ub (curve at vb).
  void Strip(long long ua, long long va, long long ub, long long vb) const
  {
    if (ub < ua) return;
    const long long la = va < f ? f + 1 : f;
    if (ua == ub)
    {
      // The column a wider strip would give it, so that the fill's edge
      // along the baseline does not depend on the curve's steepness.
      Poly({{ua, va}, {ua, la}, {ua, vb}});
      return;
    }
    if ((vb < f) != (va < f))
    {
      const long long uc = ua + (long long)((__int128)(f - va) * (ub - ua) / (vb - va));
      const long long lb = vb < f ? f + 1 : f;
      Poly({{ua, va}, {ua, la}, {uc, la}});
      Poly({{uc, lb}, {ub, lb}, {ub, vb}});
      return;
    }
    Poly({{ua, va}, {ua, la}, {ub, la}, {ub, vb}});
  }
};

void FillBezier(RAS_IBitmap* bm, const double u[4], const double v[4], bool transposed, int fill, RAS_pixel colour,
                float alpha, int mode, float tol)
{
  _RAS_Canvas c;
  if (!_RAS_GetCanvas(bm, &c)) return;
  const int w = _RAS_ShapeWeight(mode, alpha);
  if (!w) return;
  const double limit = transposed ? c.h : c.w;
  _RAS_BezierPrep p;
  if (!_RAS_PrepBezier(u, v, true, limit, limit, tol, &p)) return;
  const StripFiller s{c, (long long)fill, transposed, colour, w, mode};
  long long u0 = Coord(p.us), v0 = Coord(p.vs + 0.5);
  const double dt = (p.t1 - p.t0) / p.n;
  for (int k = 1; k <= p.n - 2; k++)
  {
    const double t = p.t0 + dt * k;
    const long long uk = Coord(p.U(t));
    if (uk < u0) continue;
    const long long vk = Coord(p.V(t) + 0.5);
    s.Strip(u0, v0, uk, vk);
    u0 = uk + 1;
    v0 = vk;
  }
  const long long ue = Coord(p.ue - 1);
  if (ue >= u0) s.Strip(u0, v0, ue, Coord(p.ve + 0.5));
}

} // namespace

void RAS_FillCBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                     float xend, float yend, int yfill, RAS_pixel colour, float alpha, int mode, float tol)
{
  const double u[4] = {xstart, xctl1, xctl2, xend}, v[4] = {ystart, yctl1, yctl2, yend};
  FillBezier(bm, u, v, false, yfill, colour, alpha, mode, tol);
}

void RAS_FillCBezierX(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                      float xend, float yend, int xfill, RAS_pixel colour, float alpha, int mode, float tol)
{
  const double u[4] = {ystart, yctl1, yctl2, yend}, v[4] = {xstart, xctl1, xctl2, xend};
  FillBezier(bm, u, v, true, xfill, colour, alpha, mode, tol);
}
