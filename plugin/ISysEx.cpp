#include "plugin/ISysEx.h"

#include "plugin/IPlugTrace.h"

void ISysEx::Clear()
{
  mOffset = mSize = 0;
  mData = nullptr;
}

void ISysEx::LogMsg() const
{
  TRACE_F("LogMsg", "sysex: offs:%d size:%d", mOffset, mSize);
}

char* SysExStr(char* text, int maxLength, const unsigned char* data, int size)
{
  if (!text || maxLength < 1) return text;
  static const char kHex[] = "0123456789ABCDEF";
  int n = (data && size > 0) ? maxLength / 3 : 0;
  if (n > size) n = size;
  char* p = text;
  for (int i = 0; i < n; ++i)
  {
    *p++ = kHex[data[i] >> 4];
    *p++ = kHex[data[i] & 0x0F];
    *p++ = ' ';
  }
  // Three characters per byte fit in maxLength, so the last blank is inside the
  // buffer; with no byte the terminator goes at the start.
  if (n > 0) --p;
  *p = '\0';
  return text;
}
