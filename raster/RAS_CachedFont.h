#pragma once

#include "plugin/containers/KIT_HeapBuf.h"
#include "plugin/containers/KIT_TypedBuf.h"
#include "raster/RAS_IFont.h"

// One character's cached glyph.
struct RAS_GlyphRecord
{
  int base;    // 0 not rendered yet, -1 no glyph, else 1 + offset of the coverage map in the glyph data
  int width;   // coverage map size
  int height;
  int advance; // step to the next character along the text
  int code;    // 16-bit character code
};

// A font over a GDI-layer font that renders each character once, through the
// GDI layer into a shared scratch bitmap, keeps it as an 8-bit coverage map and
// composites cached glyphs into any bitmap with the text colour, opacity and
// blend mode. Plain text on a font that allows it is handed to the GDI layer
// instead (native rendering). All font objects and their shared scratch
// bitmaps belong to the editor thread.
class RAS_CachedFont : public RAS_IFont
{
public:
  // Editor thread; counts the object among the users of the scratch bitmaps.
  RAS_CachedFont();
  // Editor thread; deletes an owned handle, frees the cache and, with the last
  // font object, the scratch bitmaps.
  ~RAS_CachedFont() override;

  RAS_CachedFont(const RAS_CachedFont&) = delete;
  RAS_CachedFont& operator=(const RAS_CachedFont&) = delete;

  // Editor thread; allocates. Discards every cached glyph.
  void SetFromHFont(HFONT font, int flags) override;
  // Editor thread, no locking or allocation.
  RAS_pixel SetTextColor(RAS_pixel colour) override;
  // Editor thread, no locking or allocation.
  RAS_pixel SetBkColor(RAS_pixel colour) override;
  // Editor thread, no locking or allocation.
  RAS_pixel SetEffectColor(RAS_pixel colour) override;
  // Editor thread, no locking or allocation.
  int SetBkMode(int mode) override;
  // Editor thread, no locking or allocation.
  void SetCombineMode(int mode, float alpha) override;
  // Editor thread; may allocate (glyphs on first use, scratch bitmaps).
  int DrawText(RAS_IBitmap* bm, const char* utf8, int length, RECT* rect, unsigned int flags) override;
  // Editor thread, no locking or allocation.
  RAS_pixel GetTextColor() override { return m_textColor; }
  // Editor thread, no locking or allocation.
  HFONT GetHFont() override { return m_font; }
  // Editor thread, no locking or allocation.
  int GetLineHeight() override { return m_lineHeight; }

  // Editor thread, no locking or allocation: pixels added to the line height
  // when a line feed moves to the next line.
  void SetLineSpacing(int pixels) { m_lineSpacing = pixels; }

  // Editor thread; may allocate (renders the glyph on first use). Draws one
  // glyph with its top-left at (x, y); true when the glyph exists and meets
  // the clip rectangle (null: the whole bitmap).
  bool DrawGlyph(RAS_IBitmap* bm, int code, int x, int y, const RECT* clip);

  // Editor thread, no locking or allocation: the record of a code, rendered
  // or not, or null when the cache holds none.
  const RAS_GlyphRecord* FindGlyph(int code) const;
  // Editor thread, no locking or allocation: the coverage map of a rendered
  // record (width x height bytes), or null.
  const unsigned char* GlyphCoverage(const RAS_GlyphRecord* g) const;
  // Editor thread, no locking or allocation: how many characters this object
  // has had rasterized through the GDI layer.
  long GetRenderedGlyphCount() const { return m_renderCount; }

  // Decodes one character of UTF-8 from at most avail bytes (avail >= 1) into
  // *code and returns the bytes used. A byte that does not start a complete
  // sequence stands for itself; characters beyond 16 bits become a space.
  static int utf8char(const char* text, int avail, int* code);

private:
  RAS_GlyphRecord* FindRecord(int code);
  // The record of a code, rendered on first use; null when it has no glyph.
  const RAS_GlyphRecord* Glyph(int code);
  void RenderGlyph(int code);
  void ClearCache();
  bool DrawRecord(RAS_IBitmap* bm, const RAS_GlyphRecord& g, int x, int y, const RECT* clip, float alpha);
  int DrawNative(RAS_IBitmap* bm, const char* text, int n, RECT* rect, unsigned int flags);
  int DrawNativeViaScratch(RAS_IBitmap* bm, const char* text, int n, RECT* rect, unsigned int flags);
  // Walks the text, calling f(glyph, line offset, pen position) per glyph.
  template <class F>
  void WalkText(const char* text, int n, bool singleLine, F&& f);
  // Extents of the text: along the lines and across them.
  void Measure(const char* text, int n, bool singleLine, int* along, int* across);
  bool Vertical() const { return (m_flags & RAS_FONT_VERTICAL) != 0; }

  RAS_pixel m_textColor = 0, m_bkColor = 0xFFFFFFFF, m_effectColor = 0xFFFFFFFF;
  int m_mode = 0;
  float m_alpha = 1.0f;
  int m_bkMode = TRANSPARENT;
  HFONT m_font = nullptr;
  int m_flags = 0;
  int m_lineHeight = 0;
  int m_lineSpacing = 0;
  RAS_GlyphRecord m_low[128] = {};
  KIT_TypedBuf<RAS_GlyphRecord> m_ext{4096};
  KIT_HeapBuf m_data{65536};
  long m_renderCount = 0;
};
