// Costs of the editor's repaint on the effect's 432 x 357 layout: the whole
// editor painted once, and one knob change that repaints only its rectangle.

#include "tests/graphics/HeadlessGraphics.h"

#include <benchmark/benchmark.h>

namespace
{
void BM_PaintWholeEditor(benchmark::State& state)
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, kAmpW, kAmpH);
  BuildAmpEditor(&plug, g);
  IRECT whole(0, 0, kAmpW, kAmpH);
  for (auto _ : state)
  {
    g->Draw(&whole);
    g->mScreenUpdates.clear();
    benchmark::DoNotOptimize(g->GetBits());
  }
}
BENCHMARK(BM_PaintWholeEditor)->Unit(benchmark::kMicrosecond);

void BM_KnobChangeRepaint(benchmark::State& state)
{
  RecordingPlug plug;
  HeadlessGraphics* g = new HeadlessGraphics(&plug, kAmpW, kAmpH);
  BuildAmpEditor(&plug, g);
  IRECT whole(0, 0, kAmpW, kAmpH);
  g->Draw(&whole);
  double v = 0.0;
  for (auto _ : state)
  {
    v = v < 0.5 ? 0.75 : 0.25;
    g->SetParameterFromPlug(1, v, true);
    IRECT r;
    g->IsDirty(&r);
    g->Draw(&r);
    g->mScreenUpdates.clear();
    benchmark::DoNotOptimize(g->GetBits());
  }
}
BENCHMARK(BM_KnobChangeRepaint)->Unit(benchmark::kMicrosecond);
} // namespace
