#include "SkinPNG.h"

#include <png.h>

#include <errno.h>
#include <setjmp.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <vector>

namespace {

struct PngState
{
  png_structp png = nullptr;
  png_infop info = nullptr;
  std::string message;
};

// libpng calls both on the writing thread (the tool's only one), which may
// allocate: the error handler copies the message for the caller.
void OnError(png_structp png, png_const_charp msg)
{
  auto* st = (PngState*)png_get_error_ptr(png);
  st->message = msg ? msg : "libpng error";
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// Samples in PNG order (red, green, blue[, alpha]) for every row.
std::vector<png_byte> Samples(RAS_IBitmap* bm, bool withAlpha)
{
  const int w = bm->getWidth(), h = bm->getHeight(), ch = withAlpha ? 4 : 3;
  std::vector<png_byte> out((size_t)w * h * ch);
  size_t k = 0;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
    {
      const RAS_pixel p = RAS_GetPixel(bm, x, y);
      out[k++] = (png_byte)RAS_GETR(p);
      out[k++] = (png_byte)RAS_GETG(p);
      out[k++] = (png_byte)RAS_GETB(p);
      if (withAlpha) out[k++] = (png_byte)RAS_GETA(p);
    }
  return out;
}

bool Opaque(RAS_IBitmap* bm)
{
  for (int y = 0; y < bm->getHeight(); y++)
    for (int x = 0; x < bm->getWidth(); x++)
      if (RAS_GETA(RAS_GetPixel(bm, x, y)) != 255) return false;
  return true;
}

// Everything that could need unwinding lives outside this function, so the
// long jump of a libpng error skips no destructor.
bool Encode(PngState* st, FILE* f, int w, int h, bool withAlpha, png_bytep* rows)
{
  if (setjmp(png_jmpbuf(st->png))) return false;
  png_init_io(st->png, f);
  png_set_IHDR(st->png, st->info, (png_uint_32)w, (png_uint_32)h, 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Every compression setting is fixed, so a change of libpng's defaults
  // cannot change the bytes.
  png_set_compression_level(st->png, 9);
  png_set_compression_mem_level(st->png, 9);
  png_set_compression_strategy(st->png, 0);
  png_set_compression_window_bits(st->png, 15);
  png_set_filter(st->png, PNG_FILTER_TYPE_BASE, PNG_ALL_FILTERS);
  png_write_info(st->png, st->info);
  png_write_image(st->png, rows);
  png_write_end(st->png, st->info);
  return true;
}

} // namespace

bool SkinWritePNG(const std::string& path, RAS_IBitmap* bm, std::string* error)
{
  const int w = bm ? bm->getWidth() : 0, h = bm ? bm->getHeight() : 0;
  if (w <= 0 || h <= 0 || !bm->getBits())
  {
    *error = path + ": empty image";
    return false;
  }
  const bool withAlpha = !Opaque(bm);
  std::vector<png_byte> samples = Samples(bm, withAlpha);
  std::vector<png_bytep> rows((size_t)h);
  const size_t stride = (size_t)w * (withAlpha ? 4 : 3);
  for (int y = 0; y < h; y++) rows[(size_t)y] = samples.data() + (size_t)y * stride;

  const std::string temp = path + ".tmp";
  FILE* f = fopen(temp.c_str(), "wb");
  if (!f)
  {
    *error = temp + ": " + strerror(errno);
    return false;
  }
  PngState st;
  st.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &st, OnError, OnWarning);
  if (st.png) st.info = png_create_info_struct(st.png);
  bool ok = st.png && st.info && Encode(&st, f, w, h, withAlpha, rows.data());
  if (!st.png || !st.info) st.message = "out of memory";
  png_destroy_write_struct(st.png ? &st.png : nullptr, st.info ? &st.info : nullptr);
  // A full disk shows up when the buffered bytes are flushed.
  if (fflush(f) != 0 && ok)
  {
    ok = false;
    st.message = strerror(errno);
  }
  if (fclose(f) != 0 && ok)
  {
    ok = false;
    st.message = strerror(errno);
  }
  if (ok && rename(temp.c_str(), path.c_str()) != 0)
  {
    ok = false;
    st.message = strerror(errno);
  }
  if (!ok)
  {
    unlink(temp.c_str());
    *error = path + ": " + st.message;
  }
  return ok;
}
