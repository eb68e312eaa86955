#include "graphics/IInvisibleSelectControl.h"

void IInvisibleSelectControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)pMod;
  if (mHeight != 0) mValue = ((double)y - mTop) / (double)mHeight;
  SetDirty(true);
}
