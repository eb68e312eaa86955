#pragma once

#include "plugin/containers/KIT_HeapBuf.h"

#include <climits>

// A KIT_HeapBuf seen as an array of T.
template <class T>
class KIT_TypedBuf
{
public:
  explicit KIT_TypedBuf(int granularity = 4096) : mHB(granularity) {}

  T* Get() const { return (T*)mHB.Get(); }
  int GetSize() const { return mHB.GetSize() / (int)sizeof(T); }

  // Resizes to n elements. Byte counts are computed in 64 bits: a count whose
  // bytes do not fit an int is refused and the buffer is left as it was.
  // Returns the data pointer; Resized() tells whether the size was taken.
  T* Resize(int n, bool allowShrink = true)
  {
    if (n < 0) n = 0;
    const long long bytes = (long long)n * (long long)sizeof(T);
    if (bytes > INT_MAX) return Get();
    return (T*)mHB.Resize((int)bytes, allowShrink);
  }

  // Resize that reports whether the buffer now holds exactly n elements.
  bool TryResize(int n, bool allowShrink = true)
  {
    Resize(n, allowShrink);
    return GetSize() == (n < 0 ? 0 : n);
  }

  KIT_HeapBuf& HeapBuf() { return mHB; }

private:
  KIT_HeapBuf mHB;
};
