// Cost of the effect's audio path per frame, for both amp channels: the bare
// chain, Orvanta::ProcessDoubleReplacing, and a render through the host API
// on the built Orvanta.component (found through AUDIO_COMPONENT_PATH, or next
// to this program's folder). The "time/frame" counter is in seconds, printed
// with an SI suffix: 30.1n reads 30.1 ns per frame.
//
// BM_OrvantaOverSox* set the effect beside sox running a lighter amp chain
// (overdrive 20 10, bass +3, treble -2, equalizer 3000 1q -3) on the same
// samples, through libsox in this process when it is installed, else through
// the sox program (its run on a file less a conversion-only run). Arguments
// are the vector path (0 SSE2, 1 AVX2, 2 AVX-512) and the block size;
// "orvanta/sox" is the ratio of the per-sample costs. BM_BiquadFloor times
// the AVX-512 chain's biquads alone, the least any layout of the chain costs.
#include "effect/Orvanta.h"
#include "effect/OrvantaChain.h"

#include <AudioToolbox/AudioToolbox.h>
#include <AudioUnit/AudioUnit.h>

#include <benchmark/benchmark.h>

#ifdef ORVANTA_BENCH_LIBSOX
#include <sox.h>
#endif

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
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

// With repetitions, the fastest run is the best estimate of the cost on a
// shared machine: interference only ever adds time.
double fastest(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

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
BENCHMARK(BM_ChainDirty)->Arg(64)->Arg(1024)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ChainClean)->Arg(64)->Arg(1024)->ComputeStatistics("min", fastest);

// Through the effect's virtual processing call, with the preset's settings.
struct DirectPlug {
  DirectPlug(int preset, int block)
      : plug(MakePlug()), left(guitarSignal(kSpan + block)), right(left), l(block), r(block), block(block) {
    plug->RestorePreset(preset);
  }
  DirectPlug(int preset, int block, OrvantaPath path) : DirectPlug(preset, block) {
    pathAvailable = static_cast<Orvanta*>(plug.get())->SetPath(path);
  }

  void Process() {
    // Two input buffers holding the same signal, as a stereo host hands over.
    double* ins[2] = {left.data() + pos, right.data() + pos};
    double* outs[2] = {l.data(), r.data()};
    plug->ProcessDoubleReplacing(ins, outs, block);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
    pos = (pos + block) % kSpan;
  }

  std::unique_ptr<IFxBase> plug;
  std::vector<double> left, right, l, r;
  int block;
  int pos = 0;
  bool pathAvailable = true;
};

void BM_Process(benchmark::State& state, int preset) {
  const int block = static_cast<int>(state.range(0));
  DirectPlug direct(preset, block);
  for (auto _ : state) direct.Process();
  perFrame(state, block);
}

void BM_ProcessDoubleReplacingDirty(benchmark::State& state) { BM_Process(state, 0); }
void BM_ProcessDoubleReplacingClean(benchmark::State& state) { BM_Process(state, 1); }
BENCHMARK(BM_ProcessDoubleReplacingDirty)->Arg(1)->Arg(16)->Arg(64)->Arg(512)->Arg(1024)->Arg(4096)->ComputeStatistics("min", fastest);
BENCHMARK(BM_ProcessDoubleReplacingClean)->Arg(1)->Arg(16)->Arg(64)->Arg(512)->Arg(1024)->Arg(4096)->ComputeStatistics("min", fastest);

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
  for (UInt32 b = 0; b < data->mNumberBuffers; ++b)
    std::memcpy(data->mBuffers[b].mData, in->signal.data() + in->pos, nFrames * sizeof(float));
  in->pos = (in->pos + nFrames) % kSpan;
  return noErr;
}

// One instance of the bundle opened, fed and initialised through the host API,
// rendering stereo float blocks as a host would.
class HostedUnit {
public:
  HostedUnit(int preset, UInt32 block, bool silent) : mBlock(block) {
    const AudioComponentDescription desc = {kAudioUnitType_Effect, 0x6f727635 /* orv5 */, 0x5a726e74 /* Zrnt */,
                                            0, 0};
    AudioComponent comp = AudioComponentFindNext(nullptr, &desc);
    if (!comp || AudioComponentInstanceNew(comp, &mUnit) != noErr) {
      mUnit = nullptr;
      return;
    }
    const std::vector<double> signal = guitarSignal(kSpan + static_cast<int>(block));
    mInput.signal.assign(signal.begin(), signal.end());
    if (silent) mInput.signal.assign(mInput.signal.size(), 0.0f);
    AURenderCallbackStruct cb = {pullInput, &mInput};
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof cb);
    AUPreset chosen = {preset, nullptr};
    AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0, &chosen,
                         sizeof chosen);
    AudioUnitInitialize(mUnit);

    AudioStreamBasicDescription fmt = {};
    UInt32 size = sizeof fmt;
    AudioUnitGetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &fmt, &size);
    mOut.assign(fmt.mChannelsPerFrame, std::vector<float>(block));
    mList.resize(sizeof(AudioBufferList) + mOut.size() * sizeof(AudioBuffer));
    mTime.mFlags = kAudioTimeStampSampleTimeValid;
  }

  ~HostedUnit() {
    if (!mUnit) return;
    AudioUnitUninitialize(mUnit);
    AudioComponentInstanceDispose(mUnit);
  }

  bool Opened() const { return mUnit != nullptr; }

  bool Render() {
    auto* list = reinterpret_cast<AudioBufferList*>(mList.data());
    list->mNumberBuffers = static_cast<UInt32>(mOut.size());
    for (size_t c = 0; c < mOut.size(); ++c)
      list->mBuffers[c] = {1, static_cast<UInt32>(mBlock * sizeof(float)), mOut[c].data()};
    AudioUnitRenderActionFlags flags = 0;
    if (AudioUnitRender(mUnit, &flags, &mTime, 0, mBlock, list) != noErr) return false;
    mTime.mSampleTime += mBlock;
    benchmark::DoNotOptimize(mOut[0].data());
    return true;
  }

private:
  AudioUnit mUnit = nullptr;
  UInt32 mBlock;
  HostInput mInput;
  std::vector<std::vector<float>> mOut;
  std::vector<unsigned char> mList;
  AudioTimeStamp mTime = {};
};

void BM_HostRender(benchmark::State& state, int preset, bool silent = false) {
  const UInt32 block = static_cast<UInt32>(state.range(0));
  HostedUnit unit(preset, block, silent);
  if (!unit.Opened()) {
    state.SkipWithError("Orvanta.component not found; set AUDIO_COMPONENT_PATH");
    return;
  }
  for (auto _ : state) {
    if (!unit.Render()) {
      state.SkipWithError("render failed");
      break;
    }
  }
  perFrame(state, static_cast<int>(block));
}

void BM_HostRenderDirty(benchmark::State& state) { BM_HostRender(state, 0); }
void BM_HostRenderClean(benchmark::State& state) { BM_HostRender(state, 1); }
BENCHMARK(BM_HostRenderDirty)->Arg(64)->Arg(512)->Arg(1024)->ComputeStatistics("min", fastest);
BENCHMARK(BM_HostRenderClean)->Arg(64)->Arg(512)->Arg(1024)->ComputeStatistics("min", fastest);

// Silence must cost what a loud signal costs: no subnormal slow-down.
void BM_HostRenderSilenceDirty(benchmark::State& state) { BM_HostRender(state, 0, true); }
void BM_HostRenderSilenceClean(benchmark::State& state) { BM_HostRender(state, 1, true); }
BENCHMARK(BM_HostRenderSilenceDirty)->Arg(512)->ComputeStatistics("min", fastest);
BENCHMARK(BM_HostRenderSilenceClean)->Arg(512)->ComputeStatistics("min", fastest);

// The price of the host API over the direct call, measured so that a shared
// machine's drifting speed falls on both alike: each iteration alternates
// rounds of direct calls and rounds of host renders on the same preset, and
// "host/direct" is the ratio of the fastest round of each (1.05 is 5% dearer).
void BM_HostOverDirect(benchmark::State& state, int preset) {
  const int block = static_cast<int>(state.range(0));
  constexpr int kBlocksPerRound = 32;
  DirectPlug direct(preset, block);
  HostedUnit unit(preset, static_cast<UInt32>(block), false);
  if (!unit.Opened()) {
    state.SkipWithError("Orvanta.component not found; set AUDIO_COMPONENT_PATH");
    return;
  }
  using Clock = std::chrono::steady_clock;
  double fastestDirect = 1e30, fastestHost = 1e30;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (int i = 0; i < kBlocksPerRound; ++i) direct.Process();
    const auto t1 = Clock::now();
    for (int i = 0; i < kBlocksPerRound; ++i)
      if (!unit.Render()) {
        state.SkipWithError("render failed");
        return;
      }
    const auto t2 = Clock::now();
    const double d = std::chrono::duration<double>(t1 - t0).count();
    const double h = std::chrono::duration<double>(t2 - t1).count();
    fastestDirect = std::min(fastestDirect, d);
    fastestHost = std::min(fastestHost, h);
    state.SetIterationTime(d + h);
  }
  const double frames = double(kBlocksPerRound) * block;
  state.counters["direct/frame"] = fastestDirect / frames;
  state.counters["host/frame"] = fastestHost / frames;
  state.counters["host/direct"] = fastestHost / fastestDirect;
}

void BM_HostOverDirectDirty(benchmark::State& state) { BM_HostOverDirect(state, 0); }
void BM_HostOverDirectClean(benchmark::State& state) { BM_HostOverDirect(state, 1); }
BENCHMARK(BM_HostOverDirectDirty)->Arg(512)->UseManualTime()->MinTime(2.0);
BENCHMARK(BM_HostOverDirectClean)->Arg(512)->UseManualTime()->MinTime(2.0);

// ---- beside sox ----

#ifdef ORVANTA_BENCH_LIBSOX

// sox's chain on kSpan samples of the test signal, fed and drained by two
// effects of our own so that only the four effects do work on samples.
class SoxChain {
public:
  SoxChain() {
    static const bool ready = sox_init() == SOX_SUCCESS;
    mReady = ready;
    for (double v : guitarSignal(kSpan)) mSamples.push_back(static_cast<sox_sample_t>(v * SOX_SAMPLE_MAX));
  }

  // Seconds spent flowing kSpan samples, or a negative value on failure.
  double Run() {
    if (!mReady) return -1.0;
    sox_encodinginfo_t enc = {};
    enc.encoding = SOX_ENCODING_SIGN2;
    enc.bits_per_sample = 32;
    sox_effects_chain_t* chain = sox_create_effects_chain(&enc, &enc);
    sox_signalinfo_t signal = {44100, 1, 32, 0, nullptr};
    const sox_signalinfo_t outSignal = signal;
    bool ok = add(chain, &kSource, {}, signal, outSignal);
    const std::vector<std::vector<std::string>> effects = {
        {"overdrive", "20", "10"}, {"bass", "+3"}, {"treble", "-2"}, {"equalizer", "3000", "1q", "-3"}};
    for (const auto& e : effects)
      ok = ok && add(chain, sox_find_effect(e[0].c_str()), {e.begin() + 1, e.end()}, signal, outSignal);
    ok = ok && add(chain, &kSink, {}, signal, outSignal);
    sCurrent = this;
    mPos = 0;
    const auto t0 = std::chrono::steady_clock::now();
    ok = ok && sox_flow_effects(chain, nullptr, nullptr) == SOX_SUCCESS;
    const auto t1 = std::chrono::steady_clock::now();
    sox_delete_effects_chain(chain);
    benchmark::DoNotOptimize(mChecksum);
    return ok && mPos == mSamples.size() ? std::chrono::duration<double>(t1 - t0).count() : -1.0;
  }

private:
  static bool add(sox_effects_chain_t* chain, const sox_effect_handler_t* handler, std::vector<std::string> args,
                  sox_signalinfo_t& signal, const sox_signalinfo_t& outSignal) {
    if (!handler) return false;
    sox_effect_t* e = sox_create_effect(handler);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    bool ok = sox_effect_options(e, static_cast<int>(argv.size()), argv.data()) == SOX_SUCCESS &&
              sox_add_effect(chain, e, &signal, &outSignal) == SOX_SUCCESS;
    free(e);
    return ok;
  }

  // libsox callbacks, on this thread during sox_flow_effects.
  static int sourceDrain(sox_effect_t*, sox_sample_t* obuf, size_t* osamp) {
    SoxChain& c = *sCurrent;
    const size_t n = std::min(*osamp, c.mSamples.size() - c.mPos);
    std::memcpy(obuf, c.mSamples.data() + c.mPos, n * sizeof(sox_sample_t));
    c.mPos += n;
    *osamp = n;
    return n ? SOX_SUCCESS : SOX_EOF;
  }
  static int sinkFlow(sox_effect_t*, const sox_sample_t* ibuf, sox_sample_t*, size_t* isamp, size_t* osamp) {
    for (size_t k = 0; k < *isamp; ++k) sCurrent->mChecksum += ibuf[k];
    *osamp = 0;
    return SOX_SUCCESS;
  }

  static inline SoxChain* sCurrent = nullptr;
  static inline const sox_effect_handler_t kSource = {"source", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, nullptr,
                                                      sourceDrain, nullptr, nullptr, 0};
  static inline const sox_effect_handler_t kSink = {"sink", nullptr, SOX_EFF_MCHAN, nullptr, nullptr, sinkFlow,
                                                    nullptr, nullptr, nullptr, 0};

  bool mReady = false;
  std::vector<sox_sample_t> mSamples;
  size_t mPos = 0;
  int64_t mChecksum = 0;
};

#else

// Without libsox: the sox program on a raw file of two minutes of the test
// signal, less a run that only converts it, measured once per process. The
// file is long enough for the processing (about 60 ms) to stand well clear of
// the program's start-up, whose jitter alone is several milliseconds.
class SoxChain {
public:
  double Run() {
    static const double perSpan = measure();
    return perSpan;
  }

private:
  static double timeCommand(const std::string& cmd) {
    double best = 1e30;
    for (int k = 0; k < 5; ++k) {
      const auto t0 = std::chrono::steady_clock::now();
      if (std::system(cmd.c_str()) != 0) return -1.0;
      best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
    }
    return best;
  }

  static double measure() {
    constexpr int kSpans = 120;
    char dir[] = "/tmp/orvanta-sox-XXXXXX";
    if (!mkdtemp(dir)) return -1.0;
    const std::string in = std::string(dir) + "/in.f64";
    std::vector<double> signal;
    for (int k = 0; k < kSpans; ++k) {
      const std::vector<double> span = guitarSignal(kSpan);
      signal.insert(signal.end(), span.begin(), span.end());
    }
    if (FILE* f = std::fopen(in.c_str(), "wb")) {
      std::fwrite(signal.data(), sizeof(double), signal.size(), f);
      std::fclose(f);
    }
    const std::string base = "sox -q -t f64 -r 44100 -c 1 " + in + " -t f64 /dev/null";
    const double convert = timeCommand(base);
    const double full = timeCommand(base + " overdrive 20 10 bass +3 treble -2 equalizer 3000 1q -3");
    std::remove(in.c_str());
    rmdir(dir);
    return convert < 0 || full < 0 ? -1.0 : (full - convert) / kSpans;
  }
};

#endif

// Alternates one span through the effect (ProcessDoubleReplacing on the forced
// path, in blocks of the given size) with one span through sox, so a shared
// machine's drifting speed falls on both alike; the fastest round of each
// gives the per-sample costs and their ratio.
void BM_OrvantaOverSox(benchmark::State& state, int preset) {
  const auto path = static_cast<OrvantaPath>(state.range(0));
  const int block = static_cast<int>(state.range(1));
  DirectPlug direct(preset, block, path);
  if (!direct.pathAvailable) {
    state.SkipWithError("this processor lacks the path");
    return;
  }
  SoxChain sox;
  const int blocksPerSpan = (kSpan + block - 1) / block;
  double fastestOrvanta = 1e30, fastestSox = 1e30;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int b = 0; b < blocksPerSpan; ++b) direct.Process();
    const double o = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double s = sox.Run();
    if (s < 0) {
      state.SkipWithError("sox could not run its chain");
      return;
    }
    fastestOrvanta = std::min(fastestOrvanta, o / (double(blocksPerSpan) * block));
    fastestSox = std::min(fastestSox, s / kSpan);
    state.SetIterationTime(o + s);
  }
  state.counters["orvanta/frame"] = fastestOrvanta;
  state.counters["sox/sample"] = fastestSox;
  state.counters["orvanta/sox"] = fastestOrvanta / fastestSox;
}

void BM_OrvantaOverSoxDirty(benchmark::State& state) { BM_OrvantaOverSox(state, 0); }
void BM_OrvantaOverSoxClean(benchmark::State& state) { BM_OrvantaOverSox(state, 1); }
BENCHMARK(BM_OrvantaOverSoxDirty)
    ->ArgsProduct({{0, 1, 2}, {1, 64, 512, 4096}})
    ->ArgNames({"path", "block"})
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(BM_OrvantaOverSoxClean)
    ->ArgsProduct({{0, 1, 2}, {1, 64, 512, 4096}})
    ->ArgNames({"path", "block"})
    ->UseManualTime()
    ->MinTime(1.0);


// The floor under the AVX-512 chain: its sixteen biquads alone, in two
// eight-lane registers skewed as the chain skews them (each lane takes the one
// below it from two iterations ago), rounding as the chain rounds, with none of
// the one-poles, clippers, mixing or block handling. Whatever the chain does
// around its biquads can only add to this; the counter is in ns per frame.
typedef double Floor8 __attribute__((vector_size(64)));

__attribute__((target("avx512f"), noinline)) double biquadFloorSeconds(int frames, double* sink) {
  struct Group {
    Floor8 b0, b1, b2, a1, a2, x1, x2, y1, y2, o1, o2;
  };
  Group g[2];
  for (Group& k : g) {
    k = Group{};
    // A stable peaking section (the Cab's 750 Hz one at 44.1 kHz, rounded).
    k.b0 += 1.0114;
    k.b1 += -1.9715;
    k.b2 += 0.9615;
    k.a1 += -1.9715;
    k.a2 += 0.9729;
  }
  const std::vector<double> in = guitarSignal(frames);
  const auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < frames; ++i) {
    Floor8 out[2];
    for (int q = 0; q < 2; ++q) {
      Group& k = g[q];
      const Floor8 below = q ? g[0].o2 : Floor8{} + in[i];
      const Floor8 x = __builtin_shufflevector(below, k.o2, 7, 8, 9, 10, 11, 12, 13, 14);
      const Floor8 y = k.b0 * x + k.b1 * k.x1 + k.b2 * k.x2 - k.a1 * k.y1 - k.a2 * k.y2;
      k.x2 = k.x1;
      k.x1 = x;
      k.y2 = k.y1;
      k.y1 = y;
      out[q] = y + 1e-20;
    }
    for (int q = 0; q < 2; ++q) {
      g[q].o2 = g[q].o1;
      g[q].o1 = out[q];
    }
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  *sink = g[1].o1[7];
  return seconds;
}

void BM_BiquadFloor(benchmark::State& state) {
  if (!__builtin_cpu_supports("avx512f")) {
    state.SkipWithError("this processor lacks AVX-512");
    return;
  }
  double fastest = 1e30, sink = 0.0;
  for (auto _ : state) {
    const double s = biquadFloorSeconds(kSpan, &sink);
    fastest = std::min(fastest, s / kSpan);
    state.SetIterationTime(s);
  }
  benchmark::DoNotOptimize(sink);
  state.counters["floor/frame"] = fastest;
}
BENCHMARK(BM_BiquadFloor)->UseManualTime()->MinTime(1.0);

} // namespace
