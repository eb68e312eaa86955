// Fonts, lines and frames of the text stand-in, drawn into bitmap contexts.
#include <AppKit/AppKitGraphics.h>
#include <CoreText/CoreText.h>
#include <CoreText/OrvantaCTTesting.h>

#include <gtest/gtest.h>

#include <math.h>

#include <string>
#include <vector>

// fontconfig keeps a block from parsing its configuration that no pointer
// reaches any more; it is fontconfig's, made once per process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace
{
std::string Str(CFStringRef s)
{
  char buf[256] = {};
  if (s) CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
  return buf;
}

std::string PostScriptName(const char* name)
{
  CFStringRef n = CFStringCreateWithCString(nullptr, name, kCFStringEncodingUTF8);
  CTFontRef f = CTFontCreateWithName(n, 12, nullptr);
  CFStringRef ps = CTFontCopyPostScriptName(f);
  std::string out = Str(ps);
  CFRelease(ps);
  NSObjectRelease(f);
  CFRelease(n);
  return out;
}

CFAttributedStringRef Text(const char* s, CTFontRef font, CGColorRef colour)
{
  CFStringRef str = CFStringCreateWithCString(nullptr, s, kCFStringEncodingUTF8);
  const void* keys[2] = {kCTFontAttributeName, kCTForegroundColorAttributeName};
  const void* values[2] = {font, colour};
  CFDictionaryRef attrs = CFDictionaryCreate(nullptr, keys, values, colour ? 2 : 1, &kCFTypeDictionaryKeyCallBacks,
                                             &kCFTypeDictionaryValueCallBacks);
  CFAttributedStringRef a = CFAttributedStringCreate(nullptr, str, attrs);
  CFRelease(attrs);
  CFRelease(str);
  return a;
}

struct Canvas
{
  Canvas(int w, int h) : width(w), height(h), bytes((size_t)w * h * 4)
  {
    CGColorSpaceRef space = CGColorSpaceCreateDeviceRGB();
    ctx = CGBitmapContextCreate(bytes.data(), (size_t)w, (size_t)h, 8, (size_t)w * 4, space,
                                kCGImageAlphaNoneSkipFirst);
    CGColorSpaceRelease(space);
    CGContextTranslateCTM(ctx, 0, h);
    CGContextScaleCTM(ctx, 1, -1);
    CGContextSetTextMatrix(ctx, CGAffineTransformMake(1, 0, 0, -1, 0, 0));
  }
  ~Canvas() { CGContextRelease(ctx); }
  uint8_t red(int x, int y) const { return bytes[((size_t)y * width + x) * 4 + 1]; }
  // Bounding box of pixels with red > 0: x0, y0, x1, y1 (exclusive); false when empty.
  bool inked(int* x0, int* y0, int* x1, int* y1) const
  {
    *x0 = width, *y0 = height, *x1 = -1, *y1 = -1;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        if (red(x, y))
        {
          *x0 = std::min(*x0, x), *y0 = std::min(*y0, y), *x1 = std::max(*x1, x + 1), *y1 = std::max(*y1, y + 1);
        }
    return *x1 > 0;
  }
  int partial() const
  {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += red(x, y) > 0 && red(x, y) < 255;
    return n;
  }
  int width, height;
  std::vector<uint8_t> bytes;
  CGContextRef ctx;
};

CGColorRef Red() { return CGColorCreateGenericRGB(1, 0, 0, 1); }
} // namespace

TEST(CTFont, MacFaceNamesMapToInstalledLookAlikes)
{
  EXPECT_EQ(PostScriptName("Helvetica"), "LiberationSans");
  EXPECT_EQ(PostScriptName("Arial"), "LiberationSans");
  EXPECT_EQ(PostScriptName("Courier"), "LiberationMono");
  EXPECT_EQ(PostScriptName("Monaco"), "DejaVuSansMono");
  EXPECT_EQ(PostScriptName("Monaco Bold"), "DejaVuSansMono-Bold");
  EXPECT_EQ(PostScriptName("Arial Bold Italic"), "LiberationSans-BoldItalic");
  EXPECT_EQ(PostScriptName("Helvetica-Bold"), "LiberationSans-Bold");
  // A PostScript name found once names the same face again.
  EXPECT_EQ(PostScriptName("DejaVuSansMono-Bold"), "DejaVuSansMono-Bold");
  // Unknown names still give a font; the strict look-up gives none.
  EXPECT_FALSE(PostScriptName("No Such Face 123").empty());
  CTFontRef none = NSFontCreateWithNameSize(CFSTR("No Such Face 123"), 10);
  EXPECT_EQ(none, nullptr);
}

TEST(CTFont, MetricsScaleWithSize)
{
  CTFontRef f12 = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
  CTFontRef f24 = CTFontCreateWithName(CFSTR("Helvetica"), 24, nullptr);
  EXPECT_EQ(CTFontGetSize(f12), 12);
  EXPECT_GT(CTFontGetAscent(f12), 8);
  EXPECT_LT(CTFontGetAscent(f12), 12);
  EXPECT_GT(CTFontGetDescent(f12), 1);
  EXPECT_GE(CTFontGetLeading(f12), 0);
  EXPECT_NEAR(CTFontGetAscent(f24), 2 * CTFontGetAscent(f12), 1e-9);
  CTFontRef zero = CTFontCreateWithName(CFSTR("Helvetica"), 0, nullptr);
  EXPECT_EQ(CTFontGetSize(zero), 12);
  NSObjectRelease(f12);
  NSObjectRelease(f24);
  NSObjectRelease(zero);
}

TEST(CTLine, TypographicBoundsAreTheFontsMetricsAndAdvances)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 20, nullptr);
  CFAttributedStringRef text = Text("Hello", font, nullptr);
  CTLineRef line = CTLineCreateWithAttributedString(text);
  CGFloat a, d, l;
  const double w = CTLineGetTypographicBounds(line, &a, &d, &l);
  EXPECT_DOUBLE_EQ(a, CTFontGetAscent(font));
  EXPECT_DOUBLE_EQ(d, CTFontGetDescent(font));
  EXPECT_DOUBLE_EQ(l, CTFontGetLeading(font));
  const UniChar chars[5] = {'H', 'e', 'l', 'l', 'o'};
  CGGlyph glyphs[5];
  ASSERT_TRUE(CTFontGetGlyphsForCharacters(font, chars, glyphs, 5));
  EXPECT_NEAR(w, CTFontGetAdvancesForGlyphs(font, 0, glyphs, nullptr, 5), 1e-9);
  EXPECT_EQ(CTLineGetGlyphCount(line), 5);
  NSObjectRelease(line);
  NSObjectRelease(text);
  NSObjectRelease(font);
}

TEST(CTLine, DrawsInsideItsBoundsAtTheTextPosition)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 20, nullptr);
  CGColorRef red = Red();
  CFAttributedStringRef text = Text("Hxg", font, red);
  CTLineRef line = CTLineCreateWithAttributedString(text);
  CGFloat a, d, l;
  const double w = CTLineGetTypographicBounds(line, &a, &d, &l);
  Canvas c(100, 60);
  CGContextSetTextPosition(c.ctx, 10, 30);
  CTLineDraw(line, c.ctx);
  int x0, y0, x1, y1;
  ASSERT_TRUE(c.inked(&x0, &y0, &x1, &y1));
  EXPECT_GE(x0, 10);
  EXPECT_LE(x1, 10 + (int)ceil(w) + 1);
  EXPECT_GE(y0, 30 - (int)ceil(a) - 1);
  EXPECT_LE(y1, 30 + (int)ceil(d) + 1);
  // "H" reaches near the cap height, "g" below the baseline.
  EXPECT_LT(y0, 30 - (int)(a / 2));
  EXPECT_GT(y1, 31);
  NSObjectRelease(line);
  NSObjectRelease(text);
  CGColorRelease(red);
  NSObjectRelease(font);
}

TEST(CTLine, AntialiasingChangesTheGlyphImages)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 16, nullptr);
  CGColorRef red = Red();
  CFAttributedStringRef text = Text("Sample", font, red);
  CTLineRef line = CTLineCreateWithAttributedString(text);
  Canvas smooth(80, 30), sharp(80, 30);
  CGContextSetTextPosition(smooth.ctx, 2, 20);
  CTLineDraw(line, smooth.ctx);
  CGContextSetShouldAntialias(sharp.ctx, false);
  CGContextSetTextPosition(sharp.ctx, 2, 20);
  CTLineDraw(line, sharp.ctx);
  EXPECT_GT(smooth.partial(), 10);
  EXPECT_EQ(sharp.partial(), 0);
  int x0, y0, x1, y1;
  EXPECT_TRUE(sharp.inked(&x0, &y0, &x1, &y1));
  NSObjectRelease(line);
  NSObjectRelease(text);
  CGColorRelease(red);
  NSObjectRelease(font);
}

TEST(CTLine, GlyphsAreRenderedOncePerFontSizeAndMode)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Courier"), 17, nullptr);
  CGColorRef red = Red();
  CFAttributedStringRef text = Text("cache me", font, red);
  CTLineRef line = CTLineCreateWithAttributedString(text);
  Canvas c(120, 30);
  CGContextSetTextPosition(c.ctx, 0, 20);
  const long before = OrvantaCTGlyphRasterizationCount();
  CTLineDraw(line, c.ctx);
  const long first = OrvantaCTGlyphRasterizationCount();
  EXPECT_GT(first, before);
  EXPECT_LE(first - before, 7); // seven distinct glyphs, the space included
  for (int i = 0; i < 5; ++i) CTLineDraw(line, c.ctx);
  EXPECT_EQ(OrvantaCTGlyphRasterizationCount(), first);
  // Another mode is another image.
  CGContextSetShouldAntialias(c.ctx, false);
  CTLineDraw(line, c.ctx);
  EXPECT_GT(OrvantaCTGlyphRasterizationCount(), first);
  NSObjectRelease(line);
  NSObjectRelease(text);
  CGColorRelease(red);
  NSObjectRelease(font);
}

TEST(CTFrame, BreaksLinesAtLineFeedsAndWraps)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
  CFAttributedStringRef text = Text("one\ntwo two\n\nfour", font, nullptr);
  CTFramesetterRef fs = CTFramesetterCreateWithAttributedString(text);
  CGPathRef path = CGPathCreateWithRect(CGRectMake(0, 0, 1000, 1000), nullptr);
  CTFrameRef frame = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), path, nullptr);
  CFArrayRef lines = CTFrameGetLines(frame);
  ASSERT_EQ(CFArrayGetCount(lines), 4);
  CGPoint origins[4];
  CTFrameGetLineOrigins(frame, CFRangeMake(0, 0), origins);
  const double lineHeight = CTFontGetAscent(font) + CTFontGetDescent(font) + CTFontGetLeading(font);
  EXPECT_NEAR(origins[0].y, 1000 - CTFontGetAscent(font), 1e-9);
  EXPECT_NEAR(origins[0].y - origins[1].y, lineHeight, 1e-9);
  EXPECT_EQ(CTLineGetStringRange((CTLineRef)CFArrayGetValueAtIndex(lines, 1)).location, 4);
  NSObjectRelease(frame);
  CGPathRelease(path);

  // A narrow frame wraps "two two" at the space.
  CGPathRef narrow = CGPathCreateWithRect(CGRectMake(0, 0, 30, 1000), nullptr);
  CTFrameRef wrapped = CTFramesetterCreateFrame(fs, CFRangeMake(0, 0), narrow, nullptr);
  EXPECT_EQ(CFArrayGetCount(CTFrameGetLines(wrapped)), 5);
  NSObjectRelease(wrapped);
  CGPathRelease(narrow);
  NSObjectRelease(fs);
  NSObjectRelease(text);
  NSObjectRelease(font);
}

TEST(CFAttributedString, EditsKeepAttributesOnTheirText)
{
  CTFontRef font = CTFontCreateWithName(CFSTR("Helvetica"), 12, nullptr);
  CFAttributedStringRef base = Text("abcdef", font, nullptr);
  CFMutableAttributedStringRef m = CFAttributedStringCreateMutableCopy(nullptr, 0, base);
  CGColorRef red = Red();
  CFAttributedStringSetAttribute(m, CFRangeMake(2, 2), kCTForegroundColorAttributeName, red);
  CFRange r;
  EXPECT_EQ(CFAttributedStringGetAttribute(m, 2, kCTForegroundColorAttributeName, &r), (CFTypeRef)red);
  EXPECT_EQ(r.location, 2);
  EXPECT_EQ(r.length, 2);
  EXPECT_EQ(CFAttributedStringGetAttribute(m, 1, kCTFontAttributeName, nullptr), (CFTypeRef)font);
  CFAttributedStringReplaceString(m, CFRangeMake(0, 1), CFSTR("XYZ"));
  EXPECT_EQ(CFAttributedStringGetLength(m), 8);
  EXPECT_EQ(Str(CFAttributedStringGetString(m)), "XYZbcdef");
  EXPECT_EQ(CFAttributedStringGetAttribute(m, 4, kCTForegroundColorAttributeName, nullptr), (CFTypeRef)red);
  EXPECT_EQ(CFAttributedStringGetAttribute(m, 0, kCTFontAttributeName, nullptr), (CFTypeRef)font);
  // Out-of-range edits are ignored.
  CFAttributedStringReplaceString(m, CFRangeMake(7, 5), CFSTR("!"));
  EXPECT_EQ(CFAttributedStringGetLength(m), 8);
  NSObjectRelease(m);
  NSObjectRelease(base);
  CGColorRelease(red);
  NSObjectRelease(font);
}
