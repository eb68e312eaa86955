#include <CoreGraphics/CGGeometry.h>

#include <math.h>

const CGPoint CGPointZero = {0, 0};
const CGSize CGSizeZero = {0, 0};
const CGRect CGRectZero = {{0, 0}, {0, 0}};
const CGRect CGRectNull = {{INFINITY, INFINITY}, {0, 0}};
const CGRect CGRectInfinite = {{-DBL_MAX / 2, -DBL_MAX / 2}, {DBL_MAX, DBL_MAX}};

CGRect CGRectStandardize(CGRect r)
{
  if (CGRectIsNull(r)) return r;
  if (r.size.width < 0)
  {
    r.origin.x += r.size.width;
    r.size.width = -r.size.width;
  }
  if (r.size.height < 0)
  {
    r.origin.y += r.size.height;
    r.size.height = -r.size.height;
  }
  return r;
}

CGFloat CGRectGetMinX(CGRect r) { return CGRectStandardize(r).origin.x; }
CGFloat CGRectGetMinY(CGRect r) { return CGRectStandardize(r).origin.y; }
CGFloat CGRectGetMaxX(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width;
}
CGFloat CGRectGetMaxY(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height;
}
CGFloat CGRectGetMidX(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.x + r.size.width / 2;
}
CGFloat CGRectGetMidY(CGRect r)
{
  r = CGRectStandardize(r);
  return r.origin.y + r.size.height / 2;
}
CGFloat CGRectGetWidth(CGRect r) { return fabs(r.size.width); }
CGFloat CGRectGetHeight(CGRect r) { return fabs(r.size.height); }

bool CGPointEqualToPoint(CGPoint a, CGPoint b) { return a.x == b.x && a.y == b.y; }
bool CGSizeEqualToSize(CGSize a, CGSize b) { return a.width == b.width && a.height == b.height; }
bool CGRectEqualToRect(CGRect a, CGRect b)
{
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectIsNull(a) && CGRectIsNull(b);
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  return CGPointEqualToPoint(a.origin, b.origin) && CGSizeEqualToSize(a.size, b.size);
}

bool CGRectIsNull(CGRect r) { return isinf(r.origin.x) && r.origin.x > 0; }
bool CGRectIsInfinite(CGRect r) { return CGRectEqualToRect(r, CGRectInfinite); }
bool CGRectIsEmpty(CGRect r)
{
  return CGRectIsNull(r) || r.size.width == 0 || r.size.height == 0 || isnan(r.size.width) ||
         isnan(r.size.height);
}

CGRect CGRectInset(CGRect r, CGFloat dx, CGFloat dy)
{
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  r.origin.x += dx;
  r.origin.y += dy;
  r.size.width -= 2 * dx;
  r.size.height -= 2 * dy;
  if (r.size.width < 0 || r.size.height < 0) return CGRectNull;
  return r;
}

CGRect CGRectIntegral(CGRect r)
{
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  const CGFloat x0 = floor(r.origin.x), y0 = floor(r.origin.y);
  const CGFloat x1 = ceil(r.origin.x + r.size.width), y1 = ceil(r.origin.y + r.size.height);
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect CGRectUnion(CGRect a, CGRect b)
{
  if (CGRectIsNull(a)) return b;
  if (CGRectIsNull(b)) return a;
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  const CGFloat x0 = fmin(a.origin.x, b.origin.x), y0 = fmin(a.origin.y, b.origin.y);
  const CGFloat x1 = fmax(a.origin.x + a.size.width, b.origin.x + b.size.width);
  const CGFloat y1 = fmax(a.origin.y + a.size.height, b.origin.y + b.size.height);
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect CGRectIntersection(CGRect a, CGRect b)
{
  if (CGRectIsNull(a) || CGRectIsNull(b)) return CGRectNull;
  a = CGRectStandardize(a);
  b = CGRectStandardize(b);
  const CGFloat x0 = fmax(a.origin.x, b.origin.x), y0 = fmax(a.origin.y, b.origin.y);
  const CGFloat x1 = fmin(a.origin.x + a.size.width, b.origin.x + b.size.width);
  const CGFloat y1 = fmin(a.origin.y + a.size.height, b.origin.y + b.size.height);
  // Rectangles that only touch intersect in an empty rectangle, not in none.
  if (!(x1 >= x0 && y1 >= y0)) return CGRectNull;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGRect CGRectOffset(CGRect r, CGFloat dx, CGFloat dy)
{
  if (CGRectIsNull(r)) return r;
  r.origin.x += dx;
  r.origin.y += dy;
  return r;
}

bool CGRectContainsPoint(CGRect r, CGPoint p)
{
  if (CGRectIsNull(r)) return false;
  r = CGRectStandardize(r);
  return p.x >= r.origin.x && p.x < r.origin.x + r.size.width && p.y >= r.origin.y &&
         p.y < r.origin.y + r.size.height;
}

bool CGRectContainsRect(CGRect a, CGRect b)
{
  return CGRectEqualToRect(CGRectUnion(a, b), a);
}

bool CGRectIntersectsRect(CGRect a, CGRect b)
{
  return !CGRectIsEmpty(CGRectIntersection(a, b));
}
