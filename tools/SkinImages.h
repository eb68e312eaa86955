#pragma once

// The four images of the effect's skin, each drawn into out at its final
// size (film strips with their frames stacked from top to bottom). Run on
// the tool's only thread.

#include "SkinCanvas.h"

#include <functional>

void DrawKnobStrip(RAS_MemBitmap* out);
void DrawSwitchStrip(RAS_MemBitmap* out);
void DrawBackground(RAS_MemBitmap* out);
void DrawAbout(RAS_MemBitmap* out);

// A film strip of square frames stacked from top to bottom: drawFrame draws
// frame i on a transparent canvas of size x size pixels, whose resolved
// pixels, transparency included, become the strip's frame.
void DrawFilmStrip(RAS_MemBitmap* out, int size, int frames, const std::function<void(SkinCanvas&, int)>& drawFrame);
