// Cost of the filter bank's building blocks. The "time/sample" counter is in
// seconds (printed with an SI suffix, so 2.3n reads 2.3 ns per sample).
#include "effect/AuDSP.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

constexpr int kBlock = 1024;

std::vector<double> testSignal() {
  std::vector<double> v(kBlock);
  for (int i = 0; i < kBlock; ++i)
    v[i] = 0.3 * std::sin(0.05 * i) + 0.05 * std::sin(1.3 * i);
  return v;
}

void perSample(benchmark::State& state) {
  state.counters["time/sample"] = benchmark::Counter(double(state.iterations()) * kBlock,
                                                   benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_BiquadOneSlot(benchmark::State& state) {
  auto dsp = std::make_unique<AuDSP>();
  dsp->dspFullReset();
  dsp->biquadFilterInit(0, AuDSP::kPeaking, 3000, 1.8, 16.5, 44100);
  const std::vector<double> in = testSignal();
  std::vector<double> out(kBlock);
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i)
      dsp->biquadFilterProcess(0, in[i], out[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  perSample(state);
}
BENCHMARK(BM_BiquadOneSlot);

// Sixteen slots in series, one sample at a time through all of them, as the
// effect's chain runs them.
void BM_BiquadCascade16(benchmark::State& state) {
  auto dsp = std::make_unique<AuDSP>();
  dsp->dspFullReset();
  for (int s = 0; s < 16; ++s)
    dsp->biquadFilterInit(s, s % 7, 200.0 + 400.0 * s, 1.0, (s % 3) * 3.0, 44100);
  const std::vector<double> in = testSignal();
  std::vector<double> out(kBlock);
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) {
      double v = in[i];
      dsp->biquadFilterProcess(0, v, v);
      dsp->biquadFilterProcess(1, v, v);
      dsp->biquadFilterProcess(2, v, v);
      dsp->biquadFilterProcess(3, v, v);
      dsp->biquadFilterProcess(4, v, v);
      dsp->biquadFilterProcess(5, v, v);
      dsp->biquadFilterProcess(6, v, v);
      dsp->biquadFilterProcess(7, v, v);
      dsp->biquadFilterProcess(8, v, v);
      dsp->biquadFilterProcess(9, v, v);
      dsp->biquadFilterProcess(10, v, v);
      dsp->biquadFilterProcess(11, v, v);
      dsp->biquadFilterProcess(12, v, v);
      dsp->biquadFilterProcess(13, v, v);
      dsp->biquadFilterProcess(14, v, v);
      dsp->biquadFilterProcess(15, v, v);
      out[i] = v;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  perSample(state);
}
BENCHMARK(BM_BiquadCascade16);

void BM_Distortion2(benchmark::State& state) {
  const std::vector<double> in = testSignal();
  std::vector<double> out(kBlock);
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i)
      AuDSP::distortion2(in[i], 0.5, 3.8, out[i]);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  perSample(state);
}
BENCHMARK(BM_Distortion2);

// The same call fed by its own previous output, so each call waits for the
// last: its latency, which is what matters inside a recursive chain.
void BM_Distortion2Chained(benchmark::State& state) {
  double v = 0.05;
  for (auto _ : state) {
    for (int i = 0; i < kBlock; ++i) {
      AuDSP::distortion2(v + 0.01, 0.5, 1.1, v);
      benchmark::DoNotOptimize(v);
    }
  }
  perSample(state);
}
BENCHMARK(BM_Distortion2Chained);

} // namespace
