#pragma once

// Text for the skin images: a GDI-layer font drawn through the raster
// library's glyph cache, so anti-aliased text can be placed on any bitmap
// with a colour and an opacity. Runs on the tool's only thread.

#include "SkinCanvas.h"

class SkinFont
{
public:
  // face: an installed face name ("Liberation Sans"); size in pixels.
  SkinFont(const char* face, int size, bool bold = false, bool italic = false);

  // Width and height of a single line of text.
  int Width(const char* text);
  int Height(const char* text);
  // Draws one line whose box is centred on x and has its top at y.
  void DrawCentred(RAS_IBitmap* bm, const char* text, int x, int y, const SkinColour& c, double alpha = 1.0);
  // The same with a lighter copy one pixel below, as letters cut into metal
  // catch the light on their lower edge.
  void DrawEngraved(RAS_IBitmap* bm, const char* text, int x, int y, const SkinColour& ink, const SkinColour& light,
                    double lightAlpha);

private:
  RAS_CachedFont m_font;
};
