#pragma once

// Clipping and row addressing shared by the drawing loops of the library.

#include "raster/RAS_Bitmap.h"

#include <stddef.h>

// A clipped rectangle of a bitmap: the memory row of its top image row, the
// step in pixels from one image row to the next (negative for a flipped
// bitmap, so every loop runs top image row first) and its size.
struct _RAS_Area
{
  RAS_pixel* row;
  ptrdiff_t step;
  int w, h;
};

// Overflow-safe clipping of (x, y, w, h) to a bitmap: negative origins shorten
// the size, sizes are compared as w > width - x after clamping instead of
// computing x + w. False when nothing is left (or the bitmap has no pixels).
inline bool _RAS_ClipToBitmap(RAS_IBitmap* bm, int x, int y, int w, int h, _RAS_Area* out)
{
  if (!bm) return false;
  RAS_pixel* bits = bm->getBits();
  const int bw = bm->getWidth(), bh = bm->getHeight(), span = bm->getRowSpan();
  if (!bits || span < 1 || bw < 1 || bh < 1) return false;
  if (x < 0)
  {
    const long long nw = (long long)w + x;
    if (nw < 1) return false;
    w = (int)nw;
    x = 0;
  }
  if (y < 0)
  {
    const long long nh = (long long)h + y;
    if (nh < 1) return false;
    h = (int)nh;
    y = 0;
  }
  if (x >= bw || y >= bh) return false;
  if (w > bw - x) w = bw - x;
  if (h > bh - y) h = bh - y;
  if (w < 1 || h < 1) return false;
  if (bm->isFlipped())
  {
    out->row = bits + (ptrdiff_t)(bh - 1 - y) * span + x;
    out->step = -(ptrdiff_t)span;
  }
  else
  {
    out->row = bits + (ptrdiff_t)y * span + x;
    out->step = span;
  }
  out->w = w;
  out->h = h;
  return true;
}

// Addressing of arbitrary image rows: row Y starts at base + Y * step.
struct _RAS_Rows
{
  RAS_pixel* base;
  ptrdiff_t step;
  int w, h;
};

inline bool _RAS_GetRows(RAS_IBitmap* bm, _RAS_Rows* out)
{
  if (!bm) return false;
  RAS_pixel* bits = bm->getBits();
  const int bw = bm->getWidth(), bh = bm->getHeight(), span = bm->getRowSpan();
  if (!bits || span < 1 || bw < 1 || bh < 1) return false;
  if (bm->isFlipped())
  {
    out->base = bits + (ptrdiff_t)(bh - 1) * span;
    out->step = -(ptrdiff_t)span;
  }
  else
  {
    out->base = bits;
    out->step = span;
  }
  out->w = bw;
  out->h = bh;
  return true;
}

// The memory row of image row y of a bitmap and the step between image rows,
// for an area already known to lie inside it.
inline _RAS_Area _RAS_AreaAt(RAS_IBitmap* bm, int x, int y, int w, int h)
{
  _RAS_Area a;
  const int span = bm->getRowSpan();
  RAS_pixel* bits = bm->getBits();
  if (bm->isFlipped())
  {
    a.row = bits + (ptrdiff_t)(bm->getHeight() - 1 - y) * span + x;
    a.step = -(ptrdiff_t)span;
  }
  else
  {
    a.row = bits + (ptrdiff_t)y * span + x;
    a.step = span;
  }
  a.w = w;
  a.h = h;
  return a;
}

// Source and destination rectangles of an unscaled copy after clipping.
struct _RAS_BlitArea
{
  int sx, sy, dx, dy, w, h;
};

// Clips the source rectangle (l, t)-(r, b) to the source and its copy at
// (dstx, dsty) to the destination, in 64 bits so that no coordinate can
// overflow. False when nothing is left.
inline bool _RAS_ClipBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, long long l, long long t,
                          long long r, long long b, _RAS_BlitArea* out)
{
  const long long sw = src->getWidth(), sh = src->getHeight();
  const long long dw = dest->getWidth(), dh = dest->getHeight();
  if (r > sw) r = sw;
  if (b > sh) b = sh;
  long long dx = dstx, dy = dsty;
  if (l < 0)
  {
    dx -= l;
    l = 0;
  }
  if (t < 0)
  {
    dy -= t;
    t = 0;
  }
  if (dx < 0)
  {
    l -= dx;
    dx = 0;
  }
  if (dy < 0)
  {
    t -= dy;
    dy = 0;
  }
  if (dx >= dw || dy >= dh || l >= r || t >= b) return false;
  long long w = r - l, h = b - t;
  if (w > dw - dx) w = dw - dx;
  if (h > dh - dy) h = dh - dy;
  if (w < 1 || h < 1) return false;
  *out = {(int)l, (int)t, (int)dx, (int)dy, (int)w, (int)h};
  return true;
}

// True when the pixel memory of two bitmaps may overlap.
inline bool _RAS_MemoryOverlaps(RAS_IBitmap* a, RAS_IBitmap* b)
{
  if (a == b) return true;
  const char* pa = (const char*)a->getBits();
  const char* pb = (const char*)b->getBits();
  if (!pa || !pb) return false;
  const size_t la = (size_t)a->getRowSpan() * (size_t)a->getHeight() * 4;
  const size_t lb = (size_t)b->getRowSpan() * (size_t)b->getHeight() * 4;
  return pa < pb + lb && pb < pa + la;
}

// The indices i in [0, n) for which lo <= start + i * step < hi, a contiguous
// run because positions move monotonically. Computed in 64 bits from values
// that stay far inside that range.
inline void _RAS_SpanRange(long long start, long long step, int n, long long lo, long long hi, int* i0, int* i1)
{
  *i0 = *i1 = 0;
  if (n <= 0 || lo >= hi) return;
  long long a, b; // the half-open range of i, before limiting to [0, n)
  if (step == 0)
  {
    if (start < lo || start >= hi) return;
    a = 0;
    b = n;
  }
  else if (step > 0)
  {
    // start + i * step >= lo  <=>  i >= ceil((lo - start) / step)
    a = lo - start <= 0 ? 0 : (lo - start + step - 1) / step;
    // start + i * step < hi  <=>  i < ceil((hi - start) / step)
    b = hi - start <= 0 ? 0 : (hi - start + step - 1) / step;
  }
  else
  {
    const long long s = -step;
    // start - i * s < hi  <=>  i > (start - hi) / s  <=>  i >= floor((start - hi) / s) + 1
    a = start - hi < 0 ? 0 : (start - hi) / s + 1;
    // start - i * s >= lo  <=>  i <= floor((start - lo) / s)
    b = start - lo < 0 ? 0 : (start - lo) / s + 1;
  }
  if (a < 0) a = 0;
  if (b > n) b = n;
  if (a >= b) return;
  *i0 = (int)a;
  *i1 = (int)b;
}
