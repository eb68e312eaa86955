#pragma once

// Writes a raster bitmap as a PNG file with libpng, byte for byte the same
// on every run: no time stamp or other varying chunk, fixed compression
// settings. Images without any transparent pixel are stored as RGB.

#include "raster/raster.h"

#include <string>

// False with a message in *error when the file cannot be written; the file
// is then left as it was (the image goes to a temporary name first).
bool SkinWritePNG(const std::string& path, RAS_IBitmap* bm, std::string* error);
