#pragma once

// Writes PNG images with libpng's own writer from known samples, so that the
// loader is checked against files it did not make.

#include <png.h>

#include <setjmp.h>
#include <stdint.h>
#include <vector>

struct PngImage
{
  int width = 0, height = 0;
  int colorType = PNG_COLOR_TYPE_RGB_ALPHA;
  int bitDepth = 8;
  bool interlaced = false;
  // Channels per pixel as the colour type stores them (grey; grey, alpha;
  // red, green, blue; red, green, blue, alpha; or a palette index), row after
  // row, each in 0 .. 2^bitDepth - 1.
  std::vector<uint16_t> samples;
  std::vector<png_color> palette;
  // tRNS: per palette entry alpha, or the one transparent grey / colour.
  std::vector<png_byte> paletteAlpha;
  bool hasTransparentColour = false;
  png_color_16 transparentColour = {};
  // zlib level, -1 for libpng's default.
  int compressionLevel = -1;
};

inline int PngChannels(int colorType)
{
  switch (colorType)
  {
    case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
    case PNG_COLOR_TYPE_RGB: return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
    default: return 1;
  }
}

// The PNG chunk CRC (CRC-32, polynomial 0xEDB88320) over a chunk's type and
// data, bit by bit.
inline uint32_t PngCrc32(const unsigned char* p, size_t n)
{
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = 0; i < n; i++)
  {
    c ^= p[i];
    for (int k = 0; k < 8; k++) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return c ^ 0xFFFFFFFFu;
}

// The encoded file, or an empty vector when libpng refused the image.
inline std::vector<unsigned char> WritePng(const PngImage& im)
{
  std::vector<unsigned char> out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return out;
  png_infop info = png_create_info_struct(png);
  const int channels = PngChannels(im.colorType);
  // One sample per byte below 8 bits (libpng packs them), two bytes
  // big-endian at 16.
  const int bytesPerSample = im.bitDepth == 16 ? 2 : 1;
  const size_t rowBytes = (size_t)im.width * channels * bytesPerSample;
  std::vector<std::vector<png_byte>> rows(im.height, std::vector<png_byte>(rowBytes));
  std::vector<png_bytep> rowPtrs;
  for (int y = 0; y < im.height; y++)
  {
    png_byte* row = rows[y].data();
    for (int i = 0; i < im.width * channels; i++)
    {
      const uint16_t s = im.samples[(size_t)y * im.width * channels + i];
      if (bytesPerSample == 2)
      {
        row[2 * i] = (png_byte)(s >> 8);
        row[2 * i + 1] = (png_byte)s;
      }
      else
        row[i] = (png_byte)s;
    }
    rowPtrs.push_back(row);
  }
  // Everything with a destructor is complete before the error jump is armed.
  if (!info || setjmp(png_jmpbuf(png)))
  {
    png_destroy_write_struct(&png, info ? &info : nullptr);
    return {};
  }
  png_set_write_fn(
      png, &out,
      [](png_structp p, png_bytep data, size_t n) {
        auto* v = (std::vector<unsigned char>*)png_get_io_ptr(p);
        v->insert(v->end(), data, data + n);
      },
      nullptr);
  png_set_IHDR(png, info, im.width, im.height, im.bitDepth, im.colorType,
               im.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!im.palette.empty()) png_set_PLTE(png, info, im.palette.data(), (int)im.palette.size());
  if (!im.paletteAlpha.empty())
    png_set_tRNS(png, info, im.paletteAlpha.data(), (int)im.paletteAlpha.size(), nullptr);
  else if (im.hasTransparentColour)
    png_set_tRNS(png, info, nullptr, 0, const_cast<png_color_16*>(&im.transparentColour));
  if (im.compressionLevel >= 0) png_set_compression_level(png, im.compressionLevel);
  png_write_info(png, info);
  if (im.bitDepth < 8) png_set_packing(png);

  png_write_image(png, rowPtrs.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}
