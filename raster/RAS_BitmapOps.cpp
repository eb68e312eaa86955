#include "raster/RAS_BitmapOps.h"

#include "raster/RAS_Blit.h"
#include "raster/RAS_Internal.h"

#include <string.h>

RAS_pixel RAS_GetPixel(RAS_IBitmap* bm, int x, int y)
{
  _RAS_Area a;
  if (!_RAS_ClipToBitmap(bm, x, y, 1, 1, &a) || x < 0 || y < 0) return 0;
  return *a.row;
}

// The copy rule of one pixel with the whole-word shortcuts for 1/4, 1/2, 3/4
// and full weight; w is already within 1..256.
static inline void CopyColour(RAS_pixel* p, RAS_pixel colour, int w)
{
  switch (w)
  {
    case 64: *p = _RAS_CombinePixelsQuarterMix2FAST::doPix(*p, (colour >> 2) & 0x3F3F3F3F); break;
    case 128: *p = _RAS_CombinePixelsHalfMix2FAST::doPix(*p, (colour >> 1) & 0x7F7F7F7F); break;
    case 192:
      *p = _RAS_CombinePixelsThreeQuarterMix2FAST::doPix(*p, ((colour >> 1) & 0x7F7F7F7F) + ((colour >> 2) & 0x3F3F3F3F));
      break;
    case 256: *p = colour; break;
    default:
      _RAS_CombinePixelsCopyNoClamp::doPix((unsigned char*)p, RAS_GETR(colour), RAS_GETG(colour), RAS_GETB(colour),
                                           RAS_GETA(colour), w);
  }
}

void RAS_PutPixel(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, float alpha, int mode)
{
  _RAS_Area a;
  if (x < 0 || y < 0 || !_RAS_ClipToBitmap(bm, x, y, 1, 1, &a)) return;
  mode &= ~RAS_MODE_USE_ALPHA;
  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return;
  if ((mode & RAS_MODE_MASK) == RAS_MODE_COPY)
  {
    CopyColour(a.row, colour, w);
    return;
  }
  _RAS_WithRule(mode, w, [&]<class Rule>() {
    Rule::doPix((unsigned char*)a.row, RAS_GETR(colour), RAS_GETG(colour), RAS_GETB(colour), RAS_GETA(colour), w);
  });
}

void RAS_Clear(RAS_IBitmap* bm, RAS_pixel colour)
{
  _RAS_Area a;
  if (!bm || !_RAS_ClipToBitmap(bm, 0, 0, bm->getWidth(), bm->getHeight(), &a)) return;
  for (int y = 0; y < a.h; y++, a.row += a.step)
    for (int x = 0; x < a.w; x++) a.row[x] = colour;
}

void RAS_ClearRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel mask, RAS_pixel orbits)
{
  _RAS_Area a;
  if (!_RAS_ClipToBitmap(bm, x, y, w, h, &a)) return;
  for (int j = 0; j < a.h; j++, a.row += a.step)
    for (int i = 0; i < a.w; i++) a.row[i] = (a.row[i] & mask) | orbits;
}

template <class Rule>
static void FillLoop(const _RAS_Area& a, int r, int g, int b, int al, int w)
{
  RAS_pixel* row = a.row;
  for (int j = 0; j < a.h; j++, row += a.step)
    for (int i = 0; i < a.w; i++) Rule::doPix((unsigned char*)(row + i), r, g, b, al, w);
}

template <class Rule>
static void FillWordLoop(const _RAS_Area& a, RAS_pixel pre)
{
  RAS_pixel* row = a.row;
  for (int j = 0; j < a.h; j++, row += a.step)
    for (int i = 0; i < a.w; i++) row[i] = Rule::doPix(row[i], pre);
}

void RAS_FillRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel colour, float alpha, int mode)
{
  if (mode & RAS_MODE_USE_ALPHA) alpha = (float)(alpha * (RAS_GETA(colour) / 255.0));
  _RAS_Area a;
  if (!_RAS_ClipToBitmap(bm, x, y, w, h, &a)) return;
  if (alpha == 0.0f) return;
  const int wt = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight((double)alpha));
  if (wt == 0) return;
  const int r = RAS_GETR(colour), g = RAS_GETG(colour), b = RAS_GETB(colour);
  switch (mode & RAS_MODE_MASK)
  {
    case RAS_MODE_COPY:
      switch (wt)
      {
        case 64: FillWordLoop<_RAS_CombinePixelsQuarterMix2FAST>(a, (colour >> 2) & 0x3F3F3F3F); return;
        case 128: FillWordLoop<_RAS_CombinePixelsHalfMix2FAST>(a, (colour >> 1) & 0x7F7F7F7F); return;
        case 192:
          FillWordLoop<_RAS_CombinePixelsThreeQuarterMix2FAST>(
              a, ((colour >> 1) & 0x7F7F7F7F) + ((colour >> 2) & 0x3F3F3F3F));
          return;
        case 256: FillWordLoop<_RAS_CombinePixelsClobberFAST>(a, colour); return;
        default: FillLoop<_RAS_CombinePixelsCopyNoClamp>(a, r, g, b, RAS_GETA(colour), wt); return;
      }
    default:
    {
      // The alpha channel argument is the weight itself, so copy-like rules
      // move the destination alpha towards the fill's opacity.
      const int al = wt < -1024 ? -1024 : wt > 1279 ? 1279 : wt;
      _RAS_WithRule(mode & RAS_MODE_MASK, wt, [&]<class Rule>() { FillLoop<Rule>(a, r, g, b, al, wt); });
    }
  }
}

void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src)
{
  if (!dest || !src) return;
  if (dest != src) dest->resize(src->getWidth(), src->getHeight());
  RAS_Blit(dest, src, 0, 0, nullptr, 1.0f, RAS_MODE_COPY);
}

void RAS_SetAlphaFromColorMask(RAS_IBitmap* bm, RAS_pixel colour)
{
  _RAS_Area a;
  if (!bm || !_RAS_ClipToBitmap(bm, 0, 0, bm->getWidth(), bm->getHeight(), &a)) return;
  for (int j = 0; j < a.h; j++, a.row += a.step)
    for (int i = 0; i < a.w; i++)
    {
      const RAS_pixel p = a.row[i];
      a.row[i] = (p & 0xFFFFFF00) == colour ? (p & 0xFFFFFF00) : (p | 0xFF);
    }
}

// Scale and offset factors in 8-bit fixed point; they saturate so that
// 255 * scale + add stays within 32 bits.
static inline int Factor256(float v)
{
  if (RAS_IsNaN(v)) return 0;
  const double f = (double)v * 256.0;
  const double lim = 4194304.0; // 2^22
  return f >= lim ? (int)lim : f <= -lim ? -(int)lim : (int)f;
}

static inline int MulAddChannel(int v, int s, int add)
{
  const int x = v * s + add;
  return x < 0 ? 0 : x >= 65536 ? 255 : x >> 8;
}

void RAS_MultiplyAddRect(RAS_IBitmap* bm, int x, int y, int w, int h, float rsc, float gsc, float bsc, float asc,
                         float radd, float gadd, float badd, float aadd)
{
  _RAS_Area a;
  if (!_RAS_ClipToBitmap(bm, x, y, w, h, &a)) return;
  const int sr = Factor256(rsc), sg = Factor256(gsc), sb = Factor256(bsc), sa = Factor256(asc);
  const int ar = Factor256(radd), ag = Factor256(gadd), ab = Factor256(badd), aa = Factor256(aadd);
  for (int j = 0; j < a.h; j++, a.row += a.step)
    for (int i = 0; i < a.w; i++)
    {
      unsigned char* p = (unsigned char*)(a.row + i);
      p[RAS_BYTE_R] = (unsigned char)MulAddChannel(p[RAS_BYTE_R], sr, ar);
      p[RAS_BYTE_G] = (unsigned char)MulAddChannel(p[RAS_BYTE_G], sg, ag);
      p[RAS_BYTE_B] = (unsigned char)MulAddChannel(p[RAS_BYTE_B], sb, ab);
      p[RAS_BYTE_A] = (unsigned char)MulAddChannel(p[RAS_BYTE_A], sa, aa);
    }
}

void RAS_ProcessRect(RAS_IBitmap* bm, int x, int y, int w, int h, void (*procFunc)(RAS_pixel* px, void* parm),
                     void* parm)
{
  _RAS_Area a;
  if (!procFunc || !_RAS_ClipToBitmap(bm, x, y, w, h, &a)) return;
  for (int j = 0; j < a.h; j++, a.row += a.step)
    for (int i = 0; i < a.w; i++) procFunc(a.row + i, parm);
}

// Fills column x of one row and the matching runs either side of it; false
// when the pixel in column x does not match (the walk stops there).
static bool FillRow(RAS_pixel* row, int width, int x, RAS_pixel target, RAS_pixel newcolour, RAS_pixel cmpmask,
                    RAS_pixel keepmask)
{
  if ((row[x] & cmpmask) != target) return false;
  row[x] = newcolour | (row[x] & keepmask);
  for (int i = x + 1; i < width && (row[i] & cmpmask) == target; i++) row[i] = newcolour | (row[i] & keepmask);
  for (int i = x - 1; i >= 0 && (row[i] & cmpmask) == target; i--) row[i] = newcolour | (row[i] & keepmask);
  return true;
}

void RAS_SimpleFill(RAS_IBitmap* bm, int x, int y, RAS_pixel newcolour, RAS_pixel comparemask, RAS_pixel keepmask)
{
  _RAS_Rows rows;
  if (!_RAS_GetRows(bm, &rows) || x < 0 || y < 0 || x >= rows.w || y >= rows.h) return;
  const RAS_pixel target = rows.base[(ptrdiff_t)y * rows.step + x] & comparemask;
  for (int j = y; j < rows.h; j++)
    if (!FillRow(rows.base + (ptrdiff_t)j * rows.step, rows.w, x, target, newcolour, comparemask, keepmask)) break;
  for (int j = y - 1; j >= 0; j--)
    if (!FillRow(rows.base + (ptrdiff_t)j * rows.step, rows.w, x, target, newcolour, comparemask, keepmask)) break;
}

int RAS_BitmapCmp(RAS_IBitmap* a, RAS_IBitmap* b, int* coordsOut)
{
  if (!a && !b) return 0;
  if (!a) return -1;
  if (!b) return 1;
  if (a->getWidth() != b->getWidth()) return b->getWidth() - a->getWidth();
  if (a->getHeight() != b->getHeight()) return b->getHeight() - a->getHeight();

  _RAS_Rows ra, rb;
  const bool ha = _RAS_GetRows(a, &ra), hb = _RAS_GetRows(b, &rb);
  if (!ha || !hb)
  {
    // Equal sizes but one without pixels: equal only when neither has any.
    if (coordsOut) coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
    return ha == hb ? 0 : ha ? 1 : -1;
  }
  const int w = ra.w, h = ra.h;
  if (!coordsOut)
  {
    for (int y = 0; y < h; y++)
    {
      const int c = memcmp(ra.base + (ptrdiff_t)y * ra.step, rb.base + (ptrdiff_t)y * rb.step, (size_t)w * 4);
      if (c) return c;
    }
    return 0;
  }
  int minx = w, miny = h, maxx = -1, maxy = -1;
  for (int y = 0; y < h; y++)
  {
    const RAS_pixel* pa = ra.base + (ptrdiff_t)y * ra.step;
    const RAS_pixel* pb = rb.base + (ptrdiff_t)y * rb.step;
    if (!memcmp(pa, pb, (size_t)w * 4)) continue;
    for (int x = 0; x < w; x++)
      if (pa[x] != pb[x])
      {
        if (x < minx) minx = x;
        if (x > maxx) maxx = x;
      }
    if (miny > y) miny = y;
    maxy = y;
  }
  if (maxy < 0)
  {
    coordsOut[0] = coordsOut[1] = coordsOut[2] = coordsOut[3] = 0;
    return 0;
  }
  coordsOut[0] = minx;
  coordsOut[1] = miny;
  coordsOut[2] = maxx - minx + 1;
  coordsOut[3] = maxy - miny + 1;
  return 1;
}
