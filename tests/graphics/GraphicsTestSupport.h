#pragma once

// An editor stand-in for the drawing tests: it sets the draw rectangle the
// way the repaint pass would, and its "platform" hands out bitmaps that the
// test made, counting the loads.

#include "graphics/graphics.h"
#include "raster/raster.h"

#include <functional>

// A memory bitmap that reports its deletion.
class CountedBitmap : public RAS_MemBitmap
{
public:
  CountedBitmap(int w, int h, int* pDeleted) : RAS_MemBitmap(w, h, 4), mDeleted(pDeleted) {}
  ~CountedBitmap() override
  {
    if (mDeleted) ++*mDeleted;
  }

private:
  int* mDeleted;
};

class TestEditor : public IGraphics
{
public:
  TestEditor(int w, int h) : IGraphics(nullptr, w, h) { PrepDraw(); }

  void SetDrawRECT(const IRECT& r) { mDrawRECT = r; }

  RAS_IBitmap* OSLoadBitmap(int ID, const char* name) override
  {
    ++mLoads;
    return mLoader ? mLoader(ID, name) : nullptr;
  }

  std::function<RAS_IBitmap*(int, const char*)> mLoader;
  int mLoads = 0;
};

// Pixel (x, y) of an unflipped bitmap, read without the library.
inline RAS_pixel& PixelAt(RAS_IBitmap* bm, int x, int y)
{
  return bm->getBits()[(long)y * bm->getRowSpan() + x];
}

inline void FillAll(RAS_IBitmap* bm, RAS_pixel p)
{
  for (int y = 0; y < bm->getHeight(); ++y)
    for (int x = 0; x < bm->getWidth(); ++x) PixelAt(bm, x, y) = p;
}
