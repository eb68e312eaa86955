// Restores a unit's saved state (the class-info dictionary a host keeps in its
// documents and .aupreset files) from arbitrary bytes. Odd first bytes build
// the dictionary from the input (each entry present or not, of the right type
// or not, with the identity right or not, then the name and the chunk), so
// that most inputs reach the chunk reader; even ones parse the rest as a
// property-list document. Whatever comes in: the status is 0 or the
// invalid-value error, every parameter stays in its range, a refused state of
// another component changes nothing, an accepted one saves and restores to
// the same values, and no CF object outlives the run.

#include "AUTestPlug.h"
#include "tests/fuzz/FuzzInput.h"

#include <CoreFoundation/OrvantaCFTesting.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
void Check(bool ok)
{
  if (!ok) abort();
}

struct Input : FuzzInput
{
  SInt32 Word() { return (SInt32)Raw(); }
};

void SetNumber(CFMutableDictionaryRef d, CFStringRef key, SInt64 v)
{
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt64Type, &v);
  CFDictionarySetValue(d, key, n);
  CFRelease(n);
}

// One identity entry: absent, the right code, a fuzzed code, a 64-bit number
// beyond 32 bits, or a value of the wrong type.
void SetIdentity(CFMutableDictionaryRef d, CFStringRef key, SInt32 right, Input& in)
{
  switch (in.Byte() % 8)
  {
    case 0: break;
    case 1: SetNumber(d, key, in.Word()); break;
    case 2: SetNumber(d, key, (SInt64)right + ((SInt64)1 << 32)); break;
    case 3: CFDictionarySetValue(d, key, kCFBooleanTrue); break;
    default: SetNumber(d, key, right); break;
  }
}

CFPropertyListRef MakeState(Input& in)
{
  const AudioComponentDescription desc = TestComponentDescription();
  CFMutableDictionaryRef d =
    CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
  SetIdentity(d, CFSTR("version"), kTestVersion, in);
  SetIdentity(d, CFSTR("type"), (SInt32)desc.componentType, in);
  SetIdentity(d, CFSTR("subtype"), (SInt32)desc.componentSubType, in);
  SetIdentity(d, CFSTR("manufacturer"), (SInt32)desc.componentManufacturer, in);
  const uint8_t nameKind = in.Byte() % 4;
  std::vector<uint8_t> name;
  for (int n = in.Byte(); n > 0; n--) name.push_back(in.Byte());
  if (nameKind == 1) CFDictionarySetValue(d, CFSTR("name"), kCFBooleanFalse);
  if (nameKind >= 2)
  {
    CFStringRef s = CFStringCreateWithBytes(nullptr, name.data(), (CFIndex)name.size(), kCFStringEncodingUTF8, false);
    if (s)
    {
      CFDictionarySetValue(d, CFSTR("name"), s);
      CFRelease(s);
    }
  }
  const uint8_t dataKind = in.Byte() % 4;
  if (dataKind == 1) CFDictionarySetValue(d, CFSTR("data"), CFSTR("data"));
  if (dataKind >= 2)
  {
    CFDataRef data = CFDataCreate(nullptr, in.data, (CFIndex)in.size);
    CFDictionarySetValue(d, CFSTR("data"), data);
    CFRelease(data);
  }
  return d;
}

CFPropertyListRef ParseState(const Input& in)
{
  CFDataRef bytes = CFDataCreateWithBytesNoCopy(nullptr, in.data, (CFIndex)in.size, kCFAllocatorNull);
  CFPropertyListRef state =
    CFPropertyListCreateWithData(nullptr, bytes, kCFPropertyListImmutable, nullptr, nullptr);
  CFRelease(bytes);
  return state;
}

bool SameIdentity(CFPropertyListRef state)
{
  if (!state || CFGetTypeID(state) != CFDictionaryGetTypeID()) return false;
  const AudioComponentDescription desc = TestComponentDescription();
  const CFStringRef keys[] = {CFSTR("type"), CFSTR("subtype"), CFSTR("manufacturer")};
  const SInt32 want[] = {(SInt32)desc.componentType, (SInt32)desc.componentSubType,
                         (SInt32)desc.componentManufacturer};
  for (int i = 0; i < 3; i++)
  {
    CFTypeRef v = CFDictionaryGetValue((CFDictionaryRef)state, keys[i]);
    SInt64 n = 0;
    if (!v || CFGetTypeID(v) != CFNumberGetTypeID() || !CFNumberGetValue((CFNumberRef)v, kCFNumberSInt64Type, &n) ||
        n != want[i])
      return false;
  }
  return true;
}

OSStatus Load(AudioUnit unit, CFPropertyListRef state)
{
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state,
                              sizeof(state));
}

void CheckRanges(AUTestPlug* plug)
{
  for (int i = 0; i < plug->NParams(); ++i)
  {
    const IParam* p = plug->GetParam(i);
    Check(!std::isnan(p->Value()) && p->Value() >= p->GetMin() && p->Value() <= p->GetMax());
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  if (size > (1 << 16)) return 0;
  static TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  Check(plug != nullptr);
  const CFIndex live = OrvantaCFLiveObjectCount();
  {
    Input in{{data, size}};
    const bool built = in.Byte() & 1;
    CFPropertyListRef state = built ? MakeState(in) : ParseState(in);
    const std::vector<double> before = plug->Values();
    const OSStatus status = Load(unit, state);
    Check(status == noErr || status == kAudioUnitErr_InvalidPropertyValue);
    CheckRanges(plug);
    if (!SameIdentity(state)) Check(status != noErr && plug->Values() == before);
    if (status == noErr)
    {
      const std::vector<double> restored = plug->Values();
      CFPropertyListRef saved = nullptr;
      UInt32 outSize = sizeof(saved);
      Check(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &saved, &outSize) ==
            noErr);
      Check(Load(unit, saved) == noErr && plug->Values() == restored);
      CFRelease(saved);
    }
    if (state) CFRelease(state);
  }
  Check(OrvantaCFLiveObjectCount() == live);
  return 0;
}
