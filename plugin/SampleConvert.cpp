#include "plugin/SampleConvert.h"

// The reference loops are kept scalar so they stay an independent oracle.
#if defined(__GNUC__) && !defined(__clang__)
#define SC_SCALAR __attribute__((optimize("no-tree-vectorize")))
#else
#define SC_SCALAR
#endif

SC_SCALAR void ConvertFloatToDoubleReference(const float* src, double* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] = (double)src[i];
}

SC_SCALAR void ConvertDoubleToFloatReference(const double* src, float* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] = (float)src[i];
}

SC_SCALAR void AccumulateDoubleToFloatReference(const double* src, float* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] += (float)src[i];
}

namespace
{
// What the compiler makes of the loops for the baseline processor; also the
// tails of the wide paths.
inline void FloatToDouble(const float* src, double* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] = (double)src[i];
}

inline void DoubleToFloat(const double* src, float* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] = (float)src[i];
}

inline void Accumulate(const double* src, float* dst, int n)
{
  for (int i = 0; i < n; ++i) dst[i] += (float)src[i];
}
}  // namespace

#if (defined(__GNUC__) || defined(__clang__)) && defined(__x86_64__)
#include <immintrin.h>

#define SC_AVX __attribute__((target("avx")))

namespace
{
const bool sHaveAVX = [] {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx") != 0;
}();

SC_AVX void FloatToDoubleAVX(const float* src, double* dst, int n)
{
  int i = 0;
  for (; i + 8 <= n; i += 8)
  {
    _mm256_storeu_pd(dst + i, _mm256_cvtps_pd(_mm_loadu_ps(src + i)));
    _mm256_storeu_pd(dst + i + 4, _mm256_cvtps_pd(_mm_loadu_ps(src + i + 4)));
  }
  FloatToDouble(src + i, dst + i, n - i);
}

SC_AVX inline __m256 Narrow8(const double* src)
{
  return _mm256_set_m128(_mm256_cvtpd_ps(_mm256_loadu_pd(src + 4)), _mm256_cvtpd_ps(_mm256_loadu_pd(src)));
}

SC_AVX void DoubleToFloatAVX(const double* src, float* dst, int n)
{
  int i = 0;
  for (; i + 8 <= n; i += 8) _mm256_storeu_ps(dst + i, Narrow8(src + i));
  DoubleToFloat(src + i, dst + i, n - i);
}

SC_AVX void AccumulateAVX(const double* src, float* dst, int n)
{
  int i = 0;
  for (; i + 8 <= n; i += 8) _mm256_storeu_ps(dst + i, _mm256_add_ps(_mm256_loadu_ps(dst + i), Narrow8(src + i)));
  Accumulate(src + i, dst + i, n - i);
}
}  // namespace

void ConvertFloatToDouble(const float* src, double* dst, int n)
{
  if (sHaveAVX) return FloatToDoubleAVX(src, dst, n);
  FloatToDouble(src, dst, n);
}

void ConvertDoubleToFloat(const double* src, float* dst, int n)
{
  if (sHaveAVX) return DoubleToFloatAVX(src, dst, n);
  DoubleToFloat(src, dst, n);
}

void AccumulateDoubleToFloat(const double* src, float* dst, int n)
{
  if (sHaveAVX) return AccumulateAVX(src, dst, n);
  Accumulate(src, dst, n);
}

#else

void ConvertFloatToDouble(const float* src, double* dst, int n) { FloatToDouble(src, dst, n); }
void ConvertDoubleToFloat(const double* src, float* dst, int n) { DoubleToFloat(src, dst, n); }
void AccumulateDoubleToFloat(const double* src, float* dst, int n) { Accumulate(src, dst, n); }

#endif
