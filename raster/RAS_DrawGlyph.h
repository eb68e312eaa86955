#pragma once

// Compositing of a caller's 8-bit coverage map (0 empty, 255 full, rows top to
// bottom) into a bitmap in one colour. Each pixel with coverage k != 0 is
// combined by the rule of mode & 0xFF with the colour's red, green, blue and
// alpha at weight (alpha * 256) * k / 256, truncated; copy draws only for
// positive weights and modes above 5 draw nothing. The glyph rectangle is
// clipped to the bitmap (flipped bitmaps honoured). Editor thread; neither
// locks nor allocates.

#include "raster/RAS_Bitmap.h"

void RAS_DrawGlyphEx(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, const unsigned char* coverage, int glyphw,
                     int glyphspan, int glyphh, float alpha, int mode);
void RAS_DrawGlyph(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, const unsigned char* coverage, int glyphw,
                   int glyphh, float alpha, int mode);
