#include <AppKit/NSGeometry.h>

#include <cmath>

const NSRect NSZeroRect = {{0, 0}, {0, 0}};
const NSPoint NSZeroPoint = {0, 0};
const NSSize NSZeroSize = {0, 0};

NSRect NSUnionRect(NSRect a, NSRect b)
{
  const bool ea = NSIsEmptyRect(a), eb = NSIsEmptyRect(b);
  if (ea && eb) return NSZeroRect;
  if (ea) return b;
  if (eb) return a;
  const CGFloat x0 = fmin(NSMinX(a), NSMinX(b)), y0 = fmin(NSMinY(a), NSMinY(b));
  return NSMakeRect(x0, y0, fmax(NSMaxX(a), NSMaxX(b)) - x0, fmax(NSMaxY(a), NSMaxY(b)) - y0);
}

NSRect NSIntersectionRect(NSRect a, NSRect b)
{
  const CGFloat x0 = fmax(NSMinX(a), NSMinX(b)), y0 = fmax(NSMinY(a), NSMinY(b));
  const CGFloat x1 = fmin(NSMaxX(a), NSMaxX(b)), y1 = fmin(NSMaxY(a), NSMaxY(b));
  if (x1 <= x0 || y1 <= y0) return NSZeroRect;
  return NSMakeRect(x0, y0, x1 - x0, y1 - y0);
}

NSRect NSIntegralRect(NSRect r)
{
  if (NSIsEmptyRect(r)) return NSZeroRect;
  const CGFloat x0 = floor(NSMinX(r)), y0 = floor(NSMinY(r));
  return NSMakeRect(x0, y0, ceil(NSMaxX(r)) - x0, ceil(NSMaxY(r)) - y0);
}
