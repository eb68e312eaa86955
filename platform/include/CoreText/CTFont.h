#ifndef CTFONT_H_
#define CTFONT_H_

#include <CoreGraphics/CoreGraphics.h>

typedef const struct __CTFont* CTFontRef;

typedef uint32_t CTFontUIFontType;
enum
{
  kCTFontUIFontNone = (uint32_t)-1,
  kCTFontUIFontUser = 0,
  kCTFontUIFontUserFixedPitch = 1,
  kCTFontUIFontSystem = 2,
  kCTFontUIFontEmphasizedSystem = 3,
  kCTFontUIFontSmallSystem = 4,
  kCTFontUIFontSmallEmphasizedSystem = 5,
  kCTFontUIFontMiniSystem = 6,
  kCTFontUIFontMiniEmphasizedSystem = 7,
  kCTFontUIFontViews = 8,
  kCTFontUIFontApplication = 9,
  kCTFontUIFontLabel = 10,
  kCTFontUIFontMenuTitle = 11,
  kCTFontUIFontMenuItem = 12,
  kCTFontUIFontMenuItemMark = 13,
  kCTFontUIFontMenuItemCmdKey = 14,
  kCTFontUIFontWindowTitle = 15,
  kCTFontUIFontPushButton = 16,
  kCTFontUIFontUtilityWindowTitle = 17,
  kCTFontUIFontAlertHeader = 18,
  kCTFontUIFontSystemDetail = 19,
  kCTFontUIFontEmphasizedSystemDetail = 20,
  kCTFontUIFontToolbar = 21,
  kCTFontUIFontSmallToolbar = 22,
  kCTFontUIFontMessage = 23,
  kCTFontUIFontPalette = 24,
  kCTFontUIFontToolTip = 25,
  kCTFontUIFontControlContent = 26
};

typedef uint32_t CTFontSymbolicTraits;
enum
{
  kCTFontTraitItalic = (1 << 0),
  kCTFontTraitBold = (1 << 1),
  kCTFontTraitMonoSpace = (1 << 10)
};

CG_EXTERN_C_BEGIN

CFTypeID CTFontGetTypeID(void);
// Accepts PostScript names ("Helvetica-Bold"), full names ("Monaco Bold") and
// family names; the usual Mac face names map to installed look-alikes.
// Never fails while any font is installed: an unknown name gives the nearest
// installed face. size 0 means 12 points.
CTFontRef CTFontCreateWithName(CFStringRef name, CGFloat size, const CGAffineTransform* matrix);
CTFontRef CTFontCreateUIFontForLanguage(CTFontUIFontType uiType, CGFloat size, CFStringRef language);
CTFontRef CTFontCreateCopyWithAttributes(CTFontRef font, CGFloat size, const CGAffineTransform* matrix,
                                         const void* attributes);
CFStringRef CTFontCopyPostScriptName(CTFontRef font);
CFStringRef CTFontCopyFamilyName(CTFontRef font);
CFStringRef CTFontCopyFullName(CTFontRef font);
CFStringRef CTFontCopyDisplayName(CTFontRef font);
CGFloat CTFontGetSize(CTFontRef font);
CGAffineTransform CTFontGetMatrix(CTFontRef font);
CTFontSymbolicTraits CTFontGetSymbolicTraits(CTFontRef font);
CGFloat CTFontGetAscent(CTFontRef font);
CGFloat CTFontGetDescent(CTFontRef font);
CGFloat CTFontGetLeading(CTFontRef font);
unsigned CTFontGetUnitsPerEm(CTFontRef font);
CFIndex CTFontGetGlyphCount(CTFontRef font);
CGRect CTFontGetBoundingBox(CTFontRef font);
CGFloat CTFontGetUnderlinePosition(CTFontRef font);
CGFloat CTFontGetUnderlineThickness(CTFontRef font);
CGFloat CTFontGetCapHeight(CTFontRef font);
CGFloat CTFontGetXHeight(CTFontRef font);
// False when some character has no glyph in the font (its glyph is then 0).
bool CTFontGetGlyphsForCharacters(CTFontRef font, const UniChar characters[], CGGlyph glyphs[], CFIndex count);
// Advances in points; returns their sum.
double CTFontGetAdvancesForGlyphs(CTFontRef font, int orientation, const CGGlyph glyphs[], CGSize advances[],
                                  CFIndex count);
// Outline of a glyph in points (y up), transformed by matrix when given.
CGPathRef CTFontCreatePathForGlyph(CTFontRef font, CGGlyph glyph, const CGAffineTransform* matrix);
void CTFontDrawGlyphs(CTFontRef font, const CGGlyph glyphs[], const CGPoint positions[], size_t count,
                      CGContextRef context);

CG_EXTERN_C_END

#endif
