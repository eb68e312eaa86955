#ifndef APPKIT_NSGEOMETRY_H_
#define APPKIT_NSGEOMETRY_H_

// NSPoint, NSSize and NSRect are the CoreGraphics types, as on 64-bit macOS.
// Coordinates are in points; one point is one pixel in this window system.

#include <CoreGraphics/CGGeometry.h>

typedef CGPoint NSPoint;
typedef CGSize NSSize;
typedef CGRect NSRect;
typedef long NSInteger;
typedef unsigned long NSUInteger;
typedef double NSTimeInterval;

static inline NSPoint NSMakePoint(CGFloat x, CGFloat y) { return CGPointMake(x, y); }
static inline NSSize NSMakeSize(CGFloat w, CGFloat h) { return CGSizeMake(w, h); }
static inline NSRect NSMakeRect(CGFloat x, CGFloat y, CGFloat w, CGFloat h) { return CGRectMake(x, y, w, h); }
static inline CGFloat NSMinX(NSRect r) { return CGRectGetMinX(r); }
static inline CGFloat NSMinY(NSRect r) { return CGRectGetMinY(r); }
static inline CGFloat NSMaxX(NSRect r) { return CGRectGetMaxX(r); }
static inline CGFloat NSMaxY(NSRect r) { return CGRectGetMaxY(r); }
static inline CGFloat NSMidX(NSRect r) { return CGRectGetMidX(r); }
static inline CGFloat NSMidY(NSRect r) { return CGRectGetMidY(r); }
static inline CGFloat NSWidth(NSRect r) { return r.size.width; }
static inline CGFloat NSHeight(NSRect r) { return r.size.height; }
static inline bool NSIsEmptyRect(NSRect r) { return !(r.size.width > 0 && r.size.height > 0); }
static inline bool NSEqualRects(NSRect a, NSRect b) { return CGRectEqualToRect(a, b); }
static inline bool NSEqualPoints(NSPoint a, NSPoint b) { return CGPointEqualToPoint(a, b); }
// An empty rectangle gives the other one; two empty ones give the zero rectangle.
NSRect NSUnionRect(NSRect a, NSRect b);
// The zero rectangle when they do not overlap.
NSRect NSIntersectionRect(NSRect a, NSRect b);
static inline bool NSIntersectsRect(NSRect a, NSRect b) { return !NSIsEmptyRect(NSIntersectionRect(a, b)); }
static inline NSRect NSInsetRect(NSRect r, CGFloat dx, CGFloat dy) { return CGRectInset(r, dx, dy); }
static inline NSRect NSOffsetRect(NSRect r, CGFloat dx, CGFloat dy) { return CGRectOffset(r, dx, dy); }
// Half-open on the maximum edges: a point on the maximum x or y edge is outside.
static inline bool NSPointInRect(NSPoint p, NSRect r)
{
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y >= NSMinY(r) && p.y < NSMaxY(r);
}
// NSMouseInRect: as NSPointInRect, but in a flipped view the half-open edge is the minimum y.
static inline bool NSMouseInRect(NSPoint p, NSRect r, bool flipped)
{
  if (!flipped) return NSPointInRect(p, r);
  return p.x >= NSMinX(r) && p.x < NSMaxX(r) && p.y > NSMinY(r) && p.y <= NSMaxY(r);
}
// The smallest rectangle with integral edges that contains r (empty stays empty).
NSRect NSIntegralRect(NSRect r);

extern const NSRect NSZeroRect;
extern const NSPoint NSZeroPoint;
extern const NSSize NSZeroSize;

#endif
