#ifndef CGCOLOR_H_
#define CGCOLOR_H_

#include <CoreGraphics/CGBase.h>
#include <CoreGraphics/CGColorSpace.h>

typedef struct CGColor* CGColorRef;

// components holds the colour space's components followed by alpha.
CG_EXTERN CGColorRef CGColorCreate(CGColorSpaceRef space, const CGFloat* components);
CG_EXTERN CGColorRef CGColorCreateGenericRGB(CGFloat red, CGFloat green, CGFloat blue, CGFloat alpha);
CG_EXTERN CGColorRef CGColorCreateGenericGray(CGFloat gray, CGFloat alpha);
CG_EXTERN CGColorRef CGColorCreateCopyWithAlpha(CGColorRef color, CGFloat alpha);
CG_EXTERN CGColorRef CGColorRetain(CGColorRef color);
CG_EXTERN void CGColorRelease(CGColorRef color);
CG_EXTERN bool CGColorEqualToColor(CGColorRef color1, CGColorRef color2);
CG_EXTERN size_t CGColorGetNumberOfComponents(CGColorRef color);
CG_EXTERN const CGFloat* CGColorGetComponents(CGColorRef color);
CG_EXTERN CGFloat CGColorGetAlpha(CGColorRef color);
CG_EXTERN CGColorSpaceRef CGColorGetColorSpace(CGColorRef color);
CG_EXTERN CFTypeID CGColorGetTypeID(void);

#endif
