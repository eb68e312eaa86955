// Writes window pixels (32-bit 0x00RRGGBB words, rows from the top) as an
// 8-bit RGB PNG file with libpng. Single-threaded.

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// False with a message in *error when the file cannot be written.
bool WriteWindowPNG(const std::string& path, const uint32_t* pixels, size_t pixelsPerRow, int width, int height,
                    std::string* error);
