#pragma once

// PNG decoding through libpng into the library's pixel format: alpha, red,
// green, blue in memory order, not premultiplied; images without alpha get
// 255. All functions run on the editor thread, allocate, and take no locks.
//
// Each returns bmp itself when given (resized to the image), otherwise a new
// RAS_MemBitmap owned by the caller; null on any failure. Images wider or
// taller than RAS_PNG_MAX_SIDE, or whose pixels would need more than
// RAS_PNG_MAX_DECODED_BYTES, are refused before anything is allocated for
// them. A caller's bitmap that fails part-way keeps its new size and whatever
// rows were decoded.

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_ImageLoader.h"

#include <stddef.h>

// The largest side the library's 16.16 fixed-point coordinates can address.
constexpr int RAS_PNG_MAX_SIDE = 32767;
constexpr size_t RAS_PNG_MAX_DECODED_BYTES = (size_t)256 << 20;

// A module handle; resources are not looked up by module on this platform.
typedef void* HINSTANCE;

RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp = nullptr);
// length counts the bytes at data; a stream that ends early fails.
RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, int length, RAS_IBitmap* bmp = nullptr);
// name is relative to the main bundle's Contents/Resources folder (at most
// 400 characters). The main bundle of a plug-in is its host's.
RAS_IBitmap* RAS_LoadPNGFromNamedResource(const char* name, RAS_IBitmap* bmp = nullptr);
// Always null: there are no numbered resources on this platform.
RAS_IBitmap* RAS_LoadPNGFromResource(HINSTANCE hInst, int resid, RAS_IBitmap* bmp = nullptr);

// The PNG entry of the image-loader list (RAS_pngldr).
class RAS_PNGLoader
{
public:
  // Editor thread; allocates. As RAS_LoadPNG; with checkFileName, null unless
  // the name ends in ".png" (any letter case).
  static RAS_IBitmap* loadfunc(const char* filename, bool checkFileName, RAS_IBitmap* bmp);
  // Any thread, no locking or allocation: "PNG files (*.PNG)", "*.PNG".
  static const char* get_extlist();
};

extern RAS_ImageLoader RAS_pngldr;
