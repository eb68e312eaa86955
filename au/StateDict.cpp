#include "au/StateDict.h"

#include "au/CFText.h"
#include "plugin/ByteChunk.h"

#include <climits>
#include <cstring>

namespace
{
void PutValue(CFMutableDictionaryRef dict, const char* key, CFTypeRef value)
{
  if (!value) return;
  CFStringRef cfKey = MakeCFString(key);
  if (cfKey)
  {
    CFDictionarySetValue(dict, cfKey, value);
    CFRelease(cfKey);
  }
  CFRelease(value);
}
}  // namespace

void PutStrInDict(CFMutableDictionaryRef dict, const char* key, const char* value)
{
  PutValue(dict, key, MakeCFString(value));
}

void PutNumberInDict(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
  PutValue(dict, key, CFNumberCreate(kCFAllocatorDefault, kCFNumberSInt32Type, &value));
}

void PutDataInDict(CFMutableDictionaryRef dict, const char* key, const ByteChunk* pChunk)
{
  PutValue(dict, key, CFDataCreate(kCFAllocatorDefault, pChunk->GetData(), pChunk->Size()));
}

CFTypeRef GetValueFromDict(CFDictionaryRef dict, const char* key)
{
  CFStringRef cfKey = MakeCFString(key);
  if (!cfKey) return nullptr;
  CFTypeRef value = CFDictionaryGetValue(dict, cfKey);
  CFRelease(cfKey);
  return value;
}

bool GetStrFromDict(CFDictionaryRef dict, const char* key, char* value, int size)
{
  if (size > 0) value[0] = '\0';
  CFTypeRef str = GetValueFromDict(dict, key);
  return str && CopyCFStringToUTF8(str, value, size);
}

bool GetNumberFromDict(CFDictionaryRef dict, const char* key, SInt32* pValue)
{
  CFTypeRef num = GetValueFromDict(dict, key);
  if (!num || CFGetTypeID(num) != CFNumberGetTypeID()) return false;
  return CFNumberGetValue((CFNumberRef)num, kCFNumberSInt32Type, pValue);
}

bool GetDataFromDict(CFDictionaryRef dict, const char* key, ByteChunk* pChunk)
{
  CFTypeRef data = GetValueFromDict(dict, key);
  if (!data || CFGetTypeID(data) != CFDataGetTypeID()) return false;
  const CFIndex length = CFDataGetLength((CFDataRef)data);
  if (length < 0 || length > INT_MAX) return false;
  if (pChunk->Resize((int)length) != (int)length) return false;
  if (length > 0) memcpy(pChunk->GetData(), CFDataGetBytePtr((CFDataRef)data), (size_t)length);
  return true;
}
