#include "plugin/containers/KIT_String.h"

#include <cstdlib>
#include <cstring>

int KIT_String::ClampedLength(const char* text, int maxLen)
{
  if (!text) return 0;
  if (maxLen > 0)
  {
    const void* nul = memchr(text, 0, (size_t)maxLen);
    return nul ? (int)((const char*)nul - text) : maxLen;
  }
  const size_t n = strlen(text);
  return n > 0x7ffffff0 ? 0x7ffffff0 : (int)n;
}

int KIT_String::GetLength() const
{
  const char* p = (const char*)mHB.Get();
  return p ? (int)strlen(p) : 0;
}

void KIT_String::Set(const char* text, int maxLen)
{
  __doSet(0, text, ClampedLength(text, maxLen), 0);
}

void KIT_String::Append(const char* text, int maxLen)
{
  __doSet(GetLength(), text, ClampedLength(text, maxLen), 0);
}

void KIT_String::Insert(const char* text, int position, int maxLen)
{
  const int len = GetLength();
  if (position > len) position = len;
  __doSet(position, text, ClampedLength(text, maxLen), len - position);
}

void KIT_String::__doSet(int position, const char* text, int length, int trailing)
{
  if (position == 0 && length == 0 && trailing == 0)
  {
    mHB.Resize(1, false);
    if (mHB.GetSize() == 1) ((char*)mHB.Get())[0] = 0;
    return;
  }
  if (length <= 0 || position < 0 || trailing < 0 || !text) return;

  const long long need = (long long)position + length + trailing + 1;
  if (need > 0x7fffffff) return;

  // The text may be a piece of this very string: the resize may move it and
  // the trailing move may overwrite it, so such text is copied aside first.
  char* aside = nullptr;
  const char* old = (const char*)mHB.Get();
  if (old && text >= old && text < old + mHB.GetSize())
  {
    aside = (char*)malloc((size_t)length);
    if (!aside) return;
    memcpy(aside, text, (size_t)length);
    text = aside;
  }

  mHB.Resize((int)need, false);
  if (mHB.GetSize() != need)
  {
    free(aside);
    return;
  }
  char* buf = (char*)mHB.Get();
  if (trailing > 0) memmove(buf + position + length, buf + position, (size_t)trailing);
  memcpy(buf + position, text, (size_t)length);
  buf[position + length + trailing] = 0;
  free(aside);
}
