#pragma once

// Circles, arcs, rounded rectangles and filled shapes: trapezoids, convex
// polygons, triangles, linear gradients and the areas between a Bezier curve
// and a line. All are called on the editor thread; only a polygon of more
// than 512 points allocates (a working copy of its points), and none locks.
// Coordinates are image pixels (flipped bitmaps are honoured); colours,
// opacities and blend modes are those of RAS_PutPixel (source alpha is not
// used). Non-finite values draw nothing.

#include "raster/RAS_Bitmap.h"

// Circles of radius r around (cx, cy); with aa the edge is shared between the
// two pixels it passes between.
void RAS_Circle(RAS_IBitmap* bm, float cx, float cy, float r, RAS_pixel colour, float alpha, int mode, bool aa);
void RAS_FillCircle(RAS_IBitmap* bm, float cx, float cy, float r, RAS_pixel colour, float alpha, int mode, bool aa);
// The outline from minAngle to maxAngle, in radians clockwise from straight
// up: the point at angle a is (cx + r sin a, cy - r cos a).
void RAS_Arc(RAS_IBitmap* bm, float cx, float cy, float r, float minAngle, float maxAngle, RAS_pixel colour,
             float alpha, int mode, bool aa);
// The outline of (x, y)-(x + w, y + h) with quarter-circle corners.
void RAS_RoundRect(RAS_IBitmap* bm, float x, float y, float w, float h, int cornerradius, RAS_pixel colour,
                   float alpha, int mode, bool aa);

// The span x1a..x1b of row y1, the span x2a..x2b of row y2 and the rows
// between, with straight edges; all ends inclusive.
void RAS_FillTrapezoid(RAS_IBitmap* bm, int x1a, int x1b, int y1, int x2a, int x2b, int y2, RAS_pixel colour,
                       float alpha, int mode);
// The convex hull of the points (a convex polygon is filled as itself).
void RAS_FillConvexPolygon(RAS_IBitmap* bm, const int* x, const int* y, int count, RAS_pixel colour, float alpha,
                           int mode);
void RAS_FillTriangle(RAS_IBitmap* bm, int x1, int y1, int x2, int y2, int x3, int y3, RAS_pixel colour, float alpha,
                      int mode);

// A rectangle whose red, green, blue (0 to 1) and alpha (0 to 1, also the
// weight of each pixel) start at the top-left and change by the given amounts
// per pixel to the right and per row down.
void RAS_GradRect(RAS_IBitmap* bm, int x, int y, int w, int h, float r, float g, float b, float a, float drdx,
                  float dgdx, float dbdx, float dadx, float drdy, float dgdy, float dbdy, float dady, int mode);

// The area between a cubic curve and the row yfill (RAS_FillCBezier) or the
// column xfill (RAS_FillCBezierX); tol as for RAS_DrawCBezier.
void RAS_FillCBezier(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                     float xend, float yend, int yfill, RAS_pixel colour, float alpha, int mode, float tol);
void RAS_FillCBezierX(RAS_IBitmap* bm, float xstart, float ystart, float xctl1, float yctl1, float xctl2, float yctl2,
                      float xend, float yend, int xfill, RAS_pixel colour, float alpha, int mode, float tol);
