#include "graphics/IGraphics.h"

#include "raster/raster.h"

#include <math.h>

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int srcX, int srcY, const IChannelBlend* pBlend)
{
  if (!pBitmap || !pBitmap->mData || !pDest) return true;
  const IRECT r = pDest->Intersect(&mDrawRECT);
  if (r.Empty() || r.W() <= 0 || r.H() <= 0) return true;
  RAS_Blit(mDrawBitmap, pBitmap->mData, r.L, r.T, srcX + r.L - pDest->L, srcY + r.T - pDest->T, r.W(), r.H(),
           IBlend::Weight(pBlend), IBlend::BlitMode(pBlend));
  return true;
}

bool IGraphics::DrawBitmap(IBitmap* pBitmap, IRECT* pDest, int bmpState, const IChannelBlend* pBlend)
{
  if (!pBitmap) return true;
  int srcX = 0, srcY = 0;
  const int n = pBitmap->Frames();
  if (n > 1 && bmpState > 1)
  {
    const int span = pBitmap->mFramesAreHorizontal ? pBitmap->W : pBitmap->H;
    const int offset = (int)((double)(bmpState - 1) * (double)span / (double)n + 0.5);
    if (pBitmap->mFramesAreHorizontal)
      srcX = offset;
    else
      srcY = offset;
  }
  return DrawBitmap(pBitmap, pDest, srcX, srcY, pBlend);
}

bool IGraphics::DrawRotatedBitmap(IBitmap* pBitmap, int destCtrX, int destCtrY, double angle, int yOffsetZeroDeg,
                                  const IChannelBlend* pBlend)
{
  if (!pBitmap || !pBitmap->mData) return true;
  const int W = pBitmap->W, H = pBitmap->H;
  RAS_RotatedBlit(mDrawBitmap, pBitmap->mData, destCtrX - W / 2, destCtrY - H / 2, W, H, 0.0f, 0.0f, (float)W,
                  (float)H, (float)angle, false, IBlend::Weight(pBlend), IBlend::RotatedMode(pBlend), 0.0f,
                  (float)yOffsetZeroDeg);
  return true;
}

bool IGraphics::DrawRotatedMask(IBitmap* pBase, IBitmap* pMask, IBitmap* pTop, int x, int y, double angle,
                                const IChannelBlend* pBlend)
{
  if (!pBase || !pBase->mData || !pMask || !pTop) return true;
  if (!mTmpBitmap) mTmpBitmap = new RAS_MemBitmap();
  const int W = pBase->W, H = pBase->H;
  RAS_Copy(mTmpBitmap, pBase->mData);
  // Keep the base's colour but none of its coverage: the mask adds coverage
  // where the rotated knob will be, and the top is copied over it.
  RAS_ClearRect(mTmpBitmap, 0, 0, W, H, 0xFFFFFF00, 0);
  const float rad = (float)(angle * M_PI / 180.0);
  const float xCenter = (W & 1) ? -0.5f : 0.0f;
  RAS_RotatedBlit(mTmpBitmap, pMask->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, rad, true, 1.0f,
                  RAS_MODE_USE_ALPHA | RAS_FILTER_BILINEAR | RAS_MODE_ADD, xCenter, 0.0f);
  RAS_RotatedBlit(mTmpBitmap, pTop->mData, 0, 0, W, H, 0.0f, 0.0f, (float)W, (float)H, rad, true, 1.0f,
                  RAS_MODE_USE_ALPHA | RAS_FILTER_BILINEAR | RAS_MODE_COPY, xCenter, 0.0f);
  const IRECT area(x, y, x + W, y + H);
  const IRECT r = area.Intersect(&mDrawRECT);
  if (r.Empty() || r.W() <= 0 || r.H() <= 0) return true;
  RAS_Blit(mDrawBitmap, mTmpBitmap, r.L, r.T, r.L - x, r.T - y, r.W(), r.H(), IBlend::Weight(pBlend),
           IBlend::BlitMode(pBlend));
  return true;
}

bool IGraphics::DrawPoint(const IColor* pColor, float x, float y, const IChannelBlend* pBlend, bool antiAlias)
{
  (void)antiAlias;
  if (!pColor) return true;
  RAS_PutPixel(mDrawBitmap, RAS_SatInt((double)x + 0.5), RAS_SatInt((double)y + 0.5), pColor->ToPixel(),
               IBlend::Weight(pBlend), IBlend::LineMode(pBlend));
  return true;
}

bool IGraphics::ForcePixel(const IColor* pColor, int x, int y)
{
  if (!pColor || !mDrawBitmap) return true;
  RAS_pixel* bits = mDrawBitmap->getBits();
  const int w = mDrawBitmap->getWidth(), h = mDrawBitmap->getHeight();
  if (!bits || x < 0 || y < 0 || x >= w || y >= h) return true;
  const int row = mDrawBitmap->isFlipped() ? h - 1 - y : y;
  bits[(long)row * mDrawBitmap->getRowSpan() + x] = pColor->ToPixel();
  return true;
}

bool IGraphics::FillIRect(const IColor* pColor, IRECT* pR, const IChannelBlend* pBlend)
{
  if (!pColor || !pR) return true;
  RAS_FillRect(mDrawBitmap, pR->L, pR->T, pR->W(), pR->H(), pColor->ToPixel(), IBlend::Weight(pBlend),
               IBlend::BlitMode(pBlend));
  return true;
}

IColor IGraphics::GetPoint(int x, int y)
{
  return IColor::FromPixel(RAS_GetPixel(mDrawBitmap, x, y));
}
