#include "graphics/IGraphics.h"

#include "graphics/BitmapStorage.h"
#include "graphics/IControl.h"
#include "raster/raster.h"

IGraphics::~IGraphics()
{
  delete mKeyCatcher;
  mControls.Empty(true);
  delete mDrawBitmap;
  delete mTmpBitmap;
}

void IGraphics::PrepDraw()
{
  delete mDrawBitmap;
  delete mTmpBitmap;
  mDrawBitmap = new RAS_SysBitmap(mWidth, mHeight);
  mTmpBitmap = new RAS_MemBitmap();
}

RAS_pixel* IGraphics::GetBits()
{
  return mDrawBitmap ? mDrawBitmap->getBits() : nullptr;
}

IBitmap IGraphics::LoadIBitmap(int ID, const char* name, int nStates, bool framesAreHorizontal)
{
  BitmapStorage& storage = BitmapStorage::Instance();
  // Loading happens outside the lock: two editors loading one ID for the
  // first time may both decode it; the first key added is found thereafter.
  RAS_IBitmap* pData = storage.Find(ID);
  if (!pData)
  {
    pData = OSLoadBitmap(ID, name);
    if (!pData) return IBitmap(nullptr, 0, 0, nStates, framesAreHorizontal);
    storage.Add(pData, ID);
  }
  return IBitmap(pData, pData->getWidth(), pData->getHeight(), nStates, framesAreHorizontal);
}

void IGraphics::RetainBitmap(IBitmap* pBitmap)
{
  if (pBitmap) BitmapStorage::Instance().Add(pBitmap->mData, -1);
}

void IGraphics::ReleaseBitmap(IBitmap* pBitmap)
{
  if (pBitmap) BitmapStorage::Instance().Remove(pBitmap->mData);
}

namespace
{
// A new memory bitmap handed to the image cache, as the editor's own (-1).
IBitmap CachedCopy(RAS_MemBitmap* pNew, const IBitmap* pSrc)
{
  BitmapStorage::Instance().Add(pNew, -1);
  return IBitmap(pNew, pNew->getWidth(), pNew->getHeight(), pSrc->N, false);
}
} // namespace

IBitmap IGraphics::ScaleBitmap(IBitmap* pSrcBitmap, int destW, int destH)
{
  if (!pSrcBitmap || !pSrcBitmap->mData || destW <= 0 || destH <= 0) return IBitmap();
  RAS_MemBitmap* pNew = new RAS_MemBitmap(destW, destH, 4);
  RAS_IBitmap* pSrc = pSrcBitmap->mData;
  RAS_Clear(pNew, 0);
  RAS_ScaledBlit(pNew, pSrc, 0, 0, destW, destH, 0.0f, 0.0f, (float)pSrc->getWidth(), (float)pSrc->getHeight(), 1.0f,
                 RAS_FILTER_BILINEAR);
  return CachedCopy(pNew, pSrcBitmap);
}

IBitmap IGraphics::CropBitmap(IBitmap* pSrcBitmap, IRECT* pR)
{
  if (!pSrcBitmap || !pSrcBitmap->mData || !pR || pR->W() <= 0 || pR->H() <= 0) return IBitmap();
  RAS_MemBitmap* pNew = new RAS_MemBitmap(pR->W(), pR->H(), 4);
  // Parts of the rectangle outside the source stay transparent black.
  RAS_Clear(pNew, 0);
  RAS_Blit(pNew, pSrcBitmap->mData, 0, 0, pR->L, pR->T, pR->W(), pR->H(), 1.0f, RAS_MODE_COPY);
  return CachedCopy(pNew, pSrcBitmap);
}
