#pragma once

#include "graphics/IControl.h"

// An area without a picture: releasing the mouse at a height sets the value
// to that height's share of the area, 0 at its top.
class IInvisibleSelectControl : public IControl
{
public:
  IInvisibleSelectControl(IFxBase* pPlug, IRECT pR, int paramIdx)
    : IControl(pPlug, pR, paramIdx), mHeight(pR.H()), mTop(pR.T)
  {
  }

  // Editor thread; takes the plug-in's lock. An area of no height keeps the
  // value.
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;

protected:
  int mHeight, mTop;
};
