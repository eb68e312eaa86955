#include "graphics/IKnobLineControl.h"

#include "graphics/IGraphics.h"

IKnobLineControl::IKnobLineControl(IFxBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor, double innerRadius,
                                   double outerRadius, double minAngle, double maxAngle, EDirection direction,
                                   double gearing)
  : IKnobControl(pPlug, pR, paramIdx, direction, gearing), mColor(pColor ? *pColor : IColor(255, 0, 0, 0)),
    mMinAngle((float)minAngle), mMaxAngle((float)maxAngle), mInnerRadius((float)innerRadius),
    mOuterRadius(outerRadius == 0.0 ? (float)pR.W() * 0.5f : (float)outerRadius)
{
  mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

IKnobLineControl::Line IKnobLineControl::PointerLine(double value) const
{
  const double a = (double)mMinAngle + value * ((double)mMaxAngle - (double)mMinAngle);
  const double cx = ((double)mRECT.L + mRECT.R) * 0.5, cy = ((double)mRECT.T + mRECT.B) * 0.5;
  const double s = std::sin(a), c = std::cos(a);
  return Line{cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s, cy - mOuterRadius * c};
}

bool IKnobLineControl::Draw(IGraphics* pGraphics)
{
  const Line l = PointerLine(mValue);
  return pGraphics->DrawLine(&mColor, (float)l.x1, (float)l.y1, (float)l.x2, (float)l.y2, &mBlend, true);
}
