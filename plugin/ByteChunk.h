#pragma once

#include "plugin/containers/KIT_HeapBuf.h"

#include <cstring>
#include <type_traits>

class KIT_String;

// The byte buffer of state chunks. Values are stored in the machine's native
// order (little-endian on every target of this program). Readers work on
// positions: each returns the position after what it read, or -1 when the data
// runs out, and never touches memory outside the buffer whatever the position.
// Not thread-safe; guarded by whoever owns the chunk.
class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends the value's bytes. True only when the buffer really grew by the
  // value's size; otherwise nothing is copied.
  template <class T>
  bool Put(const T* pVal)
  {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values go into a chunk");
    return PutBytes(pVal, (int)sizeof(T));
  }

  // Copies a value out from startPos. Returns startPos + size, or -1 (the
  // destination untouched) when fewer than size bytes remain.
  template <class T>
  int Get(T* pVal, int startPos) const
  {
    static_assert(std::is_trivially_copyable_v<T>, "only plain values come out of a chunk");
    return GetBytes(pVal, (int)sizeof(T), startPos);
  }

  bool PutBytes(const void* pSrc, int nBytes);
  int GetBytes(void* pDst, int nBytes, int startPos) const;

  // A 32-bit length without terminator, then the characters.
  bool PutStr(const char* str);
  // Reads a length (-1 when it cannot, or when the stored length is negative).
  // A positive length whose characters fit sets pStr to them (stopping early at
  // a NUL byte); a length of 0 or characters beyond the end leave pStr alone.
  // Returns startPos + 4 + length even when pStr was not set (then beyond the
  // end, so the next read fails), or -1 when that would not fit an int.
  int GetStr(KIT_String* pStr, int startPos) const;

  // One byte, 1 or 0; reading takes any non-zero byte as true.
  bool PutBool(bool b);
  int GetBool(bool* pB, int startPos) const;

  // Appends another chunk's bytes (a chunk may be appended to itself).
  bool PutChunk(const ByteChunk* pRHS);

  void Clear() { mBytes.Resize(0, false); }
  int Size() const { return mBytes.GetSize(); }
  // Sets the size, keeping the first bytes; new bytes are zero. Returns the new
  // size, which is the old one when the memory could not be had.
  int Resize(int newSize);
  unsigned char* GetData() { return (unsigned char*)mBytes.Get(); }
  const unsigned char* GetData() const { return (const unsigned char*)mBytes.Get(); }

  bool IsEqual(const ByteChunk* pRHS) const;

private:
  KIT_HeapBuf mBytes;
};
