#pragma once

// The library's list of image loaders. Each decoder puts one record at the
// head of RAS_ImageLoader_list from a static initializer when the program is
// loaded, so a caller can offer every known format without naming it.

#include "raster/RAS_Bitmap.h"

struct RAS_ImageLoader
{
  // Editor thread; allocates. Decodes filename into bmp (resized to the
  // image) or, when bmp is null, into a new bitmap the caller owns. With
  // checkFileName, a name without the loader's extension gives null at once.
  RAS_IBitmap* (*loadfunc)(const char* filename, bool checkFileName, RAS_IBitmap* bmp);
  // Any thread, no locking or allocation: a file-dialog filter list, pairs of
  // description and pattern, each NUL-terminated, the list ended by a second
  // NUL.
  const char* (*get_extlist)();
  RAS_ImageLoader* _next;
};

// Head of the list; written only by static initializers.
extern RAS_ImageLoader* RAS_ImageLoader_list;
