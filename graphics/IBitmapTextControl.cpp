#include "graphics/IBitmapTextControl.h"

#include "graphics/IGraphics.h"

#include <cstring>

bool DrawBitmapedText(IGraphics* pGraphics, IBitmap* pChars, IRECT* pR, IText* pStyle, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset)
{
  if (!pGraphics || !pChars || !pR || !str || !*str) return true;
  if (charWidth <= 0) return true;
  const int len = (int)strlen(str);
  int y = pR->T;
  if (vCenter) y += (pR->B - charHeight - pR->T) / 2;

  const int avail = pR->W() - 2 * charWidth;
  if (avail <= 0) return true;
  int lines = 1;
  int perLine = avail / charWidth;
  if (multiline)
  {
    if ((long)len * charWidth > avail)
      lines = (int)((long)len * charWidth / avail);
    else
      perLine = len;
  }
  const bool centred = pStyle && pStyle->mAlign == IText::kAlignCenter;
  const int x0 = centred ? pR->L + (pR->W() - charWidth * len) / 2 : pR->L + charWidth;

  int next = 0;
  bool ok = true;
  for (int line = 0; line <= lines && next < len; ++line)
  {
    int x = x0;
    for (int c = 0; c < perLine && next < len; ++c, ++next)
    {
      const unsigned char code = (unsigned char)str[next];
      IRECT dest(x, y + charHeight * line, x + charWidth, y + charHeight * (line + 1));
      ok = pGraphics->DrawBitmap(pChars, &dest, (int)code - 31, pBlend) && ok;
      x += charWidth + charOffset;
    }
  }
  return ok;
}

IBitmapTextControl::IBitmapTextControl(IFxBase* pPlug, IRECT pR, IBitmap* pChars, const char* str, IText* pText,
                                       int charWidth, int charHeight, int charOffset)
  : IControl(pPlug, pR), mStr(str ? str : ""), mCharWidth(charWidth), mCharHeight(charHeight),
    mCharOffset(charOffset)
{
  if (pChars) mCharSet = *pChars;
  if (pText) mText = *pText;
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
  if (!str) str = "";
  if (strcmp(str, mStr.Get()) == 0) return;
  SetDirty(false);
  mStr.Set(str);
}

bool IBitmapTextControl::Draw(IGraphics* pGraphics)
{
  if (!mStr.GetLength()) return true;
  return DrawBitmapedText(pGraphics, &mCharSet, &mRECT, &mText, &mBlend, mStr.Get(), true, false, mCharWidth,
                          mCharHeight, mCharOffset);
}
