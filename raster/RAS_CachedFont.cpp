#include "raster/RAS_CachedFont.h"

#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_Blit.h"
#include "raster/RAS_GlyphRender.h"
#include "raster/RAS_SysBitmap.h"

#include <climits>
#include <string.h>

#include <utility>

namespace
{
// Shared by every font object of the process and deleted with the last one:
// single glyphs are rendered in the first, text the GDI layer draws for a
// target without a drawing context in the second.
RAS_SysBitmap* gGlyphScratch = nullptr;
RAS_SysBitmap* gNativeScratch = nullptr;
int gFontObjects = 0;

constexpr int kMaxCachedLineHeight = 1023;
constexpr int kMaxCachedTextLineHeight = 255;
constexpr int kInkThreshold = 130;
// Flags that need the cache: the GDI layer knows nothing of them.
constexpr int kCacheOnlyFontFlags = RAS_FONT_VERTICAL | RAS_FONT_VERTICAL_UP | RAS_FONT_ASCII_ONLY | RAS_FONT_BLUR |
                                    RAS_FONT_INVERT | RAS_FONT_MONOCHROME | RAS_FONT_SHADOW | RAS_FONT_OUTLINE;
constexpr unsigned int kAlignFlags = DT_VCENTER | DT_CENTER | DT_BOTTOM | DT_RIGHT;

int GdiColour(RAS_pixel p) { return RGB(RAS_GETR(p), RAS_GETG(p), RAS_GETB(p)); }

int Sat(long long v) { return v > 2147483647LL ? 2147483647 : v < -2147483647LL - 1 ? -2147483647 - 1 : (int)v; }

// Makes sure a scratch bitmap exists and is at least w x h. A new or enlarged
// scratch gets a fresh drawing context; white text on an opaque black
// background is what glyph coverage is read from.
RAS_SysBitmap* EnsureScratch(RAS_SysBitmap*& s, int w, int h, bool glyphSetup)
{
  if (!s) s = new RAS_SysBitmap();
  const int cw = s->getWidth(), ch = s->getHeight();
  if (cw >= w && ch >= h && s->getDC()) return s;
  s->resize(cw > w ? cw : w, ch > h ? ch : h);
  if (glyphSetup && s->getDC())
  {
    ::SetTextColor(s->getDC(), 0xFFFFFF);
    ::SetBkMode(s->getDC(), OPAQUE);
    ::SetBkColor(s->getDC(), 0);
  }
  return s;
}

// Where a box of w x h lands in rect under the alignment flags.
void PlaceBox(const RECT& r, unsigned int flags, long long w, long long h, long long* x, long long* y)
{
  *x = r.left;
  if (flags & DT_RIGHT)
    *x = (long long)r.right - w;
  else if (flags & DT_CENTER)
    *x = ((long long)r.left + r.right - w) / 2;
  *y = r.top;
  if (flags & DT_BOTTOM)
    *y = (long long)r.bottom - h;
  else if (flags & DT_VCENTER)
    *y = ((long long)r.top + r.bottom - h) / 2;
}

// The byte length of a text: up to the NUL, and within length when given.
int TextLength(const char* text, int length)
{
  if (length < 0) return (int)strnlen(text, 0x7FFFFFFF);
  return (int)strnlen(text, (size_t)length);
}

// A 16-bit code as UTF-8; returns the length (1 to 3).
int EncodeUtf8(int code, char out[4])
{
  int n;
  if (code < 0x80)
  {
    out[0] = (char)code;
    n = 1;
  }
  else if (code < 0x800)
  {
    out[0] = (char)(0xC0 | (code >> 6));
    out[1] = (char)(0x80 | (code & 0x3F));
    n = 2;
  }
  else
  {
    out[0] = (char)(0xE0 | (code >> 12));
    out[1] = (char)(0x80 | ((code >> 6) & 0x3F));
    out[2] = (char)(0x80 | (code & 0x3F));
    n = 3;
  }
  out[n] = 0;
  return n;
}

// Rotates a w x h map a quarter turn into out (h x w): clockwise for text
// that runs downwards, so the tops of the glyphs face right, and the other
// way for text that runs upwards.
void RotateMap(const unsigned char* in, int w, int h, bool clockwise, unsigned char* out)
{
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
    {
      const int nx = clockwise ? h - 1 - y : y;
      const int ny = clockwise ? x : w - 1 - x;
      out[ny * h + nx] = in[y * w + x];
    }
}

// Marks the empty cells next to ink with 128: the cell to the left, above-left
// or above for a shadow, any of the four sides for an outline. Cells outside
// the map are empty. Marked cells are never 255, so marking in place cannot
// spread.
void AddEffect(unsigned char* m, int w, int h, bool shadow)
{
  auto ink = [&](int x, int y) { return x >= 0 && y >= 0 && x < w && y < h && m[y * w + x] == 255; };
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
    {
      if (m[y * w + x]) continue;
      const bool mark = shadow ? ink(x - 1, y) || ink(x - 1, y - 1) || ink(x, y - 1)
                               : ink(x, y - 1) || ink(x, y + 1) || ink(x - 1, y) || ink(x + 1, y);
      if (mark) m[y * w + x] = 128;
    }
}
} // namespace

RAS_CachedFont::RAS_CachedFont() { ++gFontObjects; }

RAS_CachedFont::~RAS_CachedFont()
{
  if ((m_flags & RAS_FONT_OWNS_HANDLE) && m_font) DeleteObject(m_font);
  if (--gFontObjects == 0)
  {
    delete gGlyphScratch;
    delete gNativeScratch;
    gGlyphScratch = gNativeScratch = nullptr;
  }
}

int RAS_CachedFont::utf8char(const char* text, int avail, int* code)
{
  const unsigned char* s = (const unsigned char*)text;
  const int lead = s[0];
  *code = lead;
  // 0xC0 counts as a continuation byte as well.
  auto cont = [&](int i) { return i < avail && s[i] >= 0x80 && s[i] <= 0xC0; };
  if (lead >= 0xC2 && lead <= 0xDF && cont(1))
  {
    *code = ((lead & 0x1F) << 6) | (s[1] & 0x3F);
    return 2;
  }
  if (lead >= 0xE0 && lead <= 0xEF && cont(1) && cont(2))
  {
    *code = ((lead << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F)) & 0xFFFF;
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4 && cont(1) && cont(2) && cont(3))
  {
    *code = ' ';
    return 4;
  }
  return 1;
}

RAS_pixel RAS_CachedFont::SetTextColor(RAS_pixel colour) { return std::exchange(m_textColor, colour); }

RAS_pixel RAS_CachedFont::SetBkColor(RAS_pixel colour) { return std::exchange(m_bkColor, colour); }

RAS_pixel RAS_CachedFont::SetEffectColor(RAS_pixel colour) { return std::exchange(m_effectColor, colour); }

int RAS_CachedFont::SetBkMode(int mode) { return std::exchange(m_bkMode, mode); }

void RAS_CachedFont::SetCombineMode(int mode, float alpha)
{
  m_mode = mode;
  m_alpha = alpha;
}

void RAS_CachedFont::ClearCache()
{
  memset(m_low, 0, sizeof(m_low));
  for (int c = 0; c < 128; c++) m_low[c].code = c;
  m_ext.Resize(0);
  m_data.Resize(0);
}

void RAS_CachedFont::SetFromHFont(HFONT font, int flags)
{
  if ((m_flags & RAS_FONT_OWNS_HANDLE) && m_font && font != m_font) DeleteObject(m_font);
  m_flags = flags;
  m_font = font;
  if (font)
  {
    RAS_SysBitmap* s = EnsureScratch(gGlyphScratch, 256, 256, true);
    if (HDC dc = s->getDC())
    {
      const HGDIOBJ old = SelectObject(dc, font);
      TEXTMETRIC tm;
      if (GetTextMetrics(dc, &tm)) m_lineHeight = tm.tmHeight;
      SelectObject(dc, old);
    }
  }
  ClearCache();
  if (flags & RAS_FONT_ASCII_ONLY)
    for (int c = 0; c < 128; c++) RenderGlyph(c);
}

RAS_GlyphRecord* RAS_CachedFont::FindRecord(int code)
{
  if (code < 0) return nullptr;
  if (code < 128) return &m_low[code];
  RAS_GlyphRecord* ext = m_ext.Get();
  int lo = 0, hi = m_ext.GetSize();
  while (lo < hi)
  {
    const int mid = (lo + hi) / 2;
    if (ext[mid].code < code)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo < m_ext.GetSize() && ext[lo].code == code ? &ext[lo] : nullptr;
}

const RAS_GlyphRecord* RAS_CachedFont::FindGlyph(int code) const
{
  return const_cast<RAS_CachedFont*>(this)->FindRecord(code);
}

const unsigned char* RAS_CachedFont::GlyphCoverage(const RAS_GlyphRecord* g) const
{
  if (!g || g->base <= 0) return nullptr;
  return (const unsigned char*)m_data.Get() + (g->base - 1);
}

const RAS_GlyphRecord* RAS_CachedFont::Glyph(int code)
{
  const RAS_GlyphRecord* g = FindRecord(code);
  if (!g || g->base == 0)
  {
    RenderGlyph(code);
    g = FindRecord(code);
  }
  return g && g->base > 0 ? g : nullptr;
}

void RAS_CachedFont::RenderGlyph(int code)
{
  if (m_lineHeight > kMaxCachedLineHeight || code < 0 || code > 0xFFFF) return;
  if (code >= 128 && !FindRecord(code))
  {
    if (m_flags & RAS_FONT_ASCII_ONLY) return;
    // Inserted at its sorted place; the record is looked up again below, as
    // growing the list may have moved it.
    const int n = m_ext.GetSize();
    if (!m_ext.TryResize(n + 1, false)) return;
    RAS_GlyphRecord* ext = m_ext.Get();
    int at = n;
    while (at > 0 && ext[at - 1].code > code)
    {
      ext[at] = ext[at - 1];
      --at;
    }
    ext[at] = RAS_GlyphRecord{0, 0, 0, 0, code};
  }

  const int a = m_lineHeight < 1 ? 10 : 2 * m_lineHeight + 8;
  RAS_SysBitmap* s = EnsureScratch(gGlyphScratch, a, a, true);
  HDC dc = s->getDC();
  int advance = 0, cellw = 0, cellh = 0;
  if (dc)
  {
    const HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;
    char utf8[4];
    const int len = EncodeUtf8(code, utf8);
    RECT r = {0, 0, 0, 0};
    GDI_DrawText(dc, utf8, len, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    advance = r.right;
    const int pad = m_lineHeight < 16 ? 2 : m_lineHeight / 16 + 2;
    cellw = Sat((long long)advance + pad);
    cellh = r.bottom;
    if (cellw > s->getWidth()) cellw = s->getWidth();
    if (cellh > s->getHeight()) cellh = s->getHeight();
    if (advance >= 1 && cellh >= 1)
    {
      RAS_FillRect(s, 0, 0, cellw, cellh, 0, 1.0f, RAS_MODE_COPY);
      RECT cell = {0, 0, cellw, cellh};
      GDI_DrawText(dc, utf8, len, &cell, DT_SINGLELINE | DT_NOPREFIX);
    }
    if (m_font) SelectObject(dc, old);
    ++m_renderCount;
  }

  RAS_GlyphRecord* g = FindRecord(code);
  if (!g) return;
  *g = RAS_GlyphRecord{-1, 0, 0, 0, code};
  if (advance < 1 || cellh < 1) return;

  if (m_flags & RAS_FONT_BLUR) RAS_Blur(s, s, 0, 0, 0, 0, cellw, cellh);

  // The map is as wide as the advance, or as the ink where it reaches further
  // right, but never wider than the cell it was rendered into.
  const RAS_pixel* bits = s->getBits();
  const int span = s->getRowSpan();
  const bool invert = (m_flags & RAS_FONT_INVERT) != 0;
  auto coverage = [&](int x, int y) {
    const int red = RAS_GETR(bits[(long long)y * span + x]);
    return invert ? 255 - red : red;
  };
  int width = advance < cellw ? advance : cellw;
  for (int y = 0; y < cellh; y++)
    for (int x = cellw - 1; x >= width; x--)
      if (coverage(x, y))
      {
        width = x + 1;
        break;
      }
  const int height = cellh;
  const long long bytes = (long long)width * height;
  const int offset = m_data.GetSize();
  const bool vertical = Vertical();
  // A vertical glyph is rotated through a second map after the first.
  const long long need = offset + bytes * (vertical ? 2 : 1);
  if (need > 0x7FFFFFFF) return;
  m_data.Resize((int)need, false);
  if (m_data.GetSize() != (int)need) return;
  unsigned char* map = (unsigned char*)m_data.Get() + offset;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) map[y * width + x] = (unsigned char)coverage(x, y);

  int mw = width, mh = height;
  if (vertical)
  {
    RotateMap(map, width, height, !(m_flags & RAS_FONT_VERTICAL_UP), map + bytes);
    memcpy(map, map + bytes, (size_t)bytes);
    m_data.Resize((int)(offset + bytes), false);
    map = (unsigned char*)m_data.Get() + offset;
    mw = height;
    mh = width;
  }
  if (m_flags & (RAS_FONT_MONOCHROME | RAS_FONT_SHADOW | RAS_FONT_OUTLINE))
    for (long long i = 0; i < bytes; i++) map[i] = map[i] > kInkThreshold ? 255 : 0;
  if (m_flags & (RAS_FONT_SHADOW | RAS_FONT_OUTLINE)) AddEffect(map, mw, mh, (m_flags & RAS_FONT_SHADOW) != 0);

  g = FindRecord(code);
  *g = RAS_GlyphRecord{offset + 1, mw, mh, advance, code};
}

bool RAS_CachedFont::DrawRecord(RAS_IBitmap* bm, const RAS_GlyphRecord& g, int x, int y, const RECT* clip,
                                float alpha)
{
  _RAS_GlyphPlacement p;
  if (!_RAS_PlaceGlyph(bm, x, y, GlyphCoverage(&g), g.width, g.width, g.height, clip, &p)) return false;
  if (m_bkMode == OPAQUE) RAS_FillRect(bm, p.x, p.y, p.dst.w, p.dst.h, m_bkColor, alpha, m_mode & ~RAS_MODE_USE_ALPHA);
  const int w = RAS_AlphaToWeight(alpha);
  if (w == 0) return true;
  const int mode = m_mode & RAS_MODE_MASK;
  if (mode == RAS_MODE_COPY && w < 1) return true;
  const bool opaqueCopy = alpha == 1.0f && mode == RAS_MODE_COPY;
  const RAS_pixel text = m_textColor, effect = m_effectColor;
  const int wmin = w < 256 ? w : 256;

  if (m_flags & (RAS_FONT_SHADOW | RAS_FONT_OUTLINE))
  {
    if (opaqueCopy)
    {
      _RAS_GlyphLoop(p, [&](unsigned char* d, int k) { *(RAS_pixel*)d = k == 255 ? text : effect; });
      return true;
    }
    _RAS_WithGlyphRule(mode, [&]<class Rule>() {
      _RAS_GlyphLoop(p, [&](unsigned char* d, int k) {
        const RAS_pixel c = k == 255 ? text : effect;
        Rule::doPix(d, RAS_GETR(c), RAS_GETG(c), RAS_GETB(c), 255, wmin);
      });
    });
    return true;
  }
  const int r = RAS_GETR(text), gr = RAS_GETG(text), b = RAS_GETB(text);
  if (m_flags & RAS_FONT_MONOCHROME)
  {
    if (opaqueCopy)
    {
      _RAS_GlyphLoop(p, [&](unsigned char* d, int) { *(RAS_pixel*)d = text; });
      return true;
    }
    _RAS_WithGlyphRule(mode, [&]<class Rule>() {
      _RAS_GlyphLoop(p, [&](unsigned char* d, int) { Rule::doPix(d, r, gr, b, 255, wmin); });
    });
    return true;
  }
  // Anti-aliased: at full weight coverage k weighs k + 1, so full coverage
  // gives the colour exactly.
  if (opaqueCopy)
  {
    _RAS_GlyphCopyFullWeight(p, r, gr, b);
    return true;
  }
  _RAS_WithGlyphRule(mode, [&]<class Rule>() {
    if (w == 256)
      _RAS_GlyphLoop(p, [&](unsigned char* d, int k) { Rule::doPix(d, r, gr, b, 255, k + 1); });
    else
      _RAS_GlyphLoop(p, [&](unsigned char* d, int k) {
        const int wk = w * k / 256;
        Rule::doPix(d, r, gr, b, 255, wk < 256 ? wk : 256);
      });
  });
  return true;
}

bool RAS_CachedFont::DrawGlyph(RAS_IBitmap* bm, int code, int x, int y, const RECT* clip)
{
  const RAS_GlyphRecord* g = Glyph(code);
  if (!g || !bm) return false;
  return DrawRecord(bm, *g, x, y, clip, m_alpha);
}

template <class F>
void RAS_CachedFont::WalkText(const char* text, int n, bool singleLine, F&& f)
{
  long long line = 0, pen = 0;
  const long long lineStep = (long long)m_lineHeight + m_lineSpacing;
  for (int i = 0; i < n;)
  {
    int code;
    i += utf8char(text + i, n - i, &code);
    if (code == '\r') continue;
    if (code == '\n')
    {
      if (!singleLine)
      {
        line += lineStep;
        pen = 0;
        continue;
      }
      code = ' ';
    }
    const RAS_GlyphRecord* g = Glyph(code);
    if (!g) continue;
    // A copy: rendering the next glyph may move the records.
    const RAS_GlyphRecord rec = *g;
    f(rec, line, pen);
    pen += rec.advance;
  }
}

void RAS_CachedFont::Measure(const char* text, int n, bool singleLine, int* w, int* h)
{
  long long along = 0, across = 0;
  const bool vertical = Vertical();
  WalkText(text, n, singleLine, [&](const RAS_GlyphRecord& g, long long line, long long pen) {
    const int len = vertical ? g.height : g.width, wide = vertical ? g.width : g.height;
    const long long end = pen + (g.advance > len ? g.advance : len);
    if (end > along) along = end;
    if (line + wide > across) across = line + wide;
  });
  *w = Sat(vertical ? across : along);
  *h = Sat(vertical ? along : across);
}

int RAS_CachedFont::DrawText(RAS_IBitmap* bm, const char* utf8, int length, RECT* rect, unsigned int flags)
{
  if (!rect || !utf8) return 0;
  const bool calc = (flags & DT_CALCRECT) != 0;
  if (!bm && !calc) return 0;
  const int n = TextLength(utf8, length);
  if (n == 0)
  {
    if (calc)
    {
      rect->right = rect->left;
      rect->bottom = rect->top;
    }
    return 0;
  }

  const bool native =
      m_lineHeight > kMaxCachedTextLineHeight ||
      ((m_flags & RAS_FONT_ALLOW_NATIVE) && m_font && !(flags & (RAS_DT_NO_NATIVE | RAS_DT_USE_TEXT_ALPHA)) &&
       !(m_flags & kCacheOnlyFontFlags) && (m_lineSpacing == 0 || (flags & DT_SINGLELINE)));
  if (native)
  {
    flags &= ~RAS_DT_NO_NATIVE;
    if (bm && bm->getDC()) return DrawNative(bm, utf8, n, rect, flags);
    return DrawNativeViaScratch(bm, utf8, n, rect, flags);
  }

  const bool singleLine = (flags & DT_SINGLELINE) != 0;
  const bool vertical = Vertical();
  if (calc)
  {
    int w, h;
    Measure(utf8, n, singleLine, &w, &h);
    rect->right = Sat((long long)rect->left + w);
    rect->bottom = Sat((long long)rect->top + h);
    // A vertical font reports its extent across the text direction, the
    // width of its columns, as a horizontal one reports the height of its
    // lines; the rectangle gets both extents either way.
    return vertical ? w : h;
  }

  float alpha = m_alpha;
  if (flags & RAS_DT_USE_TEXT_ALPHA) alpha = (float)(alpha * (RAS_GETA(m_textColor) / 255.0));
  if (alpha == 0.0f) return 0;

  const bool up = vertical && (m_flags & RAS_FONT_VERTICAL_UP);
  long long sx = rect->left, sy = rect->top;
  int tw = 0, th = 0;
  if ((flags & kAlignFlags) || up) Measure(utf8, n, singleLine, &tw, &th);
  if (flags & kAlignFlags) PlaceBox(*rect, flags, tw, th, &sx, &sy);
  if (up) sy += th;

  long long cl = INT_MIN, ct = INT_MIN, cr = INT_MAX, cb = INT_MAX;
  if (!_RAS_LimitRect(&cl, &ct, &cr, &cb, (flags & DT_NOCLIP) ? nullptr : rect, bm)) return 0;
  const RECT clip = {(int)cl, (int)ct, (int)cr, (int)cb};

  long long extent = 0;
  WalkText(utf8, n, singleLine, [&](const RAS_GlyphRecord& g, long long line, long long pen) {
    long long x = sx + pen, y = sy + line;
    if (vertical)
    {
      x = sx + line;
      y = up ? sy - pen - g.height : sy + pen;
    }
    DrawRecord(bm, g, Sat(x), Sat(y), &clip, alpha);
    const long long across = line + (vertical ? g.width : g.height);
    if (across > extent) extent = across;
  });
  // Glyphs clipped away count too, so that drawing reports what measuring does.
  return Sat(extent);
}

int RAS_CachedFont::DrawNative(RAS_IBitmap* bm, const char* text, int n, RECT* rect, unsigned int flags)
{
  HDC dc = bm->getDC();
  const HGDIOBJ old = m_font ? SelectObject(dc, m_font) : nullptr;
  ::SetTextColor(dc, GdiColour(m_textColor));
  ::SetBkMode(dc, m_bkMode);
  if (m_bkMode == OPAQUE) ::SetBkColor(dc, GdiColour(m_bkColor));
  RECT r = *rect;
  const int h = GDI_DrawText(dc, text, n, &r, (int)(flags | DT_NOPREFIX));
  if (flags & DT_CALCRECT) *rect = r;
  if (m_font) SelectObject(dc, old);
  return h;
}

int RAS_CachedFont::DrawNativeViaScratch(RAS_IBitmap* bm, const char* text, int n, RECT* rect, unsigned int flags)
{
  RAS_SysBitmap* s = EnsureScratch(gNativeScratch, 4, 4, false);
  if (!s->getDC()) return 0;
  HGDIOBJ old = m_font ? SelectObject(s->getDC(), m_font) : nullptr;
  RECT m = {0, 0, 0, 0};
  const int h = GDI_DrawText(s->getDC(), text, n, &m, (int)((flags & 0x7FFFFF48u) | DT_CALCRECT | DT_NOPREFIX));
  if (m_font) SelectObject(s->getDC(), old);
  if (flags & DT_CALCRECT)
  {
    rect->right = Sat((long long)rect->left + m.right);
    rect->bottom = Sat((long long)rect->top + m.bottom);
    return h;
  }
  if (!bm || h == 0) return h;

  long long bx, by;
  PlaceBox(*rect, flags, m.right, m.bottom, &bx, &by);
  long long l = bx, t = by, r = bx + m.right, b = by + m.bottom;
  if (!_RAS_LimitRect(&l, &t, &r, &b, (flags & DT_NOCLIP) ? nullptr : rect, bm)) return h;
  const int vw = (int)(r - l), vh = (int)(b - t);

  s = EnsureScratch(gNativeScratch, vw, vh, false);
  HDC dc = s->getDC();
  if (!dc) return 0;
  RAS_Blit(s, bm, 0, 0, (int)l, (int)t, vw, vh, 1.0f, RAS_MODE_COPY);
  old = m_font ? SelectObject(dc, m_font) : nullptr;
  ::SetTextColor(dc, GdiColour(m_textColor));
  ::SetBkMode(dc, m_bkMode);
  if (m_bkMode == OPAQUE) ::SetBkColor(dc, GdiColour(m_bkColor));
  // The part of the box cut off at the left or top becomes a negative offset.
  RECT at = {Sat(bx - l), Sat(by - t), Sat(bx - l + m.right), Sat(by - t + m.bottom)};
  GDI_DrawText(dc, text, n, &at, (int)((flags & 0x7FFFFEC9u) | DT_NOPREFIX));
  if (m_font) SelectObject(dc, old);
  RAS_Blit(bm, s, (int)l, (int)t, 0, 0, vw, vh, m_alpha, RAS_MODE_COPY);
  return h;
}
