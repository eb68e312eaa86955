#pragma once

// The raster library: 32-bit bitmaps, per-pixel combining rules, blits,
// glyph-cached text, PNG loading, lines, curves and filled shapes.
// The raster library: 32-bit bitmaps, per-pixel combining rules, blits, lines,
// curves and filled shapes.

#include "raster/RAS_Pixel.h"
#include "raster/RAS_Combine.h"
#include "raster/RAS_Bitmap.h"
#include "raster/RAS_SysBitmap.h"
#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_Blit.h"
#include "raster/RAS_DrawGlyph.h"
#include "raster/RAS_IFont.h"
#include "raster/RAS_CachedFont.h"
#include "raster/RAS_PNGLoader.h"
#include "raster/RAS_Lines.h"
#include "raster/RAS_Shapes.h"
