#pragma once

#include "plugin/containers/KIT_TypedBuf.h"

#include <cstdlib>
#include <cstring>

// A sorted array of (key, value) pairs searched by binary search on strcmp.
// Keys are copied in and freed with the array; values are disposed of with
// the function given at construction when they are replaced or removed.
template <class VAL>
class KIT_StringKeyedArray
{
public:
  explicit KIT_StringKeyedArray(void (*disposeValue)(VAL) = nullptr) : mDispose(disposeValue) {}
  ~KIT_StringKeyedArray() { DeleteAll(); }

  KIT_StringKeyedArray(const KIT_StringKeyedArray&) = delete;
  KIT_StringKeyedArray& operator=(const KIT_StringKeyedArray&) = delete;

  int GetSize() const { return mPairs.GetSize(); }

  // Replaces the value of an existing key or inserts the pair in order.
  // Returns false when there is no memory for it (the value is not taken).
  bool Insert(const char* key, VAL value)
  {
    if (!key) return false;
    bool found = false;
    const int pos = LowerBound(key, &found);
    if (found)
    {
      Pair& p = mPairs.Get()[pos];
      if (mDispose && !(p.value == value)) mDispose(p.value);
      p.value = value;
      return true;
    }
    char* dup = dupstr(key);
    if (!dup) return false;
    const int n = mPairs.GetSize();
    if (!mPairs.TryResize(n + 1, false))
    {
      freestr(dup);
      return false;
    }
    Pair* d = mPairs.Get();
    memmove(d + pos + 1, d + pos, (size_t)(n - pos) * sizeof(Pair));
    d[pos].key = dup;
    d[pos].value = value;
    return true;
  }

  VAL Get(const char* key, VAL notFound = VAL()) const
  {
    bool found = false;
    const int pos = key ? LowerBound(key, &found) : 0;
    return found ? mPairs.Get()[pos].value : notFound;
  }

  bool Exists(const char* key) const
  {
    bool found = false;
    if (key) LowerBound(key, &found);
    return found;
  }

  // The pair at an index in key order; null key for an index out of range.
  VAL Enumerate(int index, const char** key = nullptr, VAL notFound = VAL()) const
  {
    if (index < 0 || index >= GetSize())
    {
      if (key) *key = nullptr;
      return notFound;
    }
    const Pair& p = mPairs.Get()[index];
    if (key) *key = p.key;
    return p.value;
  }

  void Delete(const char* key)
  {
    bool found = false;
    if (!key) return;
    const int pos = LowerBound(key, &found);
    if (!found) return;
    Pair* d = mPairs.Get();
    freestr(d[pos].key);
    if (mDispose) mDispose(d[pos].value);
    const int n = mPairs.GetSize();
    memmove(d + pos, d + pos + 1, (size_t)(n - pos - 1) * sizeof(Pair));
    mPairs.Resize(n - 1, false);
  }

  void DeleteAll()
  {
    Pair* d = mPairs.Get();
    for (int i = mPairs.GetSize() - 1; i >= 0; --i)
    {
      freestr(d[i].key);
      if (mDispose) mDispose(d[i].value);
    }
    mPairs.Resize(0, false);
  }

  static char* dupstr(const char* s)
  {
    const size_t n = strlen(s) + 1;
    char* d = (char*)malloc(n);
    if (d) memcpy(d, s, n);
    return d;
  }
  static void freestr(char* s) { free(s); }

private:
  struct Pair
  {
    char* key;
    VAL value;
  };

  int LowerBound(const char* key, bool* found) const
  {
    int lo = 0, hi = mPairs.GetSize();
    const Pair* d = mPairs.Get();
    while (lo < hi)
    {
      const int mid = lo + (hi - lo) / 2;
      const int c = strcmp(d[mid].key, key);
      if (c == 0)
      {
        *found = true;
        return mid;
      }
      if (c < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    *found = false;
    return lo;
  }

  KIT_TypedBuf<Pair> mPairs;
  void (*mDispose)(VAL);
};
