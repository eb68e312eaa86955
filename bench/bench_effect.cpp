// Cost of the effect's audio path per frame, for both amp channels and two
// block sizes. The "time/frame" counter is in seconds (printed with an SI
// suffix, so 30.1n reads 30.1 ns per frame).
#include "effect/OrvantaChain.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

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
  const int span = 44100;
  const std::vector<double> signal = guitarSignal(span + block);
  std::vector<double> l(block), r(block);
  double* outs[2] = {l.data(), r.data()};
  int pos = 0;
  for (auto _ : state) {
    const double* ins[2] = {signal.data() + pos, signal.data() + pos};
    chain->Process(ins, outs, block, channel);
    benchmark::DoNotOptimize(l.data());
    benchmark::ClobberMemory();
    pos = (pos + block) % span;
  }
  perFrame(state, block);
}

void BM_ChainDirty(benchmark::State& state) { BM_Chain(state, OrvantaChain::kDirty); }
void BM_ChainClean(benchmark::State& state) { BM_Chain(state, OrvantaChain::kClean); }
BENCHMARK(BM_ChainDirty)->Arg(64)->Arg(1024);
BENCHMARK(BM_ChainClean)->Arg(64)->Arg(1024);

} // namespace
