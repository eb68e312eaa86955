#pragma once

// One line of text drawn with the platform's CoreText stand-in, for the
// pieces of the window system that draw themselves (menus, text fields,
// tooltips). libplatform sits below the raster and GDI libraries, so this
// is the same text code the GDI layer's text is built on.

#include <CoreGraphics/CoreGraphics.h>
#include <CoreText/CoreText.h>

#include <string>

struct NSTextLine
{
  CTLineRef line = nullptr;
  double width = 0;
  CGFloat ascent = 0, descent = 0;
  NSTextLine(CFStringRef text, CTFontRef font, CGColorRef color);
  ~NSTextLine();
  NSTextLine(const NSTextLine&) = delete;
  NSTextLine& operator=(const NSTextLine&) = delete;
  // Baseline start in the context's user space (y up).
  void draw(CGContextRef context, CGFloat x, CGFloat baseline) const;
  // The x offset of the caret before the character at `index` (UTF-16 units).
  CGFloat offsetOf(long index) const;
};

// A frame of the window system's own panels (menus, tooltips): a one-point
// border of `border` grey around a fill of (r, g, b).
void NSDrawPanel(CGContextRef context, CGRect bounds, double border, double r, double g, double b);

// Puts a copy of `value` (or null) in *slot, releasing what was there.
void NSReplaceString(CFStringRef* slot, CFStringRef value);

// The UI font of the window system at `size` points (the caller releases it).
CTFontRef NSCreateSystemFont(CGFloat size);
CGColorRef NSCreateColor(double r, double g, double b, double a = 1.0);
std::string NSUtf8(CFStringRef s);
CFStringRef NSCreateString(const std::string& utf8);
