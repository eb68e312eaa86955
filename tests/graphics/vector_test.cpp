// The editor's vector calls on the draw bitmap, expectations by hand: copy at
// weight 1 stores the colour word, copy at 0.5 is the half mix (d + s) >> 1,
// add at weight w is d + trunc(s * w / 256) clamped, copy at w below 256 is
// s + trunc((d - s) * (256 - w) / 256).
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <math.h>

#include <set>
#include <utility>

namespace
{

const RAS_pixel kBg = RAS_RGBA(100, 100, 100, 255);
const RAS_pixel kAdded = RAS_RGBA(200, 100, 150, 255); // kInk added at weight 128
const IColor kInk(56, 200, 0, 100);                    // even channels: the half mix is exact
using Pixels = std::set<std::pair<int, int>>;

// The pixels of the box (x1, y1)-(x2, y2), both corners included.
Pixels Box(int x1, int y1, int x2, int y2, Pixels p = {})
{
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x) p.insert({x, y});
  return p;
}

class Vector : public ::testing::Test
{
protected:
  Vector() : ed(24, 24) { FillAll(ed.GetDrawBitmap(), kBg); }
  RAS_pixel At(int x, int y) { return PixelAt(ed.GetDrawBitmap(), x, y); }
  // Every pixel that is no longer the background; the bitmap is cleared.
  Pixels Drawn()
  {
    Pixels p;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        if (At(x, y) != kBg) p.insert({x, y});
    FillAll(ed.GetDrawBitmap(), kBg);
    return p;
  }
  TestEditor ed;
};

// Catches: coordinates rounded or floored instead of truncated toward zero,
// a radial angle turned the wrong way or measured from the x axis, guide
// lines placed from the top or not clamped, and an outline that misses the
// exclusive right and bottom edges.
TEST_F(Vector, LinesLandOnTheirPixels)
{
  ed.DrawLine(&kInk, 1.9f, 1.9f, 5.9f, 1.9f);
  EXPECT_EQ(At(1, 1), kInk.ToPixel()); // a missing blend is copy at weight 1
  ed.DrawLine(&kInk, -0.5f, 20.0f, -0.5f, 22.0f); // column 0, not -1
  ed.DrawRadialLine(&kInk, 12.0f, 12.0f, (float)M_PI / 2, 2.0f, 6.0f);
  ed.DrawRadialLine(&kInk, 12.0f, 12.0f, 0.0f, 3.0f, 5.0f);
  EXPECT_EQ(Drawn(), Box(1, 1, 5, 1, Box(0, 20, 0, 22, Box(14, 12, 18, 12, Box(12, 7, 12, 9)))));

  IRECT r(2, 3, 12, 9);
  for (auto [f, row] : {std::pair{0.0f, 9}, {1.0f, 3}, {0.5f, 6}, {-3.0f, 9}, {7.0f, 3}})
  {
    ed.DrawHorizontalLine(&kInk, &r, f);
    EXPECT_EQ(Drawn(), Box(2, row, 12, row)) << f;
  }
  ed.DrawVerticalLine(&kInk, &r, 0.25f); // 2 + int(10 * 0.25)
  ed.DrawVerticalLine(&kInk, 20, 9, 5);
  ed.DrawHorizontalLine(&kInk, 22, 19, 16);
  EXPECT_EQ(Drawn(), Box(4, 3, 4, 9, Box(20, 5, 20, 9, Box(16, 22, 19, 22))));

  IRECT sq(10, 10, 20, 20);
  ed.DrawRect(&kInk, &sq);
  EXPECT_EQ(Drawn(), Box(10, 10, 20, 10, Box(10, 20, 20, 20, Box(10, 10, 10, 20, Box(20, 10, 20, 20)))));
}

// Catches: the weight not handed over as the raster alpha, a method mapped
// to the wrong mode, and polygon bands drawn twice where they meet.
TEST_F(Vector, BlendBecomesAlphaAndMode)
{
  IChannelBlend half(IChannelBlend::kBlendNone, 0.5f), add(IChannelBlend::kBlendAdd, 0.5f);
  ed.DrawLine(&kInk, 0.0f, 0.0f, 3.0f, 0.0f, &half);
  EXPECT_EQ(At(2, 0), RAS_RGBA(150, 50, 100, 155));
  // Triangle (2,10) (8,10) (2,16): rows of 7 down to 1 pixel, each once.
  int xs[3] = {2, 8, 2}, ys[3] = {10, 10, 16};
  ed.FillIConvexPolygon(&kInk, xs, ys, 3, &add);
  ed.FillTriangle(&kInk, 12, 10, 18, 10, 12, 16, nullptr);
  ed.FillCircle(&kInk, 20, 3, 0.4f, &add);
  for (int y = 10; y <= 16; ++y)
    for (int x = 2; x <= 18 - y; ++x)
    {
      EXPECT_EQ(At(x, y), kAdded) << x << "," << y;
      EXPECT_EQ(At(x + 10, y), kInk.ToPixel()) << x + 10 << "," << y;
    }
  EXPECT_EQ(At(20, 3), kAdded);
  EXPECT_EQ(Drawn().size(), 4u + 28u + 28u + 1u);
}

// Catches: a corner disc centred on the exclusive edge, side bands of the
// wrong height, square corners, and (the mended cases) overlapping pieces
// drawn twice under a blend, opaque corners on a translucent body, corners
// spilling out of the rectangle and radius-0 discs drawn over the corners.
TEST_F(Vector, FilledRoundRectangle)
{
  IRECT r(2, 2, 14, 12);
  ed.FillRoundRect(&kInk, &r, nullptr, 3, false);
  // Radius-3 discs at (5,5), (10,8), (10,5), (5,8) cut 2, 1, 0 pixels from
  // each end of the top and bottom three rows. The colour's alpha 56 makes
  // every pixel copy at weight 56.
  const int inset[10] = {2, 1, 0, 0, 0, 0, 0, 0, 1, 2};
  Pixels want;
  for (int y = 2; y < 12; ++y) want = Box(2 + inset[y - 2], y, 13 - inset[y - 2], y, want);
  ASSERT_EQ(want.size(), 108u);
  for (const auto& p : want) ASSERT_EQ(At(p.first, p.second), RAS_RGBA(122, 78, 100, 211)) << p.first << "," << p.second;
  EXPECT_EQ(Drawn(), want);

  // Add at 0.5 scaled by alpha 56 / 255 is weight 28.
  IChannelBlend add(IChannelBlend::kBlendAdd, 0.5f);
  for (int radius : {0, -4, 50})
  {
    ed.FillRoundRect(&kInk, &r, &add, radius, true);
    if (radius <= 0)
    {
      for (int y = 2; y < 12; ++y)
        for (int x = 2; x < 14; ++x) ASSERT_EQ(At(x, y), RAS_RGBA(121, 100, 110, 255)) << x << "," << y;
    }
    for (const auto& p : Drawn()) EXPECT_TRUE(r.Contains(p.first, p.second)) << radius;
  }
}

// Catches: NaN, infinite or out-of-int coordinates, angles and fractions
// reaching the integer conversion (undefined behaviour, or a saturated end
// bending the line).
TEST_F(Vector, UnusableCoordinatesDrawNothing)
{
  IRECT r(2, 2, 12, 12);
  ed.DrawLine(&kInk, NAN, 1.0f, 5.0f, 1.0f);
  ed.DrawLine(&kInk, 1.0f, 1.0f, 3e9f, 5.0f, nullptr, true);
  ed.DrawRadialLine(&kInk, 5.0f, 5.0f, INFINITY, 0.0f, 4.0f);
  ed.DrawRadialLine(&kInk, 5.0f, 5.0f, 1.0f, 0.0f, 1e30f);
  ed.DrawCircle(&kInk, NAN, 5.0f, 3.0f);
  ed.DrawArc(&kInk, 5.0f, 5.0f, 3.0f, 0.0f, NAN);
  ed.FillCircle(&kInk, 5, -1000000000, 3.0f);
  ed.DrawHorizontalLine(&kInk, &r, NAN);
  ed.FillIConvexPolygon(&kInk, nullptr, nullptr, 3, nullptr);
  EXPECT_TRUE(Drawn().empty());
}

} // namespace
