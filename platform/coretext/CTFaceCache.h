#pragma once

// FreeType faces shared by every font of the process, and the glyph images
// rendered from them: each (face, pixel size, mode, glyph) is rendered once
// and kept for the life of the process.

#include "coretext/CTFontCatalog.h"

#include <CoreGraphics/CoreGraphics.h>

#include <ft2build.h>
#include FT_FREETYPE_H
#include <pixman.h>

#include <atomic>
#include <mutex>
#include <string>
#include <unordered_map>

struct CTGlyphImage
{
  int width = 0, height = 0;
  int left = 0, top = 0;          // bitmap origin relative to the pen, y up
  pixman_image_t* mask = nullptr; // PIXMAN_a8 coverage; null for an empty glyph
};

struct CTFace
{
  FT_Face ft = nullptr;
  const CTFaceInfo* info = nullptr;
  unsigned unitsPerEm = 1000;
  double ascender = 0, descender = 0, lineGap = 0; // font units, descender positive downward
  double underlinePosition = 0, underlineThickness = 0;
  double capHeight = 0, xHeight = 0;
  double bboxXMin = 0, bboxYMin = 0, bboxXMax = 0, bboxYMax = 0;
  std::unordered_map<uint64_t, CTGlyphImage*> glyphs;
};

class CTFaceCache
{
public:
  static CTFaceCache& Get();

  // Largest pixel size whose glyphs are kept as images; larger text is
  // filled from outlines.
  static constexpr double kMaxCachedPixelSize = 512.0;

  CTFace* FaceFor(const CTFaceInfo* info);
  // Glyph index for a Unicode code point; 0 when the face has none.
  unsigned GlyphIndex(CTFace* face, uint32_t codePoint);
  // Unhinted advance in font units.
  double Advance(CTFace* face, unsigned glyph);
  // The image of a glyph at a pixel size (in 1/64 pixel), rendered on first use.
  const CTGlyphImage* Glyph(CTFace* face, unsigned glyph, uint32_t pixelSize64, bool antialias);
  // The glyph's outline in font units (y up), or false.
  bool Outline(CTFace* face, unsigned glyph, CGMutablePathRef into, const CGAffineTransform& fontUnitsToPath);

  long Rasterizations() const { return mRasterizations.load(); }

private:
  CTFaceCache();
  std::recursive_mutex mMutex;
  FT_Library mLibrary = nullptr;
  std::unordered_map<std::string, CTFace*> mFaces;
  std::atomic<long> mRasterizations{0};
};
