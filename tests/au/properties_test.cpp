// Properties as the host sees them: scopes, elements, sizes, writable flags
// and status codes; the parameter descriptions; listeners told before a
// change; host identification and callbacks; what the host is handed leaks
// nothing once it releases it.

#include "AUTestPlug.h"

#include <CoreFoundation/OrvantaCFTesting.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{
struct Info
{
  OSStatus status;
  UInt32 size;
  Boolean writable;
};

Info GetInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
{
  Info info{0, 0xDEAD, 2};
  info.status = AudioUnitGetPropertyInfo(unit, id, scope, element, &info.size, &info.writable);
  return info;
}

std::string Str(CFStringRef s)
{
  char text[512];
  if (!s || !CFStringGetCString(s, text, sizeof(text), kCFStringEncodingUTF8)) return "<null>";
  return text;
}

template <class T>
OSStatus Get(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* out)
{
  UInt32 size = sizeof(T);
  return AudioUnitGetProperty(unit, id, scope, element, out, &size);
}

template <class T>
OSStatus Set(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& v)
{
  return AudioUnitSetProperty(unit, id, scope, element, &v, sizeof(T));
}

void CountListener(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  ++*(int*)refCon;
}
}  // namespace

// The table of properties answered by get: size, writable flag, status.
TEST(AUProperties, InformationForEveryPropertyAndScope)
{
  TestUnit unit;
  struct Row
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    OSStatus status;
    UInt32 size;
    bool writable;
  };
  const Row rows[] = {
    {kAudioUnitProperty_ClassInfo, 0, 0, noErr, 8, true},
    {kAudioUnitProperty_ClassInfo, 2, 5, noErr, 8, true},
    {kAudioUnitProperty_MakeConnection, 0, 0, noErr, 16, true},
    {kAudioUnitProperty_MakeConnection, 1, 0, noErr, 16, true},
    {kAudioUnitProperty_MakeConnection, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SampleRate, 1, 0, noErr, 8, true},
    {kAudioUnitProperty_ParameterList, 0, 0, noErr, 4 * kNumTestParams, false},
    {kAudioUnitProperty_ParameterList, 1, 0, noErr, 0, false},
    {kAudioUnitProperty_ParameterInfo, 0, 0, noErr, 104, false},
    {kAudioUnitProperty_ParameterInfo, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ParameterInfo, 0, kNumTestParams, kAudioUnitErr_InvalidElement, 0, false},
    {kAudioUnitProperty_FastDispatch, 0, 6, noErr, 8, false},
    {kAudioUnitProperty_FastDispatch, 0, 9, kAudioUnitErr_InvalidElement, 0, false},
    {kAudioUnitProperty_StreamFormat, 1, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 2, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 0, 0, noErr, 40, true},
    {kAudioUnitProperty_StreamFormat, 1, 1, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_StreamFormat, 3, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ElementCount, 4, 0, noErr, 4, false},
    {kAudioUnitProperty_Latency, 0, 0, noErr, 8, false},
    {kAudioUnitProperty_Latency, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_TailTime, 0, 0, noErr, 8, false},
    {kAudioUnitProperty_TailTime, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SupportedNumChannels, 0, 0, noErr, 8, false},
    {kAudioUnitProperty_SupportedNumChannels, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, noErr, 4, true},
    {kAudioUnitProperty_MaximumFramesPerSlice, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ParameterValueStrings, 0, kChannel, noErr, 8, false},
    {kAudioUnitProperty_ParameterValueStrings, 0, kMute, noErr, 8, false},
    {kAudioUnitProperty_ParameterValueStrings, 0, kGain, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ParameterValueStrings, 0, 99, kAudioUnitErr_InvalidElement, 0, false},
    {kAudioUnitProperty_ParameterValueStrings, 1, kChannel, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_GetUIComponentList, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_AudioChannelLayout, 0, 0, kAudioUnitErr_InvalidPropertyValue, 0, false},
    {kAudioUnitProperty_BypassEffect, 0, 0, noErr, 4, true},
    {kAudioUnitProperty_BypassEffect, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_LastRenderError, 0, 0, noErr, 4, false},
    {kAudioUnitProperty_LastRenderError, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SetRenderCallback, 0, 0, noErr, 16, true},
    {kAudioUnitProperty_SetRenderCallback, 1, 0, noErr, 16, true},
    {kAudioUnitProperty_SetRenderCallback, 1, 1, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SetRenderCallback, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_FactoryPresets, 3, 0, noErr, 8, false},
    {kAudioUnitProperty_HostCallbacks, 0, 0, noErr, 32, true},
    {kAudioUnitProperty_HostCallbacks, 1, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_CurrentPreset, 2, 0, noErr, 16, true},
    {kAudioUnitProperty_PresentPreset, 0, 0, noErr, 16, true},
    {kAudioUnitProperty_ElementName, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_CocoaUI, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_SupportedChannelLayoutTags, 2, 0, kAudioUnitErr_InvalidProperty, 0, false},
    {kAudioUnitProperty_ParameterStringFromValue, 0, 0, noErr, 24, false},
    {kAudioUnitProperty_ParameterStringFromValue, 1, 0, noErr, 24, false},
    {kAudioUnitProperty_ParameterIDName, 2, 0, noErr, 16, false},
    {kAudioUnitProperty_ParameterClumpName, 0, 0, noErr, 16, false},
    {kAudioUnitProperty_ParameterValueFromString, 0, 0, noErr, 24, false},
    {kMusicDeviceProperty_InstrumentCount, 0, 0, kAudioUnitErr_InvalidProperty, 0, false},
  };
  for (const Row& r : rows)
  {
    const Info info = GetInfo(unit, r.id, r.scope, r.element);
    EXPECT_EQ(r.status, info.status) << "property " << r.id << " scope " << r.scope << " element " << r.element;
    if (r.status == noErr)
    {
      EXPECT_EQ(r.size, info.size) << "property " << r.id;
      EXPECT_EQ(r.writable, (bool)info.writable) << "property " << r.id;
    }
    else
    {
      EXPECT_FALSE(info.writable) << "property " << r.id;
    }
  }
  for (AudioUnitPropertyID id : {6u, 7u, 9u, 10u, 15u, 17u, 25u, 26u, 29u, 37u, 39u, 46u, 500u, 999u, 1001u, 5000u})
    EXPECT_EQ(kAudioUnitErr_InvalidProperty, GetInfo(unit, id, 0, 0).status) << id;
}

TEST(AUProperties, InformationWithoutOutputsUsesLocals)
{
  TestUnit unit;
  EXPECT_EQ(noErr, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SampleRate, 0, 0, nullptr, nullptr));
  UInt32 size = 0;
  EXPECT_EQ(noErr, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_SampleRate, 0, 0, &size, nullptr));
  EXPECT_EQ(8u, size);
}

TEST(AUProperties, SimpleValuesAndElementCounts)
{
  TestUnit unit;
  Float64 sr = 0;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_SampleRate, 0, 0, &sr));
  EXPECT_EQ(44100.0, sr);
  UInt32 n = 99;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, 0, &n));
  EXPECT_EQ(1u, n);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n));
  EXPECT_EQ(1u, n);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &n));
  EXPECT_EQ(1u, n);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementCount, kAudioUnitScope_Group, 0, &n));
  EXPECT_EQ(0u, n);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &n));
  EXPECT_EQ(1024u, n);
  OSStatus lastError = -1;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_LastRenderError, 0, 0, &lastError));
  EXPECT_EQ(noErr, lastError);

  AUChannelInfo io[2];
  UInt32 size = sizeof(io);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, 0, 0, io, &size));
  EXPECT_EQ(8u, size);
  EXPECT_EQ(1, io[0].inChannels);
  EXPECT_EQ(1, io[0].outChannels);
  EXPECT_EQ(2, io[1].inChannels);
  EXPECT_EQ(2, io[1].outChannels);

  AudioUnitParameterID ids[kNumTestParams];
  size = sizeof(ids);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, 0, 0, ids, &size));
  for (int i = 0; i < kNumTestParams; ++i) EXPECT_EQ((UInt32)i, ids[i]);
  size = sizeof(ids);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, ids, &size));
  EXPECT_EQ(0u, size);
}

TEST(AUProperties, LatencyAndTailAreInSeconds)
{
  TestUnit unit;
  const Float64 rates[] = {44100, 96000};
  for (Float64 sr : rates)
  {
    ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SampleRate, 0, 0, sr));
    Float64 latency = -1, tail = -1;
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_Latency, 0, 0, &latency));
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_TailTime, 0, 0, &tail));
    EXPECT_EQ(0.0, latency);
    EXPECT_EQ(latency, tail);
  }
  int calls = 0;
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, CountListener, &calls));
  unit.Plug()->SetLatency(480);
  EXPECT_EQ(1, calls);
  Float64 latency = 0;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_Latency, 0, 0, &latency));
  EXPECT_DOUBLE_EQ(480.0 / 96000.0, latency);
}

TEST(AUProperties, ParameterInfoDescribesEachType)
{
  TestUnit unit;
  AudioUnitParameterInfo info;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kGain, &info));
  EXPECT_STREQ("Gain", info.name);
  EXPECT_EQ("Gain", Str(info.cfNameString));
  EXPECT_EQ(0xF8000010u | kAudioUnitParameterFlag_HasClump, info.flags);
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_CustomUnit, info.unit);
  EXPECT_EQ("x", Str(info.unitName));
  EXPECT_EQ(0.0f, info.minValue);
  EXPECT_EQ(2.0f, info.maxValue);
  EXPECT_EQ(1.0f, info.defaultValue);
  EXPECT_EQ(1u, info.clumpID);
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);

  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kChannel, &info));
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_Indexed, info.unit);
  EXPECT_EQ(nullptr, info.unitName);
  EXPECT_EQ(1u, info.clumpID);  // same group as Gain
  CFRelease(info.cfNameString);

  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kMute, &info));
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_Boolean, info.unit);
  EXPECT_EQ(0u, info.flags & kAudioUnitParameterFlag_HasClump);
  EXPECT_EQ(0u, info.clumpID);
  CFRelease(info.cfNameString);

  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kTrim, &info));
  EXPECT_EQ(2u, info.clumpID);  // "Extra": the second group asked about
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_CustomUnit, info.unit);
  EXPECT_EQ("dB", Str(info.unitName));
  CFRelease(info.cfNameString);
  CFRelease(info.unitName);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kSteps, &info));
  EXPECT_EQ(2u, info.clumpID);
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_Indexed, info.unit);
  CFRelease(info.cfNameString);

  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kLevel, &info));
  EXPECT_EQ((UInt32)kAudioUnitParameterUnit_Generic, info.unit);
  EXPECT_EQ(0x78000010u | 0x80000000u, info.flags);
  CFRelease(info.cfNameString);

  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kLocked, &info));
  EXPECT_EQ(0x78000010u, info.flags);  // not automatable: not writable
  CFRelease(info.cfNameString);

  // The default reported is the current value.
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kLevel, 0, 0, 0.8f, 0));
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kLevel, &info));
  EXPECT_FLOAT_EQ(0.8f, info.defaultValue);
  CFRelease(info.cfNameString);
}

TEST(AUProperties, ValueStringsClumpNamesAndParameterNames)
{
  TestUnit unit;
  CFArrayRef strings = nullptr;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterValueStrings, 0, kChannel, &strings));
  ASSERT_EQ(2, CFArrayGetCount(strings));
  EXPECT_EQ("Clean", Str((CFStringRef)CFArrayGetValueAtIndex(strings, 0)));
  EXPECT_EQ("Dirty", Str((CFStringRef)CFArrayGetValueAtIndex(strings, 1)));
  CFRelease(strings);

  AudioUnitParameterInfo info;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, kSteps, &info));
  CFRelease(info.cfNameString);
  AudioUnitParameterNameInfo clump = {1, -1, nullptr};
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump));
  EXPECT_EQ("Extra", Str(clump.outName));
  CFRelease(clump.outName);
  clump.inID = 0;
  EXPECT_EQ(kAudioUnitErr_PropertyNotInUse, Get(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump));
  clump.inID = 2;  // only one group named so far
  EXPECT_EQ(kAudioUnitErr_PropertyNotInUse, Get(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump));
  clump.inID = 0xFFFFFFFF;
  EXPECT_EQ(kAudioUnitErr_PropertyNotInUse, Get(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump));

  struct NameCase
  {
    SInt32 desired;
    const char* expected;
  };
  for (const NameCase& c : {NameCase{5, "Level"}, NameCase{3, "Lev"}, NameCase{-1, "Level"},
                            NameCase{-7, "Level"}, NameCase{0, ""}, NameCase{100, "Level"}})
  {
    AudioUnitParameterIDName name = {kLevel, c.desired, nullptr};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterIDName, 0, 0, &name));
    EXPECT_EQ(c.expected, Str(name.outName)) << c.desired;
    CFRelease(name.outName);
  }
  AudioUnitParameterIDName bad = {kNumTestParams, -1, nullptr};
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, Get(unit, kAudioUnitProperty_ParameterIDName, 0, 0, &bad));
  EXPECT_EQ(nullptr, bad.outName);
  // Other scopes answer the size only.
  EXPECT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Input, 0, &bad));
  EXPECT_EQ(nullptr, bad.outName);
}

TEST(AUProperties, ValueToTextAndBack)
{
  TestUnit unit;
  struct Case
  {
    AudioUnitParameterID id;
    float value;
    const char* text;
  };
  for (const Case& c : {Case{kGain, 1.234f, "1.23"}, Case{kChannel, 0.0f, "Clean"}, Case{kChannel, 1.0f, "Dirty"},
                        Case{kMute, 1.0f, "on"}, Case{kSteps, 7.9f, "7"}, Case{kTrim, 3.0f, "-3.0"},
                        Case{kLevel, 0.5f, "0.500"}})
  {
    AudioUnitParameterStringFromValue sfv = {c.id, &c.value, nullptr};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &sfv));
    EXPECT_EQ(c.text, Str(sfv.outString)) << c.id;
    CFRelease(sfv.outString);
  }
  // No value asks for the current one; huge values stay inside the text field.
  {
    AudioUnitParameterStringFromValue sfv = {kLevel, nullptr, nullptr};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &sfv));
    EXPECT_EQ("0.500", Str(sfv.outString));
    CFRelease(sfv.outString);
  }
  for (float v : {3.0e38f, -3.0e38f, std::numeric_limits<float>::infinity(), std::nanf("")})
  {
    AudioUnitParameterStringFromValue sfv = {kLevel, &v, nullptr};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &sfv));
    EXPECT_LT(Str(sfv.outString).size(), 32u);
    CFRelease(sfv.outString);
  }
  const float one = 1;
  AudioUnitParameterStringFromValue bad = {kNumTestParams, &one, nullptr};
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, Get(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &bad));

  struct Back
  {
    AudioUnitParameterID id;
    const char* text;
    float expected;
  };
  for (const Back& c : {Back{kChannel, "Dirty", 1.0f}, Back{kChannel, "Clean", 0.0f}, Back{kChannel, "dirty", 42.0f},
                        Back{kGain, "1.5", 1.5f}, Back{kGain, " 0.25x", 0.25f}, Back{kTrim, "3", -3.0f},
                        Back{kMute, "on", 1.0f}})
  {
    CFStringRef s = CFStringCreateWithCString(nullptr, c.text, kCFStringEncodingUTF8);
    AudioUnitParameterValueFromString vfs = {c.id, s, 42.0f};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, &vfs));
    EXPECT_FLOAT_EQ(c.expected, vfs.outValue) << c.text;
    CFRelease(s);
  }
  AudioUnitParameterValueFromString badVfs = {99, CFSTR("1"), 0};
  EXPECT_EQ(kAudioUnitErr_InvalidParameter, Get(unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, &badVfs));
}

TEST(AUProperties, ElementNames)
{
  TestUnit unit;
  CFStringRef name = nullptr;
  UInt32 size = 8;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &size, nullptr));
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0, &name));
  EXPECT_EQ("output", Str(name));
  CFRelease(name);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name));
  EXPECT_EQ("input", Str(name));
  CFRelease(name);
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 1, &name));
  EXPECT_EQ("aux input", Str(name));
  CFRelease(name);
  EXPECT_EQ(kAudioUnitErr_InvalidElement, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 2, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidElement, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 1, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidElement,
            Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Output, 0xFFFFFFFF, &name));
  EXPECT_EQ(kAudioUnitErr_InvalidScope, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Global, 0, &name));
}

TEST(AUProperties, BusesOfInstrumentsAndSideChains)
{
  AUTestPlug inst(IFxInstanceInfo(), TestPlugConfig{"0-6", true, 0, 1});
  EXPECT_EQ(0, inst.NInBuses());
  ASSERT_EQ(3, inst.NOutBuses());
  EXPECT_EQ(4, inst.GetBus(kAudioUnitScope_Output, 2)->mPlugChannelStartIdx);
  EXPECT_EQ(2, inst.GetBus(kAudioUnitScope_Output, 2)->mNPlugChannels);
  EXPECT_STREQ("output 1", inst.GetOutputBusLabel(0));
  EXPECT_STREQ("output 2", inst.GetOutputBusLabel(1));
  UInt32 size = 0;
  Boolean writable = false;
  AudioChannelLayoutTag tag = 0;
  EXPECT_EQ(noErr, inst.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1,
                                    &size, &writable, nullptr));
  EXPECT_EQ(4u, size);
  EXPECT_TRUE(writable);
  size = 4;
  EXPECT_EQ(noErr, inst.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags, kAudioUnitScope_Output, 1,
                                    &size, &writable, &tag));
  EXPECT_EQ((AudioChannelLayoutTag)kAudioChannelLayoutTag_Stereo, tag);
  EXPECT_EQ(kAudioUnitErr_InvalidElement, inst.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags,
                                                           kAudioUnitScope_Output, 3, &size, &writable, &tag));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, inst.GetProperty(kAudioUnitProperty_SupportedChannelLayoutTags,
                                                            kAudioUnitScope_Global, 0, &size, &writable, &tag));
  UInt32 count = 0;
  size = 4;
  EXPECT_EQ(noErr, inst.GetProperty(kMusicDeviceProperty_InstrumentCount, 0, 0, &size, &writable, &count));
  EXPECT_EQ(1u, count);

  AUTestPlug odd(IFxInstanceInfo(), TestPlugConfig{"0-3", true, 0, 1});
  ASSERT_EQ(2, odd.NOutBuses());
  EXPECT_EQ(1, odd.GetBus(kAudioUnitScope_Output, 1)->mNPlugChannels);
  EXPECT_EQ((AudioChannelLayoutTag)kAudioChannelLayoutTag_Mono, [&] {
    AudioChannelLayoutTag t = 0;
    odd.GetChannelLayoutTags(kAudioUnitScope_Output, 1, &t);
    return t;
  }());

  AUTestPlug sc(IFxInstanceInfo(), TestPlugConfig{"4-2", false, 2, 1});
  ASSERT_EQ(2, sc.NInBuses());
  EXPECT_EQ(2, sc.GetBus(kAudioUnitScope_Input, 1)->mPlugChannelStartIdx);
  EXPECT_STREQ("main input", sc.GetInputBusLabel(0));
  EXPECT_STREQ("aux input", sc.GetInputBusLabel(1));
  EXPECT_EQ(1, sc.NOutBuses());
  EXPECT_EQ(kAudioChannelLayoutTag_Unknown, IFxAU::GetTagForNumChannels(3));
}

TEST(AUProperties, BypassOfflineAndPresets)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  const int resets = plug->mResets, deactivations = plug->mDeactivations;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)1));
  UInt32 bypassed = 0;
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_BypassEffect, 0, 0, &bypassed));
  EXPECT_EQ(1u, bypassed);
  EXPECT_EQ(deactivations + 1, plug->mDeactivations.load());
  EXPECT_EQ(resets + 1, plug->mResets.load());
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)0));
  EXPECT_FALSE(plug->IsBypassed());
  EXPECT_EQ(1, plug->mActivations.load());

  EXPECT_FALSE(plug->IsRenderingOffline());
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_OfflineRender, 0, 0, (UInt32)1));
  EXPECT_TRUE(plug->IsRenderingOffline());

  AUPreset preset = {-1, nullptr};
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_PresentPreset, 0, 0, &preset));
  EXPECT_EQ(0, preset.presetNumber);
  EXPECT_EQ("Loud", Str(preset.presetName));
  CFRelease(preset.presetName);

  AUPreset choose = {1, nullptr};
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_PresentPreset, 0, 0, choose));
  EXPECT_EQ(1, plug->CurrentPreset());
  EXPECT_DOUBLE_EQ(0.25, plug->GetParam(kGain)->Value());
  choose.presetNumber = 2;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_CurrentPreset, 0, 0, choose));
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_CurrentPreset, 0, 0, &preset));
  EXPECT_EQ(2, preset.presetNumber);
  EXPECT_EQ("Init", Str(preset.presetName));
  CFRelease(preset.presetName);

  // Preset numbers at or beyond the count are refused and change nothing.
  plug->SetValues({1.7});
  for (SInt32 n : {3, 4, 1000, 0x7FFFFFFF})
  {
    choose.presetNumber = n;
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_PresentPreset, 0, 0, choose));
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_CurrentPreset, 0, 0, choose));
  }
  EXPECT_EQ(2, plug->CurrentPreset());
  EXPECT_DOUBLE_EQ(1.7, plug->GetParam(kGain)->Value());
  // A negative number (a host's user preset) selects nothing here.
  choose.presetNumber = -1;
  EXPECT_EQ(noErr, Set(unit, kAudioUnitProperty_PresentPreset, 0, 0, choose));
  EXPECT_EQ(2, plug->CurrentPreset());
}

TEST(AUProperties, ProgramChangesReachPresentPresetListeners)
{
  TestUnit unit;
  int calls = 0;
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_PresentPreset, CountListener, &calls));
  unit.Plug()->InformHostOfProgramChange();
  EXPECT_EQ(1, calls);
}

namespace
{
struct SampleRateSeen
{
  AudioUnit unit;
  Float64 seen = -1;
  int calls = 0;
};

void RecordSampleRate(void* refCon, AudioUnit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
  SampleRateSeen* s = (SampleRateSeen*)refCon;
  ++s->calls;
  UInt32 size = 8;
  AudioUnitGetProperty(s->unit, kAudioUnitProperty_SampleRate, 0, 0, &s->seen, &size);
}
}  // namespace

TEST(AUProperties, ListenersAreToldBeforeTheChangeTakesEffect)
{
  TestUnit unit;
  SampleRateSeen s{unit.Get()};
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_SampleRate, RecordSampleRate, &s));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SampleRate, 0, 0, (Float64)48000));
  EXPECT_EQ(44100.0, s.seen);  // still the old rate when the listener ran
  EXPECT_EQ(48000.0, unit.Plug()->GetSampleRate());
  // Even a refused or unsupported set tells the listeners first.
  int calls = 0;
  ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, 777, CountListener, &calls));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, 777, 0, 0, (UInt32)1));
  EXPECT_EQ(1, calls);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_SampleRate, 0, 0, (Float64)0));
  EXPECT_EQ(2, s.calls);
}

TEST(AUProperties, SampleRatesThatAreNotFinitePositiveNumbersAreRefused)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SampleRate, 0, 0, (Float64)48000));
  EXPECT_EQ(48000.0, plug->mResetSampleRate);
  const int resets = plug->mResets;
  for (Float64 bad : {0.0, -44100.0, std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
                      std::numeric_limits<double>::quiet_NaN(), -0.0})
  {
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_SampleRate, 0, 0, bad));
    AudioStreamBasicDescription f = FloatFormat(bad, 2);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, f));
  }
  EXPECT_EQ(48000.0, plug->GetSampleRate());
  EXPECT_EQ(resets, plug->mResets.load());
  EXPECT_EQ(-1, plug->GetBus(kAudioUnitScope_Input, 0)->mNHostChannels);
}

TEST(AUProperties, PayloadsTooSmallOrMissingAreRefused)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  // Gets whose buffer is smaller than the answer write nothing and create nothing.
  const long live = LiveCFObjects();
  struct Small
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    AudioUnitElement element;
    UInt32 size;
  };
  const Small smalls[] = {
    {kAudioUnitProperty_ClassInfo, 0, 0, 4},      {kAudioUnitProperty_SampleRate, 0, 0, 7},
    {kAudioUnitProperty_ParameterList, 0, 0, 27}, {kAudioUnitProperty_ParameterInfo, 0, 0, 103},
    {kAudioUnitProperty_FastDispatch, 0, 14, 4},  {kAudioUnitProperty_StreamFormat, 1, 0, 39},
    {kAudioUnitProperty_ElementCount, 1, 0, 3},   {kAudioUnitProperty_Latency, 0, 0, 4},
    {kAudioUnitProperty_SupportedNumChannels, 0, 0, 7}, {kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, 2},
    {kAudioUnitProperty_ParameterValueStrings, 0, kChannel, 4}, {kAudioUnitProperty_BypassEffect, 0, 0, 1},
    {kAudioUnitProperty_FactoryPresets, 0, 0, 0}, {kAudioUnitProperty_CurrentPreset, 0, 0, 8},
    {kAudioUnitProperty_ElementName, 2, 0, 4},    {kAudioUnitProperty_ParameterStringFromValue, 0, 0, 16},
    {kAudioUnitProperty_ParameterIDName, 0, 0, 8}, {kAudioUnitProperty_ParameterValueFromString, 0, 0, 12},
  };
  for (const Small& s : smalls)
  {
    unsigned char buf[256], expect[256];
    memset(buf, 0xA5, sizeof(buf));
    const float value = 1;
    AudioUnitParameterStringFromValue sfv = {0, &value, nullptr};
    memcpy(buf, &sfv, 16);
    memcpy(expect, buf, sizeof(buf));
    UInt32 size = s.size;
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, AudioUnitGetProperty(unit, s.id, s.scope, s.element, buf, &size))
      << s.id;
    EXPECT_EQ(0, memcmp(expect, buf, sizeof(buf))) << "property " << s.id << " wrote into a short buffer";
  }
  EXPECT_EQ(live, LiveCFObjects());
  // A get with data but no size has no known capacity.
  Float64 sr = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, CallEntry(plug, kAudioUnitGetPropertySelect, 2u, 0u, 0u, &sr,
                                                          (UInt32*)nullptr));

  // Sets with null or short data change nothing, and the listeners still run first.
  int calls = 0;
  const AudioUnitPropertyID settable[] = {
    kAudioUnitProperty_ClassInfo,    kAudioUnitProperty_MakeConnection,  kAudioUnitProperty_SampleRate,
    kAudioUnitProperty_StreamFormat, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitProperty_BypassEffect,
    kAudioUnitProperty_SetRenderCallback, kAudioUnitProperty_HostCallbacks, kAudioUnitProperty_CurrentPreset,
    kAudioUnitProperty_PresentPreset, kAudioUnitProperty_OfflineRender, kAudioUnitProperty_AUHostIdentifier};
  for (AudioUnitPropertyID id : settable)
    ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, id, CountListener, &calls));
  const std::vector<double> values = plug->Values();
  unsigned char zeros[64] = {};
  for (AudioUnitPropertyID id : settable)
  {
    const AudioUnitScope scope = id == kAudioUnitProperty_SetRenderCallback ? kAudioUnitScope_Input : 0;
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, AudioUnitSetProperty(unit, id, scope, 0, nullptr, 64)) << id;
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, AudioUnitSetProperty(unit, id, scope, 0, zeros, 3)) << id;
  }
  EXPECT_EQ(2 * (int)(sizeof(settable) / sizeof(settable[0])), calls);
  EXPECT_EQ(44100.0, plug->GetSampleRate());
  EXPECT_EQ(1024, plug->GetBlockSize());
  EXPECT_FALSE(plug->IsBypassed());
  EXPECT_EQ(values, plug->Values());
  EXPECT_EQ(IFxAU::eNotConnected, plug->GetInputBusConnection(0)->mInputType);
}

TEST(AUProperties, EditorDependentPropertiesAnswerOnlyWithAnEditor)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  AudioComponentDescription desc;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Get(unit, kAudioUnitProperty_GetUIComponentList, 0, 0, &desc));
  AudioUnitCocoaViewInfo cocoa;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Get(unit, kAudioUnitProperty_CocoaUI, 0, 0, &cocoa));

  plug->AttachGraphics(new AUTestGraphics(plug));
  ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_GetUIComponentList, 0, 0, &desc));
  EXPECT_EQ((OSType)kAudioUnitCarbonViewComponentType, desc.componentType);
  EXPECT_EQ(kTestSubtype, desc.componentSubType);
  EXPECT_EQ(kTestMfr, desc.componentManufacturer);
  EXPECT_EQ(0u, desc.componentFlags);
  // No bundle with the test's identifier is installed: no view to point at.
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Get(unit, kAudioUnitProperty_CocoaUI, 0, 0, &cocoa));
  Info info = GetInfo(unit, kAudioUnitProperty_CocoaUI, 0, 0);
  EXPECT_EQ(noErr, info.status);
  EXPECT_EQ(16u, info.size);
}

namespace
{
struct HostState
{
  Float64 beat = 0, tempo = 0, samplePos = 0, cycleStart = 0, cycleEnd = 0, downBeat = 0;
  Float32 num = 0;
  UInt32 denom = 0;
  Boolean playing = false, cycling = false;
};

OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo)
{
  const HostState* h = (const HostState*)user;
  EXPECT_EQ(0.0, *beat);
  EXPECT_EQ(0.0, *tempo);
  *beat = h->beat;
  *tempo = h->tempo;
  return noErr;
}

OSStatus MusicalTime(void* user, UInt32* delta, Float32* num, UInt32* denom, Float64* downBeat)
{
  const HostState* h = (const HostState*)user;
  *delta = 0;
  *num = h->num;
  *denom = h->denom;
  *downBeat = h->downBeat;
  return noErr;
}

OSStatus Transport(void* user, Boolean* playing, Boolean* changed, Float64* samplePos, Boolean* cycling,
                   Float64* cycleStart, Float64* cycleEnd)
{
  const HostState* h = (const HostState*)user;
  *playing = h->playing;
  *changed = false;
  *samplePos = h->samplePos;
  *cycling = h->cycling;
  *cycleStart = h->cycleStart;
  *cycleEnd = h->cycleEnd;
  return noErr;
}
}  // namespace

TEST(AUProperties, HostCallbacksForTempoPositionTimeSignatureAndTransport)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  EXPECT_EQ(120.0, plug->GetTempo());
  EXPECT_EQ(0, plug->GetSamplePos());
  int num = 3, denom = 8;
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(3, num);
  EXPECT_EQ(8, denom);

  HostState h;
  h.tempo = 98.5;
  h.beat = 16.25;
  h.samplePos = 44099.6;
  h.num = 7.9f;
  h.denom = 8;
  h.downBeat = 12;
  h.playing = true;
  h.cycling = true;
  h.cycleStart = 4;
  h.cycleEnd = 20;
  HostCallbackInfo cb = {&h, BeatAndTempo, MusicalTime, Transport};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, 0, cb));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_HostCallbacks, 0, 0, cb));
  EXPECT_EQ(98.5, plug->GetTempo());
  EXPECT_EQ(44100, plug->GetSamplePos());
  plug->GetTimeSig(&num, &denom);
  EXPECT_EQ(7, num);
  EXPECT_EQ(8, denom);

  ITimeInfo t;
  t.mSamplePos = -5;
  plug->GetTime(&t);
  EXPECT_EQ(98.5, t.mTempo);
  EXPECT_EQ(16.25, t.mPPQPos);
  EXPECT_EQ(44099.6, t.mSamplePos);
  EXPECT_EQ(4.0, t.mCycleStart);
  EXPECT_EQ(20.0, t.mCycleEnd);
  EXPECT_EQ(12.0, t.mLastBar);
  EXPECT_EQ(7, t.mNumerator);
  EXPECT_EQ(8, t.mDenominator);
  EXPECT_TRUE(t.mTransportIsRunning);
  EXPECT_TRUE(t.mTransportLoopEnabled);

  // Zero reports keep what was known before.
  h = HostState();
  EXPECT_EQ(98.5, plug->GetTempo());
  ITimeInfo keep;
  keep.mPPQPos = 3;
  keep.mSamplePos = 9;
  plug->GetTime(&keep);
  EXPECT_EQ(120.0, keep.mTempo);
  EXPECT_EQ(3.0, keep.mPPQPos);
  EXPECT_EQ(9.0, keep.mSamplePos);
  EXPECT_FALSE(keep.mTransportIsRunning);
  EXPECT_EQ(0, keep.mNumerator);

  HostCallbackInfo some = {&h, nullptr, nullptr, Transport};
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_HostCallbacks, 0, 0, some));
  EXPECT_EQ(98.5, plug->GetTempo());
}

TEST(AUProperties, HostIdentification)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  const int identified = plug->mHostIdentified;
  AUHostIdentifier id;
  id.hostName = CFSTR("Live");
  id.hostVersion.majorRev = 8;
  id.hostVersion.minorAndBugRev = 0x21;
  id.hostVersion.stage = 0;
  id.hostVersion.nonRelRev = 0;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_AUHostIdentifier, 0, 0, id));
  EXPECT_EQ(kHostAbletonLive, plug->GetHost());
  EXPECT_EQ(0x80201, plug->GetHostVersion(false));
  EXPECT_EQ(identified + 1, plug->mHostIdentified.load());
  id.hostName = nullptr;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_AUHostIdentifier, 0, 0, id));
  EXPECT_EQ(kHostUnknown, plug->GetHost());
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Get(unit, kAudioUnitProperty_AUHostIdentifier, 0, 0, &id));
}

TEST(AUProperties, EditsInTheEditorAreAnnouncedAsEvents)
{
  struct Seen
  {
    std::vector<AudioUnitEventType> types;
    std::vector<AudioUnitParameterID> ids;
    std::vector<float> values;
  } seen;
  TestUnit unit;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(noErr, AUEventListenerCreate(
                     [](void* ref, void*, const AudioUnitEvent* ev, UInt64, AudioUnitParameterValue v) {
                       Seen* s = (Seen*)ref;
                       s->types.push_back(ev->mEventType);
                       s->ids.push_back(ev->mArgument.mParameter.mParameterID);
                       s->values.push_back(v);
                     },
                     &seen, &listener));
  for (AudioUnitEventType type : {kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                  kAudioUnitEvent_EndParameterChangeGesture})
  {
    AudioUnitEvent ev;
    memset(&ev, 0, sizeof(ev));
    ev.mEventType = type;
    ev.mArgument.mParameter = {unit.Get(), kLevel, kAudioUnitScope_Global, 0};
    ASSERT_EQ(noErr, AUEventListenerAddEventType(listener, nullptr, &ev));
  }
  AUTestPlug* plug = unit.Plug();
  plug->BeginInformHostOfParamChange(kLevel);
  plug->SetParameterFromGUI(kLevel, 0.75);
  plug->EndInformHostOfParamChange(kLevel);
  ASSERT_EQ(3u, seen.types.size());
  EXPECT_EQ((AudioUnitEventType)kAudioUnitEvent_BeginParameterChangeGesture, seen.types[0]);
  EXPECT_EQ((AudioUnitEventType)kAudioUnitEvent_ParameterValueChange, seen.types[1]);
  EXPECT_EQ((AudioUnitEventType)kAudioUnitEvent_EndParameterChangeGesture, seen.types[2]);
  EXPECT_EQ((AudioUnitParameterID)kLevel, seen.ids[1]);
  EXPECT_FLOAT_EQ(0.75f, seen.values[1]);  // read back as the real value
  AUListenerDispose(listener);
}

// Every string and array handed over is new: a host that releases what it is
// given ends with as many live objects as it started with.
TEST(AUProperties, AHostThatReleasesWhatItIsGivenLeaksNothing)
{
  TestUnit unit;
  const long before = LiveCFObjects();
  for (int round = 0; round < 3; ++round)
  {
    for (int p = 0; p < kNumTestParams; ++p)
    {
      AudioUnitParameterInfo info;
      ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterInfo, 0, p, &info));
      CFRelease(info.cfNameString);
      if (info.unitName) CFRelease(info.unitName);
      CFArrayRef strings = nullptr;
      if (Get(unit, kAudioUnitProperty_ParameterValueStrings, 0, p, &strings) == noErr) CFRelease(strings);
      const float v = 0.5f;
      AudioUnitParameterStringFromValue sfv = {(UInt32)p, &v, nullptr};
      ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterStringFromValue, 0, 0, &sfv));
      CFRelease(sfv.outString);
      AudioUnitParameterIDName name = {(UInt32)p, 3, nullptr};
      ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterIDName, 0, 0, &name));
      CFRelease(name.outName);
    }
    AudioUnitParameterNameInfo clump = {1, -1, nullptr};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterClumpName, 0, 0, &clump));
    CFRelease(clump.outName);
    CFArrayRef presets = nullptr;
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_FactoryPresets, 0, 0, &presets));
    CFRelease(presets);
    AUPreset preset;
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_PresentPreset, 0, 0, &preset));
    CFRelease(preset.presetName);
    CFStringRef name = nullptr;
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 0, &name));
    CFRelease(name);
    CFPropertyListRef state = nullptr;
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state));
    ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_ClassInfo, 0, 0, state));
    CFRelease(state);
    CFStringRef text = CFStringCreateWithCString(nullptr, "Dirty", kCFStringEncodingUTF8);
    AudioUnitParameterValueFromString vfs = {kChannel, text, 0};
    ASSERT_EQ(noErr, Get(unit, kAudioUnitProperty_ParameterValueFromString, 0, 0, &vfs));
    CFRelease(text);
  }
  EXPECT_EQ(before, LiveCFObjects());
  EXPECT_EQ(0, OrvantaCFOverReleaseCount());
}
