#ifndef CGFONT_H_
#define CGFONT_H_

#include <CoreGraphics/CGBase.h>

typedef unsigned short CGGlyph;
typedef unsigned short CGFontIndex;

#endif
