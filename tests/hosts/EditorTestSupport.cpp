#include "EditorTestSupport.h"

#include "HostTestSupport.h"

#include <AudioToolbox/AudioToolbox.h>
#include <png.h>

#include <cstdio>

namespace hosttest {

std::string EditorTool() { return BuildDir() + "/bin/orvanta-editor"; }

bool Picture::OneColour() const
{
  for (uint32_t p : pixels)
    if (p != pixels.front()) return false;
  return true;
}

bool ReadPNG(const std::string& path, Picture* picture)
{
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
  image.format = PNG_FORMAT_BGRA;
  std::vector<uint32_t> pixels((size_t)image.width * image.height);
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return false;
  picture->width = (int)image.width;
  picture->height = (int)image.height;
  for (uint32_t& p : pixels) p &= 0x00FFFFFFu;  // BGRA bytes: 0xAARRGGBB on this little-endian machine
  picture->pixels = std::move(pixels);
  return true;
}

std::string FirstDifference(const Picture& a, const Picture& b)
{
  if (a.width != b.width || a.height != b.height)
    return "sizes " + std::to_string(a.width) + "x" + std::to_string(a.height) + " and " + std::to_string(b.width) +
           "x" + std::to_string(b.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      if (a.At(x, y) != b.At(x, y))
      {
        char text[96];
        snprintf(text, sizeof text, "(%d, %d): %06x against %06x", x, y, a.At(x, y), b.At(x, y));
        return text;
      }
  return "";
}

AudioUnit OpenOrvanta()
{
  UseBuiltComponent();
  AudioComponentDescription desc{kAudioUnitType_Effect, FourCC("orv5"), FourCC("Zrnt"), 0, 0};
  AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
  AudioUnit unit = nullptr;
  if (!comp || AudioComponentInstanceNew(comp, &unit) != noErr) return nullptr;
  return unit;
}

}  // namespace hosttest
