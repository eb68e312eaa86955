// The editor's vector calls on the draw bitmap. Expected pixels are worked
// out by hand: copy at weight 1 stores the colour word, copy at 0.5 is the
// per-channel half mix (d + s) >> 1, add at weight w is d + trunc(s * w / 256)
// clamped; a filled midpoint disc of radius 3 spans 7, 7, 7, 5, 3 pixels from
// its centre row outwards.
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <math.h>

#include <set>
#include <utility>

namespace
{

const RAS_pixel kBg = RAS_RGBA(100, 100, 100, 255);
const IColor kInk(56, 200, 0, 100); // even channels: the half mix is exact
using Pixels = std::set<std::pair<int, int>>;

class Vector : public ::testing::Test
{
protected:
  Vector() : ed(24, 24) { FillAll(ed.GetDrawBitmap(), kBg); }
  RAS_pixel At(int x, int y) { return PixelAt(ed.GetDrawBitmap(), x, y); }
  // Every pixel that is no longer the background.
  Pixels Drawn()
  {
    Pixels p;
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
        if (At(x, y) != kBg) p.insert({x, y});
    return p;
  }
  static Pixels Run(int x1, int y1, int x2, int y2)
  {
    Pixels p;
    for (int y = y1; y <= y2; ++y)
      for (int x = x1; x <= x2; ++x) p.insert({x, y});
    return p;
  }
  TestEditor ed;
};

// Catches: coordinates rounded or floored instead of truncated toward zero,
// the radial angle turned the wrong way or measured from the x axis, and
// guide lines placed from the top or not clamped.
TEST_F(Vector, LinesLandOnTheirPixels)
{
  ed.DrawLine(&kInk, 1.9f, 1.9f, 5.9f, 1.9f);
  ed.DrawLine(&kInk, -0.5f, 20.0f, -0.5f, 22.0f); // column 0, not -1
  ed.DrawRadialLine(&kInk, 12.0f, 12.0f, (float)M_PI / 2, 2.0f, 6.0f);
  ed.DrawRadialLine(&kInk, 12.0f, 12.0f, 0.0f, 3.0f, 5.0f);
  Pixels want = Run(1, 1, 5, 1);
  for (const Pixels& p : {Run(0, 20, 0, 22), Run(14, 12, 18, 12), Run(12, 7, 12, 9)}) want.insert(p.begin(), p.end());
  EXPECT_EQ(Drawn(), want);
  EXPECT_EQ(At(1, 1), kInk.ToPixel()); // a missing blend is copy at weight 1

  IRECT r(2, 3, 12, 9);
  const struct
  {
    float f;
    int row;
  } rows[] = {{0.0f, 9}, {1.0f, 3}, {0.5f, 6}, {-3.0f, 9}, {7.0f, 3}};
  for (const auto& c : rows)
  {
    FillAll(ed.GetDrawBitmap(), kBg);
    ed.DrawHorizontalLine(&kInk, &r, c.f);
    EXPECT_EQ(Drawn(), Run(2, c.row, 12, c.row)) << c.f;
  }
  FillAll(ed.GetDrawBitmap(), kBg);
  ed.DrawVerticalLine(&kInk, &r, 0.25f); // 2 + int(10 * 0.25)
  ed.DrawVerticalLine(&kInk, 20, 9, 5);
  ed.DrawHorizontalLine(&kInk, 22, 19, 16);
  want = Run(4, 3, 4, 9);
  for (const Pixels& p : {Run(20, 5, 20, 9), Run(16, 22, 19, 22)}) want.insert(p.begin(), p.end());
  EXPECT_EQ(Drawn(), want);
}

// Catches: an outline that stops short of the exclusive right and bottom
// edges, or draws inside them.
TEST_F(Vector, RectOutlineTouchesTheExclusiveEdges)
{
  IRECT r(10, 10, 20, 20);
  ed.DrawRect(&kInk, &r);
  Pixels want;
  for (const Pixels& p : {Run(10, 10, 20, 10), Run(10, 20, 20, 20), Run(10, 10, 10, 20), Run(20, 10, 20, 20)})
    want.insert(p.begin(), p.end());
  EXPECT_EQ(Drawn(), want);
  EXPECT_EQ(want.size(), 40u);
}

// Catches: the weight not handed over as the raster alpha, a method mapped to
// the wrong mode, and shapes given the line table's weight rules.
TEST_F(Vector, BlendBecomesAlphaAndMode)
{
  IChannelBlend half(IChannelBlend::kBlendNone, 0.5f), add(IChannelBlend::kBlendAdd, 0.5f);
  ed.DrawLine(&kInk, 0.0f, 0.0f, 3.0f, 0.0f, &half);
  EXPECT_EQ(At(2, 0), RAS_RGBA(150, 50, 100, 155));
  ed.DrawLine(&kInk, 0.0f, 1.0f, 3.0f, 1.0f, &add);
  EXPECT_EQ(At(2, 1), RAS_RGBA(200, 100, 150, 255));

  // Triangle (2,10) (8,10) (2,16): rows of 7 down to 1 pixel, each once.
  int xs[3] = {2, 8, 2}, ys[3] = {10, 10, 16};
  ed.FillIConvexPolygon(&kInk, xs, ys, 3, &add);
  ed.FillTriangle(&kInk, 12, 10, 18, 10, 12, 16, nullptr);
  ed.FillCircle(&kInk, 20, 3, 0.4f, &add);
  Pixels tri;
  for (int y = 10; y <= 16; ++y)
    for (int x = 2; x <= 8 - (y - 10); ++x)
    {
      tri.insert({x, y});
      tri.insert({x + 10, y});
      EXPECT_EQ(At(x, y), RAS_RGBA(200, 100, 150, 255)) << x << "," << y;
      EXPECT_EQ(At(x + 10, y), kInk.ToPixel()) << x + 10 << "," << y;
    }
  EXPECT_EQ(At(20, 3), RAS_RGBA(200, 100, 150, 255));
  Pixels want = Run(0, 0, 3, 1);
  want.insert(tri.begin(), tri.end());
  want.insert({20, 3});
  EXPECT_EQ(Drawn(), want);
}

// Catches: a corner disc centred on the exclusive edge, side bands of the
// wrong height, corners left square, opaque corners on a translucent body,
// and (the radius limits) discs that spill outside the rectangle or corners
// drawn twice by radius-0 discs.
TEST_F(Vector, FilledRoundRectangle)
{
  IRECT r(2, 2, 14, 12);
  ed.FillRoundRect(&kInk, &r, nullptr, 3, false);
  // Corner discs at (5,5), (10,8), (10,5), (5,8): 8, 10, 12, 12, 12, 12,
  // 12, 12, 10, 8 pixels from the top row down, centred on the rectangle.
  const int inset[10] = {2, 1, 0, 0, 0, 0, 0, 0, 1, 2};
  Pixels want;
  for (int y = 2; y < 12; ++y)
  {
    const Pixels row = Run(2 + inset[y - 2], y, 13 - inset[y - 2], y);
    want.insert(row.begin(), row.end());
  }
  EXPECT_EQ(Drawn(), want);
  EXPECT_EQ(want.size(), 108u);
  // The colour's alpha 56 makes every piece copy at weight 56, corners
  // included: s + trunc((d - s) * 200 / 256).
  for (const auto& p : want) ASSERT_EQ(At(p.first, p.second), RAS_RGBA(122, 78, 100, 211)) << p.first << "," << p.second;

  IChannelBlend add(IChannelBlend::kBlendAdd, 0.5f);
  // Add at 0.5 scaled by alpha 56 / 255: weight 28, d + trunc(s * 28 / 256).
  for (int radius : {0, -4, 50})
  {
    FillAll(ed.GetDrawBitmap(), kBg);
    ed.FillRoundRect(&kInk, &r, &add, radius, true);
    for (int y = 0; y < 24; ++y)
      for (int x = 0; x < 24; ++x)
      {
        const bool in = r.Contains(x, y);
        if (!in || radius <= 0)
        {
          ASSERT_EQ(At(x, y), in ? RAS_RGBA(121, 100, 110, 255) : kBg) << radius << ": " << x << "," << y;
        }
      }
  }
}

// Catches: NaN or infinite coordinates, angles or fractions reaching the
// integer conversion (undefined behaviour, or a line to INT_MIN), and
// coordinates beyond the int range saturated into a bent line.
TEST_F(Vector, UnusableCoordinatesDrawNothing)
{
  const float nan = NAN, inf = INFINITY;
  IRECT r(2, 2, 12, 12);
  ed.DrawLine(&kInk, nan, 1.0f, 5.0f, 1.0f);
  ed.DrawLine(&kInk, 1.0f, 1.0f, 5.0f, -inf, nullptr, true);
  ed.DrawLine(&kInk, 1.0f, 1.0f, 3e9f, 5.0f);
  ed.DrawRadialLine(&kInk, 5.0f, 5.0f, inf, 0.0f, 4.0f);
  ed.DrawRadialLine(&kInk, 5.0f, 5.0f, 1.0f, 0.0f, 1e38f * 10.0f);
  ed.DrawCircle(&kInk, nan, 5.0f, 3.0f);
  ed.DrawArc(&kInk, 5.0f, 5.0f, 3.0f, 0.0f, nan);
  ed.FillCircle(&kInk, 5, 5, inf);
  ed.DrawVerticalLine(&kInk, &r, nan);
  ed.DrawHorizontalLine(&kInk, &r, nan);
  ed.FillIConvexPolygon(&kInk, nullptr, nullptr, 3, nullptr);
  EXPECT_TRUE(Drawn().empty());
}

} // namespace
