#ifndef ORVANTA_CT_TESTING_H
#define ORVANTA_CT_TESTING_H

// Test hooks of the text stand-in. Not part of the platform's published
// interface: only tests include this header.

#include <CoreText/CTFont.h>

CG_EXTERN_C_BEGIN

// Glyph images rendered from outlines since the process started. Each font
// face, pixel size, rendering mode and glyph is rendered once and then reused.
long OrvantaCTGlyphRasterizationCount(void);

// Path of the font file behind a font (NULL for none); valid while the font lives.
const char* OrvantaCTFontFilePath(CTFontRef font);

CG_EXTERN_C_END

#endif
