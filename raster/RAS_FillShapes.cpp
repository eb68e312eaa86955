#include "raster/RAS_FillShapes.h"

#include "raster/RAS_Shapes.h"

#include <algorithm>
#include <stdlib.h>

namespace {

// One edge of a trapezoid: x moves by exactly dx over dy rows, truncated
// toward its start, whatever the sizes (quotient and remainder steps, so the
// last row lands on the end point).
struct Edge
{
  long long x, q, rem, acc, dy;
  int sgn;

  Edge(long long x1, long long x2, long long rows) : x(x1), q(0), rem(0), acc(0), dy(rows), sgn(x2 < x1 ? -1 : 1)
  {
    if (rows <= 0) return;
    const unsigned long long mag = x2 < x1 ? (unsigned long long)(x1 - x2) : (unsigned long long)(x2 - x1);
    q = (long long)(mag / (unsigned long long)rows);
    rem = (long long)(mag % (unsigned long long)rows);
  }
  void Step()
  {
    x += sgn * q;
    acc += rem;
    if (acc >= dy)
    {
      x += sgn;
      acc -= dy;
    }
  }
  // s rows at once, for the rows above the bitmap.
  void Skip(long long s)
  {
    if (dy <= 0) return;
    const __int128 t = (__int128)rem * s + acc;
    x += sgn * (long long)((__int128)q * s + t / dy);
    acc = (long long)(t % dy);
  }
};

} // namespace

// Rows y1..y2 between two edges positioned at row y1, for one rule:
// Span(row pointer, n) combines n pixels.
template <class Span>
static void WalkRows(const _RAS_Canvas& c, Edge l, Edge r, long long y1, long long y2, Span&& span)
{
  long long y = y1;
  if (y < 0)
  {
    l.Skip(-y);
    r.Skip(-y);
    y = 0;
  }
  const long long last = y2 < c.h - 1 ? y2 : c.h - 1;
  for (; y <= last; y++, l.Step(), r.Step())
  {
    const long long a = l.x < 0 ? 0 : l.x;
    const long long b = r.x + 1 > c.w ? c.w : r.x + 1;
    if (a < b) span(c.at((int)a, (int)y), (int)(b - a));
  }
}

template <class Rule>
struct _RAS_Fill
{
  static void FillClippedTrapezoid(const _RAS_Canvas& c, const Edge& l, const Edge& r, long long y1, long long y2,
                                   const _RAS_Ink& k, int w)
  {
    WalkRows(c, l, r, y1, y2, [&](RAS_pixel* p, int n) {
      for (int i = 0; i < n; i++) _RAS_Plot<Rule>(p + i, k, w);
    });
  }
};

template <class Fast>
struct _RAS_FillFast
{
  static void FillClippedTrapezoidFAST(const _RAS_Canvas& c, const Edge& l, const Edge& r, long long y1, long long y2,
                                       RAS_pixel pre)
  {
    WalkRows(c, l, r, y1, y2, [&](RAS_pixel* p, int n) {
      for (int i = 0; i < n; i++) p[i] = Fast::doPix(p[i], pre);
    });
  }
};

namespace {

// Rows y1..y2 between two edges positioned at row y1, by the rule of mode at
// weight w.
void FillBetween(const _RAS_Canvas& c, const Edge& l, const Edge& r, long long y1, long long y2, RAS_pixel colour,
                 int w, int mode)
{
  if (y2 < 0 || y1 >= c.h || y2 < y1 || w == 0) return;
  if ((mode & RAS_MODE_MASK) == RAS_MODE_COPY)
  {
    const RAS_pixel h = (colour >> 1) & 0x7F7F7F7F, q = (colour >> 2) & 0x3F3F3F3F;
    switch (w)
    {
      case 256: _RAS_FillFast<_RAS_CombinePixelsClobberFAST>::FillClippedTrapezoidFAST(c, l, r, y1, y2, colour); return;
      case 128: _RAS_FillFast<_RAS_CombinePixelsHalfMix2FAST>::FillClippedTrapezoidFAST(c, l, r, y1, y2, h); return;
      case 64: _RAS_FillFast<_RAS_CombinePixelsQuarterMix2FAST>::FillClippedTrapezoidFAST(c, l, r, y1, y2, q); return;
      case 192:
        _RAS_FillFast<_RAS_CombinePixelsThreeQuarterMix2FAST>::FillClippedTrapezoidFAST(c, l, r, y1, y2, h + q);
        return;
      default: break;
    }
  }
  const _RAS_Ink k(colour);
  _RAS_WithFixedRule(mode, w, [&]<class Rule>() { _RAS_Fill<Rule>::FillClippedTrapezoid(c, l, r, y1, y2, k, w); });
}

} // namespace

void _RAS_FillTrapezoidOn(const _RAS_Canvas& c, long long x1a, long long x1b, long long y1, long long x2a,
                          long long x2b, long long y2, RAS_pixel colour, int w, int mode)
{
  if (x1b < x1a) std::swap(x1a, x1b);
  if (x2b < x2a) std::swap(x2a, x2b);
  if (y2 < y1)
  {
    std::swap(y1, y2);
    std::swap(x1a, x2a);
    std::swap(x1b, x2b);
  }
  if ((x1b < 0 && x2b < 0) || (x1a >= c.w && x2a >= c.w)) return;
  FillBetween(c, Edge(x1a, x2a, y2 - y1), Edge(x1b, x2b, y2 - y1), y1, y2, colour, w, mode);
}

void RAS_FillTrapezoid(RAS_IBitmap* bm, int x1a, int x1b, int y1, int x2a, int x2b, int y2, RAS_pixel colour,
                       float alpha, int mode)
{
  _RAS_Canvas c;
  if (!_RAS_GetCanvas(bm, &c)) return;
  _RAS_FillTrapezoidOn(c, x1a, x1b, y1, x2a, x2b, y2, colour, _RAS_ShapeWeight(mode, alpha), mode);
}

namespace {

using Pt = _RAS_PolyPt;

// Working copies of up to this many points live on the stack.
constexpr int kStackPoints = 512;

// The next vertex of a chain from vertex v: among the later points below v's
// row, the one with the smallest (left chain) or largest (right chain) dx/dy
// from v, a later point winning a tie. -1 when there is none.
int NextVertex(const Pt* p, int n, int v, bool left)
{
  int best = -1;
  for (int j = v + 1; j < n; j++)
  {
    if (p[j].y <= p[v].y) continue;
    if (best < 0)
    {
      best = j;
      continue;
    }
    // dx_j / dy_j against dx_best / dy_best, both dy positive.
    const __int128 a = (__int128)(p[j].x - p[v].x) * (p[best].y - p[v].y);
    const __int128 b = (__int128)(p[best].x - p[v].x) * (p[j].y - p[v].y);
    if (left ? a <= b : a >= b) best = j;
  }
  return best;
}

// The edge from p[a] to p[b] positioned at a row inside its rows; with no
// b, the vertical edge through p[a].
Edge EdgeAt(const Pt* p, int a, int b, long long row)
{
  if (b < 0) return Edge(p[a].x, p[a].x, 0);
  Edge e(p[a].x, p[b].x, p[b].y - p[a].y);
  e.Skip(row - p[a].y);
  return e;
}

void FillSortedPolygon(const _RAS_Canvas& c, const Pt* p, int n, RAS_pixel colour, int w, int mode)
{
  const long long ytop = p[0].y, ybottom = p[n - 1].y;
  if (ytop == ybottom)
  {
    long long lo = p[0].x, hi = p[0].x;
    for (int i = 1; i < n; i++)
    {
      lo = p[i].x < lo ? p[i].x : lo;
      hi = p[i].x > hi ? p[i].x : hi;
    }
    _RAS_FillTrapezoidOn(c, lo, hi, ytop, lo, hi, ytop, colour, w, mode);
    return;
  }
  int L = 0, R = 0;
  while (R + 1 < n && p[R + 1].y == ytop) R++;
  int nl = NextVertex(p, n, L, true), nr = NextVertex(p, n, R, false);
  long long y0 = ytop;
  // Each band advances at least one chain, so the bands are at most n.
  while ((nl >= 0 || nr >= 0) && y0 <= ybottom && y0 < c.h)
  {
    long long y1 = nl >= 0 ? p[nl].y : p[nr].y;
    if (nr >= 0 && p[nr].y < y1) y1 = p[nr].y;
    // Every row of the band takes x from the chains' edges themselves.
    FillBetween(c, EdgeAt(p, L, nl, y0), EdgeAt(p, R, nr, y0), y0, y1, colour, w, mode);
    if (nl >= 0 && p[nl].y == y1)
    {
      L = nl;
      nl = NextVertex(p, n, L, true);
    }
    if (nr >= 0 && p[nr].y == y1)
    {
      R = nr;
      nr = NextVertex(p, n, R, false);
    }
    y0 = y1 + 1;
  }
}

} // namespace

void _RAS_FillPolygonOn(const _RAS_Canvas& c, _RAS_PolyPt* p, int count, RAS_pixel colour, int w, int mode)
{
  if (count < 3 || !w) return;
  std::sort(p, p + count, [](const Pt& a, const Pt& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
  FillSortedPolygon(c, p, count, colour, w, mode);
}

void RAS_FillConvexPolygon(RAS_IBitmap* bm, const int* x, const int* y, int count, RAS_pixel colour, float alpha,
                           int mode)
{
  _RAS_Canvas c;
  if (!x || !y || count < 3 || !_RAS_GetCanvas(bm, &c)) return;
  const int w = _RAS_ShapeWeight(mode, alpha);
  if (!w) return;
  Pt local[kStackPoints];
  Pt* p = count <= kStackPoints ? local : (Pt*)malloc(sizeof(Pt) * (size_t)count);
  if (!p) return;
  for (int i = 0; i < count; i++) p[i] = {x[i], y[i]};
  _RAS_FillPolygonOn(c, p, count, colour, w, mode);
  if (p != local) free(p);
}

void RAS_FillTriangle(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, int x3, int y3, RAS_pixel colour, float alpha,
                      int mode)
{
  const int x[3] = {x1, x2, x3}, y[3] = {y1, y2, y3};
  RAS_FillConvexPolygon(bm, x, y, 3, colour, alpha, mode);
}
