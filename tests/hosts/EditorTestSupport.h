// Shared by the editor host tests: the editor's pictures as the window
// system or a PNG file gives them, and the component opened in-process.

#pragma once

#include <AudioUnit/AudioUnit.h>

#include <cstdint>
#include <string>
#include <vector>

namespace hosttest {

std::string EditorTool();

// A four-character code, e.g. FourCC("orv5").
constexpr OSType FourCC(const char (&s)[5])
{
  return ((OSType)(unsigned char)s[0] << 24) | ((OSType)(unsigned char)s[1] << 16) |
         ((OSType)(unsigned char)s[2] << 8) | (OSType)(unsigned char)s[3];
}

// 0x00RRGGBB words, rows from the top.
struct Picture
{
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t At(int x, int y) const { return pixels[(size_t)y * (size_t)width + (size_t)x]; }
  bool OneColour() const;
};

// Read with libpng; false when the file is no 8-bit RGB or RGBA PNG.
bool ReadPNG(const std::string& path, Picture* picture);
// The index and value of the first differing pixel, "" when equal.
std::string FirstDifference(const Picture& a, const Picture& b);

// The built component, opened through the host API; null when not found.
AudioUnit OpenOrvanta();

}  // namespace hosttest
