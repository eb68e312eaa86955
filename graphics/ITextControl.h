#pragma once

#include "graphics/IControl.h"
#include "plugin/containers/KIT_String.h"

// A control that shows a line of text in its style; it is also what a control
// names as its value or name display.
class ITextControl : public IControl
{
public:
  ITextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str = "");

  // Editor thread, inside the drawing pass; may allocate (the font on first use).
  bool Draw(IGraphics* pGraphics) override;

  // Editor thread; allocates when the text grows. Stores a changed text and
  // marks the control dirty; the same text leaves it clean.
  void SetTextFromPlug(const char* str);
  const char* GetTextString() const { return mStr.Get(); }

protected:
  KIT_String mStr;
};
