#include "hosts/AupresetFile.h"

#include "hosts/HostUnit.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// States are a few hundred bytes; anything this large is some other file
// given by mistake, and is refused before it is read into memory.
constexpr long kMaxStateBytes = 16L << 20;

bool Fail(std::string* error, std::string text)
{
  *error = std::move(text);
  return false;
}

CFTypeRef ValueFor(CFDictionaryRef dict, const char* key)
{
  CFStringRef k = CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8);
  if (!k) return nullptr;
  CFTypeRef v = CFDictionaryGetValue(dict, k);
  CFRelease(k);
  return v;
}

// The identity numbers are 32-bit codes; files written elsewhere may hold
// codes with the top bit set either as negative or as large positive numbers.
bool CodeFor(CFDictionaryRef dict, const char* key, UInt32* code)
{
  CFTypeRef v = ValueFor(dict, key);
  if (!v || CFGetTypeID(v) != CFNumberGetTypeID()) return false;
  SInt64 n = 0;
  if (!CFNumberGetValue((CFNumberRef)v, kCFNumberSInt64Type, &n)) return false;
  if (n < INT32_MIN || n > (SInt64)UINT32_MAX) return false;
  *code = (UInt32)n;
  return true;
}

}  // namespace

bool ReadAupreset(const std::string& path, CFDictionaryRef* state, std::string* error)
{
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return Fail(error, "cannot read state file " + path + ": it is a folder");
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return Fail(error, "cannot read state file " + path + ": " + strerror(errno));
  std::vector<UInt8> bytes;
  bool ok = fseek(f, 0, SEEK_END) == 0;
  const long size = ok ? ftell(f) : -1;
  if (size < 0 || fseek(f, 0, SEEK_SET) != 0)
  {
    const int saved = errno;
    fclose(f);
    return Fail(error, "cannot read state file " + path + ": " + strerror(saved));
  }
  if (size > kMaxStateBytes)
  {
    fclose(f);
    return Fail(error, path + " is not a saved state: it is far too large");
  }
  bytes.resize((size_t)size);
  ok = bytes.empty() || fread(bytes.data(), 1, bytes.size(), f) == bytes.size();
  fclose(f);
  if (!ok) return Fail(error, "cannot read state file " + path);

  CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes.data(), (CFIndex)bytes.size());
  CFErrorRef parseError = nullptr;
  CFPropertyListRef plist =
    data ? CFPropertyListCreateWithData(kCFAllocatorDefault, data, kCFPropertyListImmutable, nullptr, &parseError)
         : nullptr;
  if (data) CFRelease(data);
  if (!plist || CFGetTypeID(plist) != CFDictionaryGetTypeID())
  {
    if (plist) CFRelease(plist);
    // The reader's own words say what is wrong with a damaged document.
    std::string why;
    if (parseError)
    {
      CFStringRef description = CFErrorCopyDescription(parseError);
      if (description)
      {
        why = " (" + StringFromCF(description) + ")";
        CFRelease(description);
      }
      CFRelease(parseError);
    }
    return Fail(error, path + " is not a saved state: expected a property-list dictionary (.aupreset)" + why);
  }
  *state = (CFDictionaryRef)plist;
  return true;
}

bool CheckAupreset(CFDictionaryRef state, const AudioComponentDescription& desc, const std::string& path,
                   std::string* error)
{
  UInt32 type = 0, subtype = 0, manufacturer = 0, version = 0;
  for (const auto& [key, code] : {std::pair<const char*, UInt32*>{"version", &version}, {"type", &type},
                                  {"subtype", &subtype}, {"manufacturer", &manufacturer}})
    if (!CodeFor(state, key, code))
      return Fail(error, path + " is not a saved state: it has no \"" + key + "\" number");
  if (type != desc.componentType || subtype != desc.componentSubType || manufacturer != desc.componentManufacturer)
    return Fail(error, path + " is a state of another component (" + TextFromCode(type) + " " + TextFromCode(subtype) +
                         " " + TextFromCode(manufacturer) + "), not of " + TextFromCode(desc.componentType) + " " +
                         TextFromCode(desc.componentSubType) + " " + TextFromCode(desc.componentManufacturer));
  CFTypeRef name = ValueFor(state, "name");
  if (!name || CFGetTypeID(name) != CFStringGetTypeID())
    return Fail(error, path + " is not a saved state: it has no \"name\" text");
  CFTypeRef data = ValueFor(state, "data");
  if (!data || CFGetTypeID(data) != CFDataGetTypeID())
    return Fail(error, path + " is not a saved state: it has no \"data\" bytes");
  return true;
}

bool EncodeAupreset(CFPropertyListRef state, std::vector<UInt8>* bytes, std::string* error)
{
  CFDataRef xml = CFPropertyListCreateData(kCFAllocatorDefault, state, kCFPropertyListXMLFormat_v1_0, 0, nullptr);
  if (!xml) return Fail(error, "cannot encode the state as a property list");
  const UInt8* p = CFDataGetBytePtr(xml);
  bytes->assign(p, p + CFDataGetLength(xml));
  CFRelease(xml);
  return true;
}

std::string AupresetName(CFDictionaryRef state)
{
  CFTypeRef name = ValueFor(state, "name");
  return name && CFGetTypeID(name) == CFStringGetTypeID() ? StringFromCF((CFStringRef)name) : std::string();
}

CFIndex AupresetDataLength(CFDictionaryRef state)
{
  CFTypeRef data = ValueFor(state, "data");
  return data && CFGetTypeID(data) == CFDataGetTypeID() ? CFDataGetLength((CFDataRef)data) : -1;
}

CFDictionaryRef CopyAupresetWithName(CFDictionaryRef state, const std::string& name)
{
  CFMutableDictionaryRef copy = CFDictionaryCreateMutableCopy(kCFAllocatorDefault, 0, state);
  CFStringRef key = CFStringCreateWithCString(kCFAllocatorDefault, "name", kCFStringEncodingUTF8);
  CFStringRef value = CFStringCreateWithCString(kCFAllocatorDefault, name.c_str(), kCFStringEncodingUTF8);
  if (copy && key && value) CFDictionarySetValue(copy, key, value);
  if (key) CFRelease(key);
  if (value) CFRelease(value);
  return copy;
}
