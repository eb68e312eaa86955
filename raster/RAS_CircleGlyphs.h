#pragma once

// The coverage map of the small circle outline of radius r (1.5, 2, 2.5, 3,
// 3.5 or 4 exactly), *size pixels square; null for any other radius.
const unsigned char* _RAS_SmallCircleGlyph(float r, bool aa, int* size);
