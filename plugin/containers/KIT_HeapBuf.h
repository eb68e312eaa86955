#pragma once

// A growable byte buffer. Growth is by at least half the current size, so
// appending is amortised constant time, and memory is only given back when a
// caller asks for shrinking. Buffers sized once are never reallocated by the
// audio path: only Resize moves memory.
class KIT_HeapBuf
{
public:
  explicit KIT_HeapBuf(int granularity = 4096, int minAllocation = 0)
    : mGranularity(granularity > 0 ? granularity : 1), mMinAllocation(minAllocation > 0 ? minAllocation : 0) {}
  ~KIT_HeapBuf();

  KIT_HeapBuf(const KIT_HeapBuf&) = delete;
  KIT_HeapBuf& operator=(const KIT_HeapBuf&) = delete;

  void* Get() const { return mSize ? mBuf : nullptr; }
  int GetSize() const { return mSize; }
  int GetAllocated() const { return mAlloc; }
  int GetGranularity() const { return mGranularity; }

  // Sets the used size; returns the data pointer (null for size 0). When the
  // memory cannot be had, nothing changes and the old pointer comes back:
  // callers that must know compare GetSize() with what they asked for.
  void* Resize(int newSize, bool allowShrink = true);

  // The allocation Resize would choose for newSize (exposed for tests and for
  // callers that plan memory ahead).
  static long long PlanAllocation(long long newSize, int granularity, int minAllocation);

private:
  void* mBuf = nullptr;
  int mGranularity;
  int mAlloc = 0;
  int mSize = 0;
  int mMinAllocation;
};
