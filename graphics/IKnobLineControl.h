#pragma once

#include "graphics/IKnobControl.h"

// A knob drawn as one anti-aliased pointer line between two radii, turning
// from the minimum to the maximum angle (radians, 0 straight up, clockwise).
class IKnobLineControl : public IKnobControl
{
public:
  // An outer radius of 0 reaches the rectangle's half width.
  IKnobLineControl(IFxBase* pPlug, IRECT pR, int paramIdx, const IColor* pColor, double innerRadius = 0.0,
                   double outerRadius = 0.0, double minAngle = -0.75 * M_PI, double maxAngle = 0.75 * M_PI,
                   EDirection direction = kVertical, double gearing = 4.0);

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  // The pointer's end points for value, in double precision.
  struct Line
  {
    double x1, y1, x2, y2;
  };
  Line PointerLine(double value) const;

protected:
  IColor mColor;
  float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};
