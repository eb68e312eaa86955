#include "raster/RAS_Blit.h"

#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_BlitTemplates.h"
#include "raster/RAS_SampleWalk.h"

#include <initializer_list>
#include <math.h>

template <class Rule>
static void DoPixRule(unsigned char* d, int r, int g, int b, int a, int w)
{
  Rule::doPix(d, r, g, b, a, w);
}

static inline void Put(const _RAS_DeltaJob& j, RAS_pixel* d, const int* c)
{
  j.doPix((unsigned char*)d, c[1], c[2], c[3], c[0], j.weight);
}

static inline void PutWord(const _RAS_DeltaJob& j, RAS_pixel* d, RAS_pixel p)
{
  j.doPix((unsigned char*)d, RAS_GETR(p), RAS_GETG(p), RAS_GETB(p), RAS_GETA(p), j.weight);
}

void _RAS_Template_Blit3::deltaBlit(const _RAS_DeltaJob& j)
{
  if (j.left >= j.right || j.top >= j.bottom) return;
  // Sample positions inside the clip box, in the truncating convention of the
  // library (positions -65535..-1 address pixel 0).
  const long long loS = j.left <= 0 ? -65535 : (long long)j.left * 65536, hiS = (long long)j.right * 65536;
  const long long loT = j.top <= 0 ? -65535 : (long long)j.top * 65536, hiT = (long long)j.bottom * 65536;
  long long s = j.s, t = j.t, dsdx = j.dsdx, dtdx = j.dtdx;
  RAS_pixel* drow = j.dst;
  for (int y = 0; y < j.h; y++, drow += j.dstStep)
  {
    // Only the run of the row whose samples fall in the clip box is walked,
    // so positions inside it are bounded by the box.
    int a0, a1, b0, b1;
    _RAS_SpanRange(s, dsdx, j.w, loS, hiS, &a0, &a1);
    _RAS_SpanRange(t, dtdx, j.w, loT, hiT, &b0, &b1);
    const int i0 = a0 > b0 ? a0 : b0, i1 = a1 < b1 ? a1 : b1;
    for (int i = i0; i < i1; i++)
    {
      const long long cs = s + (long long)i * dsdx, ct = t + (long long)i * dtdx;
      const int X = (int)(cs / 65536), Y = (int)(ct / 65536);
      const RAS_pixel* row = j.srcBase + (ptrdiff_t)Y * j.srcStep;
      if (!j.bilinear)
      {
        PutWord(j, drow + i, row[X]);
        continue;
      }
      const unsigned fx = (unsigned)(cs & 0xFFFF), fy = (unsigned)(ct & 0xFFFF);
      int c[4];
      if (Y < j.bottom - 1)
      {
        const RAS_pixel* next = row + j.srcStep;
        if (X < j.right - 1)
          _RAS_Bilinear4(row[X], row[X + 1], next[X], next[X + 1], fx, fy, c);
        else
          _RAS_Linear2(row[X], next[X], fy, c);
        Put(j, drow + i, c);
      }
      else if (X < j.right - 1)
      {
        _RAS_Linear2(row[X], row[X + 1], fx, c);
        Put(j, drow + i, c);
      }
      else
        PutWord(j, drow + i, row[X]);
    }
    s += j.dsdy;
    t += j.dtdy;
    dsdx = _RAS_LimitStep16(dsdx + j.dsdxdy);
    dtdx = _RAS_LimitStep16(dtdx + j.dtdxdy);
  }
}

// The source clip box: the source rectangle within the source, or the whole
// source. False when it is empty.
static bool ClipBox(RAS_IBitmap* src, bool cliptosourcerect, double srcx, double srcy, double srcw, double srch,
                    int* box)
{
  const int W = src->getWidth(), H = src->getHeight();
  box[0] = 0;
  box[1] = 0;
  box[2] = W;
  box[3] = H;
  if (cliptosourcerect)
  {
    if (srcx > 0) box[0] = RAS_SatInt(srcx);
    if (srcy > 0) box[1] = RAS_SatInt(srcy);
    if (srcx + srcw < W) box[2] = RAS_SatInt(srcx + srcw);
    if (srcy + srch < H) box[3] = RAS_SatInt(srcy + srch);
  }
  return box[0] < box[2] && box[1] < box[3];
}

// An affine walk with second-order terms over a destination rectangle, before
// destination clipping; positions and steps in source pixels.
struct Walk
{
  long long dx, dy, dw, dh;
  double s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy;
};

// Clips the walk to the destination. Skipping k leading columns and m leading
// rows moves the start to the sample of (k, m) and, because the column step
// changes by dsdxdy per row, also the row step by k * dsdxdy and the column
// step by m * dsdxdy.
static bool ClipWalk(RAS_IBitmap* dest, Walk* wk)
{
  const double k = wk->dx < 0 ? (double)-wk->dx : 0.0, m = wk->dy < 0 ? (double)-wk->dy : 0.0;
  if (k > 0 || m > 0)
  {
    wk->s += m * wk->dsdy + k * (wk->dsdx + m * wk->dsdxdy);
    wk->t += m * wk->dtdy + k * (wk->dtdx + m * wk->dtdxdy);
    wk->dsdy += k * wk->dsdxdy;
    wk->dtdy += k * wk->dtdxdy;
    wk->dsdx += m * wk->dsdxdy;
    wk->dtdx += m * wk->dtdxdy;
    if (wk->dx < 0)
    {
      wk->dw += wk->dx;
      wk->dx = 0;
    }
    if (wk->dy < 0)
    {
      wk->dh += wk->dy;
      wk->dy = 0;
    }
  }
  const long long W = dest->getWidth(), H = dest->getHeight();
  if (wk->dw > W - wk->dx) wk->dw = W - wk->dx;
  if (wk->dh > H - wk->dy) wk->dh = H - wk->dy;
  return wk->dw >= 1 && wk->dh >= 1;
}

static bool AnyNaN(std::initializer_list<double> vs)
{
  for (double v : vs)
    if (RAS_IsNaN(v)) return true;
  return false;
}

static void RunWalk(RAS_IBitmap* dest, RAS_IBitmap* src, const Walk& wk, const int* box, float alpha, int mode)
{
  // Infinite arguments can still make NaN positions or steps (inf - inf,
  // 0 * inf, sin(inf)): nothing is drawn.
  if (AnyNaN({wk.s, wk.t, wk.dsdx, wk.dtdx, wk.dsdy, wk.dtdy, wk.dsdxdy, wk.dtdxdy})) return;
  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return;
  _RAS_DoPixFunc fn = nullptr;
  if (!_RAS_WithRule(mode, w, [&]<class Rule>() { fn = &DoPixRule<Rule>; })) return;

  _RAS_Rows rows;
  if (!_RAS_GetRows(src, &rows)) return;
  const _RAS_Area d = _RAS_AreaAt(dest, (int)wk.dx, (int)wk.dy, (int)wk.dw, (int)wk.dh);
  _RAS_DeltaJob j;
  j.dst = d.row;
  j.dstStep = d.step;
  j.w = d.w;
  j.h = d.h;
  j.srcBase = rows.base;
  j.srcStep = rows.step;
  j.s = _RAS_Pos16(wk.s);
  j.t = _RAS_Pos16(wk.t);
  j.dsdx = _RAS_Step16(wk.dsdx);
  j.dtdx = _RAS_Step16(wk.dtdx);
  j.dsdy = _RAS_Step16(wk.dsdy);
  j.dtdy = _RAS_Step16(wk.dtdy);
  j.dsdxdy = _RAS_Step16(wk.dsdxdy);
  j.dtdxdy = _RAS_Step16(wk.dtdxdy);
  j.left = box[0];
  j.top = box[1];
  j.right = box[2];
  j.bottom = box[3];
  j.weight = w;
  j.bilinear = (mode & 0xFF00) == RAS_FILTER_BILINEAR;
  j.doPix = fn;
  _RAS_Template_Blit3::deltaBlit(j);
}

void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                     float rotxcent, float rotycent)
{
  if (!dest || !src || !dest->getBits() || !src->getBits() || dstw == 0 || dsth == 0) return;
  if (AnyNaN({srcx, srcy, srcw, srch, angle, rotxcent, rotycent})) return;
  int box[4];
  if (!ClipBox(src, cliptosourcerect, srcx, srcy, srcw, srch, box)) return;

  Walk wk;
  wk.dx = dstx;
  wk.dy = dsty;
  wk.dw = dstw;
  wk.dh = dsth;
  double sx0 = srcx, sy0 = srcy, sw = srcw, sh = srch;
  _RAS_FlipToPositive(&wk.dx, &wk.dw, &sx0, &sw);
  _RAS_FlipToPositive(&wk.dy, &wk.dh, &sy0, &sh);
  const double sa = sin((double)angle), ca = cos((double)angle);
  wk.dsdx = ca * sw / (double)wk.dw;
  wk.dsdy = sa * sw / (double)wk.dw;
  wk.dtdx = -sa * sh / (double)wk.dh;
  wk.dtdy = ca * sh / (double)wk.dh;
  wk.dsdxdy = wk.dtdxdy = 0.0;
  // The rotation turns about the centre of the rectangle; the offsets shift
  // the sampled point.
  wk.s = sx0 - (((double)wk.dw * wk.dsdx + (double)wk.dh * wk.dsdy - sw) * 0.5 - rotxcent);
  wk.t = sy0 - (((double)wk.dh * wk.dtdy + (double)wk.dw * wk.dtdx - sh) * 0.5 - rotycent);
  if (!ClipWalk(dest, &wk)) return;

  RAS_MemBitmap snapshot;
  if (!_RAS_SeparateSource(dest, &src, &snapshot)) return;
  RunWalk(dest, src, wk, box, alpha, mode);
}

static void DeltaBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, double srcx,
                      double srcy, double srcw, double srch, double dsdx, double dtdx, double dsdy, double dtdy,
                      double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode)
{
  if (!dest || !src || !dest->getBits() || !src->getBits() || dstw == 0 || dsth == 0) return;
  if (AnyNaN({srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy})) return;
  int box[4];
  if (!ClipBox(src, cliptosourcerect, srcx, srcy, srcw, srch, box)) return;

  Walk wk;
  wk.dx = dstx;
  wk.dy = dsty;
  wk.dw = dstw;
  wk.dh = dsth;
  wk.s = srcx;
  wk.t = srcy;
  _RAS_FlipToPositive(&wk.dx, &wk.dw, &wk.s, &srcw);
  _RAS_FlipToPositive(&wk.dy, &wk.dh, &wk.t, &srch);
  wk.dsdx = dsdx;
  wk.dtdx = dtdx;
  wk.dsdy = dsdy;
  wk.dtdy = dtdy;
  wk.dsdxdy = dsdxdy;
  wk.dtdxdy = dtdxdy;
  if (!ClipWalk(dest, &wk)) return;

  RAS_MemBitmap snapshot;
  if (!_RAS_SeparateSource(dest, &src, &snapshot)) return;
  RunWalk(dest, src, wk, box, alpha, mode);
}

void RAS_DeltaBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode)
{
  DeltaBlit(dest, src, dstx, dsty, dstw, dsth, srcx, srcy, srcw, srch, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy,
            cliptosourcerect, alpha, mode);
}

template <class T>
static void TransformBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                          const T* pts, int div_w, int div_h, float alpha, int mode)
{
  if (!dest || !src || !pts || dstw <= 0 || dsth <= 0 || div_w < 2 || div_h < 2) return;
  RAS_MemBitmap snapshot;
  if (!_RAS_SeparateSource(dest, &src, &snapshot)) return;

  const double xadv = (double)dstw / (div_w - 1), yadv = (double)dsth / (div_h - 1);
  double y = dsty;
  int y0 = dsty;
  for (int r = 0; r < div_h - 1; r++)
  {
    y += yadv;
    const int y1 = RAS_SatInt(y);
    if (y1 == y0) continue;
    const double ch = (double)y1 - y0;
    double x = dstx;
    int x0 = dstx;
    for (int c = 0; c < div_w - 1; c++)
    {
      x += xadv;
      const int x1 = RAS_SatInt(x);
      if (x1 == x0) continue;
      const double cw = (double)x1 - x0;
      const T* p00 = pts + ((long long)r * div_w + c) * 2;
      const T* p01 = p00 + 2;
      const T* p10 = p00 + (long long)div_w * 2;
      const T* p11 = p10 + 2;
      const double sdx = ((double)p01[0] - p00[0]) / cw, tdx = ((double)p01[1] - p00[1]) / cw;
      const double sdy = ((double)p10[0] - p00[0]) / ch, tdy = ((double)p10[1] - p00[1]) / ch;
      const double sdxdy = (((double)p11[0] - p10[0]) / cw - sdx) / ch;
      const double tdxdy = (((double)p11[1] - p10[1]) / cw - tdx) / ch;
      DeltaBlit(dest, src, x0, y0, x1 - x0, y1 - y0, p00[0], p00[1], (double)p01[0] - p00[0],
                (double)p01[1] - p00[1], sdx, tdx, sdy, tdy, sdxdy, tdxdy, false, alpha, mode);
      x0 = x1;
    }
    y0 = y1;
  }
}

void RAS_TransformBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  TransformBlit(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}

void RAS_TransformBlit2(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* srcpoints, int div_w, int div_h, float alpha, int mode)
{
  TransformBlit(dest, src, dstx, dsty, dstw, dsth, srcpoints, div_w, div_h, alpha, mode);
}
