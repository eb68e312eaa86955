#pragma once

// A bitmap whose pixels sit inside a larger buffer: a frame of guard pixels
// around the image and guard columns in the row padding, all holding a
// sentinel, so that any write outside the image shows.

#include "raster_test_util.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

class GuardedBitmap : public RAS_IBitmap
{
public:
  static constexpr RAS_pixel kSentinel = 0xA5C3E1F7;
  static constexpr int kMargin = 8;

  GuardedBitmap(int w, int h, bool flipped = false)
      : m_w(w), m_h(h), m_span(w + 2 * kMargin), m_flipped(flipped),
        m_buf((size_t)(h + 2 * kMargin) * (w + 2 * kMargin), kSentinel)
  {
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) At(*this, x, y) = 0;
  }
  RAS_pixel* getBits() override { return m_buf.data() + (size_t)kMargin * m_span + kMargin; }
  int getWidth() override { return m_w; }
  int getHeight() override { return m_h; }
  int getRowSpan() override { return m_span; }
  bool isFlipped() override { return m_flipped; }
  bool resize(int, int) override { return false; }

  // True when every pixel outside the image still holds the sentinel.
  bool GuardsIntact() const
  {
    const int rows = m_h + 2 * kMargin;
    for (int r = 0; r < rows; r++)
      for (int c = 0; c < m_span; c++)
      {
        const bool inside = r >= kMargin && r < kMargin + m_h && c >= kMargin && c < kMargin + m_w;
        if (!inside && m_buf[(size_t)r * m_span + c] != kSentinel) return false;
      }
    return true;
  }
  // Pixels of the image that are no longer 0.
  int Touched()
  {
    int n = 0;
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++) n += At(*this, x, y) != 0;
    return n;
  }
  void Fill(RAS_pixel p)
  {
    for (int y = 0; y < m_h; y++)
      for (int x = 0; x < m_w; x++) At(*this, x, y) = p;
  }

private:
  int m_w, m_h, m_span;
  bool m_flipped;
  std::vector<RAS_pixel> m_buf;
};

inline int Red(RAS_pixel p) { return RAS_GETR(p); }

using PixelSet = std::set<std::pair<int, int>>;

// The pixels of the image that are not 0.
inline PixelSet Lit(RAS_IBitmap& bm)
{
  PixelSet s;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++)
      if (At(bm, x, y)) s.insert({x, y});
  return s;
}

inline int MaxRed(RAS_IBitmap& bm)
{
  int m = 0;
  for (int y = 0; y < bm.getHeight(); y++)
    for (int x = 0; x < bm.getWidth(); x++) m = std::max(m, Red(At(bm, x, y)));
  return m;
}
