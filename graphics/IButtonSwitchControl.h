#pragma once

#include "graphics/IBitmapControl.h"

// A momentary contact: it steps like a switch while pressed and falls back
// to 0 when released.
class IContactControl : public ISwitchControl
{
public:
  using ISwitchControl::ISwitchControl;

  // Editor thread; takes the plug-in's lock.
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
};

// A push button that toggles its value on release and shows frame 2 while
// held, frame 1 otherwise.
class IButtonSwitchControl : public ISwitchControl
{
public:
  using ISwitchControl::ISwitchControl;

  // Editor thread; takes the plug-in's lock.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread; takes the plug-in's lock.
  void OnMouseUp(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  bool IsPressed() const { return mPressed; }

protected:
  bool mPressed = false;
};
