#ifndef CTSTRINGATTRIBUTES_H_
#define CTSTRINGATTRIBUTES_H_

#include <CoreGraphics/CGBase.h>

CG_EXTERN_C_BEGIN

// Value: CTFontRef. Text without it is set in Helvetica 12.
extern const CFStringRef kCTFontAttributeName;
// Value: CGColorRef. Text without it (and without the next attribute) is black.
extern const CFStringRef kCTForegroundColorAttributeName;
// Value: CFBoolean; true draws with the context's fill colour.
extern const CFStringRef kCTForegroundColorFromContextAttributeName;
// Value: CFNumber; extra advance in points after each character.
extern const CFStringRef kCTKernAttributeName;

CG_EXTERN_C_END

#endif
