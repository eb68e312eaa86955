#include "graphics/IEditableTextControl.h"

#include "graphics/IGraphics.h"

#include <cstring>

IEditableTextControl::IEditableTextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str, bool editing,
                                           bool isPassword)
  : ITextControl(pPlug, pR, pText, str), mEditing(editing), mIsPassword(isPassword)
{
  mDblAsSingleClick = true;
}

void IEditableTextControl::SetBGColor(const IColor* pColor)
{
  if (pColor)
    mBGColor = *pColor;
  else
    mBGColor.A = 0;
}

void IEditableTextControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  if (mDisablePrompt) return;
  PromptUserInput();
  mRedraw = true;
}

bool IEditableTextControl::Draw(IGraphics* pGraphics)
{
  if (mBGColor.A != 0 && !pGraphics->FillIRect(&mBGColor, &mRECT, nullptr)) return false;
  if (!mIsPassword) return ITextControl::Draw(pGraphics);
  char mask[kMaxMaskChars + 1];
  PasswordMask(mStr.Get(), mask);
  return pGraphics->DrawIText(&mText, mask, &mRECT);
}

void IEditableTextControl::PasswordMask(const char* str, char* out)
{
  const size_t len = str ? strlen(str) : 0;
  const size_t n = len < (size_t)kMaxMaskChars ? len : (size_t)kMaxMaskChars;
  memset(out, '*', n);
  out[n] = '\0';
}
