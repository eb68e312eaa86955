#include "raster/RAS_Lines.h"

#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_LineClip.h"
#include "raster/RAS_Plot.h"

#include <stdlib.h>

// Horizontal, vertical and exactly diagonal runs. A run is n pixels from p,
// stride pixels apart.
template <class Rule>
struct __RAS_LineClassSimple
{
  static void RAS_HorizLine(RAS_pixel* p, int n, const _RAS_Ink& k, int w)
  {
    for (int i = 0; i < n; i++) _RAS_Plot<Rule>(p + i, k, w);
  }
  static void RAS_VertLine(RAS_pixel* p, ptrdiff_t stride, int n, const _RAS_Ink& k, int w)
  {
    for (int i = 0; i < n; i++, p += stride) _RAS_Plot<Rule>(p, k, w);
  }
  static void RAS_DiagLine(RAS_pixel* p, ptrdiff_t stride, int n, const _RAS_Ink& k, int w)
  {
    RAS_VertLine(p, stride, n, k, w);
  }
  // Each pixel at three quarters of the weight and, between it and the next
  // one, its neighbours along x (xs) and along y (ys) at a quarter.
  static void RAS_DiagLineAA(RAS_pixel* p, ptrdiff_t xs, ptrdiff_t ys, int n, const _RAS_Ink& k, int w)
  {
    const int wc = 3 * w / 4, wn = w / 4;
    for (int i = 0; i < n; i++, p += xs + ys)
    {
      if (wc) _RAS_Plot<Rule>(p, k, wc);
      if (i + 1 < n && wn)
      {
        _RAS_Plot<Rule>(p + xs, k, wn);
        _RAS_Plot<Rule>(p + ys, k, wn);
      }
    }
  }
};

// Sloped lines, sub-pixel lines and dashes.
template <class Rule>
struct __RAS_LineClass
{
  // A line whose ends lie inside the canvas, |minor| < |major|. It is drawn
  // from both ends towards the middle so that it is the same both ways round.
  static void RAS_LineImpl(const _RAS_Canvas& c, int x1, int y1, int x2, int y2, const _RAS_Ink& k, int w, bool aa)
  {
    const int dx = x2 - x1, dy = y2 - y1;
    const bool xmajor = abs(dx) > abs(dy);
    const int L = xmajor ? abs(dx) : abs(dy), m = xmajor ? abs(dy) : abs(dx);
    const ptrdiff_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -c.step : c.step;
    const ptrdiff_t pmaj = xmajor ? sx : sy, pmin = xmajor ? sy : sx;
    const int slope = (int)((long long)m * 65536 / L);
    const int count = (L + 1) / 2;
    RAS_pixel* p = c.at(x1, y1);
    RAS_pixel* q = c.at(x2, y2);
    if (!aa)
    {
      int acc = 0;
      for (int i = 0; i < count; i++)
      {
        _RAS_Plot<Rule>(p, k, w);
        _RAS_Plot<Rule>(q, k, w);
        acc += slope;
        if (acc >= 0x8000)
        {
          p += pmin;
          q -= pmin;
          acc -= 0x10000;
        }
        p += pmaj;
        q -= pmaj;
      }
      if (!(L & 1)) _RAS_Plot<Rule>(p, k, w);
      return;
    }
    _RAS_Plot<Rule>(p, k, w);
    _RAS_Plot<Rule>(q, k, w);
    int frac = slope;
    auto pair = [&](RAS_pixel* px, ptrdiff_t toNeighbour) {
      const int f = frac >> 8;
      const int wa = w == 256 ? 255 - f : (255 - f) * w / 256;
      const int wb = w == 256 ? f : w * f / 256;
      if (wa) _RAS_Plot<Rule>(px, k, wa);
      if (wb) _RAS_Plot<Rule>(px + toNeighbour, k, wb);
    };
    for (int i = 1; i < count; i++)
    {
      p += pmaj;
      q -= pmaj;
      pair(p, pmin);
      pair(q, -pmin);
      frac += slope;
      if (frac >= 0x10000)
      {
        p += pmin;
        q -= pmin;
        frac -= 0x10000;
      }
    }
    if (!(L & 1)) pair(p + pmaj, pmin);
  }

  // A clipped sub-pixel line, major coordinate increasing from (a1, b1) to
  // (a2, b2); the minor coordinate of every step lies in 0..bmax. Each step
  // shares the weight between the pixel at the minor position's integer part
  // and the next one by the fraction, whichever way the line slopes.
  static void RAS_FLineImpl(const _RAS_Canvas& c, bool xmajor, double a1, double b1, double a2, double b2,
                            const _RAS_Ink& k, int w)
  {
    const double slope = (b2 - b1) / (a2 - a1);
    const int start = (int)ceil(a1), end = (int)floor(a2);
    if (start > end) return;
    const int bmax = xmajor ? c.h - 1 : c.w - 1;
    const long long limit = (long long)bmax << 16;
    long long pos = (long long)floor((b1 + (start - a1) * slope) * 65536.0);
    const long long step = (long long)(slope * 65536.0);
    const ptrdiff_t pmaj = xmajor ? 1 : c.step, pmin = xmajor ? c.step : 1;
    for (int i = start; i <= end; i++, pos += step)
    {
      const long long at = pos < 0 ? 0 : pos > limit ? limit : pos;
      const int mi = (int)(at >> 16);
      const int f = (int)(at & 0xFFFF) >> 8;
      const int wa = w == 256 ? 255 - f : (255 - f) * w / 256;
      const int wb = w == 256 ? f : w * f / 256;
      RAS_pixel* px = c.base + (ptrdiff_t)i * pmaj + (ptrdiff_t)mi * pmin;
      if (wa) _RAS_Plot<Rule>(px, k, wa);
      if (wb && mi < bmax) _RAS_Plot<Rule>(px + pmin, k, wb);
    }
  }

  // Runs of on pixels, then off skipped, along n pixels from p.
  static void DashedLine(RAS_pixel* p, ptrdiff_t stride, int n, int on, int off, const _RAS_Ink& k, int w)
  {
    for (long long i = 0; i < n; i += (long long)on + off)
    {
      const long long run = n - i < on ? n - i : on;
      RAS_pixel* r = p + (ptrdiff_t)i * stride;
      for (long long j = 0; j < run; j++, r += stride) _RAS_Plot<Rule>(r, k, w);
    }
  }
};

namespace {

// Whole-word copies of a run at the opacities that have one.
template <class Fast>
void WordRun(RAS_pixel* p, ptrdiff_t stride, int n, RAS_pixel pre)
{
  for (int i = 0; i < n; i++, p += stride) *p = Fast::doPix(*p, pre);
}

bool WordCopyRun(RAS_pixel* p, ptrdiff_t stride, int n, RAS_pixel colour, float alpha)
{
  const RAS_pixel h = (colour >> 1) & 0x7F7F7F7F, q = (colour >> 2) & 0x3F3F3F3F;
  if (alpha == 1.0f)
    WordRun<_RAS_CombinePixelsClobberFAST>(p, stride, n, colour);
  else if (alpha == 0.5f)
    WordRun<_RAS_CombinePixelsHalfMix2FAST>(p, stride, n, h);
  else if (alpha == 0.25f)
    WordRun<_RAS_CombinePixelsQuarterMix2FAST>(p, stride, n, q);
  else if (alpha == 0.75f)
    WordRun<_RAS_CombinePixelsThreeQuarterMix2FAST>(p, stride, n, h + q);
  else
    return false;
  return true;
}

// A line already clipped to the canvas.
void DrawClipped(const _RAS_Canvas& c, int x1, int y1, int x2, int y2, RAS_pixel colour, float alpha, int mode,
                 bool aa)
{
  const _RAS_Ink k(colour);
  const int w = _RAS_ShapeWeight(mode, alpha);
  const bool copy = (mode & RAS_MODE_MASK) == RAS_MODE_COPY;
  const int dx = x2 - x1, dy = y2 - y1;
  if (dx == 0 || dy == 0)
  {
    const bool horiz = dy == 0;
    RAS_pixel* p = c.at(horiz ? (x1 < x2 ? x1 : x2) : x1, horiz ? y1 : (y1 < y2 ? y1 : y2));
    const int n = (horiz ? abs(dx) : abs(dy)) + 1;
    const ptrdiff_t stride = horiz ? 1 : c.step;
    if (copy && WordCopyRun(p, stride, n, colour, alpha)) return;
    _RAS_WithFixedRule(mode, w, [&]<class Rule>() {
      if (horiz)
        __RAS_LineClassSimple<Rule>::RAS_HorizLine(p, n, k, w);
      else
        __RAS_LineClassSimple<Rule>::RAS_VertLine(p, stride, n, k, w);
    });
    return;
  }
  if (abs(dx) == abs(dy))
  {
    const ptrdiff_t xs = dx < 0 ? -1 : 1, ys = dy < 0 ? -c.step : c.step;
    RAS_pixel* p = c.at(x1, y1);
    const int n = abs(dx) + 1;
    if (!aa)
    {
      _RAS_WithFixedRule(mode, w,
                         [&]<class Rule>() { __RAS_LineClassSimple<Rule>::RAS_DiagLine(p, xs + ys, n, k, w); });
      return;
    }
    if (copy && alpha == 1.0f)
    {
      const RAS_pixel h = (colour >> 1) & 0x7F7F7F7F, q = (colour >> 2) & 0x3F3F3F3F;
      for (int i = 0; i < n; i++, p += xs + ys)
      {
        *p = _RAS_CombinePixelsThreeQuarterMix2FAST::doPix(*p, h + q);
        if (i + 1 < n)
        {
          p[xs] = _RAS_CombinePixelsQuarterMix2FAST::doPix(p[xs], q);
          p[ys] = _RAS_CombinePixelsQuarterMix2FAST::doPix(p[ys], q);
        }
      }
      return;
    }
    _RAS_WithBlendRule(mode, w,
                       [&]<class Rule>() { __RAS_LineClassSimple<Rule>::RAS_DiagLineAA(p, xs, ys, n, k, w); });
    return;
  }
  if (aa)
    _RAS_WithBlendRule(mode, w,
                       [&]<class Rule>() { __RAS_LineClass<Rule>::RAS_LineImpl(c, x1, y1, x2, y2, k, w, true); });
  else
    _RAS_WithFixedRule(mode, w,
                       [&]<class Rule>() { __RAS_LineClass<Rule>::RAS_LineImpl(c, x1, y1, x2, y2, k, w, false); });
}

bool ClipToCanvas(const _RAS_Canvas& c, int* x1, int* y1, int* x2, int* y2)
{
  long long a = *x1, b = *y1, d = *x2, e = *y2;
  if (!_RAS_ClipIntLine(&a, &b, &d, &e, c.w, c.h)) return false;
  *x1 = (int)a;
  *y1 = (int)b;
  *x2 = (int)d;
  *y2 = (int)e;
  return true;
}

} // namespace

void RAS_Line(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, RAS_pixel colour, float alpha, int mode, bool aa)
{
  _RAS_Canvas c;
  if (!_RAS_GetCanvas(bm, &c) || !ClipToCanvas(c, &x1, &y1, &x2, &y2)) return;
  DrawClipped(c, x1, y1, x2, y2, colour, alpha, mode, aa);
}

void RAS_FLine(RAS_IBitmap* bm, float x1, float y1, float x2, float y2, RAS_pixel colour, float alpha, int mode,
               bool aa)
{
  if (!_RAS_Finite(x1) || !_RAS_Finite(y1) || !_RAS_Finite(x2) || !_RAS_Finite(y2)) return;
  if (!aa)
  {
    RAS_Line(bm, RAS_SatInt(x1), RAS_SatInt(y1), RAS_SatInt(x2), RAS_SatInt(y2), colour, alpha, mode, false);
    return;
  }
  _RAS_Canvas c;
  if (!_RAS_GetCanvas(bm, &c)) return;
  double ax = x1, ay = y1, bx = x2, by = y2;
  if (!_RAS_ClipFloatLine(&ax, &ay, &bx, &by, c.w - 1.0, c.h - 1.0)) return;
  if (ax == bx && ay == by) return;
  const bool xmajor = fabs(bx - ax) > fabs(by - ay);
  double a1 = xmajor ? ax : ay, b1 = xmajor ? ay : ax, a2 = xmajor ? bx : by, b2 = xmajor ? by : bx;
  if (a2 < a1)
  {
    double t = a1;
    a1 = a2;
    a2 = t;
    t = b1;
    b1 = b2;
    b2 = t;
  }
  const _RAS_Ink k(colour);
  const int w = _RAS_ShapeWeight(mode, alpha);
  _RAS_WithBlendRule(mode, w,
                     [&]<class Rule>() { __RAS_LineClass<Rule>::RAS_FLineImpl(c, xmajor, a1, b1, a2, b2, k, w); });
}

void RAS_DashedLine(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, int pixels_on, int pixels_off,
                    RAS_pixel colour, float alpha, int mode, bool aa)
{
  (void)aa; // dashes are horizontal or vertical, where anti-aliasing changes nothing
  if (pixels_on < 1) return;
  if (pixels_off < 0) pixels_off = 0;
  _RAS_Canvas c;
  if (!_RAS_GetCanvas(bm, &c) || !ClipToCanvas(c, &x1, &y1, &x2, &y2)) return;
  if (x1 != x2 && y1 != y2) return;
  const bool horiz = y1 == y2;
  RAS_pixel* p = c.at(x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2);
  const int n = (horiz ? abs(x2 - x1) : abs(y2 - y1)) + 1;
  const ptrdiff_t stride = horiz ? 1 : c.step;
  const _RAS_Ink k(colour);
  const int w = _RAS_ShapeWeight(mode, alpha);
  _RAS_WithFixedRule(mode, w, [&]<class Rule>() {
    __RAS_LineClass<Rule>::DashedLine(p, stride, n, pixels_on, pixels_off, k, w);
  });
}

void RAS_DrawRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel colour, float alpha, int mode)
{
  const int xa = x, xb = _RAS_SatAdd(x, w), ya = y, yb = _RAS_SatAdd(y, h);
  const int l = xa < xb ? xa : xb, r = xa < xb ? xb : xa, t = ya < yb ? ya : yb, b = ya < yb ? yb : ya;
  // The top and bottom rows own the corners; the sides run between them.
  RAS_Line(bm, l, t, r, t, colour, alpha, mode, false);
  if (b != t) RAS_Line(bm, l, b, r, b, colour, alpha, mode, false);
  if ((long long)b - t < 2) return;
  RAS_Line(bm, l, t + 1, l, b - 1, colour, alpha, mode, false);
  if (r != l) RAS_Line(bm, r, t + 1, r, b - 1, colour, alpha, mode, false);
}

void RAS_BorderedRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel bg, RAS_pixel fg, float alpha, int mode)
{
  RAS_FillRect(bm, _RAS_SatAdd(x, 1), _RAS_SatAdd(y, 1), _RAS_SatAdd(w, -1), _RAS_SatAdd(h, -1), bg, alpha, mode);
  RAS_DrawRect(bm, x, y, w, h, fg, alpha, mode);
}
