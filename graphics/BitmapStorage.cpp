#include "graphics/BitmapStorage.h"

#include "raster/raster.h"

namespace
{
// Construct at load time so that two editors opening at once never race to
// make the cache.
const bool gBitmapStorageReady = (BitmapStorage::Instance(), true);
} // namespace

BitmapStorage& BitmapStorage::Instance()
{
  static BitmapStorage storage;
  return storage;
}

BitmapStorage::~BitmapStorage()
{
  KIT_MutexLock lock(mMutex);
  for (int i = mKeys.GetSize() - 1; i >= 0; --i)
  {
    Key* k = mKeys.Get(i);
    // A bitmap still held by an earlier key is deleted when that key goes.
    if (k->mBitmap && IndexOf(k->mBitmap) == i) delete k->mBitmap;
  }
  mKeys.Empty(true);
}

int BitmapStorage::IndexOf(const RAS_IBitmap* pBitmap, int from)
{
  const int n = mKeys.GetSize();
  for (int i = from; i < n; ++i)
    if (mKeys.Get(i)->mBitmap == pBitmap) return i;
  return -1;
}

RAS_IBitmap* BitmapStorage::Find(int ID)
{
  KIT_MutexLock lock(mMutex);
  const int n = mKeys.GetSize();
  for (int i = 0; i < n; ++i)
  {
    Key* k = mKeys.Get(i);
    if (k->mID == ID) return k->mBitmap;
  }
  return nullptr;
}

bool BitmapStorage::Add(RAS_IBitmap* pBitmap, int ID)
{
  if (!pBitmap) return false;
  KIT_MutexLock lock(mMutex);
  if (IndexOf(pBitmap) >= 0) return true;
  Key* k = new Key{ID, pBitmap};
  if (mKeys.Add(k)) return true;
  delete k;
  return false;
}

void BitmapStorage::Remove(RAS_IBitmap* pBitmap)
{
  if (!pBitmap) return;
  KIT_MutexLock lock(mMutex);
  int i = IndexOf(pBitmap);
  while (i >= 0 && mKeys.Get(i)->mID != -1) i = IndexOf(pBitmap, i + 1);
  if (i < 0) return;
  mKeys.Delete(i, true);
  if (IndexOf(pBitmap) < 0) delete pBitmap;
}

int BitmapStorage::GetNKeys()
{
  KIT_MutexLock lock(mMutex);
  return mKeys.GetSize();
}

bool BitmapStorage::Holds(const RAS_IBitmap* pBitmap)
{
  KIT_MutexLock lock(mMutex);
  return IndexOf(pBitmap) >= 0;
}
