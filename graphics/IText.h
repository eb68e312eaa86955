#pragma once

#include "graphics/IColor.h"

class RAS_CachedFont;

// Size of a text style's face name, terminator included.
constexpr int MAX_FONT_NAME_LEN = 32;

// A text style. The cached font is filled by the first draw and shared with
// the font cache, which owns it; copying a style shares it too.
struct IText
{
  enum EStyle : int
  {
    kStyleNormal = 0,
    kStyleBold = 1,
    kStyleItalic = 2
  };
  enum EAlign : int
  {
    kAlignNear = 0,
    kAlignCenter = 1,
    kAlignFar = 2
  };
  enum EQuality : int
  {
    kQualityDefault = 0,
    kQualityNonAntiAliased = 1,
    kQualityAntiAliased = 2,
    kQualityClearType = 3
  };

  char mFont[MAX_FONT_NAME_LEN];
  int mSize;
  IColor mColor;
  IColor mTextEntryBGColor;
  IColor mTextEntryFGColor;
  EStyle mStyle;
  EAlign mAlign;
  int mOrientation; // degrees counter-clockwise
  EQuality mQuality;
  RAS_CachedFont* mCached;

  // A face name that does not fit is refused and the default face kept.
  IText(int size = 10, const IColor* pColor = nullptr, const char* font = nullptr, EStyle style = kStyleNormal,
        EAlign align = kAlignCenter, int orientation = 0, EQuality quality = kQualityDefault,
        const IColor* pTEBGColor = nullptr, const IColor* pTEFGColor = nullptr);

  // Sets the face name. A name of MAX_FONT_NAME_LEN bytes or more is refused
  // (false, face unchanged): cutting it would name another font. Null is "".
  bool SetFont(const char* font);

  // False when a caller filled the face name without a terminator: such a
  // style names no font and is drawn with none.
  bool FontNameFits() const;
};
