#pragma once

// Bitmaps of 32-bit pixels (see RAS_Pixel.h). The raster library never takes
// ownership of bitmaps it is given, and takes no locks: a bitmap is drawn from
// one thread at a time (the editor thread).

#include "gdi/gdi.h"
#include "raster/RAS_Pixel.h"

#include <stdint.h>

class RAS_IBitmap
{
public:
  // Editor thread; may free memory.
  virtual ~RAS_IBitmap() {}

  // Editor thread, no locking or allocation: row 0 of the buffer, or null.
  virtual RAS_pixel* getBits() = 0;
  // Editor thread, no locking or allocation.
  virtual int getWidth() = 0;
  // Editor thread, no locking or allocation.
  virtual int getHeight() = 0;
  // Editor thread, no locking or allocation: pixels from one row to the next.
  virtual int getRowSpan() = 0;
  // Editor thread, no locking or allocation: true when row 0 in memory is the
  // bottom row of the image.
  virtual bool isFlipped() { return false; }
  // Editor thread; allocates. True when the size changed.
  virtual bool resize(int w, int h) = 0;
  // Editor thread, no locking or allocation: the drawing context behind the
  // pixels, if any.
  virtual HDC getDC() { return nullptr; }
  // Editor thread: extension hook; nothing is extended here.
  virtual intptr_t Extended(int id, void* data)
  {
    (void)id;
    (void)data;
    return 0;
  }
};

// A bitmap over a plain heap buffer whose rows start on 64-byte boundaries.
class RAS_MemBitmap : public RAS_IBitmap
{
public:
  // linealign: row alignment in pixels (2 to 16; below 2 none). Larger
  // alignments are treated as 16 pixels, which already fills the 64 bytes the
  // rows are aligned to.
  RAS_MemBitmap(int w = 0, int h = 0, unsigned int linealign = 4);
  // Editor thread; frees the buffer.
  ~RAS_MemBitmap() override;

  RAS_MemBitmap(const RAS_MemBitmap&) = delete;
  RAS_MemBitmap& operator=(const RAS_MemBitmap&) = delete;

  // Editor thread, no locking or allocation.
  RAS_pixel* getBits() override
  {
    if (!m_fb) return nullptr;
    return (RAS_pixel*)(((uintptr_t)m_fb + 63) & ~(uintptr_t)63);
  }
  // Editor thread, no locking or allocation.
  int getWidth() override { return m_width; }
  // Editor thread, no locking or allocation.
  int getHeight() override { return m_height; }
  // Editor thread, no locking or allocation.
  int getRowSpan() override { return (m_width + m_linealign) & ~m_linealign; }
  // Editor thread; allocates. Contents are undefined afterwards. A size that
  // is non-positive, overflows or cannot be allocated leaves a 0 x 0 bitmap.
  bool resize(int w, int h) override;

  // Bytes allocated for pixels, not counting the alignment slack.
  int getAllocSize() const { return m_allocsize; }

private:
  void* m_fb = nullptr;
  int m_width = 0, m_height = 0;
  int m_allocsize = 0;
  int m_linealign = 0;
};
