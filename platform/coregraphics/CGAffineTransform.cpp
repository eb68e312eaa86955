#include <CoreGraphics/CGAffineTransform.h>

#include <math.h>

const CGAffineTransform CGAffineTransformIdentity = {1, 0, 0, 1, 0, 0};

CGAffineTransform CGAffineTransformMake(CGFloat a, CGFloat b, CGFloat c, CGFloat d, CGFloat tx, CGFloat ty)
{
  CGAffineTransform t = {a, b, c, d, tx, ty};
  return t;
}

CGAffineTransform CGAffineTransformMakeTranslation(CGFloat tx, CGFloat ty)
{
  return CGAffineTransformMake(1, 0, 0, 1, tx, ty);
}

CGAffineTransform CGAffineTransformMakeScale(CGFloat sx, CGFloat sy)
{
  return CGAffineTransformMake(sx, 0, 0, sy, 0, 0);
}

CGAffineTransform CGAffineTransformMakeRotation(CGFloat angle)
{
  const CGFloat s = sin(angle), c = cos(angle);
  return CGAffineTransformMake(c, s, -s, c, 0, 0);
}

bool CGAffineTransformIsIdentity(CGAffineTransform t)
{
  return CGAffineTransformEqualToTransform(t, CGAffineTransformIdentity);
}

CGAffineTransform CGAffineTransformConcat(CGAffineTransform t1, CGAffineTransform t2)
{
  CGAffineTransform r;
  r.a = t1.a * t2.a + t1.b * t2.c;
  r.b = t1.a * t2.b + t1.b * t2.d;
  r.c = t1.c * t2.a + t1.d * t2.c;
  r.d = t1.c * t2.b + t1.d * t2.d;
  r.tx = t1.tx * t2.a + t1.ty * t2.c + t2.tx;
  r.ty = t1.tx * t2.b + t1.ty * t2.d + t2.ty;
  return r;
}

CGAffineTransform CGAffineTransformTranslate(CGAffineTransform t, CGFloat tx, CGFloat ty)
{
  return CGAffineTransformConcat(CGAffineTransformMakeTranslation(tx, ty), t);
}

CGAffineTransform CGAffineTransformScale(CGAffineTransform t, CGFloat sx, CGFloat sy)
{
  return CGAffineTransformConcat(CGAffineTransformMakeScale(sx, sy), t);
}

CGAffineTransform CGAffineTransformRotate(CGAffineTransform t, CGFloat angle)
{
  return CGAffineTransformConcat(CGAffineTransformMakeRotation(angle), t);
}

CGAffineTransform CGAffineTransformInvert(CGAffineTransform t)
{
  const CGFloat det = t.a * t.d - t.b * t.c;
  if (det == 0 || !isfinite(det)) return t;
  CGAffineTransform r;
  r.a = t.d / det;
  r.b = -t.b / det;
  r.c = -t.c / det;
  r.d = t.a / det;
  r.tx = -(r.a * t.tx + r.c * t.ty);
  r.ty = -(r.b * t.tx + r.d * t.ty);
  return r;
}

bool CGAffineTransformEqualToTransform(CGAffineTransform t1, CGAffineTransform t2)
{
  return t1.a == t2.a && t1.b == t2.b && t1.c == t2.c && t1.d == t2.d && t1.tx == t2.tx && t1.ty == t2.ty;
}

CGPoint CGPointApplyAffineTransform(CGPoint p, CGAffineTransform t)
{
  return CGPointMake(t.a * p.x + t.c * p.y + t.tx, t.b * p.x + t.d * p.y + t.ty);
}

CGSize CGSizeApplyAffineTransform(CGSize s, CGAffineTransform t)
{
  return CGSizeMake(t.a * s.width + t.c * s.height, t.b * s.width + t.d * s.height);
}

CGRect CGRectApplyAffineTransform(CGRect r, CGAffineTransform t)
{
  if (CGRectIsNull(r)) return r;
  r = CGRectStandardize(r);
  const CGFloat xs[2] = {r.origin.x, r.origin.x + r.size.width};
  const CGFloat ys[2] = {r.origin.y, r.origin.y + r.size.height};
  CGFloat x0 = INFINITY, y0 = INFINITY, x1 = -INFINITY, y1 = -INFINITY;
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
    {
      const CGPoint p = CGPointApplyAffineTransform(CGPointMake(xs[i], ys[j]), t);
      x0 = fmin(x0, p.x);
      y0 = fmin(y0, p.y);
      x1 = fmax(x1, p.x);
      y1 = fmax(y1, p.y);
    }
  return CGRectMake(x0, y0, x1 - x0, y1 - y0);
}
