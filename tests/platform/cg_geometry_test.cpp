// Rectangles, transforms and paths.
#include <CoreGraphics/CoreGraphics.h>

#include <gtest/gtest.h>

#include <math.h>

TEST(CGGeometry, IntersectionAndUnionHonourTheNullRectangle)
{
  const CGRect a = CGRectMake(0, 0, 10, 10), b = CGRectMake(5, 5, 10, 10), far = CGRectMake(20, 20, 1, 1);
  EXPECT_TRUE(CGRectEqualToRect(CGRectIntersection(a, b), CGRectMake(5, 5, 5, 5)));
  EXPECT_TRUE(CGRectIsNull(CGRectIntersection(a, far)));
  EXPECT_TRUE(CGRectIsEmpty(CGRectIntersection(a, far)));
  // Touching rectangles meet in an empty rectangle, not in none.
  const CGRect touch = CGRectIntersection(a, CGRectMake(10, 0, 5, 5));
  EXPECT_FALSE(CGRectIsNull(touch));
  EXPECT_TRUE(CGRectIsEmpty(touch));
  EXPECT_TRUE(CGRectEqualToRect(CGRectUnion(CGRectNull, a), a));
  EXPECT_TRUE(CGRectEqualToRect(CGRectStandardize(CGRectMake(10, 10, -4, -6)), CGRectMake(6, 4, 4, 6)));
  EXPECT_TRUE(CGRectEqualToRect(CGRectIntegral(CGRectMake(0.5, 0.2, 1, 1)), CGRectMake(0, 0, 2, 2)));
  EXPECT_TRUE(CGRectContainsPoint(a, CGPointMake(0, 0)));
  EXPECT_FALSE(CGRectContainsPoint(a, CGPointMake(10, 5)));
  EXPECT_TRUE(CGRectIsNull(CGRectInset(a, 6, 0)));
}

TEST(CGAffineTransform, ConcatAppliesTheFirstFirst)
{
  const CGAffineTransform t = CGAffineTransformConcat(CGAffineTransformMakeTranslation(1, 2),
                                                      CGAffineTransformMakeScale(10, -1));
  const CGPoint p = CGPointApplyAffineTransform(CGPointMake(1, 1), t);
  EXPECT_DOUBLE_EQ(p.x, 20);
  EXPECT_DOUBLE_EQ(p.y, -3);
  const CGAffineTransform inv = CGAffineTransformInvert(t);
  const CGPoint back = CGPointApplyAffineTransform(p, inv);
  EXPECT_NEAR(back.x, 1, 1e-12);
  EXPECT_NEAR(back.y, 1, 1e-12);
  // A singular transform is returned unchanged.
  const CGAffineTransform z = CGAffineTransformMakeScale(0, 1);
  EXPECT_TRUE(CGAffineTransformEqualToTransform(CGAffineTransformInvert(z), z));
  const CGPoint r = CGPointApplyAffineTransform(CGPointMake(1, 0), CGAffineTransformMakeRotation(M_PI / 2));
  EXPECT_NEAR(r.x, 0, 1e-12);
  EXPECT_NEAR(r.y, 1, 1e-12);
}

TEST(CGPath, ElementsBoundsAndCurrentPoint)
{
  CGMutablePathRef p = CGPathCreateMutable();
  EXPECT_TRUE(CGPathIsEmpty(p));
  EXPECT_TRUE(CGRectIsNull(CGPathGetBoundingBox(p)));
  CGPathMoveToPoint(p, nullptr, 1, 2);
  CGPathAddCurveToPoint(p, nullptr, 10, 0, 0, 10, 5, 5);
  EXPECT_TRUE(CGPointEqualToPoint(CGPathGetCurrentPoint(p), CGPointMake(5, 5)));
  CGPathCloseSubpath(p);
  EXPECT_TRUE(CGPointEqualToPoint(CGPathGetCurrentPoint(p), CGPointMake(1, 2)));
  EXPECT_TRUE(CGRectEqualToRect(CGPathGetBoundingBox(p), CGRectMake(0, 0, 10, 10)));
  int counts[5] = {};
  CGPathApply(p, counts, [](void* info, const CGPathElement* e) { ++((int*)info)[e->type]; });
  EXPECT_EQ(counts[kCGPathElementMoveToPoint], 1);
  EXPECT_EQ(counts[kCGPathElementAddCurveToPoint], 1);
  EXPECT_EQ(counts[kCGPathElementCloseSubpath], 1);
  const CGAffineTransform m = CGAffineTransformMakeTranslation(100, 0);
  CGPathAddEllipseInRect(p, &m, CGRectMake(0, 0, 4, 2));
  EXPECT_DOUBLE_EQ(CGRectGetMaxX(CGPathGetBoundingBox(p)), 104);
  CGPathRef copy = CGPathCreateCopy(p);
  EXPECT_TRUE(CGRectEqualToRect(CGPathGetBoundingBox(copy), CGPathGetBoundingBox(p)));
  CGPathRelease(copy);
  CGPathRelease(p);
  // Null paths are ignored.
  CGPathAddLineToPoint(nullptr, nullptr, 1, 1);
  EXPECT_TRUE(CGPathIsEmpty(nullptr));
}

TEST(CGContext, ArcsAndUserSpaceQueries)
{
  uint8_t px[20 * 20 * 4] = {};
  CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
  CGContextRef c = CGBitmapContextCreate(px, 20, 20, 8, 80, space, kCGImageAlphaNoneSkipFirst);
  CGColorSpaceRelease(space);
  CGContextTranslateCTM(c, 10, 10);
  CGContextBeginPath(c);
  CGContextAddArc(c, 0, 0, 5, 0, M_PI, 0);
  const CGPoint cur = CGContextGetPathCurrentPoint(c);
  EXPECT_NEAR(cur.x, -5, 1e-9);
  EXPECT_NEAR(cur.y, 0, 1e-9);
  const CGRect box = CGContextGetPathBoundingBox(c);
  EXPECT_NEAR(CGRectGetMinY(box), 0, 1e-9);
  EXPECT_NEAR(CGRectGetMaxY(box), 5, 1e-9);
  CGContextSetRGBFillColor(c, 1, 0, 0, 1);
  CGContextFillPath(c);
  // The upper half-disc (y up) is in the upper memory rows.
  EXPECT_EQ(px[(7 * 20 + 10) * 4 + 1], 255);
  EXPECT_EQ(px[(13 * 20 + 10) * 4 + 1], 0);
  const CGRect clip = CGContextGetClipBoundingBox(c);
  EXPECT_TRUE(CGRectEqualToRect(clip, CGRectMake(-10, -10, 20, 20)));
  CGContextRelease(c);
}
