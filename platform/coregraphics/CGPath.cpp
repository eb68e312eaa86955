#include "coregraphics/CGPathData.h"

#include <math.h>

static CGPoint Apply(const CGAffineTransform* m, CGFloat x, CGFloat y)
{
  CGPoint p = CGPointMake(x, y);
  return m ? CGPointApplyAffineTransform(p, *m) : p;
}

void CGPath::moveTo(CGPoint p)
{
  // Consecutive move-tos collapse into the last one.
  if (!elements.empty() && elements.back().type == kCGPathElementMoveToPoint)
    elements.back().pts[0] = p;
  else
    elements.push_back({kCGPathElementMoveToPoint, {p, {}, {}}});
  current = subpathStart = p;
  hasCurrent = true;
}

void CGPath::lineTo(CGPoint p)
{
  if (!hasCurrent) moveTo(p);
  elements.push_back({kCGPathElementAddLineToPoint, {p, {}, {}}});
  current = p;
}

void CGPath::quadTo(CGPoint c, CGPoint p)
{
  if (!hasCurrent) moveTo(c);
  elements.push_back({kCGPathElementAddQuadCurveToPoint, {c, p, {}}});
  current = p;
}

void CGPath::curveTo(CGPoint c1, CGPoint c2, CGPoint p)
{
  if (!hasCurrent) moveTo(c1);
  elements.push_back({kCGPathElementAddCurveToPoint, {c1, c2, p}});
  current = p;
}

void CGPath::close()
{
  if (!hasCurrent || elements.back().type == kCGPathElementCloseSubpath) return;
  elements.push_back({kCGPathElementCloseSubpath, {}});
  current = subpathStart;
}

void CGPath::addRect(CGRect r, const CGAffineTransform* m)
{
  r = CGRectStandardize(r);
  const CGFloat x0 = r.origin.x, y0 = r.origin.y, x1 = x0 + r.size.width, y1 = y0 + r.size.height;
  moveTo(Apply(m, x0, y0));
  lineTo(Apply(m, x1, y0));
  lineTo(Apply(m, x1, y1));
  lineTo(Apply(m, x0, y1));
  close();
}

void CGPath::addEllipse(CGRect r, const CGAffineTransform* m)
{
  r = CGRectStandardize(r);
  // Four cubic arcs; the control distance gives a quarter circle within 0.03 %.
  const CGFloat k = 0.5522847498307936;
  const CGFloat cx = r.origin.x + r.size.width / 2, cy = r.origin.y + r.size.height / 2;
  const CGFloat rx = r.size.width / 2, ry = r.size.height / 2;
  moveTo(Apply(m, cx + rx, cy));
  curveTo(Apply(m, cx + rx, cy + k * ry), Apply(m, cx + k * rx, cy + ry), Apply(m, cx, cy + ry));
  curveTo(Apply(m, cx - k * rx, cy + ry), Apply(m, cx - rx, cy + k * ry), Apply(m, cx - rx, cy));
  curveTo(Apply(m, cx - rx, cy - k * ry), Apply(m, cx - k * rx, cy - ry), Apply(m, cx, cy - ry));
  curveTo(Apply(m, cx + k * rx, cy - ry), Apply(m, cx + rx, cy - k * ry), Apply(m, cx + rx, cy));
  close();
}

void CGPath::append(const CGPath& other, const CGAffineTransform* m)
{
  const std::vector<Element> src = other.elements; // other may be this path
  for (const Element& e : src)
  {
    auto P = [&](int i) { return Apply(m, e.pts[i].x, e.pts[i].y); };
    switch (e.type)
    {
      case kCGPathElementMoveToPoint: moveTo(P(0)); break;
      case kCGPathElementAddLineToPoint: lineTo(P(0)); break;
      case kCGPathElementAddQuadCurveToPoint: quadTo(P(0), P(1)); break;
      case kCGPathElementAddCurveToPoint: curveTo(P(0), P(1), P(2)); break;
      default: close(); break;
    }
  }
}

void CGPath::clear()
{
  elements.clear();
  hasCurrent = false;
  current = subpathStart = CGPointZero;
}

CGRect CGPath::boundingBox() const
{
  if (elements.empty()) return CGRectNull;
  CGFloat x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (const Element& e : elements)
  {
    int n = 0;
    switch (e.type)
    {
      case kCGPathElementMoveToPoint:
      case kCGPathElementAddLineToPoint: n = 1; break;
      case kCGPathElementAddQuadCurveToPoint: n = 2; break;
      case kCGPathElementAddCurveToPoint: n = 3; break;
      default: break;
    }
    for (int i = 0; i < n; ++i)
    {
      x0 = fmin(x0, e.pts[i].x);
      y0 = fmin(y0, e.pts[i].y);
      x1 = fmax(x1, e.pts[i].x);
      y1 = fmax(y1, e.pts[i].y);
    }
  }
  if (x0 > x1) return CGRectNull;
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}

CGMutablePathRef CGPathCreateMutable(void) { return cgobj::create<CGPath>(); }

CGMutablePathRef CGPathCreateMutableCopy(CGPathRef path)
{
  if (!path) return nullptr;
  CGPath* p = cgobj::create<CGPath>();
  if (!p) return nullptr;
  p->elements = path->elements;
  p->current = path->current;
  p->subpathStart = path->subpathStart;
  p->hasCurrent = path->hasCurrent;
  return p;
}

CGPathRef CGPathCreateCopy(CGPathRef path) { return CGPathCreateMutableCopy(path); }

CGPathRef CGPathCreateWithRect(CGRect rect, const CGAffineTransform* m)
{
  CGPath* p = cgobj::create<CGPath>();
  if (!p) return nullptr;
  p->addRect(rect, m);
  return p;
}

CGPathRef CGPathCreateWithEllipseInRect(CGRect rect, const CGAffineTransform* m)
{
  CGPath* p = cgobj::create<CGPath>();
  if (!p) return nullptr;
  p->addEllipse(rect, m);
  return p;
}

CGPathRef CGPathRetain(CGPathRef path) { return cgobj::retain(path); }
void CGPathRelease(CGPathRef path) { cgobj::release(path); }

void CGPathMoveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
  if (path) path->moveTo(Apply(m, x, y));
}

void CGPathAddLineToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
  if (path) path->lineTo(Apply(m, x, y));
}

void CGPathAddQuadCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cpx, CGFloat cpy, CGFloat x,
                               CGFloat y)
{
  if (path) path->quadTo(Apply(m, cpx, cpy), Apply(m, x, y));
}

void CGPathAddCurveToPoint(CGMutablePathRef path, const CGAffineTransform* m, CGFloat cp1x, CGFloat cp1y,
                           CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
  if (path) path->curveTo(Apply(m, cp1x, cp1y), Apply(m, cp2x, cp2y), Apply(m, x, y));
}

void CGPathAddLines(CGMutablePathRef path, const CGAffineTransform* m, const CGPoint* points, size_t count)
{
  if (!path || !points || count == 0) return;
  path->moveTo(Apply(m, points[0].x, points[0].y));
  for (size_t i = 1; i < count; ++i) path->lineTo(Apply(m, points[i].x, points[i].y));
}

void CGPathAddRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect)
{
  if (path) path->addRect(rect, m);
}

void CGPathAddRects(CGMutablePathRef path, const CGAffineTransform* m, const CGRect* rects, size_t count)
{
  if (!path || !rects) return;
  for (size_t i = 0; i < count; ++i) path->addRect(rects[i], m);
}

void CGPathAddEllipseInRect(CGMutablePathRef path, const CGAffineTransform* m, CGRect rect)
{
  if (path) path->addEllipse(rect, m);
}

void CGPathAddPath(CGMutablePathRef path1, const CGAffineTransform* m, CGPathRef path2)
{
  if (path1 && path2) path1->append(*path2, m);
}

void CGPathCloseSubpath(CGMutablePathRef path)
{
  if (path) path->close();
}

bool CGPathIsEmpty(CGPathRef path) { return !path || path->empty(); }
CGPoint CGPathGetCurrentPoint(CGPathRef path) { return path ? path->current : CGPointZero; }
CGRect CGPathGetBoundingBox(CGPathRef path) { return path ? path->boundingBox() : CGRectNull; }

void CGPathApply(CGPathRef path, void* info, CGPathApplierFunction function)
{
  if (!path || !function) return;
  for (const CGPath::Element& e : path->elements)
  {
    CGPoint pts[3] = {e.pts[0], e.pts[1], e.pts[2]};
    CGPathElement el = {e.type, pts};
    function(info, &el);
  }
}

CFTypeID CGPathGetTypeID(void) { return cgobj::kPath; }
