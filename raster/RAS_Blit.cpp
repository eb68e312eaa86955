#include "raster/RAS_Blit.h"

#include "raster/RAS_BlitTemplates.h"

#include <stdlib.h>
#include <string.h>

// A row operation applied to every row of the clipped area. When source and
// destination share memory the rows are walked in the order that reads each
// source row before it is overwritten, and each source row goes through a
// scratch row first so that overlap within a row cannot feed back.
template <class RowOp>
static void ForEachRow(RAS_IBitmap* dest, RAS_IBitmap* src, const _RAS_BlitArea& a, RowOp&& op)
{
  _RAS_Area d = _RAS_AreaAt(dest, a.dx, a.dy, a.w, a.h);
  _RAS_Area s = _RAS_AreaAt(src, a.sx, a.sy, a.w, a.h);
  if (!_RAS_MemoryOverlaps(dest, src))
  {
    for (int y = 0; y < a.h; y++, d.row += d.step, s.row += s.step) op(d.row, (const RAS_pixel*)s.row, a.w);
    return;
  }

  RAS_pixel stackRow[1024];
  RAS_pixel* tmp = a.w <= 1024 ? stackRow : (RAS_pixel*)malloc((size_t)a.w * sizeof(RAS_pixel));
  if (!tmp) return;
  // When the destination lies further along the row walk than the source,
  // walking from the last image row keeps every source row intact until read.
  int y = 0, dir = 1;
  if ((d.row > s.row) == (d.step > 0) && d.row != s.row)
  {
    y = a.h - 1;
    dir = -1;
  }
  for (int k = 0; k < a.h; k++, y += dir)
  {
    memcpy(tmp, s.row + (ptrdiff_t)y * s.step, (size_t)a.w * sizeof(RAS_pixel));
    op(d.row + (ptrdiff_t)y * d.step, (const RAS_pixel*)tmp, a.w);
  }
  if (tmp != stackRow) free(tmp);
}

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode)
{
  if (!dest || !src || !dest->getBits() || !src->getBits()) return;
  if (alpha == 0.0f) return;
  _RAS_BlitArea a;
  const bool any = srcrect ? _RAS_ClipBlit(dest, src, dstx, dsty, srcrect->left, srcrect->top, srcrect->right,
                                           srcrect->bottom, &a)
                           : _RAS_ClipBlit(dest, src, dstx, dsty, 0, 0, src->getWidth(), src->getHeight(), &a);
  if (!any) return;

  if ((mode & 0xF0) == RAS_MODE_CHANNEL_COPY)
  {
    const int db = (mode >> 2) & 3, sb = mode & 3;
    ForEachRow(dest, src, a, [&](RAS_pixel* d, const RAS_pixel* s, int n) {
      for (int i = 0; i < n; i++) ((unsigned char*)(d + i))[db] = ((const unsigned char*)(s + i))[sb];
    });
    return;
  }

  if ((mode & (RAS_MODE_USE_ALPHA | RAS_MODE_MASK)) == RAS_MODE_COPY)
  {
    if (alpha == 1.0f)
    {
      ForEachRow(dest, src, a, [](RAS_pixel* d, const RAS_pixel* s, int n) { memcpy(d, s, (size_t)n * 4); });
      return;
    }
    if (alpha == 0.5f)
    {
      ForEachRow(dest, src, a, [](RAS_pixel* d, const RAS_pixel* s, int n) {
        for (int i = 0; i < n; i++) d[i] = _RAS_CombinePixelsHalfMixFAST::doPix(d[i], s[i]);
      });
      return;
    }
  }

  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return;
  _RAS_WithRule(mode, w, [&]<class Rule>() {
    if (!_RAS_MemoryOverlaps(dest, src))
    {
      const _RAS_Area d = _RAS_AreaAt(dest, a.dx, a.dy, a.w, a.h), s = _RAS_AreaAt(src, a.sx, a.sy, a.w, a.h);
      _RAS_Template_Blit2<Rule>::blit(d.row, d.step, s.row, s.step, a.w, a.h, w);
      return;
    }
    ForEachRow(dest, src, a,
               [w](RAS_pixel* d, const RAS_pixel* s, int n) { _RAS_BlitRow<Rule>::row(d, s, n, w); });
  });
}

void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode)
{
  // The rectangle's far edges saturate rather than wrap.
  const long long r = (long long)srcx + srcw, b = (long long)srcy + srch;
  RECT rc;
  rc.left = srcx;
  rc.top = srcy;
  rc.right = (LONG)(r > 2147483647LL ? 2147483647LL : r < -2147483647LL ? -2147483647LL : r);
  rc.bottom = (LONG)(b > 2147483647LL ? 2147483647LL : b < -2147483647LL ? -2147483647LL : b);
  RAS_Blit(dest, src, dstx, dsty, &rc, alpha, mode);
}
