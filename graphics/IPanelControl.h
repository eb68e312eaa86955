#pragma once

#include "graphics/IColor.h"
#include "graphics/IControl.h"

// A rectangle filled with one colour; the manager's plain background.
class IPanelControl : public IControl
{
public:
  IPanelControl(IFxBase* pPlug, IRECT pR, const IColor* pColor)
    : IControl(pPlug, pR), mColor(pColor ? *pColor : IColor())
  {
  }

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IColor mColor;
};
