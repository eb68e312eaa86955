#include "coretext/CTObjects.h"

#include <CoreText/OrvantaCTTesting.h>

#include <math.h>

#include <string>

static __CTFont* Font(const void* p) { return cgobj::as<__CTFont>(p, cgobj::kFont); }

static std::string Utf8(CFStringRef s)
{
  if (!s) return std::string();
  const CFIndex n = CFStringGetLength(s);
  std::string out((size_t)CFStringGetMaximumSizeForEncoding(n, kCFStringEncodingUTF8) + 1, '\0');
  if (!CFStringGetCString(s, out.data(), (CFIndex)out.size(), kCFStringEncodingUTF8)) return std::string();
  out.resize(strlen(out.c_str()));
  return out;
}

static CFStringRef MakeString(const std::string& s)
{
  return CFStringCreateWithCString(nullptr, s.c_str(), kCFStringEncodingUTF8);
}

namespace ct
{
__CTFont* MakeFont(const CTFaceInfo* info, CGFloat size, const CGAffineTransform* matrix)
{
  CTFace* face = CTFaceCache::Get().FaceFor(info);
  if (!face) return nullptr;
  __CTFont* f = cgobj::create<__CTFont>();
  if (!f) return nullptr;
  f->face = face;
  f->size = (size > 0 && isfinite(size)) ? size : 12.0;
  if (matrix) f->matrix = *matrix;
  return f;
}
} // namespace ct

CFTypeID CTFontGetTypeID(void) { return cgobj::kFont; }

CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix)
{
  const std::string n = name ? Utf8(name) : std::string("Helvetica");
  return ct::MakeFont(CTFontCatalog::Get().FindNearest(n), size, matrix);
}

CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType uiType, CGFloat size, CFStringRef)
{
  const bool bold = uiType == kCTFontUIFontEmphasizedSystem || uiType == kCTFontUIFontSmallEmphasizedSystem ||
                    uiType == kCTFontUIFontMiniEmphasizedSystem || uiType == kCTFontUIFontEmphasizedSystemDetail ||
                    uiType == kCTFontUIFontAlertHeader;
  if (!(size > 0))
  {
    switch (uiType)
    {
      case kCTFontUIFontLabel:
      case kCTFontUIFontMiniSystem:
      case kCTFontUIFontToolTip: size = 10; break;
      case kCTFontUIFontSmallSystem:
      case kCTFontUIFontSmallEmphasizedSystem: size = 11; break;
      default: size = 13; break;
    }
  }
  const CTFontCatalog& cat = CTFontCatalog::Get();
  const CTFaceInfo* info = uiType == kCTFontUIFontUserFixedPitch ? cat.FindNearest("Monaco") : cat.SystemFace(bold);
  return ct::MakeFont(info, size, nullptr);
}

CTFontRef CTFontCreateCopyWithAttributes(CTFontRef font, CGFloat size, const CGAffineTransform* matrix, const void*)
{
  __CTFont* f = Font(font);
  if (!f) return nullptr;
  return ct::MakeFont(f->face->info, size > 0 ? size : f->size, matrix ? matrix : &f->matrix);
}

CFStringRef CTFontCopyPostScriptName(CTFontRef font)
{
  __CTFont* f = Font(font);
  if (!f) return nullptr;
  const CTFaceInfo* i = f->face->info;
  return MakeString(i->postScriptName.empty() ? i->fullName : i->postScriptName);
}

CFStringRef CTFontCopyFamilyName(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? MakeString(f->face->info->family) : nullptr;
}

CFStringRef CTFontCopyFullName(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? MakeString(f->face->info->fullName) : nullptr;
}

CFStringRef CTFontCopyDisplayName(CTFontRef font) { return CTFontCopyFullName(font); }

CGFloat CTFontGetSize(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? f->size : 0;
}

CGAffineTransform CTFontGetMatrix(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? f->matrix : CGAffineTransformIdentity;
}

CTFontSymbolicTraits CTFontGetSymbolicTraits(CTFontRef font)
{
  __CTFont* f = Font(font);
  if (!f) return 0;
  const CTFaceInfo* i = f->face->info;
  return (i->italic ? kCTFontTraitItalic : 0) | (i->bold ? kCTFontTraitBold : 0) | (i->mono ? kCTFontTraitMonoSpace : 0);
}

#define FONT_METRIC(name, expr)                                                                                      \
  CGFloat name(CTFontRef font)                                                                                       \
  {                                                                                                                  \
    __CTFont* f = Font(font);                                                                                        \
    return f ? (expr) * f->scale() : 0;                                                                              \
  }

FONT_METRIC(CTFontGetAscent, f->face->ascender)
FONT_METRIC(CTFontGetDescent, f->face->descender)
FONT_METRIC(CTFontGetLeading, f->face->lineGap)
FONT_METRIC(CTFontGetUnderlinePosition, f->face->underlinePosition)
FONT_METRIC(CTFontGetUnderlineThickness, f->face->underlineThickness)
FONT_METRIC(CTFontGetCapHeight, f->face->capHeight)
FONT_METRIC(CTFontGetXHeight, f->face->xHeight)

unsigned CTFontGetUnitsPerEm(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? f->face->unitsPerEm : 0;
}

CFIndex CTFontGetGlyphCount(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? (CFIndex)f->face->ft->num_glyphs : 0;
}

CGRect CTFontGetBoundingBox(CTFontRef font)
{
  __CTFont* f = Font(font);
  if (!f) return CGRectZero;
  const double s = f->scale();
  return CGRectMake(f->face->bboxXMin * s, f->face->bboxYMin * s, (f->face->bboxXMax - f->face->bboxXMin) * s,
                    (f->face->bboxYMax - f->face->bboxYMin) * s);
}

bool CTFontGetGlyphsForCharacters(CTFontRef font, const UniChar characters[], CGGlyph glyphs[], CFIndex count)
{
  __CTFont* f = Font(font);
  if (!f || !characters || !glyphs || count < 0) return false;
  bool all = true;
  for (CFIndex i = 0; i < count; ++i)
  {
    uint32_t cp = characters[i];
    // A surrogate pair maps to one glyph in the first slot and 0 in the second.
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < count && characters[i + 1] >= 0xDC00 && characters[i + 1] < 0xE000)
    {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (characters[i + 1] - 0xDC00);
      glyphs[i] = (CGGlyph)CTFaceCache::Get().GlyphIndex(f->face, cp);
      if (!glyphs[i]) all = false;
      glyphs[++i] = 0;
      continue;
    }
    glyphs[i] = (CGGlyph)CTFaceCache::Get().GlyphIndex(f->face, cp);
    if (!glyphs[i]) all = false;
  }
  return all;
}

double CTFontGetAdvancesForGlyphs(CTFontRef font, int, const CGGlyph glyphs[], CGSize advances[], CFIndex count)
{
  __CTFont* f = Font(font);
  if (!f || !glyphs || count < 0) return 0;
  double total = 0;
  for (CFIndex i = 0; i < count; ++i)
  {
    const double a = CTFaceCache::Get().Advance(f->face, glyphs[i]) * f->scale();
    if (advances) advances[i] = CGSizeMake(a, 0);
    total += a;
  }
  return total;
}

CGPathRef CTFontCreatePathForGlyph(CTFontRef font, CGGlyph glyph, const CGAffineTransform* matrix)
{
  __CTFont* f = Font(font);
  if (!f) return nullptr;
  CGMutablePathRef p = CGPathCreateMutable();
  if (!p) return nullptr;
  CGAffineTransform m = CGAffineTransformMakeScale(f->scale(), f->scale());
  if (matrix) m = CGAffineTransformConcat(m, *matrix);
  if (!CTFaceCache::Get().Outline(f->face, glyph, p, m))
  {
    CGPathRelease(p);
    return nullptr;
  }
  return p;
}

long OrvantaCTGlyphRasterizationCount(void) { return CTFaceCache::Get().Rasterizations(); }

const char* OrvantaCTFontFilePath(CTFontRef font)
{
  __CTFont* f = Font(font);
  return f ? f->face->info->file.c_str() : nullptr;
}
