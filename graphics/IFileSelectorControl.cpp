#include "graphics/IFileSelectorControl.h"

#include "plugin/plugin.h"

IFileSelectorControl::IFileSelectorControl(IFxBase* pPlug, IRECT pR, int paramIdx, IBitmap* pBitmap,
                                           EFileAction action, const char* dir, const char* extensions)
  : IControl(pPlug, pR, paramIdx), mDir(dir ? dir : ""), mFile(""), mExtensions(extensions ? extensions : ""),
    mFileAction(action)
{
  if (pBitmap) mBitmap = *pBitmap;
}

void IFileSelectorControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!pGraphics) return;
  mState = kFSSelecting;
  SetDirty(false);
  pGraphics->PromptForFile(&mFile, mFileAction, &mDir, const_cast<char*>(mExtensions.Get()));
  mValue += 1.0;
  if (mValue > 1.0) mValue = 0.0;
  mState = kFSDone;
  SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* pGraphics)
{
  if (mState != kFSSelecting) return true;
  return pGraphics->DrawBitmap(&mBitmap, &mRECT, 0, 0, nullptr);
}

bool IFileSelectorControl::IsDirty()
{
  if (mDirty) return true;
  if (mState == kFSDone)
  {
    mState = kFSNone;
    return true;
  }
  return false;
}

void IFileSelectorControl::GetLastSelectedFileForPlug(KIT_String* pStr) const
{
  if (pStr) pStr->Set(mFile.Get());
}

void IFileSelectorControl::SetLastSelectedFileFromPlug(const char* file)
{
  mFile.Set(file ? file : "");
}
