#pragma once

#include "graphics/ITextControl.h"

class IParam;

// Shows its parameter's value as text (with the unit label when asked) and
// opens the value prompt on a click.
class ICaptionControl : public ITextControl
{
public:
  ICaptionControl(IFxBase* pPlug, IRECT pR, int paramIdx, IText* pText, bool showParamLabel = true);

  // Editor thread; may open a prompt (allocates). Left or right button.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread; may open a prompt (allocates).
  void OnMouseDblClick(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; allocates when the text grows.
  bool Draw(IGraphics* pGraphics) override;

  // The parameter's current display text, then one blank and its label when
  // withLabel; display and label are each cut to their fields. out holds
  // kParamTextLen bytes.
  static constexpr int kParamTextLen = 32 + 1 + 32;
  static void ParamText(const IParam* pParam, bool withLabel, char* out);

protected:
  bool mShowParamLabel;
};
