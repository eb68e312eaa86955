#pragma once

// The trapezoid and polygon fillers the polygon, triangle and Bezier fills
// share.

#include "raster/RAS_Plot.h"

// Fills the trapezoid (x1a..x1b at row y1, x2a..x2b at row y2, straight
// edges, all ends inclusive) on a canvas with the rule of mode at weight w;
// w is already limited for the mode.
void _RAS_FillTrapezoidOn(const _RAS_Canvas& c, long long x1a, long long x1b, long long y1, long long x2a,
                          long long x2b, long long y2, RAS_pixel colour, int w, int mode);

struct _RAS_PolyPt
{
  long long x, y;
};

// Fills the convex hull of count points (reordered in place) on a canvas with
// the rule of mode at weight w.
void _RAS_FillPolygonOn(const _RAS_Canvas& c, _RAS_PolyPt* p, int count, RAS_pixel colour, int w, int mode);
