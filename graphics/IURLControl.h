#pragma once

#include "graphics/IControl.h"

// An invisible area that opens a web address when clicked, and a second one
// when the first cannot be opened.
class IURLControl : public IControl
{
public:
  static constexpr int kURLLen = 512;

  // Each text is copied up to kURLLen - 1 bytes (cut at a whole UTF-8
  // character); null or empty leaves it empty.
  IURLControl(IFxBase* pPlug, IRECT pR, const char* url, const char* backupURL = nullptr,
              const char* errMsgOnFailure = nullptr);

  // Editor thread; the platform opens the address (may allocate).
  void OnMouseDown(int x, int y, IMouseMod* pMod) override;

  const char* GetURL() const { return mURL; }
  const char* GetBackupURL() const { return mBackupURL; }
  const char* GetErrMsg() const { return mErrMsg; }

protected:
  char mURL[kURLLen];
  char mBackupURL[kURLLen];
  char mErrMsg[kURLLen];
};
