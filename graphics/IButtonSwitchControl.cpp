#include "graphics/IButtonSwitchControl.h"

#include "graphics/IGraphics.h"

void IContactControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mValue = 0.0;
  SetDirty(true);
}

void IButtonSwitchControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mPressed = true;
  SetDirty(true);
}

void IButtonSwitchControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  mPressed = false;
  mValue = mValue < 0.5 ? 1.0 : 0.0;
  SetDirty(true);
}

bool IButtonSwitchControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, mPressed ? 2 : 1, &mBlend);
}
