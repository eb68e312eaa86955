// The chain on AVX-512. effect/CMakeLists.txt gives this file its flags; the
// chain runs it only where the processor has them.
//
// The chain is a long series of recursive filters. As on the narrower paths,
// every stage works on an older frame the further down the chain it sits (its
// delay d: frame i - d in iteration i), so the stages of one iteration are
// independent and several of them share one instruction, one lane each. Each
// filter still sees its own frames in order, so the output is bit for bit that
// of running each frame through the whole chain before the next.
//
// Three rules keep the loop near the arithmetic's own cost:
// - A register waits for all its lanes' inputs, so no register holds stages
//   both before and after another register's stages, and stages sharing a
//   register feed each other at least two iterations apart (four for the
//   clippers, whose division is slow).
// - Every state lives in a register for the whole block: the pipe object holds
//   registers only, and values read several iterations later go through
//   small rings in memory instead, whose loads cost no shuffle.
// - The steady loop runs one ring's length of iterations per pass, so every
//   ring position is a constant.
//
// Registers (biquad slots; lanes with their delays):
//   F1 = {pre-filter 0 @0, front @0, 1 @2, mid @2}
//   F2 = {2 @S, back @B, 17 @M+18, 18 @M+20}
//   T  = {8, 10, 11, ..., 16} @M+2, M+4, ..., M+16 (eight lanes)
// front/mid/back are 3/4/5 (DriveA) on Dirty and 19/20/21 (CleanA) on
// Clean; S, B and M (the level-scaled sum) are the channel's. The one-poles and
// clippers between F1 and F2 are the channel's glue.
#include "effect/AuDSP.h"
#include "effect/OrvantaKernel.h"
#include "effect/OrvantaScan.h"

#include <immintrin.h>
#include <stdint.h>

namespace {

#define K512_INLINE inline __attribute__((always_inline))

constexpr int kRing = 8;  // iterations a ring remembers; a power of two

// The compiler's own vector types: unlike the intrinsic types they carry no
// aliasing attribute, so they can be template arguments.
typedef double V4 __attribute__((vector_size(32)));
typedef double V8 __attribute__((vector_size(64)));

K512_INLINE __m256d splat4(double v) { return _mm256_set1_pd(v); }

K512_INLINE __m256i lanes4(int64_t a, int64_t b, int64_t c, int64_t d) { return _mm256_setr_epi64x(a, b, c, d); }

// Lanes whose frame (i minus the lane's delay) lies in the block.
K512_INLINE __mmask8 active4(__m256i delays, int i, int n) {
  return _mm256_cmplt_epu64_mask(_mm256_sub_epi64(_mm256_set1_epi64x(i), delays), _mm256_set1_epi64x(n));
}
K512_INLINE __mmask8 active8(__m512i delays, int i, int n) {
  return _mm512_cmplt_epu64_mask(_mm512_sub_epi64(_mm512_set1_epi64(i), delays), _mm512_set1_epi64(n));
}

// An iteration and its position in the rings. The unrolled steady loop makes
// the position a constant, so ring accesses need no index arithmetic.
struct Tick {
  int i;
  int slot;  // i modulo kRing
};

// A ring of the last kRing outputs of one register.
struct alignas(32) Ring4 {
  double v[kRing][4] = {};
  K512_INLINE void Put(Tick t, __m256d x) { _mm256_store_pd(v[t.slot], x); }
  // Lane `lane` of the value put `ago` iterations before t.
  K512_INLINE const double* At(Tick t, int ago, int lane) const { return &v[(t.slot - ago) & (kRing - 1)][lane]; }
};

// Biquad slots side by side, one per lane, each lane exactly
// AuDSP::biquadFilterProcess. V is V4 or V8.
template <class V> struct Biquads {
  static constexpr int N = sizeof(V) / sizeof(double);
  V b0, b1, b2, a1, a2, x1, x2, y1, y2;

  void Load(const AuDSP& d, const int (&s)[N]) {
    alignas(64) double c[9][N];
    for (int k = 0; k < N; ++k) {
      c[0][k] = d.b0[s[k]];
      c[1][k] = d.b1[s[k]];
      c[2][k] = d.b2[s[k]];
      c[3][k] = d.a1[s[k]];
      c[4][k] = d.a2[s[k]];
      c[5][k] = d.x1[s[k]];
      c[6][k] = d.x2[s[k]];
      c[7][k] = d.y1[s[k]];
      c[8][k] = d.y2[s[k]];
    }
    b0 = load(c[0]);
    b1 = load(c[1]);
    b2 = load(c[2]);
    a1 = load(c[3]);
    a2 = load(c[4]);
    x1 = load(c[5]);
    x2 = load(c[6]);
    y1 = load(c[7]);
    y2 = load(c[8]);
  }
  void Store(AuDSP& d, const int (&s)[N]) const {
    alignas(64) double c[4][N];
    store(c[0], x1);
    store(c[1], x2);
    store(c[2], y1);
    store(c[3], y2);
    for (int k = 0; k < N; ++k) {
      d.x1[s[k]] = c[0][k];
      d.x2[s[k]] = c[1][k];
      d.y1[s[k]] = c[2][k];
      d.y2[s[k]] = c[3][k];
    }
  }
  static V load(const double* p) {
    if constexpr (N == 4)
      return _mm256_load_pd(p);
    else
      return _mm512_load_pd(p);
  }
  static void store(double* p, V v) {
    if constexpr (N == 4)
      _mm256_store_pd(p, v);
    else
      _mm512_store_pd(p, v);
  }

  // Lanes outside `on` keep their state when Masked.
  template <bool Masked> K512_INLINE V Run(V in, __mmask8 on) {
    const V y = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    if constexpr (Masked) {
      if constexpr (N == 4) {
        x2 = _mm256_mask_mov_pd(x2, on, x1);
        x1 = _mm256_mask_mov_pd(x1, on, in);
        y2 = _mm256_mask_mov_pd(y2, on, y1);
        y1 = _mm256_mask_mov_pd(y1, on, y);
      } else {
        x2 = _mm512_mask_mov_pd(x2, on, x1);
        x1 = _mm512_mask_mov_pd(x1, on, in);
        y2 = _mm512_mask_mov_pd(y2, on, y1);
        y1 = _mm512_mask_mov_pd(y1, on, y);
      }
    } else {
      x2 = x1;
      x1 = in;
      y2 = y1;
      y1 = y;
    }
    return y + AuDSP::kAntiDenormal;
  }
};

// Up to four one-pole slots side by side, each lane exactly
// OnePoleLPFilterProcess or (lanes in `high`) OnePoleHPFilterProcess. Unused
// lanes have zero coefficients and are neither read nor stored.
struct OnePoles {
  __m256d a0 = {}, b1 = {}, z = {};
  __mmask8 high = 0;

  // Slot s >= 0 is a low-pass slot, ~s a high-pass one; kIdle leaves the lane
  // unused.
  static constexpr int kIdle = -1000;
  static constexpr int HighPass(int s) { return ~s; }

  void Load(const AuDSP& d, const int (&s)[4]) {
    alignas(32) double c[3][4] = {};
    for (int k = 0; k < 4; ++k) {
      if (s[k] == kIdle) continue;
      const bool hp = s[k] < 0;
      const int slot = hp ? ~s[k] : s[k];
      c[0][k] = hp ? d.hpA0[slot] : d.lpA0[slot];
      c[1][k] = hp ? d.hpB1[slot] : d.lpB1[slot];
      c[2][k] = hp ? d.hpZ[slot] : d.lpZ[slot];
      if (hp) high |= static_cast<__mmask8>(1u << k);
    }
    a0 = _mm256_load_pd(c[0]);
    b1 = _mm256_load_pd(c[1]);
    z = _mm256_load_pd(c[2]);
  }
  void Store(AuDSP& d, const int (&s)[4]) const {
    alignas(32) double c[4];
    _mm256_store_pd(c, z);
    for (int k = 0; k < 4; ++k) {
      if (s[k] == kIdle) continue;
      if (s[k] < 0)
        d.hpZ[~s[k]] = c[k];
      else
        d.lpZ[s[k]] = c[k];
    }
  }

  template <bool Masked> K512_INLINE __m256d Run(__m256d in, __mmask8 on) {
    const __m256d next = a0 * in - b1 * z;
    z = Masked ? _mm256_mask_mov_pd(z, on, next) : next;
    return _mm256_mask_blend_pd(high, next, in - next) + AuDSP::kAntiDenormal;
  }
};

// distortion2 at level 0.5, each lane with its own drive. A NaN lane gives 0,
// the value the per-frame code leaves in its untouched output. The per-frame
// soft knee is x (1 - |x| / 0.4) x 0.5 x 10: halving is exact here (the
// chain's 1e-20 offsets keep every value far above the subnormal range), so
// one product by 5 rounds the same; the ceiling 0.1 x 0.5 x 10 is folded.
K512_INLINE __m256d clip4(__m256d input, __m256d drive) {
  constexpr double kCeiling = 0.1 * 0.5 * 10.0;
  const __m256d x = input * drive;
  const __m256d ax = _mm256_andnot_pd(splat4(-0.0), x);
  const __m256d soft = x * (splat4(1.0) - ax / splat4(0.4)) * splat4(5.0);
  const __mmask8 knee = _mm256_cmp_pd_mask(ax, splat4(0.2), _CMP_LT_OQ);
  const __mmask8 ceiling = _mm256_cmp_pd_mask(ax, splat4(0.2), _CMP_GE_OQ);
  const __mmask8 upward = _mm256_cmp_pd_mask(x, splat4(0.0), _CMP_GE_OQ);
  const __m256d hard = _mm256_mask_blend_pd(upward, splat4(-kCeiling), splat4(kCeiling));
  return _mm256_mask_blend_pd(knee, _mm256_maskz_mov_pd(ceiling, hard), soft);
}

// Outputs kept for reading several iterations later: F1, F2, and the Dirty
// glue's clippers.
struct Rings {
  Ring4 f1, f2, clip;
};

// Dirty: DriveA on the front/mid/back slots 3, 4, 5; TubeScreamerA on slots 1
// and 2 around one-poles 0; TubeScreamerB on one-poles 1 and 2.
struct DirtyGlue {
  static constexpr int kFront = 3, kMid = 4, kBack = 5;
  static constexpr int kSlot2Delay = 7, kBackDelay = 4, kMixDelay = 11;
  static constexpr int kFirstDelay = 2, kLastDelay = 10;  // of the glue's lanes

  // LP 1 @2 | HP 0 @4 | HP 1 @4: the first low-pass feeds the second
  // high-pass two iterations later.
  static constexpr int kEarly[4] = {1, OnePoles::HighPass(0), OnePoles::HighPass(1), OnePoles::kIdle};
  // LP 0 @6 | LP 2 @10 | HP 2 @10.
  static constexpr int kLate[4] = {0, 2, OnePoles::HighPass(2), OnePoles::kIdle};
  OnePoles early, late;
  // TubeScreamerA @5 | TubeScreamerB first @5 | DriveA @3 | TubeScreamerB
  // second @9, on the first's output of four iterations ago.
  __m256d clipDrive;

  __m256d earlyO1 = {}, earlyO2 = {}, clipO1 = {}, lateO1 = {};

  DirtyGlue(const AuDSP& d, double drive) : clipDrive(_mm256_setr_pd(32.4, drive * 75.0 + 3.0, drive * 500.0, 1.0)) {
    early.Load(d, kEarly);
    late.Load(d, kLate);
  }
  void Store(AuDSP& d) const {
    early.Store(d, kEarly);
    late.Store(d, kLate);
  }

  // The inputs of slot 2 and of the back slot in lanes 0 and 1: LP 0 and
  // the DriveA clip of last iteration.
  template <class Pipe> K512_INLINE __m256d F2Low(const Pipe&) const {
    return _mm256_permutex2var_pd(lateO1, lanes4(0, 6, 6, 6), clipO1);
  }

  template <bool Masked, class Pipe> K512_INLINE void Step(const Pipe& p, Rings& r, Tick t, int n) {
    const int i = t.i;
    // {a, t1, LP 1 two iterations ago}
    const __m256d earlyIn = _mm256_permutex2var_pd(p.f1o2, lanes4(0, 2, 4, 4), earlyO2);
    const __m256d earlyOut = early.Run<Masked>(earlyIn, Masked ? active4(lanes4(2, 4, 4, 0), i, n) : 0xF);
    // {HP 0, HP 1, DriveA low-pass, TubeScreamerB's first clip @5 of frame i - 9}
    __m256d clipIn = _mm256_permutex2var_pd(earlyO1, lanes4(1, 2, 7, 7), p.f1o1);
    clipIn = _mm256_mask_mov_pd(clipIn, 0x8, _mm256_broadcast_sd(r.clip.At(t, 4, 1)));
    const __m256d clipped = clip4(clipIn, clipDrive);
    // {t1 + TubeScreamerA clip, TubeScreamerB second clip twice}
    __m256d lateIn = _mm256_permutexvar_pd(lanes4(0, 3, 3, 3), clipO1);
    lateIn = _mm256_mask_add_pd(lateIn, 0x1, _mm256_broadcast_sd(r.f1.At(t, 4, 2)), lateIn);
    const __m256d lateOut = late.Run<Masked>(lateIn, Masked ? active4(lanes4(6, 10, 10, 0), i, n) : 0xF);

    earlyO2 = earlyO1;
    earlyO1 = earlyOut;
    clipO1 = clipped;
    lateO1 = lateOut;
    r.clip.Put(t, clipped);
  }

  // s = DriveA + TubeScreamerA + TubeScreamerB of frame i - 11; called
  // before Step.
  K512_INLINE double Mix(const Rings& r, Tick t) const {
    return *r.f2.At(t, 7, 1) * 2.55 + *r.f2.At(t, 4, 0) + (lateO1[2] * -0.07 + lateO1[1]) * 0.6;
  }
};

// Clean: CleanA on the front/mid/back slots 19, 20, 21 (nothing between
// them); TubeScreamerC on slots 1 and 2 around one-poles 0.
struct CleanGlue {
  static constexpr int kFront = 19, kMid = 20, kBack = 21;
  static constexpr int kSlot2Delay = 6, kBackDelay = 3, kMixDelay = 8;
  static constexpr int kFirstDelay = 3, kLastDelay = 5;  // of the glue's lanes

  // Each in its own register: high-pass, clip and low-pass feed one another
  // an iteration apart. They use lane 2, where F1 holds their input.
  static constexpr int kHigh[4] = {OnePoles::kIdle, OnePoles::kIdle, OnePoles::HighPass(0), OnePoles::kIdle};
  static constexpr int kLow[4] = {OnePoles::kIdle, OnePoles::kIdle, 0, OnePoles::kIdle};
  OnePoles high, low;  // HP 0 @3, LP 0 @5
  __m256d clipDrive;   // the clip @4

  __m256d highO1 = {}, clipO1 = {}, lowO1 = {};

  CleanGlue(const AuDSP& d, double drive) : clipDrive(splat4(drive * 3.8 + 1.0)) {
    high.Load(d, kHigh);
    low.Load(d, kLow);
  }
  void Store(AuDSP& d) const {
    high.Store(d, kHigh);
    low.Store(d, kLow);
  }

  // The inputs of slot 2 and of the back slot in lanes 0 and 1: LP 0 of last
  // iteration and the CleanA low-pass.
  template <class Pipe> K512_INLINE __m256d F2Low(const Pipe& p) const {
    return _mm256_permutex2var_pd(lowO1, lanes4(2, 7, 7, 7), p.f1o1);
  }

  template <bool Masked, class Pipe> K512_INLINE void Step(const Pipe& p, Rings& r, Tick t, int n) {
    const int i = t.i;
    const __m256d highOut = high.Run<Masked>(p.f1o1, Masked ? active4(lanes4(3, 3, 3, 3), i, n) : 0xF);
    const __m256d clipped = clip4(highO1, clipDrive);
    const __m256d lowIn = _mm256_broadcast_sd(r.f1.At(t, 3, 2)) + clipO1;
    const __m256d lowOut = low.Run<Masked>(lowIn, Masked ? active4(lanes4(5, 5, 5, 5), i, n) : 0xF);

    highO1 = highOut;
    clipO1 = clipped;
    lowO1 = lowOut;
  }

  // s = TubeScreamerC + CleanA of frame i - 8; called before Step.
  K512_INLINE double Mix(const Rings& r, Tick t) const {
    return *r.f2.At(t, 2, 0) * 3.0 + *r.f2.At(t, 5, 1) * 10.0;
  }
};

template <class Glue> struct Pipe512 {
  static constexpr int kMix = Glue::kMixDelay;
  static constexpr int kOutputDelay = kMix + 20;
  static constexpr int kDepth = kOutputDelay + 1;
  static constexpr int kTSlots[8] = {8, 10, 11, 12, 13, 14, 15, 16};

  Biquads<V4> f1, f2;
  Biquads<V8> tail;  // T
  Glue glue;
  static constexpr int kF1Slots[4] = {0, Glue::kFront, 1, Glue::kMid};
  static constexpr int kF2Slots[4] = {2, Glue::kBack, 17, 18};

  // Output history: *1 is last iteration's value, *2 the one before.
  __m256d f1o1 = {}, f1o2 = {}, f2o2 = {}, f2o1 = {};
  V8 to1 = {}, to2 = {};
  double m1 = 0.0, m2 = 0.0;
  const double levelGain;
  const double* const in0;
  const double* const in1;
  const double* const noise;
  double* const out0;
  double* const out1;
  const int n;

  Pipe512(const AuDSP& d, const OrvantaBlock& b)
      : glue(d, b.driveAmount), levelGain(b.levelGain), in0(b.in0), in1(b.in1), noise(b.noise), out0(b.out0),
        out1(b.out1), n(b.nFrames) {
    f1.Load(d, kF1Slots);
    f2.Load(d, kF2Slots);
    tail.Load(d, kTSlots);
  }
  void Store(AuDSP& d) const {
    f1.Store(d, kF1Slots);
    f2.Store(d, kF2Slots);
    tail.Store(d, kTSlots);
    glue.Store(d);
  }

  template <bool Masked> K512_INLINE void Step(Rings& r, Tick t) {
    const int i = t.i;
    // While the pipe fills and drains, a register none of whose lanes has its
    // frame in the block is left alone: a masked run would keep all its
    // states, and what it passes on reaches only lanes equally idle.
    const bool front = !Masked || i < n + 2;
    const bool middle = !Masked || (i >= Glue::kFirstDelay && i < n + Glue::kLastDelay);
    const bool back = !Masked || (i >= kMix + 2 && i < n + kMix + 16);

    __m256d f1Out = f1o1;
    if (front) {
      double x = 0.0;
      if (!Masked || i < n) x = in0[i] + in1[i] + noise[i];
      // {x, x, a, front} with a and front of two iterations ago.
      const __m256d f1In = _mm256_insertf128_pd(splat4(x), _mm256_castpd256_pd128(f1o2), 1);
      f1Out = f1.Run<Masked>(f1In, Masked ? active4(lanes4(0, 0, 2, 2), i, n) : 0xF);
    }

    const double m = glue.Mix(r, t) * levelGain;
    const __m256d f2Low = glue.F2Low(*this);
    if (middle) glue.template Step<Masked>(*this, r, t, n);

    // {slot 2's input, the back slot's, T's top lane, 17} of two iterations ago
    // in the upper lanes.
    const __m256d f2High = _mm256_permutex2var_pd(f2o2, lanes4(0, 0, 7, 2), __builtin_shufflevector(to2, to2, 4, 5, 6, 7));
    const __m256d f2In = _mm256_blend_pd(f2High, f2Low, 0x3);
    const __m256d f2Out = f2.Run<Masked>(
        f2In, Masked ? active4(lanes4(Glue::kSlot2Delay, Glue::kBackDelay, kMix + 18, kMix + 20), i, n) : 0xF);

    // Each T lane takes the one below it from two iterations ago; the lowest
    // takes the sum.
    V8 tOut = to1;
    if (back) {
      const V8 tIn = __builtin_shufflevector(to2, V8{m2, m2, m2, m2, m2, m2, m2, m2}, 8, 0, 1, 2, 3, 4, 5, 6);
      const __m512i tDelays = _mm512_setr_epi64(kMix + 2, kMix + 4, kMix + 6, kMix + 8, kMix + 10, kMix + 12,
                                                kMix + 14, kMix + 16);
      tOut = tail.Run<Masked>(tIn, Masked ? active8(tDelays, i, n) : 0xFF);
    }

    r.f2.Put(t, f2Out);
    if (!Masked || static_cast<unsigned>(i - kOutputDelay) < static_cast<unsigned>(n)) {
      const double y = *r.f2.At(t, 0, 3);
      out0[i - kOutputDelay] = y;
      out1[i - kOutputDelay] = y;
    }

    r.f1.Put(t, f1Out);
    f1o2 = f1o1;
    f1o1 = f1Out;
    f2o2 = f2o1;
    f2o1 = f2Out;
    to2 = to1;
    to1 = tOut;
    m2 = m1;
    m1 = m;
  }
};

// Iterations whose delays reach outside the block run masked, the middle ones
// (every delay inside) plain. Afterwards every filter has seen exactly
// nFrames frames.
template <class Glue> void runPipe512(AuDSP& d, const OrvantaBlock& b) {
  // The rings live apart from the pipe: indexed by iteration, they must sit
  // in memory, while the pipe's registers must not.
  Rings rings;
  Pipe512<Glue> pipe(d, b);
  constexpr int kDepth = Pipe512<Glue>::kDepth;
  const int n = b.nFrames;
  // The steady loop runs kRing iterations per pass from a multiple of kRing;
  // a masked iteration whose lanes are all in the block computes the same as
  // a plain one.
  const int fill = (kDepth - 1 + kRing - 1) & ~(kRing - 1);
  const int steadyBegin = fill < n ? fill : n;
  int i = 0;
  for (; i < steadyBegin; ++i) pipe.template Step<true>(rings, Tick{i, i & (kRing - 1)});
  for (; i + kRing <= n; i += kRing) {
    static_assert(kRing == 8);
    pipe.template Step<false>(rings, Tick{i, 0});
    pipe.template Step<false>(rings, Tick{i + 1, 1});
    pipe.template Step<false>(rings, Tick{i + 2, 2});
    pipe.template Step<false>(rings, Tick{i + 3, 3});
    pipe.template Step<false>(rings, Tick{i + 4, 4});
    pipe.template Step<false>(rings, Tick{i + 5, 5});
    pipe.template Step<false>(rings, Tick{i + 6, 6});
    pipe.template Step<false>(rings, Tick{i + 7, 7});
  }
  for (; i < n; ++i) pipe.template Step<false>(rings, Tick{i, i & (kRing - 1)});
  for (; i < n + kDepth - 1; ++i) pipe.template Step<true>(rings, Tick{i, i & (kRing - 1)});
  pipe.Store(d);
}

void dirtyAvx512(AuDSP& dsp, const OrvantaBlock& block) { runPipe512<DirtyGlue>(dsp, block); }
void cleanAvx512(AuDSP& dsp, const OrvantaBlock& block) { runPipe512<CleanGlue>(dsp, block); }
int firstNonFiniteAvx512(const double* in0, const double* in1, const double* noise, int n) {
  return findNonFinite<8>(in0, in1, noise, n);
}

}  // namespace

const OrvantaKernel kOrvantaKernelAvx512 = {"AVX-512", 10, 10, dirtyAvx512, cleanAvx512, firstNonFiniteAvx512};
