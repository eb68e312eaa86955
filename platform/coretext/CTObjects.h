#pragma once

// The CoreText objects.

#include "coregraphics/CGObject.h"
#include "coretext/CTFaceCache.h"

#include <CoreText/CoreText.h>

#include <string>
#include <vector>

struct __CTFont : CGObject
{
  __CTFont() : CGObject(cgobj::kFont) {}
  CTFace* face = nullptr;
  CGFloat size = 12;
  CGAffineTransform matrix = {1, 0, 0, 1, 0, 0};

  CGFloat scale() const { return size / face->unitsPerEm; }
};

struct __CTLine : CGObject
{
  struct Run
  {
    __CTFont* font = nullptr;   // retained
    CGColorRef color = nullptr; // retained; null: black, or the context's colour
    bool colorFromContext = false;
    std::vector<uint16_t> glyphs;
    std::vector<double> x; // pen position of each glyph, points from the line origin
  };

  __CTLine() : CGObject(cgobj::kLine) {}
  ~__CTLine();

  std::vector<Run> runs;
  std::vector<double> charX; // pen position at each UTF-16 unit of the range, plus one past the end
  CFRange range = {0, 0};
  CFIndex glyphCount = 0;
  double width = 0, trailingWhitespace = 0;
  CGFloat ascent = 0, descent = 0, leading = 0;
};

struct __CTFramesetter : CGObject
{
  __CTFramesetter() : CGObject(cgobj::kFramesetter) {}
  ~__CTFramesetter();
  CFAttributedStringRef string = nullptr; // retained
};

struct __CTFrame : CGObject
{
  __CTFrame() : CGObject(cgobj::kFrame) {}
  ~__CTFrame();
  CGPathRef path = nullptr; // retained
  CFRange range = {0, 0}, visible = {0, 0};
  std::vector<__CTLine*> lines; // owned
  std::vector<CGPoint> origins;
  CFArrayRef array = nullptr; // the lines, not retained by the array
};

namespace ct
{
// Builds the line for a range of an attributed string; null when out of memory.
__CTLine* BuildLine(CFAttributedStringRef str, CFRange range);
// Makes a font for a catalogue face.
__CTFont* MakeFont(const CTFaceInfo* info, CGFloat size, const CGAffineTransform* matrix);
} // namespace ct
