// Editor geometry and style types: expectations worked out by hand from the
// rectangle rules (right/bottom exclusive, all-zero is empty) and the pixel
// layout A | R << 8 | G << 16 | B << 24.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

#include <string.h>

namespace
{

// Catches: an all-zero rectangle treated as a real one (containing its origin,
// intersecting, or swallowing the other side of a union).
TEST(IRECT, EmptyRectangleIsNeutral)
{
  IRECT e;
  IRECT r(2, 3, 10, 20);
  EXPECT_TRUE(e.Empty());
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_FALSE(e.Intersects(&r));
  EXPECT_FALSE(r.Intersects(&e));
  EXPECT_EQ(e.Union(&r), r);
  EXPECT_EQ(r.Union(&e), r);
  EXPECT_TRUE(r.Intersect(&e).Empty());
}

// Catches: inclusive right/bottom edges, or emptiness judged by area.
TEST(IRECT, EdgesAndZeroArea)
{
  IRECT r(2, 3, 10, 20);
  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_FALSE(r.Contains(10, 5));
  EXPECT_FALSE(r.Contains(5, 20));
  EXPECT_FALSE(r.Contains(1, 5));
  EXPECT_EQ(r.W(), 8);
  EXPECT_EQ(r.H(), 17);
  EXPECT_FLOAT_EQ(r.MidX(), 6.0f);
  EXPECT_FLOAT_EQ(r.MidY(), 11.5f);

  IRECT z(5, 5, 5, 5), u(5, 5, 6, 6);
  EXPECT_FALSE(z.Empty());
  EXPECT_FALSE(z.Contains(5, 5));
  EXPECT_TRUE(z.Intersects(&u)); // right >= left, not >
  EXPECT_EQ(z.Intersect(&u), IRECT(5, 5, 5, 5));
  IRECT right(6, 5, 9, 6);
  EXPECT_TRUE(u.Intersects(&right));  // u.R == right.L passes the >= test
  EXPECT_FALSE(right.Intersects(&u)); // right.L == u.R fails the < test
}

// Catches: min/max swapped in the overlap or the union.
TEST(IRECT, IntersectAndUnion)
{
  IRECT a(10, 10, 20, 20), b(30, 5, 40, 15), c(15, 12, 25, 30);
  EXPECT_EQ(a.Union(&b), IRECT(10, 5, 40, 20));
  EXPECT_EQ(a.Intersect(&c), IRECT(15, 12, 20, 20));
  EXPECT_TRUE(a.Intersect(&b).Empty());
}

// Catches: components packed in the wrong byte or not cut to 8 bits.
TEST(IColor, PacksLowBytesInRasterLayout)
{
  EXPECT_EQ(IColor(0x11, 0x22, 0x33, 0x44).ToPixel(), 0x44332211u);
  EXPECT_EQ(IColor(255, 300, 0, 0).ToPixel(), 0x00002CFFu); // 300 keeps 44
  EXPECT_EQ(IColor(255, 0, -1, 0).ToPixel(), 0x00FF00FFu);  // -1 keeps 255
  EXPECT_EQ(IColor::FromPixel(0x44332211u), IColor(0x11, 0x22, 0x33, 0x44));
  EXPECT_EQ(COLOR_ORANGE.ToPixel(), 0x007FFFFFu);
  EXPECT_EQ(COLOR_GRAY, IColor(255, 127, 127, 127));
  EXPECT_EQ(DEFAULT_TEXT_ENTRY_BGCOLOR, COLOR_WHITE);
}

// Catches: wrong defaults of an embedded style, and a long face name cut into
// the name of a different font instead of being refused.
TEST(IText, DefaultsAndBoundedFaceName)
{
  IText t;
  EXPECT_STREQ(t.mFont, "Monaco");
  EXPECT_EQ(t.mSize, 10);
  EXPECT_EQ(t.mColor, COLOR_BLACK);
  EXPECT_EQ(t.mTextEntryBGColor, COLOR_WHITE);
  EXPECT_EQ(t.mTextEntryFGColor, COLOR_BLACK);
  EXPECT_EQ(t.mStyle, IText::kStyleNormal);
  EXPECT_EQ(t.mAlign, IText::kAlignCenter);
  EXPECT_EQ(t.mOrientation, 0);
  EXPECT_EQ(t.mQuality, IText::kQualityDefault);
  EXPECT_EQ(t.mCached, nullptr);

  const char* fits = "0123456789012345678901234567890"; // 31 bytes
  EXPECT_TRUE(t.SetFont(fits));
  EXPECT_STREQ(t.mFont, fits);
  EXPECT_FALSE(t.SetFont("Helvetica Neue Condensed Black Oblique"));
  EXPECT_STREQ(t.mFont, fits);

  IText longName(12, &COLOR_RED, "Helvetica Neue Condensed Black Oblique");
  EXPECT_STREQ(longName.mFont, "Monaco");
  EXPECT_EQ(longName.mColor, COLOR_RED);

  IText copy = t;
  copy.mCached = reinterpret_cast<RAS_CachedFont*>(&t);
  IText copy2 = copy;
  EXPECT_EQ(copy2.mCached, copy.mCached);
}

// Catches: a frame count of 0 or less dividing frame sizes by zero.
TEST(IBitmap, FramesAtLeastOne)
{
  IBitmap strip(nullptr, 48, 65 * 48, 65);
  EXPECT_EQ(strip.FrameHeight(), 48);
  EXPECT_EQ(strip.FrameWidth(), 48);
  IBitmap side(nullptr, 100, 20, 4, true);
  EXPECT_EQ(side.FrameWidth(), 25);
  EXPECT_EQ(side.FrameHeight(), 20);
  IBitmap zero(nullptr, 30, 40, 0);
  EXPECT_EQ(zero.N, 1);
  zero.N = -3;
  EXPECT_EQ(zero.FrameHeight(), 40);
}

// Catches: blend methods mapped to the wrong raster modes, or an unknown
// method indexing past the table.
TEST(IChannelBlend, TranslationTables)
{
  struct Row
  {
    IChannelBlend::EBlendMethod method;
    int blit, line, rotated;
  };
  const Row rows[] = {{IChannelBlend::kBlendNone, 0x10000, 0, 0x10100},
                      {IChannelBlend::kBlendClobber, 0, 0, 0x100},
                      {IChannelBlend::kBlendAdd, 0x10001, 1, 0x10101},
                      {IChannelBlend::kBlendColorDodge, 0x10002, 2, 0x10102}};
  for (const Row& row : rows)
  {
    IChannelBlend b(row.method, 0.25f);
    EXPECT_EQ(IBlend::BlitMode(&b), row.blit);
    EXPECT_EQ(IBlend::LineMode(&b), row.line);
    EXPECT_EQ(IBlend::RotatedMode(&b), row.rotated);
    EXPECT_FLOAT_EQ(IBlend::Weight(&b), 0.25f);
  }
  EXPECT_EQ(IBlend::BlitMode(nullptr), 0x10000);
  EXPECT_EQ(IBlend::RotatedMode(nullptr), 0x10100);
  EXPECT_FLOAT_EQ(IBlend::Weight(nullptr), 1.0f);
  IChannelBlend odd((IChannelBlend::EBlendMethod)9);
  EXPECT_EQ(IBlend::BlitMode(&odd), 0x10000);
}

} // namespace
