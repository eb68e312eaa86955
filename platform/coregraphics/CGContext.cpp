#include "coregraphics/CGContextData.h"
#include "coregraphics/CGColorData.h"
#include "coregraphics/CGColorSpaceData.h"

#include <math.h>
#include <stdlib.h>

CGContext::~CGContext()
{
  if (target) pixman_image_unref(target);
  if (ownsData) free(data);
  else if (releaseCallback) releaseCallback(releaseInfo, data);
  CGColorSpaceRelease(space);
}

CGAffineTransform CGContext::pixelTransform() const
{
  return CGAffineTransformConcat(gs.ctm, CGAffineTransformMake(1, 0, 0, -1, 0, (CGFloat)height));
}

namespace cgcontext
{
static int CoverEdge(CGFloat v)
{
  const CGFloat lim = 1073741824.0;
  const CGFloat e = ceil(v - 0.5);
  if (e < -lim) return -(int)lim;
  if (e > lim) return (int)lim;
  return (int)e;
}

void PixelCover(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1, int* ix0, int* iy0, int* ix1, int* iy1)
{
  if (isnan(x0) || isnan(y0) || isnan(x1) || isnan(y1))
  {
    *ix0 = *iy0 = *ix1 = *iy1 = 0;
    return;
  }
  *ix0 = CoverEdge(fmin(x0, x1));
  *ix1 = CoverEdge(fmax(x0, x1));
  *iy0 = CoverEdge(fmin(y0, y1));
  *iy1 = CoverEdge(fmax(y0, y1));
}
} // namespace cgcontext

void CGContext::clipToPixelBox(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1)
{
  int a, b, c, d;
  cgcontext::PixelCover(x0, y0, x1, y1, &a, &b, &c, &d);
  if (a > gs.clipX0) gs.clipX0 = a;
  if (b > gs.clipY0) gs.clipY0 = b;
  if (c < gs.clipX1) gs.clipX1 = c;
  if (d < gs.clipY1) gs.clipY1 = d;
  if (gs.clipEmpty()) gs.clipX0 = gs.clipX1 = gs.clipY0 = gs.clipY1 = 0;
}

static CGContext* Ctx(CGContextRef c) { return cgobj::as<CGContext>(c, cgobj::kContext); }

CFTypeID CGContextGetTypeID(void) { return cgobj::kContext; }
CGContextRef CGContextRetain(CGContextRef c) { return cgobj::retain(c); }
void CGContextRelease(CGContextRef c) { cgobj::release(c); }
void CGContextFlush(CGContextRef) {}
void CGContextSynchronize(CGContextRef) {}

void CGContextSaveGState(CGContextRef c)
{
  if (CGContext* x = Ctx(c)) x->stack.push_back(x->gs);
}

void CGContextRestoreGState(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x || x->stack.empty()) return;
  x->gs = x->stack.back();
  x->stack.pop_back();
}

static void Concat(CGContextRef c, CGAffineTransform t)
{
  if (CGContext* x = Ctx(c)) x->gs.ctm = CGAffineTransformConcat(t, x->gs.ctm);
}

void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) { Concat(c, CGAffineTransformMakeScale(sx, sy)); }
void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty)
{
  Concat(c, CGAffineTransformMakeTranslation(tx, ty));
}
void CGContextRotateCTM(CGContextRef c, CGFloat angle) { Concat(c, CGAffineTransformMakeRotation(angle)); }
void CGContextConcatCTM(CGContextRef c, CGAffineTransform t) { Concat(c, t); }

CGAffineTransform CGContextGetCTM(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->gs.ctm : CGAffineTransformIdentity;
}

#define GS_SETTER(name, type, field)                                                                               \
  void name(CGContextRef c, type v)                                                                                \
  {                                                                                                                \
    if (CGContext* x = Ctx(c)) x->gs.field = v;                                                                    \
  }

GS_SETTER(CGContextSetLineWidth, CGFloat, lineWidth)
GS_SETTER(CGContextSetLineCap, CGLineCap, cap)
GS_SETTER(CGContextSetLineJoin, CGLineJoin, join)
GS_SETTER(CGContextSetMiterLimit, CGFloat, miterLimit)
GS_SETTER(CGContextSetFlatness, CGFloat, flatness)
GS_SETTER(CGContextSetBlendMode, CGBlendMode, blend)
GS_SETTER(CGContextSetShouldAntialias, bool, antialias)
GS_SETTER(CGContextSetAllowsAntialiasing, bool, allowsAntialias)
GS_SETTER(CGContextSetInterpolationQuality, CGInterpolationQuality, interpolation)
GS_SETTER(CGContextSetTextDrawingMode, CGTextDrawingMode, textMode)
GS_SETTER(CGContextSetShouldSmoothFonts, bool, smoothFonts)
GS_SETTER(CGContextSetAllowsFontSmoothing, bool, allowsFontSmoothing)

void CGContextSetAlpha(CGContextRef c, CGFloat alpha)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  x->gs.alpha = !(alpha > 0) ? 0 : alpha > 1 ? 1 : alpha;
}

void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  x->gs.dashPhase = phase;
  x->gs.dashes.clear();
  if (lengths)
    for (size_t i = 0; i < count; ++i) x->gs.dashes.push_back(lengths[i]);
}

CGInterpolationQuality CGContextGetInterpolationQuality(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->gs.interpolation : kCGInterpolationDefault;
}

static CGFloat Unit(CGFloat v) { return !(v > 0) ? 0 : v > 1 ? 1 : v; }

static void SetPaint(CGContext::Paint* p, CGFloat r, CGFloat g, CGFloat b, CGFloat a)
{
  p->r = Unit(r);
  p->g = Unit(g);
  p->b = Unit(b);
  p->a = Unit(a);
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a)
{
  if (CGContext* x = Ctx(c)) SetPaint(&x->gs.fill, r, g, b, a);
}

void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a)
{
  if (CGContext* x = Ctx(c)) SetPaint(&x->gs.stroke, r, g, b, a);
}

void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat a)
{
  CGContextSetRGBFillColor(c, gray, gray, gray, a);
}

void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat a)
{
  CGContextSetRGBStrokeColor(c, gray, gray, gray, a);
}

void CGContextSetFillColorWithColor(CGContextRef c, CGColorRef color)
{
  CGContext* x = Ctx(c);
  if (!x || !color) return;
  SetPaint(&x->gs.fill, color->rgba[0], color->rgba[1], color->rgba[2], color->rgba[3]);
}

void CGContextSetStrokeColorWithColor(CGContextRef c, CGColorRef color)
{
  CGContext* x = Ctx(c);
  if (!x || !color) return;
  SetPaint(&x->gs.stroke, color->rgba[0], color->rgba[1], color->rgba[2], color->rgba[3]);
}

void CGContextSetFillColorSpace(CGContextRef c, CGColorSpaceRef space)
{
  CGContext* x = Ctx(c);
  if (!x || !space) return;
  x->gs.fillGray = space->model == kCGColorSpaceModelMonochrome;
  SetPaint(&x->gs.fill, 0, 0, 0, 1);
}

void CGContextSetStrokeColorSpace(CGContextRef c, CGColorSpaceRef space)
{
  CGContext* x = Ctx(c);
  if (!x || !space) return;
  x->gs.strokeGray = space->model == kCGColorSpaceModelMonochrome;
  SetPaint(&x->gs.stroke, 0, 0, 0, 1);
}

void CGContextSetFillColor(CGContextRef c, const CGFloat* v)
{
  CGContext* x = Ctx(c);
  if (!x || !v) return;
  if (x->gs.fillGray)
    SetPaint(&x->gs.fill, v[0], v[0], v[0], v[1]);
  else
    SetPaint(&x->gs.fill, v[0], v[1], v[2], v[3]);
}

void CGContextSetStrokeColor(CGContextRef c, const CGFloat* v)
{
  CGContext* x = Ctx(c);
  if (!x || !v) return;
  if (x->gs.strokeGray)
    SetPaint(&x->gs.stroke, v[0], v[0], v[0], v[1]);
  else
    SetPaint(&x->gs.stroke, v[0], v[1], v[2], v[3]);
}

// ---- path construction ----

static CGPoint ToPixel(CGContext* x, CGFloat px, CGFloat py)
{
  return CGPointApplyAffineTransform(CGPointMake(px, py), x->pixelTransform());
}

void CGContextBeginPath(CGContextRef c)
{
  if (CGContext* x = Ctx(c)) x->path.clear();
}

void CGContextMoveToPoint(CGContextRef c, CGFloat px, CGFloat py)
{
  if (CGContext* x = Ctx(c)) x->path.moveTo(ToPixel(x, px, py));
}

void CGContextAddLineToPoint(CGContextRef c, CGFloat px, CGFloat py)
{
  CGContext* x = Ctx(c);
  if (x && x->path.hasCurrent) x->path.lineTo(ToPixel(x, px, py));
}

void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat px,
                              CGFloat py)
{
  CGContext* x = Ctx(c);
  if (x && x->path.hasCurrent) x->path.curveTo(ToPixel(x, cp1x, cp1y), ToPixel(x, cp2x, cp2y), ToPixel(x, px, py));
}

void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat px, CGFloat py)
{
  CGContext* x = Ctx(c);
  if (x && x->path.hasCurrent) x->path.quadTo(ToPixel(x, cpx, cpy), ToPixel(x, px, py));
}

void CGContextClosePath(CGContextRef c)
{
  if (CGContext* x = Ctx(c)) x->path.close();
}

void CGContextAddRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  const CGAffineTransform m = x->pixelTransform();
  x->path.addRect(rect, &m);
}

void CGContextAddRects(CGContextRef c, const CGRect* rects, size_t count)
{
  if (!rects) return;
  for (size_t i = 0; i < count; ++i) CGContextAddRect(c, rects[i]);
}

void CGContextAddLines(CGContextRef c, const CGPoint* points, size_t count)
{
  CGContext* x = Ctx(c);
  if (!x || !points || count == 0) return;
  CGContextMoveToPoint(c, points[0].x, points[0].y);
  for (size_t i = 1; i < count; ++i) CGContextAddLineToPoint(c, points[i].x, points[i].y);
}

void CGContextAddEllipseInRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  const CGAffineTransform m = x->pixelTransform();
  x->path.addEllipse(rect, &m);
}

void CGContextAddArc(CGContextRef c, CGFloat cx, CGFloat cy, CGFloat radius, CGFloat startAngle, CGFloat endAngle,
                     int clockwise)
{
  CGContext* x = Ctx(c);
  if (!x || !(radius >= 0)) return;
  // Angles grow counter-clockwise in user space (y up); clockwise arcs run the other way.
  CGFloat sweep = endAngle - startAngle;
  if (!isfinite(sweep)) return;
  const CGFloat twoPi = 2 * M_PI;
  if (clockwise)
  {
    while (sweep > 0) sweep -= twoPi;
    if (sweep < -twoPi) sweep = -twoPi;
  }
  else
  {
    while (sweep < 0) sweep += twoPi;
    if (sweep > twoPi) sweep = twoPi;
  }
  const CGFloat sx = cx + radius * cos(startAngle), sy = cy + radius * sin(startAngle);
  if (x->path.hasCurrent)
    CGContextAddLineToPoint(c, sx, sy);
  else
    CGContextMoveToPoint(c, sx, sy);
  const int segs = (int)ceil(fabs(sweep) / (M_PI / 2));
  const CGFloat step = segs ? sweep / segs : 0;
  const CGFloat k = 4.0 / 3.0 * tan(step / 4);
  CGFloat a = startAngle;
  for (int i = 0; i < segs; ++i)
  {
    const CGFloat b = a + step;
    const CGFloat c0 = cos(a), s0 = sin(a), c1 = cos(b), s1 = sin(b);
    CGContextAddCurveToPoint(c, cx + radius * (c0 - k * s0), cy + radius * (s0 + k * c0), cx + radius * (c1 + k * s1),
                             cy + radius * (s1 - k * c1), cx + radius * c1, cy + radius * s1);
    a = b;
  }
}

void CGContextAddPath(CGContextRef c, CGPathRef path)
{
  CGContext* x = Ctx(c);
  if (!x || !path) return;
  const CGAffineTransform m = x->pixelTransform();
  x->path.append(*path, &m);
}

bool CGContextIsPathEmpty(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return !x || x->path.empty();
}

CGPoint CGContextGetPathCurrentPoint(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x || !x->path.hasCurrent) return CGPointZero;
  return CGPointApplyAffineTransform(x->path.current, CGAffineTransformInvert(x->pixelTransform()));
}

CGRect CGContextGetPathBoundingBox(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x || x->path.empty()) return CGRectNull;
  return CGRectApplyAffineTransform(x->path.boundingBox(), CGAffineTransformInvert(x->pixelTransform()));
}

// ---- clipping ----

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  if (CGRectIsNull(rect))
  {
    x->gs.clipX0 = x->gs.clipX1 = x->gs.clipY0 = x->gs.clipY1 = 0;
    return;
  }
  const CGRect r = CGRectApplyAffineTransform(rect, x->pixelTransform());
  x->clipToPixelBox(r.origin.x, r.origin.y, r.origin.x + r.size.width, r.origin.y + r.size.height);
}

void CGContextClipToRects(CGContextRef c, const CGRect* rects, size_t count)
{
  if (!rects || count == 0) return;
  CGRect u = CGRectNull;
  for (size_t i = 0; i < count; ++i) u = CGRectUnion(u, rects[i]);
  CGContextClipToRect(c, u);
}

void CGContextClip(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  const CGRect r = x->path.boundingBox();
  if (CGRectIsNull(r))
    x->gs.clipX0 = x->gs.clipX1 = x->gs.clipY0 = x->gs.clipY1 = 0;
  else
    x->clipToPixelBox(r.origin.x, r.origin.y, r.origin.x + r.size.width, r.origin.y + r.size.height);
  x->path.clear();
}

void CGContextEOClip(CGContextRef c) { CGContextClip(c); }

CGRect CGContextGetClipBoundingBox(CGContextRef c)
{
  CGContext* x = Ctx(c);
  if (!x) return CGRectNull;
  if (x->gs.clipEmpty()) return CGRectNull;
  const CGRect r = CGRectMake(x->gs.clipX0, x->gs.clipY0, x->gs.clipX1 - x->gs.clipX0, x->gs.clipY1 - x->gs.clipY0);
  return CGRectApplyAffineTransform(r, CGAffineTransformInvert(x->pixelTransform()));
}

// ---- text state ----

void CGContextSetTextMatrix(CGContextRef c, CGAffineTransform t)
{
  if (CGContext* x = Ctx(c)) x->textMatrix = t;
}

CGAffineTransform CGContextGetTextMatrix(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? x->textMatrix : CGAffineTransformIdentity;
}

void CGContextSetTextPosition(CGContextRef c, CGFloat px, CGFloat py)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  x->textMatrix.tx = px;
  x->textMatrix.ty = py;
}

CGPoint CGContextGetTextPosition(CGContextRef c)
{
  CGContext* x = Ctx(c);
  return x ? CGPointMake(x->textMatrix.tx, x->textMatrix.ty) : CGPointZero;
}

// ---- space conversion ----

CGAffineTransform CGContextGetUserSpaceToDeviceSpaceTransform(CGContextRef c) { return CGContextGetCTM(c); }

CGPoint CGContextConvertPointToDeviceSpace(CGContextRef c, CGPoint p)
{
  return CGPointApplyAffineTransform(p, CGContextGetCTM(c));
}

CGPoint CGContextConvertPointToUserSpace(CGContextRef c, CGPoint p)
{
  return CGPointApplyAffineTransform(p, CGAffineTransformInvert(CGContextGetCTM(c)));
}

CGRect CGContextConvertRectToDeviceSpace(CGContextRef c, CGRect r)
{
  return CGRectApplyAffineTransform(r, CGContextGetCTM(c));
}

CGRect CGContextConvertRectToUserSpace(CGContextRef c, CGRect r)
{
  return CGRectApplyAffineTransform(r, CGAffineTransformInvert(CGContextGetCTM(c)));
}
