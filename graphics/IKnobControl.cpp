#include "graphics/IKnobControl.h"

#include "graphics/IBitmapControl.h"
#include "graphics/IGraphics.h"

#include <cmath>

double IKnobControl::DraggedValue(double value, const IRECT& rect, EDirection direction, double gearing, bool fine,
                                  int dX, int dY)
{
  const double g = fine ? gearing * 10.0 : gearing;
  const int extent = direction == kVertical ? rect.T - rect.B : rect.R - rect.L;
  if (extent == 0 || g == 0.0 || !std::isfinite(g)) return value;
  const double travel = direction == kVertical ? (double)dY : (double)dX;
  return value + travel / (double)extent / g;
}

void IKnobControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)x; (void)y;
  const bool fine = pMod && (pMod->C || pMod->S);
  const double moved = DraggedValue(mValue, mRECT, mDirection, mGearing, fine, dX, dY);
  if (moved == mValue) return;
  mValue = moved;
  SetDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                     EDirection direction, double gearing)
  : IKnobControl(pPlug, IBitmapControl::FrameRECT(x, y, pBitmap), paramIdx, direction, gearing),
    mBitmap(pBitmap ? *pBitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, IBitmapControl::FrameFromValue(mValue, mBitmap.Frames()), &mBlend);
}

IKnobRotaterControl::IKnobRotaterControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg, EDirection direction,
                                         double gearing)
  : IKnobControl(pPlug, IBitmapControl::FrameRECT(x, y, pBitmap), paramIdx, direction, gearing),
    mBitmap(pBitmap ? *pBitmap : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* pGraphics)
{
  const int cx = (mRECT.L + mRECT.R) / 2, cy = (mRECT.T + mRECT.B) / 2;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedBitmap(&mBitmap, cx, cy, angle, mYOffset, &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase,
                                                   IBitmap* pMask, IBitmap* pTop, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
  : IKnobControl(pPlug, IBitmapControl::FrameRECT(x, y, pBase), paramIdx, direction, gearing),
    mBase(pBase ? *pBase : IBitmap()), mMask(pMask ? *pMask : IBitmap()), mTop(pTop ? *pTop : IBitmap()),
    mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* pGraphics)
{
  if (!mBase.mData || !mMask.mData || !mTop.mData) return true;
  const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
  return pGraphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
