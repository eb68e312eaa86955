#include "hosts/WindowImage.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

bool WriteWindowPNG(const std::string& path, const uint32_t* pixels, size_t pixelsPerRow, int width, int height,
                    std::string* error)
{
  if (!pixels || width <= 0 || height <= 0)
  {
    *error = "no pixels to write to " + path;
    return false;
  }
  FILE* f = fopen(path.c_str(), "wb");
  if (!f)
  {
    *error = "cannot write " + path + ": " + strerror(errno);
    return false;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  std::vector<png_byte> row((size_t)width * 3);
  bool ok = png && info;
  if (ok && setjmp(png_jmpbuf(png)))
    ok = false;
  else if (ok)
  {
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)width, (png_uint_32)height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; ++y)
    {
      const uint32_t* src = pixels + (size_t)y * pixelsPerRow;
      for (int x = 0; x < width; ++x)
      {
        row[(size_t)x * 3] = (png_byte)(src[x] >> 16);
        row[(size_t)x * 3 + 1] = (png_byte)(src[x] >> 8);
        row[(size_t)x * 3 + 2] = (png_byte)src[x];
      }
      png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
  }
  png_destroy_write_struct(png ? &png : nullptr, info ? &info : nullptr);
  if (fclose(f) != 0) ok = false;
  if (!ok)
  {
    *error = "cannot write " + path + ": the PNG encoder failed";
    remove(path.c_str());
  }
  return ok;
}
