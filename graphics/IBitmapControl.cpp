#include "graphics/IBitmapControl.h"

#include "graphics/IGraphics.h"

IRECT IBitmapControl::FrameRECT(int x, int y, const IBitmap* pBitmap)
{
  if (!pBitmap) return IRECT(x, y, x, y);
  return IRECT(x, y, x + pBitmap->W, y + pBitmap->H / pBitmap->Frames());
}

IBitmapControl::IBitmapControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                               IChannelBlend::EBlendMethod blendMethod)
  : IControl(pPlug, FrameRECT(x, y, pBitmap), paramIdx, blendMethod), mBitmap(pBitmap ? *pBitmap : IBitmap())
{
}

int IBitmapControl::FrameFromValue(double value, int nFrames)
{
  if (nFrames <= 1) return 1;
  // Computed in double and checked before the conversion, so that any value
  // (NaN included) lands on a frame that exists.
  const double pos = value * (double)(nFrames - 1) + 0.5;
  if (!(pos >= 0.0)) return 1;
  if (pos >= (double)nFrames) return nFrames;
  const int i = (int)pos;
  return i + 1 < nFrames ? i + 1 : nFrames;
}

bool IBitmapControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, FrameFromValue(mValue, mBitmap.Frames()), &mBlend);
}

void ISwitchControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  const int n = mBitmap.Frames();
  const double step = n < 2 ? 1.0 : 1.0 / (double)(n - 1);
  mValue += step;
  if (mValue > 1.001) mValue = 0.0;
  SetDirty(true);
}

void ISwitchControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  OnMouseDown(x, y, pMod);
}

bool IBitmapOverlayControl::Draw(IGraphics* pGraphics)
{
  if (mValue < 0.5)
  {
    mTargetRECT = mTargetArea;
    return true;
  }
  mTargetRECT = mRECT;
  return IBitmapControl::Draw(pGraphics);
}

void IInvisibleSwitchControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}
