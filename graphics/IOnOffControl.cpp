#include "graphics/IOnOffControl.h"

#include "graphics/IBitmapControl.h"
#include "graphics/IGraphics.h"

IOnOffControl::IOnOffControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap)
  : IControl(pPlug, IBitmapControl::FrameRECT(x, y, pBitmap), paramIdx)
{
  if (pBitmap) mBitmap = *pBitmap;
}

void IOnOffControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  mFrameState = 2;
  SetDirty(true);
}

void IOnOffControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mFrameState = 1;
  SetDirty(true);
}

bool IOnOffControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, mFrameState, &mBlend);
}
