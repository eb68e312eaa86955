#pragma once

// Fonts that draw UTF-8 text into raster bitmaps.

#include "gdi/gdi.h"
#include "raster/RAS_Bitmap.h"

// Text flags of RAS_IFont::DrawText beyond the GDI layer's DT_ flags (which
// keep their meanings): multiply the drawing alpha by the text colour's alpha
// byte / 255; never hand the text to the GDI layer's own drawing.
constexpr unsigned int RAS_DT_USE_TEXT_ALPHA = 0x40000000u;
constexpr unsigned int RAS_DT_NO_NATIVE = 0x80000000u;

// Font flags of SetFromHFont.
constexpr int RAS_FONT_VERTICAL = 0x1;       // glyphs stored rotated, text runs downwards
constexpr int RAS_FONT_VERTICAL_UP = 0x2;    // with RAS_FONT_VERTICAL: text runs upwards
constexpr int RAS_FONT_ASCII_ONLY = 0x4;     // glyphs 0..127 rendered at once, nothing above
constexpr int RAS_FONT_BLUR = 0x10;          // each glyph blurred before taking its coverage
constexpr int RAS_FONT_INVERT = 0x20;        // coverage inverted
constexpr int RAS_FONT_MONOCHROME = 0x40;    // coverage 0 or 255 (above 130 counts as ink)
constexpr int RAS_FONT_SHADOW = 0x80;        // shadow effect in the effect colour
constexpr int RAS_FONT_OUTLINE = 0x100;      // outline effect in the effect colour
constexpr int RAS_FONT_OWNS_HANDLE = 0x200;  // the font object deletes its GDI font
constexpr int RAS_FONT_ALLOW_NATIVE = 0x400; // plain text may be drawn by the GDI layer

// Colours are raster pixels (RAS_Pixel.h). Every operation is called on the
// editor thread.
class RAS_IFont
{
public:
  // Editor thread; frees memory.
  virtual ~RAS_IFont() {}

  // Editor thread; allocates, renders through the GDI layer (whose pools lock).
  virtual void SetFromHFont(HFONT font, int flags) = 0;
  // Editor thread, no locking or allocation; returns the previous colour.
  virtual RAS_pixel SetTextColor(RAS_pixel colour) = 0;
  // Editor thread, no locking or allocation; returns the previous colour.
  virtual RAS_pixel SetBkColor(RAS_pixel colour) = 0;
  // Editor thread, no locking or allocation; returns the previous colour.
  virtual RAS_pixel SetEffectColor(RAS_pixel colour) = 0;
  // Editor thread, no locking or allocation; returns the previous mode
  // (TRANSPARENT or OPAQUE).
  virtual int SetBkMode(int mode) = 0;
  // Editor thread, no locking or allocation: blend mode and opacity of drawing.
  virtual void SetCombineMode(int mode, float alpha) = 0;
  // Editor thread; may allocate (glyphs are rendered on first use). length -1
  // (any negative length) means up to the terminating NUL. Returns the height
  // of the text drawn or measured; with DT_CALCRECT sets rect's right and
  // bottom and draws nothing.
  virtual int DrawText(RAS_IBitmap* bm, const char* utf8, int length, RECT* rect, unsigned int flags) = 0;
  // Editor thread, no locking or allocation.
  virtual RAS_pixel GetTextColor() = 0;
  // Editor thread, no locking or allocation.
  virtual HFONT GetHFont() = 0;
  // Editor thread, no locking or allocation.
  virtual int GetLineHeight() = 0;
};
