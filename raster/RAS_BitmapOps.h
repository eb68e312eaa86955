#pragma once

// Whole-bitmap and rectangle operations. Every function takes the destination
// bitmap first; a null bitmap, null bits or an empty clipped rectangle make it
// do nothing (or return 0). All are called on the editor thread and neither
// lock nor allocate, except RAS_Copy, which resizes its destination.

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_Combine.h"

// The pixel at (x, y), or 0 outside the bitmap.
RAS_pixel RAS_GetPixel(RAS_IBitmap* bm, int x, int y);
// Combines one pixel with colour (its alpha channel included) by mode;
// RAS_MODE_USE_ALPHA is ignored.
void RAS_PutPixel(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, float alpha, int mode);
// Sets every pixel to colour.
void RAS_Clear(RAS_IBitmap* bm, RAS_pixel colour);
// Each pixel of the clipped rectangle becomes (pixel & mask) | orbits.
void RAS_ClearRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel mask = 0, RAS_pixel orbits = 0);
// Fills the clipped rectangle with colour by mode and opacity.
void RAS_FillRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel colour, float alpha, int mode);
// Resizes dest to the size of src and copies all of src into it.
void RAS_Copy(RAS_IBitmap* dest, RAS_IBitmap* src);
// Alpha becomes 0 where (pixel & 0xFFFFFF00) equals colour, else 0xFF.
void RAS_SetAlphaFromColorMask(RAS_IBitmap* bm, RAS_pixel colour);
// v = clamp((v * scale * 256 + add * 256) >> 8) for each channel.
void RAS_MultiplyAddRect(RAS_IBitmap* bm, int x, int y, int w, int h, float rsc, float gsc, float bsc, float asc,
                         float radd, float gadd, float badd, float aadd);
// Calls procFunc once per pixel of the clipped rectangle, top row first.
void RAS_ProcessRect(RAS_IBitmap* bm, int x, int y, int w, int h, void (*procFunc)(RAS_pixel* px, void* parm),
                     void* parm);
// Seeded span fill of the region connected to (x, y) through column x.
void RAS_SimpleFill(RAS_IBitmap* bm, int x, int y, RAS_pixel newcolour, RAS_pixel comparemask = 0xFFFFFFFF,
                    RAS_pixel keepmask = 0);
// 0 when equal. Without coordsOut a memcmp-style order of the first differing
// row; with it, 1 and the bounding x, y, w, h of all differences.
int RAS_BitmapCmp(RAS_IBitmap* a, RAS_IBitmap* b, int* coordsOut = nullptr);
