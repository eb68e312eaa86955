#pragma once

#include "graphics/IControl.h"

// A toggle whose picture shows the button held (frame 2) or released
// (frame 1), whatever the value.
class IOnOffControl : public IControl
{
public:
  IOnOffControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap);

  // Editor thread; takes the plug-in's lock.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread; takes the plug-in's lock.
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  int GetFrameState() const { return mFrameState; }

protected:
  int mFrameState = 1;
  IBitmap mBitmap;
};
