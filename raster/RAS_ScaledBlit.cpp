#include "raster/RAS_Blit.h"

#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_BlitTemplates.h"
#include "raster/RAS_SampleWalk.h"

#include <math.h>

// Drops leading and trailing destination pixels whose samples fall before
// position 0 or at or beyond the source size (positive steps only).
static bool TrimToSource(long long* pos, long long step, long long* dpos, long long* dsize, long long srcSize)
{
  if (step <= 0) return *dsize > 0;
  if (*pos < 0)
  {
    const long long skip = (step - *pos - 1) / step;
    *dpos += skip;
    *pos += step * skip;
    *dsize -= skip;
  }
  if (*dsize <= 0) return false;
  const long long limit = srcSize * 65536;
  if (*pos + step * (*dsize - 1) >= limit) *dsize = *pos >= limit ? 0 : (limit - *pos + step - 1) / step;
  return *dsize > 0;
}

void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode)
{
  if (!dest || !src || !dest->getBits() || !src->getBits()) return;
  if (alpha == 0.0f || dstw == 0 || dsth == 0) return;
  if (RAS_IsNaN(srcx) || RAS_IsNaN(srcy) || RAS_IsNaN(srcw) || RAS_IsNaN(srch)) return;

  if (fabs((double)srcw - dstw) < 0.001 && fabs((double)srch - dsth) < 0.001)
  {
    const bool bilinear = (mode & 0xFF00) == RAS_FILTER_BILINEAR;
    if (!bilinear || (fabs(srcx - floor(srcx + 0.5)) < 0.03 && fabs(srcy - floor(srcy + 0.5)) < 0.03))
    {
      RAS_Blit(dest, src, dstx, dsty, RAS_SatInt(srcx + 0.5), RAS_SatInt(srcy + 0.5), dstw, dsth, alpha, mode);
      return;
    }
  }

  RAS_MemBitmap snapshot;
  if (!_RAS_SeparateSource(dest, &src, &snapshot)) return;

  double sx = srcx, sy = srcy, sw = srcw, sh = srch;
  long long dx = dstx, dy = dsty, dw = dstw, dh = dsth;
  _RAS_FlipToPositive(&dx, &dw, &sx, &sw);
  _RAS_FlipToPositive(&dy, &dh, &sy, &sh);
  const double xadvance = sw / (double)dw, yadvance = sh / (double)dh;
  // Infinite arguments can still make NaN positions (inf - inf): nothing is drawn.
  if (RAS_IsNaN(sx + xadvance) || RAS_IsNaN(sy + yadvance) || RAS_IsNaN(sx + sw) || RAS_IsNaN(sy + sh)) return;

  // Source clip limits, from the rectangle itself (not from the start moved by
  // destination clipping below).
  const int srcW = src->getWidth(), srcH = src->getHeight();
  const double rlim = sx + (sw > 0 ? sw : 0) + 0.999999, blim = sy + (sh > 0 ? sh : 0) + 0.999999;
  const int right = rlim >= srcW ? srcW : RAS_SatInt(rlim);
  const int bottom = blim >= srcH ? srcH : RAS_SatInt(blim);
  if (right < 1 || bottom < 1) return;

  // A walk backwards through the source samples the far corner of each
  // destination pixel, so that a mirrored rectangle shows every one of its
  // columns and rows (starting at the edge itself would sample one past it).
  if (xadvance < 0) sx += xadvance;
  if (yadvance < 0) sy += yadvance;

  const long long destW = dest->getWidth(), destH = dest->getHeight();
  if (dx < 0)
  {
    sx -= (double)dx * xadvance;
    dw += dx;
    dx = 0;
  }
  if (dy < 0)
  {
    sy -= (double)dy * yadvance;
    dh += dy;
    dy = 0;
  }
  if (dw > destW - dx) dw = destW - dx;
  if (dh > destH - dy) dh = destH - dy;
  if (dw < 1 || dh < 1) return;

  const long long idx = _RAS_Step16(xadvance), idy = _RAS_Step16(yadvance);
  long long icurx = _RAS_Pos16(sx), icury = _RAS_Pos16(sy);
  if (!TrimToSource(&icurx, idx, &dx, &dw, srcW) || !TrimToSource(&icury, idy, &dy, &dh, srcH)) return;

  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return;

  _RAS_Rows rows;
  if (!_RAS_GetRows(src, &rows)) return;
  const _RAS_Area d = _RAS_AreaAt(dest, (int)dx, (int)dy, (int)dw, (int)dh);
  _RAS_ScaleJob job;
  job.dst = d.row;
  job.dstStep = d.step;
  job.w = d.w;
  job.h = d.h;
  job.srcBase = rows.base;
  job.srcStep = rows.step;
  job.icurx = icurx;
  job.icury = icury;
  job.idx = idx;
  job.idy = idy;
  job.right = right;
  job.bottom = bottom;
  job.weight = w;
  job.bilinear = (mode & 0xFF00) == RAS_FILTER_BILINEAR;
  job.kernelRadius = 1;

  if ((mode & 0x1FFFF) == 0)
  {
    if (w == 256)
    {
      _RAS_Template_Blit0<_RAS_CombinePixelsClobberFAST>::scaleBlitFAST(job);
      return;
    }
    if (w == 128)
    {
      _RAS_Template_Blit0<_RAS_CombinePixelsHalfMixFAST>::scaleBlitFAST(job);
      return;
    }
  }

  if (job.bilinear && xadvance >= 1.7 && yadvance >= 1.7)
  {
    const long long m = idx > idy ? idx : idy;
    job.kernelRadius = m <= 0x30000 ? 1 : 2;
    _RAS_WithRule(mode, w, [&]<class Rule>() { _RAS_Template_Blit2<Rule>::scaleBlitFilterDown(job); });
    return;
  }
  _RAS_WithRule(mode, w, [&]<class Rule>() { _RAS_Template_Blit2<Rule>::scaleBlit(job); });
}
