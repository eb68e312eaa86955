// Glyph-cached text: UTF-8 decoding, measuring against what is drawn and
// against the GDI layer, glyph compositing against the GDI layer's own
// rendering, alignment, the cache itself (each glyph rendered once, maps kept
// inside their cells), effects, and compositing of a caller's coverage map.
#include "raster/raster.h"
#include "raster_test_util.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string.h>

namespace
{
HFONT MakeFont(int height, int quality = DEFAULT_QUALITY)
{
  return CreateFont(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, (char)quality, 0, "Helvetica");
}

struct Font : RAS_CachedFont
{
  explicit Font(int flags, int height = 16, int quality = DEFAULT_QUALITY)
  {
    SetFromHFont(MakeFont(height, quality), flags | RAS_FONT_OWNS_HANDLE);
  }
};

// The bounding box of the pixels that differ from bg (right/bottom exclusive).
RECT Ink(RAS_IBitmap& bm, RAS_pixel bg, RAS_pixel mask = 0xFFFFFFFF)
{
  RECT r = {bm.getWidth(), bm.getHeight(), -1, -1};
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
      if ((At(bm, x, y) & mask) != (bg & mask))
      {
        r.left = std::min<LONG>(r.left, x), r.top = std::min<LONG>(r.top, y);
        r.right = std::max<LONG>(r.right, x + 1), r.bottom = std::max<LONG>(r.bottom, y + 1);
      }
  return r;
}

bool Inside(const RECT& in, const RECT& out, int slack = 0)
{
  return in.left >= out.left - slack && in.top >= out.top - slack && in.right <= out.right + slack &&
         in.bottom <= out.bottom + slack;
}

// One character measured and rendered by the GDI layer alone, white on black,
// in a cell of its advance plus the glyph cache's padding.
struct GdiGlyph
{
  GdiGlyph(HFONT font, const char* utf8, int lineHeight) : bm(64, 64)
  {
    HDC dc = bm.getDC();
    SelectObject(dc, font);
    RECT r = {0, 0, 0, 0};
    height = GDI_DrawText(dc, utf8, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    advance = r.right;
    RAS_Clear(&bm, 0);
    SetTextColor(dc, 0xFFFFFF);
    RECT cell = {0, 0, advance + (lineHeight < 16 ? 2 : lineHeight / 16 + 2), height};
    GDI_DrawText(dc, utf8, -1, &cell, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, (HGDIOBJ)GDI_OBJ_FONT);
  }
  int coverage(int x, int y) { return RAS_GETR(At(bm, x, y)); }
  RAS_SysBitmap bm;
  int advance, height;
};

const RAS_pixel kBg = Px(20, 40, 60, 255);
const RAS_pixel kText = Px(250, 200, 10, 255);
} // namespace

// Catches: signed bytes giving negative codes, continuation bytes read beyond
// the given length, 0xC0 refused as a continuation, four-byte characters not
// turned into spaces.
TEST(CachedFontUtf8, DecodesWithinTheGivenLength)
{
  struct Case
  {
    const char* bytes;
    int avail, code, used;
  } cases[] = {
      {"\xC3\xA9", 2, 0xE9, 2}, {"\xC3\xC0", 2, 0xC0, 2},     {"\xC3\x41", 2, 0xC3, 1},
      {"\xE2\x82\xAC", 3, 0x20AC, 3}, {"\xF0\x9F\x98\x80", 4, ' ', 4}, {"\xE2\x82\xAC", 2, 0xE2, 1},
      {"\xC3\xA9", 1, 0xC3, 1}, {"\xFF", 1, 0xFF, 1},          {"\x80", 1, 0x80, 1},
  };
  for (const Case& c : cases)
  {
    int code = -1;
    EXPECT_EQ(RAS_CachedFont::utf8char(c.bytes, c.avail, &code), c.used) << c.bytes;
    EXPECT_EQ(code, c.code) << c.bytes;
  }
}

// Catches: a measured width that is not the sum of the characters' own
// advances, a height other than one glyph cell per line, line feeds ignored or
// not turned into spaces on a single line, measuring that needs a bitmap.
TEST(CachedFontMeasure, AgreesWithTheGdiLayersCharacters)
{
  Font f(0);
  int sum = 0, cell = 0;
  for (const char* c : {"H", "a", "m", "b", "u", "r", "g", "o"})
  {
    GdiGlyph g(f.GetHFont(), c, f.GetLineHeight());
    sum += g.advance;
    cell = g.height;
  }
  RECT r = {3, 4, 0, 0};
  EXPECT_EQ(f.DrawText(nullptr, "Hamburgo", -1, &r, DT_CALCRECT | RAS_DT_NO_NATIVE), cell);
  EXPECT_EQ(r.right - r.left, sum);
  EXPECT_EQ(r.bottom - r.top, cell);

  const int a = GdiGlyph(f.GetHFont(), "A", 16).advance, sp = GdiGlyph(f.GetHFont(), " ", 16).advance,
            b = GdiGlyph(f.GetHFont(), "B", 16).advance;
  r = {0, 0, 0, 0};
  EXPECT_EQ(f.DrawText(nullptr, "A\nB", -1, &r, DT_CALCRECT | RAS_DT_NO_NATIVE), f.GetLineHeight() + cell);
  EXPECT_EQ(r.right, std::max(a, b));
  r = {0, 0, 0, 0};
  EXPECT_EQ(f.DrawText(nullptr, "A\nB", -1, &r, DT_CALCRECT | DT_SINGLELINE | RAS_DT_NO_NATIVE), cell);
  EXPECT_EQ(r.right, a + sp + b);
}

// Catches: cached glyphs whose coverage or weighting differs from what the
// GDI layer draws for the same character: anti-aliased coverage k must blend
// by the copy rule at weight k + 1, monochrome ink (above 130) must store the
// text colour as non-antialiased drawing does; ink lost outside the stored map.
TEST(CachedFontGlyphs, MatchTheGdiLayersOwnRendering)
{
  for (bool mono : {false, true})
  {
    Font f(mono ? RAS_FONT_MONOCHROME : 0, 16, mono ? NONANTIALIASED_QUALITY : DEFAULT_QUALITY);
    f.SetTextColor(kText);
    for (const char* c : {"A", "g", "@", "W", "\xC3\xA9"})
    {
      GdiGlyph ref(f.GetHFont(), c, f.GetLineHeight());
      RAS_MemBitmap bm(64, 64);
      RAS_Clear(&bm, kBg);
      int code;
      RAS_CachedFont::utf8char(c, 2, &code);
      ASSERT_TRUE(f.DrawGlyph(&bm, code, 0, 0, nullptr));
      for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
        {
          const int k = ref.coverage(x, y);
          RAS_pixel want = k ? OracleRulePx(RAS_MODE_COPY, kBg, kText, k + 1) : kBg;
          if (mono) want = k > 130 ? kText : kBg;
          ASSERT_EQ(At(bm, x, y), want) << c << " at " << x << "," << y << (mono ? " mono" : "");
        }
    }
  }
}

// Catches: the native path through the scratch bitmap (targets without a
// drawing context) placing, offsetting or clipping text differently from
// drawing into the target's own context.
TEST(CachedFontNative, ScratchPathMatchesTheTargetsContext)
{
  Font f(RAS_FONT_ALLOW_NATIVE);
  f.SetTextColor(kText);
  const RECT rects[] = {{-7, -5, 120, 30}, {20, 10, 70, 22}, {30, 6, 150, 40}};
  for (const RECT& rc : rects)
    for (unsigned int flags : {0u, (unsigned)(DT_CENTER | DT_VCENTER), (unsigned)(DT_RIGHT | DT_BOTTOM | DT_NOCLIP)})
    {
      RAS_SysBitmap sys(160, 48);
      RAS_MemBitmap mem(160, 48);
      RAS_Clear(&sys, kBg);
      RAS_Clear(&mem, kBg);
      RECT a = rc, b = rc;
      EXPECT_EQ(f.DrawText(&sys, "Gain 12 dB", -1, &a, flags), f.DrawText(&mem, "Gain 12 dB", -1, &b, flags));
      EXPECT_EQ(RAS_BitmapCmp(&sys, &mem), 0) << rc.left << "," << rc.top << " flags " << flags;
    }
}

// Catches: any alignment flag placing text outside its rectangle or away
// from the side it names, and drawing that strays from (or falls short of)
// the measured box, on the cached path and both native paths.
TEST(CachedFontAlign, EveryAlignmentLandsInsideItsRectangle)
{
  Font f(RAS_FONT_ALLOW_NATIVE);
  f.SetTextColor(kText);
  const RECT rc = {20, 10, 220, 90};
  for (int path = 0; path < 3; path++)
    for (unsigned int h : {0u, (unsigned)DT_CENTER, (unsigned)DT_RIGHT})
      for (unsigned int v : {0u, (unsigned)DT_VCENTER, (unsigned)DT_BOTTOM})
      {
        std::unique_ptr<RAS_IBitmap> bm;
        if (path == 2)
          bm = std::make_unique<RAS_SysBitmap>(240, 100);
        else
          bm = std::make_unique<RAS_MemBitmap>(240, 100);
        RAS_Clear(bm.get(), kBg);
        const unsigned int flags = h | v | DT_SINGLELINE | (path == 0 ? RAS_DT_NO_NATIVE : 0);
        RECT m = {0, 0, 0, 0}, r = rc;
        f.DrawText(nullptr, "Level", -1, &m, DT_CALCRECT | flags);
        f.DrawText(bm.get(), "Level", -1, &r, flags);
        // The box of the measured size where the flags put it.
        const int x = h == DT_RIGHT ? rc.right - m.right : h == DT_CENTER ? (rc.left + rc.right - m.right) / 2 : rc.left;
        const int y = v == DT_BOTTOM ? rc.bottom - m.bottom : v == DT_VCENTER ? (rc.top + rc.bottom - m.bottom) / 2 : rc.top;
        const RECT box = {x, y, x + m.right, y + m.bottom};
        const RECT ink = Ink(*bm, kBg);
        EXPECT_TRUE(Inside(ink, rc)) << path << " " << h << " " << v;
        EXPECT_TRUE(Inside(ink, box, 1)) << path << " " << h << " " << v;
        EXPECT_GT(ink.right, box.right - 4) << path << " " << h << " " << v;
      }
}

// Catches: cached text not clipped to its rectangle, or clipped to it
// despite DT_NOCLIP.
TEST(CachedFontAlign, ClipsToTheRectangleUnlessAskedNotTo)
{
  Font f(0);
  f.SetTextColor(kText);
  for (unsigned int noclip : {0u, (unsigned)DT_NOCLIP})
  {
    RAS_MemBitmap bm(200, 40);
    RAS_Clear(&bm, kBg);
    RECT r = {10, 8, 40, 20};
    f.DrawText(&bm, "Wide text here", -1, &r, noclip | RAS_DT_NO_NATIVE);
    const RECT ink = Ink(bm, kBg);
    EXPECT_EQ(Inside(ink, r), !noclip);
    EXPECT_GT(ink.right, noclip ? 60 : 30);
  }
}

// Catches: glyphs rendered again on every draw, in particular characters
// from 128 upwards whose record was filled at a stale position after the
// extended list was sorted or grew, so the lookup never found them rendered.
TEST(CachedFontCache, EachGlyphIsRenderedOnceHoweverOftenDrawn)
{
  Font f(0);
  RAS_MemBitmap bm(400, 40);
  const std::string text = "\xC3\xBF\xC3\xBC\xE2\x82\xAC\xC3\xA9\xC3\xA0 hello \xC3\x9F\xC2\xA7\xC3\xA9 abc";
  std::set<int> codes;
  for (size_t i = 0; i < text.size();)
  {
    int code;
    i += RAS_CachedFont::utf8char(text.c_str() + i, (int)(text.size() - i), &code);
    codes.insert(code);
  }
  for (int n = 0; n < 50; n++)
  {
    RECT r = {0, 0, 400, 40};
    f.DrawText(&bm, text.c_str(), -1, &r, RAS_DT_NO_NATIVE);
  }
  EXPECT_EQ(f.GetRenderedGlyphCount(), (long)codes.size());
  for (int code : codes)
  {
    const RAS_GlyphRecord* g = f.FindGlyph(code);
    ASSERT_NE(g, nullptr) << code;
    EXPECT_EQ(g->code, code);
    EXPECT_NE(g->base, 0) << code;
  }
}

// Catches: a stored map wider or taller than the scratch cell it was read
// from (a font without a handle renders in a 10 x 10 cell with the default
// font, whose glyphs are taller than that).
TEST(CachedFontCache, MapsNeverExceedTheirCell)
{
  RAS_CachedFont f;
  RAS_MemBitmap bm(100, 30);
  RECT r = {0, 0, 100, 30};
  f.DrawText(&bm, "W@Mg", -1, &r, RAS_DT_NO_NATIVE);
  for (int code : {'W', '@', 'M', 'g'})
  {
    const RAS_GlyphRecord* g = f.FindGlyph(code);
    ASSERT_NE(g, nullptr);
    EXPECT_LE(g->width, 10) << (char)code;
    EXPECT_LE(g->height, 10) << (char)code;
  }
}

// Catches: a font limited to ASCII that still renders (or draws) characters
// from 128 upwards, or that does not render its ASCII glyphs up front.
TEST(CachedFontCache, AsciiOnlyFontRendersUpFrontAndNothingAbove)
{
  Font f(RAS_FONT_ASCII_ONLY);
  const long rendered = f.GetRenderedGlyphCount();
  EXPECT_EQ(rendered, 128);
  RAS_MemBitmap bm(50, 30);
  RAS_Clear(&bm, kBg);
  RECT r = {0, 0, 50, 30};
  f.DrawText(&bm, "\xC3\xA9", -1, &r, RAS_DT_NO_NATIVE);
  EXPECT_EQ(Ink(bm, kBg).right, -1);
  EXPECT_EQ(f.FindGlyph(0xE9), nullptr);
  EXPECT_EQ(f.GetRenderedGlyphCount(), rendered);
}

// Catches: outline or shadow cells marked from neighbours outside the map
// (wrapping to the previous row or beyond the edges), cells missed, and the
// opaque fast path not using the effect colour for them.
TEST(CachedFontEffects, OutlineAndShadowMarkExactlyTheCellsNextToInk)
{
  for (int effect : {RAS_FONT_OUTLINE, RAS_FONT_SHADOW})
  {
    Font f(effect, 20);
    f.SetTextColor(kText);
    const RAS_pixel fx = Px(1, 2, 3, 255);
    f.SetEffectColor(fx);
    RAS_MemBitmap bm(64, 64);
    RAS_Clear(&bm, kBg);
    for (int code : {'T', 'o', 'l', '|'})
    {
      ASSERT_TRUE(f.DrawGlyph(&bm, code, 0, 0, nullptr));
      const RAS_GlyphRecord* g = f.FindGlyph(code);
      const unsigned char* m = f.GlyphCoverage(g);
      auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < g->width && y < g->height && m[y * g->width + x] == 255; };
      for (int y = 0; y < g->height; y++)
        for (int x = 0; x < g->width; x++)
        {
          const int k = m[y * g->width + x];
          ASSERT_TRUE(k == 0 || k == 128 || k == 255);
          if (k == 255)
          {
            ASSERT_EQ(At(bm, x, y), kText);
            continue;
          }
          const bool near = effect == RAS_FONT_SHADOW ? ink(x - 1, y) || ink(x - 1, y - 1) || ink(x, y - 1)
                                                      : ink(x - 1, y) || ink(x + 1, y) || ink(x, y - 1) || ink(x, y + 1);
          ASSERT_EQ(k == 128, near) << (char)code << " " << x << "," << y;
          if (k == 128)
          {
            ASSERT_EQ(At(bm, x, y), fx);
          }
        }
    }
  }
}

// Catches: the text colour's alpha ignored under RAS_DT_USE_TEXT_ALPHA (or
// applied without it), and partial weights not scaled by coverage.
TEST(CachedFontDraw, TextAlphaFlagHalvesTheWeight)
{
  Font f(0);
  const RAS_pixel half = (kText & 0xFFFFFF00) | 0x80;
  f.SetTextColor(half);
  const RAS_GlyphRecord* g = nullptr;
  for (unsigned int flags : {0u, RAS_DT_USE_TEXT_ALPHA})
  {
    RAS_MemBitmap bm(40, 40);
    RAS_Clear(&bm, kBg);
    RECT r = {0, 0, 40, 40};
    f.DrawText(&bm, "O", -1, &r, flags | RAS_DT_NO_NATIVE);
    g = f.FindGlyph('O');
    const unsigned char* m = f.GlyphCoverage(g);
    // alpha 1.0 x 0x80 / 255 gives weight 128.
    for (int y = 0; y < g->height; y++)
      for (int x = 0; x < g->width; x++)
      {
        const int k = m[y * g->width + x];
        const int w = flags ? std::min(256, 128 * k / 256) : k + 1;
        ASSERT_EQ(At(bm, x, y), k ? OracleRulePx(RAS_MODE_COPY, kBg, half | 0xFF, w) : kBg) << flags;
      }
  }
}

// Catches: an opaque background not filling the glyph cells before the
// glyph, or filling outside them.
TEST(CachedFontDraw, OpaqueBackgroundFillsEachCell)
{
  Font f(0);
  f.SetBkMode(OPAQUE);
  const RAS_pixel bk = Px(0, 0, 255, 255);
  f.SetBkColor(bk);
  RAS_MemBitmap bm(60, 40);
  RAS_Clear(&bm, kBg);
  ASSERT_TRUE(f.DrawGlyph(&bm, '-', 5, 6, nullptr));
  const RAS_GlyphRecord* g = f.FindGlyph('-');
  const RECT ink = Ink(bm, kBg), cell = {5, 6, 5 + g->width, 6 + g->height};
  EXPECT_EQ(memcmp(&ink, &cell, sizeof ink), 0);
  EXPECT_EQ(At(bm, cell.right - 1, cell.bottom - 1), bk);
}

// Catches: vertical fonts storing maps unrotated, mirrored instead of
// rotated, or turned the same way for both directions; vertical text laid out
// outside the box it measures (upward text starting at the top).
TEST(CachedFontVertical, MapsTurnAQuarterAndTextStaysInItsBox)
{
  Font flat(0), down(RAS_FONT_VERTICAL), up(RAS_FONT_VERTICAL | RAS_FONT_VERTICAL_UP);
  RAS_MemBitmap bm(64, 64);
  for (RAS_CachedFont* f : {(RAS_CachedFont*)&flat, (RAS_CachedFont*)&down, (RAS_CachedFont*)&up})
    ASSERT_TRUE(f->DrawGlyph(&bm, 'F', 0, 0, nullptr));
  const RAS_GlyphRecord *h = flat.FindGlyph('F'), *d = down.FindGlyph('F'), *u = up.FindGlyph('F');
  ASSERT_EQ(d->width, h->height);
  ASSERT_EQ(d->height, h->width);
  ASSERT_EQ(u->width, h->height);
  const unsigned char *hm = flat.GlyphCoverage(h), *dm = down.GlyphCoverage(d), *um = up.GlyphCoverage(u);
  for (int y = 0; y < h->height; y++)
    for (int x = 0; x < h->width; x++)
    {
      // Clockwise: column x becomes row x, row y becomes column H-1-y.
      ASSERT_EQ(dm[x * d->width + (h->height - 1 - y)], hm[y * h->width + x]);
      ASSERT_EQ(um[(h->width - 1 - x) * u->width + y], hm[y * h->width + x]);
    }
  // Both directions lay text out in the box they measure, which is one
  // column wide and as tall as the advances.
  for (RAS_CachedFont* f : {(RAS_CachedFont*)&down, (RAS_CachedFont*)&up})
  {
    RAS_MemBitmap tall(64, 160);
    RAS_Clear(&tall, kBg);
    RECT m = {10, 10, 0, 0}, r = {10, 10, 64, 160};
    const int across = f->DrawText(nullptr, "FFF", -1, &m, DT_CALCRECT);
    EXPECT_EQ(m.right - m.left, across);
    EXPECT_EQ(m.bottom - m.top, 3 * h->advance);
    EXPECT_EQ(f->DrawText(&tall, "FFF", -1, &r, 0), across);
    EXPECT_TRUE(Inside(Ink(tall, kBg), m));
    EXPECT_GT(Ink(tall, kBg).bottom, m.bottom - h->advance);
  }
}

// Catches: wrong coverage weighting (w * k / 256), clipping at the bitmap's
// edges that shifts the map, flipped targets drawn upside down, the row span
// ignored, modes without a rule drawing.
TEST(RasDrawGlyph, CompositesACoverageMap)
{
  // 3 x 2 map in a span of 4; the fourth column must never be read as ink.
  const unsigned char map[8] = {0, 128, 255, 99, 64, 255, 1, 99};
  const RAS_pixel c = Px(250, 100, 0, 200);
  for (bool flipped : {false, true})
  {
    auto bm = MakeBitmap(4, 3, flipped);
    RAS_Clear(bm.get(), kBg);
    // Drawn at x = -1: map column 0 falls off the left edge.
    RAS_DrawGlyphEx(bm.get(), -1, 1, c, map, 3, 4, 2, 1.0f, RAS_MODE_COPY);
    const int weights[2][2] = {{128, 255}, {255, 1}};
    for (int y = 0; y < 3; y++)
      for (int x = 0; x < 4; x++)
        EXPECT_EQ(At(*bm, x, y), y >= 1 && x < 2 ? OracleRulePx(RAS_MODE_COPY, kBg, c, weights[y - 1][x]) : kBg)
            << flipped << " " << x << "," << y;
  }
  RAS_MemBitmap bm(4, 4);
  RAS_Clear(&bm, kBg);
  RAS_DrawGlyph(&bm, 0, 0, c, map, 4, 2, 0.5f, RAS_MODE_ADD);
  EXPECT_EQ(At(bm, 2, 0), OracleRulePx(RAS_MODE_ADD, kBg, c, 128 * 255 / 256));
  EXPECT_EQ(At(bm, 0, 0), kBg);
  RAS_Clear(&bm, kBg);
  RAS_DrawGlyph(&bm, 0, 0, c, map, 4, 2, 1.0f, 6);
  RAS_DrawGlyph(&bm, 0, 0, c, map, 4, 2, 0.0f, RAS_MODE_ADD);
  EXPECT_EQ(Ink(bm, kBg).right, -1);
}
