#pragma once

#include "graphics/IControl.h"
#include "plugin/containers/KIT_TypedBuf.h"

// A row or column of buttons, one of which is lit; button k stands for the
// value k / (n - 1). The layout spreads the buttons evenly over the rectangle,
// the first and last flush with its ends; reversed, button 0 sits at the
// bottom (vertical) or right (horizontal) end.
class IRadioButtonsControl : public IControl
{
public:
  IRadioButtonsControl(IFxBase* pPlug, IRECT pR, int paramIdx, int nButtons, IBitmap* pBitmap,
                       EDirection direction = kVertical, bool reverse = false);

  // Editor thread; takes the plug-in's lock; right button: prompt (allocates).
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  int NButtons() const { return mRECTs.GetSize(); }
  const IRECT* ButtonRECT(int i) const { return (i >= 0 && i < NButtons()) ? mRECTs.Get() + i : nullptr; }
  // The button a value lights: the nearest one, within the row.
  static int ButtonFromValue(double value, int nButtons);

protected:
  KIT_TypedBuf<IRECT> mRECTs;
  IBitmap mBitmap;
};
