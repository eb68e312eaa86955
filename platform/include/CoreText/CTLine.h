#ifndef CTLINE_H_
#define CTLINE_H_

#include <CoreGraphics/CoreGraphics.h>
#include <CoreFoundation/CFAttributedString.h>

typedef const struct __CTLine* CTLineRef;

CG_EXTERN_C_BEGIN

CFTypeID CTLineGetTypeID(void);
CTLineRef CTLineCreateWithAttributedString(CFAttributedStringRef attrString);
CFIndex CTLineGetGlyphCount(CTLineRef line);
CFRange CTLineGetStringRange(CTLineRef line);
// Returns the width; ascent, descent and leading are the largest of the fonts used.
double CTLineGetTypographicBounds(CTLineRef line, CGFloat* ascent, CGFloat* descent, CGFloat* leading);
double CTLineGetTrailingWhitespaceWidth(CTLineRef line);
// The bounds of the glyph images relative to the line origin.
CGRect CTLineGetImageBounds(CTLineRef line, CGContextRef context);
CGFloat CTLineGetOffsetForStringIndex(CTLineRef line, CFIndex charIndex, CGFloat* secondaryOffset);
// Draws the line with its origin (left end of the baseline) at the context's
// text position, through the text matrix and the CTM.
void CTLineDraw(CTLineRef line, CGContextRef context);

CG_EXTERN_C_END

#endif
