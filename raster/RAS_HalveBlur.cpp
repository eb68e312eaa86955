#include "raster/RAS_Blit.h"

#include "raster/RAS_Internal.h"

#include <stdlib.h>
#include <string.h>

static inline RAS_pixel Half(RAS_pixel p) { return (p >> 1) & 0x7F7F7F7F; }
static inline RAS_pixel Quarter(RAS_pixel p) { return (p >> 2) & 0x3F3F3F3F; }
static inline RAS_pixel Eighth(RAS_pixel p) { return (p >> 3) & 0x1F1F1F1F; }

void RAS_HalveBlitAA(RAS_IBitmap* dest, RAS_IBitmap* src)
{
  _RAS_Rows d, s;
  if (!_RAS_GetRows(dest, &d) || !_RAS_GetRows(src, &s)) return;
  const int w = d.w < s.w / 2 ? d.w : s.w / 2;
  const int h = d.h < s.h / 2 ? d.h : s.h / 2;
  // Image rows are addressed through each bitmap's own orientation. Walking
  // top to bottom and left to right reads every source block before the same
  // bitmap's halved output can reach it.
  for (int y = 0; y < h; y++)
  {
    RAS_pixel* out = d.base + (ptrdiff_t)y * d.step;
    const RAS_pixel* r0 = s.base + (ptrdiff_t)(2 * y) * s.step;
    const RAS_pixel* r1 = r0 + s.step;
    for (int x = 0; x < w; x++)
      out[x] = Quarter(r0[2 * x]) + Quarter(r0[2 * x + 1]) + Quarter(r1[2 * x]) + Quarter(r1[2 * x + 1]);
  }
}

void RAS_Blur(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch)
{
  if (!dest || !src || !dest->getBits() || !src->getBits()) return;

  // The same clipping as an unscaled blit.
  _RAS_BlitArea a;
  if (!_RAS_ClipBlit(dest, src, dstx, dsty, srcx, srcy, (long long)srcx + srcw, (long long)srcy + srch, &a)) return;
  if (a.w < 2 || a.h < 2) return;
  const int W = a.w, H = a.h;

  _RAS_Area sa = _RAS_AreaAt(src, a.sx, a.sy, W, H);
  const _RAS_Area da = _RAS_AreaAt(dest, a.dx, a.dy, W, H);

  // When the bitmaps share memory the source area is read from a copy, so
  // blurred pixels never feed back into their neighbours whatever the offset.
  RAS_pixel* copy = nullptr;
  if (_RAS_MemoryOverlaps(dest, src))
  {
    copy = (RAS_pixel*)malloc((size_t)W * (size_t)H * sizeof(RAS_pixel));
    if (!copy) return;
    for (int y = 0; y < H; y++)
      memcpy(copy + (ptrdiff_t)y * W, sa.row + (ptrdiff_t)y * sa.step, (size_t)W * sizeof(RAS_pixel));
    sa.row = copy;
    sa.step = (ptrdiff_t)W;
  }

  for (int y = 0; y < H; y++)
  {
    const RAS_pixel* cur = sa.row + (ptrdiff_t)y * sa.step;
    const RAS_pixel* up = y > 0 ? cur - sa.step : nullptr;
    const RAS_pixel* down = y < H - 1 ? cur + sa.step : nullptr;
    RAS_pixel* out = da.row + (ptrdiff_t)y * da.step;
    for (int x = 0; x < W; x++)
    {
      RAS_pixel v = Half(cur[x]);
      // Horizontal: both neighbours an eighth each, or the one inner
      // neighbour a quarter at the first and last column.
      if (x == 0)
        v += Quarter(cur[1]);
      else if (x == W - 1)
        v += Quarter(cur[W - 2]);
      else
        v += Eighth(cur[x - 1]) + Eighth(cur[x + 1]);
      if (!up)
        v += Quarter(down[x]);
      else if (!down)
        v += Quarter(up[x]);
      else
        v += Eighth(up[x]) + Eighth(down[x]);
      out[x] = v;
    }
  }
  free(copy);
}
