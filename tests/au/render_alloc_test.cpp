// The render path allocates nothing: every allocation in the process is
// counted while blocks are rendered through the host API and fast dispatch.

#include "AUTestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define COUNT_ALLOCATIONS 1
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace
{
std::atomic<bool> gCounting{false};
std::atomic<long> gAllocations{0};
}  // namespace

extern "C" void* malloc(size_t n)
{
  if (gCounting) ++gAllocations;
  return __libc_malloc(n);
}

extern "C" void* calloc(size_t n, size_t m)
{
  if (gCounting) ++gAllocations;
  return __libc_calloc(n, m);
}

extern "C" void* realloc(void* p, size_t n)
{
  if (gCounting) ++gAllocations;
  return __libc_realloc(p, n);
}
#endif

namespace
{
OSStatus Input(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames, AudioBufferList* list)
{
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    for (UInt32 i = 0; i < nFrames; ++i) ((float*)list->mBuffers[b].mData)[i] = 0.25f;
  return noErr;
}

OSStatus Notify(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  return noErr;
}
}  // namespace

TEST(AURenderAllocations, RenderingAllocatesNothing)
{
#ifndef COUNT_ALLOCATIONS
  GTEST_SKIP() << "the sanitizer runtime owns malloc";
#else
  TestUnit unit;
  AURenderCallbackStruct cb = {Input, nullptr};
  ASSERT_EQ(noErr, AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                        sizeof(cb)));
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(unit, Notify, nullptr));
  ASSERT_EQ(noErr, AudioUnitInitialize(unit));
  AudioUnitRenderProc fastRender = nullptr;
  UInt32 size = sizeof(fastRender);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect,
                                        &fastRender, &size));
  TestBuffers out(2, 512), scratchOut(2, 512, false);
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp ts = SampleTime(0);
  ASSERT_EQ(noErr, AudioUnitRender(unit, &flags, &ts, 0, 512, out.List()));  // first call may set things up

  gCounting = true;
  for (int i = 1; i <= 100; ++i)
  {
    ts.mSampleTime = 512.0 * i;
    AudioUnitRender(unit, &flags, &ts, 0, 512, out.List());
    fastRender(unit.Plug(), &flags, &ts, 0, 512, scratchOut.List());
    AudioUnitParameterValue v;
    AudioUnitGetParameter(unit, kGain, 0, 0, &v);
    AudioUnitSetParameter(unit, kGain, 0, 0, 0.5f, 0);
  }
  gCounting = false;
  EXPECT_EQ(0, gAllocations.load());
  EXPECT_FLOAT_EQ(0.125f, out.Channel(0)[0]);

  // The counter does see what the property calls allocate.
  gCounting = true;
  CFArrayRef presets = nullptr;
  size = sizeof(presets);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, 0, 0, &presets, &size));
  gCounting = false;
  CFRelease(presets);
  EXPECT_GT(gAllocations.load(), 0);
#endif
}
