#include "graphics/IControl.h"

#include "graphics/IGraphics.h"
#include "graphics/ITextControl.h"
#include "plugin/plugin.h"

#include <cmath>
#include <cstring>

IControl::IControl(IFxBase* pPlug, IRECT pR, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
  : mPlug(pPlug), mRECT(pR), mTargetRECT(pR), mParamIdx(paramIdx), mAuxParams(64), mBlend(blendMethod, 1.0f)
{
}

void IControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y;
  if (pMod && pMod->R) PromptUserInput();
}

void IControl::OnMouseUp(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
}

void IControl::OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod)
{
  (void)x; (void)y; (void)dX; (void)dY; (void)pMod;
}

void IControl::OnMouseDblClick(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  if (mDefaultValue >= 0.0)
  {
    mValue = mDefaultValue;
    SetDirty(true);
  }
}

void IControl::OnMouseWheel(int x, int y, IMouseMod* pMod, int d)
{
  (void)x; (void)y;
  const bool fine = pMod && (pMod->C || pMod->S);
  mValue += (double)d * (fine ? 0.001 : 0.01);
  SetDirty(true);
}

bool IControl::OnKeyDown(int x, int y, int key)
{
  (void)x; (void)y; (void)key;
  return false;
}

void IControl::OnMouseOver(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
}

void IControl::OnMouseOut() {}

bool IControl::Draw(IGraphics* pGraphics)
{
  (void)pGraphics;
  return true;
}

void IControl::SetValueFromPlug(double value)
{
  if (mDefaultValue < 0.0) mValue = mDefaultValue = value;
  if (mValue == value) return;
  mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::TextFromTextEntry(const char* txt)
{
  (void)txt;
}

void IControl::Hide(bool hide)
{
  mHide = hide;
  mRedraw = true;
  SetDirty(false);
}

void IControl::GrayOut(bool gray)
{
  mGrayed = gray;
  mBlend.mWeight = gray ? 0.25f : 1.0f;
  SetDirty(false);
}

bool IControl::IsHit(int x, int y)
{
  return mTargetRECT.Contains(x, y);
}

double IControl::ClampValue(double value, double lo, double hi)
{
  if (std::isnan(value) || value < lo) return lo;
  return value < hi ? value : hi;
}

void IControl::SetDirty(bool pushToPlug)
{
  mValue = ClampValue(mValue, mClampLo, mClampHi);
  mDirty = true;
  if (!pushToPlug || !mPlug) return;
  IParam* pParam = GetParam();
  if (!pParam) return;
  mPlug->SetParameterFromGUI(mParamIdx, mValue);
  UpdateDisplayControls(pParam);
}

void IControl::UpdateDisplayControls(IParam* pParam)
{
  if (mValueDisplayControl)
  {
    char display[MAX_PARAM_DISPLAY_LEN];
    pParam->GetDisplayForHost(display);
    char text[MAX_PARAM_DISPLAY_LEN + 1 + MAX_PARAM_LABEL_LEN];
    CopyTextField(text, MAX_PARAM_DISPLAY_LEN, display);
    strcat(text, " ");
    const size_t used = strlen(text);
    CopyTextField(text + used, MAX_PARAM_LABEL_LEN, pParam->GetLabelForHost());
    mValueDisplayControl->SetTextFromPlug(text);
  }
  if (mNameDisplayControl) mNameDisplayControl->SetTextFromPlug(pParam->GetNameForHost());
}

void IControl::SetClean()
{
  mDirty = mRedraw;
  mRedraw = false;
}

bool IControl::IsDirty()
{
  return mDirty;
}

void IControl::OnGUIIdle() {}

void IControl::SetAuxParamValueFromPlug(int auxParamIdx, double value)
{
  AuxParam* pAux = GetAuxParam(auxParamIdx);
  if (!pAux || pAux->mValue == value) return;
  pAux->mValue = value;
  SetDirty(false);
  mRedraw = true;
}

void IControl::SetValueFromUserInput(double value)
{
  if (mValue == value) return;
  mValue = value;
  SetDirty(true);
  mRedraw = true;
}

void IControl::PromptUserInput()
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* pParam = GetParam();
  if (!pParam) return;
  if (pParam->GetNDisplayTexts())
  {
    PromptUserInput(&mRECT);
    return;
  }
  const int cx = (int)mRECT.MidX(), cy = (int)mRECT.MidY();
  IRECT box(cx - 15, cy - 8, cx + 15, cy + 8);
  PromptUserInput(&box);
}

void IControl::PromptUserInput(IRECT* pR)
{
  if (mParamIdx < 0 || mDisablePrompt) return;
  IParam* pParam = GetParam();
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!pParam || !pGraphics) return;
  pGraphics->PromptUserInput(this, pParam, pR);
  mRedraw = true;
}

void IControl::AddAuxParam(int paramIdx)
{
  const int n = mAuxParams.GetSize();
  if (!mAuxParams.TryResize(n + 1)) return;
  mAuxParams.Get()[n] = AuxParam(paramIdx);
}

IControl::AuxParam* IControl::GetAuxParam(int auxIdx)
{
  if (auxIdx < 0 || auxIdx >= mAuxParams.GetSize()) return nullptr;
  return mAuxParams.Get() + auxIdx;
}

int IControl::AuxParamIdx(int paramIdx) const
{
  const int n = mAuxParams.GetSize();
  for (int i = 0; i < n; ++i)
    if (mAuxParams.Get()[i].mParamIdx == paramIdx) return i;
  return -1;
}

void IControl::SetAllAuxParamsFromGUI()
{
  if (!mPlug) return;
  const int n = mAuxParams.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const AuxParam aux = mAuxParams.Get()[i];
    if (mPlug->GetParam(aux.mParamIdx)) mPlug->SetParameterFromGUI(aux.mParamIdx, ClampValue(aux.mValue, 0.0, 1.0));
  }
}

IParam* IControl::GetParam() const
{
  return (mPlug && mParamIdx >= 0) ? mPlug->GetParam(mParamIdx) : nullptr;
}
