#pragma once

#include "graphics/ITextControl.h"

// A text the user types into the platform's text entry; no parameter.
class IUserTextControl : public ITextControl
{
public:
  IUserTextControl(IFxBase* pPlug, IRECT pR, IText* pText, const char* str = "");

  // Editor thread; opens the platform's text entry (allocates).
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread, when the entry ends; allocates when the text grows.
  void TextFromTextEntry(const char* txt) override;
};
