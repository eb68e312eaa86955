// Blits of the raster library next to pixman doing the nearest equivalent
// operation, on 1024 x 1024 bitmaps (scaled blits: 512 x 512 up to
// 1024 x 1024 and 1024 x 1024 down to 512 x 512). Rates are destination
// megapixels per second.

#include "raster/raster.h"

#include <benchmark/benchmark.h>
#include <pixman.h>

#include <random>
#include <stdint.h>
#include <string.h>

namespace {

constexpr int kSize = 1024;

void FillRandom(uint32_t* p, size_t n, uint32_t seed)
{
  std::mt19937 rng(seed);
  for (size_t i = 0; i < n; i++) p[i] = (uint32_t)rng();
}

void SetRate(benchmark::State& state, long long pixels)
{
  state.SetItemsProcessed(state.iterations() * pixels);
  state.SetBytesProcessed(state.iterations() * pixels * 4);
  state.counters["MP/s"] = benchmark::Counter((double)pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

// ---- raster library ----

struct RasterImages
{
  RAS_MemBitmap src, dst;
  RasterImages(int sw, int sh, int dw, int dh) : src(sw, sh), dst(dw, dh)
  {
    FillRandom(src.getBits(), (size_t)src.getRowSpan() * sh, 1);
    FillRandom(dst.getBits(), (size_t)dst.getRowSpan() * dh, 2);
  }
};

void Ours_Blit(benchmark::State& state, float alpha, int mode)
{
  RasterImages im(kSize, kSize, kSize, kSize);
  for (auto _ : state)
  {
    RAS_Blit(&im.dst, &im.src, 0, 0, nullptr, alpha, mode);
    benchmark::ClobberMemory();
  }
  SetRate(state, (long long)kSize * kSize);
}

void Ours_Scaled(benchmark::State& state, int srcSize, int dstSize, int mode)
{
  RasterImages im(srcSize, srcSize, dstSize, dstSize);
  for (auto _ : state)
  {
    RAS_ScaledBlit(&im.dst, &im.src, 0, 0, dstSize, dstSize, 0.0f, 0.0f, (float)srcSize, (float)srcSize, 1.0f, mode);
    benchmark::ClobberMemory();
  }
  SetRate(state, (long long)dstSize * dstSize);
}

// ---- pixman ----

struct PixmanImages
{
  uint32_t *srcBits, *dstBits;
  pixman_image_t *src, *dst, *mask = nullptr;
  PixmanImages(int sw, int sh, int dw, int dh)
  {
    srcBits = (uint32_t*)aligned_alloc(64, (size_t)sw * sh * 4);
    dstBits = (uint32_t*)aligned_alloc(64, (size_t)dw * dh * 4);
    FillRandom(srcBits, (size_t)sw * sh, 1);
    FillRandom(dstBits, (size_t)dw * dh, 2);
    src = pixman_image_create_bits(PIXMAN_a8r8g8b8, sw, sh, srcBits, sw * 4);
    dst = pixman_image_create_bits(PIXMAN_a8r8g8b8, dw, dh, dstBits, dw * 4);
  }
  ~PixmanImages()
  {
    pixman_image_unref(src);
    pixman_image_unref(dst);
    if (mask) pixman_image_unref(mask);
    free(srcBits);
    free(dstBits);
  }
};

void Pixman_Composite(benchmark::State& state, pixman_op_t op, double maskAlpha)
{
  PixmanImages im(kSize, kSize, kSize, kSize);
  if (maskAlpha < 1.0)
  {
    pixman_color_t c = {0, 0, 0, (uint16_t)(maskAlpha * 0xFFFF)};
    im.mask = pixman_image_create_solid_fill(&c);
  }
  for (auto _ : state)
  {
    pixman_image_composite32(op, im.src, im.mask, im.dst, 0, 0, 0, 0, 0, 0, kSize, kSize);
    benchmark::ClobberMemory();
  }
  SetRate(state, (long long)kSize * kSize);
}

void Pixman_Scaled(benchmark::State& state, int srcSize, int dstSize, pixman_filter_t filter)
{
  PixmanImages im(srcSize, srcSize, dstSize, dstSize);
  pixman_transform_t t;
  pixman_transform_init_scale(&t, pixman_double_to_fixed((double)srcSize / dstSize),
                              pixman_double_to_fixed((double)srcSize / dstSize));
  pixman_image_set_transform(im.src, &t);
  pixman_image_set_filter(im.src, filter, nullptr, 0);
  for (auto _ : state)
  {
    pixman_image_composite32(PIXMAN_OP_SRC, im.src, nullptr, im.dst, 0, 0, 0, 0, 0, 0, dstSize, dstSize);
    benchmark::ClobberMemory();
  }
  SetRate(state, (long long)dstSize * dstSize);
}

} // namespace

BENCHMARK_CAPTURE(Ours_Blit, Copy, 1.0f, RAS_MODE_COPY);
BENCHMARK_CAPTURE(Pixman_Composite, Src, PIXMAN_OP_SRC, 1.0);
BENCHMARK_CAPTURE(Ours_Blit, SourceAlpha, 1.0f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA);
BENCHMARK_CAPTURE(Pixman_Composite, Over, PIXMAN_OP_OVER, 1.0);
BENCHMARK_CAPTURE(Ours_Blit, SourceAlphaHalf, 0.5f, RAS_MODE_COPY | RAS_MODE_USE_ALPHA);
BENCHMARK_CAPTURE(Pixman_Composite, OverMaskHalf, PIXMAN_OP_OVER, 0.5);
BENCHMARK_CAPTURE(Ours_Blit, Add, 1.0f, RAS_MODE_ADD);
BENCHMARK_CAPTURE(Pixman_Composite, Add, PIXMAN_OP_ADD, 1.0);
BENCHMARK_CAPTURE(Ours_Scaled, NearestUp2x, kSize / 2, kSize, RAS_MODE_COPY);
BENCHMARK_CAPTURE(Pixman_Scaled, NearestUp2x, kSize / 2, kSize, PIXMAN_FILTER_NEAREST);
BENCHMARK_CAPTURE(Ours_Scaled, NearestDown2x, kSize, kSize / 2, RAS_MODE_COPY);
BENCHMARK_CAPTURE(Pixman_Scaled, NearestDown2x, kSize, kSize / 2, PIXMAN_FILTER_NEAREST);
BENCHMARK_CAPTURE(Ours_Scaled, BilinearUp2x, kSize / 2, kSize, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
BENCHMARK_CAPTURE(Pixman_Scaled, BilinearUp2x, kSize / 2, kSize, PIXMAN_FILTER_BILINEAR);
BENCHMARK_CAPTURE(Ours_Scaled, BilinearDown2x, kSize, kSize / 2, RAS_MODE_COPY | RAS_FILTER_BILINEAR);
BENCHMARK_CAPTURE(Pixman_Scaled, BilinearDown2x, kSize, kSize / 2, PIXMAN_FILTER_BILINEAR);
