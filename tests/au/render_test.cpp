// Rendering and buses: stream formats and their acceptance, render callbacks
// and connections to upstream units, the input pull, the output buffers, the
// maximum frame count, bypass and every refusal.

#include "AUTestPlug.h"
#include "plugin/AllocHooks.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <random>
#include <vector>

namespace
{
template <class T>
OSStatus Set(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, const T& v)
{
  return AudioUnitSetProperty(unit, id, scope, element, &v, sizeof(T));
}

// The host's side of an input: a constant per channel, counting its calls.
struct Source
{
  float value[2] = {0.5f, -0.25f};
  int calls = 0;
  OSStatus status = noErr;
  bool dropData = false;
  UInt32 lastFrames = 0;
};

OSStatus SourceCallback(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                        AudioBufferList* list)
{
  Source* src = (Source*)refCon;
  ++src->calls;
  src->lastFrames = nFrames;
  if (src->status != noErr) return src->status;
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
  {
    float* p = (float*)list->mBuffers[b].mData;
    for (UInt32 i = 0; i < nFrames; ++i) p[i] = src->value[b % 2];
    if (src->dropData) list->mBuffers[b].mData = nullptr;
  }
  return noErr;
}

void UseSource(AudioUnit unit, Source* src)
{
  AURenderCallbackStruct cb = {SourceCallback, src};
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb));
}

OSStatus Render(AudioUnit unit, double sampleTime, UInt32 nFrames, AudioBufferList* list, UInt32 bus = 0)
{
  AudioTimeStamp ts = SampleTime(sampleTime);
  AudioUnitRenderActionFlags flags = 0;
  return AudioUnitRender(unit, &flags, &ts, bus, nFrames, list);
}

bool AllEqual(const float* p, int n, float v)
{
  for (int i = 0; i < n; ++i)
    if (p[i] != v) return false;
  return true;
}
}  // namespace

TEST(AURender, BeforeAnyFormatOrCallbackTheUnitRendersSilenceIntoValidBuffers)
{
  TestUnit unit;
  TestBuffers out(2, 512);
  out.Fill(0, 9.0f);
  out.Fill(1, 9.0f);
  ASSERT_EQ(noErr, Render(unit, 0, 512, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 512, 0.0f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 512, 0.0f));
  EXPECT_EQ(1, unit.Plug()->mProcessCalls.load());
  EXPECT_TRUE(unit.Plug()->GetBus(kAudioUnitScope_Output, 0)->mConnected);
}

TEST(AURender, ACallbackFeedsTheInputAndAnUnsetOutputFormatCountsAsStereo)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kGain, 0, 0, 2.0f, 0));
  const IFxAU::InputBusConnection* conn = unit.Plug()->GetInputBusConnection(0);
  EXPECT_EQ(IFxAU::eRenderCallback, conn->mInputType);
  // No format: the input assumes its plug-in channel count.
  EXPECT_EQ(2, unit.Plug()->GetBus(kAudioUnitScope_Input, 0)->mNHostChannels);
  EXPECT_EQ(-1, unit.Plug()->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels);

  TestBuffers out(2, 64);
  ASSERT_EQ(noErr, Render(unit, 0, 64, out.List()));
  EXPECT_EQ(1, src.calls);
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 1.0f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 64, -0.5f));
}

TEST(AURender, InputsArePulledOncePerTimeStamp)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  TestBuffers out(2, 64);
  ASSERT_EQ(noErr, Render(unit, 0, 64, out.List()));
  ASSERT_EQ(noErr, Render(unit, 0, 64, out.List()));
  EXPECT_EQ(1, src.calls);
  src.value[0] = 0.125f;
  ASSERT_EQ(noErr, Render(unit, 64, 64, out.List()));
  EXPECT_EQ(2, src.calls);
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 0.125f));
  // The same time stamp with another frame count is a new pull, not a re-read.
  ASSERT_EQ(noErr, Render(unit, 64, 32, out.List()));
  EXPECT_EQ(3, src.calls);
  EXPECT_EQ(32u, src.lastFrames);
}

TEST(AURender, NullHostBuffersReceiveTheOutputScratch)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  TestBuffers out(2, 128, false);
  ASSERT_EQ(noErr, Render(unit, 0, 128, out.List()));
  AudioBufferList* list = out.List();
  ASSERT_NE(nullptr, list->mBuffers[0].mData);
  ASSERT_NE(nullptr, list->mBuffers[1].mData);
  EXPECT_NE(list->mBuffers[0].mData, list->mBuffers[1].mData);
  EXPECT_EQ(128u * 4, list->mBuffers[0].mDataByteSize);
  EXPECT_TRUE(AllEqual((float*)list->mBuffers[0].mData, 128, 0.5f));
  EXPECT_TRUE(AllEqual((float*)list->mBuffers[1].mData, 128, -0.25f));
}

TEST(AURender, BlockSizesUpToTheMaximumAndRefusalsBeyond)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  double t = 0;
  for (UInt32 n : {1u, 7u, 64u, 512u, 1024u, 0u})
  {
    TestBuffers out(2, (int)n);
    ASSERT_EQ(noErr, Render(unit, t, n, out.List())) << n;
    EXPECT_TRUE(AllEqual(out.Channel(0), (int)n, 0.5f)) << n;
    t += n;
  }
  TestBuffers big(2, 4096);
  big.Fill(0, 7.0f);
  const int calls = src.calls, notifies = unit.Plug()->mProcessCalls;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(unit, t, 1025, big.List()));
  EXPECT_TRUE(AllEqual(big.Channel(0), 4096, 7.0f));
  EXPECT_EQ(calls, src.calls);
  EXPECT_EQ(notifies, unit.Plug()->mProcessCalls.load());

  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, (UInt32)4096));
  ASSERT_EQ(noErr, Render(unit, t, 1025, big.List()));
  ASSERT_EQ(noErr, Render(unit, t + 1025, 4096, big.List()));
  EXPECT_TRUE(AllEqual(big.Channel(0), 4096, 0.5f));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(unit, t + 9000, 4097, big.List()));
}

TEST(AURender, RenderRefusalsLeaveEverythingAlone)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  TestBuffers out(2, 64);
  out.Fill(0, 3.0f);
  AudioTimeStamp ts = SampleTime(0);
  ts.mFlags = kAudioTimeStampHostTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, AudioUnitRender(unit, &flags, &ts, 0, 64, out.List()));
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(unit, 0, 64, out.List(), 1));
  // More buffers than the bus has channels.
  TestBuffers three(3, 64);
  three.Fill(2, 3.0f);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(unit, 0, 64, three.List()));
  EXPECT_TRUE(AllEqual(three.Channel(2), 64, 3.0f));
  // A buffer too small for the frames asked for.
  out.List()->mBuffers[1].mDataByteSize = 63 * 4;
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Render(unit, 0, 64, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 3.0f));
  EXPECT_EQ(0, src.calls);
  EXPECT_EQ(0, unit.Plug()->mProcessCalls.load());
}

TEST(AURender, AMaximumFrameCountThatCannotBeHeldIsRefused)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  for (UInt32 n : {0u, 300000000u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu})
  {
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, Set(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, n)) << n;
    EXPECT_EQ(1024, plug->GetBlockSize());
  }
  TestBuffers out(2, 1024);
  EXPECT_EQ(noErr, Render(unit, 0, 1024, out.List()));
}

// Memory that cannot be had is refused like a size that cannot be counted.
// Needs a real address-space limit, which sanitizer runtimes do not tolerate.
TEST(AURender, AMaximumFrameCountWhoseMemoryCannotBeHadIsRefused)
{
  if (kSanitized) GTEST_SKIP() << "address-space limits conflict with the sanitizer runtime";
  TestUnit unit;
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0)
  {
    rlimit lim;
    getrlimit(RLIMIT_AS, &lim);
    lim.rlim_cur = 1536ull << 20;
    setrlimit(RLIMIT_AS, &lim);
    const UInt32 n = 100000000;  // 800 MB per channel buffer
    const OSStatus r = Set(unit.Get(), kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, n);
    TestBuffers out(2, 1024);
    const OSStatus rendered = Render(unit.Get(), 0, 1024, out.List());
    _exit(r == kAudioUnitErr_InvalidPropertyValue && unit.Plug()->GetBlockSize() == 1024 && rendered == noErr ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST(AURender, RendersAfterTheMaximumFramesChangeUseTheNewBuffers)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  TestBuffers out(2, 4096, false);
  ASSERT_EQ(noErr, Render(unit, 0, 1024, out.List()));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, (UInt32)16));
  // Same time stamp as before: the inputs must be pulled into the new buffers.
  TestBuffers small(2, 16, false);
  ASSERT_EQ(noErr, Render(unit, 0, 16, small.List()));
  EXPECT_TRUE(AllEqual((float*)small.List()->mBuffers[1].mData, 16, -0.25f));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, (UInt32)8192));
  TestBuffers large(2, 8192, false);
  ASSERT_EQ(noErr, Render(unit, 16, 8192, large.List()));
  EXPECT_TRUE(AllEqual((float*)large.List()->mBuffers[0].mData, 8192, 0.5f));
  EXPECT_EQ(3, src.calls);
}

TEST(AURender, StreamFormatsAreAcceptedOnlyWhenLegalAndFloat)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  IFxAU::BusChannels* in = plug->GetBus(kAudioUnitScope_Input, 0);
  EXPECT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(44100, 2)));
  EXPECT_EQ(2, in->mNHostChannels);
  EXPECT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(44100, 2)));

  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(44100, 3)));
  EXPECT_EQ(0, in->mNHostChannels);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(44100, 0)));
  EXPECT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(44100, 1)));
  EXPECT_EQ(1, in->mNHostChannels);

  AudioStreamBasicDescription f = FloatFormat(44100, 2);
  f.mFormatID = FourCC("aac ");
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
  f = FloatFormat(44100, 2);
  f.mFormatFlags = kAudioFormatFlagIsNonInterleaved;  // neither float nor packed
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
  f = FloatFormat(44100, 2);
  f.mFormatFlags = kAudioFormatFlagIsSignedInteger | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
  f.mBitsPerChannel = 16;  // integer samples would be overrun with floats
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
  f = FloatFormat(44100, 2);
  f.mFormatFlags = kAudioFormatFlagsNativeFloatPacked;  // interleaved stereo
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
  EXPECT_EQ(0, in->mNHostChannels);
  f.mChannelsPerFrame = 1;  // interleaved mono is the same layout
  EXPECT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, f));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 1, FloatFormat(44100, 1)));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Group, 0, FloatFormat(44100, 1)));
}

// Catches a zero-channel input format passing because one configuration has
// no input: "0-1" makes zero input channels legal for the legality check, but
// a stream of no channels is no format at all.
TEST(AURender, AZeroChannelInputFormatIsRefusedBesideAZeroInputConfiguration)
{
  AUTestPlug plug(IFxInstanceInfo(), TestPlugConfig{"0-1 1-1", false, 0, 1});
  ASSERT_EQ(1, plug.NInBuses());
  AudioStreamBasicDescription none = FloatFormat(44100, 0);
  UInt32 size = sizeof(none);
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            plug.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &size, &none));
}

TEST(AURender, StreamFormatsReportHostOrPlugInChannels)
{
  TestUnit unit;
  AudioStreamBasicDescription f;
  UInt32 size = sizeof(f);
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &f, &size));
  EXPECT_EQ(44100.0, f.mSampleRate);
  EXPECT_EQ((UInt32)kAudioFormatLinearPCM, f.mFormatID);
  EXPECT_EQ(41u, f.mFormatFlags);
  EXPECT_EQ(2u, f.mChannelsPerFrame);
  EXPECT_EQ(4u, f.mBytesPerFrame);
  EXPECT_EQ(4u, f.mBytesPerPacket);
  EXPECT_EQ(1u, f.mFramesPerPacket);
  EXPECT_EQ(32u, f.mBitsPerChannel);
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(96000, 1)));
  ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, &size));
  EXPECT_EQ(1u, f.mChannelsPerFrame);
  EXPECT_EQ(96000.0, f.mSampleRate);

  AudioStreamBasicDescription il;
  IFxAU::MakeDefaultASBD(&il, 48000, 2, true);
  EXPECT_EQ(9u, il.mFormatFlags);
  EXPECT_EQ(8u, il.mBytesPerFrame);
  EXPECT_EQ(8u, il.mBytesPerPacket);
}

TEST(AURender, ASampleRateFromAStreamFormatRerunsReset)
{
  TestUnit unit;
  AUTestPlug* plug = unit.Plug();
  const int resets = plug->mResets;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(96000, 2)));
  EXPECT_EQ(resets + 1, plug->mResets.load());
  EXPECT_EQ(96000.0, plug->mResetSampleRate);
  // A refused format changes no rate.
  EXPECT_EQ(kAudioUnitErr_InvalidProperty,
            Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(22050, 5)));
  EXPECT_EQ(96000.0, plug->GetSampleRate());
}

TEST(AURender, AMonoOutputFormatLeavesExtraHostBuffersSilent)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(44100, 1)));
  TestBuffers out(2, 32);
  out.Fill(1, 5.0f);
  ASSERT_EQ(noErr, Render(unit, 0, 32, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 32, 0.5f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 32, 0.0f));
  // One buffer, then two again: the connections follow the host's list.
  TestBuffers one(1, 32);
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(44100, 2)));
  ASSERT_EQ(noErr, Render(unit, 32, 32, one.List()));
  EXPECT_FALSE(unit.Plug()->IsOutChannelConnected(1));
  ASSERT_EQ(noErr, Render(unit, 64, 32, out.List()));
  EXPECT_TRUE(unit.Plug()->IsOutChannelConnected(1));
  EXPECT_TRUE(AllEqual(out.Channel(1), 32, -0.25f));
}

TEST(AURender, PullErrorsAreReturnedAndStopTheRender)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  int notes = 0;
  ASSERT_EQ(noErr, AudioUnitAddRenderNotify(
                     unit,
                     [](void* ref, AudioUnitRenderActionFlags* f, const AudioTimeStamp*, UInt32, UInt32,
                        AudioBufferList*) -> OSStatus {
                       if (*f & kAudioUnitRenderAction_PostRender) ++*(int*)ref;
                       return noErr;
                     },
                     &notes));
  TestBuffers out(2, 64);
  src.status = -1234;
  EXPECT_EQ(-1234, Render(unit, 0, 64, out.List()));
  EXPECT_EQ(0, notes);
  EXPECT_EQ(0, unit.Plug()->mProcessCalls.load());
  // The failed time stamp is pulled again.
  src.status = noErr;
  EXPECT_EQ(noErr, Render(unit, 0, 64, out.List()));
  EXPECT_EQ(2, src.calls);
  EXPECT_EQ(1, notes);

  // Success reported without samples is a failed pull, not a read of null.
  src.dropData = true;
  EXPECT_EQ(kAudioUnitErr_NoConnection, Render(unit, 64, 64, out.List()));
  EXPECT_EQ(1, unit.Plug()->mProcessCalls.load());
}

TEST(AURender, InputsWiderThanTheLocalBufferListAreRefused)
{
  AUTestPlug plug(IFxInstanceInfo(), TestPlugConfig{"129-2 200-2", false, 0, 1});
  AudioStreamBasicDescription wide = FloatFormat(44100, 129);
  UInt32 size = sizeof(wide);
  ASSERT_EQ(noErr, plug.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &size, &wide));
  Source src;
  AURenderCallbackStruct cb = {SourceCallback, &src};
  size = sizeof(cb);
  ASSERT_EQ(noErr, plug.SetProperty(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &size, &cb));
  TestBuffers out(2, 64);
  AudioTimeStamp ts = SampleTime(0);
  EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, IFxAU::RenderProc(&plug, nullptr, &ts, 0, 64, out.List()));
  EXPECT_EQ(0, src.calls);
  wide.mChannelsPerFrame = 128;
  size = sizeof(wide);
  ASSERT_EQ(kAudioUnitErr_InvalidProperty,
            plug.SetProperty(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &size, &wide));
}

TEST(AURender, BypassPassesTheInputThrough)
{
  TestUnit unit;
  Source src;
  UseSource(unit, &src);
  ASSERT_EQ(noErr, AudioUnitSetParameter(unit, kMute, 0, 0, 1.0f, 0));
  TestBuffers out(2, 64);
  ASSERT_EQ(noErr, Render(unit, 0, 64, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 0.0f));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)1));
  ASSERT_EQ(noErr, Render(unit, 64, 64, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 0.5f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 64, -0.25f));
  EXPECT_EQ(1, unit.Plug()->mProcessCalls.load());
  // Mono input while bypassed: the second output has no input to copy and is silent.
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(44100, 1)));
  ASSERT_EQ(noErr, Render(unit, 128, 64, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 0.5f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 64, 0.0f));
}

TEST(AURender, EntryAndFastDispatchRenderAlike)
{
  TestUnit a, b;
  Source srcA, srcB;
  UseSource(a, &srcA);
  UseSource(b, &srcB);
  AudioUnitRenderProc proc = nullptr;
  UInt32 size = sizeof(proc);
  ASSERT_EQ(noErr, AudioUnitGetProperty(b, kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &proc, &size));
  TestBuffers outA(2, 100), outB(2, 100);
  ASSERT_EQ(noErr, Render(a, 0, 100, outA.List()));
  AudioTimeStamp ts = SampleTime(0);
  ASSERT_EQ(noErr, proc(b.Plug(), nullptr, &ts, 0, 100, outB.List()));
  for (int c = 0; c < 2; ++c) EXPECT_EQ(0, memcmp(outA.Channel(c), outB.Channel(c), 400));
}

TEST(AURender, EveryRateChannelCountAndBlockSizeGivesFiniteOutput)
{
  std::mt19937 rng(7);
  for (Float64 sr : {44100.0, 48000.0, 96000.0, 192000.0})
    for (int nIn : {1, 2})
      for (bool bypass : {false, true})
      {
        TestUnit unit;
        Source src;
        UseSource(unit, &src);
        ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, FloatFormat(sr, nIn)));
        ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(sr, nIn)));
        ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_BypassEffect, 0, 0, (UInt32)bypass));
        ASSERT_EQ(noErr, AudioUnitInitialize(unit));
        double t = 0;
        for (int i = 0; i < 40; ++i)
        {
          const UInt32 n = std::uniform_int_distribution<UInt32>(0, 1024)(rng);
          TestBuffers out(nIn, (int)n);
          ASSERT_EQ(noErr, Render(unit, t, n, out.List()));
          for (int c = 0; c < nIn; ++c)
            for (UInt32 s = 0; s < n; ++s) ASSERT_TRUE(std::isfinite(out.Channel(c)[s]));
          t += n;
        }
        EXPECT_FALSE(unit.Plug()->mNonFinite);
      }
}

namespace
{
// An upstream unit of another kind: it offers no fast render function, hands
// back its own buffers, and can be told to fail.
struct Upstream
{
  float data[2][4096];
  OSStatus status = noErr;
  bool giveNull = false;
  int renders = 0;
};
Upstream gUpstream;

long Word(const ComponentParameters* p, int i)
{
  long w;
  memcpy(&w, (const char*)p + offsetof(ComponentParameters, params) + 8 * (size_t)i, sizeof(w));
  return w;
}

ComponentResult UpstreamEntry(ComponentParameters* p, Handle)
{
  auto word = [&](int i) { return Word(p, i); };
  switch (p->what)
  {
    case kComponentOpenSelect:
    case kComponentCloseSelect:
      return noErr;
    case kAudioUnitGetPropertySelect:
    {
      if ((UInt32)word(1) != kAudioUnitProperty_StreamFormat) return kAudioUnitErr_InvalidProperty;
      AudioStreamBasicDescription f = FloatFormat(48000, 2);
      memcpy((void*)word(4), &f, sizeof(f));
      *(UInt32*)word(5) = sizeof(f);
      return noErr;
    }
    case kAudioUnitRenderSelect:
    {
      ++gUpstream.renders;
      if (gUpstream.status != noErr) return gUpstream.status;
      AudioBufferList* list = (AudioBufferList*)word(5);
      const UInt32 n = (UInt32)word(4);
      for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
      {
        for (UInt32 i = 0; i < n; ++i) gUpstream.data[b][i] = 0.75f - 0.5f * b;
        list->mBuffers[b].mData = gUpstream.giveNull ? nullptr : gUpstream.data[b];
        list->mBuffers[b].mDataByteSize = n * 4;
      }
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

AudioUnit OpenUpstream()
{
  static Component comp = [] {
    ComponentDescription d = {kAudioUnitType_Generator, FourCC("upst"), FourCC("Test"), 0, 0};
    return RegisterComponent(&d, UpstreamEntry, 0, nullptr, nullptr, nullptr);
  }();
  ComponentInstance ci = nullptr;
  EXPECT_EQ(noErr, OpenAComponent(comp, &ci));
  return (AudioUnit)ci;
}
}  // namespace

TEST(AURender, AConnectedUnitWithAFastRenderFunctionIsPulledDirectly)
{
  TestUnit up, down;
  Source src;
  UseSource(up, &src);
  ASSERT_EQ(noErr, AudioUnitSetParameter(up, kGain, 0, 0, 0.5f, 0));
  ASSERT_EQ(noErr, AudioUnitSetParameter(down, kGain, 0, 0, 2.0f, 0));
  ASSERT_EQ(noErr, Set(up, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, FloatFormat(48000, 2)));
  AudioUnitConnection conn = {up.Get(), 0, 0};
  ASSERT_EQ(noErr, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn));
  const IFxAU::InputBusConnection* c = down.Plug()->GetInputBusConnection(0);
  EXPECT_EQ(IFxAU::eDirectFastProc, c->mInputType);
  EXPECT_EQ((void*)up.Plug(), c->mUpstreamObj);
  EXPECT_EQ(48000.0, down.Plug()->GetSampleRate());

  TestBuffers out(2, 256);
  ASSERT_EQ(noErr, Render(down, 0, 256, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 256, 0.5f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 256, -0.25f));
  EXPECT_EQ(1, up.Plug()->mProcessCalls.load());

  // A connection with no source disconnects.
  conn.sourceAudioUnit = nullptr;
  ASSERT_EQ(noErr, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Global, 0, conn));
  EXPECT_EQ(IFxAU::eNotConnected, c->mInputType);
  conn.destInputNumber = 1;
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(down, kAudioUnitProperty_MakeConnection, 0, 0, conn));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0, conn));
}

TEST(AURender, AConnectedUnitWithoutAFastRenderFunctionIsRenderedThroughThePlatform)
{
  TestUnit down;
  AudioUnit up = OpenUpstream();
  gUpstream = Upstream();
  AudioUnitConnection conn = {up, 0, 0};
  ASSERT_EQ(noErr, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn));
  EXPECT_EQ(IFxAU::eDirectNoFastProc, down.Plug()->GetInputBusConnection(0)->mInputType);
  TestBuffers out(2, 64);
  ASSERT_EQ(noErr, Render(down, 0, 64, out.List()));
  EXPECT_TRUE(AllEqual(out.Channel(0), 64, 0.75f));
  EXPECT_TRUE(AllEqual(out.Channel(1), 64, 0.25f));

  gUpstream.giveNull = true;
  EXPECT_EQ(kAudioUnitErr_NoConnection, Render(down, 64, 64, out.List()));
  gUpstream.giveNull = false;
  gUpstream.status = -50;
  EXPECT_EQ(-50, Render(down, 64, 64, out.List()));
  CloseComponent((ComponentInstance)up);
}

TEST(AURender, AConnectionWhoseFormatIsRefusedLeavesTheInputDisconnected)
{
  TestUnit up, down;
  // The upstream unit reports three channels, which this unit cannot take.
  AUTestPlug* upPlug = up.Plug();
  upPlug->GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 3;
  AudioUnitConnection conn = {up.Get(), 0, 0};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn));
  const IFxAU::InputBusConnection* c = down.Plug()->GetInputBusConnection(0);
  EXPECT_EQ(IFxAU::eNotConnected, c->mInputType);
  EXPECT_EQ(nullptr, c->mUpstreamUnit);
  conn.sourceOutputNumber = 4;  // no such bus upstream
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(down, kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, 0, conn));
}

TEST(AURender, RenderCallbacksAreSetOnInputBusesOnly)
{
  TestUnit unit;
  Source src;
  AURenderCallbackStruct cb = {SourceCallback, &src};
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Global, 0, cb));
  EXPECT_EQ(kAudioUnitErr_InvalidProperty, Set(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, cb));
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb));
  cb.inputProc = nullptr;
  ASSERT_EQ(noErr, Set(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, cb));
  EXPECT_EQ(IFxAU::eNotConnected, unit.Plug()->GetInputBusConnection(0)->mInputType);
  EXPECT_FALSE(unit.Plug()->GetBus(kAudioUnitScope_Input, 0)->mConnected);
  EXPECT_FALSE(unit.Plug()->IsInChannelConnected(0));
}

TEST(AURender, LegalityOfChannelCounts)
{
  AUTestPlug plug{IFxInstanceInfo()};
  EXPECT_TRUE(plug.CheckLegalIO());
  KIT_PtrList<IFxAU::BusChannels> none;
  EXPECT_EQ(-1, IFxAU::NHostChannelsConnected(&none, -1));
  EXPECT_TRUE(plug.CheckLegalIO(kAudioUnitScope_Input, 0, 1));
  EXPECT_TRUE(plug.CheckLegalIO(kAudioUnitScope_Output, 0, 2));
  EXPECT_FALSE(plug.CheckLegalIO(kAudioUnitScope_Input, 0, 3));
  plug.GetBus(kAudioUnitScope_Input, 0)->mNHostChannels = 1;
  plug.GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 2;
  EXPECT_FALSE(plug.CheckLegalIO());
  plug.GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 1;
  EXPECT_TRUE(plug.CheckLegalIO());
  plug.GetBus(kAudioUnitScope_Input, 0)->mNHostChannels = 0;
  plug.GetBus(kAudioUnitScope_Output, 0)->mNHostChannels = 0;
  EXPECT_TRUE(plug.CheckLegalIO());  // nothing at all on either side
}
