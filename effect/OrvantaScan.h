#pragma once

// The search for non-finite input frames, included by each OrvantaKernel*.cpp
// and compiled there for that file's instruction set (so it has internal
// linkage only).

namespace {

template <int W> struct ScanVec;
template <> struct ScanVec<2> { typedef double type __attribute__((vector_size(16))); };
template <> struct ScanVec<4> { typedef double type __attribute__((vector_size(32))); };
template <> struct ScanVec<8> { typedef double type __attribute__((vector_size(64))); };

// First frame whose summed input is not finite: x - x is 0 for every finite x
// and NaN otherwise. Blocks are almost always clean, so the vector pass only
// accumulates those differences (a NaN sticks) and the frame-by-frame search
// runs only when one turned up.
template <int W>
inline __attribute__((always_inline)) int findNonFinite(const double* in0, const double* in1, const double* noise,
                                                        int n) {
  typedef typename ScanVec<W>::type V;
  V acc = {};
  int i = 0;
  for (; i + W <= n; i += W) {
    V a, b, c;
    __builtin_memcpy(&a, in0 + i, sizeof a);
    __builtin_memcpy(&b, in1 + i, sizeof b);
    __builtin_memcpy(&c, noise + i, sizeof c);
    const V x = a + b + c;
    acc += x - x;
  }
  double any = 0.0;
  for (int k = 0; k < W; ++k) any += acc[k];
  if (any != any) i = 0;
  for (; i < n; ++i) {
    const double x = in0[i] + in1[i] + noise[i];
    if (x - x != x - x) return i;
  }
  return n;
}

} // namespace
