#include "plugin/containers/KIT_HeapBuf.h"

#include <climits>
#include <cstdlib>
#include <cstring>

KIT_HeapBuf::~KIT_HeapBuf()
{
  free(mBuf);
}

long long KIT_HeapBuf::PlanAllocation(long long newSize, int granularity, int minAllocation)
{
  if (newSize <= 0) return 0;
  long long g = newSize / 2;
  if (g < granularity) g = granularity;
  long long alloc;
  if (granularity < 4096)
  {
    alloc = newSize + g;
  }
  else
  {
    g &= ~4095LL;
    if (g < 4096) g = 4096;
    if (g > 4194304) g = 4194304;
    // Keep large blocks a little under whole pages: the 96 bytes are room for
    // the allocator's own bookkeeping.
    alloc = ((newSize + g + 96) & ~4095LL) - 96;
  }
  if (alloc < minAllocation) alloc = minAllocation;
  // The sizes are ints: never plan more than an int holds, never less than asked.
  if (alloc > INT_MAX) alloc = INT_MAX;
  if (alloc < newSize) alloc = newSize;
  return alloc;
}

void* KIT_HeapBuf::Resize(int newSize, bool allowShrink)
{
  if (newSize < 0) newSize = 0;
  if (newSize == mSize) return Get();

  long long threshold = 0;
  if (newSize < mSize && allowShrink)
  {
    long long a = (long long)mAlloc - 4LL * mGranularity;
    long long b = mAlloc / 2;
    threshold = a < b ? a : b;
    if (threshold < 1) threshold = 1;
  }

  if (newSize > mAlloc || newSize < threshold)
  {
    const long long want = PlanAllocation(newSize, mGranularity, mMinAllocation);
    if (want == 0)
    {
      free(mBuf);
      mBuf = nullptr;
      mAlloc = 0;
      mSize = 0;
      return nullptr;
    }
    void* nb = realloc(mBuf, (size_t)want);
    if (!nb)
    {
      nb = malloc((size_t)want);
      if (!nb) return Get();
      const int keep = mSize < newSize ? mSize : newSize;
      if (keep > 0) memcpy(nb, mBuf, (size_t)keep);
      free(mBuf);
    }
    mBuf = nb;
    mAlloc = (int)want;
  }
  mSize = newSize;
  return Get();
}
