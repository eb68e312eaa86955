#include "gdi/GDI_Internal.h"

#include <AppKit/AppKitGraphics.h>

#include <math.h>
#include <string.h>

using gdi::Live;
using gdi::LiveObject;

namespace
{
const int kTextBuffer = 4096; // 4095 characters and the terminator

CTFontRef FontOf(GDI_Context* c, int* quality)
{
  *quality = 0;
  GDI_Object* f = LiveObject(c->curFont);
  if (f && f->type == GDI_OBJ_FONT && f->font)
  {
    *quality = f->quality;
    return f->font;
  }
  return gdi::DefaultFont();
}

// Copies the text for layout: carriage returns dropped, "&" prefixes
// resolved, line feeds kept or turned into spaces. Returns the length and
// whether the text has several lines.
int PrepareText(const char* text, int length, int flags, char* out, bool* multiLine)
{
  *multiLine = false;
  int n = 0;
  for (int i = 0; (length < 0 || i < length) && text[i] && n < kTextBuffer - 1; ++i)
  {
    char ch = text[i];
    if (ch == '\r') continue;
    if (ch == '&' && !(flags & DT_NOPREFIX))
    {
      // The prefix is dropped; a final one has nothing after it to copy.
      ++i;
      if ((length >= 0 && i >= length) || !text[i]) break;
      ch = text[i];
    }
    if (ch == '\n')
    {
      if (flags & DT_SINGLELINE)
        ch = ' ';
      else
        *multiLine = true;
    }
    out[n++] = ch;
  }
  // A text cut by the buffer loses the character that did not fit whole,
  // so what remains stays valid UTF-8.
  if (n == kTextBuffer - 1)
  {
    int lead = n - 1;
    while (lead > 0 && lead > n - 4 && ((unsigned char)out[lead] & 0xC0) == 0x80) --lead;
    const unsigned char b = (unsigned char)out[lead];
    const int need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    if (lead + need > n) n = lead;
  }
  out[n] = 0;
  return n;
}

int FloorInt(double v) { return gdi::SaturateInt(floor(v)); }

void FillBackground(CGContextRef c, int colour, double x, double y, double w, double h)
{
  gdi::SetFill(c, colour);
  CGContextFillRect(c, CGRectMake(x, y, w, h));
}
} // namespace

BOOL GetTextMetrics(HDC ctx, TEXTMETRIC* tm)
{
  if (tm)
  {
    tm->tmHeight = 16;
    tm->tmAscent = 12;
    tm->tmDescent = 4;
    tm->tmInternalLeading = 3;
    tm->tmAveCharWidth = 10;
  }
  GDI_Context* c = Live(ctx);
  if (!c || !tm) return 0;
  int quality;
  CTFontRef font = FontOf(c, &quality);
  if (!font) return 1;
  tm->tmInternalLeading = gdi::SaturateInt(CTFontGetLeading(font));
  tm->tmAscent = gdi::SaturateInt(CTFontGetAscent(font));
  tm->tmDescent = gdi::SaturateInt(CTFontGetDescent(font));
  const long long sum = (long long)tm->tmAscent + tm->tmDescent + tm->tmInternalLeading;
  tm->tmAveCharWidth = (LONG)(sum * 2 / 3);
  tm->tmHeight = sum ? (LONG)(sum + 1) : 0;
  return 1;
}

int GDI_DrawText(HDC ctx, const char* text, int length, RECT* rect, int flags)
{
  GDI_Context* c = Live(ctx);
  if (!c || !text || !rect) return 0;
  char buf[kTextBuffer];
  bool multiLine;
  if (PrepareText(text, length, flags, buf, &multiLine) == 0) return 0;

  CFStringRef str = CFStringCreateWithCString(nullptr, buf, kCFStringEncodingUTF8);
  if (!str) str = CFStringCreateWithCString(nullptr, buf, kCFStringEncodingASCII);
  if (!str) return 0;
  int quality;
  CTFontRef font = FontOf(c, &quality);
  if (!font)
  {
    NSObjectRelease(str);
    return 0;
  }
  const void* keys[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* values[2] = {font, c->textColorRef};
  CFDictionaryRef attrs = CFDictionaryCreate(nullptr, keys, values, c->textColorRef ? 2 : 1,
                                             &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef astr = attrs ? CFAttributedStringCreate(nullptr, str, attrs) : nullptr;
  if (attrs) NSObjectRelease(attrs);
  NSObjectRelease(str);
  if (!astr) return 0;

  // Measure.
  CTLineRef line = nullptr;
  CTFrameRef frame = nullptr;
  CFArrayRef lines = nullptr;
  CGFloat ascent = 0, descent = 0, leading = 0;
  long long width = 0, height = 0;
  if (!multiLine)
  {
    line = CTLineCreateWithAttributedString(astr);
    const double tw = line ? CTLineGetTypographicBounds(line, &ascent, &descent, &leading) : 0;
    width = FloorInt(tw + 0.5);
    height = FloorInt(ascent + descent + leading + 1.5);
  }
  else
  {
    CTFramesetterRef setter = CTFramesetterCreateWithAttributedString(astr);
    CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, 100000, 100000), nullptr);
    frame = (setter && path) ? CTFramesetterCreateFrame(setter, CFRangeMake(0, 0), path, nullptr) : nullptr;
    CGPathRelease(path);
    if (setter) NSObjectRelease(setter);
    lines = frame ? CTFrameGetLines(frame) : nullptr;
    const CFIndex n = lines ? CFArrayGetCount(lines) : 0;
    for (CFIndex i = 0; i < n; ++i)
    {
      CGFloat a, d, l;
      const double lw = CTLineGetTypographicBounds((CTLineRef)CFArrayGetValueAtIndex(lines, i), &a, &d, &l);
      const long long w = FloorInt(lw + 0.5);
      if (w > width) width = w;
      height += FloorInt(a + d + l + 1.5);
    }
  }
  NSObjectRelease(astr);
  const int result = height ? gdi::SaturateInt((double)height + 1) : 0;

  if (flags & DT_CALCRECT)
  {
    rect->right = gdi::SaturateInt((double)rect->left + (double)width);
    rect->bottom = gdi::SaturateInt((double)rect->top + (double)result);
  }
  else if (result)
  {
    // Placement, in integer divisions truncating toward zero.
    long long x = rect->left, y = rect->top;
    if (flags & DT_RIGHT)
      x = (long long)rect->right - width;
    else if (flags & DT_CENTER)
      x = rect->left + (((long long)rect->right - rect->left) / 2 - width / 2);
    if (flags & DT_BOTTOM)
      y = (long long)rect->bottom - result;
    else if (flags & DT_VCENTER)
      y = rect->top + (((long long)rect->bottom - rect->top) / 2 - result / 2);

    CGContextRef g = c->ctx;
    CGContextSaveGState(g);
    CGContextSetTextMatrix(g, CGAffineTransformMake(1, 0, 0, -1, 0, 0));
    if (!(flags & DT_NOCLIP))
      CGContextClipToRect(g, CGRectMake(rect->left, rect->top, (double)rect->right - rect->left,
                                        (double)rect->bottom - rect->top));
    if (quality != DEFAULT_QUALITY) CGContextSetShouldAntialias(g, quality == ANTIALIASED_QUALITY);
    if (line)
    {
      if (c->bkMode == OPAQUE) FillBackground(g, c->bkColor, (double)x, (double)y, (double)width, result);
      CGContextSetTextPosition(g, (double)x, (double)y + ascent);
      CTLineDraw(line, g);
    }
    else if (lines)
    {
      double ly = (double)y;
      for (CFIndex i = 0; i < CFArrayGetCount(lines); ++i)
      {
        CTLineRef l = (CTLineRef)CFArrayGetValueAtIndex(lines, i);
        CGFloat a, d, ld;
        const double lw = CTLineGetTypographicBounds(l, &a, &d, &ld);
        if (c->bkMode == OPAQUE) FillBackground(g, c->bkColor, (double)x, ly, lw, a + d + ld);
        CGContextSetTextPosition(g, (double)x, ly + a);
        CTLineDraw(l, g);
        ly += floor(a + d + ld + 0.5);
      }
    }
    CGContextRestoreGState(g);
  }
  if (line) NSObjectRelease(line);
  if (frame) NSObjectRelease(frame);
  return result;
}
