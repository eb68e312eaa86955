#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "plugin/SampleConvert.h"

namespace {

// Bit patterns, so NaN payloads and signed zeros count as differences.
template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b)
{
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

// Ordinary audio, then values that stress the conversion: beyond float range
// (become infinities), below it (denormals or zero), infinities, NaN, -0.
std::vector<double> Doubles(std::mt19937& rng, int n)
{
  std::uniform_real_distribution<double> audio(-1.5, 1.5);
  const double specials[] = {1e39,  -1e39, 1e-40, -1e-46, 3.4028235677973366e38, std::numeric_limits<double>::infinity(),
                             -0.0,  std::numeric_limits<double>::quiet_NaN(), 0.1, 1.0 + 1e-9};
  std::vector<double> v(n);
  for (int i = 0; i < n; ++i) v[i] = (rng() % 5 == 0) ? specials[rng() % 10] : audio(rng);
  return v;
}

std::vector<float> Floats(std::mt19937& rng, int n)
{
  const std::vector<double> d = Doubles(rng, n);
  std::vector<float> f(n);
  for (int i = 0; i < n; ++i) f[i] = (float)d[i];
  return f;
}

// Every length through two vector widths plus tails, at every misalignment of
// both buffers, with guard samples on either side that must stay untouched.
TEST(SampleConvert, VectorPathsMatchTheCastAtEveryLengthAndAlignment)
{
  std::mt19937 rng(7);
  constexpr int kGuard = 8;
  for (int n = 0; n <= 37; ++n)
    for (int off = 0; off < 8; ++off)
    {
      const std::vector<float> fsrc = Floats(rng, n + off);
      const std::vector<double> dsrc = Doubles(rng, n + off);
      const std::vector<float> start = Floats(rng, n + 2 * kGuard + off);

      std::vector<double> d1(n + 2 * kGuard + off, 42.0), d2 = d1;
      ConvertFloatToDouble(fsrc.data() + off, d1.data() + kGuard + off, n);
      ConvertFloatToDoubleReference(fsrc.data() + off, d2.data() + kGuard + off, n);
      ASSERT_TRUE(SameBits(d1, d2)) << "float to double, n=" << n << " off=" << off;

      std::vector<float> f1 = start, f2 = start;
      ConvertDoubleToFloat(dsrc.data() + off, f1.data() + kGuard + off, n);
      ConvertDoubleToFloatReference(dsrc.data() + off, f2.data() + kGuard + off, n);
      ASSERT_TRUE(SameBits(f1, f2)) << "double to float, n=" << n << " off=" << off;

      f1 = start;
      f2 = start;
      AccumulateDoubleToFloat(dsrc.data() + off, f1.data() + kGuard + off, n);
      AccumulateDoubleToFloatReference(dsrc.data() + off, f2.data() + kGuard + off, n);
      ASSERT_TRUE(SameBits(f1, f2)) << "accumulate, n=" << n << " off=" << off;
    }
}

// The reference itself: round to nearest, overflow to infinity, and an add in
// single precision (a double-precision add before narrowing differs).
TEST(SampleConvert, ReferenceRoundsAndAddsInSinglePrecision)
{
  const double src[3] = {1.0 + 0x1p-24 + 0x1p-40, 1e39, 0x1p-25};
  float dst[3] = {0, 0, 1.0f};
  ConvertDoubleToFloatReference(src, dst, 2);
  EXPECT_EQ(dst[0], 1.0f + 0x1p-23f);
  EXPECT_TRUE(std::isinf(dst[1]));

  float acc[1] = {1.0f};
  AccumulateDoubleToFloatReference(src + 2, acc, 1);
  EXPECT_EQ(acc[0], 1.0f);  // 1 + 2^-25 rounds back to 1 in single precision

  float none[1] = {5.0f};
  ConvertDoubleToFloat(src, none, 0);
  ConvertDoubleToFloat(src, none, -3);
  EXPECT_EQ(none[0], 5.0f);
}

}  // namespace
