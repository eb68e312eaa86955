// Drawing a 40-character string (14-pixel Helvetica, white on a dark
// background, into a 400 x 32 system bitmap): through the glyph cache, and
// uncached through the GDI layer's own text drawing on every call. Rates are
// strings per second.

#include "raster/raster.h"

#include <benchmark/benchmark.h>

namespace {

const char kText[] = "Drive 7.5 | Level -3.0 dB | Tone: bright"; // 40 characters
static_assert(sizeof(kText) - 1 == 40, "the string is 40 characters long");

HFONT MakeFont() { return CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Helvetica"); }

void SetRate(benchmark::State& state)
{
  state.counters["strings/s"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

void Text_GlyphCache(benchmark::State& state)
{
  RAS_SysBitmap bm(400, 32);
  RAS_CachedFont font;
  font.SetFromHFont(MakeFont(), RAS_FONT_OWNS_HANDLE | RAS_FONT_ALLOW_NATIVE);
  font.SetTextColor(RAS_RGBA(255, 255, 255, 255));
  RAS_Clear(&bm, RAS_RGBA(30, 30, 30, 255));
  for (auto _ : state)
  {
    RECT r = {4, 4, 400, 32};
    benchmark::DoNotOptimize(font.DrawText(&bm, kText, -1, &r, RAS_DT_NO_NATIVE | DT_SINGLELINE));
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void Text_GdiUncached(benchmark::State& state)
{
  RAS_SysBitmap bm(400, 32);
  HFONT font = MakeFont();
  HDC dc = bm.getDC();
  HGDIOBJ old = SelectObject(dc, font);
  SetTextColor(dc, 0xFFFFFF);
  RAS_Clear(&bm, RAS_RGBA(30, 30, 30, 255));
  for (auto _ : state)
  {
    RECT r = {4, 4, 400, 32};
    benchmark::DoNotOptimize(GDI_DrawText(dc, kText, -1, &r, DT_SINGLELINE | DT_NOPREFIX));
    benchmark::ClobberMemory();
  }
  SelectObject(dc, old);
  DeleteObject(font);
  SetRate(state);
}

} // namespace

BENCHMARK(Text_GlyphCache);
BENCHMARK(Text_GdiUncached);
