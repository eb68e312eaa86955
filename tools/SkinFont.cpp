#include "SkinFont.h"

namespace {

// Cached glyphs only: the text is composed by the raster library with the
// font's colour and opacity, on bitmaps that have no drawing context.
constexpr int kFontFlags = RAS_FONT_OWNS_HANDLE;
constexpr unsigned int kLineFlags = DT_SINGLELINE | DT_NOCLIP;

} // namespace

SkinFont::SkinFont(const char* face, int size, bool bold, bool italic)
{
  m_font.SetFromHFont(CreateFont(size, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic ? 1 : 0, 0, 0, 0, 0, 0,
                                 ANTIALIASED_QUALITY, 0, face),
                      kFontFlags);
}

int SkinFont::Width(const char* text)
{
  RECT r = {0, 0, 0, 0};
  m_font.DrawText(nullptr, text, -1, &r, kLineFlags | DT_CALCRECT);
  return r.right;
}

int SkinFont::Height(const char* text)
{
  RECT r = {0, 0, 0, 0};
  m_font.DrawText(nullptr, text, -1, &r, kLineFlags | DT_CALCRECT);
  return r.bottom;
}

void SkinFont::DrawCentred(RAS_IBitmap* bm, const char* text, int x, int y, const SkinColour& c, double alpha)
{
  const int w = Width(text);
  RECT r = {x - w / 2, y, x - w / 2 + w, y + Height(text)};
  m_font.SetTextColor(c.Pixel());
  m_font.SetCombineMode(RAS_MODE_COPY, (float)alpha);
  m_font.DrawText(bm, text, -1, &r, kLineFlags);
}

void SkinFont::DrawEngraved(RAS_IBitmap* bm, const char* text, int x, int y, const SkinColour& ink,
                            const SkinColour& light, double lightAlpha)
{
  DrawCentred(bm, text, x, y + 1, light, lightAlpha);
  DrawCentred(bm, text, x, y, ink);
}
