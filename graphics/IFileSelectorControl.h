#pragma once

#include "graphics/IGraphics.h"
#include "graphics/IControl.h"
#include "plugin/containers/KIT_String.h"

// A button that asks the user for a file through the platform's dialog and
// keeps the answer for the plug-in. Its picture shows only while the dialog
// is open.
class IFileSelectorControl : public IControl
{
public:
  enum EFileSelectorState
  {
    kFSNone = 0,
    kFSSelecting = 1,
    kFSDone = 2
  };

  // A new selector is idle with no file chosen; dir is the folder the dialog
  // opens in and extensions the allowed ones, separated by blanks.
  IFileSelectorControl(IFxBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap, EFileAction action,
                       const char* dir = "", const char* extensions = "");

  // Editor thread; modal (the platform's dialog), allocates; takes the
  // plug-in's lock.
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;
  // Editor thread, inside the drawing pass; no lock, no allocation.
  bool Draw(IGraphics* pGraphics) override;
  // Editor thread, by the drawing pass; no lock. A finished selection reads
  // dirty once more, even after the control was cleaned.
  bool IsDirty() override;

  // Editor thread; allocates.
  void GetLastSelectedFileForPlug(KIT_String* pStr) const;
  void SetLastSelectedFileFromPlug(const char* file);
  EFileSelectorState GetState() const { return mState; }
  const char* GetDir() const { return mDir.Get(); }

protected:
  IBitmap mBitmap;
  KIT_String mDir, mFile, mExtensions;
  EFileAction mFileAction;
  EFileSelectorState mState = kFSNone;
};
