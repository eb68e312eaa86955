#include "coregraphics/CGColorData.h"
#include "coregraphics/CGContextData.h"
#include "coretext/CTObjects.h"

#include <math.h>

#include <algorithm>

__CTLine::~__CTLine()
{
  for (Run& r : runs)
  {
    cgobj::release(r.font);
    CGColorRelease(r.color);
  }
}

static __CTLine* Line(const void* p) { return cgobj::as<__CTLine>(p, cgobj::kLine); }

namespace
{
// Default tab stops every 28 points, as the platform sets them.
const double kTabInterval = 28.0;

bool IsControl(uint32_t cp) { return cp < 0x20 || cp == 0x7F || cp == 0x2028 || cp == 0x2029; }
bool IsWhitespace(uint32_t cp) { return cp == ' ' || cp == '\t' || cp == 0xA0 || IsControl(cp); }

struct Attrs
{
  __CTFont* font = nullptr;
  CGColorRef color = nullptr;
  bool fromContext = false;
  double kern = 0;
};

Attrs ReadAttrs(CFDictionaryRef d, __CTFont* fallbackFont)
{
  Attrs a;
  a.font = fallbackFont;
  if (!d) return a;
  if (__CTFont* f = cgobj::as<__CTFont>(CFDictionaryGetValue(d, kCTFontAttributeName), cgobj::kFont)) a.font = f;
  a.color = cgobj::as<CGColor>(CFDictionaryGetValue(d, kCTForegroundColorAttributeName), cgobj::kColor);
  const void* fc = CFDictionaryGetValue(d, kCTForegroundColorFromContextAttributeName);
  if (fc && CFGetTypeID(fc) == CFBooleanGetTypeID()) a.fromContext = CFBooleanGetValue((CFBooleanRef)fc);
  const void* k = CFDictionaryGetValue(d, kCTKernAttributeName);
  if (k && CFGetTypeID(k) == CFNumberGetTypeID()) CFNumberGetValue((CFNumberRef)k, kCFNumberDoubleType, &a.kern);
  if (!isfinite(a.kern)) a.kern = 0;
  return a;
}
} // namespace

namespace ct
{
__CTLine* BuildLine(CFAttributedStringRef s, CFRange range)
{
  if (!cf::isType(s, cf::kTypeAttributedString)) return nullptr;
  const __CFAttributedString* str = s;
  const UniChar* text = str->characters();
  const CFIndex len = str->length();
  if (range.location < 0 || range.length < 0 || range.location > len) return nullptr;
  if (range.length > len - range.location) range.length = len - range.location;
  __CTLine* line = cgobj::create<__CTLine>();
  if (!line) return nullptr;
  line->range = range;

  // The platform sets text without a font in Helvetica 12.
  static __CTFont* defaultFont = (__CTFont*)CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
  // Characters the chosen font lacks come from the system face.
  const CTFaceInfo* fallbackInfo = CTFontCatalog::Get().SystemFace(false);
  __CTFont* fallback = nullptr;
  CTFaceCache& cache = CTFaceCache::Get();

  double pen = 0;
  line->charX.reserve((size_t)range.length + 1);
  const CFIndex end = range.location + range.length;
  for (CFIndex i = range.location; i < end;)
  {
    CFIndex runStart = 0;
    const __CFAttributedString::Run* ar = str->runAt(i, &runStart);
    const Attrs at = ReadAttrs(ar ? ar->attrs : nullptr, defaultFont);
    __CTFont* font = at.font;
    uint32_t cp = text[(size_t)i];
    int units = 1;
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < end && text[(size_t)i + 1] >= 0xDC00 &&
        text[(size_t)i + 1] < 0xE000)
    {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[(size_t)i + 1] - 0xDC00u);
      units = 2;
    }
    for (int u = 0; u < units; ++u) line->charX.push_back(pen);
    if (!font)
    {
      i += units;
      continue;
    }
    unsigned glyph = 0;
    bool draw = !IsControl(cp);
    double advance = 0;
    if (draw)
    {
      glyph = cache.GlyphIndex(font->face, cp);
      if (!glyph && fallbackInfo && fallbackInfo != font->face->info)
      {
        if (!fallback || fallback->size != font->size)
        {
          cgobj::release(fallback);
          fallback = MakeFont(fallbackInfo, font->size, nullptr);
        }
        if (fallback)
        {
          const unsigned g = cache.GlyphIndex(fallback->face, cp);
          if (g)
          {
            glyph = g;
            font = fallback;
          }
        }
      }
      advance = cache.Advance(font->face, glyph) * font->scale() + at.kern;
    }
    else if (cp == '\t')
      advance = (floor(pen / kTabInterval) + 1) * kTabInterval - pen;
    // A new run whenever the font or the colour changes.
    if (line->runs.empty() || line->runs.back().font != font || line->runs.back().color != at.color ||
        line->runs.back().colorFromContext != at.fromContext)
    {
      __CTLine::Run r;
      r.font = cgobj::retain(font);
      r.color = CGColorRetain(at.color);
      r.colorFromContext = at.fromContext;
      line->runs.push_back(std::move(r));
    }
    if (draw)
    {
      line->runs.back().glyphs.push_back((uint16_t)glyph);
      line->runs.back().x.push_back(pen);
      ++line->glyphCount;
    }
    pen += advance;
    if (!IsWhitespace(cp)) line->trailingWhitespace = 0;
    else line->trailingWhitespace += advance;
    i += units;
  }
  line->charX.push_back(pen);
  cgobj::release(fallback);
  line->width = pen;
  for (const __CTLine::Run& r : line->runs)
  {
    line->ascent = std::max(line->ascent, CTFontGetAscent(r.font));
    line->descent = std::max(line->descent, CTFontGetDescent(r.font));
    line->leading = std::max(line->leading, CTFontGetLeading(r.font));
  }
  return line;
}
} // namespace ct

namespace
{
CGContext::Paint PaintFor(const __CTLine::Run& r, const CGContext* c)
{
  CGContext::Paint p; // black
  if (r.color)
  {
    p.r = r.color->rgba[0];
    p.g = r.color->rgba[1];
    p.b = r.color->rgba[2];
    p.a = r.color->rgba[3];
  }
  else if (r.colorFromContext)
    p = c->gs.fill;
  return p;
}

double Clamp(double v) { return v < -1e9 ? -1e9 : v > 1e9 ? 1e9 : v; }

// Draws glyphs of one font whose pen positions (x along the baseline, in
// points) are taken through textToPixel.
void DrawGlyphs(CGContext* c, __CTFont* font, const uint16_t* glyphs, const double* xs, size_t n,
                const CGAffineTransform& textToPixel, const CGContext::Paint& paint)
{
  if (!font || n == 0) return;
  const CGAffineTransform& m = textToPixel;
  if (!isfinite(m.a) || !isfinite(m.b) || !isfinite(m.c) || !isfinite(m.d) || !isfinite(m.tx) || !isfinite(m.ty))
    return;
  CTFaceCache& cache = CTFaceCache::Get();
  // Upright text at a uniform scale is drawn from cached glyph images.
  const bool upright = m.b == 0 && m.c == 0 && m.a > 0 && fabs(m.a + m.d) <= 1e-9 * m.a;
  const double pixelSize = font->size * m.a;
  if (upright && pixelSize * 64 >= 1 && pixelSize <= CTFaceCache::kMaxCachedPixelSize &&
      CGAffineTransformIsIdentity(font->matrix))
  {
    const uint32_t size64 = (uint32_t)lround(pixelSize * 64);
    const bool aa = c->antialiasOn();
    const long py = lround(Clamp(m.ty));
    for (size_t i = 0; i < n; ++i)
    {
      const CTGlyphImage* g = cache.Glyph(font->face, glyphs[i], size64, aa);
      if (!g || !g->mask) continue;
      const long px = lround(Clamp(m.a * xs[i] + m.tx));
      c->compositeColor(paint, g->mask, (int)(px + g->left), (int)(py - g->top), g->width, g->height);
    }
    return;
  }
  // Anything else is filled from the outlines.
  CGPath path;
  const double s = font->scale();
  for (size_t i = 0; i < n; ++i)
  {
    CGMutablePathRef gp = CGPathCreateMutable();
    if (!gp) return;
    CGAffineTransform t = CGAffineTransformConcat(CGAffineTransformMakeScale(s, s), font->matrix);
    t = CGAffineTransformConcat(t, CGAffineTransformMakeTranslation(xs[i], 0));
    t = CGAffineTransformConcat(t, m);
    if (cache.Outline(font->face, glyphs[i], gp, t)) path.append(*gp, nullptr);
    CGPathRelease(gp);
  }
  c->fillPath(path, false, paint);
}
} // namespace

CFTypeID CTLineGetTypeID(void) { return cgobj::kLine; }

CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef attrString)
{
  return ct::BuildLine(attrString, CFRangeMake(0, CFAttributedStringGetLength(attrString)));
}

CFIndex CTLineGetGlyphCount(CTLineRef line)
{
  __CTLine* l = Line(line);
  return l ? l->glyphCount : 0;
}

CFRange CTLineGetStringRange(CTLineRef line)
{
  __CTLine* l = Line(line);
  return l ? l->range : CFRangeMake(0, 0);
}

double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent, CGFloat* leading)
{
  __CTLine* l = Line(line);
  if (ascent) *ascent = l ? l->ascent : 0;
  if (descent) *descent = l ? l->descent : 0;
  if (leading) *leading = l ? l->leading : 0;
  return l ? l->width : 0;
}

double CTLineGetTrailingWhitespaceWidth(CTLineRef line)
{
  __CTLine* l = Line(line);
  return l ? l->trailingWhitespace : 0;
}

CGRect CTLineGetImageBounds(CTLineRef line, CGContextRef)
{
  __CTLine* l = Line(line);
  if (!l) return CGRectNull;
  CGRect r = CGRectNull;
  for (const __CTLine::Run& run : l->runs)
    for (size_t i = 0; i < run.glyphs.size(); ++i)
    {
      CGPathRef p = CTFontCreatePathForGlyph(run.font, run.glyphs[i], nullptr);
      if (!p) continue;
      const CGRect b = CGPathGetBoundingBox(p);
      if (!CGRectIsNull(b)) r = CGRectUnion(r, CGRectOffset(b, run.x[i], 0));
      CGPathRelease(p);
    }
  return r;
}

CGFloat CTLineGetOffsetForStringIndex(CTLineRef line, CFIndex charIndex, CGFloat* secondaryOffset)
{
  __CTLine* l = Line(line);
  CGFloat off = 0;
  if (l && !l->charX.empty())
  {
    const CFIndex i = std::clamp<CFIndex>(charIndex - l->range.location, 0, (CFIndex)l->charX.size() - 1);
    off = l->charX[(size_t)i];
  }
  if (secondaryOffset) *secondaryOffset = off;
  return off;
}

void CTLineDraw(CTLineRef line, CGContextRef context)
{
  __CTLine* l = Line(line);
  CGContext* c = cgobj::as<CGContext>(context, cgobj::kContext);
  if (!l || !c || c->gs.textMode == kCGTextInvisible || c->gs.clipEmpty()) return;
  const CGAffineTransform toPixel = CGAffineTransformConcat(c->textMatrix, c->pixelTransform());
  for (const __CTLine::Run& r : l->runs)
    DrawGlyphs(c, r.font, r.glyphs.data(), r.x.data(), r.glyphs.size(), toPixel, PaintFor(r, c));
}

void CTFontDrawGlyphs(CTFontRef font, const CGGlyph glyphs[], const CGPoint positions[], size_t count,
                      CGContextRef context)
{
  __CTFont* f = cgobj::as<__CTFont>(font, cgobj::kFont);
  CGContext* c = cgobj::as<CGContext>(context, cgobj::kContext);
  if (!f || !c || !glyphs || !positions) return;
  const CGAffineTransform base = CGAffineTransformConcat(c->textMatrix, c->pixelTransform());
  for (size_t i = 0; i < count; ++i)
  {
    const CGAffineTransform m = CGAffineTransformConcat(
        CGAffineTransformMakeTranslation(positions[i].x, positions[i].y), base);
    const uint16_t g = glyphs[i];
    const double x = 0;
    DrawGlyphs(c, f, &g, &x, 1, m, c->gs.fill);
  }
}
