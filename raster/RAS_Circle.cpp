#include "raster/RAS_CircleGlyphs.h"
#include "raster/RAS_DrawGlyph.h"
#include "raster/RAS_Lines.h"
#include "raster/RAS_Plot.h"
#include "raster/RAS_Shapes.h"

#include <type_traits>

namespace {

// Centres and radii beyond this many pixels are refused: such a circle cannot
// be told from a straight line on any bitmap, and the limit keeps the walk
// around a huge circle that crosses the bitmap within some tens of
// milliseconds.
constexpr double kMaxCircleCoord = 16777216.0;

// The pixels a drawer may touch: left, top, right, bottom (right and bottom
// exclusive), always inside the bitmap; needed is false when the whole
// circle lies inside it.
struct ClipBox
{
  long long l, t, r, b;
  bool needed;
};

} // namespace

// The circle engine for one rule. Plain circles follow the midpoint walk;
// anti-aliased ones take each row's and column's extent from the exact root.
template <class Rule>
struct _RAS_CircleDrawer
{
  const _RAS_Canvas& c;
  const ClipBox& box;
  const _RAS_Ink& k;

  void DrawClippedPt(long long x, long long y, int w) const
  {
    if (!w) return;
    if (box.needed && (x < box.l || x >= box.r || y < box.t || y >= box.b)) return;
    _RAS_Plot<Rule>(c.at((int)x, (int)y), k, w);
  }
  // Pixels a1..a2 (both included) along row or column `at`, clipped to the
  // box.
  void DrawClippedRun(bool horiz, long long at, long long a1, long long a2, int w) const
  {
    if (box.needed)
    {
      const long long lo = horiz ? box.l : box.t, hi = horiz ? box.r : box.b;
      if (horiz ? (at < box.t || at >= box.b) : (at < box.l || at >= box.r)) return;
      if (a1 < lo) a1 = lo;
      if (a2 >= hi) a2 = hi - 1;
    }
    if (a1 > a2) return;
    RAS_pixel* p = horiz ? c.at((int)a1, (int)at) : c.at((int)at, (int)a1);
    const ptrdiff_t stride = horiz ? 1 : c.step;
    if (std::is_same_v<Rule, _RAS_CombinePixelsCopyNoClamp> && w == 256)
    {
      // The copy rule at full weight is the colour itself.
      const RAS_pixel word = RAS_RGBA(k.r, k.g, k.b, k.a);
      for (long long i = a1; i <= a2; i++, p += stride) *p = word;
      return;
    }
    for (long long i = a1; i <= a2; i++, p += stride) _RAS_Plot<Rule>(p, k, w);
  }
  // Pixels x1..x2 of row y, both included.
  void DrawClippedHorzLine(long long x1, long long x2, long long y, int w) const { DrawClippedRun(true, y, x1, x2, w); }
  // Pixels y1..y2 of column x, both included.
  void DrawClippedVertLine(long long x, long long y1, long long y2, int w) const { DrawClippedRun(false, x, y1, y2, w); }
  void Pt4(long long X, long long Y, long long a, long long b, int w) const
  {
    DrawClippedPt(X + a, Y + b, w);
    DrawClippedPt(X - a, Y + b, w);
    DrawClippedPt(X + a, Y - b, w);
    DrawClippedPt(X - a, Y - b, w);
  }
  // The row run from the column a to b out from X on either side (a <= b),
  // in rows Y - i and Y + i.
  void Rows2(long long X, long long Y, long long i, long long a, long long b, int w) const
  {
    DrawClippedHorzLine(X - b, X - a, Y - i, w);
    DrawClippedHorzLine(X + a, X + b, Y - i, w);
    DrawClippedHorzLine(X - b, X - a, Y + i, w);
    DrawClippedHorzLine(X + a, X + b, Y + i, w);
  }
  void Cols2(long long X, long long Y, long long i, long long a, long long b, int w) const
  {
    DrawClippedVertLine(X - i, Y - b, Y - a, w);
    DrawClippedVertLine(X - i, Y + a, Y + b, w);
    DrawClippedVertLine(X + i, Y - b, Y - a, w);
    DrawClippedVertLine(X + i, Y + a, Y + b, w);
  }

  void DrawClippedCircle(long long X, long long Y, long long R, bool fill, int w) const
  {
    if (!fill)
    {
      DrawClippedPt(X, Y - R, w);
      if (R == 0) return;
      DrawClippedPt(X + R, Y, w);
      DrawClippedPt(X, Y + R, w);
      DrawClippedPt(X - R, Y, w);
    }
    else
    {
      DrawClippedVertLine(X, Y - R, Y - 1, w);
      DrawClippedVertLine(X, Y + 1, Y + R, w);
      DrawClippedHorzLine(X - R, X + R, Y, w);
    }
    long long y = R, e = -R;
    for (long long x = 1; x < y; x++)
    {
      const long long oy = y;
      const bool stepped = e >= 0;
      if (stepped) y--;
      if (!fill)
      {
        Pt4(X, Y, x, y, w);
        if (x != y) Pt4(X, Y, y, x, w);
      }
      else
      {
        Cols2(X, Y, x, x + 1, y, w);
        Rows2(X, Y, x, x, y, w);
      }
      e += stepped ? 2 * (x - oy) + 1 : 2 * x + 1;
    }
  }

  // Where the octants meet (i = n) the column pixels are drawn first and the
  // row pixels of that step are left out; a pixel both octants reach at
  // neighbouring steps is drawn by each.
  void DrawClippedCircleAA(double cx, double cy, double r, bool fill, int w) const
  {
    const long long X = (long long)floor(cx + 0.5), Y = (long long)floor(cy + 0.5), R = (long long)r;
    const int f0 = (int)((r - floor(r)) * w);
    DrawClippedPt(X, Y - R - 1, f0);
    DrawClippedPt(X, Y + R + 1, f0);
    DrawClippedPt(X - R - 1, Y, f0);
    DrawClippedPt(X + R + 1, Y, f0);
    if (!fill)
    {
      DrawClippedPt(X, Y - R, w - f0);
      if (R > 0)
      {
        DrawClippedPt(X + R, Y, w - f0);
        DrawClippedPt(X, Y + R, w - f0);
        DrawClippedPt(X - R, Y, w - f0);
      }
    }
    else
    {
      DrawClippedVertLine(X, Y - R, Y - 1, w);
      DrawClippedVertLine(X, Y + 1, Y + R, w);
      DrawClippedHorzLine(X - R, X + R, Y, w);
    }
    const double r2 = r * r;
    for (long long i = 1;; i++)
    {
      const double s = r2 - (double)i * (double)i;
      if (s < 0) break;
      const double A = sqrt(s);
      const long long n = (long long)(A + 0.5);
      if (i > n) break;
      const long long E = (long long)A;
      const int f = (int)((A - floor(A)) * w);
      const bool meet = i == n;
      Pt4(X, Y, i, E + 1, f);
      if (!meet) Pt4(X, Y, E + 1, i, f);
      if (!fill)
      {
        Pt4(X, Y, i, E, w - f);
        if (!meet) Pt4(X, Y, E, i, w - f);
      }
      else
      {
        Cols2(X, Y, i, i + 1, E, w);
        Rows2(X, Y, i, i, E, w);
      }
    }
  }
};

namespace {

bool CircleArgsOk(float cx, float cy, float r)
{
  if (!_RAS_Finite(cx) || !_RAS_Finite(cy) || !_RAS_Finite(r) || r < 0) return false;
  return fabs(cx) <= kMaxCircleCoord && fabs(cy) <= kMaxCircleCoord && r <= kMaxCircleCoord;
}

// Whether a circle's pixels (the ring only, for an outline) can meet the box
// at all: its bounding square must, and an outline must pass between the
// box's nearest and farthest points from the centre.
bool MeetsBox(const ClipBox& b, double cx, double cy, double r, bool fill)
{
  const double m = r + 2;
  if (cx + m < b.l || cx - m >= b.r || cy + m < b.t || cy - m >= b.b) return false;
  if (fill) return true;
  auto sq = [](double v) { return v * v; };
  const double nx = cx < b.l ? b.l - cx : cx > b.r ? cx - b.r : 0;
  const double ny = cy < b.t ? b.t - cy : cy > b.b ? cy - b.b : 0;
  const double fx = fmax(fabs(cx - b.l), fabs(cx - b.r)), fy = fmax(fabs(cy - b.t), fabs(cy - b.b));
  return sq(nx) + sq(ny) <= sq(m) && sq(fx) + sq(fy) >= sq(fmax(r - 2, 0));
}

// True when every pixel of the box lies more than two pixels inside the
// circle, so that any fill of it covers them all at full weight.
bool Encloses(const ClipBox& b, double cx, double cy, double r)
{
  const double fx = fmax(fabs(cx - b.l), fabs(cx - b.r)), fy = fmax(fabs(cy - b.t), fabs(cy - b.b));
  return r > 2 && fx * fx + fy * fy < (r - 2) * (r - 2);
}

// Draws a circle with the engine, clipped to box (or to the bitmap when box
// is null).
void DrawCircle(const _RAS_Canvas& c, const ClipBox* clip, double cx, double cy, double r, RAS_pixel colour, int w,
                int mode, bool aa, bool fill)
{
  ClipBox box = {0, 0, c.w, c.h, cx - r - 2 < 0 || cy - r - 2 < 0 || cx + r + 2 >= c.w || cy + r + 2 >= c.h};
  if (clip) box = *clip;
  if (box.l >= box.r || box.t >= box.b || !MeetsBox(box, cx, cy, r, fill)) return;
  const _RAS_Ink k(colour);
  if (fill && Encloses(box, cx, cy, r))
  {
    // Every pixel of the box lies well inside: the same pixels as the walk,
    // without walking a huge circle.
    auto all = [&]<class Rule>() {
      for (long long y = box.t; y < box.b; y++)
      {
        RAS_pixel* p = c.at((int)box.l, (int)y);
        for (long long x = box.l; x < box.r; x++) _RAS_Plot<Rule>(p++, k, w);
      }
    };
    if (aa)
      _RAS_WithBlendRule(mode, w, all);
    else
      _RAS_WithFixedRule(mode, w, all);
    return;
  }
  if (aa)
    _RAS_WithBlendRule(mode, w, [&]<class Rule>() {
      _RAS_CircleDrawer<Rule>{c, box, k}.DrawClippedCircleAA(cx, cy, r, fill, w);
    });
  else
    _RAS_WithFixedRule(mode, w, [&]<class Rule>() {
      _RAS_CircleDrawer<Rule>{c, box, k}.DrawClippedCircle((long long)floor(cx + 0.5), (long long)floor(cy + 0.5),
                                                           (long long)floor(r + 0.5), fill, w);
    });
}

void CircleCall(RAS_IBitmap* bm, float cx, float cy, float r, RAS_pixel colour, float alpha, int mode, bool aa,
                bool fill)
{
  _RAS_Canvas c;
  if (!CircleArgsOk(cx, cy, r) || !_RAS_GetCanvas(bm, &c)) return;
  const int w = _RAS_ShapeWeight(mode, alpha);
  if (!w) return;
  int size;
  const unsigned char* glyph = fill ? nullptr : _RAS_SmallCircleGlyph(r, aa, &size);
  // The maps are coverage in the glyph cache's format, so they composite
  // exactly as text does.
  if (glyph)
  {
    RAS_DrawGlyph(bm, (int)floor(cx - r), (int)floor(cy - r), colour, glyph, size, size, alpha, mode);
    return;
  }
  DrawCircle(c, nullptr, cx, cy, r, colour, w, mode, aa, fill);
}

constexpr double kTwoPi = 6.283185307179586;
constexpr double kHalfPi = 1.5707963267948966;

} // namespace

void RAS_Circle(RAS_IBitmap* bm, float cx, float cy, float r, RAS_pixel colour, float alpha, int mode, bool aa)
{
  CircleCall(bm, cx, cy, r, colour, alpha, mode, aa, false);
}

void RAS_FillCircle(RAS_IBitmap* bm, float cx, float cy, float r, RAS_pixel colour, float alpha, int mode, bool aa)
{
  CircleCall(bm, cx, cy, r, colour, alpha, mode, aa, true);
}

void RAS_Arc(RAS_IBitmap* bm, float cx, float cy, float r, float minAngle, float maxAngle, RAS_pixel colour,
             float alpha, int mode, bool aa)
{
  _RAS_Canvas c;
  if (!CircleArgsOk(cx, cy, r) || !_RAS_Finite(minAngle) || !_RAS_Finite(maxAngle)) return;
  if (!_RAS_GetCanvas(bm, &c)) return;
  double a0 = minAngle, a1 = maxAngle;
  if (a1 < a0)
  {
    const double t = a0;
    a0 = a1;
    a1 = t;
  }
  if (a1 - a0 >= (double)6.2831855f)
  {
    RAS_Circle(bm, cx, cy, r, colour, alpha, mode, aa);
    return;
  }
  if (a1 >= kTwoPi || a0 <= -kTwoPi)
  {
    const double span = a1 - a0;
    a0 = fmod(a0, kTwoPi);
    a1 = a0 + span;
  }
  const int w = _RAS_ShapeWeight(mode, alpha);
  if (!w) return;
  const long long X = (long long)floor(cx + 0.5), Y = (long long)floor((double)cy + 0.5);
  auto point = [&](double a, long long* px, long long* py) {
    *px = (long long)floor(cx + r * sin(a) + 0.5);
    *py = (long long)floor(cy - r * cos(a) + 0.5);
  };
  // Each piece ends at the next quarter turn or at the end angle; a span
  // under a full turn has at most five.
  double a = a0;
  for (int piece = 0; piece < 6 && a < a1; piece++)
  {
    double next = (floor(a / kHalfPi) + 1) * kHalfPi;
    if (next - a < 1e-9) next += kHalfPi;
    const double b = next < a1 ? next : a1;
    long long xa, ya, xb, yb;
    point(a, &xa, &ya);
    point(b, &xb, &yb);
    ClipBox box;
    box.l = xa < xb ? xa : xb;
    box.t = ya < yb ? ya : yb;
    box.r = xa < xb ? xb : xa;
    box.b = ya < yb ? yb : ya;
    if (box.r != X) box.r++;
    if (box.b != Y) box.b++;
    if (box.l < 0) box.l = 0;
    if (box.t < 0) box.t = 0;
    if (box.r > c.w) box.r = c.w;
    if (box.b > c.h) box.b = c.h;
    box.needed = true;
    DrawCircle(c, &box, cx, cy, r, colour, w, mode, aa, false);
    a = b;
  }
}

void RAS_RoundRect(RAS_IBitmap* bm, float x, float y, float w, float h, int cornerradius, RAS_pixel colour,
                   float alpha, int mode, bool aa)
{
  if (!_RAS_Finite(x) || !_RAS_Finite(y) || !_RAS_Finite(w) || !_RAS_Finite(h)) return;
  double r = cornerradius;
  if (cornerradius > 0)
  {
    if (w / 2.0 < r) r = w / 2.0;
    if (h / 2.0 < r) r = h / 2.0;
    r = floor(r);
  }
  if (cornerradius <= 0 || r < 2)
  {
    RAS_DrawRect(bm, RAS_SatInt(x), RAS_SatInt(y), RAS_SatInt(w), RAS_SatInt(h), colour, alpha, mode);
    return;
  }
  const double X = x, Y = y, R = X + w, B = Y + h;
  auto line = [&](double x1, double y1, double x2, double y2) {
    RAS_Line(bm, RAS_SatInt(x1), RAS_SatInt(y1), RAS_SatInt(x2), RAS_SatInt(y2), colour, alpha, mode, aa);
  };
  line(X + r, Y, R - r, Y);
  line(X + r - 1, B, R - r, B);
  line(R, Y + r, R, B - r);
  line(X, Y + r - 1, X, B - r);
  const float rf = (float)r;
  RAS_Arc(bm, (float)(X + r), (float)(Y + r), rf, (float)-kHalfPi, 0.0f, colour, alpha, mode, aa);
  RAS_Arc(bm, (float)(R - r), (float)(Y + r), rf, 0.0f, (float)kHalfPi, colour, alpha, mode, aa);
  RAS_Arc(bm, (float)(R - r), (float)(B - r), rf, (float)kHalfPi, (float)(2 * kHalfPi), colour, alpha, mode, aa);
  RAS_Arc(bm, (float)(X + r), (float)(B - r), rf, (float)(2 * kHalfPi), 4.712389f, colour, alpha, mode, aa);
}
