#include "graphics/IGraphics.h"

#include "graphics/IControl.h"
#include "plugin/plugin.h"

int IGraphics::BeginGesture(IControl* pControl)
{
  if (mGestureParam >= 0 || !mPlug || !pControl->GetParam()) return -1;
  mGestureParam = pControl->ParamIdx();
  mPlug->BeginInformHostOfParamChange(mGestureParam);
  return mGestureParam;
}

void IGraphics::EndGesture(int paramIdx)
{
  if (paramIdx < 0) return;
  if (mGestureParam == paramIdx) mGestureParam = -1;
  mPlug->EndInformHostOfParamChange(paramIdx);
}

int IGraphics::DropCapture()
{
  mMouseCapture = mMouseX = mMouseY = -1;
  const int gesture = mGestureParam;
  mGestureParam = -1;
  return gesture;
}

void IGraphics::ReleaseMouseCapture()
{
  const int gesture = DropCapture();
  if (gesture >= 0) mPlug->EndInformHostOfParamChange(gesture);
}

int IGraphics::GetMouseControlIdx(int x, int y, bool mouseOver)
{
  if (mMouseCapture >= 0 && mControls.Get(mMouseCapture)) return mMouseCapture;
  for (int i = mControls.GetSize() - 1; i >= 0; --i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->IsHidden()) continue;
    if (pControl->IsGrayed() && !(mouseOver && pControl->GetMOWhenGrayed())) continue;
    if (pControl->IsHit(x, y)) return i;
  }
  return -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  if (c < 0) return;
  mMouseCapture = c;
  mMouseX = x;
  mMouseY = y;
  IControl* pControl = mControls.Get(c);
  BeginGesture(pControl);
  pControl->OnMouseDown(x, y, pMod);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  const int c = GetMouseControlIdx(x, y);
  // The end goes to the host after the control's own mouse up, and only for
  // a gesture that was begun.
  const int gesture = DropCapture();
  IControl* pControl = mControls.Get(c);
  if (pControl) pControl->OnMouseUp(x, y, pMod);
  if (gesture >= 0) mPlug->EndInformHostOfParamChange(gesture);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* pMod)
{
  IControl* pControl = mControls.Get(mMouseCapture);
  if (!pControl || (x == mMouseX && y == mMouseY)) return;
  const int dX = x - mMouseX, dY = y - mMouseY;
  mMouseX = x;
  mMouseY = y;
  pControl->OnMouseDrag(x, y, dX, dY, pMod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  ReleaseMouseCapture();
  const int c = GetMouseControlIdx(x, y);
  IControl* pControl = mControls.Get(c);
  if (!pControl) return false;
  if (pControl->GetDblAsSingleClick())
  {
    // Taken as a mouse down in full, gesture included, so that the mouse up
    // that follows ends what this began.
    mMouseCapture = c;
    mMouseX = x;
    mMouseY = y;
    BeginGesture(pControl);
    pControl->OnMouseDown(x, y, pMod);
    return true;
  }
  const int gesture = BeginGesture(pControl);
  pControl->OnMouseDblClick(x, y, pMod);
  EndGesture(gesture);
  return false;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  IControl* pControl = mControls.Get(GetMouseControlIdx(x, y));
  if (!pControl) return;
  // Inside a drag the wheel belongs to the drag's gesture; otherwise it is a
  // change of its own.
  const int gesture = BeginGesture(pControl);
  pControl->OnMouseWheel(x, y, pMod, d);
  EndGesture(gesture);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  if (!mHandleMouseOver) return false;
  const int c = GetMouseControlIdx(x, y, true);
  IControl* pControl = mControls.Get(c);
  if (pControl)
  {
    mMouseX = x;
    mMouseY = y;
    pControl->OnMouseOver(x, y, pMod);
    IControl* pPrevious = mControls.Get(mMouseOver);
    if (pPrevious && mMouseOver != c) pPrevious->OnMouseOut();
    mMouseOver = c;
  }
  return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnMouseOut();
  mMouseOver = -1;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
  const int c = GetMouseControlIdx(x, y);
  if (c > 0) return mControls.Get(c)->OnKeyDown(x, y, key);
  return mKeyCatcher ? mKeyCatcher->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
  const int c = GetMouseControlIdx(x, y);
  IControl* pControl = c > 0 ? mControls.Get(c) : nullptr;
  mLastClickedParam = (pControl && pControl->GetParam()) ? pControl->ParamIdx() : -1;
  return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
  const int p = mLastClickedParam;
  mLastClickedParam = -1;
  return p;
}
