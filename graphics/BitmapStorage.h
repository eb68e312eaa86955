#pragma once

#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_PtrList.h"

class RAS_IBitmap;

// The process-wide image cache: every image an editor loads, retains, scales
// or crops, keyed by resource ID (-1 for the editor's own bitmaps), owned
// here and deleted at process exit. Any thread; every operation holds the
// cache's re-entrant mutex for its duration.
class BitmapStorage
{
public:
  BitmapStorage() = default;
  // Process exit: deletes every bitmap once, however many keys held it.
  ~BitmapStorage();

  BitmapStorage(const BitmapStorage&) = delete;
  BitmapStorage& operator=(const BitmapStorage&) = delete;

  // The one instance, made while the library loads and kept until exit.
  static BitmapStorage& Instance();

  // Any thread, locks: the bitmap of the first key with this ID, or null.
  RAS_IBitmap* Find(int ID);
  // Any thread, locks, allocates: appends a key. A bitmap the cache already
  // holds adds nothing: one key per bitmap keeps Remove from freeing an image
  // another key still hands out. True when the cache holds the bitmap.
  bool Add(RAS_IBitmap* pBitmap, int ID = -1);
  // Any thread, locks, frees: removes the retained (ID -1) key of the bitmap
  // and deletes the bitmap once no key holds it. An image held under a
  // resource ID stays: other editors get it again from Find.
  void Remove(RAS_IBitmap* pBitmap);

  // Any thread, locks.
  int GetNKeys();
  bool Holds(const RAS_IBitmap* pBitmap);

  // For callers that need several operations to be atomic (re-entrant).
  KIT_Mutex& Mutex() { return mMutex; }

private:
  struct Key
  {
    int mID;
    RAS_IBitmap* mBitmap;
  };

  int IndexOf(const RAS_IBitmap* pBitmap, int from = 0);

  KIT_PtrList<Key> mKeys;
  KIT_Mutex mMutex;
};
