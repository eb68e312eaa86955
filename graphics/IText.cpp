#include "graphics/IText.h"

#include "plugin/IParam.h"

#include <string.h>

namespace
{
const char kDefaultFont[] = "Monaco";
}

IText::IText(int size, const IColor* pColor, const char* font, EStyle style, EAlign align, int orientation,
             EQuality quality, const IColor* pTEBGColor, const IColor* pTEFGColor)
  : mSize(size), mColor(pColor ? *pColor : DEFAULT_TEXT_COLOR),
    mTextEntryBGColor(pTEBGColor ? *pTEBGColor : DEFAULT_TEXT_ENTRY_BGCOLOR),
    mTextEntryFGColor(pTEFGColor ? *pTEFGColor : DEFAULT_TEXT_ENTRY_FGCOLOR), mStyle(style), mAlign(align),
    mOrientation(orientation), mQuality(quality), mCached(nullptr)
{
  CopyTextField(mFont, MAX_FONT_NAME_LEN, kDefaultFont);
  if (font) SetFont(font);
}

bool IText::SetFont(const char* font)
{
  if (!font) font = "";
  if (memchr(font, 0, MAX_FONT_NAME_LEN) == nullptr) return false;
  CopyTextField(mFont, MAX_FONT_NAME_LEN, font);
  return true;
}

bool IText::FontNameFits() const
{
  return memchr(mFont, 0, MAX_FONT_NAME_LEN) != nullptr;
}
