#pragma once

// The inner loops of the blits, one template instance per combining rule so
// that the rule is chosen once per call. Each optimised kernel keeps a plain
// per-pixel reference (…Reference) that the tests compare it with.

#include "raster/RAS_Combine.h"
#include "raster/RAS_Internal.h"

#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <type_traits>

// Whether the CPU runs the AVX2 kernels; set at start-up. Tests clear it to
// exercise the SSE2 kernels as well.
extern bool _RAS_cpuAVX2;

template <class Rule>
inline void _RAS_DoPixWord(RAS_pixel* d, RAS_pixel s, int w)
{
  Rule::doPix((unsigned char*)d, RAS_GETR(s), RAS_GETG(s), RAS_GETB(s), RAS_GETA(s), w);
}

// One row of an unscaled blit: d[i] combined with s[i] for i in [0, n).
template <class Rule>
struct _RAS_BlitRow
{
  static void row(RAS_pixel* d, const RAS_pixel* s, int n, int w) { rowReference(d, s, n, w); }
  static void rowReference(RAS_pixel* d, const RAS_pixel* s, int n, int w)
  {
    for (int i = 0; i < n; i++) _RAS_DoPixWord<Rule>(d + i, s[i], w);
  }
};

// Vectorised rows of the rules the editor draws with most.
template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmNoClamp>::row(RAS_pixel* d, const RAS_pixel* s,
                                                                                  int n, int w);
template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopySourceAlphaNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w);
template <>
void _RAS_BlitRow<_RAS_CombinePixelsCopyNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w);
template <>
void _RAS_BlitRow<_RAS_CombinePixelsAdd>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w);
template <>
void _RAS_BlitRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* s, int n, int w);

// Everything a scaled blit's loops need, resolved by RAS_ScaledBlit: the first
// destination row and its step, the 16.16 source start and steps, the source
// rows and the source clip limits (right, bottom: never read at or beyond).
struct _RAS_ScaleJob
{
  RAS_pixel* dst;
  ptrdiff_t dstStep;
  int w, h;
  const RAS_pixel* srcBase;
  ptrdiff_t srcStep;
  long long icurx, icury, idx, idy;
  int right, bottom;
  int weight;
  bool bilinear;
  int kernelRadius; // filter-down only: 1 (3 x 3) or 2 (5 x 5)
};

// Bilinear sample of a 2 x 2 neighbourhood with 16-bit fractions, exactly as
// the raster library defines it (weights sum to 65536, truncating).
inline void _RAS_Bilinear4(RAS_pixel tl, RAS_pixel tr, RAS_pixel bl, RAS_pixel br, unsigned fx, unsigned fy, int* out)
{
  const unsigned u = (fy * fx) >> 16;
  const unsigned wtl = 65536 - fx - fy + u, wtr = fx - u, wbl = fy - u, wbr = u;
  for (int c = 0; c < 4; c++)
  {
    const int sh = c * 8;
    out[c] = (int)((((tl >> sh) & 0xFF) * wtl + ((tr >> sh) & 0xFF) * wtr + ((bl >> sh) & 0xFF) * wbl +
                    ((br >> sh) & 0xFF) * wbr) >>
                   16);
  }
}

// Linear sample between two pixels with a 16-bit fraction.
inline void _RAS_Linear2(RAS_pixel p0, RAS_pixel p1, unsigned f, int* out)
{
  for (int c = 0; c < 4; c++)
  {
    const int sh = c * 8;
    out[c] = (int)((((p0 >> sh) & 0xFF) * (65536 - f) + ((p1 >> sh) & 0xFF) * f) >> 16);
  }
}

// out[] is in byte order: alpha, red, green, blue.
template <class Rule>
inline void _RAS_DoPixChannels(RAS_pixel* d, const int* c, int w)
{
  Rule::doPix((unsigned char*)d, c[1], c[2], c[3], c[0], w);
}

// A run of n bilinear samples from two source rows (4-point interpolation):
// sample i reads columns xs[i] and xs[i] + 1 with fraction fxs[i]. The column
// tables are computed once per blit and shared by every row.
template <class Rule>
struct _RAS_BilinearSpan
{
  static void span(RAS_pixel* d, const RAS_pixel* top, const RAS_pixel* bot, const int* xs, const uint16_t* fxs,
                   int n, unsigned fy, int w)
  {
    spanReference(d, top, bot, xs, fxs, n, fy, w);
  }
  static void spanReference(RAS_pixel* d, const RAS_pixel* top, const RAS_pixel* bot, const int* xs,
                            const uint16_t* fxs, int n, unsigned fy, int w)
  {
    for (int i = 0; i < n; i++)
    {
      const int X = xs[i];
      int c[4];
      _RAS_Bilinear4(top[X], top[X + 1], bot[X], bot[X + 1], fxs[i], fy, c);
      _RAS_DoPixChannels<Rule>(d + i, c, w);
    }
  }
};

template <>
void _RAS_BilinearSpan<_RAS_CombinePixelsClobberNoClamp>::span(RAS_pixel* d, const RAS_pixel* top,
                                                                const RAS_pixel* bot, const int* xs,
                                                                const uint16_t* fxs, int n, unsigned fy, int w);

// Column tables of a scaled row: source column and 16-bit fraction of sample
// i, for i in [0, n). Kept on the stack for ordinary widths.
struct _RAS_ColumnTable
{
  int* xs = nullptr;
  uint16_t* fxs = nullptr;
  int stackX[1024];
  uint16_t stackF[1024];
  void* heap = nullptr;

  bool build(long long pos, long long step, int n)
  {
    if (n <= 1024)
    {
      xs = stackX;
      fxs = stackF;
    }
    else
    {
      heap = malloc((size_t)n * (sizeof(int) + sizeof(uint16_t)));
      if (!heap) return false;
      xs = (int*)heap;
      fxs = (uint16_t*)(xs + n);
    }
    for (int i = 0; i < n; i++, pos += step)
    {
      xs[i] = (int)(pos / 65536);
      fxs[i] = (uint16_t)(pos & 0xFFFF);
    }
    return true;
  }
  ~_RAS_ColumnTable() { free(heap); }
};

// Box average of the filter-down path for one destination row: every sample
// is the integer mean of the (2r+1) x (2r+1) neighbourhood of (X, Y) clipped
// to rows [0, bottom) and columns [0, right).
template <class Rule>
struct _RAS_BoxRow
{
  static void row(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep, int Y, int bottom, int right,
                  long long pos, long long step, int n, int radius, int w)
  {
    rowReference(d, srcBase, srcStep, Y, bottom, right, pos, step, n, radius, w);
  }
  static void rowReference(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep, int Y, int bottom, int right,
                           long long pos, long long step, int n, int radius, int w)
  {
    const int y0 = Y - radius < 0 ? 0 : Y - radius;
    const int y1 = Y + radius + 1 > bottom ? bottom : Y + radius + 1;
    for (int i = 0; i < n; i++, pos += step)
    {
      const int X = (int)(pos / 65536);
      const int x0 = X - radius < 0 ? 0 : X - radius;
      const int x1 = X + radius + 1 > right ? right : X + radius + 1;
      const int count = (y1 - y0) * (x1 - x0);
      if (count <= 0) continue;
      int sum[4] = {0, 0, 0, 0};
      for (int y = y0; y < y1; y++)
      {
        const RAS_pixel* row = srcBase + (ptrdiff_t)y * srcStep;
        for (int x = x0; x < x1; x++)
          for (int c = 0; c < 4; c++) sum[c] += (row[x] >> (c * 8)) & 0xFF;
      }
      int out[4];
      for (int c = 0; c < 4; c++) out[c] = sum[c] / count;
      _RAS_DoPixChannels<Rule>(d + i, out, w);
    }
  }
};

template <>
void _RAS_BoxRow<_RAS_CombinePixelsClobberNoClamp>::row(RAS_pixel* d, const RAS_pixel* srcBase, ptrdiff_t srcStep,
                                                        int Y, int bottom, int right, long long pos, long long step,
                                                        int n, int radius, int w);

// Columns of a scaled row whose samples have a source column X in [xa, xb),
// among those addressing pixels at all (position >= -65535).
inline void _RAS_ColumnRange(const _RAS_ScaleJob& j, int xa, int xb, int* i0, int* i1)
{
  if (xb < 1 || xa >= xb)
  {
    *i0 = *i1 = 0;
    return;
  }
  _RAS_SpanRange(j.icurx, j.idx, j.w, xa <= 0 ? -65535 : (long long)xa * 65536, (long long)xb * 65536, i0, i1);
}

template <class Rule>
struct _RAS_Template_Blit2
{
  // Unscaled: rows top to bottom, pixels left to right.
  static void blit(RAS_pixel* dst, ptrdiff_t dstStep, const RAS_pixel* src, ptrdiff_t srcStep, int w, int h,
                   int weight)
  {
    for (int y = 0; y < h; y++, dst += dstStep, src += srcStep) _RAS_BlitRow<Rule>::row(dst, src, w, weight);
  }

  static void scaleBlit(const _RAS_ScaleJob& j)
  {
    int n0, n1, v0, v1;
    if (j.bilinear)
    {
      _RAS_ColumnRange(j, 0, j.right - 1, &n0, &n1);
      _RAS_ColumnRange(j, j.right - 1, j.right, &v0, &v1);
    }
    else
    {
      _RAS_ColumnRange(j, 0, j.right, &n0, &n1);
      v0 = v1 = 0;
    }
    if (n0 >= n1 && v0 >= v1) return;
    _RAS_ColumnTable cols;
    if (j.bilinear && !cols.build(j.icurx + (long long)n0 * j.idx, j.idx, n1 - n0)) return;
    RAS_pixel* drow = j.dst;
    for (int y = 0; y < j.h; y++, drow += j.dstStep)
    {
      const long long posy = j.icury + (long long)y * j.idy;
      if (posy < -65535) continue;
      const long long Y = posy / 65536;
      if (Y >= j.bottom) continue;
      const RAS_pixel* top = j.srcBase + (ptrdiff_t)Y * j.srcStep;
      long long pos = j.icurx + (long long)n0 * j.idx;
      if (!j.bilinear)
      {
        for (int i = n0; i < n1; i++, pos += j.idx) _RAS_DoPixWord<Rule>(drow + i, top[pos / 65536], j.weight);
        continue;
      }
      const unsigned fy = (unsigned)(posy & 0xFFFF);
      if (Y < j.bottom - 1)
      {
        const RAS_pixel* bot = top + j.srcStep;
        _RAS_BilinearSpan<Rule>::span(drow + n0, top, bot, cols.xs, cols.fxs, n1 - n0, fy, j.weight);
        pos = j.icurx + (long long)v0 * j.idx;
        for (int i = v0; i < v1; i++, pos += j.idx)
        {
          int c[4];
          const long long X = pos / 65536;
          _RAS_Linear2(top[X], bot[X], fy, c);
          _RAS_DoPixChannels<Rule>(drow + i, c, j.weight);
        }
      }
      else
      {
        for (int i = n0; i < n1; i++, pos += j.idx)
        {
          int c[4];
          const long long X = pos / 65536;
          _RAS_Linear2(top[X], top[X + 1], (unsigned)(pos & 0xFFFF), c);
          _RAS_DoPixChannels<Rule>(drow + i, c, j.weight);
        }
        pos = j.icurx + (long long)v0 * j.idx;
        for (int i = v0; i < v1; i++, pos += j.idx) _RAS_DoPixWord<Rule>(drow + i, top[pos / 65536], j.weight);
      }
    }
  }

  static void scaleBlitFilterDown(const _RAS_ScaleJob& j)
  {
    int n0, n1;
    _RAS_ColumnRange(j, 0, j.right, &n0, &n1);
    if (n0 >= n1) return;
    RAS_pixel* drow = j.dst;
    for (int y = 0; y < j.h; y++, drow += j.dstStep)
    {
      const long long posy = j.icury + (long long)y * j.idy;
      if (posy < -65535) continue;
      const long long Y = posy / 65536;
      if (Y >= j.bottom) continue;
      _RAS_BoxRow<Rule>::row(drow + n0, j.srcBase, j.srcStep, (int)Y, j.bottom, j.right,
                             j.icurx + (long long)n0 * j.idx, j.idx, n1 - n0, j.kernelRadius, j.weight);
    }
  }
};

// Nearest scaling with whole-word rules (opaque and half-weight copies). The
// source columns are looked up once per blit; an opaque copy whose next row
// samples the same source row copies the row it has just drawn.
template <class Rule>
struct _RAS_Template_Blit0
{
  static void scaleBlitFAST(const _RAS_ScaleJob& j)
  {
    int n0, n1;
    _RAS_ColumnRange(j, 0, j.right, &n0, &n1);
    if (n0 >= n1) return;
    const int n = n1 - n0;
    _RAS_ColumnTable cols;
    if (!cols.build(j.icurx + (long long)n0 * j.idx, j.idx, n)) return;
    const int* xs = cols.xs;
    const RAS_pixel* prevSrc = nullptr;
    const RAS_pixel* prevDst = nullptr;
    RAS_pixel* drow = j.dst + n0;
    for (int y = 0; y < j.h; y++, drow += j.dstStep)
    {
      const long long posy = j.icury + (long long)y * j.idy;
      if (posy < -65535) continue;
      const long long Y = posy / 65536;
      if (Y >= j.bottom) continue;
      const RAS_pixel* srow = j.srcBase + (ptrdiff_t)Y * j.srcStep;
      if constexpr (std::is_same_v<Rule, _RAS_CombinePixelsClobberFAST>)
      {
        if (srow == prevSrc)
        {
          memcpy(drow, prevDst, (size_t)n * sizeof(RAS_pixel));
          continue;
        }
        for (int i = 0; i < n; i++) drow[i] = srow[xs[i]];
      }
      else
      {
        for (int i = 0; i < n; i++) drow[i] = Rule::doPix(drow[i], srow[xs[i]]);
      }
      prevSrc = srow;
      prevDst = drow;
    }
  }
};

// The affine (and bilinear-warped) mapping of the rotated, delta and transform
// blits; the rule comes as a pointer to its doPix.
typedef void (*_RAS_DoPixFunc)(unsigned char* d, int r, int g, int b, int a, int w);

struct _RAS_DeltaJob
{
  RAS_pixel* dst;
  ptrdiff_t dstStep;
  int w, h;
  const RAS_pixel* srcBase;
  ptrdiff_t srcStep;
  long long s, t, dsdx, dtdx, dsdy, dtdy, dsdxdy, dtdxdy; // 16.16
  int left, top, right, bottom;                           // source clip box
  int weight;
  bool bilinear;
  _RAS_DoPixFunc doPix;
};

struct _RAS_Template_Blit3
{
  static void deltaBlit(const _RAS_DeltaJob& j);
};
