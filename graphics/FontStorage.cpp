#include "graphics/FontStorage.h"

#include "plugin/IParam.h"
#include "raster/raster.h"

#include <string.h>

namespace
{
const bool gFontStorageReady = (FontStorage::Instance(), true);
} // namespace

FontStorage& FontStorage::Instance()
{
  static FontStorage storage;
  return storage;
}

FontStorage::~FontStorage()
{
  KIT_MutexLock lock(mMutex);
  for (int i = mKeys.GetSize() - 1; i >= 0; --i)
  {
    delete mKeys.Get(i)->mFont;
    mKeys.Get(i)->mFont = nullptr;
  }
  mKeys.Empty(true);
}

RAS_IFont* FontStorage::Find(const IText* pTxt)
{
  if (!pTxt || !pTxt->FontNameFits()) return nullptr;
  KIT_MutexLock lock(mMutex);
  const int n = mKeys.GetSize();
  for (int i = 0; i < n; ++i)
  {
    const Key* k = mKeys.Get(i);
    if (k->mSize == pTxt->mSize && k->mOrientation == pTxt->mOrientation && k->mStyle == (int)pTxt->mStyle &&
        strcmp(k->mFace, pTxt->mFont) == 0)
      return k->mFont;
  }
  return nullptr;
}

bool FontStorage::Add(RAS_IFont* pFont, const IText* pTxt)
{
  if (!pFont || !pTxt || !pTxt->FontNameFits()) return false;
  Key* k = new Key;
  k->mSize = pTxt->mSize;
  k->mOrientation = pTxt->mOrientation;
  k->mStyle = (int)pTxt->mStyle;
  CopyTextField(k->mFace, MAX_FONT_NAME_LEN, pTxt->mFont);
  k->mFont = pFont;
  KIT_MutexLock lock(mMutex);
  if (mKeys.Add(k)) return true;
  delete k;
  return false;
}

int FontStorage::GetNKeys()
{
  KIT_MutexLock lock(mMutex);
  return mKeys.GetSize();
}
