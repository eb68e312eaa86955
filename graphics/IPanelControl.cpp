#include "graphics/IPanelControl.h"

#include "graphics/IGraphics.h"

bool IPanelControl::Draw(IGraphics* pGraphics)
{
  return pGraphics->FillIRect(&mColor, &mRECT, &mBlend);
}
