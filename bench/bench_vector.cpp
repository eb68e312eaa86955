// Anti-aliased lines and filled anti-aliased circles of the raster library
// next to cairo drawing the same shapes (one-pixel-wide strokes, filled
// arcs, opaque colour) into an image surface of the same size. Both draw the
// same pseudo-random list of shapes; rates are shapes per second.

#include "raster/raster.h"

#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr int kSize = 512;
constexpr int kShapes = 1000;

struct Shape
{
  float a, b, c, d;
};

// Lines of 20 to 200 pixels anywhere on the surface.
std::vector<Shape> Lines()
{
  std::mt19937 rng(1);
  std::uniform_real_distribution<float> pos(0.0f, kSize - 1.0f), len(20.0f, 200.0f), ang(0.0f, 6.2831853f);
  std::vector<Shape> v;
  while ((int)v.size() < kShapes)
  {
    const float x = pos(rng), y = pos(rng), l = len(rng), a = ang(rng);
    v.push_back({x, y, x + l * std::cos(a), y + l * std::sin(a)});
  }
  return v;
}

// Circles of radius 4 to 40 anywhere on the surface.
std::vector<Shape> Circles()
{
  std::mt19937 rng(2);
  std::uniform_real_distribution<float> pos(0.0f, kSize - 1.0f), rad(4.0f, 40.0f);
  std::vector<Shape> v;
  while ((int)v.size() < kShapes) v.push_back({pos(rng), pos(rng), rad(rng), 0});
  return v;
}

void SetRate(benchmark::State& state)
{
  state.SetItemsProcessed(state.iterations() * kShapes);
  state.counters["shapes/s"] = benchmark::Counter((double)kShapes, benchmark::Counter::kIsIterationInvariantRate);
}

const RAS_pixel kColour = RAS_RGBA(230, 120, 40, 255);

void Ours_Lines(benchmark::State& state)
{
  RAS_MemBitmap bm(kSize, kSize);
  RAS_Clear(&bm, 0);
  const std::vector<Shape> lines = Lines();
  for (auto _ : state)
  {
    for (const Shape& s : lines) RAS_FLine(&bm, s.a, s.b, s.c, s.d, kColour, 1.0f, RAS_MODE_COPY, true);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void Ours_FilledCircles(benchmark::State& state)
{
  RAS_MemBitmap bm(kSize, kSize);
  RAS_Clear(&bm, 0);
  const std::vector<Shape> circles = Circles();
  for (auto _ : state)
  {
    for (const Shape& s : circles) RAS_FillCircle(&bm, s.a, s.b, s.c, kColour, 1.0f, RAS_MODE_COPY, true);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

struct Cairo
{
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kSize, kSize);
  cairo_t* cr = cairo_create(surface);
  Cairo()
  {
    cairo_set_source_rgba(cr, 230 / 255.0, 120 / 255.0, 40 / 255.0, 1.0);
    cairo_set_line_width(cr, 1.0);
  }
  ~Cairo()
  {
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
  }
};

void Cairo_Lines(benchmark::State& state)
{
  Cairo c;
  const std::vector<Shape> lines = Lines();
  for (auto _ : state)
  {
    for (const Shape& s : lines)
    {
      cairo_move_to(c.cr, s.a, s.b);
      cairo_line_to(c.cr, s.c, s.d);
      cairo_stroke(c.cr);
    }
    cairo_surface_flush(c.surface);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

void Cairo_FilledCircles(benchmark::State& state)
{
  Cairo c;
  const std::vector<Shape> circles = Circles();
  for (auto _ : state)
  {
    for (const Shape& s : circles)
    {
      cairo_arc(c.cr, s.a, s.b, s.c, 0, 2 * M_PI);
      cairo_fill(c.cr);
    }
    cairo_surface_flush(c.surface);
    benchmark::ClobberMemory();
  }
  SetRate(state);
}

} // namespace

BENCHMARK(Ours_Lines);
BENCHMARK(Cairo_Lines);
BENCHMARK(Ours_FilledCircles);
BENCHMARK(Cairo_FilledCircles);
