// One update of the frequency-response graph: analysing an impulse response
// of the effect's tone filters (window, FFT, log-frequency resampling,
// decibels, smoothing) and drawing the curve into a 400 x 200 plot, at FFT
// sizes from 64 to 65536. The editor refreshes at 25 frames per second, so
// an update must stay well below 40 ms; the target for 1024 points is 1 ms.

#include "effect/AuDSP.h"
#include "graphics/graphics.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
constexpr int kW = 400, kH = 200;

std::vector<double> ToneImpulse(int n)
{
  AuDSP dsp;
  dsp.dspFullReset();
  dsp.biquadFilterInit(8, AuDSP::kLowShelf, 500.0, 2.0, 4.0, 44100.0);
  dsp.biquadFilterInit(10, AuDSP::kPeaking, 6000.0, 2.0, -6.0, 44100.0);
  std::vector<double> ir(n);
  for (int i = 0; i < n; ++i)
  {
    double t = 0.0;
    dsp.biquadFilterProcess(8, i == 0 ? 1.0 : 0.0, t);
    dsp.biquadFilterProcess(10, t, ir[i]);
  }
  return ir;
}

struct Plot
{
  IGraphics g{nullptr, kW, kH};
  IFreqResponseGraph* graph;
  IRECT all{0, 0, kW, kH};
  explicit Plot(int n)
  {
    g.PrepDraw();
    g.AttachControl(new IControl(nullptr, IRECT()));
    graph = new IFreqResponseGraph(nullptr, IColor(255, 255, 220, 0), all, n, kWindowRectangular);
    g.AttachControl(graph);
    graph->SetScale(20.0, 20480.0, 30.0, 15.0);
  }
};

void BM_GraphUpdate(benchmark::State& state)
{
  const int n = (int)state.range(0);
  Plot plot(n);
  const std::vector<double> ir = ToneImpulse(n);
  for (auto _ : state)
  {
    plot.graph->SetDataFromPlug(ir.data());
    plot.g.Draw(&plot.all);
    benchmark::ClobberMemory();
  }
  state.SetLabel("analysis + drawing, 400 x 200");
}
BENCHMARK(BM_GraphUpdate)->RangeMultiplier(4)->Range(64, 65536)->Unit(benchmark::kMicrosecond);

void BM_GraphAnalysis(benchmark::State& state)
{
  const int n = (int)state.range(0);
  Plot plot(n);
  const std::vector<double> ir = ToneImpulse(n);
  for (auto _ : state)
  {
    plot.graph->SetDataFromPlug(ir.data());
    benchmark::DoNotOptimize(plot.graph->DisplayPoints()[kW / 2]);
  }
  state.SetLabel("analysis only");
}
BENCHMARK(BM_GraphAnalysis)->RangeMultiplier(4)->Range(64, 65536)->Unit(benchmark::kMicrosecond);
} // namespace
