// Text through the editor: fonts come from the font cache, sizes are line
// heights, measuring follows the style's alignment and drawing lands inside
// the measured box. Extents and metrics are asked of the GDI layer directly.
#include "GraphicsTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string.h>

namespace
{

const char kFace[] = "Helvetica";

// Line height of a GDI font of that size, or (with text) the width and height
// of one line of text in the given font.
int GdiMetrics(HFONT font, int size, const char* text = nullptr, int* w = nullptr)
{
  HFONT own = font ? nullptr : CreateFont(size, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, kFace);
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ old = SelectObject(dc, font ? font : own);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  RECT r = {0, 0, 0, 0};
  if (text) GDI_DrawText(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, old);
  GDI_DeleteGfxContext(dc);
  if (own) DeleteObject(own);
  if (w) *w = r.right;
  return text ? r.bottom : tm.tmHeight;
}

// Catches: a size of 1 handed to the GDI layer (which makes its default 10
// of it) instead of 2, a corrected size computed from a zero line height,
// and a size not corrected towards the wanted line height.
TEST(Text, SizeIsCorrectedLineHeight)
{
  TestEditor ed(8, 8);
  IText tiny(1, nullptr, kFace), big(30, nullptr, kFace);
  ASSERT_NE(ed.CacheFont(&tiny), nullptr);
  EXPECT_EQ(tiny.mCached->GetLineHeight(), GdiMetrics(nullptr, 2));

  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, 0), 0);
  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, 10), 0);
  EXPECT_EQ(IGraphics::SecondPassFontHeight(20, 23), 17); // 400 / 23 + 0.5
  EXPECT_EQ(IGraphics::SecondPassFontHeight(2, 100), 0);  // never below 2

  const int first = GdiMetrics(nullptr, 30);
  const int second = first == 30 ? 30 : (int)(900.0 / first + 0.5);
  EXPECT_EQ(ed.CacheFont(&big)->GetLineHeight(), GdiMetrics(nullptr, second));
}

// Catches: measured boxes placed against the wrong edge, the centre computed
// from the width instead of the midpoint, or an empty string touching r.
TEST(Text, MeasureFollowsAlignment)
{
  TestEditor ed(8, 8);
  char text[] = "Orvanta 1.3", empty[] = "";
  IText style(16, nullptr, kFace, IText::kStyleNormal, IText::kAlignNear);
  ASSERT_NE(ed.CacheFont(&style), nullptr);
  int w = 0;
  const int h = GdiMetrics(style.mCached->GetHFont(), 0, text, &w);
  ASSERT_GT(w, 0);
  const IRECT expect[3] = {IRECT(10, 10, 10 + w, 10 + h), IRECT(60 - w / 2, 10, 60 - w / 2 + w, 10 + h),
                           IRECT(111 - w, 10, 111, 10 + h)};
  for (int a = 0; a < 3; ++a)
  {
    style.mAlign = (IText::EAlign)a;
    IRECT r(10, 10, 111, 40);
    EXPECT_TRUE(ed.MeasureIText(&style, text, &r));
    EXPECT_EQ(r, expect[a]) << "align " << a;
  }
  IRECT r(1, 2, 3, 4);
  EXPECT_TRUE(ed.MeasureIText(&style, empty, &r));
  EXPECT_TRUE(ed.MeasureIText(&style, nullptr, &r));
  EXPECT_EQ(r, IRECT(1, 2, 3, 4));
}

// Changed pixels: their bounding box, the lowest red value among them, and
// how many lean to red or to blue.
struct Ink
{
  IRECT box;
  int darkest, redOverBlue, blueOverRed;
};

Ink InkOn(IGraphics& ed, RAS_pixel bg)
{
  Ink ink = {IRECT(), 255, 0, 0};
  RAS_IBitmap* bm = ed.GetDrawBitmap();
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x)
    {
      const RAS_pixel p = PixelAt(bm, x, y);
      if (p == bg) continue;
      const IRECT px(x, y, x + 1, y + 1);
      ink.box = ink.box.Union(&px);
      ink.darkest = std::min(ink.darkest, RAS_GETR(p));
      ink.redOverBlue += RAS_GETR(p) > RAS_GETB(p);
      ink.blueOverRed += RAS_GETB(p) > RAS_GETR(p);
    }
  return ink;
}

// Catches: text drawn outside the box its own measurement gives, the text
// colour's alpha ignored (translucent text drawn opaque), and a font shared
// by two colours keeping the colour of the style that made it.
TEST(Text, DrawingLandsInMeasuredBox)
{
  const RAS_pixel white = RAS_RGBA(255, 255, 255, 255);
  TestEditor ed(160, 60);
  char text[] = "Hello, world";
  IRECT r(5, 8, 155, 50);
  for (int a = 0; a < 3; ++a)
  {
    IText style(16, &COLOR_BLACK, kFace, IText::kStyleNormal, (IText::EAlign)a);
    FillAll(ed.GetDrawBitmap(), white);
    IRECT box = r;
    ASSERT_TRUE(ed.DrawIText(&style, text, &r));
    ed.MeasureIText(&style, text, &box);
    const Ink ink = InkOn(ed, white);
    ASSERT_FALSE(ink.box.Empty()) << a;
    EXPECT_EQ(ink.box.Intersect(&box), ink.box) << "align " << a;
    EXPECT_LT(ink.darkest, 64);
  }

  IColor halfBlack(128, 0, 0, 0);
  IText translucent(16, &halfBlack, kFace);
  FillAll(ed.GetDrawBitmap(), white);
  ed.DrawIText(&translucent, text, &r);
  const Ink faint = InkOn(ed, white);
  ASSERT_FALSE(faint.box.Empty());
  EXPECT_GE(faint.darkest, 126); // at most half of the way to black

  IText red(16, &COLOR_RED, kFace), blue = red;
  blue.mColor = COLOR_BLUE;
  ed.CacheFont(&red);
  for (IText* style : {&blue, &red})
  {
    FillAll(ed.GetDrawBitmap(), white);
    ed.DrawIText(style, text, &r);
    const Ink ink = InkOn(ed, white);
    EXPECT_EQ(style->mCached, red.mCached);
    EXPECT_GT(style == &red ? ink.redOverBlue : ink.blueOverRed, 0);
    EXPECT_EQ(style == &red ? ink.blueOverRed : ink.redOverBlue, 0);
  }
}

// Catches: a face name filled to the brim without a terminator read past its
// field (by the cache key or the GDI layer; the address sanitizer sees it).
TEST(Text, UnterminatedFaceNameIsRefused)
{
  TestEditor ed(8, 8);
  IText style(12, nullptr, kFace);
  memset(style.mFont, 'A', sizeof style.mFont);
  const int keys = FontStorage::Instance().GetNKeys();
  char text[] = "x";
  IRECT r(0, 0, 8, 8);
  EXPECT_EQ(ed.CacheFont(&style), nullptr);
  EXPECT_FALSE(ed.DrawIText(&style, text, &r));
  EXPECT_EQ(FontStorage::Instance().GetNKeys(), keys);
}

} // namespace
