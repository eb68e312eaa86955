#include "graphics/IGraphics.h"

#include "graphics/IBitmapControl.h"
#include "graphics/IControl.h"
#include "graphics/IPanelControl.h"
#include "graphics/IPopupMenu.h"
#include "plugin/plugin.h"

#include <cmath>
#include <cstring>

namespace
{
// A value from the plug-in as a normalised position: outside values are
// clamped; NaN names no position and is refused.
bool ToPosition(double* pValue)
{
  if (std::isnan(*pValue)) return false;
  *pValue = *pValue < 0.0 ? 0.0 : (*pValue > 1.0 ? 1.0 : *pValue);
  return true;
}
} // namespace

void IGraphics::AttachBackground(int ID, const char* name)
{
  IBitmap bg = LoadIBitmap(ID, name, 1, false);
  IControl* pBG = new IBitmapControl(mPlug, 0, 0, -1, &bg, IChannelBlend::kBlendClobber);
  if (!mControls.Insert(0, pBG)) delete pBG;
}

void IGraphics::AttachPanelBackground(const IColor* pColor)
{
  IControl* pBG = new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), pColor);
  if (!mControls.Insert(0, pBG)) delete pBG;
}

int IGraphics::AttachControl(IControl* pControl)
{
  if (!pControl) return -1;
  if (!mControls.Add(pControl))
  {
    delete pControl;
    return -1;
  }
  return mControls.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* pControl)
{
  if (pControl == mKeyCatcher) return;
  delete mKeyCatcher;
  mKeyCatcher = pControl;
}

void IGraphics::Resize(int w, int h)
{
  if (w < 0 || h < 0) return;
  // An open text entry or a captured control would otherwise deliver its
  // next event to a control deleted below.
  ForceEndUserEdit();
  ReleaseMouseCapture();
  mMouseOver = -1;
  mWidth = w;
  mHeight = h;
  mControls.Empty(true);
  PrepDraw();
  if (mPlug) mPlug->ResizeGraphics(w, h);
}

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
  if (!normalized)
  {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    value = pParam->GetNormalized(value);
  }
  if (!ToPosition(&value)) return;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromPlug(value);
    const int auxIdx = pControl->AuxParamIdx(paramIdx);
    if (auxIdx >= 0) pControl->SetAuxParamValueFromPlug(auxIdx, value);
  }
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
  IControl* pControl = mControls.Get(controlIdx);
  if (pControl && ToPosition(&normalizedValue)) pControl->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (pControl->ParamIdx() == paramIdx) pControl->SetValueFromUserInput(normalizedValue);
  }
}

void IGraphics::SetAllControlsDirty()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->SetDirty(false);
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->Hide(hide);
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->GrayOut(gray);
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
  if (!normalized)
  {
    IParam* pParam = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (!pParam) return;
    lo = pParam->GetNormalized(lo);
    hi = pParam->GetNormalized(hi);
  }
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
    if (mControls.Get(i)->ParamIdx() == paramIdx) mControls.Get(i)->SetClampRange(lo, hi);
}

void IGraphics::OnGUIIdle()
{
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i) mControls.Get(i)->OnGUIIdle();
}

bool IGraphics::IsDirty(IRECT* pR)
{
  bool dirty = false;
  const int n = mControls.GetSize();
  for (int i = 0; i < n; ++i)
  {
    IControl* pControl = mControls.Get(i);
    if (!pControl->IsDirty()) continue;
    if (pR) *pR = pR->Union(pControl->GetRECT());
    dirty = true;
  }
  return dirty;
}

void IGraphics::SetStrictDrawing(bool strict)
{
  mStrict = strict;
  SetAllControlsDirty();
}

bool IGraphics::Draw(IRECT* pR)
{
  const int n = mControls.GetSize();
  if (!n) return true;
  if (!mDrawBitmap) PrepDraw();
  // Without a region the whole editor is repainted.
  IRECT whole(0, 0, mWidth, mHeight);
  if (!pR) pR = &whole;

  if (mStrict)
  {
    mDrawRECT = *pR;
    for (int i = 0; i < n; ++i)
    {
      IControl* pControl = mControls.Get(i);
      if (!pControl->IsHidden() && pR->Intersects(pControl->GetRECT())) pControl->Draw(this);
    }
    for (int i = 0; i < n; ++i) mControls.Get(i)->SetClean();
  }
  else
  {
    IControl* pBG = mControls.Get(0);
    if (pBG->IsDirty())
    {
      mDrawRECT = *pBG->GetRECT();
      for (int i = 0; i < n; ++i)
      {
        IControl* pControl = mControls.Get(i);
        if (i && pControl->IsHidden()) continue;
        pControl->Draw(this);
        pControl->SetClean();
      }
    }
    else
    {
      for (int i = 1; i < n; ++i)
      {
        IControl* pDirty = mControls.Get(i);
        if (!pDirty->IsDirty()) continue;
        mDrawRECT = *pDirty->GetRECT();
        for (int j = 0; j < n; ++j)
        {
          IControl* pControl = mControls.Get(j);
          if (pControl->IsHidden()) continue;
          if (j == i || mDrawRECT.Intersects(pControl->GetRECT())) pControl->Draw(this);
        }
        pDirty->SetClean();
      }
    }
  }
  return DrawScreen(pR);
}

void IGraphics::PromptUserInput(IControl* pControl, IParam* pParam, IRECT* pR)
{
  if (!pControl || !pParam || !pR) return;
  const int n = pParam->GetNDisplayTexts();
  const IParam::EParamType type = pParam->Type();
  if (type == IParam::kTypeEnum || (type == IParam::kTypeBool && n > 0))
  {
    char current[MAX_PARAM_DISPLAY_LEN];
    pParam->GetDisplayForHost(current);
    IPopupMenu menu;
    for (int i = 0; i < n; ++i)
    {
      const char* text = pParam->GetDisplayText(i);
      const bool checked = strcmp(text, current) == 0;
      menu.AddItem(text, -1, checked ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
    }
    // A modal menu swallows the mouse up that would end a gesture.
    ReleaseMouseCapture();
    IPopupMenu* pChosen = CreateIPopupMenu(&menu, pR);
    if (!pChosen) return;
    const int chosen = pChosen->GetChosenItemIdx();
    if (chosen < 0 || chosen >= pChosen->GetNItems()) return;
    const int gesture = BeginGesture(pControl);
    pControl->SetValueFromUserInput(pParam->GetNormalized((double)chosen));
    EndGesture(gesture);
    return;
  }
  char current[MAX_PARAM_DISPLAY_LEN];
  pParam->GetDisplayForHost(current, false);
  CreateTextEntry(pControl, pControl->GetText(), pR, current, pParam);
}

void IGraphics::SetFromStringAfterPrompt(IControl* pControl, IParam* pParam, const char* txt)
{
  if (!pParam || !pControl) return;
  const double v = pParam->GetNormalizedFromText(txt ? txt : "");
  const int gesture = BeginGesture(pControl);
  pControl->SetValueFromUserInput(v);
  EndGesture(gesture);
}
