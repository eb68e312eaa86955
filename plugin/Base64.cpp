#include "plugin/Base64.h"

#include <climits>

static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int Base64EncodedLength(int nBytes)
{
  if (nBytes < 0) return -1;
  const long long n = ((long long)nBytes + 2) / 3 * 4;
  return n > INT_MAX - 1 ? -1 : (int)n;
}

void Base64Encode(const unsigned char* data, int nBytes, char* text)
{
  if (!text) return;
  char* out = text;
  int i = 0;
  for (; i + 2 < nBytes; i += 3)
  {
    const unsigned v = (unsigned)data[i] << 16 | (unsigned)data[i + 1] << 8 | data[i + 2];
    *out++ = kAlphabet[v >> 18 & 63];
    *out++ = kAlphabet[v >> 12 & 63];
    *out++ = kAlphabet[v >> 6 & 63];
    *out++ = kAlphabet[v & 63];
  }
  if (i < nBytes)
  {
    const bool two = i + 1 < nBytes;
    const unsigned v = (unsigned)data[i] << 16 | (two ? (unsigned)data[i + 1] << 8 : 0u);
    *out++ = kAlphabet[v >> 18 & 63];
    *out++ = kAlphabet[v >> 12 & 63];
    *out++ = two ? kAlphabet[v >> 6 & 63] : '=';
    *out++ = '=';
  }
  *out = 0;
}

static int DecodeChar(unsigned char c)
{
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int Base64Decode(const char* text, unsigned char* out, int outSize)
{
  if (!text || !out || outSize <= 0) return 0;
  int n = 0;
  unsigned acc = 0;
  int bits = 0;
  for (const unsigned char* p = (const unsigned char*)text; n < outSize; ++p)
  {
    const int v = DecodeChar(*p);
    if (v < 0) break;
    acc = (acc << 6 | (unsigned)v) & 0xFFFFFF;
    bits += 6;
    if (bits >= 8)
    {
      bits -= 8;
      out[n++] = (unsigned char)(acc >> bits & 0xFF);
    }
  }
  return n;
}
