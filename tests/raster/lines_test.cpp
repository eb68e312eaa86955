// Lines, clipping, dashes, rectangle outlines and Bezier polylines: chosen
// pixels worked out by hand, symmetry and coverage properties, and guard
// pixels around the image for lines that reach or pass its edges.

#include "shape_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

namespace {

constexpr RAS_pixel kWhite = 0xFFFFFFFF;
// Adds 1 to red per plot at weight 256: shows how often each pixel was drawn.
constexpr RAS_pixel kOne = RAS_RGBA(1, 0, 0, 0);

// Hand-worked pixel sets. Catches lines that miss an end pixel, differ when
// drawn backwards (odd lengths are the same either way round), take the minor
// step at the wrong point of the slope (it changes row at the half pixel), or
// leave out the middle pixel of an even-length sloped line.
TEST(Line, HandWorkedRunsIncludeBothEndsAndTheMiddle)
{
  PixelSet row, col;
  for (int i = 0; i <= 9; i++) row.insert({i, 0}), col.insert({11, i + 2});
  const struct { int x1, y1, x2, y2; bool bothWays; PixelSet want; } cases[] = {
      {0, 0, 9, 0, true, row},
      {11, 2, 11, 11, true, col},
      {0, 0, 3, 1, true, {{0, 0}, {1, 0}, {2, 1}, {3, 1}}},
      {0, 0, 4, 1, false, {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 1}}}};
  for (const auto& c : cases)
    for (bool backwards : {false, c.bothWays})
    {
      GuardedBitmap bm(12, 12);
      if (backwards) RAS_Line(&bm, c.x2, c.y2, c.x1, c.y1, kWhite, 1.0f, RAS_MODE_COPY);
      else RAS_Line(&bm, c.x1, c.y1, c.x2, c.y2, kWhite, 1.0f, RAS_MODE_COPY);
      EXPECT_EQ(Lit(bm), c.want) << c.x1 << "," << c.y1 << " " << c.x2 << "," << c.y2 << " backwards " << backwards;
      EXPECT_TRUE(bm.GuardsIntact());
    }
}

// Catches: asymmetric drawing, pixels drawn twice where the two halves meet
// or a column skipped (each column of an x-major line holds exactly one plot).
TEST(Line, OddLengthLinesAreSymmetricAndPlotEachColumnOnce)
{
  std::mt19937 rng(7);
  for (int n = 0; n < 200; n++)
  {
    const int x1 = rng() % 40, y1 = rng() % 40, y2 = rng() % 40;
    int x2 = rng() % 40;
    if ((std::abs(x2 - x1) & 1) == 0) x2 = x2 > 0 ? x2 - 1 : 1;
    if (std::abs(x2 - x1) <= std::abs(y2 - y1)) continue;
    GuardedBitmap f(40, 40), b(40, 40);
    RAS_Line(&f, x1, y1, x2, y2, kOne, 1.0f, RAS_MODE_ADD);
    RAS_Line(&b, x2, y2, x1, y1, kOne, 1.0f, RAS_MODE_ADD);
    ASSERT_EQ(Lit(f), Lit(b)) << x1 << "," << y1 << " " << x2 << "," << y2;
    const int lo = std::min(x1, x2), hi = std::max(x1, x2);
    for (int x = 0; x < 40; x++)
    {
      int plots = 0;
      for (int y = 0; y < 40; y++) plots += Red(At(f, x, y));
      ASSERT_EQ(plots, x >= lo && x <= hi ? 1 : 0) << "column " << x;
    }
  }
}

// Catches: diagonal anti-aliasing that puts its quarter weights on the wrong
// neighbours or past the last pixel.
TEST(Line, AntiAliasedDiagonalMixesThreeQuartersAndQuarters)
{
  GuardedBitmap bm(8, 8);
  RAS_Line(&bm, 0, 0, 4, 4, kWhite, 1.0f, RAS_MODE_COPY, true);
  const RAS_pixel threeQ = ((kWhite >> 1) & 0x7F7F7F7F) + ((kWhite >> 2) & 0x3F3F3F3F);
  const RAS_pixel quarter = (kWhite >> 2) & 0x3F3F3F3F;
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++)
    {
      RAS_pixel want = 0;
      if (x == y && x <= 4) want = threeQ;
      if ((x == y + 1 || y == x + 1) && std::min(x, y) < 4) want = quarter;
      EXPECT_EQ(At(bm, x, y), want) << x << "," << y;
    }
}

// Catches: anti-aliased weights that do not add up to one pixel per column or
// sit away from the true line.
TEST(Line, AntiAliasedSlopedCoverageSumsToOnePixelPerColumnOnTheLine)
{
  GuardedBitmap bm(32, 16);
  const int x1 = 1, y1 = 2, x2 = 27, y2 = 11; // even length, middle included
  RAS_Line(&bm, x1, y1, x2, y2, RAS_RGBA(255, 0, 0, 0), 1.0f, RAS_MODE_ADD, true);
  for (int x = x1; x <= x2; x++)
  {
    double sum = 0, moment = 0;
    for (int y = 0; y < 16; y++)
    {
      sum += Red(At(bm, x, y));
      moment += (double)y * Red(At(bm, x, y));
    }
    EXPECT_NEAR(sum, 255, 3) << "column " << x;
    const double exact = y1 + (double)(y2 - y1) * (x - x1) / (x2 - x1);
    EXPECT_NEAR(moment / sum, exact, 0.02) << "column " << x;
  }
  EXPECT_TRUE(bm.GuardsIntact());
}

// The weight pair of a sub-pixel line at minor position y: the pixel at
// floor(y) gets 255 - f, the next f, f being the fraction in 1/256.
void ExpectPair(RAS_IBitmap& bm, int x, double y)
{
  const int row = (int)std::floor(y);
  const int f = (int)((y - row) * 256);
  for (int r = 0; r < bm.getHeight(); r++)
  {
    const int w = r == row ? 255 - f : r == row + 1 ? f : 0;
    EXPECT_EQ(Red(At(bm, x, r)), 255 * w / 256) << "x " << x << " row " << r;
  }
}

// Catches: a falling sub-pixel line whose coverage lands on the wrong pair of
// rows (counted from the wrong side).
TEST(FLine, CoverageGoesToTheRowsAroundThePositionForEitherSlope)
{
  GuardedBitmap up(10, 8), down(10, 8);
  RAS_FLine(&up, 0.0f, 1.25f, 8.0f, 5.25f, RAS_RGBA(255, 0, 0, 0), 1.0f, RAS_MODE_ADD, true);
  RAS_FLine(&down, 0.0f, 5.25f, 8.0f, 1.25f, RAS_RGBA(255, 0, 0, 0), 1.0f, RAS_MODE_ADD, true);
  for (int x = 0; x <= 8; x++)
  {
    ExpectPair(up, x, 1.25 + 0.5 * x);
    ExpectPair(down, x, 5.25 - 0.5 * x);
  }
}

// Catches: clipping limits one pixel short of the last row and column, and
// bitmaps one pixel high or wide where nothing was drawn.
TEST(Clip, LinesAlongTheLastRowAndColumnAndOnOnePixelBitmapsAreDrawn)
{
  GuardedBitmap bm(10, 6);
  RAS_Line(&bm, -5, 5, 14, 5, kWhite, 1.0f, RAS_MODE_COPY);
  RAS_FLine(&bm, 9.0f, -3.0f, 9.0f, 20.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
  for (int x = 0; x < 10; x++) EXPECT_EQ(At(bm, x, 5), kWhite) << x;
  for (int y = 0; y < 6; y++) EXPECT_EQ(At(bm, 9, y), kWhite) << y;
  EXPECT_EQ(bm.Touched(), 15);

  GuardedBitmap row(7, 1), col(1, 7);
  RAS_FLine(&row, -2.0f, 0.0f, 10.0f, 0.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
  RAS_Line(&col, 0, -4, 0, 9, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(row.Touched(), 7);
  EXPECT_EQ(col.Touched(), 7);
  EXPECT_TRUE(bm.GuardsIntact() && row.GuardsIntact() && col.GuardsIntact());
}

// Catches: the integer clipper taking x one row below the y it sets, and the
// float clipper leaving a clipped end short of its limit.
TEST(Clip, ClippedEndsLieOnTheLimitAndOnTheLine)
{
  int x1 = 0, y1 = 0, x2 = 10, y2 = 20;
  ASSERT_TRUE(RAS_ClipLine(&x1, &y1, &x2, &y2, 0, 0, 10, 10));
  EXPECT_EQ(x2, 9 * 10 / 20);
  EXPECT_EQ(y2, 9);
  int a = 100, b = 5, c = -100, d = 7;
  ASSERT_TRUE(RAS_ClipLine(&a, &b, &c, &d, 10, 0, 20, 10));
  EXPECT_EQ(a, 19);
  EXPECT_EQ(c, 10);
  int e = -5, f = -5, g = -1, h = -9;
  EXPECT_FALSE(RAS_ClipLine(&e, &f, &g, &h, 0, 0, 10, 10));

  float fx1 = -2.0f, fy1 = 1.0f, fx2 = 12.0f, fy2 = 8.0f;
  ASSERT_TRUE(RAS_ClipFLine(&fx1, &fy1, &fx2, &fy2, 0.0f, 0.0f, 10.0f, 10.0f));
  EXPECT_EQ(fx1, 0.0f);
  EXPECT_FLOAT_EQ(fy1, 2.0f);
  EXPECT_EQ(fx2, 9.0f);
  EXPECT_FLOAT_EQ(fy2, 1.0f + 7.0f * 11.0f / 14.0f);
}

// Hostile lines and curves. Catches writes outside the image from lines far
// away, huge or degenerate; curve segment counts that follow a tiny tolerance
// or huge coordinates into an endless loop; non-finite points that draw.
TEST(Line, FarHugeDegenerateAndNonFiniteLinesAndCurvesStayInside)
{
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(9, 7, flipped);
    RAS_Line(&bm, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_Line(&bm, INT_MAX, INT_MIN, INT_MIN, INT_MAX, kWhite, 0.3f, RAS_MODE_ADD, true);
    RAS_Line(&bm, -50, -50, -10, -3, kWhite, 1.0f, RAS_MODE_COPY);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::nanf("");
    RAS_FLine(&bm, 1e30f, -1e30f, -1e30f, 1e30f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_FLine(&bm, 3e9f, 2.0f, -3e9f, 4.0f, kWhite, 1.0f, RAS_MODE_MUL, false);
    RAS_DrawCBezier(&bm, -3e37f, 4.0f, 1e37f, -3e37f, 2e37f, 3e37f, 3e37f, 8.0f, kWhite, 1.0f, RAS_MODE_COPY, true,
                    1e-30f);
    RAS_DrawQBezier(&bm, 0.0f, 0.0f, 1e38f, 1e38f, 15.0f, 15.0f, kWhite, 1.0f, RAS_MODE_ADD, true, 0.0f);
    EXPECT_TRUE(bm.GuardsIntact());
    GuardedBitmap clean(9, 7, flipped);
    RAS_FLine(&clean, nan, 1.0f, 5.0f, 5.0f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_FLine(&clean, 1.0f, inf, 5.0f, 5.0f, kWhite, 1.0f, RAS_MODE_COPY, false);
    RAS_FLine(&clean, 2.5f, 2.5f, 2.5f, 2.5f, kWhite, 1.0f, RAS_MODE_COPY, true);
    RAS_DrawCBezier(&clean, 0.0f, 0.0f, nan, 3.0f, 5.0f, 5.0f, 9.0f, 9.0f, kWhite, 1.0f, RAS_MODE_COPY, true, 1.0f);
    RAS_DrawQBezier(&clean, 0.0f, 0.0f, 3.0f, inf, 9.0f, 9.0f, kWhite, 1.0f, RAS_MODE_COPY, false, 1.0f);
    EXPECT_EQ(clean.Touched(), 0);
  }
}

// Catches: a flipped bitmap drawn upside down (plain, sloped, anti-aliased,
// dashed).
TEST(Line, FlippedBitmapsShowTheSameImage)
{
  GuardedBitmap plain(24, 20), flipped(24, 20, true);
  for (GuardedBitmap* bm : {&plain, &flipped})
  {
    RAS_Line(bm, 1, 2, 20, 9, kWhite, 1.0f, RAS_MODE_COPY);
    RAS_Line(bm, 3, 18, 22, 5, RAS_RGBA(9, 80, 200, 255), 0.6f, RAS_MODE_ADD, true);
    RAS_FLine(bm, 0.5f, 12.3f, 23.0f, 17.9f, kWhite, 0.8f, RAS_MODE_COPY, true);
    RAS_DashedLine(bm, 2, 1, 2, 17, 2, 3, kWhite, 1.0f, RAS_MODE_COPY);
  }
  for (int y = 0; y < 20; y++)
    for (int x = 0; x < 24; x++) ASSERT_EQ(At(plain, x, y), At(flipped, x, y)) << x << "," << y;
  EXPECT_TRUE(flipped.GuardsIntact());
}

// Catches: a blend mode drawn with the wrong rule or weight, and modes
// without a rule drawing anything.
TEST(Line, EveryBlendModeAppliesItsRuleOnce)
{
  std::mt19937 rng(3);
  const RAS_pixel colour = RAS_RGBA(200, 90, 30, 170);
  for (int mode = 0; mode <= 6; mode++)
  {
    GuardedBitmap bm(16, 16);
    FillRandom(bm, rng);
    auto before = Snapshot(bm);
    RAS_Line(&bm, 0, 3, 15, 9, colour, 0.6f, mode);
    const PixelSet lit = [&] {
      GuardedBitmap shape(16, 16);
      RAS_Line(&shape, 0, 3, 15, 9, kWhite, 1.0f, RAS_MODE_COPY);
      return Lit(shape);
    }();
    ASSERT_EQ(lit.size(), 16u);
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++)
      {
        const RAS_pixel old = At(*before, x, y);
        const RAS_pixel want = lit.count({x, y}) ? OracleModePixel(mode, OracleWeight(mode, 0.6f), old, colour) : old;
        ASSERT_EQ(At(bm, x, y), want) << "mode " << mode << " at " << x << "," << y;
      }
  }
}

// Catches: dashes that start their pattern at the wrong place, and dash
// arguments that loop forever or draw with nonsense lengths.
TEST(DashedLine, RunsAndGapsAndBoundedArguments)
{
  GuardedBitmap bm(12, 4);
  RAS_DashedLine(&bm, 9, 0, 0, 0, 2, 3, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(Lit(bm), (PixelSet{{0, 0}, {1, 0}, {5, 0}, {6, 0}}));
  RAS_DashedLine(&bm, 0, 1, 11, 1, 0, 5, kWhite, 1.0f, RAS_MODE_COPY);
  RAS_DashedLine(&bm, 0, 2, 11, 2, -4, 5, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(bm.Touched(), 4);
  RAS_DashedLine(&bm, 0, 3, 11, 3, 1, -7, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(bm.Touched(), 4 + 12);
  RAS_DashedLine(&bm, 0, 0, 11, 3, 1, 1, kWhite, 1.0f, RAS_MODE_COPY);
  RAS_DashedLine(&bm, 3, -9, 3, 40, 1, INT_MAX, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(bm.Touched(), 4 + 12 + 1);
  EXPECT_TRUE(bm.GuardsIntact());
}

// Catches: corners drawn twice by the outline (visible in additive modes) and
// an outline one pixel short of w and h.
TEST(DrawRect, OutlineCoversWPlusOneByHPlusOneWithEachPixelOnce)
{
  GuardedBitmap bm(14, 14);
  RAS_DrawRect(&bm, 0, 0, 10, 10, kOne, 1.0f, RAS_MODE_ADD);
  PixelSet border;
  for (int i = 0; i <= 10; i++) border.insert({{i, 0}, {i, 10}, {0, i}, {10, i}});
  EXPECT_EQ(Lit(bm), border);
  EXPECT_EQ(MaxRed(bm), 1);
  GuardedBitmap flat(14, 4);
  RAS_DrawRect(&flat, 2, 1, 5, 0, kOne, 1.0f, RAS_MODE_ADD);
  RAS_DrawRect(&flat, 12, 0, 0, 1, kOne, 1.0f, RAS_MODE_ADD);
  EXPECT_EQ(flat.Touched(), 6 + 2);
  for (int x = 2; x <= 7; x++) EXPECT_EQ(Red(At(flat, x, 1)), 1);
  EXPECT_EQ(Red(At(flat, 12, 0)) + Red(At(flat, 12, 1)), 2);

  GuardedBitmap bordered(8, 8);
  RAS_BorderedRect(&bordered, 1, 1, 5, 4, RAS_RGBA(0, 9, 0, 0), kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(At(bordered, 3, 3), RAS_RGBA(0, 9, 0, 0));
  EXPECT_EQ(At(bordered, 6, 5), kWhite);
  EXPECT_EQ(bordered.Touched(), 6 * 5);
}

// The point of a cubic at parameter t, from the Bernstein form.
double Cubic(double p0, double p1, double p2, double p3, double t)
{
  const double s = 1 - t;
  return s * s * s * p0 + 3 * s * s * t * p1 + 3 * s * t * t * p2 + t * t * t * p3;
}

// Catches: curves drawn away from their Bernstein points, columns left out,
// and a clipped curve that loses its part inside the bitmap.
TEST(Bezier, PolylinesFollowTheCurveAcrossTheClippedRange)
{
  GuardedBitmap bm(40, 40);
  RAS_DrawCBezier(&bm, 35.0f, 2.0f, 23.0f, 36.0f, 11.0f, 36.0f, -1.0f, 2.0f, kWhite, 1.0f, RAS_MODE_COPY, false, 1.0f);
  auto distance = [](int x, int y) {
    double best = 1e9;
    for (int i = 0; i <= 4000; i++)
    {
      const double t = i / 4000.0;
      best = std::min(best, std::hypot(Cubic(35, 23, 11, -1, t) - x, Cubic(2, 36, 36, 2, t) - y));
    }
    return best;
  };
  for (int x = 0; x < 36; x++)
  {
    int hits = 0;
    for (int y = 0; y < 40; y++)
      if (At(bm, x, y))
      {
        hits++;
        EXPECT_LT(distance(x, y), 1.5) << x << "," << y;
      }
    EXPECT_GT(hits, 0) << "column " << x;
  }
  EXPECT_TRUE(bm.GuardsIntact());

  GuardedBitmap row(20, 8);
  RAS_DrawQBezier(&row, 30.0f, 5.0f, 10.0f, 5.0f, -10.0f, 5.0f, kWhite, 1.0f, RAS_MODE_COPY, false, 1.0f);
  for (int x = 0; x < 20; x++) EXPECT_EQ(At(row, x, 5), kWhite) << x;
  EXPECT_EQ(row.Touched(), 20);
  float t = -1;
  EXPECT_FLOAT_EQ(RAS_Bezier_GetY(-10.0f, 0.0f, 10.0f, 20.0f, 30.0f, 0.0f, 0.0f, &t), 7.5f);
  EXPECT_FLOAT_EQ(t, 0.25f);
}

} // namespace
