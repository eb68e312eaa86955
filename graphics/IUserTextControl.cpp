#include "graphics/IUserTextControl.h"

#include "graphics/IGraphics.h"
#include "plugin/plugin.h"

IUserTextControl::IUserTextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str)
  : ITextControl(pPlug, pR, pText, str)
{
  mDisablePrompt = true;
}

void IUserTextControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (pGraphics) pGraphics->CreateTextEntry(this, &mText, &mRECT, mStr.Get(), nullptr);
}

void IUserTextControl::TextFromTextEntry(const char* txt)
{
  mStr.Set(txt ? txt : "");
  SetDirty(false);
}
