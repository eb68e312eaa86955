// Rasterisation of a CGContext: coverage from cairo (paths) or boxes, colour
// and images composited into the target by pixman.
#include "coregraphics/CGContextData.h"
#include "coregraphics/CGImageData.h"

#include <cairo.h>
#include <math.h>

#include <algorithm>

namespace
{
// Coordinates cairo's 24.8 fixed point holds with room to spare.
const double kSafeCoord = 4194304.0;

pixman_color_t PremultipliedColor(const CGContext::Paint& p, CGFloat alpha)
{
  const double a = p.a * alpha;
  pixman_color_t c;
  c.alpha = (uint16_t)lround(a * 65535.0);
  c.red = (uint16_t)lround(p.r * a * 65535.0);
  c.green = (uint16_t)lround(p.g * a * 65535.0);
  c.blue = (uint16_t)lround(p.b * a * 65535.0);
  return c;
}

// pixman operator for a blend mode; Copy and Clear are composed separately.
pixman_op_t OpFor(CGBlendMode m)
{
  switch (m)
  {
    case kCGBlendModeMultiply: return PIXMAN_OP_MULTIPLY;
    case kCGBlendModeScreen: return PIXMAN_OP_SCREEN;
    case kCGBlendModeOverlay: return PIXMAN_OP_OVERLAY;
    case kCGBlendModeDarken: return PIXMAN_OP_DARKEN;
    case kCGBlendModeLighten: return PIXMAN_OP_LIGHTEN;
    case kCGBlendModeColorDodge: return PIXMAN_OP_COLOR_DODGE;
    case kCGBlendModeColorBurn: return PIXMAN_OP_COLOR_BURN;
    case kCGBlendModeSoftLight: return PIXMAN_OP_SOFT_LIGHT;
    case kCGBlendModeHardLight: return PIXMAN_OP_HARD_LIGHT;
    case kCGBlendModeDifference: return PIXMAN_OP_DIFFERENCE;
    case kCGBlendModeExclusion: return PIXMAN_OP_EXCLUSION;
    case kCGBlendModeHue: return PIXMAN_OP_HSL_HUE;
    case kCGBlendModeSaturation: return PIXMAN_OP_HSL_SATURATION;
    case kCGBlendModeColor: return PIXMAN_OP_HSL_COLOR;
    case kCGBlendModeLuminosity: return PIXMAN_OP_HSL_LUMINOSITY;
    case kCGBlendModeSourceIn: return PIXMAN_OP_IN;
    case kCGBlendModeSourceOut: return PIXMAN_OP_OUT;
    case kCGBlendModeSourceAtop: return PIXMAN_OP_ATOP;
    case kCGBlendModeDestinationOver: return PIXMAN_OP_OVER_REVERSE;
    case kCGBlendModeDestinationIn: return PIXMAN_OP_IN_REVERSE;
    case kCGBlendModeDestinationOut: return PIXMAN_OP_OUT_REVERSE;
    case kCGBlendModeDestinationAtop: return PIXMAN_OP_ATOP_REVERSE;
    case kCGBlendModeXOR: return PIXMAN_OP_XOR;
    case kCGBlendModePlusLighter: return PIXMAN_OP_ADD;
    default: return PIXMAN_OP_OVER;
  }
}

bool Intersect(const CGContext::GState& gs, int* x0, int* y0, int* x1, int* y1)
{
  *x0 = std::max(*x0, gs.clipX0);
  *y0 = std::max(*y0, gs.clipY0);
  *x1 = std::min(*x1, gs.clipX1);
  *y1 = std::min(*y1, gs.clipY1);
  return *x0 < *x1 && *y0 < *y1;
}

bool PathUsable(const CGPath& p, bool* huge)
{
  *huge = false;
  for (const CGPath::Element& e : p.elements)
    for (int i = 0; i < 3; ++i)
    {
      if (!isfinite(e.pts[i].x) || !isfinite(e.pts[i].y)) return false;
      if (fabs(e.pts[i].x) > kSafeCoord || fabs(e.pts[i].y) > kSafeCoord) *huge = true;
    }
  return true;
}

struct Polyline
{
  std::vector<CGPoint> pts;
  bool closed = false;
};

CGPoint Lerp(CGPoint a, CGPoint b, double t) { return CGPointMake(a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t); }

std::vector<Polyline> Flatten(const CGPath& p)
{
  std::vector<Polyline> out;
  CGPoint cur = CGPointZero;
  for (const CGPath::Element& e : p.elements)
  {
    switch (e.type)
    {
      case kCGPathElementMoveToPoint:
        out.push_back({});
        out.back().pts.push_back(e.pts[0]);
        cur = e.pts[0];
        break;
      case kCGPathElementAddLineToPoint:
        out.back().pts.push_back(e.pts[0]);
        cur = e.pts[0];
        break;
      case kCGPathElementAddQuadCurveToPoint:
      case kCGPathElementAddCurveToPoint:
      {
        const bool quad = e.type == kCGPathElementAddQuadCurveToPoint;
        const CGPoint c1 = quad ? Lerp(cur, e.pts[0], 2.0 / 3) : e.pts[0];
        const CGPoint c2 = quad ? Lerp(e.pts[1], e.pts[0], 2.0 / 3) : e.pts[1];
        const CGPoint end = quad ? e.pts[1] : e.pts[2];
        const double len = hypot(c1.x - cur.x, c1.y - cur.y) + hypot(c2.x - c1.x, c2.y - c1.y) +
                           hypot(end.x - c2.x, end.y - c2.y);
        const int n = (int)std::min(256.0, std::max(1.0, ceil(len / 4)));
        for (int i = 1; i <= n; ++i)
        {
          const double t = (double)i / n, u = 1 - t;
          out.back().pts.push_back(CGPointMake(u * u * u * cur.x + 3 * u * u * t * c1.x + 3 * u * t * t * c2.x + t * t * t * end.x,
                                               u * u * u * cur.y + 3 * u * u * t * c1.y + 3 * u * t * t * c2.y + t * t * t * end.y));
        }
        cur = end;
        break;
      }
      default:
        if (!out.empty())
        {
          out.back().closed = true;
          cur = out.back().pts.front();
          out.push_back({});
          out.back().pts.push_back(cur);
        }
        break;
    }
  }
  return out;
}

// Sutherland-Hodgman against one edge of the box; keeps the winding of every
// point inside the box, so fills are unchanged there.
std::vector<CGPoint> ClipEdge(const std::vector<CGPoint>& in, int axis, double v, bool keepGreater)
{
  std::vector<CGPoint> out;
  if (in.empty()) return out;
  auto inside = [&](CGPoint p) {
    const double c = axis ? p.y : p.x;
    return keepGreater ? c >= v : c <= v;
  };
  auto cross = [&](CGPoint a, CGPoint b) {
    const double ca = axis ? a.y : a.x, cb = axis ? b.y : b.x;
    const double t = (v - ca) / (cb - ca);
    CGPoint r = Lerp(a, b, t);
    if (axis)
      r.y = v;
    else
      r.x = v;
    return r;
  };
  CGPoint prev = in.back();
  for (const CGPoint& p : in)
  {
    if (inside(p))
    {
      if (!inside(prev)) out.push_back(cross(prev, p));
      out.push_back(p);
    }
    else if (inside(prev))
      out.push_back(cross(prev, p));
    prev = p;
  }
  return out;
}

// Liang-Barsky: the part of segment a-b inside the box, if any.
bool ClipSegment(CGPoint* a, CGPoint* b, double x0, double y0, double x1, double y1)
{
  double t0 = 0, t1 = 1;
  const double dx = b->x - a->x, dy = b->y - a->y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a->x - x0, x1 - a->x, a->y - y0, y1 - a->y};
  for (int i = 0; i < 4; ++i)
  {
    if (p[i] == 0)
    {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
    if (t0 > t1) return false;
  }
  const CGPoint s = *a;
  *a = CGPointMake(s.x + dx * t0, s.y + dy * t0);
  *b = CGPointMake(s.x + dx * t1, s.y + dy * t1);
  return true;
}

// Builds the cairo path, moved by (-ox, -oy). Paths with coordinates beyond
// cairo's range are flattened and cut to the box (bx0..by1, in pixel space).
void EmitPath(cairo_t* cr, const CGPath& p, bool huge, bool forStroke, double ox, double oy, double bx0, double by0,
              double bx1, double by1)
{
  if (!huge)
  {
    for (const CGPath::Element& e : p.elements)
    {
      switch (e.type)
      {
        case kCGPathElementMoveToPoint: cairo_move_to(cr, e.pts[0].x - ox, e.pts[0].y - oy); break;
        case kCGPathElementAddLineToPoint: cairo_line_to(cr, e.pts[0].x - ox, e.pts[0].y - oy); break;
        case kCGPathElementAddQuadCurveToPoint:
        {
          double cx, cy;
          cairo_get_current_point(cr, &cx, &cy);
          const double qx = e.pts[0].x - ox, qy = e.pts[0].y - oy, ex = e.pts[1].x - ox, ey = e.pts[1].y - oy;
          cairo_curve_to(cr, cx + 2.0 / 3 * (qx - cx), cy + 2.0 / 3 * (qy - cy), ex + 2.0 / 3 * (qx - ex),
                         ey + 2.0 / 3 * (qy - ey), ex, ey);
          break;
        }
        case kCGPathElementAddCurveToPoint:
          cairo_curve_to(cr, e.pts[0].x - ox, e.pts[0].y - oy, e.pts[1].x - ox, e.pts[1].y - oy, e.pts[2].x - ox,
                         e.pts[2].y - oy);
          break;
        default: cairo_close_path(cr); break;
      }
    }
    return;
  }
  for (const Polyline& pl : Flatten(p))
  {
    if (pl.pts.size() < 2) continue;
    if (!forStroke)
    {
      std::vector<CGPoint> poly = pl.pts;
      poly = ClipEdge(poly, 0, bx0, true);
      poly = ClipEdge(poly, 0, bx1, false);
      poly = ClipEdge(poly, 1, by0, true);
      poly = ClipEdge(poly, 1, by1, false);
      if (poly.size() < 3) continue;
      cairo_move_to(cr, poly[0].x - ox, poly[0].y - oy);
      for (size_t i = 1; i < poly.size(); ++i) cairo_line_to(cr, poly[i].x - ox, poly[i].y - oy);
      cairo_close_path(cr);
      continue;
    }
    const size_t n = pl.pts.size();
    const size_t segs = pl.closed ? n : n - 1;
    for (size_t i = 0; i < segs; ++i)
    {
      CGPoint a = pl.pts[i], b = pl.pts[(i + 1) % n];
      if (!ClipSegment(&a, &b, bx0, by0, bx1, by1)) continue;
      cairo_move_to(cr, a.x - ox, a.y - oy);
      cairo_line_to(cr, b.x - ox, b.y - oy);
    }
  }
}

// Largest factor by which the transform can stretch a length.
double MaxScale(const CGAffineTransform& m)
{
  return std::max(fabs(m.a) + fabs(m.c), fabs(m.b) + fabs(m.d));
}

bool PixelBoxOf(const CGPath& p, double margin, int* x0, int* y0, int* x1, int* y1)
{
  const CGRect r = p.boundingBox();
  if (CGRectIsNull(r)) return false;
  const double lim = 1073741824.0;
  *x0 = (int)std::max(-lim, floor(r.origin.x - margin));
  *y0 = (int)std::max(-lim, floor(r.origin.y - margin));
  *x1 = (int)std::min(lim, ceil(r.origin.x + r.size.width + margin));
  *y1 = (int)std::min(lim, ceil(r.origin.y + r.size.height + margin));
  return *x0 < *x1 && *y0 < *y1;
}
} // namespace

void CGContext::compositeColor(const Paint& p, pixman_image_t* mask, int x, int y, int w, int h)
{
  int x0 = x, y0 = y, x1 = x + w, y1 = y + h;
  if (w <= 0 || h <= 0 || !Intersect(gs, &x0, &y0, &x1, &y1)) return;
  const int mx = x0 - x, my = y0 - y;
  if (gs.blend == kCGBlendModeClear || gs.blend == kCGBlendModeCopy)
  {
    // Coverage mixes towards the result instead of the unbounded Render
    // semantics: out-reverse by the coverage, then add the covered source.
    pixman_color_t white = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF};
    pixman_image_t* cut = pixman_image_create_solid_fill(&white);
    if (!mask && gs.blend == kCGBlendModeCopy)
    {
      const pixman_color_t c = PremultipliedColor(p, gs.alpha);
      pixman_image_t* src = pixman_image_create_solid_fill(&c);
      pixman_image_composite32(PIXMAN_OP_SRC, src, nullptr, target, 0, 0, 0, 0, x0, y0, x1 - x0, y1 - y0);
      pixman_image_unref(src);
    }
    else
    {
      pixman_image_composite32(PIXMAN_OP_OUT_REVERSE, cut, mask, target, 0, 0, mx, my, x0, y0, x1 - x0, y1 - y0);
      if (gs.blend == kCGBlendModeCopy)
      {
        const pixman_color_t c = PremultipliedColor(p, gs.alpha);
        pixman_image_t* src = pixman_image_create_solid_fill(&c);
        pixman_image_composite32(PIXMAN_OP_ADD, src, mask, target, 0, 0, mx, my, x0, y0, x1 - x0, y1 - y0);
        pixman_image_unref(src);
      }
    }
    pixman_image_unref(cut);
    return;
  }
  const pixman_color_t c = PremultipliedColor(p, gs.alpha);
  if (c.alpha == 0 && gs.blend == kCGBlendModeNormal) return;
  pixman_image_t* src = pixman_image_create_solid_fill(&c);
  pixman_image_composite32(OpFor(gs.blend), src, mask, target, 0, 0, mx, my, x0, y0, x1 - x0, y1 - y0);
  pixman_image_unref(src);
}

void CGContext::compositeImage(pixman_image_t* src, int x0, int y0, int x1, int y1)
{
  if (!Intersect(gs, &x0, &y0, &x1, &y1)) return;
  pixman_image_t* mask = nullptr;
  if (gs.alpha < 1)
  {
    const pixman_color_t m = {0, 0, 0, (uint16_t)lround(gs.alpha * 65535.0)};
    mask = pixman_image_create_solid_fill(&m);
  }
  pixman_op_t op = OpFor(gs.blend);
  if (gs.blend == kCGBlendModeCopy) op = PIXMAN_OP_SRC;
  if (gs.blend == kCGBlendModeClear) op = PIXMAN_OP_CLEAR;
  pixman_image_composite32(op, src, mask, target, x0, y0, 0, 0, x0, y0, x1 - x0, y1 - y0);
  if (mask) pixman_image_unref(mask);
}

static void FillCoverage(CGContext* c, const CGPath& p, bool evenOdd, bool stroke, const CGContext::Paint& paint)
{
  if (p.empty() || c->gs.clipEmpty()) return;
  bool huge;
  if (!PathUsable(p, &huge)) return; // NaN or infinite coordinates draw nothing
  const CGAffineTransform m = c->pixelTransform();
  double margin = 1;
  if (stroke)
  {
    const double w = c->gs.lineWidth > 0 ? c->gs.lineWidth * MaxScale(m) : 1;
    const double joinFactor = c->gs.join == kCGLineJoinMiter ? std::max(1.0, (double)c->gs.miterLimit) : 1.0;
    margin = w / 2 * std::max(joinFactor, 1.5) + 2;
  }
  int x0, y0, x1, y1;
  if (!PixelBoxOf(p, margin, &x0, &y0, &x1, &y1) || !Intersect(c->gs, &x0, &y0, &x1, &y1)) return;
  const int w = x1 - x0, h = y1 - y0;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS)
  {
    cairo_surface_destroy(s);
    return;
  }
  cairo_t* cr = cairo_create(s);
  cairo_set_antialias(cr, c->antialiasOn() ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  // Huge paths are cut a little outside the visible box (and, for strokes,
  // outside it by the pen's reach) so the cut edges never show.
  const double cut = stroke ? margin + 2 : 2;
  EmitPath(cr, p, huge, stroke, x0, y0, x0 - cut, y0 - cut, x1 + cut, y1 + cut);
  bool draw = true;
  if (stroke)
  {
    const double det = m.a * m.d - m.b * m.c;
    if (c->gs.lineWidth > 0 && det != 0 && isfinite(det))
    {
      // The pen is shaped by the linear part of user -> pixel space.
      cairo_matrix_t cm;
      cairo_matrix_init(&cm, m.a, m.b, m.c, m.d, 0, 0);
      cairo_set_matrix(cr, &cm);
      cairo_set_line_width(cr, c->gs.lineWidth);
    }
    else if (c->gs.lineWidth > 0)
      draw = false;
    else
      cairo_set_line_width(cr, 1); // width 0: the thinnest line the device shows
    cairo_set_line_cap(cr, c->gs.cap == kCGLineCapRound    ? CAIRO_LINE_CAP_ROUND
                           : c->gs.cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE
                                                           : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(cr, c->gs.join == kCGLineJoinRound   ? CAIRO_LINE_JOIN_ROUND
                            : c->gs.join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL
                                                             : CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(cr, c->gs.miterLimit);
    bool dashOk = !c->gs.dashes.empty();
    for (CGFloat d : c->gs.dashes)
      if (!(d >= 0) || !isfinite(d)) dashOk = false;
    if (dashOk) cairo_set_dash(cr, c->gs.dashes.data(), (int)c->gs.dashes.size(), c->gs.dashPhase);
    if (draw) cairo_stroke(cr);
  }
  else
  {
    cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
  }
  cairo_destroy(cr);
  cairo_surface_flush(s);
  if (draw)
  {
    pixman_image_t* mask = pixman_image_create_bits(PIXMAN_a8, w, h, (uint32_t*)cairo_image_surface_get_data(s),
                                                    cairo_image_surface_get_stride(s));
    if (mask)
    {
      c->compositeColor(paint, mask, x0, y0, w, h);
      pixman_image_unref(mask);
    }
  }
  cairo_surface_destroy(s);
}

void CGContext::fillPath(const CGPath& p, bool evenOdd, const Paint& paint)
{
  FillCoverage(this, p, evenOdd, false, paint);
}

void CGContext::strokePath(const CGPath& p, const Paint& paint) { FillCoverage(this, p, false, true, paint); }

static CGContext* Ctx(CGContextRef c) { return cgobj::as<CGContext>(c, cgobj::kContext); }

void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  if (mode == kCGPathFill || mode == kCGPathFillStroke) x->fillPath(x->path, false, x->gs.fill);
  if (mode == kCGPathEOFill || mode == kCGPathEOFillStroke) x->fillPath(x->path, true, x->gs.fill);
  if (mode == kCGPathStroke || mode == kCGPathFillStroke || mode == kCGPathEOFillStroke)
    x->strokePath(x->path, x->gs.stroke);
  x->path.clear();
}

void CGContextFillPath(CGContextRef c) { CGContextDrawPath(c, kCGPathFill); }
void CGContextEOFillPath(CGContextRef c) { CGContextDrawPath(c, kCGPathEOFill); }
void CGContextStrokePath(CGContextRef c) { CGContextDrawPath(c, kCGPathStroke); }

// Fills a user-space rectangle; whole-pixel rectangles (or any rectangle
// with anti-aliasing off) under an axis-aligned CTM skip the path rasteriser.
static void FillRectWith(CGContext* x, CGRect rect, bool clear)
{
  const CGAffineTransform m = x->pixelTransform();
  rect = CGRectStandardize(rect);
  if (CGRectIsNull(rect) || isnan(rect.origin.x) || isnan(rect.origin.y) || isnan(rect.size.width) ||
      isnan(rect.size.height))
    return;
  const CGRect r = CGRectApplyAffineTransform(rect, m);
  const double ex0 = r.origin.x, ey0 = r.origin.y, ex1 = ex0 + r.size.width, ey1 = ey0 + r.size.height;
  const bool aligned = m.b == 0 && m.c == 0;
  const bool whole = ex0 == floor(ex0) && ey0 == floor(ey0) && ex1 == floor(ex1) && ey1 == floor(ey1);
  if (aligned && (whole || !x->antialiasOn()))
  {
    int ix0, iy0, ix1, iy1;
    cgcontext::PixelCover(ex0, ey0, ex1, ey1, &ix0, &iy0, &ix1, &iy1);
    if (ix0 >= ix1 || iy0 >= iy1) return;
    if (clear)
    {
      if (!Intersect(x->gs, &ix0, &iy0, &ix1, &iy1)) return;
      pixman_box32_t box = {ix0, iy0, ix1, iy1};
      const pixman_color_t none = {0, 0, 0, 0};
      pixman_image_fill_boxes(PIXMAN_OP_SRC, x->target, &none, 1, &box);
      return;
    }
    x->compositeColor(x->gs.fill, nullptr, ix0, iy0, ix1 - ix0, iy1 - iy0);
    return;
  }
  CGPath p;
  p.addRect(rect, &m);
  if (clear)
  {
    const CGBlendMode saved = x->gs.blend;
    x->gs.blend = kCGBlendModeClear;
    x->fillPath(p, false, x->gs.fill);
    x->gs.blend = saved;
    return;
  }
  x->fillPath(p, false, x->gs.fill);
}

void CGContextFillRect(CGContextRef c, CGRect rect)
{
  if (CGContext* x = Ctx(c)) FillRectWith(x, rect, false);
}

void CGContextFillRects(CGContextRef c, const CGRect* rects, size_t count)
{
  if (!rects) return;
  for (size_t i = 0; i < count; ++i) CGContextFillRect(c, rects[i]);
}

void CGContextClearRect(CGContextRef c, CGRect rect)
{
  if (CGContext* x = Ctx(c)) FillRectWith(x, rect, true);
}

void CGContextStrokeRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  CGPath p;
  const CGAffineTransform m = x->pixelTransform();
  p.addRect(rect, &m);
  x->strokePath(p, x->gs.stroke);
}

void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  const CGFloat saved = x->gs.lineWidth;
  x->gs.lineWidth = width;
  CGContextStrokeRect(c, rect);
  x->gs.lineWidth = saved;
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  CGPath p;
  const CGAffineTransform m = x->pixelTransform();
  p.addEllipse(rect, &m);
  x->fillPath(p, false, x->gs.fill);
}

void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect)
{
  CGContext* x = Ctx(c);
  if (!x) return;
  CGPath p;
  const CGAffineTransform m = x->pixelTransform();
  p.addEllipse(rect, &m);
  x->strokePath(p, x->gs.stroke);
}

void CGContextStrokeLineSegments(CGContextRef c, const CGPoint* points, size_t count)
{
  CGContext* x = Ctx(c);
  if (!x || !points) return;
  CGPath p;
  const CGAffineTransform m = x->pixelTransform();
  for (size_t i = 0; i + 1 < count; i += 2)
  {
    p.moveTo(CGPointApplyAffineTransform(points[i], m));
    p.lineTo(CGPointApplyAffineTransform(points[i + 1], m));
  }
  x->strokePath(p, x->gs.stroke);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, CGImageRef image)
{
  CGContext* x = Ctx(c);
  if (!x || !image || !image->pix) return;
  rect = CGRectStandardize(rect);
  if (CGRectIsEmpty(rect) || !isfinite(rect.origin.x) || !isfinite(rect.origin.y) || !isfinite(rect.size.width) ||
      !isfinite(rect.size.height))
    return;
  const double W = (double)image->width, H = (double)image->height;
  // Image pixel space (row 0 on top) -> user space (the rectangle, y up) -> pixel space.
  const CGAffineTransform toUser = CGAffineTransformMake(rect.size.width / W, 0, 0, -rect.size.height / H,
                                                         rect.origin.x, rect.origin.y + rect.size.height);
  const CGAffineTransform toPixel = CGAffineTransformConcat(toUser, x->pixelTransform());
  const double det = toPixel.a * toPixel.d - toPixel.b * toPixel.c;
  if (det == 0 || !isfinite(det)) return;
  const CGAffineTransform inv = CGAffineTransformInvert(toPixel);
  const CGRect box = CGRectApplyAffineTransform(rect, x->pixelTransform());
  int x0, y0, x1, y1;
  cgcontext::PixelCover(box.origin.x, box.origin.y, box.origin.x + box.size.width, box.origin.y + box.size.height, &x0,
                        &y0, &x1, &y1);
  if (!Intersect(x->gs, &x0, &y0, &x1, &y1)) return;
  // pixman's 16.16 transform holds only moderate scales and offsets.
  const double lim = 30000.0;
  if (fabs(inv.a) > lim || fabs(inv.b) > lim || fabs(inv.c) > lim || fabs(inv.d) > lim || fabs(inv.tx) > lim * 16 ||
      fabs(inv.ty) > lim * 16)
    return;
  pixman_transform_t t;
  pixman_transform_init_identity(&t);
  t.matrix[0][0] = pixman_double_to_fixed(inv.a);
  t.matrix[0][1] = pixman_double_to_fixed(inv.c);
  t.matrix[0][2] = pixman_double_to_fixed(inv.tx);
  t.matrix[1][0] = pixman_double_to_fixed(inv.b);
  t.matrix[1][1] = pixman_double_to_fixed(inv.d);
  t.matrix[1][2] = pixman_double_to_fixed(inv.ty);
  const bool identity = inv.a == 1 && inv.d == 1 && inv.b == 0 && inv.c == 0 && inv.tx == floor(inv.tx) &&
                        inv.ty == floor(inv.ty);
  // A private view of the pixels: the image may be drawn from several threads.
  pixman_image_t* src =
      pixman_image_create_bits(pixman_image_get_format(image->pix), (int)image->width, (int)image->height,
                               pixman_image_get_data(image->pix), pixman_image_get_stride(image->pix));
  if (!src) return;
  if (identity)
  {
    // Plain copy: no filter, the offset is applied by the composite itself.
    int sx0 = x0 + (int)inv.tx, sy0 = y0 + (int)inv.ty;
    pixman_image_t* mask = nullptr;
    if (x->gs.alpha < 1)
    {
      const pixman_color_t m = {0, 0, 0, (uint16_t)lround(x->gs.alpha * 65535.0)};
      mask = pixman_image_create_solid_fill(&m);
    }
    pixman_op_t op = OpFor(x->gs.blend);
    if (x->gs.blend == kCGBlendModeCopy) op = PIXMAN_OP_SRC;
    pixman_image_composite32(op, src, mask, x->target, sx0, sy0, 0, 0, x0, y0, x1 - x0, y1 - y0);
    if (mask) pixman_image_unref(mask);
    pixman_image_unref(src);
    return;
  }
  pixman_image_set_transform(src, &t);
  const bool nearest = x->gs.interpolation == kCGInterpolationNone || !image->interpolate;
  pixman_image_set_filter(src, nearest ? PIXMAN_FILTER_NEAREST : PIXMAN_FILTER_BILINEAR, nullptr, 0);
  // Axis-aligned drawing pads the edges so they stay sharp inside the
  // rectangle; rotated drawing fades to nothing outside the image.
  pixman_image_set_repeat(src, (toPixel.b == 0 && toPixel.c == 0) ? PIXMAN_REPEAT_PAD : PIXMAN_REPEAT_NONE);
  x->compositeImage(src, x0, y0, x1, y1);
  pixman_image_unref(src);
}
