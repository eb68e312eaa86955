// Feeds arbitrary bytes to the PNG loader: as given, and with every complete chunk's CRC
// recomputed so that mutations get past the checksums into the decoder. The repaired
// bytes load once into a bitmap the loader makes and once into a caller's bitmap reused
// from run to run; both must agree on success and on every pixel, and every pixel of a
// loaded image is read so that ASan sees any row the loader sized wrongly. Sizes the
// loader refuses keep the search away from huge allocations.

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "raster/raster.h"
#include "tests/raster/png_write.h"

namespace
{
void Check(bool ok)
{
  if (!ok) abort();
}

bool SamePixels(RAS_IBitmap& a, RAS_IBitmap& b)
{
  if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight()) return false;
  for (int y = 0; y < a.getHeight(); y++)
    for (int x = 0; x < a.getWidth(); x++)
      if (RAS_GetPixel(&a, x, y) != RAS_GetPixel(&b, x, y)) return false;
  return true;
}

void RepairChunkCrcs(std::vector<unsigned char>& png)
{
  for (size_t at = 8; at + 12 <= png.size();)
  {
    const size_t len = (size_t)png[at] << 24 | (size_t)png[at + 1] << 16 | (size_t)png[at + 2] << 8 | png[at + 3];
    if (len > png.size() - at - 12) break;
    const uint32_t crc = PngCrc32(&png[at + 4], len + 4);
    for (int i = 0; i < 4; i++) png[at + 8 + len + i] = (unsigned char)(crc >> (24 - 8 * i));
    at += 12 + len;
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > INT_MAX) return 0;
  delete RAS_LoadPNGFromMemory(data, (int)size, nullptr);

  std::vector<unsigned char> png(data, data + size);
  RepairChunkCrcs(png);
  static RAS_MemBitmap reused;
  std::unique_ptr<RAS_IBitmap> made(RAS_LoadPNGFromMemory(png.data(), (int)size, nullptr));
  RAS_IBitmap* into = RAS_LoadPNGFromMemory(png.data(), (int)size, &reused);
  Check(!made == !into);
  if (!made) return 0;
  Check(into == &reused);
  Check(made->getWidth() >= 1 && made->getWidth() <= RAS_PNG_MAX_SIDE);
  Check(made->getHeight() >= 1 && made->getHeight() <= RAS_PNG_MAX_SIDE);
  Check(SamePixels(*made, reused));
  return 0;
}
