#include "raster/RAS_BezierPrep.h"
#include "raster/RAS_Lines.h"
#include "raster/RAS_Plot.h"

namespace {

// Samples per curve when looking for where it crosses a limit; a crossing is
// then refined by bisection.
constexpr int kRootSamples = 64;
constexpr int kBisections = 60;

struct Poly
{
  double a, b, c, d;
  double at(double t) const { return ((a * t + b) * t + c) * t + d; }
};

// The parameter where p rises through x: the first such place when first is
// set, else the last. -1 when it never does.
double Crossing(const Poly& p, double x, bool first)
{
  double lo = -1, hi = -1;
  for (int k = 0; k < kRootSamples; k++)
  {
    const int i = first ? k : kRootSamples - 1 - k;
    const double ta = (double)i / kRootSamples, tb = (double)(i + 1) / kRootSamples;
    if (p.at(ta) < x && p.at(tb) >= x)
    {
      lo = ta;
      hi = tb;
      break;
    }
  }
  if (lo < 0) return -1;
  for (int i = 0; i < kBisections; i++)
  {
    const double mid = 0.5 * (lo + hi);
    if (p.at(mid) < x)
      lo = mid;
    else
      hi = mid;
  }
  return hi;
}

Poly CubicPoly(const double p[4])
{
  const double c = 3 * (p[1] - p[0]);
  const double b = 3 * (p[2] - p[1]) - c;
  return {p[3] - p[0] - c - b, b, c, p[0]};
}

Poly QuadPoly(const double p[3]) { return {0, p[0] - 2 * p[1] + p[2], 2 * (p[1] - p[0]), p[0]}; }

double Leg(double du, double dv) { return sqrt(du * du + dv * dv); }

float GetY(const Poly& px, const Poly& py, float x, float* t)
{
  double tt;
  if (px.at(0) >= x)
    tt = 0;
  else
  {
    tt = Crossing(px, x, true);
    if (tt < 0) tt = 1;
  }
  if (t) *t = (float)tt;
  return (float)py.at(tt);
}

void Polyline(RAS_IBitmap* bm, const _RAS_BezierPrep& p, RAS_pixel colour, float alpha, int mode, bool aa)
{
  double pu = p.us, pv = p.vs;
  const double dt = (p.t1 - p.t0) / p.n;
  for (int i = 1; i <= p.n; i++)
  {
    const bool last = i == p.n;
    const double t = p.t0 + dt * i;
    const double nu = last ? p.ue : p.U(t), nv = last ? p.ve : p.V(t);
    RAS_FLine(bm, (float)pu, (float)pv, (float)nu, (float)nv, colour, alpha, mode, aa);
    pu = nu;
    pv = nv;
  }
}

} // namespace

bool _RAS_PrepBezier(const double u[4], const double v[4], bool cubic, double endTrigger, double endTarget, double tol,
                     _RAS_BezierPrep* out)
{
  const int last = cubic ? 3 : 2;
  for (int i = 0; i <= last; i++)
    if (!_RAS_Finite(u[i]) || !_RAS_Finite(v[i])) return false;
  double U[4], V[4];
  const bool reverse = u[last] < u[0];
  for (int i = 0; i <= last; i++)
  {
    U[i] = u[reverse ? last - i : i];
    V[i] = v[reverse ? last - i : i];
  }
  const Poly pu = cubic ? CubicPoly(U) : QuadPoly(U), pv = cubic ? CubicPoly(V) : QuadPoly(V);
  double legs = 0;
  for (int i = 0; i < last; i++) legs += Leg(U[i + 1] - U[i], V[i + 1] - V[i]);

  double t0 = 0, t1 = 1, us = U[0], ue = U[last];
  if (U[0] < 0)
  {
    t0 = Crossing(pu, 0, true);
    if (t0 < 0) return false; // wholly before the start of the axis
    us = 0;
  }
  if (U[last] >= endTrigger)
  {
    const double c = Crossing(pu, endTarget, false);
    if (c >= 0)
    {
      t1 = c;
      ue = endTarget;
    }
  }
  if (!(t1 > t0) || us > ue) return false;
  if (!(tol > 0)) tol = 1;
  const double segs = legs * (t1 - t0) / tol;
  int n = segs >= RAS_MAX_CURVE_SEGMENTS ? RAS_MAX_CURVE_SEGMENTS : (int)segs;
  if (n < 1) n = 1;
  *out = {pu.a, pu.b, pu.c, pu.d, pv.a, pv.b, pv.c, pv.d, t0, t1, us, pv.at(t0), ue, pv.at(t1), n};
  return true;
}

float RAS_Bezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x, float* t)
{
  const double px[3] = {x0, x1, x2}, py[3] = {y0, y1, y2};
  return GetY(QuadPoly(px), QuadPoly(py), x, t);
}

float RAS_CBezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float x,
                       float* t)
{
  const double px[4] = {x0, x1, x2, x3}, py[4] = {y0, y1, y2, y3};
  return GetY(CubicPoly(px), CubicPoly(py), x, t);
}

void RAS_DrawQBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                     RAS_pixel colour, float alpha, int mode, bool aa, float tol)
{
  if (!bm) return;
  const double u[4] = {xstart, xctl, xend, 0}, v[4] = {ystart, yctl, yend, 0};
  const double W = bm->getWidth();
  _RAS_BezierPrep p;
  if (!_RAS_PrepBezier(u, v, false, W, W - 1, tol, &p)) return;
  Polyline(bm, p, colour, alpha, mode, aa);
}

void RAS_DrawCBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                     float xend, float yend, RAS_pixel colour, float alpha, int mode, bool aa, float tol)
{
  if (!bm) return;
  const double u[4] = {xstart, xctl1, xctl2, xend}, v[4] = {ystart, yctl1, yctl2, yend};
  const double W = bm->getWidth();
  _RAS_BezierPrep p;
  if (!_RAS_PrepBezier(u, v, true, W, W, tol, &p)) return;
  Polyline(bm, p, colour, alpha, mode, aa);
}
