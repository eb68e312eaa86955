// Costs of the plug-in core on the audio and host paths: float attachment and
// processing per sample, parameter display formatting, state round trips.

#include "tests/plugin/TestPlug.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
void BM_ProcessBuffersFloatStereo(benchmark::State& state)
{
  const int n = (int)state.range(0);
  TestPlug plug;
  plug.SetBlockSize(n);
  plug.SetInputChannelConnections(0, 2, true);
  plug.SetOutputChannelConnections(0, 2, true);
  std::vector<float> in0(n, 0.1f), in1(n, 0.2f), out0(n), out1(n);
  float* ip[2] = {in0.data(), in1.data()};
  float* op[2] = {out0.data(), out1.data()};
  for (auto _ : state)
  {
    plug.AttachInputBuffers(0, 2, ip, n);
    plug.AttachOutputBuffers(0, 2, op);
    plug.ProcessBuffers(0.0f, n);
    benchmark::DoNotOptimize(out1[n - 1]);
  }
  state.SetItemsProcessed(state.iterations() * n);  // frames (stereo)
}
BENCHMARK(BM_ProcessBuffersFloatStereo)->Arg(64)->Arg(512);

void BM_DisplayForHost(benchmark::State& state)
{
  IParam p;
  p.InitDouble("Level", 0.5, 0.0, 1.0, 0.001);
  char text[MAX_PARAM_DISPLAY_LEN];
  double v = 0.0;
  for (auto _ : state)
  {
    p.GetDisplayForHost(v, true, text, true);
    benchmark::DoNotOptimize(text[0]);
    v = v < 1.0 ? v + 0.001 : 0.0;
  }
}
BENCHMARK(BM_DisplayForHost);

void BM_StateRoundTrip(benchmark::State& state)
{
  TestPlug plug;
  plug.InitAmpParams();
  ByteChunk c;
  for (auto _ : state)
  {
    c.Clear();
    plug.SerializeState(&c);
    benchmark::DoNotOptimize(plug.UnserializeState(&c, 0));
    plug.mParamChanges.clear();
  }
}
BENCHMARK(BM_StateRoundTrip);
}  // namespace
