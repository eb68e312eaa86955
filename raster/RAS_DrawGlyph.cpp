#include "raster/RAS_DrawGlyph.h"

#include "raster/RAS_GlyphRender.h"

void RAS_DrawGlyphEx(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, const unsigned char* coverage, int glyphw,
                     int glyphspan, int glyphh, float alpha, int mode)
{
  const int w = RAS_LimitRuleWeight(mode, RAS_AlphaToWeight(alpha));
  if (w == 0) return;
  _RAS_GlyphPlacement p;
  if (!_RAS_PlaceGlyph(bm, x, y, coverage, glyphw, glyphspan, glyphh, nullptr, &p)) return;
  const int r = RAS_GETR(colour), g = RAS_GETG(colour), b = RAS_GETB(colour), a = RAS_GETA(colour);
  _RAS_WithGlyphRule(mode, [&]<class Rule>() {
    _RAS_GlyphLoop(p, [&](unsigned char* d, int k) { Rule::doPix(d, r, g, b, a, w * k / 256); });
  });
}

void RAS_DrawGlyph(RAS_IBitmap* bm, int x, int y, RAS_pixel colour, const unsigned char* coverage, int glyphw,
                   int glyphh, float alpha, int mode)
{
  RAS_DrawGlyphEx(bm, x, y, colour, coverage, glyphw, glyphw, glyphh, alpha, mode);
}
