// The built Orvanta.component loaded in-process through the platform's host
// API, found by AUDIO_COMPONENT_PATH discovery, and driven as a host drives it.

#include "HostTestSupport.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

using namespace hosttest;

namespace {

constexpr OSType Code(const char (&s)[5])
{
  return ((OSType)(unsigned char)s[0] << 24) | ((OSType)(unsigned char)s[1] << 16) |
         ((OSType)(unsigned char)s[2] << 8) | (OSType)(unsigned char)s[3];
}

constexpr UInt32 kFrames = 256;

struct Input
{
  double phase = 0;
};

// Input callback, called by the unit from inside AudioUnitRender on the test's thread; no locks, no allocation.
OSStatus Sine(void* ref, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames, AudioBufferList* io)
{
  Input* in = (Input*)ref;
  for (UInt32 i = 0; i < frames; ++i)
  {
    const float v = (float)(0.3 * std::sin(in->phase));
    in->phase += 2 * M_PI * 220.0 / 48000.0;
    for (UInt32 b = 0; b < io->mNumberBuffers; ++b) ((float*)io->mBuffers[b].mData)[i] = v;
  }
  return noErr;
}

AudioStreamBasicDescription Format(UInt32 channels)
{
  AudioStreamBasicDescription f{};
  f.mSampleRate = 48000;
  f.mFormatID = kAudioFormatLinearPCM;
  f.mFormatFlags = (UInt32)kAudioFormatFlagIsFloat | (UInt32)kAudioFormatFlagIsPacked | (UInt32)kAudioFormatFlagIsNonInterleaved;
  f.mBytesPerPacket = f.mBytesPerFrame = 4;
  f.mFramesPerPacket = 1;
  f.mChannelsPerFrame = channels;
  f.mBitsPerChannel = 32;
  return f;
}

class ComponentTest : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { UseBuiltComponent(); }

  void SetUp() override
  {
    AudioComponentDescription desc{kAudioUnitType_Effect, Code("orv5"), Code("Zrnt"), 0, 0};
    comp = AudioComponentFindNext(nullptr, &desc);
    ASSERT_NE(comp, nullptr) << "Orvanta.component not found in " << BuildDir();
    ASSERT_EQ(AudioComponentInstanceNew(comp, &unit), noErr);
    ASSERT_NE(unit, nullptr);
  }

  void TearDown() override
  {
    if (unit)
    {
      EXPECT_EQ(AudioComponentInstanceDispose(unit), noErr);
    }
  }

  void Prepare()
  {
    AudioStreamBasicDescription f = Format(2);
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, sizeof(f)), noErr);
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &f, sizeof(f)), noErr);
    UInt32 maxFrames = kFrames;
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0, &maxFrames,
                                   sizeof(maxFrames)),
              noErr);
    AURenderCallbackStruct cb{Sine, &input};
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb)), noErr);
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  }

  // One block; returns its peak and checks it is finite and equal on both channels.
  float RenderBlock()
  {
    std::vector<float> left(kFrames), right(kFrames);
    std::vector<unsigned char> storage(offsetof(AudioBufferList, mBuffers) + 2 * sizeof(AudioBuffer));
    AudioBufferList* abl = (AudioBufferList*)storage.data();
    abl->mNumberBuffers = 2;
    abl->mBuffers[0] = AudioBuffer{1, kFrames * 4, left.data()};
    abl->mBuffers[1] = AudioBuffer{1, kFrames * 4, right.data()};
    AudioTimeStamp ts{};
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    ts.mSampleTime = sampleTime;
    sampleTime += kFrames;
    AudioUnitRenderActionFlags flags = 0;
    EXPECT_EQ(AudioUnitRender(unit, &flags, &ts, 0, kFrames, abl), noErr);
    float peak = 0;
    for (UInt32 i = 0; i < kFrames; ++i)
    {
      EXPECT_TRUE(std::isfinite(left[i]));
      EXPECT_EQ(left[i], right[i]);
      peak = std::max(peak, std::fabs(left[i]));
    }
    return peak;
  }

  std::vector<float> Parameters()
  {
    std::vector<float> v(5);
    for (AudioUnitParameterID id = 0; id < 5; ++id)
      EXPECT_EQ(AudioUnitGetParameter(unit, id, kAudioUnitScope_Global, 0, &v[id]), noErr);
    return v;
  }

  void SetParameters(const std::vector<float>& v)
  {
    for (AudioUnitParameterID id = 0; id < v.size(); ++id)
      ASSERT_EQ(AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, v[id], 0), noErr);
  }

  AudioComponent comp = nullptr;
  AudioUnit unit = nullptr;
  Input input;
  double sampleTime = 0;
};

}  // namespace

TEST_F(ComponentTest, DiscoveredWithItsIdentity)
{
  UInt32 version = 0;
  ASSERT_EQ(AudioComponentGetVersion(comp, &version), noErr);
  EXPECT_EQ(version, 0x10300u);
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(comp, &name), noErr);
  char text[128] = {};
  CFStringGetCString(name, text, sizeof(text), kCFStringEncodingUTF8);
  CFRelease(name);
  EXPECT_NE(std::string(text).find("Orvanta"), std::string::npos) << text;
}

TEST_F(ComponentTest, QueriesAnswerAsAHostExpects)
{
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, &size, &writable), noErr);
  EXPECT_EQ(size, 5 * sizeof(AudioUnitParameterID));
  const char* names[] = {"Level", "Drive", "Low", "High", "Channel"};
  for (AudioUnitParameterID id = 0; id < 5; ++id)
  {
    AudioUnitParameterInfo info{};
    size = sizeof(info);
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, id, &info, &size), noErr);
    EXPECT_STREQ(info.name, names[id]);
    EXPECT_EQ(info.minValue, 0.0f);
    EXPECT_EQ(info.maxValue, 1.0f);
    EXPECT_EQ(info.unit, id == 4 ? kAudioUnitParameterUnit_Indexed : kAudioUnitParameterUnit_Generic);
    if (info.flags & kAudioUnitParameterFlag_CFNameRelease) CFRelease(info.cfNameString);
  }
  CFArrayRef values = nullptr;
  size = sizeof(values);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, 4, &values, &size), noErr);
  ASSERT_EQ(CFArrayGetCount(values), 2);
  CFRelease(values);

  CFArrayRef presets = nullptr;
  size = sizeof(presets);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, 0, &presets, &size), noErr);
  ASSERT_GE(CFArrayGetCount(presets), 2);
  const AUPreset* clean = (const AUPreset*)CFArrayGetValueAtIndex(presets, 1);
  char text[32] = {};
  CFStringGetCString(clean->presetName, text, sizeof(text), kCFStringEncodingUTF8);
  EXPECT_STREQ(text, "Clean");
  CFRelease(presets);

  AUChannelInfo configs[4];
  size = sizeof(configs);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 0, configs, &size), noErr);
  ASSERT_EQ(size, 2 * sizeof(AUChannelInfo));
  EXPECT_EQ(configs[0].inChannels, 1);
  EXPECT_EQ(configs[1].outChannels, 2);
  Float64 latency = -1, tail = -1;
  size = sizeof(Float64);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency, &size), noErr);
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_TailTime, kAudioUnitScope_Global, 0, &tail, &size), noErr);
  EXPECT_EQ(latency, 0.0);
  EXPECT_EQ(tail, 0.0);
}

TEST_F(ComponentTest, RendersAndKeepsParametersThroughResetAndReinitialisation)
{
  Prepare();
  EXPECT_GT(RenderBlock(), 1e-3f);

  const std::vector<float> chosen = {0.3f, 0.7f, 0.2f, 0.9f, 0.0f};
  SetParameters(chosen);
  EXPECT_EQ(Parameters(), chosen);
  EXPECT_GT(RenderBlock(), 1e-4f);

  EXPECT_EQ(AudioUnitReset(unit, kAudioUnitScope_Global, 0), noErr);
  EXPECT_EQ(Parameters(), chosen);
  EXPECT_GT(RenderBlock(), 1e-4f);

  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  EXPECT_EQ(Parameters(), chosen);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  EXPECT_EQ(Parameters(), chosen);
  EXPECT_GT(RenderBlock(), 1e-4f);

}

TEST_F(ComponentTest, PresetAndStateRoundTripThroughProperties)
{
  AUPreset clean{1, nullptr};
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &clean, sizeof(clean)), noErr);
  EXPECT_EQ(Parameters(), (std::vector<float>{0.5f, 0.1f, 0.5f, 0.5f, 0.0f}));

  SetParameters({0.25f, 0.75f, 0.125f, 0.875f, 1.0f});
  CFPropertyListRef state = nullptr;
  UInt32 size = sizeof(state);
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size), noErr);
  ASSERT_NE(state, nullptr);
  SetParameters({1.0f, 0.0f, 1.0f, 0.0f, 0.0f});
  ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof(state)), noErr);
  CFRelease(state);
  EXPECT_EQ(Parameters(), (std::vector<float>{0.25f, 0.75f, 0.125f, 0.875f, 1.0f}));
}
