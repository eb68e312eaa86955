// What the Audio Unit wrapper adds to a block: the same stereo block of 512
// frames processed by the plug-in directly (ProcessDoubleReplacing), through
// the fast-dispatch render function, and through the platform's host API
// (AudioUnitRender). The plug-in here is a plain gain, so the figures show the
// wrapper's own cost; the effect's benchmark puts its chain behind the same calls.

#include "au/IFxAU.h"
#include "plugin/IFxFactory.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{
class BenchGain : public IFxAU
{
public:
  explicit BenchGain(IFxInstanceInfo info)
    : IFxAU(info, 1, "1-1 2-2", 1, "BenchGain", "", "zerrantic", 0x10000, 0x62676169 /* 'bgai' */,
            0x5A726E74 /* 'Zrnt' */, 0, false, false, false, 0)
  {
    GetParam(0)->InitDouble("Gain", 0.5, 0.0, 2.0, 0.01);
    MakeDefaultPreset("Init", 1);
  }

  // Render thread, under the mutex; no allocation.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override
  {
    const double g = GetParam(0)->Value();
    for (int c = 0; c < 2; ++c)
      for (int s = 0; s < nFrames; ++s) outputs[c][s] = inputs[c][s] * g;
  }
};

constexpr int kFrames = 512;
}  // namespace

extern "C" ComponentResult BenchGain_Entry(ComponentParameters* params, Handle storage);

namespace
{

OSStatus Input(void*, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 nFrames,
               AudioBufferList* list)
{
  for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
    for (UInt32 i = 0; i < nFrames; ++i) ((float*)list->mBuffers[b].mData)[i] = 0.25f;
  return noErr;
}

// An instance opened through the platform, fed by a render callback.
struct Unit
{
  AudioUnit unit = nullptr;
  std::vector<float> left = std::vector<float>(kFrames), right = std::vector<float>(kFrames);
  struct
  {
    UInt32 n;
    AudioBuffer b[2];
  } list;

  Unit()
  {
    static Component comp = [] {
      ComponentDescription d = {kAudioUnitType_Effect, 0x62676169, 0x5A726E74, 0, 0};
      return RegisterComponent(&d, BenchGain_Entry, 0, nullptr, nullptr, nullptr);
    }();
    AudioComponentInstanceNew((AudioComponent)comp, &unit);
    AURenderCallbackStruct cb = {Input, nullptr};
    AudioUnitSetProperty(unit, kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 0, &cb, sizeof(cb));
    AudioUnitInitialize(unit);
    list.n = 2;
    list.b[0] = {1, kFrames * 4, left.data()};
    list.b[1] = {1, kFrames * 4, right.data()};
  }
  ~Unit() { AudioComponentInstanceDispose(unit); }
  AudioBufferList* List() { return (AudioBufferList*)&list; }
};

void SetRate(benchmark::State& state)
{
  state.counters["ns/frame"] = benchmark::Counter((double)state.iterations() * kFrames,
                                                  benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
}  // namespace

IFxBase* MakePlug()
{
  return MakePlugUnderFactoryMutex<BenchGain>("com.zerrantic.bench.gain", "BenchGain_View");
}

IFXAU_ENTRY_POINTS(BenchGain)

static void BM_ProcessDoubleReplacing(benchmark::State& state)
{
  Unit u;
  IFxBase* plug = (IFxBase*)(void*)GetComponentInstanceStorage(u.unit);
  std::vector<double> in0(kFrames, 0.25), in1(kFrames, 0.25), out0(kFrames), out1(kFrames);
  double* ins[] = {in0.data(), in1.data()};
  double* outs[] = {out0.data(), out1.data()};
  for (auto _ : state)
  {
    plug->ProcessDoubleReplacing(ins, outs, kFrames);
    benchmark::DoNotOptimize(out0.data());
    benchmark::ClobberMemory();
  }
  SetRate(state);
}
BENCHMARK(BM_ProcessDoubleReplacing);

static void BM_FastDispatchRender(benchmark::State& state)
{
  Unit u;
  AudioUnitRenderProc render = nullptr;
  UInt32 size = sizeof(render);
  AudioUnitGetProperty(u.unit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                       &render, &size);
  void* plug = (void*)GetComponentInstanceStorage(u.unit);
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  for (auto _ : state)
  {
    render(plug, &flags, &ts, 0, kFrames, u.List());
    ts.mSampleTime += kFrames;
    benchmark::DoNotOptimize(u.left.data());
  }
  SetRate(state);
}
BENCHMARK(BM_FastDispatchRender);

static void BM_HostAPIRender(benchmark::State& state)
{
  Unit u;
  AudioTimeStamp ts;
  memset(&ts, 0, sizeof(ts));
  ts.mFlags = kAudioTimeStampSampleTimeValid;
  AudioUnitRenderActionFlags flags = 0;
  for (auto _ : state)
  {
    AudioUnitRender(u.unit, &flags, &ts, 0, kFrames, u.List());
    ts.mSampleTime += kFrames;
    benchmark::DoNotOptimize(u.left.data());
  }
  SetRate(state);
}
BENCHMARK(BM_HostAPIRender);
