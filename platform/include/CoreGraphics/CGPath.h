#ifndef CGPATH_H_
#define CGPATH_H_

#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGAffineTransform.h>

typedef struct CGPath* CGMutablePathRef;
typedef const struct CGPath* CGPathRef;

typedef int32_t CGLineJoin;
enum
{
  kCGLineJoinMiter = 0,
  kCGLineJoinRound = 1,
  kCGLineJoinBevel = 2
};

typedef int32_t CGLineCap;
enum
{
  kCGLineCapButt = 0,
  kCGLineCapRound = 1,
  kCGLineCapSquare = 2
};

typedef int32_t CGPathElementType;
enum
{
  kCGPathElementMoveToPoint = 0,
  kCGPathElementAddLineToPoint = 1,
  kCGPathElementAddQuadCurveToPoint = 2,
  kCGPathElementAddCurveToPoint = 3,
  kCGPathElementCloseSubpath = 4
};

struct CGPathElement
{
  CGPathElementType type;
  CGPoint* points;
};
typedef struct CGPathElement CGPathElement;

typedef void (*CGPathApplierFunction)(void* info, const CGPathElement* element);

// Every Add call transforms its points by m when m is not NULL.
CG_EXTERN CGMutablePathRef CGPathCreateMutable(void);
CG_EXTERN CGPathRef CGPathCreateCopy(CGPathRef path);
CG_EXTERN CGMutablePathRef CGPathCreateMutableCopy(CGPathRef path);
CG_EXTERN CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* m);
CG_EXTERN CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* m);
CG_EXTERN CGPathRef CGPathRetain(CGPathRef path);
CG_EXTERN void CGPathRelease(CGPathRef path);
CG_EXTERN void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy,
                                         CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
                                     CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
CG_EXTERN void CGPathAddLines(CGMutablePathRef path, const CGAffineTransform* m, const CGPoint* points, size_t count);
CG_EXTERN void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect);
CG_EXTERN void CGPathAddRects(CGMutablePathRef path, const CGAffineTransform* m, const CGRect* rects, size_t count);
CG_EXTERN void CGPathAddEllipseInRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect);
CG_EXTERN void CGPathAddPath(CGMutablePathRef path1, const CGAffineTransform* m, CGPathRef path2);
CG_EXTERN void CGPathCloseSubpath(CGMutablePathRef path);
CG_EXTERN bool CGPathIsEmpty(CGPathRef path);
CG_EXTERN CGPoint CGPathGetCurrentPoint(CGPathRef path);
// The smallest rectangle holding every point, control points included.
CG_EXTERN CGRect CGPathGetBoundingBox(CGPathRef path);
CG_EXTERN void CGPathApply(CGPathRef path, void* info, CGPathApplierFunction function);
CG_EXTERN CFTypeID CGPathGetTypeID(void);

#endif
