#include "graphics/ICaptionControl.h"

#include "graphics/IGraphics.h"
#include "plugin/plugin.h"

#include <cstring>

ICaptionControl::ICaptionControl(IFxBase* pPlug, IRECT pR, int paramIdx, IText* pText, bool showParamLabel)
  : ITextControl(pPlug, pR, pText, ""), mShowParamLabel(showParamLabel)
{
  mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y;
  if (pMod && (pMod->L || pMod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  PromptUserInput();
}

void ICaptionControl::ParamText(const IParam* pParam, bool withLabel, char* out)
{
  char display[MAX_PARAM_DISPLAY_LEN];
  pParam->GetDisplayForHost(display);
  CopyTextField(out, MAX_PARAM_DISPLAY_LEN, display);
  if (!withLabel) return;
  strcat(out, " ");
  const size_t used = strlen(out);
  CopyTextField(out + used, MAX_PARAM_LABEL_LEN, pParam->GetLabelForHost());
}

bool ICaptionControl::Draw(IGraphics* pGraphics)
{
  if (const IParam* pParam = GetParam())
  {
    char text[kParamTextLen];
    ParamText(pParam, mShowParamLabel, text);
    mStr.Set(text);
  }
  return ITextControl::Draw(pGraphics);
}
