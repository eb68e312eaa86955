#pragma once

#include "graphics/IControl.h"
#include "plugin/containers/KIT_String.h"

// Draws str from a strip of character pictures, one frame per printable
// character from the blank (frame 1 = code 32). A line that overflows goes on
// one line below. A zero character width, or a rectangle too narrow for one
// character besides its margins, draws nothing. Editor thread; no allocation.
bool DrawBitmapedText(IGraphics* pGraphics, IBitmap* pChars, IRECT* pR, IText* pStyle, IChannelBlend* pBlend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight, int charOffset);

// A text drawn with a character-strip bitmap instead of a font.
class IBitmapTextControl : public IControl
{
public:
  IBitmapTextControl(IFxBase* pPlug, IRECT pR, IBitmap* pChars, const char* str = "", IText* pText = nullptr,
                     int charWidth = 6, int charHeight = 12, int charOffset = 0);

  // Editor thread; allocates when the text grows. A changed text marks the
  // control dirty.
  void SetTextFromPlug(const char* str);
  const char* GetTextString() const { return mStr.Get(); }
  // Editor thread, inside the drawing pass; no allocation.
  bool Draw(IGraphics* pGraphics) override;

protected:
  KIT_String mStr;
  int mCharWidth, mCharHeight, mCharOffset;
  IBitmap mCharSet;
};
