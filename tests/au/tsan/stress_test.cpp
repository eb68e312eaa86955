// One thread renders while another changes parameters, presets, state and
// formats through the host API. Run under ThreadSanitizer (`make tsan`): no
// data race, no crash, every block finite.

#include "AUTestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace
{
OSStatus Input(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp* ts, UInt32, UInt32 nFrames,
               AudioBufferList* list)
{
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    for (UInt32 i = 0; i < nFrames; ++i)
      ((float*)list->mBuffers[b].mData)[i] = (float)std::sin(0.01 * (ts->mSampleTime + i));
  return noErr;
}
}  // namespace

TEST(AUStress, RenderingWhileAnotherThreadChangesEverything)
{
  TestUnit unit;
  AURenderCallbackStruct cb = {Input, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                        sizeof(cb)));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  AudioUnitRenderProc fastRender = nullptr;
  UInt32 size = sizeof(fastRender);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect,
                                        &fastRender, &size));
  AUTestPlug* plug = unit.Plug();

  std::atomic<bool> stop{false};
  std::atomic<int> blocks{0}, failures{0};
  std::thread renderer([&] {
    std::mt19937 rng(1);
    double t = 0;
    while (!stop)
    {
      const UInt32 n = std::uniform_int_distribution<UInt32>(1, 512)(rng);
      // Every third block lets the unit supply the buffers; those belong to
      // the unit once the call returns, so only the host's own are checked.
      const bool hostBuffers = (blocks % 3) != 0;
      TestBuffers out(2, (int)n, hostBuffers);
      AudioTimeStamp ts = SampleTime(t);
      AudioUnitRenderActionFlags flags = 0;
      const OSStatus r = (blocks % 2) ? AudioUnitRender(unit, &flags, &ts, 0, n, out.List())
                                      : fastRender(plug, &flags, &ts, 0, n, out.List());
      if (r == noErr && hostBuffers)
      {
        for (int c = 0; c < 2; ++c)
          for (UInt32 i = 0; i < n; ++i)
            if (!std::isfinite(((float*)out.List()->mBuffers[c].mData)[i])) ++failures;
      }
      else if (r != noErr && r != kAudioUnitErr_InvalidPropertyValue)  // only a block above a lowered maximum may be refused
      {
        ++failures;
      }
      t += n;
      ++blocks;
    }
  });

  std::mt19937 rng(2);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  int round = 0;
  while (std::chrono::steady_clock::now() < end)
  {
    ++round;
    const AudioUnitParameterID p = (AudioUnitParameterID)(round % kNumTestParams);
    AudioUnitSetParameter(unit, p, 0, 0, std::uniform_real_distribution<float>(-1, 3)(rng), 0);
    AUPreset preset = {round % 3, nullptr};
    AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, 0, 0, &preset, sizeof(preset));
    CFPropertyListRef state = nullptr;
    size = sizeof(state);
    if (AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state, &size) == noErr)
    {
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &state, sizeof(state));
      CFRelease(state);
    }
    const UInt32 bypass = round % 5 == 0;
    AudioUnitSetProperty(unit, kAudioUnitProperty_BypassEffect, 0, 0, &bypass, sizeof(bypass));
    const UInt32 frames = round % 7 == 0 ? 256 : 1024;
    AudioUnitSetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, sizeof(frames));
    const Float64 sr = round % 2 ? 48000 : 44100;
    AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, 0, 0, &sr, sizeof(sr));
    AudioUnitReset(unit, 0, 0);
    AudioUnitParameterValue v;
    AudioUnitGetParameter(unit, p, 0, 0, &v);
    std::this_thread::yield();
  }
  stop = true;
  renderer.join();
  EXPECT_GT(blocks.load(), 100);
  EXPECT_GT(round, 100);
  EXPECT_EQ(0, failures.load());
  EXPECT_EQ(0, plug->mUnlockedCalls.load());
  EXPECT_FALSE(plug->mNonFinite);
}
