#pragma once

#include "raster/RAS_Bitmap.h"

// A bitmap whose pixels are the frame buffer of a memory drawing context of
// the GDI layer, so that the platform can blit it to the screen unconverted.
class RAS_SysBitmap : public RAS_IBitmap
{
public:
  RAS_SysBitmap(int w = 0, int h = 0);
  // Editor thread; deletes the drawing context.
  ~RAS_SysBitmap() override;

  RAS_SysBitmap(const RAS_SysBitmap&) = delete;
  RAS_SysBitmap& operator=(const RAS_SysBitmap&) = delete;

  // Editor thread, no locking or allocation.
  RAS_pixel* getBits() override { return m_bits; }
  // Editor thread, no locking or allocation.
  int getWidth() override { return m_width; }
  // Editor thread, no locking or allocation.
  int getHeight() override { return m_height; }
  // Editor thread, no locking or allocation.
  int getRowSpan() override { return m_allocw; }
  // Editor thread; allocates through the GDI layer (whose pools lock). A
  // shrink keeps the context; a size that is non-positive or cannot be had
  // leaves a 0 x 0 bitmap without a context.
  bool resize(int w, int h) override;
  // Editor thread, no locking or allocation.
  HDC getDC() override { return m_dc; }

private:
  void FreeContext();

  int m_width = 0, m_height = 0;
  HDC m_dc = nullptr;
  RAS_pixel* m_bits = nullptr;
  int m_allocw = 0, m_alloch = 0;
};
