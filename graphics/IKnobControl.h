#pragma once

#include "graphics/IControl.h"

#include <cmath>

// Knobs: a drag moves the value by the mouse travel over the knob's extent,
// divided by the gearing (ten times finer with control/command or shift).
class IKnobControl : public IControl
{
public:
  IKnobControl(IFxBase* pPlug, IRECT pR, int paramIdx, EDirection direction = kVertical, double gearing = 4.0)
    : IControl(pPlug, pR, paramIdx), mDirection(direction), mGearing(gearing)
  {
  }

  // Editor thread; takes the plug-in's lock.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;

  // The value after a drag of (dX, dY) over rect. A zero extent or a gearing
  // that is zero or not finite leaves value as it is.
  static double DraggedValue(double value, const IRECT& rect, EDirection direction, double gearing, bool fine,
                             int dX, int dY);

protected:
  EDirection mDirection;
  double mGearing;
};

// A film-strip knob: one frame of the strip per position.
class IKnobMultiControl : public IKnobControl
{
public:
  IKnobMultiControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, EDirection direction = kVertical,
                    double gearing = 4.0);

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
};

// One picture rotated between two angles (radians) about the knob's centre.
class IKnobRotaterControl : public IKnobControl
{
public:
  IKnobRotaterControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, double minAngle = -0.75 * M_PI,
                      double maxAngle = 0.75 * M_PI, int yOffsetZeroDeg = 0, EDirection direction = kVertical,
                      double gearing = 4.0);

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBitmap;
  double mMinAngle, mMaxAngle;
  int mYOffset;
};

// A rotating mask between a base and a top picture, angles in degrees.
class IKnobRotatingMaskControl : public IKnobControl
{
public:
  IKnobRotatingMaskControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBase, IBitmap* pMask,
                           IBitmap* pTop, double minAngle = -135.0, double maxAngle = 135.0,
                           EDirection direction = kVertical, double gearing = 4.0);

  // Editor thread, inside the drawing pass; may allocate the scratch bitmap.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IBitmap mBase, mMask, mTop;
  double mMinAngle, mMaxAngle;
};
