// Shapes, lines, pixels and blits of the GDI layer.
#include "gdi/gdi.h"

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

namespace
{
struct Canvas
{
  Canvas(int w, int h) : width(w), height(h), dc(GDI_CreateMemContext(nullptr, w, h)) {}
  ~Canvas() { GDI_DeleteGfxContext(dc); }
  const uint8_t* px(int x, int y) const
  {
    return (const uint8_t*)GDI_GetCtxFrameBuffer(dc) + ((size_t)y * width + x) * 4;
  }
  uint32_t rgb(int x, int y) const { return (uint32_t)px(x, y)[1] << 16 | px(x, y)[2] << 8 | px(x, y)[3]; }
  int count() const
  {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += rgb(x, y) != 0;
    return n;
  }
  int width, height;
  HDC dc;
};
} // namespace

TEST(GdiShapes, RectangleFillsWithTheBrushAndStrokesInside)
{
  Canvas c(12, 12);
  HBRUSH brush = CreateSolidBrush(0x0000FF);
  HPEN pen = CreatePen(PS_SOLID, 1, 0xFF0000);
  SelectObject(c.dc, brush);
  SelectObject(c.dc, pen);
  Rectangle(c.dc, 2, 2, 10, 10);
  EXPECT_EQ(c.rgb(2, 2), 0xFF0000u);
  EXPECT_EQ(c.rgb(9, 9), 0xFF0000u);
  EXPECT_EQ(c.rgb(9, 5), 0xFF0000u);
  EXPECT_EQ(c.rgb(5, 5), 0x0000FFu);
  EXPECT_EQ(c.rgb(1, 1), 0u);
  EXPECT_EQ(c.rgb(10, 10), 0u);
  SelectObject(c.dc, GetStockObject(NULL_PEN));
  SelectObject(c.dc, GetStockObject(NULL_BRUSH));
  Rectangle(c.dc, 0, 0, 12, 12); // null pen and brush: nothing
  EXPECT_EQ(c.rgb(0, 0), 0u);
  DeleteObject(brush);
  DeleteObject(pen);
}

TEST(GdiShapes, EllipsePolygonAndRoundRect)
{
  Canvas c(20, 20);
  HBRUSH brush = CreateSolidBrush(0x00FF00);
  SelectObject(c.dc, brush);
  Ellipse(c.dc, 0, 0, 20, 20);
  EXPECT_EQ(c.rgb(10, 10), 0x00FF00u);
  EXPECT_EQ(c.rgb(0, 0), 0u);
  Canvas p(20, 20);
  SelectObject(p.dc, brush);
  const POINT tri[3] = {{0, 0}, {20, 0}, {0, 20}};
  GDI_Polygon(p.dc, tri, 3);
  EXPECT_EQ(p.rgb(2, 2), 0x00FF00u);
  EXPECT_EQ(p.rgb(18, 18), 0u);
  GDI_Polygon(p.dc, tri, 1); // too few points
  GDI_Polygon(p.dc, nullptr, 3);
  Canvas r(30, 30);
  SelectObject(r.dc, brush);
  RoundRect(r.dc, 0, 0, 30, 30, 15, 15);
  EXPECT_EQ(r.rgb(15, 15), 0x00FF00u);
  EXPECT_EQ(r.rgb(0, 0), 0u); // corners cut by 5
  EXPECT_EQ(r.rgb(15, 0), 0x00FF00u);
  DeleteObject(brush);
}

TEST(GdiLines, LineToStrokesFromTheCurrentPosition)
{
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 0, 0xFF0000);
  SelectObject(c.dc, pen);
  POINT old = {-1, -1};
  MoveToEx(c.dc, 1, 3, &old);
  EXPECT_EQ(old.x, 0);
  EXPECT_EQ(old.y, 0);
  GDI_LineTo(c.dc, 8, 3);
  // Both ends shift by half the width: the end pixels are half covered.
  for (int x = 2; x < 8; ++x) EXPECT_EQ(c.rgb(x, 3), 0xFF0000u) << x;
  EXPECT_NEAR(c.px(1, 3)[1], 128, 2);
  EXPECT_NEAR(c.px(8, 3)[1], 128, 2);
  EXPECT_EQ(c.rgb(4, 2), 0u);
  EXPECT_EQ(c.rgb(4, 4), 0u);
  MoveToEx(c.dc, 0, 0, &old);
  EXPECT_EQ(old.x, 8);
  EXPECT_EQ(old.y, 3);
  DeleteObject(pen);
}

TEST(GdiLines, CurvesUseWholeGroupsOfThree)
{
  Canvas c(20, 20);
  HPEN pen = CreatePen(PS_SOLID, 1, 0xFF0000);
  SelectObject(c.dc, pen);
  MoveToEx(c.dc, 0, 10, nullptr);
  const POINT pts[5] = {{5, 0}, {15, 20}, {19, 10}, {0, 0}, {0, 19}};
  PolyBezierTo(c.dc, pts, 5); // one curve; the two extra points are ignored
  POINT cur;
  MoveToEx(c.dc, 0, 0, &cur);
  EXPECT_EQ(cur.x, 19);
  EXPECT_EQ(cur.y, 10);
  EXPECT_GT(c.count(), 10);
  EXPECT_EQ(c.rgb(0, 19), 0u);
  Canvas d(20, 20);
  SelectObject(d.dc, pen);
  PolyBezierTo(d.dc, pts, 2); // fewer than three points: nothing
  EXPECT_EQ(d.count(), 0);
  DeleteObject(pen);
}

TEST(GdiLines, PolyPolylineSkipsAndIgnoresBadCounts)
{
  Canvas c(10, 10);
  HPEN pen = CreatePen(PS_SOLID, 1, 0xFF0000);
  SelectObject(c.dc, pen);
  const POINT pts[5] = {{9, 9}, {0, 2}, {9, 2}, {0, 6}, {9, 6}};
  const int counts[4] = {1, -7, 2, 2}; // skip one point, ignore -7, two lines
  PolyPolyline(c.dc, pts, counts, 4);
  EXPECT_EQ(c.rgb(5, 2), 0xFF0000u);
  EXPECT_EQ(c.rgb(5, 6), 0xFF0000u);
  EXPECT_EQ(c.rgb(9, 9), 0u);
  PolyPolyline(c.dc, pts, counts, -3);
  PolyPolyline(c.dc, nullptr, counts, 2);
  DeleteObject(pen);
}

TEST(GdiPixels, SetPixelColoursOnePixel)
{
  Canvas c(5, 5);
  GDI_SetPixel(c.dc, 2, 3, 0x112233);
  EXPECT_EQ(c.rgb(2, 3), 0x112233u);
  EXPECT_EQ(c.count(), 1);
  GDI_SetPixel(c.dc, 1000000, -1000000, 0xFFFFFF);
  GDI_SetPixel(nullptr, 0, 0, 0);
}

TEST(GdiBlits, BitBltAndStretchBltCopyUpright)
{
  Canvas src(4, 4), dst(8, 8);
  uint8_t* s = (uint8_t*)GDI_GetCtxFrameBuffer(src.dc);
  for (int i = 0; i < 16; ++i)
  {
    s[i * 4 + 1] = (uint8_t)(16 * i); // red grows left to right, top to bottom
    s[i * 4 + 2] = 7;
  }
  BitBlt(dst.dc, 1, 2, 4, 4, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.px(1, 2)[1], 0);
  EXPECT_EQ(dst.px(4, 2)[1], 48);
  EXPECT_EQ(dst.px(1, 5)[1], 192);
  EXPECT_EQ(dst.px(4, 5)[1], 240);
  EXPECT_EQ(dst.rgb(0, 0), 0u);

  Canvas big(8, 8);
  StretchBlt(big.dc, 0, 0, 8, 8, src.dc, 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(big.px(0, 0)[1], 0);
  EXPECT_EQ(big.px(7, 7)[1], 240);
  EXPECT_EQ(big.px(0, 7)[1], 192);

  // A negative source origin moves the destination; the rest is clipped.
  Canvas part(8, 8);
  BitBlt(part.dc, 0, 0, 4, 4, src.dc, -2, -1, SRCCOPY);
  EXPECT_EQ(part.rgb(0, 0), 0u);
  EXPECT_EQ(part.px(2, 1)[1], 0);
  EXPECT_EQ(part.px(3, 1)[1], 16);
  EXPECT_EQ(part.px(2, 2)[1], 64);
  EXPECT_EQ(part.rgb(4, 1), 0u);
}

TEST(GdiBlits, BadBlitsDrawNothing)
{
  Canvas src(4, 4), dst(4, 4);
  memset(GDI_GetCtxFrameBuffer(src.dc), 0xFF, 64);
  StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 0, 4, SRCCOPY);
  StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 10, 10, 4, 4, SRCCOPY);
  StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, -2147483647 - 1, 0, 2147483647, 4, SRCCOPY);
  StretchBlt(dst.dc, 2147483647, 2147483647, 2147483647, 2147483647, src.dc, 0, 0, 4, 4, SRCCOPY);
  BitBlt(dst.dc, 0, 0, 4, 4, nullptr, 0, 0, SRCCOPY);
  BitBlt(nullptr, 0, 0, 4, 4, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.count(), 0);
  // Blitting a context onto itself reads the source before writing.
  BitBlt(src.dc, 1, 1, 3, 3, src.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(src.rgb(3, 3), 0xFFFFFFu);
}

namespace
{
// Fills the whole canvas with the brush through a pushed clip rectangle.
void FillClipped(const Canvas& c, RECT clip, HBRUSH b)
{
  RECT all = {0, 0, c.width, c.height};
  GDI_PushClipRegion(c.dc);
  GDI_SetClipRegion(c.dc, &clip);
  GDI_FillRect(c.dc, &all, b);
  GDI_PopClipRegion(c.dc);
}
} // namespace

TEST(GdiClip, PushSetPop)
{
  Canvas c(8, 8);
  HBRUSH b = CreateSolidBrush(0xFF0000);
  RECT all = {0, 0, 8, 8}, clip = {2, 2, 4, 4};
  FillClipped(c, clip, b);
  EXPECT_EQ(c.count(), 4);
  GDI_FillRect(c.dc, &all, b);
  EXPECT_EQ(c.count(), 64);
  GDI_FillDialogBackground(c.dc, &clip, 0);
  EXPECT_NE(c.rgb(2, 2), 0xFF0000u);
  DeleteObject(b);
}

// Catches a clip rectangle whose height is taken from its left edge: with
// left 1 and top 5 the clip is 6 wide and 2 tall, rows 5 and 6 only.
TEST(GdiClip, HeightComesFromTopAndBottom)
{
  Canvas c(8, 10);
  HBRUSH b = CreateSolidBrush(0x00FF00);
  FillClipped(c, {1, 5, 7, 7}, b);
  EXPECT_EQ(c.count(), 12);
  EXPECT_EQ(c.rgb(1, 5), 0x00FF00u);
  EXPECT_EQ(c.rgb(6, 6), 0x00FF00u);
  EXPECT_EQ(c.rgb(1, 4), 0u);
  EXPECT_EQ(c.rgb(1, 7), 0u);
  DeleteObject(b);
}
