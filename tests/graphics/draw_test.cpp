// Drawing calls on the draw bitmap. Expected pixels are worked out by hand
// from the combining rules: with source alpha at full weight a pixel of alpha
// a mixes as d' = s + trunc((d - s) * (255 - a) / 256); at weight w (0..256)
// the weight becomes w' = trunc(w * (a + 1) / 256) and d' = s + trunc((d - s)
// * (256 - w') / 256); add is d + trunc(s * w' / 256), clamped.
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

const RAS_pixel kBg = RAS_RGBA(100, 100, 100, 255);

// A W x H image whose every pixel says where it is: red = x, green = y.
std::unique_ptr<RAS_MemBitmap> Coordinates(int w, int h)
{
  auto bm = std::make_unique<RAS_MemBitmap>(w, h, 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) PixelAt(bm.get(), x, y) = RAS_RGBA(x, y, 7, 255);
  return bm;
}

class Draw : public ::testing::Test
{
protected:
  Draw() : ed(20, 16)
  {
    ed.SetDrawRECT(IRECT(0, 0, 20, 16));
    FillAll(ed.GetDrawBitmap(), kBg);
  }
  RAS_pixel At(int x, int y) { return PixelAt(ed.GetDrawBitmap(), x, y); }
  TestEditor ed;
};

// Catches: frames numbered from 0, a rounding other than +0.5 on the frame
// offset, and the horizontal flag ignored.
TEST_F(Draw, FrameSelection)
{
  // 65 frames of 48 rows: state 3 starts at row 96 (red = frame, green = row).
  auto tall = std::make_unique<RAS_MemBitmap>(2, 65 * 48, 4);
  for (int y = 0; y < 65 * 48; ++y)
    for (int x = 0; x < 2; ++x) PixelAt(tall.get(), x, y) = RAS_RGBA(y / 48, y % 48, 0, 255);
  IBitmap knob(tall.get(), 2, 65 * 48, 65);
  IRECT dest(3, 4, 5, 4 + 48);
  ed.DrawBitmap(&knob, &dest, 3, nullptr);
  EXPECT_EQ(At(4, 15), RAS_RGBA(2, 11, 0, 255));
  ed.DrawBitmap(&knob, &dest, 0, nullptr);
  EXPECT_EQ(At(3, 4), RAS_RGBA(0, 0, 0, 255));

  // 3 frames over 10 rows: state 2 starts at int(10 / 3 + 0.5) = 3.
  auto rows = Coordinates(1, 10);
  IBitmap three(rows.get(), 1, 10, 3);
  IRECT d2(0, 0, 1, 3);
  ed.DrawBitmap(&three, &d2, 2, nullptr);
  EXPECT_EQ(At(0, 0), RAS_RGBA(0, 3, 7, 255));
  // Side by side: 4 frames over 20 columns, state 4 starts at column 15.
  auto cols = Coordinates(20, 1);
  IBitmap side(cols.get(), 20, 1, 4, true);
  IRECT d3(10, 10, 15, 11);
  ed.DrawBitmap(&side, &d3, 4, nullptr);
  EXPECT_EQ(At(14, 10), RAS_RGBA(19, 0, 7, 255));
}

// Catches: drawing outside the rectangle being repainted, or reading the
// source from the destination's corner instead of the clipped one.
TEST_F(Draw, ClipsToDrawRectangle)
{
  auto img = Coordinates(10, 10);
  IBitmap bmp(img.get(), 10, 10);
  ed.SetDrawRECT(IRECT(4, 5, 8, 9));
  IRECT dest(2, 3, 12, 13), away(14, 10, 18, 14);
  ed.DrawBitmap(&bmp, &dest, 0, 0, nullptr);
  ed.DrawBitmap(&bmp, &away, 0, 0, nullptr);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x)
    {
      const bool inside = x >= 4 && x < 8 && y >= 5 && y < 9;
      ASSERT_EQ(At(x, y), inside ? RAS_RGBA(x - 2, y - 3, 7, 255) : kBg) << x << "," << y;
    }
}

// Catches: a blend method mapped to the wrong raster mode or weight, and an
// unknown method indexing past the table.
TEST_F(Draw, BlendTable)
{
  RAS_MemBitmap half(1, 1, 4);
  PixelAt(&half, 0, 0) = RAS_RGBA(200, 0, 100, 128);
  IBitmap bmp(&half, 1, 1);
  const RAS_pixel none = RAS_RGBA(151, 49, 100, 255); // s + trunc((d - s) * 127 / 256), alpha d + a
  const struct
  {
    int method;
    float weight;
    RAS_pixel expect;
  } cases[] = {
    {IChannelBlend::kBlendNone, 1.0f, none},
    {IChannelBlend::kBlendNone, 0.5f, RAS_RGBA(125, 75, 100, 255)},        // w' = 64
    {IChannelBlend::kBlendClobber, 1.0f, RAS_RGBA(200, 0, 100, 128)},      // the source word
    {IChannelBlend::kBlendAdd, 0.5f, RAS_RGBA(150, 100, 125, 255)},        // d + trunc(s * 64 / 256)
    {IChannelBlend::kBlendColorDodge, 1.0f, RAS_RGBA(164, 100, 124, 255)}, // d * 256 / (256 - s * 129 / 256)
    {9, 1.0f, none},
  };
  IRECT dest(5, 5, 6, 6);
  for (const auto& c : cases)
  {
    PixelAt(ed.GetDrawBitmap(), 5, 5) = kBg;
    IChannelBlend blend((IChannelBlend::EBlendMethod)c.method, c.weight);
    ed.DrawBitmap(&bmp, &dest, 0, 0, &blend);
    EXPECT_EQ(At(5, 5), c.expect) << "method " << c.method << " weight " << c.weight;
  }
  PixelAt(ed.GetDrawBitmap(), 5, 5) = kBg;
  ed.DrawBitmap(&bmp, &dest, 0, 0, nullptr);
  EXPECT_EQ(At(5, 5), none);
}

// Catches: a rotated blit placed off centre, clipped to the draw rectangle,
// given the blit table's mode, or losing the zero-degree offset.
TEST_F(Draw, RotatedBitmap)
{
  auto img = Coordinates(4, 6);
  IBitmap bmp(img.get(), 4, 6);
  ed.SetDrawRECT(IRECT(0, 0, 1, 1));
  IChannelBlend clobber(IChannelBlend::kBlendClobber), add(IChannelBlend::kBlendAdd);
  ed.DrawRotatedBitmap(&bmp, 10, 8, 0.0, 0, &clobber);
  EXPECT_EQ(At(8, 5), RAS_RGBA(0, 0, 7, 255)); // top-left at (10 - 2, 8 - 3)
  EXPECT_EQ(At(11, 10), RAS_RGBA(3, 5, 7, 255));
  EXPECT_EQ(At(7, 5), kBg);
  ed.DrawRotatedBitmap(&bmp, 10, 8, 0.0, 2, &clobber);
  EXPECT_EQ(At(8, 5), RAS_RGBA(0, 2, 7, 255)); // two rows further down
  FillAll(ed.GetDrawBitmap(), RAS_RGBA(10, 10, 10, 255));
  ed.DrawRotatedBitmap(&bmp, 10, 8, 0.0, 0, &add);
  EXPECT_EQ(At(11, 10), RAS_RGBA(13, 15, 17, 255));
}

// Catches: the base's coverage kept (so its box shows), the mask not adding
// coverage, the top not copied over, or the result not clipped.
TEST_F(Draw, RotatedMask)
{
  RAS_MemBitmap base(4, 4, 4), mask(4, 4, 4), top(4, 4, 4);
  FillAll(&base, RAS_RGBA(10, 20, 30, 255));
  FillAll(&top, 0);
  PixelAt(&top, 0, 0) = RAS_RGBA(255, 0, 0, 255);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) PixelAt(&mask, x, y) = x < 2 ? RAS_RGBA(0, 0, 0, 255) : 0;
  IBitmap b(&base, 4, 4), m(&mask, 4, 4), t(&top, 4, 4);
  ed.SetDrawRECT(IRECT(0, 0, 20, 7));
  ed.DrawRotatedMask(&b, &m, &t, 6, 4, 0.0, nullptr);
  EXPECT_EQ(At(6, 4), RAS_RGBA(255, 0, 0, 255));
  EXPECT_EQ(At(7, 6), RAS_RGBA(10, 20, 30, 255));
  EXPECT_EQ(At(8, 5), kBg); // no coverage right of the mask
  EXPECT_EQ(At(7, 7), kBg); // below the draw rectangle
}

// Catches: points rounded the wrong way or drawn with the blit table, forced
// pixels blended or written outside the bitmap, fills with inclusive edges.
TEST_F(Draw, PointsPixelsAndFills)
{
  const IColor c(128, 200, 0, 100);
  IChannelBlend add(IChannelBlend::kBlendAdd, 0.5f);
  ed.DrawPoint(&c, 2.4f, 3.6f, nullptr, true);
  EXPECT_EQ(At(2, 4), c.ToPixel()); // line-mode copy: no source alpha
  ed.DrawPoint(&c, 6.0f, 6.0f, &add);
  EXPECT_EQ(At(6, 6), RAS_RGBA(200, 100, 150, 255)); // d + trunc(s * 128 / 256)

  ed.ForcePixel(&c, 0, 0);
  ed.ForcePixel(&c, 20, 0);
  ed.ForcePixel(&c, -1, 3);
  EXPECT_EQ(ed.GetPoint(0, 0), c);
  EXPECT_EQ(ed.GetPoint(20, 0), COLOR_TRANSPARENT);

  // A fill with source alpha scales its opacity by the colour's alpha (128 /
  // 255 gives weight 128): the whole-word half mix, alpha included.
  IRECT r(10, 10, 13, 12);
  ed.FillIRect(&c, &r, nullptr);
  EXPECT_EQ(At(12, 11), RAS_RGBA(150, 50, 100, 191));
  EXPECT_EQ(At(13, 11), kBg);
  EXPECT_EQ(At(12, 12), kBg);
}

// Catches: scaling without filtering, cropping from the wrong corner, and
// results that are not handed to the image cache.
TEST_F(Draw, ScaleAndCrop)
{
  auto src = std::make_unique<RAS_MemBitmap>(2, 1, 4);
  PixelAt(src.get(), 0, 0) = RAS_RGBA(0, 0, 0, 255);
  PixelAt(src.get(), 1, 0) = RAS_RGBA(255, 255, 255, 255);
  IBitmap in(src.get(), 2, 1, 3, true);
  IBitmap out = ed.ScaleBitmap(&in, 4, 1);
  ASSERT_NE(out.mData, nullptr);
  EXPECT_EQ(out.W, 4);
  EXPECT_EQ(out.N, 3);
  EXPECT_FALSE(out.mFramesAreHorizontal);
  // Samples at 0, 0.5, 1, 1.5; the last column is interpolated vertically
  // only, so it stays white.
  const int expectRed[4] = {0, 127, 255, 255};
  for (int x = 0; x < 4; ++x) EXPECT_EQ(RAS_GETR(PixelAt(out.mData, x, 0)), expectRed[x]) << x;

  auto grid = Coordinates(4, 4);
  IBitmap g(grid.get(), 4, 4);
  IRECT r(1, 2, 6, 4);
  IBitmap cut = ed.CropBitmap(&g, &r);
  ASSERT_NE(cut.mData, nullptr);
  EXPECT_EQ(cut.W, 5);
  EXPECT_EQ(cut.H, 2);
  EXPECT_EQ(PixelAt(cut.mData, 2, 1), RAS_RGBA(3, 3, 7, 255));
  EXPECT_EQ(PixelAt(cut.mData, 4, 1), 0u); // beyond the source
  EXPECT_TRUE(BitmapStorage::Instance().Holds(out.mData));
  EXPECT_TRUE(BitmapStorage::Instance().Holds(cut.mData));
  ed.ReleaseBitmap(&out);
  ed.ReleaseBitmap(&cut);
}

} // namespace
