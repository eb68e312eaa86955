// Memory contexts, objects, selection and deletion rules of the GDI layer.
#include "gdi/gdi.h"

#include <AppKit/AppKitGraphics.h>
#include <CoreText/CoreText.h>

#include <gtest/gtest.h>

#include <stdint.h>
#include <string.h>

#include <string>

TEST(GdiMemContext, FrameBufferIsAlignedZeroedAndTopDown)
{
  HDC dc = GDI_CreateMemContext(nullptr, 10, 4);
  ASSERT_NE(dc, nullptr);
  uint8_t* fb = (uint8_t*)GDI_GetCtxFrameBuffer(dc);
  ASSERT_NE(fb, nullptr);
  EXPECT_EQ((uintptr_t)fb % 64, 0u);
  for (int i = 0; i < 10 * 4 * 4; ++i) ASSERT_EQ(fb[i], 0) << i;
  // The platform's top-left pixel is the first four bytes (filler, red, green, blue).
  CGContextRef g = GDI_GetCtxGC(dc);
  CGContextSetRGBFillColor(g, 1, 0, 0, 1);
  CGContextFillRect(g, CGRectMake(0, 0, 1, 1));
  EXPECT_EQ(fb[1], 255);
  EXPECT_EQ(fb[2], 0);
  EXPECT_EQ(fb[3], 0);
  EXPECT_EQ(fb[5], 0);
  // Row 1 starts 40 bytes in.
  CGContextSetRGBFillColor(g, 0, 0, 1, 1);
  CGContextFillRect(g, CGRectMake(0, 1, 1, 1));
  EXPECT_EQ(fb[40 + 3], 255);
  EXPECT_EQ(GetTextColor(dc), 0);
  GDI_DeleteGfxContext(dc);
}

TEST(GdiMemContext, BadSizesAndFreedContextsAreRefused)
{
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 0, 4), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 4, -1), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 1 << 30, 1 << 30), nullptr);
  EXPECT_EQ(GDI_CreateMemContext(nullptr, 0x7FFFFFFF, 2), nullptr);
  HDC dc = GDI_CreateMemContext(nullptr, 2, 2);
  GDI_DeleteGfxContext(dc);
  // A freed context answers nothing (it sits in the pool until reused).
  EXPECT_EQ(GDI_GetCtxFrameBuffer(dc), nullptr);
  EXPECT_EQ(GDI_GetCtxGC(dc), nullptr);
  EXPECT_EQ(GetTextColor(dc), -1);
  EXPECT_EQ(GetTextColor(nullptr), -1);
  RECT r = {0, 0, 10, 10};
  EXPECT_EQ(GDI_DrawText(dc, "x", -1, &r, 0), 0);
  GDI_DeleteGfxContext(dc);
  GDI_DeleteGfxContext(nullptr);
  EXPECT_EQ(SelectObject(nullptr, (HGDIOBJ)3), nullptr);
}

TEST(GdiObjects, SelectObjectReturnsWhatRestoresThePreviousState)
{
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  HFONT font = CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  ASSERT_NE(font, nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  EXPECT_EQ(old, (HGDIOBJ)3);
  EXPECT_EQ(SelectObject(dc, old), font); // empties the slot, returns the font
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)3), (HGDIOBJ)3);

  HPEN pen = CreatePen(PS_SOLID, 2, 0xFF0000);
  HPEN pen2 = CreatePen(PS_SOLID, -5, 0x00FF00);
  EXPECT_EQ(SelectObject(dc, pen), (HGDIOBJ)1);
  EXPECT_EQ(SelectObject(dc, pen2), pen);
  EXPECT_EQ(SelectObject(dc, pen), pen2);
  // Bitmaps and the small bitmap value are not selected.
  const uint8_t px[4] = {0, 1, 2, 3};
  HBITMAP bm = CreateBitmap(1, 1, 1, 32, px);
  EXPECT_EQ(SelectObject(dc, bm), nullptr);
  EXPECT_EQ(SelectObject(dc, (HGDIOBJ)4), nullptr);
  DeleteObject(bm);
  DeleteObject(pen);
  DeleteObject(pen2);
  DeleteObject(font);
  GDI_DeleteGfxContext(dc);
}

TEST(GdiObjects, ClonesAndStockObjectsSurviveDelete)
{
  HBRUSH b = CreateSolidBrush(0x123456);
  EXPECT_EQ(GDI_CloneGDIObject(b), b);
  DeleteObject(b); // drops the clone's reference only
  HDC dc = GDI_CreateMemContext(nullptr, 2, 2);
  RECT r = {0, 0, 2, 2};
  GDI_FillRect(dc, &r, b);
  const uint8_t* fb = (const uint8_t*)GDI_GetCtxFrameBuffer(dc);
  EXPECT_EQ(fb[1], 0x12);
  EXPECT_EQ(fb[2], 0x34);
  EXPECT_EQ(fb[3], 0x56);
  DeleteObject(b);
  DeleteObject(b); // already freed: ignored
  HGDIOBJ nullPen = GetStockObject(NULL_PEN);
  ASSERT_NE(nullPen, nullptr);
  EXPECT_EQ(GetStockObject(NULL_PEN), nullPen);
  EXPECT_NE(GetStockObject(NULL_BRUSH), nullptr);
  EXPECT_EQ(GetStockObject(3), nullptr);
  DeleteObject(nullPen);
  EXPECT_EQ(SelectObject(dc, nullPen), (HGDIOBJ)1);
  DeleteObject((HGDIOBJ)2);
  DeleteObject(nullptr);
  GDI_DeleteGfxContext(dc);
}

TEST(GdiFonts, SizeAndNameRules)
{
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  TEXTMETRIC tm10, tm12;
  HFONT f0 = CreateFont(0, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  HFONT f10 = CreateFont(10, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  HFONT fneg = CreateFont(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  HFONT f12 = CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  HFONT huge = CreateFont(100000, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica");
  SelectObject(dc, f0);
  GetTextMetrics(dc, &tm10);
  SelectObject(dc, f10);
  TEXTMETRIC t;
  GetTextMetrics(dc, &t);
  EXPECT_EQ(memcmp(&t, &tm10, sizeof t), 0);
  SelectObject(dc, huge);
  GetTextMetrics(dc, &t);
  EXPECT_EQ(memcmp(&t, &tm10, sizeof t), 0);
  SelectObject(dc, fneg);
  GetTextMetrics(dc, &t);
  SelectObject(dc, f12);
  GetTextMetrics(dc, &tm12);
  EXPECT_EQ(memcmp(&t, &tm12, sizeof t), 0);
  EXPECT_GT(tm12.tmAscent, tm10.tmAscent);
  SelectObject(dc, (HGDIOBJ)3);
  for (HFONT f : {f0, f10, fneg, f12, huge}) DeleteObject(f);
  GDI_DeleteGfxContext(dc);
}

TEST(GdiFonts, ComposedNamesReachTheCatalogueOncePerName)
{
  const long before = NSFontCatalogLookupCount();
  HFONT a = CreateFont(12, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  EXPECT_EQ(NSFontCatalogLookupCount(), before + 1);
  HFONT b = CreateFont(14, 0, 0, 0, 700, 0, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  EXPECT_EQ(NSFontCatalogLookupCount(), before + 1);
  HFONT c = CreateFont(14, 0, 0, 0, 700, 1, 0, 0, 0, 0, 0, 0, 0, "Monaco");
  EXPECT_EQ(NSFontCatalogLookupCount(), before + 2);
  // The bold face is the one selected: a bold monospaced font.
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  SelectObject(dc, a);
  RECT r1 = {0, 0, 0, 0}, r2 = {0, 0, 0, 0};
  GDI_DrawText(dc, "iiii", -1, &r1, DT_CALCRECT);
  GDI_DrawText(dc, "WWWW", -1, &r2, DT_CALCRECT);
  EXPECT_EQ(r1.right, r2.right);
  SelectObject(dc, (HGDIOBJ)3);
  GDI_DeleteGfxContext(dc);
  DeleteObject(a);
  DeleteObject(b);
  DeleteObject(c);
}

TEST(GdiFonts, LongFaceNamesAreBounded)
{
  std::string longName(5000, 'A');
  HFONT f = CreateFont(12, 0, 0, 0, FW_BOLD, 1, 0, 0, 0, 0, 0, 0, 0, longName.c_str());
  ASSERT_NE(f, nullptr);
  DeleteObject(f);
  HFONT empty = CreateFont(12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "");
  EXPECT_NE(empty, nullptr);
  DeleteObject(empty);
  LOGFONT lf = {};
  lf.lfHeight = 12;
  memset(lf.lfFaceName, 'B', sizeof lf.lfFaceName); // not terminated
  HFONT g = CreateFontIndirect(&lf);
  EXPECT_NE(g, nullptr);
  DeleteObject(g);
  EXPECT_EQ(CreateFontIndirect(nullptr), nullptr);
}

TEST(GdiTextMetrics, DefaultFontAndPresets)
{
  HDC dc = GDI_CreateMemContext(nullptr, 4, 4);
  EXPECT_EQ(GetTextMetrics(dc, nullptr), 0);
  TEXTMETRIC tm = {};
  EXPECT_EQ(GetTextMetrics(nullptr, &tm), 0);
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAveCharWidth, 10);
  ASSERT_EQ(GetTextMetrics(dc, &tm), 1);
  CTFontRef label = NSFontCreateLabelFontOfSize(10);
  const int a = (int)CTFontGetAscent(label), d = (int)CTFontGetDescent(label), l = (int)CTFontGetLeading(label);
  EXPECT_EQ(tm.tmAscent, a);
  EXPECT_EQ(tm.tmDescent, d);
  EXPECT_EQ(tm.tmInternalLeading, l);
  EXPECT_EQ(tm.tmHeight, a + d + l + 1);
  EXPECT_EQ(tm.tmAveCharWidth, (a + d + l) * 2 / 3);
  NSObjectRelease(label);
  GDI_DeleteGfxContext(dc);
}

TEST(GdiBitmaps, BitmapsIconsAndImageLists)
{
  EXPECT_EQ(CreateBitmap(2, 2, 1, 32, nullptr), nullptr);
  const uint8_t px[16] = {255, 1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 10, 11, 12};
  EXPECT_EQ(CreateBitmap(0, 2, 1, 32, px), nullptr);
  HBITMAP bm = CreateBitmap(2, 2, 1, 32, px);
  ASSERT_NE(bm, nullptr);
  BITMAP info = {};
  EXPECT_EQ(GetObject(bm, sizeof info, &info), 1);
  EXPECT_EQ(info.bmWidth, 2);
  EXPECT_EQ(info.bmHeight, 2);
  EXPECT_EQ(GetObject(bm, 4, &info), 0);
  ICONINFO ii = {1, 0, 0, nullptr, bm};
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(GetNSImageFromHICON(icon), GetNSImageFromHICON(bm));
  DeleteObject(bm);
  EXPECT_NE(GetNSImageFromHICON(icon), nullptr); // the icon keeps the shared image

  HIMAGELIST list = ImageList_CreateEx();
  EXPECT_EQ(ImageList_ReplaceIcon(list, -1, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 99, icon), 1);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, icon), 0);
  EXPECT_EQ(ImageList_ReplaceIcon(list, 0, nullptr), -1);
  EXPECT_EQ(ImageList_Remove(list, 5), 0); // out of range: ignored
  EXPECT_EQ(ImageList_Remove(list, 1), 1);
  EXPECT_EQ(ImageList_Remove(list, -1), 1);
  ImageList_Destroy(list);
  ImageList_Destroy(nullptr);
  DeleteObject(icon);
  EXPECT_EQ(LoadNamedImage("/no/such/file.png", false), nullptr);
  EXPECT_EQ(LoadNamedImage(nullptr, false), nullptr);
}

TEST(GdiMisc, SysColorsAndWindowContexts)
{
  EXPECT_EQ(GetSysColor(0), 0x606060);
  EXPECT_EQ(GetSysColor(4), 0xC0C0C0);
  EXPECT_EQ(GetSysColor(8), 0xFFF0C8);
  EXPECT_EQ(GetSysColor(99), 0);
  int view = 0;
  EXPECT_EQ(GetDC(&view), nullptr); // not painting: nothing to draw into
  HDC mem = GDI_CreateMemContext(nullptr, 4, 4);
  CGContextRef old = NSGraphicsContextSetCurrentPort(GDI_GetCtxGC(mem));
  HDC dc = GetDC(&view);
  ASSERT_NE(dc, nullptr);
  HBRUSH b = CreateSolidBrush(0xFF0000);
  RECT r = {0, 0, 1, 1};
  GDI_FillRect(dc, &r, b);
  EXPECT_EQ(ReleaseDC(&view, dc), 1);
  EXPECT_EQ(((uint8_t*)GDI_GetCtxFrameBuffer(mem))[1], 255);
  NSGraphicsContextSetCurrentPort(old);
  DeleteObject(b);
  GDI_DeleteGfxContext(mem);
}
