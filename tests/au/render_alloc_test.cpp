// The render path allocates nothing: every allocation in the process is
// counted while blocks are rendered through the host API and fast dispatch.

#include "AUTestPlug.h"
#include "plugin/AllocHooks.h"

#include <gtest/gtest.h>

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
  if (!kHooked) GTEST_SKIP() << "the sanitizer runtime owns malloc";
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

  const long before = gAllocs.load();
  for (int i = 1; i <= 100; ++i)
  {
    ts.mSampleTime = 512.0 * i;
    AudioUnitRender(unit, &flags, &ts, 0, 512, out.List());
    fastRender(unit.Plug(), &flags, &ts, 0, 512, scratchOut.List());
    AudioUnitParameterValue v;
    AudioUnitGetParameter(unit, kGain, 0, 0, &v);
    AudioUnitSetParameter(unit, kGain, 0, 0, 0.5f, 0);
  }
  EXPECT_EQ(before, gAllocs.load());
  EXPECT_FLOAT_EQ(0.125f, out.Channel(0)[0]);

  // The counter does see what the property calls allocate.
  const long beforeProperty = gAllocs.load();
  CFArrayRef presets = nullptr;
  size = sizeof(presets);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_FactoryPresets, 0, 0, &presets, &size));
  EXPECT_GT(gAllocs.load(), beforeProperty);
  CFRelease(presets);
}
