// Circles, arcs and rounded rectangles: the small-circle maps, pixel counts
// and coverage against the disc's area, symmetry, clipping with guard pixels
// and the far, huge and degenerate circles that must draw nothing wrong.

#include "shape_test_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr RAS_pixel kWhite = 0xFFFFFFFF;
constexpr RAS_pixel kOne = RAS_RGBA(1, 0, 0, 0);
constexpr RAS_pixel kFull = RAS_RGBA(255, 0, 0, 0);

double RedSum(RAS_IBitmap& bm)
{
  double s = 0;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) s += Red(At(bm, x, y));
  return s;
}

// Catches: the small-radius maps drawn at the wrong place or used for radii
// they are not made for.
TEST(Circle, SmallRadiiUseTheirCoverageMapsOthersTheWalk)
{
  GuardedBitmap bm(12, 12);
  RAS_Circle(&bm, 5.0f, 6.0f, 2.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
  EXPECT_EQ(Lit(bm), (PixelSet{{5, 4}, {4, 5}, {6, 5}, {3, 6}, {7, 6}, {4, 7}, {6, 7}, {5, 8}}));
  // 255 of coverage at full weight: the copy rule at 255.
  EXPECT_EQ(At(bm, 5, 4), RAS_RGBA(255, 255, 255, 255));

  GuardedBitmap aa(12, 12);
  RAS_Circle(&aa, 5.0f, 6.0f, 2.0f, kFull, 1.0f, RAS_MODE_ADD, true);
  EXPECT_EQ(Red(At(aa, 3, 4)), 255 * 0x0F / 256); // top-left corner of the map
  EXPECT_EQ(Red(At(aa, 4, 5)), 255 * 0xD1 / 256);

  GuardedBitmap walk(12, 12);
  RAS_Circle(&walk, 5.0f, 6.0f, 2.1f, kWhite, 1.0f, RAS_MODE_COPY, false);
  EXPECT_EQ(Lit(walk), (PixelSet{{5, 4}, {3, 6}, {7, 6}, {5, 8}, {4, 4}, {6, 4}, {4, 8}, {6, 8},
                                 {3, 5}, {7, 5}, {3, 7}, {7, 7}}));
}

// Catches: filled circles with holes, pixels drawn twice, or the wrong size.
TEST(FillCircle, PixelCountMatchesTheDiscAndEachPixelIsDrawnOnce)
{
  GuardedBitmap tiny(20, 20);
  RAS_FillCircle(&tiny, 10.0f, 10.0f, 0.4f, kWhite, 1.0f, RAS_MODE_COPY, false);
  EXPECT_EQ(Lit(tiny), (PixelSet{{10, 10}}));
  for (int R : {11, 25, 40})
  {
    GuardedBitmap bm(100, 100);
    RAS_FillCircle(&bm, 50.0f, 50.0f, (float)R, kOne, 1.0f, RAS_MODE_ADD, false);
    EXPECT_EQ(MaxRed(bm), 1) << R;
    // The midpoint walk keeps the pixels with x^2 + y^2 <= R^2 + R or so.
    EXPECT_NEAR(bm.Touched(), M_PI * (R * R + R), 0.03 * M_PI * (R * R + R)) << R;
    for (int y = 0; y < 100; y++)
      for (int x = 0; x < 100; x++)
      {
        const double d = std::hypot(x - 50, y - 50);
        if (d < R - 1) { ASSERT_TRUE(At(bm, x, y)) << R << ": " << x << "," << y; }
        if (d > R + 1) { ASSERT_FALSE(At(bm, x, y)) << R << ": " << x << "," << y; }
      }
    EXPECT_TRUE(bm.GuardsIntact());
  }
}

// Catches: anti-aliased coverage that does not add up to the disc (pixels
// centres out to r + 1/2) or to the ring's length, lopsided circles, and the
// filled circle's centre row ending at a differently rounded centre on its
// right.
TEST(FillCircle, AntiAliasedCoverageSumsToTheAreaAndTheCentreRowIsSymmetric)
{
  for (float r : {7.0f, 12.3f, 30.6f})
  {
    GuardedBitmap fill(100, 100), ring(100, 100);
    RAS_FillCircle(&fill, 50.3f, 49.8f, r, kFull, 1.0f, RAS_MODE_ADD, true);
    RAS_Circle(&ring, 50.3f, 49.8f, r, kFull, 1.0f, RAS_MODE_ADD, true);
    const double area = M_PI * (r + 0.5) * (r + 0.5);
    EXPECT_NEAR(RedSum(fill) / 255.0, area, 0.03 * area) << r;
    EXPECT_NEAR(RedSum(ring) / 255.0, 2 * M_PI * r, 0.15 * 2 * M_PI * r) << r;
  }
  GuardedBitmap bm(30, 30);
  RAS_FillCircle(&bm, 10.7f, 12.0f, 5.0f, kFull, 1.0f, RAS_MODE_ADD, true);
  for (int d = 0; d <= 7; d++) EXPECT_EQ(Red(At(bm, 11 - d, 12)), Red(At(bm, 11 + d, 12))) << d;
  EXPECT_EQ(Red(At(bm, 16, 12)), 255);
}

// Catches: octants drawn asymmetrically or outline pixels off the radius.
TEST(Circle, OutlineIsSymmetricAndOnTheRadius)
{
  GuardedBitmap bm(41, 41);
  RAS_Circle(&bm, 20.0f, 20.0f, 14.0f, kOne, 1.0f, RAS_MODE_ADD, false);
  EXPECT_EQ(MaxRed(bm), 1);
  for (int y = 0; y < 41; y++)
    for (int x = 0; x < 41; x++)
    {
      const RAS_pixel p = At(bm, x, y);
      ASSERT_EQ(p, At(bm, 40 - x, y));
      ASSERT_EQ(p, At(bm, x, 40 - y));
      ASSERT_EQ(p, At(bm, y, x));
      if (p) { ASSERT_LT(std::fabs(std::hypot(x - 20, y - 20) - 14), 0.75) << x << "," << y; }
    }
}

// Catches: circles far outside walking anyway, huge circles that hang or
// draw their ring where it is not, degenerate radii and non-finite values
// (angles included).
TEST(Circle, FarHugeAndDegenerateCircles)
{
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(16, 12, flipped);
    RAS_FillCircle(&bm, 8.0f, -1e9f, 50.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_Circle(&bm, 8.0f, 6.0f, 1e7f, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_Circle(&bm, 8.0f, 6.0f, 3e6f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_FillCircle(&bm, 8.0f, 6.0f, 1e9f, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_Circle(&bm, 8.0f, 6.0f, -3.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_Arc(&bm, 8.0f, 6.0f, 4.0f, std::nanf(""), 1.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_Arc(&bm, 8.0f, 6.0f, 4.0f, 0.0f, std::numeric_limits<float>::infinity(), kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_RoundRect(&bm, 1.0f, std::nanf(""), 9.0f, 8.0f, 3, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_FillCircle(&bm, std::nanf(""), 6.0f, 3.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_Circle(&bm, 8.0f, std::numeric_limits<float>::infinity(), 3.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    EXPECT_EQ(bm.Touched(), 0);
    RAS_FillCircle(&bm, 8.0f, 6.0f, 1e6f, kOne, 1.0f, RAS_MODE_ADD, true);
    EXPECT_EQ(bm.Touched(), 16 * 12);
    EXPECT_EQ(MaxRed(bm), 1);
    // A ring that crosses the bitmap is drawn there.
    GuardedBitmap edge(16, 12, flipped);
    RAS_Circle(&edge, -100000.0f + 8.0f, 6.0f, 100000.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
    EXPECT_EQ(Lit(edge).size(), 12u);
    EXPECT_EQ(At(edge, 8, 6), kWhite);
    GuardedBitmap dot(5, 5);
    RAS_Circle(&dot, 2.0f, 2.0f, 0.0f, kOne, 1.0f, RAS_MODE_ADD, false);
    EXPECT_EQ(dot.Touched(), 1);
    EXPECT_EQ(Red(At(dot, 2, 2)), 1);
    EXPECT_TRUE(bm.GuardsIntact() && edge.GuardsIntact());
  }
}

// Catches: pixels written outside the bitmap by circles across its edges,
// in any mode, plain or anti-aliased, filled or not.
TEST(Circle, ClippedAtEveryEdgeInEveryMode)
{
  std::mt19937 rng(11);
  for (int n = 0; n < 300; n++)
  {
    GuardedBitmap bm(1 + rng() % 20, 1 + rng() % 20, rng() % 2);
    const float cx = (float)((int)(rng() % 60) - 20) / 2, cy = (float)((int)(rng() % 60) - 20) / 2;
    const float r = (float)(rng() % 40) / 3;
    const int mode = rng() % 7;
    const bool aa = rng() % 2;
    RAS_Circle(&bm, cx, cy, r, (RAS_pixel)rng(), 0.7f, mode, aa);
    RAS_FillCircle(&bm, cx, cy, r, (RAS_pixel)rng(), 1.0f, mode, aa);
    RAS_Arc(&bm, cx, cy, r, (float)(rng() % 100) / 10, (float)(rng() % 100) / 10 - 3, kWhite, 0.5f, mode, aa);
    ASSERT_TRUE(bm.GuardsIntact()) << cx << "," << cy << " r " << r;
  }
}

// Catches: arcs drawing outside their quarter boxes, a full-turn arc that
// differs from the circle, and a flipped bitmap's full turn drawn at the
// mirrored centre.
TEST(Arc, QuarterBoxesAndFullTurns)
{
  GuardedBitmap circle(40, 40), quarter(40, 40);
  RAS_Circle(&circle, 20.0f, 20.0f, 12.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
  RAS_Arc(&quarter, 20.0f, 20.0f, 12.0f, 0.0f, (float)M_PI_2, kWhite, 1.0f, RAS_MODE_COPY, false);
  const PixelSet all = Lit(circle), part = Lit(quarter);
  size_t inBox = 0;
  for (auto [x, y] : all) inBox += x >= 20 && x <= 32 && y >= 8 && y < 20;
  EXPECT_EQ(part.size(), inBox);
  for (auto xy : part)
  {
    EXPECT_TRUE(all.count(xy));
    EXPECT_TRUE(xy.first >= 20 && xy.first <= 32 && xy.second >= 8 && xy.second < 20);
  }
  for (bool flipped : {false, true})
  {
    GuardedBitmap full(40, 40, flipped);
    RAS_Arc(&full, 20.0f, 13.0f, 9.0f, 0.5f, 0.5f + 7.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    GuardedBitmap ref(40, 40);
    RAS_Circle(&ref, 20.0f, 13.0f, 9.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    for (int y = 0; y < 40; y++)
      for (int x = 0; x < 40; x++) ASSERT_EQ(At(full, x, y), At(ref, x, y)) << flipped << " " << x << "," << y;
  }
  // Four quarters make the whole outline, each pixel once.
  GuardedBitmap pieces(40, 40);
  RAS_Arc(&pieces, 20.0f, 20.0f, 12.0f, -(float)M_PI, (float)M_PI * 0.999f, kOne, 1.0f, RAS_MODE_ADD, false);
  RAS_Arc(&pieces, 20.0f, 20.0f, 12.0f, (float)M_PI * 0.999f, (float)M_PI, kOne, 1.0f, RAS_MODE_ADD, false);
  EXPECT_EQ(Lit(pieces), all);
  EXPECT_EQ(MaxRed(pieces), 1);
}

// Catches: rounded corners that fall back wrongly or straight sides that
// leave the corner arcs' ends.
TEST(RoundRect, SmallRadiusIsARectangleLargerRadiusRoundsTheCorners)
{
  GuardedBitmap round(30, 30), rect(30, 30);
  RAS_RoundRect(&round, 2.0f, 3.0f, 20.0f, 15.0f, 1, kWhite, 1.0f, RAS_MODE_COPY, false);
  RAS_DrawRect(&rect, 2, 3, 20, 15, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(Lit(round), Lit(rect));

  GuardedBitmap rr(30, 30);
  RAS_RoundRect(&rr, 2.0f, 3.0f, 20.0f, 15.0f, 5, kWhite, 1.0f, RAS_MODE_COPY, false);
  EXPECT_FALSE(At(rr, 2, 3));   // corner cut off
  EXPECT_TRUE(At(rr, 12, 3));   // top side
  EXPECT_TRUE(At(rr, 22, 10));  // right side
  EXPECT_TRUE(At(rr, 12, 18));  // bottom side
  EXPECT_TRUE(At(rr, 2, 10));   // left side
  for (auto [x, y] : Lit(rr))
  {
    // Every pixel lies on the outline: on a side or within a pixel of a
    // corner circle.
    const bool side = x == 2 || x == 22 || y == 3 || y == 18;
    const double cxs[2] = {7, 17}, cys[2] = {8, 13};
    bool corner = false;
    for (double cx : cxs)
      for (double cy : cys) corner |= std::fabs(std::hypot(x - cx, y - cy) - 5) < 1.0;
    EXPECT_TRUE(side || corner) << x << "," << y;
  }
  EXPECT_TRUE(rr.GuardsIntact());
}

} // namespace
