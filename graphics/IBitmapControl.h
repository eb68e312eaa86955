#pragma once

#include "graphics/IControl.h"

// Bitmap controls: a picture showing one frame of its film strip chosen by the
// value, and the switches built on it.
class IBitmapControl : public IControl
{
public:
  // The rectangle is one frame of the bitmap at (x, y).
  IBitmapControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

  // The 1-based frame of an n-frame strip that shows value.
  static int FrameFromValue(double value, int nFrames);

  // A bitmap control's rectangle at (x, y): one stacked frame.
  static IRECT FrameRECT(int x, int y, const IBitmap* pBitmap);

  IBitmap* GetBitmap() { return &mBitmap; }

protected:
  IBitmap mBitmap;
};

// Steps through its frames on every click, wrapping back to the first.
class ISwitchControl : public IBitmapControl
{
public:
  ISwitchControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap,
                 IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone)
    : IBitmapControl(pPlug, x, y, paramIdx, pBitmap, blendMethod)
  {
  }

  // Editor thread; takes the plug-in's lock. No prompt on the right button.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread; takes the plug-in's lock. A second step, as a click.
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
};

// A picture that opens over its whole rectangle from a small hot spot and
// closes on the next click anywhere on it.
class IBitmapOverlayControl : public ISwitchControl
{
public:
  IBitmapOverlayControl(IFxBase* pPlug, int x, int y, int paramIdx, IBitmap* pBitmap, IRECT targetArea)
    : ISwitchControl(pPlug, x, y, paramIdx, pBitmap), mTargetArea(targetArea)
  {
    mTargetRECT = targetArea;
  }
  IBitmapOverlayControl(IFxBase* pPlug, int x, int y, IBitmap* pBitmap, IRECT targetArea)
    : IBitmapOverlayControl(pPlug, x, y, -1, pBitmap, targetArea)
  {
  }

  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;

protected:
  IRECT mTargetArea;
};

// An area without a picture that toggles its parameter between 0 and 1.
class IInvisibleSwitchControl : public IControl
{
public:
  IInvisibleSwitchControl(IFxBase* pPlug, IRECT pR, int paramIdx)
    : IControl(pPlug, pR, paramIdx, IChannelBlend::kBlendClobber)
  {
    mDisablePrompt = true;
  }

  // Editor thread; takes the plug-in's lock.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
};
