// The built Orvanta.component, loaded the way a host loads it: found through
// AUDIO_COMPONENT_PATH, opened and rendered only through the host API. Each
// test runs in its own process (CTest), so every test's first instance starts
// the bundle's noise generator from its seed.
#include "effect/OrvantaChain.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

std::string buildDir() {
  const char* dir = std::getenv("ORVANTA_BUILD_DIR");
  return dir ? dir : ORVANTA_TEST_BUILD_DIR;
}

// The component scan runs once per process, on the first platform call.
const bool kPathSet = [] {
  setenv("AUDIO_COMPONENT_PATH", buildDir().c_str(), 1);
  return true;
}();

const AudioComponentDescription kDesc = {kAudioUnitType_Effect, 0x6f727635 /* orv5 */, 0x5a726e74 /* Zrnt */, 0, 0};

struct Source {
  std::vector<float> signal;
  UInt32 pos = 0;
};

double sourceSample(const Source& s, UInt32 frame, UInt32 channel) {
  return channel == 0 ? s.signal[frame] : 0.5f * s.signal[frame];
}

OSStatus pullInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                   AudioBufferList* data) {
  auto* s = static_cast<Source*>(refCon);
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    auto* out = static_cast<float*>(data->mBuffers[b].mData);
    for (UInt32 i = 0; i < nFrames; ++i) out[i] = static_cast<float>(sourceSample(*s, s->pos + i, b));
  }
  return noErr;
}

struct Unit {
  AudioUnit unit = nullptr;
  Source source;
  UInt32 inChannels = 0, outChannels = 0;
  double sampleTime = 0;

  void open() {
    AudioComponent comp = AudioComponentFindNext(nullptr, &kDesc);
    ASSERT_NE(comp, nullptr) << "Orvanta.component not found in " << buildDir();
    ASSERT_EQ(AudioComponentInstanceNew(comp, &unit), noErr);
    AURenderCallbackStruct cb = {pullInput, &source};
    ASSERT_EQ(AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb,
                                   sizeof cb),
              noErr);
  }

  void initialize() {
    ASSERT_EQ(AudioUnitInitialize(unit), noErr);
    AudioStreamBasicDescription fmt = {};
    UInt32 size = sizeof fmt;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &fmt, &size),
              noErr);
    inChannels = fmt.mChannelsPerFrame;
    size = sizeof fmt;
    ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &fmt, &size),
              noErr);
    outChannels = fmt.mChannelsPerFrame;
  }

  // Renders n frames; returns one vector per output channel.
  std::vector<std::vector<float>> render(UInt32 n) {
    std::vector<std::vector<float>> out(outChannels, std::vector<float>(n));
    std::vector<unsigned char> mem(sizeof(AudioBufferList) + outChannels * sizeof(AudioBuffer));
    auto* list = reinterpret_cast<AudioBufferList*>(mem.data());
    list->mNumberBuffers = outChannels;
    for (UInt32 c = 0; c < outChannels; ++c)
      list->mBuffers[c] = {1, static_cast<UInt32>(n * sizeof(float)), out[c].data()};
    AudioTimeStamp ts = {};
    ts.mSampleTime = sampleTime;
    ts.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    EXPECT_EQ(AudioUnitRender(unit, &flags, &ts, 0, n, list), noErr);
    sampleTime += n;
    source.pos += n;
    return out;
  }

  ~Unit() {
    if (unit) {
      AudioUnitUninitialize(unit);
      AudioComponentInstanceDispose(unit);
    }
  }
};

std::vector<float> guitar(int n) {
  std::vector<float> v(n);
  for (int i = 0; i < n; ++i) v[i] = static_cast<float>(0.4 * std::sin(0.029 * i) * std::exp(-(i % 7000) / 2500.0));
  return v;
}

TEST(Bundle, ExportsOnlyTheEntryPoints) {
  const std::string exe = buildDir() + "/Orvanta.component/Contents/MacOS/Orvanta";
  void* h = dlopen(exe.c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(h, nullptr) << dlerror();
  EXPECT_NE(dlsym(h, "Orvanta_Entry"), nullptr);
  EXPECT_NE(dlsym(h, "Orvanta_ViewEntry"), nullptr);
  for (const char* hidden : {"_Z8MakePlugv", "_ZN12OrvantaChain4InitEddd", "_ZN5IFxAU10IFxAUEntryEP19ComponentParametersPv",
                             "_ZN12OrvantaNoise11_rand_stateE"})
    EXPECT_EQ(dlsym(h, hidden), nullptr) << hidden;
  // Not unloaded: the drawing layer inside keeps a few objects for the life of
  // the process (late destructors still use them), as the component loader
  // never unloads a bundle either.
}

TEST(Bundle, RegistersWithItsDescription) {
  AudioComponent comp = AudioComponentFindNext(nullptr, &kDesc);
  ASSERT_NE(comp, nullptr);
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(comp, &name), noErr);
  char text[64] = {};
  CFStringGetCString(name, text, sizeof text, kCFStringEncodingUTF8);
  CFRelease(name);
  EXPECT_STREQ(text, "zerrantic: Orvanta");
  UInt32 version = 0;
  ASSERT_EQ(AudioComponentGetVersion(comp, &version), noErr);
  EXPECT_EQ(version, 66304u);
}

// Rendered through the host API, the audio is the chain's own output for the
// same input, converted to float.
TEST(Bundle, RendersTheChainThroughTheHostApi) {
  Unit u;
  u.source.signal = guitar(8192);
  ASSERT_NO_FATAL_FAILURE(u.open());
  ASSERT_NO_FATAL_FAILURE(u.initialize());
  ASSERT_GE(u.outChannels, 1u);

  auto chain = std::make_unique<OrvantaChain>();
  OrvantaNoise::_rand_state = 1;
  chain->SetLevel(0.5);
  chain->SetDrive(0.5);
  chain->Init(44100, 0.5, 0.5);

  int channel = OrvantaChain::kDirty;
  for (int block = 0; block < 12; ++block) {
    if (block == 6) {
      // Switch to the Clean channel through the host's parameter call.
      ASSERT_EQ(AudioUnitSetParameter(u.unit, 4, kAudioUnitScope_Global, 0, 0.0f, 0), noErr);
      channel = OrvantaChain::kClean;
    }
    const UInt32 n = 512;
    const UInt32 start = u.source.pos;
    std::vector<double> in0(n), in1(n, 0.0), want(n);
    for (UInt32 i = 0; i < n; ++i) {
      in0[i] = static_cast<float>(sourceSample(u.source, start + i, 0));
      if (u.inChannels > 1) in1[i] = static_cast<float>(sourceSample(u.source, start + i, 1));
    }
    const double* ins[2] = {in0.data(), in1.data()};
    double* outs[2] = {want.data(), want.data()};
    chain->Process(ins, outs, n, channel);

    const auto got = u.render(n);
    for (UInt32 c = 0; c < u.outChannels; ++c)
      for (UInt32 i = 0; i < n; ++i)
        ASSERT_FLOAT_EQ(got[c][i], static_cast<float>(want[i])) << "block " << block << " channel " << c << " frame " << i;
  }
}

// The 9 kHz shelf used to blow the chain up at rates where 9 kHz is at or
// past Nyquist.
TEST(Bundle, RendersFiniteAudioAtLowAndHighRates) {
  for (double rate : {8000.0, 11025.0, 16000.0, 192000.0}) {
    Unit u;
    u.source.signal = guitar(4096);
    ASSERT_NO_FATAL_FAILURE(u.open());
    ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, 0, &rate,
                                   sizeof rate),
              noErr);
    ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Input, 0, &rate,
                                   sizeof rate),
              noErr);
    ASSERT_NO_FATAL_FAILURE(u.initialize());
    for (int block = 0; block < 8; ++block) {
      const auto got = u.render(512);
      for (const auto& ch : got)
        for (float v : ch) ASSERT_TRUE(std::isfinite(v) && std::fabs(v) < 10.0f) << rate;
    }
  }
}

// Recursive filters fed silence decay into subnormal numbers, which cost
// dozens of cycles each on x86: ten seconds of silence must not produce any.
TEST(Bundle, TenSecondsOfSilenceProduceNoSubnormals) {
  Unit u;
  const UInt32 frames = 441000;
  u.source.signal.assign(frames + 512, 0.0f);
  ASSERT_NO_FATAL_FAILURE(u.open());
  ASSERT_NO_FATAL_FAILURE(u.initialize());
  for (UInt32 done = 0; done < frames; done += 512) {
    const auto got = u.render(512);
    for (const auto& ch : got)
      for (float v : ch) ASSERT_NE(std::fpclassify(v), FP_SUBNORMAL) << "frame " << done;
  }
}

// A host may call with any block size up to the maximum, at any common rate,
// bypassed or not: the output stays finite and both channels carry the same
// signal, the effect's mono result.
TEST(Bundle, RandomBlockSizesAtEveryRateStayFiniteAndEqualOnBothChannels) {
  std::mt19937 rng(11);
  for (double rate : {44100.0, 48000.0, 96000.0, 192000.0}) {
    for (int bypass = 0; bypass < 2; ++bypass) {
      Unit u;
      u.source.signal = guitar(40000);
      ASSERT_NO_FATAL_FAILURE(u.open());
      for (AudioUnitScope scope : {kAudioUnitScope_Input, kAudioUnitScope_Output})
        ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_SampleRate, scope, 0, &rate, sizeof rate), noErr);
      ASSERT_NO_FATAL_FAILURE(u.initialize());
      UInt32 on = (UInt32)bypass;
      ASSERT_EQ(AudioUnitSetProperty(u.unit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, 0, &on, sizeof on),
                noErr);
      UInt32 maxFrames = 0, size = sizeof maxFrames;
      ASSERT_EQ(AudioUnitGetProperty(u.unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                     &maxFrames, &size),
                noErr);
      std::uniform_int_distribution<UInt32> pick(1, std::min<UInt32>(maxFrames, 1024));
      UInt32 total = 0;
      while (total < 30000) {
        const UInt32 n = pick(rng);
        const auto got = u.render(n);
        ASSERT_EQ(got.size(), 2u);
        for (UInt32 i = 0; i < n; ++i) {
          ASSERT_TRUE(std::isfinite(got[0][i])) << rate << " frame " << total + i;
          if (!bypass) {
            ASSERT_EQ(got[0][i], got[1][i]) << rate << " frame " << total + i;
          }
        }
        total += n;
      }
    }
  }
}

} // namespace
