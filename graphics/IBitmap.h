#pragma once

class RAS_IBitmap;

// An editor image: a raster bitmap owned by the image cache, seen as N frames
// stacked top to bottom (or side by side when mFramesAreHorizontal).
struct IBitmap
{
  RAS_IBitmap* mData = nullptr;
  int W = 0, H = 0;
  int N = 1;
  bool mFramesAreHorizontal = false;

  IBitmap() = default;
  // A frame count below 1 counts as 1, so frame sizes never divide by zero.
  IBitmap(RAS_IBitmap* pData, int w, int h, int n = 1, bool framesAreHorizontal = false)
    : mData(pData), W(w), H(h), N(n < 1 ? 1 : n), mFramesAreHorizontal(framesAreHorizontal)
  {
  }

  int Frames() const { return N < 1 ? 1 : N; }
  int FrameWidth() const { return mFramesAreHorizontal ? W / Frames() : W; }
  int FrameHeight() const { return mFramesAreHorizontal ? H : H / Frames(); }
};
