#pragma once

#include "graphics/IText.h"
#include "plugin/containers/KIT_Mutex.h"
#include "plugin/containers/KIT_PtrList.h"

class RAS_IFont;

// The process-wide font cache: one raster font per (size, orientation, style,
// face name), owned here and deleted at process exit. Colour, alignment and
// quality are not part of the key, so styles differing only in those share
// the font made for the first of them. Any thread; every operation holds the
// cache's re-entrant mutex for its duration.
class FontStorage
{
public:
  FontStorage() = default;
  // Process exit: deletes every font, then every key.
  ~FontStorage();

  FontStorage(const FontStorage&) = delete;
  FontStorage& operator=(const FontStorage&) = delete;

  // The one instance, made while the library loads and kept until exit.
  static FontStorage& Instance();

  // Any thread, locks: the font of the first key matching the style, or null.
  RAS_IFont* Find(const IText* pTxt);
  // Any thread, locks, allocates: appends a key built from the style. A style
  // whose face name is not terminated within its field is refused (false,
  // the font not taken).
  bool Add(RAS_IFont* pFont, const IText* pTxt);

  // Any thread, locks.
  int GetNKeys();

  KIT_Mutex& Mutex() { return mMutex; }

private:
  struct Key
  {
    int mSize, mOrientation, mStyle;
    char mFace[MAX_FONT_NAME_LEN];
    RAS_IFont* mFont;
  };

  KIT_PtrList<Key> mKeys;
  KIT_Mutex mMutex;
};
