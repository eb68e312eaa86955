#pragma once

#include "graphics/IBitmap.h"
#include "graphics/IChannelBlend.h"
#include "graphics/IMouseMod.h"
#include "graphics/IRECT.h"
#include "graphics/IText.h"
#include "plugin/containers/KIT_TypedBuf.h"

class IFxBase;
class IGraphics;
class IParam;
class ITextControl;

// One rectangle of the editor that paints itself, answers the mouse and may
// follow one plug-in parameter through a normalised value in [0, 1]. The
// graphics manager owns its controls. Unless said otherwise every operation
// runs on the editor thread and may neither lock nor allocate; the two
// FromPlug setters may also arrive on a host thread under the plug-in's lock.
class IControl
{
public:
  // A further parameter a control follows besides its own.
  struct AuxParam
  {
    double mValue;
    int mParamIdx;
    explicit AuxParam(int paramIdx) : mValue(0.0), mParamIdx(paramIdx) {}
  };

  IControl(IFxBase* pPlug, IRECT pR, int paramIdx = -1,
           IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
  IControl(const IControl&) = delete;
  IControl& operator=(const IControl&) = delete;
  // Editor thread; frees the auxiliary-parameter array only.
  virtual ~IControl() = default;

  // Editor thread; may open a prompt (allocates). Right button: prompt.
  virtual void OnMouseDown(int x, int y, IMouseMod* pMod);
  // Editor thread; no lock, no allocation.
  virtual void OnMouseUp(int x, int y, IMouseMod* pMod);
  // Editor thread; SetDirty(true) paths take the plug-in's lock.
  virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* pMod);
  // Editor thread; takes the plug-in's lock when it moves the value.
  virtual void OnMouseDblClick(int x, int y, IMouseMod* pMod);
  // Editor thread; takes the plug-in's lock.
  virtual void OnMouseWheel(int x, int y, IMouseMod* pMod, int d);
  // Editor thread; no lock. True when the key was used.
  virtual bool OnKeyDown(int x, int y, int key);
  // Editor thread; no lock, no allocation.
  virtual void OnMouseOver(int x, int y, IMouseMod* pMod);
  // Editor thread; no lock, no allocation.
  virtual void OnMouseOut();
  // Editor thread, inside the drawing pass; may allocate (fonts on first use).
  virtual bool Draw(IGraphics* pGraphics);
  // Editor or host thread (under the plug-in's lock); no allocation.
  virtual void SetValueFromPlug(double value);
  // Editor thread, when a text entry without a parameter ends; may allocate.
  virtual void TextFromTextEntry(const char* txt);
  // Editor thread; no lock.
  virtual void Hide(bool hide);
  // Editor thread; no lock.
  virtual void GrayOut(bool gray);
  // Editor thread; no lock, no allocation.
  virtual bool IsHit(int x, int y);
  // Editor thread; with pushToPlug the plug-in's lock is taken.
  virtual void SetDirty(bool pushToPlug = true);
  // Editor thread, by the drawing pass; no lock.
  virtual void SetClean();
  // Editor thread, by the drawing pass; no lock.
  virtual bool IsDirty();
  // Editor thread, at the platform's idle; may allocate.
  virtual void OnGUIIdle();
  // Editor or host thread (under the plug-in's lock); no allocation.
  virtual void SetAuxParamValueFromPlug(int auxParamIdx, double value);

  // Editor thread; takes the plug-in's lock.
  void SetValueFromUserInput(double value);
  // Editor thread; may open a menu or a text entry.
  void PromptUserInput();
  void PromptUserInput(IRECT* pR);

  // Editor thread, while building the editor; allocates.
  void AddAuxParam(int paramIdx);
  AuxParam* GetAuxParam(int auxIdx);
  int AuxParamIdx(int paramIdx) const;
  int NAuxParams() const { return mAuxParams.GetSize(); }
  // Editor thread; takes the plug-in's lock once per entry.
  void SetAllAuxParamsFromGUI();

  // The plug-in's parameter this control follows, or null when it follows
  // none or an index the plug-in does not have.
  IParam* GetParam() const;

  IRECT* GetRECT() { return &mRECT; }
  IRECT* GetTargetRECT() { return &mTargetRECT; }
  void SetTargetArea(IRECT r) { mTargetRECT = r; }
  int ParamIdx() const { return mParamIdx; }
  double GetValue() const { return mValue; }
  double GetDefault() const { return mDefaultValue; }
  IText* GetText() { return &mText; }
  const IChannelBlend* GetBlend() const { return &mBlend; }
  IFxBase* GetPlug() const { return mPlug; }

  void SetValueDisplayControl(ITextControl* pValueDisplay) { mValueDisplayControl = pValueDisplay; }
  void SetNameDisplayControl(ITextControl* pNameDisplay) { mNameDisplayControl = pNameDisplay; }
  void SetTooltip(const char* tooltip) { mTooltip = tooltip; }
  const char* GetTooltip() const { return mTooltip; }
  void SetTextEntryLength(int len) { mTextEntryLength = len; }
  int GetTextEntryLength() const { return mTextEntryLength; }
  void SetClampRange(double lo, double hi) { mClampLo = lo; mClampHi = hi; }
  void DisablePrompt(bool disable) { mDisablePrompt = disable; }
  void SetDblAsSingleClick(bool dblAsSingle) { mDblAsSingleClick = dblAsSingle; }
  bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
  void SetMOWhenGrayed(bool allow) { mMOWhenGrayedOut = allow; }
  bool GetMOWhenGrayed() const { return mMOWhenGrayedOut; }
  bool IsHidden() const { return mHide; }
  bool IsGrayed() const { return mGrayed; }

protected:
  // Clamp and NaN rule of SetDirty, as one pure function: NaN gives lo.
  static double ClampValue(double value, double lo, double hi);
  // Brings the value and name display controls up to date with the parameter.
  void UpdateDisplayControls(IParam* pParam);

  int mTextEntryLength = 32;
  IText mText;
  IFxBase* mPlug;
  IRECT mRECT;
  IRECT mTargetRECT;
  int mParamIdx;
  KIT_TypedBuf<AuxParam> mAuxParams;
  double mValue = 0.0;
  double mDefaultValue = -1.0;
  double mClampLo = 0.0;
  double mClampHi = 1.0;
  bool mDirty = true;
  bool mHide = false;
  bool mGrayed = false;
  bool mRedraw = false;
  bool mDisablePrompt = true;
  bool mDblAsSingleClick = false;
  bool mMOWhenGrayedOut = false;
  IChannelBlend mBlend;
  ITextControl* mValueDisplayControl = nullptr;
  ITextControl* mNameDisplayControl = nullptr;
  const char* mTooltip = nullptr;
};
