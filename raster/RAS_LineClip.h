#pragma once

// The line clippers behind RAS_ClipLine and RAS_ClipFLine, working in wide
// types so that no coordinate can overflow while it is moved.

// Clips to the pixels 0..W-1, 0..H-1. A moved end gets the coordinate of the
// limit it crossed and the other coordinate of the line at that same place,
// truncated toward the first end. False when nothing is left.
bool _RAS_ClipIntLine(long long* x1, long long* y1, long long* x2, long long* y2, long long W, long long H);

// Clips to 0..xmax, 0..ymax (the last pixel's coordinates, inclusive); a
// moved end lands exactly on the limit. False when nothing is left or a
// coordinate is not finite.
bool _RAS_ClipFloatLine(double* x1, double* y1, double* x2, double* y2, double xmax, double ymax);
