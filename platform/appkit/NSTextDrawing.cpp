#include "appkit/NSTextDrawing.h"

#include <cstring>

NSTextLine::NSTextLine(CFStringRef text, CTFontRef font, CGColorRef color)
{
  const void* keys[2];
  const void* values[2];
  CFIndex n = 0;
  if (font) keys[n] = kCTFontAttributeName, values[n++] = font;
  if (color) keys[n] = kCTForegroundColorAttributeName, values[n++] = color;
  CFDictionaryRef attrs =
      CFDictionaryCreate(nullptr, keys, values, n, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef as = CFAttributedStringCreate(nullptr, text ? text : CFSTR(""), attrs);
  line = as ? CTLineCreateWithAttributedString(as) : nullptr;
  if (as) CFRelease(as);
  CFRelease(attrs);
  if (line) width = CTLineGetTypographicBounds(line, &ascent, &descent, nullptr);
}

NSTextLine::~NSTextLine()
{
  if (line) CFRelease(line);
}

void NSTextLine::draw(CGContextRef context, CGFloat x, CGFloat baseline) const
{
  if (!line) return;
  CGContextSetTextMatrix(context, CGAffineTransformIdentity);
  CGContextSetTextPosition(context, x, baseline);
  CTLineDraw(line, context);
}

CGFloat NSTextLine::offsetOf(long index) const
{
  return line ? CTLineGetOffsetForStringIndex(line, index, nullptr) : 0;
}

void NSDrawPanel(CGContextRef c, CGRect bounds, double border, double r, double g, double b)
{
  CGContextSetRGBFillColor(c, border, border, border, 1);
  CGContextFillRect(c, bounds);
  CGContextSetRGBFillColor(c, r, g, b, 1);
  CGContextFillRect(c, CGRectInset(bounds, 1, 1));
}

void NSReplaceString(CFStringRef* slot, CFStringRef value)
{
  CFStringRef old = *slot;
  *slot = value ? CFStringCreateCopy(nullptr, value) : nullptr;
  if (old) CFRelease(old);
}

CTFontRef NSCreateSystemFont(CGFloat size) { return CTFontCreateUIFontForLanguage(kCTFontUIFontSystem, size, nullptr); }

CGColorRef NSCreateColor(double r, double g, double b, double a) { return CGColorCreateGenericRGB(r, g, b, a); }

std::string NSUtf8(CFStringRef s)
{
  if (!s) return {};
  CFIndex max = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  std::string out((size_t)max, '\0');
  if (!CFStringGetCString(s, out.data(), max, kCFStringEncodingUTF8)) return {};
  out.resize(strlen(out.c_str()));
  return out;
}

CFStringRef NSCreateString(const std::string& utf8)
{
  CFStringRef s = CFStringCreateWithBytes(nullptr, (const UInt8*)utf8.data(), (CFIndex)utf8.size(),
                                          kCFStringEncodingUTF8, false);
  return s ? s : CFStringCreateCopy(nullptr, CFSTR(""));
}
