#pragma once

// Lines, line clipping, rectangle outlines and Bezier curves drawn as
// polylines. All are called on the editor thread and neither lock nor
// allocate. Coordinates are image pixels (x right, y down; flipped bitmaps
// are honoured); the colour, opacity and blend mode are those of RAS_PutPixel
// (source alpha is not used). Non-finite coordinates draw nothing.

#include "raster/RAS_Bitmap.h"

// A line between two pixel centres, both ends included. With aa, sloped lines
// spread each step over two pixels of the minor axis.
void RAS_Line(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, RAS_pixel colour, float alpha, int mode,
              bool aa = false);
// A line with sub-pixel end points; without aa it is RAS_Line of the
// truncated coordinates.
void RAS_FLine(RAS_IBitmap* bm, float x1, float y1, float x2, float y2, RAS_pixel colour, float alpha, int mode,
               bool aa = false);
// A horizontal or vertical line drawn as runs of pixels_on pixels separated by
// pixels_off pixels, from its smaller coordinate; other lines draw nothing.
void RAS_DashedLine(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, int pixels_on, int pixels_off,
                    RAS_pixel colour, float alpha, int mode, bool aa = false);

// Clips a line to the pixels xlo..xhi-1, ylo..yhi-1. False when nothing of it
// is left.
bool RAS_ClipLine(int* x1, int* y1, int* x2, int* y2, int xlo, int ylo, int xhi, int yhi);
// The same for sub-pixel lines: the limits are xlo..xhi-1 and ylo..yhi-1, and
// a clipped end lands exactly on the limit it was clipped to.
bool RAS_ClipFLine(float* x1, float* y1, float* x2, float* y2, float xlo, float ylo, float xhi, float yhi);

// The outline of (x, y)-(x + w, y + h), both corners included, each pixel
// drawn once.
void RAS_DrawRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel colour, float alpha, int mode);
// The inside filled with bg, then the outline in fg.
void RAS_BorderedRect(RAS_IBitmap* bm, int x, int y, int w, int h, RAS_pixel bg, RAS_pixel fg, float alpha,
                      int mode);

// Quadratic and cubic Bezier curves as polylines of about one segment per tol
// pixels of control polygon (tol <= 0 counts as 1).
void RAS_DrawQBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl, float yctl, float xend, float yend,
                     RAS_pixel colour, float alpha, int mode, bool aa, float tol);
void RAS_DrawCBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                     float xend, float yend, RAS_pixel colour, float alpha, int mode, bool aa, float tol);

// The y of a quadratic (RAS_Bezier_GetY) or cubic (RAS_CBezier_GetY) curve
// where it first reaches x, and in *t its parameter; a curve that never
// reaches x gives the y of the nearer end and t = 0 or 1.
float RAS_Bezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x, float* t);
float RAS_CBezier_GetY(float x0, float y0, float x1, float y1, float x2, float y2, float x3, float y3, float x,
                       float* t);
