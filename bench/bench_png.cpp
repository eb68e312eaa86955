// Loading a 432 x 357 RGBA PNG from memory through the raster library next to
// libpng's simplified reading API on the same bytes. Both write alpha, red,
// green, blue pixels into a buffer kept from one load to the next, so the
// figures compare decoding and conversion only. Target: ours within 1.2 times
// the simplified API. Ours_Over_Libpng alternates the two loads and prints
// "ours/libpng" from the fastest load of each, a ratio a busy machine cannot
// skew much.

#include "raster/raster.h"
#include "tests/raster/png_write.h"

#include <benchmark/benchmark.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <math.h>
#include <random>
#include <string.h>

namespace {

constexpr int kWidth = 432, kHeight = 357;

// A skin-like picture: smooth shading, a soft-edged disc with partial alpha
// and a little noise, so that the compressed size is that of a real image
// rather than of flat colour or of random bytes.
const std::vector<unsigned char>& SkinPng()
{
  static const std::vector<unsigned char> bytes = [] {
    std::mt19937 rng(7);
    PngImage im;
    im.width = kWidth;
    im.height = kHeight;
    for (int y = 0; y < kHeight; y++)
      for (int x = 0; x < kWidth; x++)
      {
        const double dx = x - kWidth / 2.0, dy = y - kHeight / 2.0;
        const double edge = 150.0 - sqrt(dx * dx + dy * dy);
        const int alpha = edge > 4 ? 255 : edge < -4 ? 0 : (int)((edge + 4) * 255 / 8);
        const int noise = (int)(rng() % 9) - 4;
        im.samples.push_back((uint16_t)std::clamp(40 + x * 150 / kWidth + noise, 0, 255));
        im.samples.push_back((uint16_t)std::clamp(60 + y * 120 / kHeight + noise, 0, 255));
        im.samples.push_back((uint16_t)std::clamp(90 + (x + y) % 64 + noise, 0, 255));
        im.samples.push_back((uint16_t)alpha);
      }
    return WritePng(im);
  }();
  return bytes;
}

void SetRate(benchmark::State& state)
{
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  state.counters["PNG bytes"] = (double)SkinPng().size();
}

void Ours_LoadPNGFromMemory(benchmark::State& state)
{
  const std::vector<unsigned char>& png = SkinPng();
  RAS_MemBitmap bm(kWidth, kHeight);
  for (auto _ : state)
  {
    if (!RAS_LoadPNGFromMemory(png.data(), (int)png.size(), &bm)) state.SkipWithError("load failed");
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

// One load through libpng's simplified API into pixels; false on failure.
bool SimplifiedRead(const std::vector<unsigned char>& png, std::vector<unsigned char>& pixels)
{
  png_image image;
  memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return false;
  image.format = PNG_FORMAT_ARGB;
  return png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) != 0;
}

void Libpng_SimplifiedRead(benchmark::State& state)
{
  const std::vector<unsigned char>& png = SkinPng();
  std::vector<unsigned char> pixels((size_t)kWidth * kHeight * 4);
  for (auto _ : state)
  {
    if (!SimplifiedRead(png, pixels)) state.SkipWithError("read failed");
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void Ours_Over_Libpng(benchmark::State& state)
{
  const std::vector<unsigned char>& png = SkinPng();
  RAS_MemBitmap bm(kWidth, kHeight);
  std::vector<unsigned char> pixels((size_t)kWidth * kHeight * 4);
  using Clock = std::chrono::steady_clock;
  double fastestOurs = 1e30, fastestLibpng = 1e30;
  for (auto _ : state)
  {
    const auto t0 = Clock::now();
    const bool ours = RAS_LoadPNGFromMemory(png.data(), (int)png.size(), &bm) != nullptr;
    const auto t1 = Clock::now();
    const bool theirs = SimplifiedRead(png, pixels);
    const auto t2 = Clock::now();
    if (!ours || !theirs) state.SkipWithError("load failed");
    const double o = std::chrono::duration<double>(t1 - t0).count();
    const double l = std::chrono::duration<double>(t2 - t1).count();
    fastestOurs = std::min(fastestOurs, o);
    fastestLibpng = std::min(fastestLibpng, l);
    state.SetIterationTime(o + l);
  }
  state.counters["ours us"] = fastestOurs * 1e6;
  state.counters["libpng us"] = fastestLibpng * 1e6;
  state.counters["ours/libpng"] = fastestOurs / fastestLibpng;
}

} // namespace

BENCHMARK(Ours_LoadPNGFromMemory)->Unit(benchmark::kMicrosecond);
BENCHMARK(Libpng_SimplifiedRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(Ours_Over_Libpng)->Unit(benchmark::kMicrosecond)->UseManualTime()->MinTime(2.0);
