// Cost of the effect's audio path per frame, for both amp channels: the bare
// chain, Orvanta::ProcessDoubleReplacing, and a render through the host API
// on the built Orvanta.component (found through AUDIO_COMPONENT_PATH, or next
// to this program's folder). The "time/frame" counter is in seconds, printed
// with an SI suffix: 30.1n reads 30.1 ns per frame.
#include "effect/Orvanta.h"
#include "effect/OrvantaChain.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kSpan = 44100;

// A plucked-string-like test signal: decaying harmonics, a new note every
// 22050 frames, so the drive stages see both loud and quiet input.
std::vector<double> guitarSignal(int n) {
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) {
    const int t = i % 22050;
    const double env = std::exp(-t / 6000.0);
    v[i] = 0.4 * env * (std::sin(0.0372 * i) + 0.5 * std::sin(0.0744 * i) + 0.25 * std::sin(0.1116 * i));
  }
  return v;
}

void perFrame(benchmark::State& state, int block) {
  state.counters["time/frame"] = benchmark::Counter(double(state.iterations()) * block,
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Chain(benchmark::State& state, int channel) {
  const int block = static_cast<int>(state.range(0));
  auto chain = std::make_unique<OrvantaChain>();
  chain->SetLevel(0.5);
  chain->SetDrive(channel == OrvantaChain::kDirty ? 0.3 : 0.1);
  chain->Init(44100, 0.5, 0.5);
  const std::vector<double> signal = guitarSignal(kSpan + block);
  std::vector<double> l(block), r(block);
  double* outs[2] = {l.data(), r.data()};
  int pos = 0;
  for (auto _ : state) {
    const double* ins[2] = {signal.data() + pos, signal.data() + pos};
    chain->Process(ins, outs, block, channel);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
    pos = (pos + block) % kSpan;
  }
  perFrame(state, block);
}

void BM_ChainDirty(benchmark::State& state) { BM_Chain(state, OrvantaChain::kDirty); }
void BM_ChainClean(benchmark::State& state) { BM_Chain(state, OrvantaChain::kClean); }
BENCHMARK(BM_ChainDirty)->Arg(64)->Arg(1024);
BENCHMARK(BM_ChainClean)->Arg(64)->Arg(1024);

// Through the effect's virtual processing call, with the preset's settings.
void BM_Process(benchmark::State& state, int preset) {
  const int block = static_cast<int>(state.range(0));
  std::unique_ptr<IFxBase> plug(MakePlug());
  plug->RestorePreset(preset);
  const std::vector<double> signal = guitarSignal(kSpan + block);
  std::vector<double> l(block), r(block);
  double* outs[2] = {l.data(), r.data()};
  int pos = 0;
  for (auto _ : state) {
    double* ins[2] = {const_cast<double*>(signal.data()) + pos, const_cast<double*>(signal.data()) + pos};
    plug->ProcessDoubleReplacing(ins, outs, block);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
    pos = (pos + block) % kSpan;
  }
  perFrame(state, block);
}

void BM_ProcessDoubleReplacingDirty(benchmark::State& state) { BM_Process(state, 0); }
void BM_ProcessDoubleReplacingClean(benchmark::State& state) { BM_Process(state, 1); }
BENCHMARK(BM_ProcessDoubleReplacingDirty)->Arg(64)->Arg(512)->Arg(1024);
BENCHMARK(BM_ProcessDoubleReplacingClean)->Arg(64)->Arg(512)->Arg(1024);

// ---- through the host API on the built bundle ----

const bool kComponentPathSet = [] {
  if (!std::getenv("AUDIO_COMPONENT_PATH")) {
    char exe[PATH_MAX] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, n) : std::string();
    for (int up = 0; up < 2 && !dir.empty(); ++up) dir = dir.substr(0, dir.find_last_of('/'));
    setenv("AUDIO_COMPONENT_PATH", dir.c_str(), 0);
  }
  return true;
}();

struct HostInput {
  std::vector<float> signal;
  UInt32 pos = 0;
};

OSStatus pullInput(void* refCon, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
                   AudioBufferList* data) {
  auto* in = static_cast<HostInput*>(refCon);
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b) {
    auto* out = static_cast<float*>(data->mBuffers[b].mData);
    for (UInt32 i = 0; i < nFrames; ++i) out[i] = in->signal[in->pos + i];
  }
  in->pos = (in->pos + nFrames) % kSpan;
  return noErr;
}

void BM_HostRender(benchmark::State& state, int preset, bool silent = false) {
  const UInt32 block = static_cast<UInt32>(state.range(0));
  const AudioComponentDescription desc = {kAudioUnitType_Effect, 0x6f727635 /* orv5 */, 0x5a726e74 /* Zrnt */, 0,
                                          0};
  AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
  AudioUnit unit = nullptr;
  if (!comp || AudioComponentInstanceNew(comp, &unit) != noErr) {
    state.SkipWithError("Orvanta.component not found; set AUDIO_COMPONENT_PATH");
    return;
  }
  HostInput input;
  const std::vector<double> signal = guitarSignal(kSpan + static_cast<int>(block));
  input.signal.assign(signal.begin(), signal.end());
  if (silent) input.signal.assign(input.signal.size(), 0.0f);
  AURenderCallbackStruct cb = {pullInput, &input};
  AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof cb);
  AUPreset chosen = {preset, nullptr};
  AudioUnitSetProperty(unit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &chosen, sizeof chosen);
  AudioUnitInitialize(unit);

  AudioStreamBasicDescription fmt = {};
  UInt32 size = sizeof fmt;
  AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &fmt, &size);
  const UInt32 channels = fmt.mChannelsPerFrame;
  std::vector<std::vector<float>> out(channels, std::vector<float>(block));
  std::vector<unsigned char> mem(sizeof(AudioBufferList) + channels * sizeof(AudioBuffer));
  auto* list = reinterpret_cast<AudioBufferList*>(mem.data());
  AudioTimeStamp ts = {};
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  for (auto _ : state) {
    list->mNumberBuffers = channels;
    for (UInt32 c = 0; c < channels; ++c)
      list->mBuffers[c] = {1, static_cast<UInt32>(block * sizeof(float)), out[c].data()};
    AudioUnitRenderActionFlags flags = 0;
    if (AudioUnitRender(unit, &flags, &ts, 0, block, list) != noErr) {
      state.SkipWithError("render failed");
      break;
    }
    ts.mSampleTime += block;
    benchmark::DoNotOptimize(out[0].data());
  }
  perFrame(state, static_cast<int>(block));
  AudioUnitUninitialize(unit);
  AudioComponentInstanceDispose(unit);
}

void BM_HostRenderDirty(benchmark::State& state) { BM_HostRender(state, 0); }
void BM_HostRenderClean(benchmark::State& state) { BM_HostRender(state, 1); }
BENCHMARK(BM_HostRenderDirty)->Arg(64)->Arg(512)->Arg(1024);
BENCHMARK(BM_HostRenderClean)->Arg(64)->Arg(512)->Arg(1024);

// Silence must cost what a loud signal costs: no subnormal slow-down.
void BM_HostRenderSilenceDirty(benchmark::State& state) { BM_HostRender(state, 0, true); }
void BM_HostRenderSilenceClean(benchmark::State& state) { BM_HostRender(state, 1, true); }
BENCHMARK(BM_HostRenderSilenceDirty)->Arg(512);
BENCHMARK(BM_HostRenderSilenceClean)->Arg(512);

} // namespace
