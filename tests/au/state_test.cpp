// Saved state (the class-info dictionary) and the factory-preset array.

#include "AUTestPlug.h"

#include "au/CFAUPreset.h"
#include "au/StateDict.h"

#include <CoreFoundation/OrvantaCFTesting.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
CFPropertyListRef SaveState(AudioUnit unit)
{
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  EXPECT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size));
  return state;
}

OSStatus LoadState(AudioUnit unit, CFPropertyListRef state)
{
  return AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state));
}

std::vector<uint8_t> DataOf(CFPropertyListRef state)
{
  CFDataRef data = (CFDataRef)CFDictionaryGetValue((CFDictionaryRef)state, CFSTR("data"));
  if (!data) return {};
  const UInt8* p = CFDataGetBytePtr(data);
  return std::vector<uint8_t>(p, p + CFDataGetLength(data));
}

SInt32 NumberOf(CFPropertyListRef state, CFStringRef key)
{
  SInt32 v = 0;
  CFNumberGetValue((CFNumberRef)CFDictionaryGetValue((CFDictionaryRef)state, key), kCFNumberSInt32Type, &v);
  return v;
}

std::string Str(CFTypeRef s)
{
  char text[1024];
  if (!s || !CFStringGetCString((CFStringRef)s, text, sizeof(text), kCFStringEncodingUTF8)) return "<null>";
  return text;
}

CFMutableDictionaryRef Copy(CFPropertyListRef state)
{
  return CFDictionaryCreateMutableCopy(nullptr, 0, (CFDictionaryRef)state);
}

void SetNumber(CFMutableDictionaryRef d, CFStringRef key, SInt32 v)
{
  CFNumberRef n = CFNumberCreate(nullptr, kCFNumberSInt32Type, &v);
  CFDictionarySetValue(d, key, n);
  CFRelease(n);
}

void SetData(CFMutableDictionaryRef d, const std::vector<uint8_t>& bytes)
{
  CFDataRef data = CFDataCreate(nullptr, bytes.data(), (CFIndex)bytes.size());
  CFDictionarySetValue(d, CFSTR("data"), data);
  CFRelease(data);
}
}  // namespace

TEST(AUState, TheDictionaryNamesTheComponentAndHoldsTheChunk)
{
  TestUnit unit;
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, 0, 0, 1.25f, 0));
  CFPropertyListRef state = SaveState(unit);
  ASSERT_NE(nullptr, state);
  EXPECT_EQ(CFDictionaryGetTypeID(), CFGetTypeID(state));
  EXPECT_EQ(6, CFDictionaryGetCount((CFDictionaryRef)state));
  EXPECT_EQ(kTestVersion, NumberOf(state, CFSTR("version")));
  EXPECT_EQ((SInt32)kAudioUnitType_Effect, NumberOf(state, CFSTR("type")));
  EXPECT_EQ((SInt32)kTestSubtype, NumberOf(state, CFSTR("subtype")));
  EXPECT_EQ((SInt32)kTestMfr, NumberOf(state, CFSTR("manufacturer")));
  EXPECT_EQ("Loud", Str(CFDictionaryGetValue((CFDictionaryRef)state, CFSTR("name"))));
  const std::vector<uint8_t> data = DataOf(state);
  ASSERT_EQ(8u * kNumTestParams, data.size());
  double gain;
  memcpy(&gain, data.data(), 8);
  EXPECT_EQ(1.25, gain);
  CFRelease(state);
}

TEST(AUState, SaveChangeRestoreRoundTripsExactly)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  AUPreset quiet = {1, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &quiet, sizeof(quiet)));
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kLevel, 0, 0, 0.123f, 0));
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kSteps, 0, 0, 9.0f, 0));
  const std::vector<double> saved = plug->Values();
  CFPropertyListRef state = SaveState(unit);

  AUPreset loud = {0, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &loud, sizeof(loud)));
  for (int p = 0; p < kNumTestParams; ++p) ASSERT_EQ(noErr, AudioUnitSetParameter(unit, p, 0, 0, 0.0f, 0));
  ASSERT_NE(saved, plug->Values());

  const long live = LiveCFObjects();
  ASSERT_EQ(noErr, LoadState(unit, state));
  EXPECT_EQ(live, LiveCFObjects());
  EXPECT_EQ(saved, plug->Values());
  EXPECT_EQ(1, plug->CurrentPreset());
  CFPropertyListRef again = SaveState(unit);
  EXPECT_EQ(DataOf(state), DataOf(again));
  EXPECT_TRUE(CFEqual(state, again));
  CFRelease(again);
  CFRelease(state);
}

TEST(AUState, AnotherVersionIsAcceptedAnotherComponentIsNot)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, 0, 0, 0.5f, 0));
  CFPropertyListRef state = SaveState(unit);
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, 0, 0, 1.5f, 0));

  CFMutableDictionaryRef other = Copy(state);
  SetNumber(other, CFSTR("version"), 0x20000);
  EXPECT_EQ(noErr, LoadState(unit, other));
  EXPECT_EQ(0.5, plug->GetParam(kGain)->Value());
  CFRelease(other);

  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, 0, 0, 1.5f, 0));
  const std::vector<double> before = plug->Values();
  const int preset = plug->CurrentPreset();
  for (CFStringRef key : {CFSTR("type"), CFSTR("subtype"), CFSTR("manufacturer")})
  {
    CFMutableDictionaryRef d = Copy(state);
    SetNumber(d, key, 0x12345678);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, d));
    CFRelease(d);
  }
  for (CFStringRef key : {CFSTR("version"), CFSTR("type"), CFSTR("subtype"), CFSTR("manufacturer"), CFSTR("name")})
  {
    CFMutableDictionaryRef d = Copy(state);
    CFDictionaryRemoveValue(d, key);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, d));
    CFRelease(d);
  }
  EXPECT_EQ(before, plug->Values());
  EXPECT_EQ(preset, plug->CurrentPreset());
  CFRelease(state);
}

TEST(AUState, ValuesOfTheWrongTypeAreRefusedBeforeAnythingChanges)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  CFPropertyListRef state = SaveState(unit);
  AUPreset quiet = {1, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &quiet, sizeof(quiet)));
  const std::vector<double> before = plug->Values();

  // Not a dictionary at all.
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, CFSTR("state")));
  CFArrayRef array = CFArrayCreate(nullptr, nullptr, 0, &kCFTypeArrayCallBacks);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, array));
  CFRelease(array);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, nullptr));

  const std::vector<std::pair<CFStringRef, CFTypeRef>> wrong = {
    {CFSTR("version"), CFSTR("1")},      {CFSTR("type"), CFSTR("aufx")},
    {CFSTR("subtype"), kCFBooleanTrue},  {CFSTR("manufacturer"), CFSTR("Zrnt")},
    {CFSTR("name"), kCFBooleanFalse},    {CFSTR("data"), CFSTR("AAAA")},
  };
  for (const auto& [key, value] : wrong)
  {
    CFMutableDictionaryRef d = Copy(state);
    CFDictionarySetValue(d, key, value);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, d)) << Str(key);
    CFRelease(d);
  }
  EXPECT_EQ(before, plug->Values());
  EXPECT_EQ(1, plug->CurrentPreset());
  CFRelease(state);
}

TEST(AUState, ShortEmptyOrMissingDataIsRefusedAfterThePresetIsRestored)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  CFPropertyListRef state = SaveState(unit);  // names "Loud"
  const std::vector<uint8_t> full = DataOf(state);
  AUPreset quiet = {1, nullptr};

  for (size_t keep : {(size_t)0, (size_t)24, full.size() - 1})
  {
    ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &quiet, sizeof(quiet)));
    ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kLevel, 0, 0, 0.3f, 0));
    CFMutableDictionaryRef d = Copy(state);
    SetData(d, std::vector<uint8_t>(full.begin(), full.begin() + (long)keep));
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, d)) << keep;
    // The preset of that name was restored, and nothing of the damaged chunk sticks.
    EXPECT_EQ(0, plug->CurrentPreset());
    EXPECT_EQ(0.9, plug->GetParam(kLevel)->Value());
    EXPECT_EQ(2.0, plug->GetParam(kGain)->Value());
    CFRelease(d);
  }
  CFMutableDictionaryRef d = Copy(state);
  CFDictionaryRemoveValue(d, CFSTR("data"));
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &quiet, sizeof(quiet)));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, LoadState(unit, d));
  EXPECT_EQ(0, plug->CurrentPreset());
  CFRelease(d);

  // Longer data is fine: the chunk reads what it needs.
  d = Copy(state);
  std::vector<uint8_t> longer = full;
  longer.resize(full.size() + 16, 0xEE);
  SetData(d, longer);
  EXPECT_EQ(noErr, LoadState(unit, d));
  CFRelease(d);
  CFRelease(state);
}

TEST(AUState, ALongNameIsCutAtACharacterBoundary)
{
  char name[256];
  CFMutableDictionaryRef d = CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks,
                                                       &kCFTypeDictionaryValueCallBacks);
  std::string longName(254, 'a');
  longName += "\xC3\xA9\xC3\xA9";  // two-byte characters straddling the end of the field
  PutStrInDict(d, "name", longName.c_str());
  ASSERT_TRUE(GetStrFromDict(d, "name", name, sizeof(name)));
  EXPECT_EQ(std::string(254, 'a'), std::string(name));
  EXPECT_FALSE(GetStrFromDict(d, "missing", name, sizeof(name)));
  EXPECT_STREQ("", name);
  SInt32 v = 0;
  EXPECT_FALSE(GetNumberFromDict(d, "name", &v));
  CFRelease(d);

  // Through the unit: the dictionary's name (300 bytes) selects no preset, and
  // restoring still works from the data.
  TestUnit unit;
  CFPropertyListRef state = SaveState(unit);
  CFMutableDictionaryRef c = Copy(state);
  CFStringRef s = CFStringCreateWithCString(nullptr, (std::string(299, 'z') + "\xE2\x82\xAC").c_str(),
                                            kCFStringEncodingUTF8);
  CFDictionarySetValue(c, CFSTR("name"), s);
  CFRelease(s);
  EXPECT_EQ(noErr, LoadState(unit, c));
  CFRelease(c);
  CFRelease(state);
}

TEST(AUState, HandWrittenPresetFileInThePlatformForm)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  // What hosts exchange as .aupreset files: integers and base64 data. The data
  // holds seven little-endian doubles: 0.5, 0, 1, 4, -3, 0.75, 0.25.
  const char* xml =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\"><dict>\n"
    "<key>data</key><data>AAAAAAAA4D8AAAAAAAAAAAAAAAAAAPA/AAAAAAAAEEAAAAAAAAAIwAAAAAAAAOg/AAAAAAAA0D8=</data>\n"
    "<key>manufacturer</key><integer>1517448820</integer>\n"
    "<key>name</key><string>Mine</string>\n"
    "<key>subtype</key><integer>1952932201</integer>\n"
    "<key>type</key><integer>1635083896</integer>\n"
    "<key>version</key><integer>0</integer>\n"
    "</dict></plist>\n";
  CFDataRef bytes = CFDataCreate(nullptr, (const UInt8*)xml, (CFIndex)strlen(xml));
  CFPropertyListRef state = CFPropertyListCreateWithData(nullptr, bytes, kCFPropertyListImmutable, nullptr, nullptr);
  CFRelease(bytes);
  ASSERT_NE(nullptr, state);
  ASSERT_EQ(noErr, LoadState(unit, state));
  const std::vector<double> expected = {0.5, 0, 1, 4, -3, 0.75, 0.25};
  EXPECT_EQ(expected, plug->Values());
  EXPECT_EQ(0.5, plug->mGain);
  CFRelease(state);
  EXPECT_EQ((SInt32)kTestSubtype, 1952932201);
  EXPECT_EQ((SInt32)kTestMfr, 1517448820);
}

TEST(AUState, SavingLeaksNothing)
{
  TestUnit unit;
  const long before = LiveCFObjects();
  for (int i = 0; i < 10; ++i) CFRelease(SaveState(unit));
  EXPECT_EQ(before, LiveCFObjects());
  EXPECT_EQ(0, OrvantaCFOverReleaseCount());
}

TEST(AUState, WithoutAComponentTheStateCannotBeRead)
{
  AUTestPlug plug{IFxInstanceInfo()};
  CFPropertyListRef state = nullptr;
  EXPECT_NE(noErr, plug.GetState(&state));
  EXPECT_EQ(nullptr, state);
  EXPECT_NE(noErr, plug.SetState(nullptr));
}

TEST(AUFactoryPresets, OneRecordPerSlotNumberedInOrder)
{
  TestUnit unit;
  const long before = LiveCFObjects();
  CFArrayRef presets = nullptr;
  UInt32 size = sizeof(presets);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, 0, 0, &presets, &size));
  ASSERT_EQ(3, CFArrayGetCount(presets));
  const char* names[] = {"Loud", "Quiet", "Init"};
  for (int i = 0; i < 3; ++i)
  {
    const AUPreset* p = (const AUPreset*)CFArrayGetValueAtIndex(presets, i);
    EXPECT_EQ(i, p->presetNumber);
    EXPECT_EQ(names[i], Str(p->presetName));
  }
  CFStringRef desc = CFAUPresetArrayCopyDescriptionCallBack(CFArrayGetValueAtIndex(presets, 1));
  EXPECT_EQ("AUPreset:\npreset number = 1\npreset name = Quiet", Str(desc));
  CFRelease(desc);
  CFRelease(presets);
  EXPECT_EQ(before, LiveCFObjects());
}

TEST(AUFactoryPresets, RecordsCountReferencesWithTheirNames)
{
  const long before = LiveCFObjects();
  CFStringRef name = CFStringCreateWithCString(nullptr, "Crunch", kCFStringEncodingUTF8);
  CFAUPresetRef a = CFAUPresetCreate(kCFAllocatorDefault, 4, name);
  CFAUPresetRef b = CFAUPresetCreate(kCFAllocatorDefault, 4, name);
  CFAUPresetRef c = CFAUPresetCreate(kCFAllocatorDefault, 4, CFSTR("Other"));
  CFAUPresetRef d = CFAUPresetCreate(kCFAllocatorDefault, 5, name);
  CFRelease(name);
  ASSERT_TRUE(a && b && c && d);
  EXPECT_EQ(1, a->retainCount);
  EXPECT_TRUE(CFAUPresetArrayEqualCallBack(a, b));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, c));
  EXPECT_FALSE(CFAUPresetArrayEqualCallBack(a, d));

  CFArrayCallBacks callbacks;
  CFAUPresetArrayCallBacks_Init(&callbacks);
  CFAUPresetArrayCallBacks_Init(nullptr);
  EXPECT_EQ(kCFAUPresetArrayCallBacks.retain, callbacks.retain);
  CFMutableArrayRef array = CFArrayCreateMutable(nullptr, 0, &callbacks);
  CFArrayAppendValue(array, a);
  EXPECT_EQ(2, a->retainCount);
  // Released by its creator, the record lives on in the array.
  CFAUPresetRelease(a);
  EXPECT_EQ(1, a->retainCount);
  EXPECT_EQ("Crunch", Str(((const AUPreset*)CFArrayGetValueAtIndex(array, 0))->presetName));
  EXPECT_EQ(a, CFAUPresetRetain(a));
  EXPECT_EQ(2, a->retainCount);
  CFAUPresetRelease(a);
  CFRelease(array);

  EXPECT_EQ(nullptr, CFAUPresetRetain(nullptr));
  CFAUPresetRelease(nullptr);
  CFAUPresetRelease(b);
  CFAUPresetRelease(c);
  CFAUPresetRelease(d);
  CFAUPresetRef unnamed = CFAUPresetCreate(kCFAllocatorDefault, 0, nullptr);
  ASSERT_NE(nullptr, unnamed);
  EXPECT_EQ(nullptr, unnamed->auPreset.presetName);
  CFAUPresetRelease(unnamed);
  EXPECT_EQ(before, LiveCFObjects());
  EXPECT_EQ(0, OrvantaCFOverReleaseCount());
}
