#pragma once

#include "graphics/IControl.h"

// A handle sliding along a track of a given length; value 1 is the top end
// (vertical) or right end (horizontal). The handle's centre follows the
// pointer.
class IFaderControl : public IControl
{
public:
  IFaderControl(IFxBase* pPlug, int x, int y, int len, int paramIdx, IBitmap* pHandle,
                EDirection direction = kVertical, bool onlyHandle = false);

  // The handle's rectangle at value; a negative value means the current one.
  IRECT GetHandleRECT(double value = -1.0) const;

  // Editor thread; takes the plug-in's lock; right button: prompt (allocates).
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread; takes the plug-in's lock.
  void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod) override;
  // Editor thread; no lock, no allocation.
  bool IsHit(int x, int y) override;
  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  int GetLength() const { return mLen; }
  int GetHandleSize() const { return mHandleSize; }

protected:
  // Moves the handle so that its centre is under (x, y). A track no longer
  // than the handle has nowhere to move it and keeps the value.
  void SnapToMouse(int x, int y);

  int mLen, mHandleSize;
  IBitmap mHandleBitmap;
  EDirection mDirection;
  bool mOnlyHandle;
};
