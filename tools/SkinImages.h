#pragma once

// The four images of the effect's skin, each drawn into out at its final
// size (film strips with their frames stacked from top to bottom). Run on
// the tool's only thread.

#include "raster/raster.h"

void DrawKnobStrip(RAS_MemBitmap* out);
void DrawSwitchStrip(RAS_MemBitmap* out);
void DrawBackground(RAS_MemBitmap* out);
void DrawAbout(RAS_MemBitmap* out);

// Stacks a frame into a strip at frame index i (a plain copy: the frame's
// transparency is kept as it is).
void PutFrame(RAS_MemBitmap* strip, RAS_MemBitmap* frame, int i);
