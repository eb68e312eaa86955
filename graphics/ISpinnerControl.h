#pragma once

#include "graphics/ITextControl.h"

class IParam;

// A value dragged or wheeled up and down, shown as text. It follows the
// plug-in's parameter at its index, or its own parameter when the index is
// negative.
class ISpinnerControl : public ITextControl
{
public:
  ISpinnerControl(IFxBase* pPlug, IRECT pR, int paramIdx, IText* pText, IParam* pOwnParam = nullptr,
                  bool showValue = true, bool showLabel = true, EDirection direction = kVertical,
                  double gearing = 1.0);

  // Editor thread; takes the plug-in's lock.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  // Editor thread; takes the plug-in's lock.
  void OnMouseWheel(int x, int y, IMouseMod* pMod, int d) override;
  // Editor thread, inside the drawing pass; allocates when the text grows.
  bool Draw(IGraphics* pGraphics) override;

  // The value after a drag of (dX, dY) over rect. A zero extent or a gearing
  // that is zero or not finite leaves value as it is.
  static double DraggedValue(double value, const IRECT& rect, EDirection direction, double gearing, int dX, int dY);
  // The normalised value one wheel notch moves pParam: its step over its
  // range, or the plain fine/coarse steps when it has no step or no range.
  static double WheelStep(const IParam* pParam, bool fine);

protected:
  // The plug-in's parameter at the index, else the own one, else null.
  IParam* ShownParam() const;

  EDirection mDirection;
  double mGearing;
  bool mShowValue;
  bool mShowLabel;
  IParam* mOwnParam;
};
