#include "graphics/ISpinnerControl.h"

#include "graphics/ICaptionControl.h"
#include "graphics/IGraphics.h"
#include "plugin/plugin.h"

#include <cmath>

ISpinnerControl::ISpinnerControl(IFxBase* pPlug, IRECT pR, int paramIdx, IText* pText, IParam* pOwnParam,
                                 bool showValue, bool showLabel, EDirection direction, double gearing)
  : ITextControl(pPlug, pR, pText, ""), mDirection(direction), mGearing(gearing), mShowValue(showValue),
    mShowLabel(showLabel), mOwnParam(pOwnParam)
{
  mParamIdx = paramIdx;
}

double ISpinnerControl::DraggedValue(double value, const IRECT& rect, EDirection direction, double gearing, int dX,
                                     int dY)
{
  const double extent = direction == kVertical ? (double)rect.T - rect.B : (double)rect.R - rect.L;
  const double d = direction == kVertical ? dY : dX;
  if (extent == 0.0 || gearing == 0.0 || !std::isfinite(gearing)) return value;
  return value + d / extent / gearing;
}

double ISpinnerControl::WheelStep(const IParam* pParam, bool fine)
{
  if (pParam)
  {
    const double range = pParam->GetMax() - pParam->GetMin();
    const double step = pParam->GetStep();
    if (step != 0.0 && range != 0.0 && std::isfinite(step / range)) return step / range;
  }
  return fine ? 0.001 : 0.01;
}

IParam* ISpinnerControl::ShownParam() const
{
  if (mParamIdx >= 0) return GetParam();
  return mOwnParam;
}

void ISpinnerControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mValue = DraggedValue(mValue, mRECT, mDirection, mGearing, dX, dY);
  SetDirty(true);
}

void ISpinnerControl::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  (void)x; (void)y;
  const bool fine = pMod && (pMod->C || pMod->S);
  mValue += (double)d * WheelStep(ShownParam(), fine);
  SetDirty(true);
}

bool ISpinnerControl::Draw(IGraphics* pGraphics)
{
  if (mOwnParam) mOwnParam->SetNormalized(mValue);
  if (mShowValue)
  {
    if (const IParam* pParam = ShownParam())
    {
      char text[ICaptionControl::kParamTextLen];
      ICaptionControl::ParamText(pParam, mShowLabel, text);
      mStr.Set(text);
    }
  }
  return ITextControl::Draw(pGraphics);
}
