#pragma once

// The raster library: 32-bit bitmaps, per-pixel combining rules, blits, lines,
// curves and filled shapes.

#include "raster/RAS_Pixel.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Bitmap.h"
#include "raster/RAS_SysBitmap.h"
#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_Blit.h"
#include "raster/RAS_Lines.h"
#include "raster/RAS_Shapes.h"
