#include "raster/RAS_PNGLoader.h"

#include "raster/RAS_Internal.h"

#include <CoreFoundation/CoreFoundation.h>
#include <png.h>

#include <new>
#include <setjmp.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

// Defined beside the PNG loader so that any program walking the list also
// links the loader's registration below.
RAS_ImageLoader* RAS_ImageLoader_list = nullptr;

RAS_ImageLoader RAS_pngldr;

namespace
{
struct RegisterPNGLoader
{
  RegisterPNGLoader()
  {
    RAS_pngldr.loadfunc = RAS_PNGLoader::loadfunc;
    RAS_pngldr.get_extlist = RAS_PNGLoader::get_extlist;
    RAS_pngldr._next = RAS_ImageLoader_list;
    RAS_ImageLoader_list = &RAS_pngldr;
  }
} s_registerPNGLoader;

// What libpng buffers of any one chunk may need no more than this; the image
// data itself is bounded by the decoded-size limit.
constexpr png_alloc_size_t kMaxChunkBytes = (png_alloc_size_t)8 << 20;

constexpr int kMaxNamedResourceLength = 400;
constexpr int kMaxBundlePathBytes = 1536;

// The memory source: the bytes not read yet.
struct MemoryCursor
{
  const unsigned char* next;
  size_t left;
};

// One decode. It lives in the caller of the function that arms libpng's
// error jump, so that what it holds is still valid after the jump and can be
// released there.
struct Decode
{
  FILE* file;           // the source: a file ...
  MemoryCursor* memory; // ... or bytes in memory
  png_structp png;
  png_infop info;
  RAS_IBitmap* target;     // the caller's bitmap, or the one made here
  RAS_MemBitmap* created;  // owned until handed to the caller
  png_bytep* rows;
};

// Editor thread (inside libpng), no locking or allocation; leaves through the
// error jump. libpng's messages are not shown: a failed load is reported as
// null and nothing else.
void PNGCBAPI SilentError(png_structp png, png_const_charp) { png_longjmp(png, 1); }

// Editor thread (inside libpng), no locking or allocation; ignores the warning.
void PNGCBAPI SilentWarning(png_structp, png_const_charp) {}

// Editor thread (inside libpng), no locking or allocation. A stream that ends
// before libpng has what it asked for is an error: filling the rest with
// zeros would decode rows that are not in the data.
void PNGCBAPI ReadFromMemory(png_structp png, png_bytep out, size_t count)
{
  MemoryCursor* cursor = (MemoryCursor*)png_get_io_ptr(png);
  if (count > cursor->left) png_error(png, "PNG data ends early");
  memcpy(out, cursor->next, count);
  cursor->next += count;
  cursor->left -= count;
}

bool DecodedSizeAllowed(png_uint_32 w, png_uint_32 h)
{
  if (w < 1 || h < 1 || w > (png_uint_32)RAS_PNG_MAX_SIDE || h > (png_uint_32)RAS_PNG_MAX_SIDE) return false;
  return (unsigned long long)w * h * 4 <= RAS_PNG_MAX_DECODED_BYTES;
}

// Holds for the caller's bitmap and for one made here alike: the decoder
// writes w pixels into each of h rows.
bool TargetHolds(RAS_IBitmap* bm, int w, int h)
{
  return bm->getWidth() == w && bm->getHeight() == h && bm->getBits() && bm->getRowSpan() >= w;
}

// Requests the conversions that turn every colour type and depth into 8-bit
// alpha, red, green, blue samples (the library's memory order).
void RequestTransforms(png_structp png, png_infop info, int bitDepth, int colorType)
{
  if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
  if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
  if (png_get_valid(png, info, PNG_INFO_tRNS))
  {
    png_set_tRNS_to_alpha(png);
    colorType |= PNG_COLOR_MASK_ALPHA;
  }
  if (bitDepth == 16) png_set_strip_16(png);
  if (bitDepth < 8) png_set_packing(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  if (colorType & PNG_COLOR_MASK_ALPHA)
    png_set_swap_alpha(png);
  else
    png_set_filler(png, 0xFF, PNG_FILLER_BEFORE);
}

// The steps after the error jump is armed. Any libpng error leaves through
// the jump, so nothing here may own a resource: everything goes into d.
bool DecodeSteps(Decode* d)
{
  png_structp png = d->png;
  png_infop info = d->info;
  if (d->file)
    png_init_io(png, d->file);
  else
    png_set_read_fn(png, d->memory, ReadFromMemory);
  png_set_chunk_malloc_max(png, kMaxChunkBytes);
  // Only the chunks the decode uses are read (IHDR, PLTE, tRNS, IDAT, IEND);
  // every other one is skipped as it streams past. libpng would otherwise
  // allocate the length a text or profile chunk claims before reading it, so
  // a few hundred bytes claiming a 2 GB chunk would cost 2 GB.
  png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);

  png_read_info(png, info);
  png_uint_32 w = 0, h = 0;
  int bitDepth = 0, colorType = 0, interlace = 0, compression = 0, filter = 0;
  png_get_IHDR(png, info, &w, &h, &bitDepth, &colorType, &interlace, &compression, &filter);
  if (!DecodedSizeAllowed(w, h)) return false;

  RequestTransforms(png, info, bitDepth, colorType);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  // The rows below hold exactly four bytes per pixel; any other outcome of
  // the transforms would write past them.
  if (png_get_rowbytes(png, info) != (size_t)w * 4) return false;

  if (!d->target)
  {
    d->created = new (std::nothrow) RAS_MemBitmap((int)w, (int)h, 4);
    d->target = d->created;
    if (!d->target) return false;
  }
  else
    d->target->resize((int)w, (int)h);
  if (!TargetHolds(d->target, (int)w, (int)h)) return false;

  // Image row 0 is the top row whatever the bitmap's memory order, for files
  // and memory alike: a flipped bitmap shows the image upright either way.
  _RAS_Rows rows;
  if (!_RAS_GetRows(d->target, &rows)) return false;
  d->rows = (png_bytep*)malloc(sizeof(png_bytep) * h);
  if (!d->rows) return false;
  for (png_uint_32 y = 0; y < h; y++) d->rows[y] = (png_bytep)(rows.base + (ptrdiff_t)y * rows.step);

  png_read_image(png, d->rows);
  return true;
}

bool DecodeArmed(Decode* d)
{
  if (setjmp(png_jmpbuf(d->png))) return false;
  return DecodeSteps(d);
}

// Decodes from the source set in d into bmp or a new bitmap.
RAS_IBitmap* Load(Decode* d, RAS_IBitmap* bmp)
{
  d->target = bmp;
  // Any 1.6 release of libpng accepts this version.
  d->png = png_create_read_struct("1.6.8", nullptr, SilentError, SilentWarning);
  if (!d->png) return nullptr;
  d->info = png_create_info_struct(d->png);
  const bool ok = d->info && DecodeArmed(d);
  png_destroy_read_struct(&d->png, d->info ? &d->info : nullptr, nullptr);
  free(d->rows);
  d->rows = nullptr;
  // A bitmap made here is not left to the caller half-decoded; a caller's
  // keeps its new size and the rows decoded so far.
  if (!ok)
  {
    delete d->created;
    return nullptr;
  }
  return d->target;
}
} // namespace

RAS_IBitmap* RAS_LoadPNG(const char* filename, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  FILE* file = fopen(filename, "rb");
  if (!file) return nullptr;
  Decode d = {};
  d.file = file;
  RAS_IBitmap* result = Load(&d, bmp);
  fclose(file);
  return result;
}

RAS_IBitmap* RAS_LoadPNGFromMemory(const void* data, int length, RAS_IBitmap* bmp)
{
  if (!data || length < 8 || png_sig_cmp((png_const_bytep)data, 0, 8)) return nullptr;
  MemoryCursor cursor = {(const unsigned char*)data, (size_t)length};
  Decode d = {};
  d.memory = &cursor;
  return Load(&d, bmp);
}

RAS_IBitmap* RAS_LoadPNGFromNamedResource(const char* name, RAS_IBitmap* bmp)
{
  if (!name || strnlen(name, kMaxNamedResourceLength + 1) > (size_t)kMaxNamedResourceLength) return nullptr;
  CFBundleRef bundle = CFBundleGetMainBundle();
  if (!bundle) return nullptr;
  CFURLRef url = CFBundleCopyBundleURL(bundle);
  if (!url) return nullptr;
  char base[kMaxBundlePathBytes];
  const bool haveBase = CFURLGetFileSystemRepresentation(url, true, (UInt8*)base, sizeof base);
  CFRelease(url);
  if (!haveBase || !base[0]) return nullptr;

  char path[kMaxBundlePathBytes + sizeof "/Contents/Resources/" + kMaxNamedResourceLength];
  const int n = snprintf(path, sizeof path, "%s/Contents/Resources/%s", base, name);
  if (n < 0 || (size_t)n >= sizeof path) return nullptr;
  return RAS_LoadPNG(path, bmp);
}

RAS_IBitmap* RAS_LoadPNGFromResource(HINSTANCE, int, RAS_IBitmap*) { return nullptr; }

RAS_IBitmap* RAS_PNGLoader::loadfunc(const char* filename, bool checkFileName, RAS_IBitmap* bmp)
{
  if (!filename) return nullptr;
  if (checkFileName)
  {
    const char* ext = filename + strlen(filename);
    while (ext > filename && ext[-1] != '.' && ext[-1] != '/' && ext[-1] != '\\') ext--;
    if (ext > filename) ext--;
    if (strcasecmp(ext, ".png") != 0) return nullptr;
  }
  return RAS_LoadPNG(filename, bmp);
}

const char* RAS_PNGLoader::get_extlist() { return "PNG files (*.PNG)\0*.PNG\0"; }
