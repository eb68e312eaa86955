#include "graphics/ITextControl.h"

#include "graphics/IGraphics.h"

#include <cstring>

ITextControl::ITextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str)
  : IControl(pPlug, pR), mStr(str ? str : "")
{
  if (pText) mText = *pText;
}

bool ITextControl::Draw(IGraphics* pGraphics)
{
  if (!mStr.GetLength()) return true;
  return pGraphics->DrawIText(&mText, const_cast<char*>(mStr.Get()), &mRECT);
}

void ITextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(str, mStr.Get()) == 0) return;
  SetDirty(false);
  mStr.Set(str);
}
