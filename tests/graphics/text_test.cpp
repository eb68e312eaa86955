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

// Width and height of a single line as the GDI layer measures it.
void GdiExtent(HFONT font, const char* text, int* w, int* h)
{
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ old = SelectObject(dc, font);
  RECT r = {0, 0, 0, 0};
  GDI_DrawText(dc, text, -1, &r, DT_CALCRECT | DT_NOPREFIX | DT_NOCLIP);
  SelectObject(dc, old);
  GDI_DeleteGfxContext(dc);
  *w = r.right;
  *h = r.bottom;
}

int GdiLineHeight(int height)
{
  HFONT font = CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, kFace);
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRIC tm;
  GetTextMetrics(dc, &tm);
  SelectObject(dc, old);
  GDI_DeleteGfxContext(dc);
  DeleteObject(font);
  return tm.tmHeight;
}

// Catches: colour, alignment or quality made part of the font key (one font
// per colour), or bold sharing the plain font.
TEST(Text, StylesShareFontsByShape)
{
  TestEditor ed(8, 8);
  const int keys = FontStorage::Instance().GetNKeys();
  IText red(17, &COLOR_RED, kFace);
  IText blue(17, &COLOR_BLUE, kFace, IText::kStyleNormal, IText::kAlignFar, 0, IText::kQualityAntiAliased);
  IText bold(17, &COLOR_RED, kFace, IText::kStyleBold);
  RAS_CachedFont* a = ed.CacheFont(&red);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(red.mCached, a);
  EXPECT_EQ(ed.CacheFont(&blue), a);
  EXPECT_NE(ed.CacheFont(&bold), a);
  EXPECT_EQ(FontStorage::Instance().GetNKeys(), keys + 2);
}

// Catches: a size of 1 handed to the GDI layer (which turns it into its
// default 10) instead of 2, and a corrected size computed from a zero line
// height.
TEST(Text, SizeIsCorrectedLineHeight)
{
  TestEditor ed(8, 8);
  IText tiny(1, nullptr, kFace);
  RAS_CachedFont* f = ed.CacheFont(&tiny);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->GetLineHeight(), GdiLineHeight(2));

  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, 0), 0);
  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, -3), 0);
  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, 10), 0);
  EXPECT_EQ(IGraphics::SecondPassFontHeight(10, 12), 8);  // 100 / 12 + 0.5
  EXPECT_EQ(IGraphics::SecondPassFontHeight(20, 23), 17); // 400 / 23 + 0.5
  EXPECT_EQ(IGraphics::SecondPassFontHeight(2, 100), 0);  // never below 2

  // A style of size 30 gets the font whose size was corrected once.
  IText big(30, nullptr, kFace);
  const int first = GdiLineHeight(30);
  const int second = first == 30 ? 30 : (int)(900.0 / first + 0.5);
  EXPECT_EQ(ed.CacheFont(&big)->GetLineHeight(), GdiLineHeight(second));
}

// Catches: measured boxes placed against the wrong edge, the centre computed
// from the width instead of the midpoint, or an empty string touching r.
TEST(Text, MeasureFollowsAlignment)
{
  TestEditor ed(8, 8);
  char text[] = "Orvanta 1.3";
  IText near(16, nullptr, kFace, IText::kStyleNormal, IText::kAlignNear);
  IText centre = near, far = near;
  centre.mAlign = IText::kAlignCenter;
  far.mAlign = IText::kAlignFar;
  RAS_CachedFont* f = ed.CacheFont(&near);
  ASSERT_NE(f, nullptr);
  int w = 0, h = 0;
  GdiExtent(f->GetHFont(), text, &w, &h);
  ASSERT_GT(w, 0);

  IRECT r(10, 10, 111, 40);
  EXPECT_TRUE(ed.MeasureIText(&near, text, &r));
  EXPECT_EQ(r, IRECT(10, 10, 10 + w, 10 + h));
  r = IRECT(10, 10, 111, 40);
  ed.MeasureIText(&centre, text, &r);
  EXPECT_EQ(r, IRECT(60 - w / 2, 10, 60 - w / 2 + w, 10 + h));
  r = IRECT(10, 10, 111, 40);
  ed.MeasureIText(&far, text, &r);
  EXPECT_EQ(r, IRECT(111 - w, 10, 111, 10 + h));

  char empty[] = "";
  r = IRECT(1, 2, 3, 4);
  EXPECT_TRUE(ed.MeasureIText(&near, empty, &r));
  EXPECT_TRUE(ed.MeasureIText(&near, nullptr, &r));
  EXPECT_EQ(r, IRECT(1, 2, 3, 4));
}

struct Ink
{
  IRECT box;       // bounding box of changed pixels (empty when none)
  int darkest;     // lowest red value among them
  int redOverBlue; // changed pixels with more red than blue
  int blueOverRed;
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
      if (RAS_GETR(p) > RAS_GETB(p)) ++ink.redOverBlue;
      if (RAS_GETB(p) > RAS_GETR(p)) ++ink.blueOverRed;
    }
  return ink;
}

// Catches: text drawn outside the box its own measurement gives, the text
// colour's alpha ignored (translucent text drawn opaque), and a shared font
// keeping the colour of the style that made it.
TEST(Text, DrawingLandsInMeasuredBox)
{
  const RAS_pixel white = RAS_RGBA(255, 255, 255, 255);
  TestEditor ed(160, 60);
  char text[] = "Hello, world";
  for (IText::EAlign align : {IText::kAlignNear, IText::kAlignCenter, IText::kAlignFar})
  {
    IText style(16, &COLOR_BLACK, kFace, IText::kStyleNormal, align);
    FillAll(ed.GetDrawBitmap(), white);
    IRECT r(5, 8, 155, 50), box = r;
    ASSERT_TRUE(ed.DrawIText(&style, text, &r));
    ed.MeasureIText(&style, text, &box);
    const Ink ink = InkOn(ed, white);
    ASSERT_FALSE(ink.box.Empty()) << align;
    EXPECT_EQ(ink.box.Intersect(&box), ink.box) << "align " << align;
    EXPECT_LT(ink.darkest, 64);
  }

  IColor halfBlack(128, 0, 0, 0);
  IText translucent(16, &halfBlack, kFace);
  FillAll(ed.GetDrawBitmap(), white);
  IRECT r(5, 8, 155, 50);
  ed.DrawIText(&translucent, text, &r);
  const Ink faint = InkOn(ed, white);
  ASSERT_FALSE(faint.box.Empty());
  EXPECT_GE(faint.darkest, 126); // at most half of the way to black

  IText red(16, &COLOR_RED, kFace), blue = red;
  blue.mColor = COLOR_BLUE;
  ed.CacheFont(&red);
  FillAll(ed.GetDrawBitmap(), white);
  ed.DrawIText(&blue, text, &r);
  EXPECT_EQ(blue.mCached, red.mCached);
  Ink ink = InkOn(ed, white);
  EXPECT_GT(ink.blueOverRed, 0);
  EXPECT_EQ(ink.redOverBlue, 0);
  FillAll(ed.GetDrawBitmap(), white);
  ed.DrawIText(&red, text, &r);
  ink = InkOn(ed, white);
  EXPECT_GT(ink.redOverBlue, 0);
  EXPECT_EQ(ink.blueOverRed, 0);
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
  EXPECT_EQ(FontStorage::Instance().Find(&style), nullptr);
  EXPECT_EQ(FontStorage::Instance().GetNKeys(), keys);
}

} // namespace
