#include "au/CFText.h"

#include "plugin/IParam.h"

#include <cstdlib>
#include <cstring>

int ValidUTF8PrefixLength(const char* text, int maxBytes)
{
  if (!text || maxBytes <= 0) return 0;
  const unsigned char* s = (const unsigned char*)text;
  int i = 0;
  while (i < maxBytes && s[i])
  {
    const unsigned char c = s[i];
    int n;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (c < 0x80) n = 1;
    else if (c >= 0xC2 && c <= 0xDF) n = 2;
    else if (c == 0xE0) { n = 3; lo = 0xA0; }
    else if (c >= 0xE1 && c <= 0xEC) n = 3;
    else if (c == 0xED) { n = 3; hi = 0x9F; }  // no UTF-16 surrogates
    else if (c >= 0xEE && c <= 0xEF) n = 3;
    else if (c == 0xF0) { n = 4; lo = 0x90; }
    else if (c >= 0xF1 && c <= 0xF3) n = 4;
    else if (c == 0xF4) { n = 4; hi = 0x8F; }  // nothing above U+10FFFF
    else break;
    if (i + n > maxBytes) break;
    bool ok = true;
    for (int k = 1; k < n && ok; ++k)
    {
      const unsigned char b = s[i + k];
      ok = k == 1 ? (b >= lo && b <= hi) : (b >= 0x80 && b <= 0xBF);
    }
    if (!ok) break;
    i += n;
  }
  return i;
}

CFStringRef MakeCFString(const char* text)
{
  if (!text) text = "";
  const size_t len = strlen(text);
  const int maxBytes = len > 0x7FFFFFFF ? 0x7FFFFFFF : (int)len;
  const int n = ValidUTF8PrefixLength(text, maxBytes);
  return CFStringCreateWithBytes(kCFAllocatorDefault, (const UInt8*)text, n, kCFStringEncodingUTF8, false);
}

bool CopyCFStringToUTF8(CFTypeRef str, char* text, int size)
{
  if (!text || size < 1) return false;
  text[0] = '\0';
  if (!str || CFGetTypeID(str) != CFStringGetTypeID()) return false;
  CFStringRef s = (CFStringRef)str;
  const CFIndex need = CFStringGetMaximumSizeForEncoding(CFStringGetLength(s), kCFStringEncodingUTF8) + 1;
  if (need <= 0) return false;
  if (need <= size) return CFStringGetCString(s, text, size, kCFStringEncodingUTF8);
  // Too long for the field, perhaps: convert in full, then cut at a character.
  char* whole = (char*)malloc((size_t)need);
  if (!whole) return false;
  const bool ok = CFStringGetCString(s, whole, need, kCFStringEncodingUTF8);
  if (ok) CopyTextField(text, size, whole);
  free(whole);
  return ok;
}
