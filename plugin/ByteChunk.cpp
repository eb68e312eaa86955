#include "plugin/ByteChunk.h"

#include "plugin/containers/KIT_String.h"

#include <climits>
#include <cstdint>

bool ByteChunk::PutBytes(const void* pSrc, int nBytes)
{
  if (nBytes < 0 || (nBytes > 0 && !pSrc)) return false;
  const int n = mBytes.GetSize();
  if ((long long)n + nBytes > INT_MAX) return false;
  // The source may lie inside this chunk, which the resize can move.
  const unsigned char* old = (const unsigned char*)mBytes.Get();
  const bool inside = old && (const unsigned char*)pSrc >= old && (const unsigned char*)pSrc < old + n;
  const long long offset = inside ? (const unsigned char*)pSrc - old : 0;
  mBytes.Resize(n + nBytes, false);
  if (mBytes.GetSize() != n + nBytes) return false;
  unsigned char* data = (unsigned char*)mBytes.Get();
  if (nBytes > 0) memmove(data + n, inside ? data + offset : pSrc, (size_t)nBytes);
  return true;
}

int ByteChunk::GetBytes(void* pDst, int nBytes, int startPos) const
{
  if (startPos < 0 || nBytes < 0) return -1;
  if ((long long)startPos + nBytes > (long long)mBytes.GetSize()) return -1;
  if (nBytes > 0) memcpy(pDst, (const unsigned char*)mBytes.Get() + startPos, (size_t)nBytes);
  return startPos + nBytes;
}

bool ByteChunk::PutStr(const char* str)
{
  if (!str) str = "";
  const size_t len = strlen(str);
  if (len > (size_t)INT_MAX - 4) return false;
  const int32_t n = (int32_t)len;
  const int size = Size();
  if (!Put(&n)) return false;
  if (PutBytes(str, n)) return true;
  mBytes.Resize(size, false);
  return false;
}

int ByteChunk::GetStr(KIT_String* pStr, int startPos) const
{
  int32_t len = 0;
  const int pos = Get(&len, startPos);
  if (pos < 0 || len < 0) return -1;
  const long long end = (long long)pos + len;
  if (end > INT_MAX) return -1;
  if (len > 0 && end <= Size() && pStr)
  {
    const char* p = (const char*)mBytes.Get() + pos;
    const void* nul = memchr(p, 0, (size_t)len);
    if (nul == p)
      pStr->Set("");
    else
      pStr->Set(p, nul ? (int)((const char*)nul - p) : len);
  }
  return (int)end;
}

bool ByteChunk::PutBool(bool b)
{
  const uint8_t byte = b ? 1 : 0;
  return Put(&byte);
}

int ByteChunk::GetBool(bool* pB, int startPos) const
{
  uint8_t byte = 0;
  const int pos = Get(&byte, startPos);
  if (pos >= 0) *pB = byte != 0;
  return pos;
}

bool ByteChunk::PutChunk(const ByteChunk* pRHS)
{
  if (!pRHS) return false;
  return PutBytes(pRHS->GetData(), pRHS->Size());
}

int ByteChunk::Resize(int newSize)
{
  if (newSize < 0) newSize = 0;
  const int n = mBytes.GetSize();
  mBytes.Resize(newSize, false);
  const int now = mBytes.GetSize();
  if (now > n) memset((unsigned char*)mBytes.Get() + n, 0, (size_t)(now - n));
  return now;
}

bool ByteChunk::IsEqual(const ByteChunk* pRHS) const
{
  if (!pRHS || pRHS->Size() != Size()) return false;
  return Size() == 0 || !memcmp(GetData(), pRHS->GetData(), (size_t)Size());
}
