#include "gdi/GDI_Internal.h"

#include <math.h>

using gdi::Live;

namespace
{
CGRect RectOf(long long l, long long t, long long r, long long b)
{
  return CGRectMake((double)l, (double)t, (double)(r - l), (double)(b - t));
}

// Width a real pen strokes with: at least one unit.
double StrokeWidth(const GDI_Object* pen) { return pen->width > 1 ? pen->width : 1; }

void UsePen(CGContextRef g, const GDI_Object* pen)
{
  CGContextSetStrokeColorWithColor(g, pen->color);
  CGContextSetLineWidth(g, StrokeWidth(pen));
}

// Fills with the selected brush and strokes with the selected pen whatever
// path addPath builds (called once per use, as drawing consumes the path).
template <class AddPath>
void FillAndStroke(GDI_Context* c, AddPath addPath)
{
  CGContextRef g = c->ctx;
  if (GDI_Object* brush = gdi::RealOfType(c->curBrush, GDI_OBJ_BRUSH))
  {
    CGContextSetFillColorWithColor(g, brush->color);
    CGContextBeginPath(g);
    addPath(g, 0.0);
    CGContextFillPath(g);
  }
  if (GDI_Object* pen = gdi::RealOfType(c->curPen, GDI_OBJ_PEN))
  {
    UsePen(g, pen);
    CGContextBeginPath(g);
    addPath(g, StrokeWidth(pen));
    CGContextStrokePath(g);
  }
}
} // namespace

void GDI_FillRect(HDC ctx, const RECT* r, HBRUSH brush)
{
  GDI_Context* c = Live(ctx);
  GDI_Object* b = gdi::RealOfType(brush, GDI_OBJ_BRUSH);
  if (!c || !r || !b) return;
  CGContextSetFillColorWithColor(c->ctx, b->color);
  CGContextFillRect(c->ctx, RectOf(r->left, r->top, r->right, r->bottom));
}

// The outline is stroked inside the rectangle: the pen's centre line runs
// half its width in from each edge, so a 1-unit pen covers whole pixels.
void Rectangle(HDC ctx, int l, int t, int r, int b)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  FillAndStroke(c, [&](CGContextRef g, double w) {
    CGContextAddRect(g, CGRectInset(RectOf(l, t, r, b), w / 2, w / 2));
  });
}

void Ellipse(HDC ctx, int l, int t, int r, int b)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  FillAndStroke(c, [&](CGContextRef g, double w) {
    const CGRect box = CGRectInset(RectOf(l, t, r, b), w / 2, w / 2);
    if (!CGRectIsNull(box)) CGContextAddEllipseInRect(g, box);
  });
}

void RoundRect(HDC ctx, int l, int t, int r, int b, int ew, int eh)
{
  const int dx = ew / 3, dy = eh / 3;
  const POINT pts[10] = {{l, t + dy}, {l + dx, t}, {r - dx, t}, {r, t + dy}, {r, b - dy},
                         {r - dx, b}, {l + dx, b}, {l, b - dy}, {l, t + dy}, {l + dx, t}};
  GDI_Polygon(ctx, pts, 10);
}

void GDI_Polygon(HDC ctx, const POINT* pts, int n)
{
  GDI_Context* c = Live(ctx);
  if (!c || !pts || n < 2) return;
  if (!gdi::RealOfType(c->curBrush, GDI_OBJ_BRUSH) && !gdi::RealOfType(c->curPen, GDI_OBJ_PEN)) return;
  FillAndStroke(c, [&](CGContextRef g, double) {
    CGContextMoveToPoint(g, pts[0].x, pts[0].y);
    for (int i = 1; i < n; ++i) CGContextAddLineToPoint(g, pts[i].x, pts[i].y);
    CGContextClosePath(g);
  });
}

void MoveToEx(HDC ctx, int x, int y, POINT* old)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  if (old)
  {
    old->x = gdi::SaturateInt(c->curX);
    old->y = gdi::SaturateInt(c->curY);
  }
  c->curX = x;
  c->curY = y;
}

void GDI_LineTo(HDC ctx, int x, int y)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  GDI_Object* pen = gdi::RealOfType(c->curPen, GDI_OBJ_PEN);
  if (pen)
  {
    const double half = StrokeWidth(pen) / 2;
    CGContextRef g = c->ctx;
    UsePen(g, pen);
    CGContextBeginPath(g);
    CGContextMoveToPoint(g, c->curX + half, c->curY + half);
    CGContextAddLineToPoint(g, x + half, y + half);
    CGContextStrokePath(g);
  }
  c->curX = x;
  c->curY = y;
}

void PolyBezierTo(HDC ctx, const POINT* pts, int n)
{
  GDI_Context* c = Live(ctx);
  GDI_Object* pen = c ? gdi::RealOfType(c->curPen, GDI_OBJ_PEN) : nullptr;
  if (!pen || !pts || n < 3) return;
  // Whole groups of three points only; a partial group at the end is ignored.
  const int groups = n / 3;
  CGContextRef g = c->ctx;
  UsePen(g, pen);
  CGContextBeginPath(g);
  CGContextMoveToPoint(g, c->curX, c->curY);
  for (int i = 0; i < groups; ++i)
  {
    const POINT* p = pts + 3 * i;
    CGContextAddCurveToPoint(g, p[0].x, p[0].y, p[1].x, p[1].y, p[2].x, p[2].y);
  }
  CGContextStrokePath(g);
  c->curX = pts[3 * groups - 1].x;
  c->curY = pts[3 * groups - 1].y;
}

void PolyPolyline(HDC ctx, const POINT* pts, const int* counts, int n)
{
  GDI_Context* c = Live(ctx);
  GDI_Object* pen = c ? gdi::RealOfType(c->curPen, GDI_OBJ_PEN) : nullptr;
  if (!pen || !pts || !counts || n < 1) return;
  CGContextRef g = c->ctx;
  const double half = StrokeWidth(pen) / 2;
  UsePen(g, pen);
  CGContextBeginPath(g);
  for (int i = 0; i < n; ++i)
  {
    const int k = counts[i];
    if (k < 0) continue; // a negative count is ignored
    if (k >= 2)
    {
      CGContextMoveToPoint(g, pts[0].x + half, pts[0].y + half);
      for (int j = 1; j < k; ++j) CGContextAddLineToPoint(g, pts[j].x + half, pts[j].y + half);
    }
    pts += k;
  }
  CGContextStrokePath(g);
}

// The pixel's unit square is filled: a one-unit diagonal from corner to
// corner, centred on the pixel's corner in this top-down space, would smear
// the colour over four pixels at partial strength.
void GDI_SetPixel(HDC ctx, int x, int y, int colour)
{
  GDI_Context* c = Live(ctx);
  if (!c) return;
  gdi::SetFill(c->ctx, colour);
  CGContextFillRect(c->ctx, CGRectMake(x, y, 1, 1));
}

void BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int mode)
{
  StretchBlt(dst, x, y, w, h, src, sx, sy, w, h, mode);
}

// Draws an image into a rectangle of a top-down context, upright.
static void DrawUpright(CGContextRef g, CGImageRef image, double x, double y, double w, double h)
{
  CGContextSaveGState(g);
  CGContextTranslateCTM(g, x, y + h);
  CGContextScaleCTM(g, 1, -1);
  CGContextDrawImage(g, CGRectMake(0, 0, w, h), image);
  CGContextRestoreGState(g);
}

void StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, int mode)
{
  GDI_Context* d = Live(dst);
  GDI_Context* s = Live(src);
  if (!d || !s || !s->fb || sw < 1 || sh < 1) return;
  // Source rectangle clipped to the source bitmap; the destination moves and
  // shrinks in proportion. All in 64 bits: no extent can overflow.
  long long dx = x, dy = y, dw = w, dh = h;
  long long cx = sx, cy = sy, cw = sw, ch = sh;
  if (cx < 0)
  {
    dx += dw * (-cx) / sw;
    cw += cx;
    cx = 0;
  }
  if (cy < 0)
  {
    dy += dh * (-cy) / sh;
    ch += cy;
    cy = 0;
  }
  if (cx + cw > s->fbWidth) cw = s->fbWidth - cx;
  if (cy + ch > s->fbHeight) ch = s->fbHeight - cy;
  if (cw < 1 || ch < 1) return;
  if (cw != sw) dw = dw * cw / sw;
  if (ch != sh) dh = dh * ch / sh;
  if (dw == 0 || dh == 0) return;

  const size_t rowBytes = (size_t)s->fbWidth * 4;
  const unsigned char* first = (const unsigned char*)s->fb + (size_t)cy * rowBytes + (size_t)cx * 4;
  CGDataProviderRef prov =
      CGDataProviderCreateWithData(nullptr, first, rowBytes * (size_t)(ch - 1) + (size_t)cw * 4, nullptr);
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  const CGBitmapInfo info = mode == SRCCOPY_USEALPHA ? kCGImageAlphaFirst : kCGImageAlphaNoneSkipFirst;
  CGImageRef image = CGImageCreate((size_t)cw, (size_t)ch, 8, 32, rowBytes, space, info, prov, nullptr, true,
                                   kCGRenderingIntentDefault);
  CGColorSpaceRelease(space);
  CGDataProviderRelease(prov);
  if (!image) return;
  DrawUpright(d->ctx, image, (double)dx, (double)dy, (double)dw, (double)dh);
  CGImageRelease(image);
}

void DrawImageInRect(HDC ctx, HGDIOBJ bitmap, const RECT* r)
{
  GDI_Context* c = Live(ctx);
  GDI_Object* b = gdi::LiveObject(bitmap);
  if (!c || !r || !b || b->type != GDI_OBJ_BITMAP || !b->image) return;
  DrawUpright(c->ctx, b->image, r->left, r->top, (double)r->right - r->left, (double)r->bottom - r->top);
}
