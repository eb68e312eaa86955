#pragma once

#include "plugin/containers/KIT_HeapBuf.h"

#include <cstring>

// A list of pointers. The list never decides ownership: the caller of Delete
// and Empty says whether the objects go with their entries.
template <class T>
class KIT_PtrList
{
public:
  KIT_PtrList() : mHB(4096) {}

  T* Get(int index) const
  {
    if (index < 0 || index >= GetSize()) return nullptr;
    return Data()[index];
  }

  int GetSize() const { return mHB.GetSize() / (int)sizeof(T*); }

  // Returns the pointer, or null when the list could not grow.
  T* Add(T* item)
  {
    const int n = GetSize();
    mHB.Resize((n + 1) * (int)sizeof(T*), false);
    if (GetSize() != n + 1) return nullptr;
    Data()[n] = item;
    return item;
  }

  // Later entries move up; an index past the end appends.
  T* Insert(int index, T* item)
  {
    const int n = GetSize();
    if (index < 0) index = 0;
    if (index >= n) return Add(item);
    mHB.Resize((n + 1) * (int)sizeof(T*), false);
    if (GetSize() != n + 1) return nullptr;
    T** d = Data();
    for (int i = n; i > index; --i) d[i] = d[i - 1];
    d[index] = item;
    return item;
  }

  int Find(const T* item) const
  {
    const int n = GetSize();
    T** d = Data();
    for (int i = 0; i < n; ++i)
      if (d[i] == item) return i;
    return -1;
  }

  void Delete(int index, bool wantDelete = false, void (*deleteFunction)(void*) = nullptr)
  {
    const int n = GetSize();
    if (index < 0 || index >= n) return;
    T** d = Data();
    T* item = d[index];
    memmove(d + index, d + index + 1, (size_t)(n - index - 1) * sizeof(T*));
    mHB.Resize((n - 1) * (int)sizeof(T*), false);
    if (wantDelete && item) Destroy(item, deleteFunction);
  }

  // Owned lists are emptied from the last entry to the first.
  void Empty(bool wantDelete = false, void (*deleteFunction)(void*) = nullptr)
  {
    if (wantDelete)
    {
      for (int i = GetSize() - 1; i >= 0; --i)
      {
        T* item = Data()[i];
        if (item) Destroy(item, deleteFunction);
      }
    }
    mHB.Resize(0, false);
  }

private:
  T** Data() const { return (T**)mHB.Get(); }

  static void Destroy(T* item, void (*deleteFunction)(void*))
  {
    if (deleteFunction)
      deleteFunction(const_cast<void*>(static_cast<const void*>(item)));
    else
      delete item;
  }

  KIT_HeapBuf mHB;
};
