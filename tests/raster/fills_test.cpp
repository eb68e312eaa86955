// Trapezoids, convex polygons, triangles, gradients and Bezier fills: rows
// worked out from the edge formula, exact edge ends, polygons that end on a
// flat bottom, overflowing sums, and guard pixels around the image.

#include "shape_test_util.h"

#include <gtest/gtest.h>

#include <climits>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

constexpr RAS_pixel kWhite = 0xFFFFFFFF;
constexpr RAS_pixel kOne = RAS_RGBA(1, 0, 0, 0);

// x on an edge at row y, truncated toward its start.
long long EdgeAt(long long x1, long long y1, long long x2, long long y2, long long y)
{
  return y2 == y1 ? x1 : x1 + (x2 - x1) * (y - y1) / (y2 - y1);
}

// Catches: trapezoid rows that stop short of or run past their edges.
TEST(FillTrapezoid, RowsFollowTheEdgesExactly)
{
  std::mt19937 rng(21);
  for (int n = 0; n < 200; n++)
  {
    GuardedBitmap bm(30, 30, rng() % 2);
    int x1a = (int)(rng() % 50) - 10, x1b = (int)(rng() % 50) - 10, x2a = (int)(rng() % 50) - 10,
        x2b = (int)(rng() % 50) - 10;
    int y1 = (int)(rng() % 40) - 5, y2 = (int)(rng() % 40) - 5;
    RAS_FillTrapezoid(&bm, x1a, x1b, y1, x2a, x2b, y2, kOne, 1.0f, RAS_MODE_ADD);
    if (x1a > x1b) std::swap(x1a, x1b);
    if (x2a > x2b) std::swap(x2a, x2b);
    if (y2 < y1)
    {
      std::swap(y1, y2);
      std::swap(x1a, x2a);
      std::swap(x1b, x2b);
    }
    for (int y = 0; y < 30; y++)
      for (int x = 0; x < 30; x++)
      {
        const bool in = y >= y1 && y <= y2 && x >= EdgeAt(x1a, y1, x2a, y2, y) && x <= EdgeAt(x1b, y1, x2b, y2, y);
        ASSERT_EQ(Red(At(bm, x, y)), in ? 1 : 0) << n << ": " << x << "," << y;
      }
    ASSERT_TRUE(bm.GuardsIntact());
  }
}

// Catches: edges that stop one short of their end point, and edges taller
// than 65536 rows that never move (a 16.16 step of 0).
TEST(FillTrapezoid, EdgesReachTheirEndsAndTallEdgesMove)
{
  GuardedBitmap bm(8, 8);
  RAS_FillTrapezoid(&bm, 0, 0, 0, 3, 3, 3, kWhite, 1.0f, RAS_MODE_COPY);
  for (int y = 0; y < 8; y++)
    for (int x = 0; x < 8; x++) EXPECT_EQ(At(bm, x, y) != 0, y <= 3 && x == y) << x << "," << y;

  GuardedBitmap tall(120, 100);
  RAS_FillTrapezoid(&tall, -200000, 1000, -200000, 100, 1000, 100, kWhite, 1.0f, RAS_MODE_COPY);
  for (int y = 0; y < 100; y++)
  {
    EXPECT_FALSE(At(tall, y - 1 < 0 ? 0 : y - 1, y) && y > 0) << y;
    EXPECT_TRUE(At(tall, y, y)) << y;
  }
  GuardedBitmap row(10, 3);
  RAS_FillTrapezoid(&row, 7, 2, 1, 0, 9, 1, kWhite, 1.0f, RAS_MODE_COPY);
  for (int x = 0; x < 10; x++) EXPECT_EQ(At(row, x, 1) != 0, x >= 2 && x <= 7) << x;
  EXPECT_EQ(row.Touched(), 6);
}

// Catches: copies at a quarter, half and three quarters not taking the
// whole-word mixes (which round differently from the weighted copy rule).
TEST(FillTrapezoid, CopyWeightsOfQuartersUseWholeWordMixes)
{
  const RAS_pixel dst = 0x01030507, src = 0xFFFFFFFF;
  const RAS_pixel h = (src >> 1) & 0x7F7F7F7F, q = (src >> 2) & 0x3F3F3F3F;
  const RAS_pixel want[3] = {q + ((dst >> 1) & 0x7F7F7F7F) + ((dst >> 2) & 0x3F3F3F3F),
                             h + ((dst >> 1) & 0x7F7F7F7F), h + q + ((dst >> 2) & 0x3F3F3F3F)};
  const float alphas[3] = {0.25f, 0.5f, 0.75f};
  for (int i = 0; i < 3; i++)
  {
    GuardedBitmap bm(4, 2);
    bm.Fill(dst);
    RAS_FillTrapezoid(&bm, 0, 3, 0, 0, 3, 1, src, alphas[i], RAS_MODE_COPY);
    EXPECT_EQ(At(bm, 2, 1), want[i]) << alphas[i];
  }
}

// Catches: flat-bottomed polygons that hang or read past their points, bands
// drawn twice, rows that leave their edges between vertices, and one-row
// polygons filled wrongly.
TEST(FillConvexPolygon, FlatBottomsOneRowAndBandsDrawnOnce)
{
  GuardedBitmap bm(20, 20);
  const int sx[4] = {2, 12, 12, 2}, sy[4] = {3, 3, 9, 9};
  RAS_FillConvexPolygon(&bm, sx, sy, 4, kOne, 1.0f, RAS_MODE_ADD);
  EXPECT_EQ(bm.Touched(), 11 * 7);
  EXPECT_EQ(MaxRed(bm), 1);
  // A hexagon with flat top and bottom and vertices on several rows.
  GuardedBitmap hex(20, 20);
  const int hx[6] = {6, 12, 16, 12, 6, 2}, hy[6] = {2, 2, 8, 14, 14, 8};
  RAS_FillConvexPolygon(&hex, hx, hy, 6, kOne, 1.0f, RAS_MODE_ADD);
  EXPECT_EQ(MaxRed(hex), 1);
  for (int y = 2; y <= 14; y++)
  {
    const int half = y <= 8 ? EdgeAt(6, 2, 2, 8, y) : EdgeAt(2, 8, 6, 14, y);
    const int right = y <= 8 ? EdgeAt(12, 2, 16, 8, y) : EdgeAt(16, 8, 12, 14, y);
    int count = 0;
    for (int x = 0; x < 20; x++) count += Red(At(hex, x, y));
    EXPECT_EQ(count, right - half + 1) << y;
  }

  GuardedBitmap one(20, 5);
  RAS_FillTriangle(&one, 9, 2, 3, 2, 15, 2, kWhite, 1.0f, RAS_MODE_COPY);
  EXPECT_EQ(one.Touched(), 13);
  for (int x = 3; x <= 15; x++) EXPECT_TRUE(At(one, x, 2)) << x;
}

// Catches: polygon fills that miss pixels well inside the shape or spill
// well outside it, for random convex shapes (any point set fills its hull).
TEST(FillConvexPolygon, CoversTheHullAndNothingFarOutside)
{
  std::mt19937 rng(4);
  for (int n = 0; n < 60; n++)
  {
    // Points on an ellipse, in random order: a convex polygon.
    const int count = 3 + rng() % 9;
    std::vector<int> xs, ys;
    std::vector<double> ang;
    for (int i = 0; i < count; i++) ang.push_back((rng() % 3600) * M_PI / 1800);
    const double cx = 20 + rng() % 10, cy = 20 + rng() % 10, ax = 5 + rng() % 15, ay = 5 + rng() % 15;
    for (double a : ang)
    {
      xs.push_back((int)std::lround(cx + ax * std::cos(a)));
      ys.push_back((int)std::lround(cy + ay * std::sin(a)));
    }
    GuardedBitmap bm(50, 50);
    RAS_FillConvexPolygon(&bm, xs.data(), ys.data(), count, kOne, 1.0f, RAS_MODE_ADD);
    ASSERT_LE(MaxRed(bm), 1);
    // The hull by Andrew's monotone chain, counter-clockwise in y-up terms.
    std::vector<std::pair<long long, long long>> pts, hull;
    for (int i = 0; i < count; i++) pts.push_back({xs[i], ys[i]});
    std::sort(pts.begin(), pts.end());
    pts.erase(std::unique(pts.begin(), pts.end()), pts.end());
    auto cross = [](auto o, auto a, auto b) {
      return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
    };
    for (int pass = 0; pass < 2; pass++)
    {
      const size_t base = hull.size();
      for (auto pt : pts)
      {
        while (hull.size() >= base + 2 && cross(hull[hull.size() - 2], hull.back(), pt) <= 0) hull.pop_back();
        hull.push_back(pt);
      }
      hull.pop_back();
      std::reverse(pts.begin(), pts.end());
    }
    auto dist = [&](double px, double py) {
      // Signed distance to the hull: positive inside.
      double d = 1e9;
      for (size_t i = 0; i < hull.size(); i++)
      {
        const auto a = hull[i], b = hull[(i + 1) % hull.size()];
        const double ex = b.first - a.first, ey = b.second - a.second, len = std::hypot(ex, ey);
        d = std::min(d, (ex * (py - a.second) - ey * (px - a.first)) / len);
      }
      return d;
    };
    for (int y = 0; y < 50; y++)
      for (int x = 0; x < 50; x++)
      {
        const double d = dist(x, y);
        if (d > 1.0) { ASSERT_EQ(Red(At(bm, x, y)), 1) << n << ": " << x << "," << y; }
        if (d < -1.0)
        {
          std::string list;
          for (int i = 0; i < count; i++) list += std::to_string(xs[i]) + "," + std::to_string(ys[i]) + " ";
          ASSERT_EQ(Red(At(bm, x, y)), 0) << n << ": " << x << "," << y << " d " << d << " points " << list;
        }
      }
  }
}

// Catches: huge, far, collinear and many-point polygons that hang, overflow
// or write outside the image.
TEST(FillConvexPolygon, HugeFarCollinearAndLargePolygonsStayInside)
{
  for (bool flipped : {false, true})
  {
    GuardedBitmap bm(16, 16, flipped);
    const int hx[3] = {INT_MIN, INT_MAX, 0}, hy[3] = {INT_MIN, INT_MIN, INT_MAX};
    RAS_FillConvexPolygon(&bm, hx, hy, 3, kOne, 1.0f, RAS_MODE_ADD);
    EXPECT_EQ(MaxRed(bm), 1);
    EXPECT_EQ(bm.Touched(), 16 * 16);
    GuardedBitmap far(16, 16, flipped);
    RAS_FillTriangle(&far, -50, -2000000000, -10, -2000000000, -30, -5, kWhite, 1.0f, RAS_MODE_COPY);
    RAS_FillTriangle(&far, 3, 3, 6, 6, 9, 9, kOne, 1.0f, RAS_MODE_ADD); // collinear: the diagonal
    RAS_FillConvexPolygon(&far, hx, hy, 2, kWhite, 1.0f, RAS_MODE_COPY);
    RAS_FillConvexPolygon(&far, nullptr, hy, 3, kWhite, 1.0f, RAS_MODE_COPY);
    EXPECT_EQ(far.Touched(), 7);
    std::vector<int> px, py;
    for (int i = 0; i < 700; i++)
    {
      px.push_back((int)std::lround(8 + 6 * std::cos(i * 2 * M_PI / 700)));
      py.push_back((int)std::lround(8 + 6 * std::sin(i * 2 * M_PI / 700)));
    }
    GuardedBitmap many(16, 16, flipped);
    RAS_FillConvexPolygon(&many, px.data(), py.data(), 700, kOne, 1.0f, RAS_MODE_ADD);
    EXPECT_EQ(MaxRed(many), 1);
    EXPECT_NEAR(many.Touched(), M_PI * 6.5 * 6.5, 12);
    EXPECT_TRUE(bm.GuardsIntact() && far.GuardsIntact() && many.GuardsIntact());
  }
}

// The gradient's channel at step i from a 16.16 start and step, as 64-bit
// sums of the truncated fixed-point values.
int GradChannel(float v, float step, double scale, int i)
{
  const long long s = (long long)(v * scale * 65536), d = (long long)(step * scale * 65536);
  return (int)((s + d * i) / 65536);
}

// Catches: gradient channels computed off the 16.16 sums, opaque gradients
// not stored with alpha 255, and sums that wrap once a value passes 128.
TEST(GradRect, ChannelsFollowTheFixedPointSumsWithoutWrapping)
{
  GuardedBitmap bm(8, 3);
  RAS_GradRect(&bm, 0, 0, 8, 3, 0.1f, 0.9f, 0.0f, 1.0f, 0.1f, -0.1f, 0.0f, 0.0f, 0.0f, 0.0f, 0.3f, 0.0f,
               RAS_MODE_COPY);
  for (int y = 0; y < 3; y++)
    for (int x = 0; x < 8; x++)
    {
      const RAS_pixel p = At(bm, x, y);
      EXPECT_EQ(RAS_GETR(p), GradChannel(0.1, 0.1, 255, x)) << x;
      EXPECT_EQ(RAS_GETG(p), GradChannel(0.9, -0.1, 255, x)) << x;
      EXPECT_EQ(RAS_GETB(p), GradChannel(0.0, 0.3, 255, y)) << y;
      EXPECT_EQ(RAS_GETA(p), 255);
    }
  // Half opacity over a known pixel: the clamped copy rule at weight 128.
  GuardedBitmap half(4, 1);
  half.Fill(RAS_RGBA(200, 0, 100, 0));
  RAS_GradRect(&half, -2, 0, 6, 1, 0.0f, 1.0f, 0.5f, 0.5f, 0.25f, 0, 0, 0, 0, 0, 0, 0, RAS_MODE_COPY);
  for (int x = 0; x < 4; x++)
  {
    const int s = GradChannel(0.0, 0.25, 255, x + 2);
    EXPECT_EQ(RAS_GETR(At(half, x, 0)), Clamp8(s + Tz((200 - s) * 128, 256))) << x;
    EXPECT_EQ(RAS_GETB(At(half, x, 0)), Clamp8(GradChannel(0.5, 0, 255, 0) + Tz((100 - 127) * 128, 256)));
  }
  // Channel values and steps of 200 overflow 32-bit 16.16 sums; in 64 bits
  // red climbs from far above 255 and stays saturated, and a falling channel
  // reaches 0 exactly where its sum says.
  GuardedBitmap big(6, 1);
  RAS_GradRect(&big, 0, 0, 6, 1, 200.0f, 0.5f, 2.0f, 1.0f, 200.0f, 0.0f, -0.4f, 0.0f, 0, 0, 0, 0, RAS_MODE_COPY);
  for (int x = 0; x < 6; x++)
  {
    EXPECT_EQ(RAS_GETR(At(big, x, 0)), 255) << x;
    EXPECT_EQ(RAS_GETB(At(big, x, 0)), Clamp8(GradChannel(2.0, -0.4, 255, x))) << x;
  }
  GuardedBitmap refused(4, 4);
  RAS_GradRect(&refused, 0, 0, 4, 4, 1e9f, 0, 0, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, RAS_MODE_COPY);
  RAS_GradRect(&refused, 0, 0, 4, 4, std::nanf(""), 0, 0, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, RAS_MODE_COPY);
  RAS_GradRect(&refused, -1000000, -1000000, INT_MAX, INT_MAX, 0.5f, 0, 0, 1.0f, 1e-3f, 0, 0, 0, 0, 0, 0, 0, 9);
  EXPECT_EQ(refused.Touched(), 0);
  RAS_GradRect(&refused, -1000000, -1000000, INT_MAX, INT_MAX, 0.5f, 0, 0, 1.0f, 1e-3f, 0, 0, 0, 0, 0, 0, 0,
               RAS_MODE_ADD);
  EXPECT_EQ(refused.Touched(), 16);
  EXPECT_TRUE(big.GuardsIntact() && refused.GuardsIntact() && half.GuardsIntact());
}

// Catches: a Bezier fill that misses columns, runs the wrong way from its
// baseline, treats the column fill differently from the row fill, or writes
// outside the image.
TEST(FillCBezier, FillsBetweenCurveAndBaselineBothWays)
{
  GuardedBitmap bm(20, 16);
  // A flat curve at row 5 over the whole width, filled to row 10: from the
  // curve through the row below the baseline, in strips of every width
  // alike.
  RAS_FillCBezier(&bm, -5.0f, 5.0f, 5.0f, 5.0f, 15.0f, 5.0f, 25.0f, 5.0f, 10, kOne, 1.0f, RAS_MODE_ADD, 1.0f);
  for (int x = 0; x < 20; x++)
    for (int y = 0; y < 16; y++) ASSERT_EQ(Red(At(bm, x, y)), y >= 5 && y <= 11 ? 1 : 0) << x << "," << y;

  // The column fill of the transposed curve is the transposed image.
  GuardedBitmap rows(24, 24), cols(24, 24);
  RAS_FillCBezier(&rows, 1.0f, 3.0f, 8.0f, 30.0f, 15.0f, -6.0f, 22.0f, 18.0f, 12, kOne, 1.0f, RAS_MODE_ADD, 1.0f);
  RAS_FillCBezierX(&cols, 3.0f, 1.0f, 30.0f, 8.0f, -6.0f, 15.0f, 18.0f, 22.0f, 12, kOne, 1.0f, RAS_MODE_ADD, 1.0f);
  for (int y = 0; y < 24; y++)
    for (int x = 0; x < 24; x++) ASSERT_EQ(At(rows, x, y), At(cols, y, x)) << x << "," << y;
  EXPECT_GT(rows.Touched(), 60);

  GuardedBitmap wild(12, 12, true);
  RAS_FillCBezier(&wild, -1e30f, 1e30f, 1e30f, -1e30f, 3.0f, 4.0f, 1e30f, 1e30f, INT_MIN, kWhite, 1.0f,
                  RAS_MODE_COPY, 1e-20f);
  RAS_FillCBezierX(&wild, 5.0f, -9.0f, 40.0f, 3.0f, -30.0f, 8.0f, 6.0f, 30.0f, INT_MAX, kWhite, 1.0f, RAS_MODE_ADD,
                   0.0f);
  RAS_FillCBezier(&wild, 1.0f, 1.0f, std::nanf(""), 2.0f, 3.0f, 3.0f, 4.0f, 4.0f, 5, kWhite, 1.0f, RAS_MODE_COPY,
                  1.0f);
  EXPECT_TRUE(wild.GuardsIntact() && bm.GuardsIntact() && rows.GuardsIntact());
}

} // namespace
