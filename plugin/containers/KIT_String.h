#pragma once

#include "plugin/containers/KIT_HeapBuf.h"

// An owned, NUL-terminated string. An empty string needs no allocation.
class KIT_String
{
public:
  KIT_String() : mHB(128) {}
  explicit KIT_String(const char* text, int maxLen = 0) : mHB(128) { Set(text, maxLen); }
  KIT_String(const KIT_String& other) : mHB(128) { Set(other.Get()); }
  KIT_String& operator=(const KIT_String& other)
  {
    if (this != &other) Set(other.Get());
    return *this;
  }

  // maxLen 0 means the whole text; otherwise at most maxLen bytes of it.
  void Set(const char* text, int maxLen = 0);
  void Append(const char* text, int maxLen = 0);
  void Insert(const char* text, int position, int maxLen = 0);

  const char* Get() const
  {
    const char* p = (const char*)mHB.Get();
    return p ? p : "";
  }
  int GetLength() const;

  // The one primitive all setters go through: writes length bytes of text at
  // position, keeping trailing bytes of the old text after it.
  void __doSet(int position, const char* text, int length, int trailing);

private:
  static int ClampedLength(const char* text, int maxLen);

  KIT_HeapBuf mHB;
};
