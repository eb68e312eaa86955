#include "graphics/IFaderControl.h"

#include "graphics/IGraphics.h"

namespace
{
int HandleSize(const IBitmap* pHandle, EDirection direction)
{
  if (!pHandle) return 0;
  return direction == kVertical ? pHandle->FrameHeight() : pHandle->W;
}

IRECT TrackRECT(int x, int y, int len, const IBitmap* pHandle, EDirection direction)
{
  const int w = pHandle ? pHandle->W : 0, h = pHandle ? pHandle->FrameHeight() : 0;
  return direction == kVertical ? IRECT(x, y, x + w, y + len) : IRECT(x, y, x + len, y + h);
}
} // namespace

IFaderControl::IFaderControl(IFxBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandle,
                             EDirection direction, bool onlyHandle)
  : IControl(pPlug, TrackRECT(x, y, len, pHandle, direction), paramIdx), mLen(len),
    mHandleSize(HandleSize(pHandle, direction)), mDirection(direction), mOnlyHandle(onlyHandle)
{
  if (pHandle) mHandleBitmap = *pHandle;
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
  if (value < 0.0) value = mValue;
  IRECT r(mRECT.L, mRECT.T, mRECT.L + mHandleBitmap.W, mRECT.T + mHandleBitmap.FrameHeight());
  const double travel = (double)mLen - mHandleSize;
  if (mDirection == kVertical)
  {
    const int dy = (int)(travel * (1.0 - value));
    r.T += dy;
    r.B += dy;
  }
  else
  {
    const int dx = (int)(value * travel);
    r.L += dx;
    r.R += dx;
  }
  return r;
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  if (pMod && pMod->R)
  {
    PromptUserInput();
    return;
  }
  SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)dX; (void)dY; (void)pMod;
  SnapToMouse(x, y);
}

void IFaderControl::SnapToMouse(int x, int y)
{
  const int travel = mLen - mHandleSize;
  if (travel != 0)
  {
    if (mDirection == kVertical)
      mValue = 1.0 - (double)(y - mRECT.T - mHandleSize / 2) / (double)travel;
    else
      mValue = (double)(x - mRECT.L - mHandleSize / 2) / (double)travel;
  }
  SetDirty(true);
}

bool IFaderControl::IsHit(int x, int y)
{
  if (mOnlyHandle) return GetHandleRECT().Contains(x, y);
  return mTargetRECT.Contains(x, y);
}

bool IFaderControl::Draw(IGraphics* pGraphics)
{
  IRECT r = GetHandleRECT();
  return pGraphics->DrawBitmap(&mHandleBitmap, &r, 1, &mBlend);
}
