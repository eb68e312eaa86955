#include "graphics/IURLControl.h"

#include "graphics/IGraphics.h"
#include "plugin/plugin.h"

#include <cstring>

IURLControl::IURLControl(IFxBase* pPlug, IRECT pR, const char* url, const char* backupURL,
                         const char* errMsgOnFailure)
  : IControl(pPlug, pR)
{
  memset(mURL, 0, sizeof mURL);
  memset(mBackupURL, 0, sizeof mBackupURL);
  memset(mErrMsg, 0, sizeof mErrMsg);
  if (url && *url) CopyTextField(mURL, kURLLen, url);
  if (backupURL && *backupURL) CopyTextField(mBackupURL, kURLLen, backupURL);
  if (errMsgOnFailure && *errMsgOnFailure) CopyTextField(mErrMsg, kURLLen, errMsgOnFailure);
}

void IURLControl::OnMouseDown(int x, int y, IMouseMod* pMod)
{
  (void)x; (void)y; (void)pMod;
  IGraphics* pGraphics = mPlug ? mPlug->GetGUI() : nullptr;
  if (!pGraphics) return;
  if (mURL[0] && pGraphics->OpenURL(mURL, mErrMsg, nullptr, nullptr)) return;
  if (mBackupURL[0]) pGraphics->OpenURL(mBackupURL, mErrMsg, nullptr, nullptr);
}
