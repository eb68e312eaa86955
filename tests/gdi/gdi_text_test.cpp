// GDI_DrawText: measuring, placement for every alignment flag, prefixes,
// line feeds, anti-aliasing, the local buffer's limit.
#include "gdi/gdi.h"

#include <CoreText/OrvantaCTTesting.h>

#include <gtest/gtest.h>

#include <math.h>
#include <stdint.h>

#include <string>

namespace
{
struct TextCanvas
{
  TextCanvas(int w, int h, int quality = 0) : width(w), height(h)
  {
    dc = GDI_CreateMemContext(nullptr, w, h);
    font = CreateFont(16, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, (char)quality, 0, "Helvetica");
    SelectObject(dc, font);
    SetTextColor(dc, 0xFFFFFF);
  }
  ~TextCanvas()
  {
    SelectObject(dc, (HGDIOBJ)3);
    DeleteObject(font);
    GDI_DeleteGfxContext(dc);
  }
  uint8_t red(int x, int y) const { return ((const uint8_t*)GDI_GetCtxFrameBuffer(dc))[((size_t)y * width + x) * 4 + 1]; }
  bool inked(RECT* box) const
  {
    *box = {width, height, -1, -1};
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (red(x, y))
        {
          box->left = std::min<LONG>(box->left, x), box->top = std::min<LONG>(box->top, y);
          box->right = std::max<LONG>(box->right, x + 1), box->bottom = std::max<LONG>(box->bottom, y + 1);
        }
    return box->right > 0;
  }
  int partial() const
  {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += red(x, y) > 0 && red(x, y) < 255;
    return n;
  }
  void clear()
  {
    uint8_t* fb = (uint8_t*)GDI_GetCtxFrameBuffer(dc);
    std::fill(fb, fb + (size_t)width * height * 4, 0);
  }
  int width, height;
  HDC dc;
  HFONT font;
};

int Measure(HDC dc, const char* text, int flags, RECT* r)
{
  *r = {5, 7, 5, 7};
  return GDI_DrawText(dc, text, -1, r, flags | DT_CALCRECT);
}
} // namespace

TEST(GdiDrawText, MeasuresFromTheFontsMetrics)
{
  TextCanvas c(200, 100);
  TEXTMETRIC tm;
  GetTextMetrics(c.dc, &tm);
  RECT r;
  const int h = Measure(c.dc, "Hello", 0, &r);
  // One line: floor(ascent + descent + leading + 1.5) + 1, here 2 more than the metrics' whole parts at least.
  EXPECT_GE(h, tm.tmAscent + tm.tmDescent + tm.tmInternalLeading + 1);
  EXPECT_LE(h, tm.tmAscent + tm.tmDescent + tm.tmInternalLeading + 5);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.top, 7);
  EXPECT_EQ(r.bottom, 7 + h);
  EXPECT_GT(r.right - r.left, 20);
  RECT r2;
  Measure(c.dc, "HelloHello", 0, &r2);
  EXPECT_NEAR(r2.right - r2.left, 2 * (r.right - r.left), 1);
  // Measuring draws nothing.
  RECT box;
  EXPECT_FALSE(c.inked(&box));
  // Two lines: two line heights, each rounded up one unit more than the spacing used to draw.
  RECT r3;
  const int h2 = Measure(c.dc, "Hello\nHello", 0, &r3);
  EXPECT_EQ(h2, 2 * (h - 1) + 1);
  EXPECT_EQ(r3.right, r.right);
  EXPECT_EQ(GDI_DrawText(c.dc, "", -1, &r3, 0), 0);
  EXPECT_EQ(GDI_DrawText(c.dc, "\r\r", -1, &r3, 0), 0);
}

TEST(GdiDrawText, LandsInsideItsRectangleForEveryAlignment)
{
  const int flags[] = {0,
                       DT_CENTER,
                       DT_RIGHT,
                       DT_VCENTER,
                       DT_BOTTOM,
                       DT_CENTER | DT_VCENTER,
                       DT_RIGHT | DT_BOTTOM,
                       DT_CENTER | DT_BOTTOM,
                       DT_RIGHT | DT_VCENTER};
  for (int f : flags)
  {
    TextCanvas c(200, 120);
    RECT m;
    const int h = Measure(c.dc, "Ag", DT_SINGLELINE, &m);
    const int w = m.right - m.left;
    RECT r = {20, 10, 180, 110};
    EXPECT_EQ(GDI_DrawText(c.dc, "Ag", -1, &r, f | DT_SINGLELINE), h) << f;
    RECT box;
    ASSERT_TRUE(c.inked(&box)) << f;
    long x = 20, y = 10;
    if (f & DT_RIGHT)
      x = 180 - w;
    else if (f & DT_CENTER)
      x = 20 + (160 / 2 - w / 2);
    if (f & DT_BOTTOM)
      y = 110 - h;
    else if (f & DT_VCENTER)
      y = 10 + (100 / 2 - h / 2);
    EXPECT_GE(box.left, x - 1) << f;
    EXPECT_LE(box.right, x + w + 1) << f;
    EXPECT_GE(box.top, y) << f;
    EXPECT_LE(box.bottom, y + h) << f;
  }
}

TEST(GdiDrawText, ClipsToTheRectangleUnlessAskedNotTo)
{
  TextCanvas c(200, 60);
  RECT r = {10, 10, 20, 40};
  GDI_DrawText(c.dc, "WWWWWW", -1, &r, 0);
  RECT box;
  ASSERT_TRUE(c.inked(&box));
  EXPECT_GE(box.left, 10);
  EXPECT_LE(box.right, 20);
  c.clear();
  GDI_DrawText(c.dc, "WWWWWW", -1, &r, DT_NOCLIP);
  ASSERT_TRUE(c.inked(&box));
  EXPECT_GT(box.right, 40);
}

TEST(GdiDrawText, PrefixesAndTrailingAmpersand)
{
  TextCanvas c(300, 40);
  RECT a, b, d;
  Measure(c.dc, "A&B", 0, &a);
  Measure(c.dc, "AB", 0, &b);
  EXPECT_EQ(a.right, b.right);
  Measure(c.dc, "A&&B", 0, &a);
  Measure(c.dc, "A&B", DT_NOPREFIX, &d);
  EXPECT_EQ(a.right, d.right);
  EXPECT_GT(d.right, b.right);
  // A final "&" is dropped, and nothing past the given length is read.
  Measure(c.dc, "AB&", 0, &a);
  EXPECT_EQ(a.right, b.right);
  const char buf[4] = {'A', 'B', '&', 'W'};
  RECT e = {5, 7, 5, 7};
  GDI_DrawText(c.dc, buf, 3, &e, DT_CALCRECT);
  EXPECT_EQ(e.right, b.right);
  // Line feeds become spaces with DT_SINGLELINE.
  RECT s1, s2;
  Measure(c.dc, "A\nB", DT_SINGLELINE, &s1);
  Measure(c.dc, "A B", DT_SINGLELINE, &s2);
  EXPECT_EQ(s1.right, s2.right);
  EXPECT_EQ(s1.bottom, s2.bottom);
}

TEST(GdiDrawText, AntialiasingFollowsTheFontQuality)
{
  TextCanvas smooth(120, 40, ANTIALIASED_QUALITY), sharp(120, 40, NONANTIALIASED_QUALITY);
  RECT r = {2, 2, 118, 38};
  GDI_DrawText(smooth.dc, "Sample", -1, &r, 0);
  GDI_DrawText(sharp.dc, "Sample", -1, &r, 0);
  EXPECT_GT(smooth.partial(), 10);
  EXPECT_EQ(sharp.partial(), 0);
  RECT box;
  EXPECT_TRUE(sharp.inked(&box));
}

TEST(GdiDrawText, OpaqueBackgroundFillsTheTextBox)
{
  TextCanvas c(100, 40);
  SetBkMode(c.dc, OPAQUE);
  SetBkColor(c.dc, 0x800000);
  SetTextColor(c.dc, 0x000000);
  RECT r = {10, 5, 90, 35};
  const int h = GDI_DrawText(c.dc, "ab", -1, &r, 0);
  RECT m;
  Measure(c.dc, "ab", 0, &m);
  EXPECT_EQ(c.red(10, 5), 0x80);
  EXPECT_EQ(c.red(10 + (m.right - m.left) - 1, 5 + h - 1), 0x80);
  EXPECT_EQ(c.red(10 + (m.right - m.left) + 1, 5), 0);
}

TEST(GdiDrawText, GlyphsAreNotRenderedAgainForEachCall)
{
  TextCanvas c(200, 40);
  RECT r = {0, 0, 200, 40};
  GDI_DrawText(c.dc, "repeat", -1, &r, 0);
  const long after = OrvantaCTGlyphRasterizationCount();
  for (int i = 0; i < 20; ++i) GDI_DrawText(c.dc, "repeat", -1, &r, 0);
  EXPECT_EQ(OrvantaCTGlyphRasterizationCount(), after);
}

TEST(GdiDrawText, LongTextIsCutAtACharacterBoundary)
{
  TextCanvas c(50, 30);
  // 4094 ASCII characters, then a three-byte character that does not fit whole.
  std::string text(4094, 'a');
  text += "\xE2\x82\xAC";
  RECT r = {0, 0, 0, 0};
  EXPECT_GT(GDI_DrawText(c.dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE), 0);
  std::string fits(4094, 'a');
  RECT r2 = {0, 0, 0, 0};
  GDI_DrawText(c.dc, fits.c_str(), -1, &r2, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(r.right, r2.right);
  // Far-out rectangles draw nothing and do not fail.
  RECT far = {2000000000, 2000000000, 2100000000, 2100000000};
  GDI_DrawText(c.dc, "x", -1, &far, DT_RIGHT | DT_BOTTOM);
  RECT wide = {-2147483647 - 1, 0, 2147483647, 30};
  GDI_DrawText(c.dc, "x", -1, &wide, DT_CENTER);
  EXPECT_EQ(GDI_DrawText(c.dc, "x", -1, nullptr, 0), 0);
  EXPECT_EQ(GDI_DrawText(c.dc, nullptr, -1, &r, 0), 0);
}
