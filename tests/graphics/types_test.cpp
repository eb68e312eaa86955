// Editor geometry and style types: expectations worked out by hand from the
// rectangle rules (right/bottom exclusive, all-zero is empty) and the pixel
// layout A | R << 8 | G << 16 | B << 24.
#include "graphics/graphics.h"

#include <gtest/gtest.h>

namespace
{

// Catches: an all-zero rectangle treated as a real one, emptiness judged by
// area, inclusive right/bottom edges, the >= / < asymmetry of Intersects
// lost, and min/max swapped in Intersect or Union.
TEST(IRECT, Geometry)
{
  const IRECT e, r(2, 3, 10, 20), z(5, 5, 5, 5), u(5, 5, 6, 6), right(6, 5, 9, 6);
  EXPECT_TRUE(e.Empty());
  EXPECT_FALSE(e.Contains(0, 0));
  EXPECT_FALSE(e.Intersects(&r));
  EXPECT_FALSE(r.Intersects(&e));
  EXPECT_EQ(e.Union(&r), r);
  EXPECT_EQ(r.Union(&e), r);

  EXPECT_TRUE(r.Contains(2, 3));
  EXPECT_FALSE(r.Contains(10, 5));
  EXPECT_FALSE(r.Contains(5, 20));
  EXPECT_EQ(r.W(), 8);
  EXPECT_EQ(r.H(), 17);
  EXPECT_FLOAT_EQ(r.MidY(), 11.5f);

  EXPECT_FALSE(z.Empty());
  EXPECT_FALSE(z.Contains(5, 5));
  EXPECT_TRUE(z.Intersects(&u));
  EXPECT_EQ(z.Intersect(&u), z);
  EXPECT_TRUE(u.Intersects(&right));  // u.R == right.L passes the >= test
  EXPECT_FALSE(right.Intersects(&u)); // right.L == u.R fails the < test

  const IRECT a(10, 10, 20, 20), b(30, 5, 40, 15), c(15, 12, 25, 30);
  EXPECT_EQ(a.Union(&b), IRECT(10, 5, 40, 20));
  EXPECT_EQ(a.Intersect(&c), IRECT(15, 12, 20, 20));
  EXPECT_TRUE(a.Intersect(&b).Empty());
}

// Catches: components packed in the wrong byte or not cut to 8 bits.
TEST(IColor, PacksLowBytesInRasterLayout)
{
  EXPECT_EQ(IColor(0x11, 0x22, 0x33, 0x44).ToPixel(), 0x44332211u);
  EXPECT_EQ(IColor(255, 300, -1, 0).ToPixel(), 0x00FF2CFFu); // 300 keeps 44, -1 keeps 255
  EXPECT_EQ(IColor::FromPixel(0x44332211u), IColor(0x11, 0x22, 0x33, 0x44));
  EXPECT_EQ(COLOR_ORANGE.ToPixel(), 0x007FFFFFu);
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
  EXPECT_EQ(t.mAlign, IText::kAlignCenter);
  EXPECT_EQ(t.mCached, nullptr);

  const char* fits = "0123456789012345678901234567890"; // 31 bytes
  EXPECT_TRUE(t.SetFont(fits));
  EXPECT_FALSE(t.SetFont("Helvetica Neue Condensed Black Oblique"));
  EXPECT_STREQ(t.mFont, fits);
  IText longName(12, &COLOR_RED, "Helvetica Neue Condensed Black Oblique");
  EXPECT_STREQ(longName.mFont, "Monaco");
}

// Catches: a frame count of 0 or less dividing frame sizes by zero.
TEST(IBitmap, FramesAtLeastOne)
{
  IBitmap side(nullptr, 100, 20, 4, true);
  EXPECT_EQ(side.FrameWidth(), 25);
  EXPECT_EQ(side.FrameHeight(), 20);
  IBitmap zero(nullptr, 30, 40, 0);
  EXPECT_EQ(zero.N, 1);
  zero.N = -3;
  EXPECT_EQ(zero.FrameHeight(), 40);
}

} // namespace
