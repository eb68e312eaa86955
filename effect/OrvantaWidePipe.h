#pragma once

// The chain laid out across four-lane vectors, included by the AVX2 kernel
// file and compiled there for that instruction set. Everything here has
// internal linkage and calls no out-of-line or inline function shared with
// other files: a copy built for AVX2 must never be the one a narrower path
// links to.
//
// The chain is a long series of recursive filters. A frame-after-frame loop
// waits on the latency of the whole series; instead every filter works on an
// older frame the further down the chain it sits (its delay), so within one
// iteration all filters are independent and several of them share one vector
// instruction. Each filter still sees its input frames in order, so the output
// is bit for bit that of running each frame through the whole chain first.
//
// Lanes of one vector that feed each other are two iterations apart: one
// filter's output reaches the next filter's input through the sum of its
// five products, and with one iteration per hop that latency, not the
// arithmetic, would set the pace. Values travel between iterations only
// through the *1/*2/... history registers (the value of one or two iterations
// ago), never within one, except inside a stage's own short glue.
//
// Layout (biquad slots; a delay d works on frame i - d in iteration i):
//   F1 = {pre-filter 0, front, 1, mid}        delays {0, 0, 2, 2}
//   F2 = {2, back, 17, 18}                    delays {6, 6, 26, 28}
//   T  = {8, 10, 11, 12, 13, 14, 15, 16}      delays {10, 12, ..., 24}
// front/mid/back are 3/4/5 (DriveA) on Dirty and 19/20/21 (CleanA) on Clean.
// The one-poles and clippers between F1 and F2 run on two- and four-lane
// vectors at delays 2 to 7; the level-scaled sum feeding T is formed at
// delay 8.

#include "effect/AuDSP.h"
#include "effect/OrvantaKernel.h"
#include "effect/OrvantaScan.h"

#include <stdint.h>

#include <utility>

namespace {

#define WIDE_INLINE inline __attribute__((always_inline))

typedef double V2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef int64_t M2 __attribute__((vector_size(16)));
typedef int64_t M4 __attribute__((vector_size(32)));

constexpr int kWideDepth = 29;  // delays 0 .. 28
constexpr int kOutputDelay = 28;

template <class V> struct MaskOf;
template <> struct MaskOf<V2> { typedef M2 type; };
template <> struct MaskOf<V4> { typedef M4 type; };

// Doubles per register; a group of N lanes is held as N / 4 registers.
constexpr int kNativeLanes = 4;

// Every lane v. Adding v to a zero vector would cost an addition the
// compiler may not drop (0 + -0 is +0).
template <class V> WIDE_INLINE V splat(double v) {
  if constexpr (sizeof(V) == 16)
    return V{v, v};
  else
    return V{v, v, v, v};
}

// a where the mask is set, b elsewhere.
template <class V, class M = typename MaskOf<V>::type> WIDE_INLINE V pick(M mask, V a, V b) {
  return (V)(((M)a & mask) | ((M)b & ~mask));
}

// Lanes whose frame (iteration minus delay) lies in the block.
template <class V, class M = typename MaskOf<V>::type> WIDE_INLINE M activeLanes(M delays, int i, int n) {
  typedef uint64_t U __attribute__((vector_size(sizeof(M))));
  return (M)((U)(i - delays) < (U)(M{} + n));
}

WIDE_INLINE bool activeAt(int i, int delay, int n) { return static_cast<unsigned>(i - delay) < static_cast<unsigned>(n); }

template <int N> struct Lanes {
  static constexpr int L = N < kNativeLanes ? N : kNativeLanes;
  static constexpr int P = N / L;
  typedef V4 V;
  typedef M4 M;
  V p[P];

  WIDE_INLINE double operator[](int k) const { return p[k / L][k % L]; }
};

// {a[L-1], b[0], ..., b[L-2]}: one register's lanes moved up by one, the
// lowest filled from the register before it.
WIDE_INLINE V4 shiftIn(V4 a, V4 b) { return __builtin_shufflevector(a, b, 3, 4, 5, 6); }

// Lanes whose frame lies in the block, for register q of a group whose lane
// delays are `delays`.
template <int N, int... K>
WIDE_INLINE typename Lanes<N>::M partActive(const int (&delays)[N], int q, int i, int n,
                                             std::integer_sequence<int, K...>) {
  typedef typename Lanes<N>::M M;
  return activeLanes<typename Lanes<N>::V>(M{delays[q * Lanes<N>::L + K]...}, i, n);
}

// distortion2 at level 0.5, each lane with its own drive. A NaN lane gives 0,
// the value the per-frame code leaves in its untouched output. The per-frame
// soft knee is x (1 - |x| / 0.4) x 0.5 x 10: halving is exact here (the
// chain's 1e-20 offsets keep every value far above the subnormal range), so
// one product by 5 rounds the same; the ceiling 0.1 x 0.5 x 10 is folded.
constexpr double kClipCeiling = 0.1 * 0.5 * 10.0;

template <class V, class M = typename MaskOf<V>::type> WIDE_INLINE V clip(V input, V drive) {
  const V x = input * drive;
  const V ax = (V)((M)x & (M{} + INT64_MAX));
  const V soft = x * (splat<V>(1.0) - ax / splat<V>(0.4)) * splat<V>(5.0);
  const V hard = pick<V>((M)(x >= splat<V>(0.0)), splat<V>(kClipCeiling), splat<V>(-kClipCeiling));
  return pick<V>((M)(ax < splat<V>(0.2)), soft, pick<V>((M)(ax >= splat<V>(0.2)), hard, splat<V>(0.0)));
}

// Biquad slots side by side, one per lane, each lane exactly
// AuDSP::biquadFilterProcess.
template <int N> struct BiquadLanes {
  typedef Lanes<N> G;
  typedef typename G::V V;
  typedef typename G::M M;
  static constexpr int L = G::L, P = G::P;
  V b0[P], b1[P], b2[P], a1[P], a2[P], x1[P], x2[P], y1[P], y2[P];

  WIDE_INLINE void Load(const AuDSP& d, const int (&s)[N]) {
    for (int k = 0; k < N; ++k) {
      const int q = k / L, l = k % L;
      b0[q][l] = d.b0[s[k]];
      b1[q][l] = d.b1[s[k]];
      b2[q][l] = d.b2[s[k]];
      a1[q][l] = d.a1[s[k]];
      a2[q][l] = d.a2[s[k]];
      x1[q][l] = d.x1[s[k]];
      x2[q][l] = d.x2[s[k]];
      y1[q][l] = d.y1[s[k]];
      y2[q][l] = d.y2[s[k]];
    }
  }
  WIDE_INLINE void Store(AuDSP& d, const int (&s)[N]) const {
    for (int k = 0; k < N; ++k) {
      const int q = k / L, l = k % L;
      d.x1[s[k]] = x1[q][l];
      d.x2[s[k]] = x2[q][l];
      d.y1[s[k]] = y1[q][l];
      d.y2[s[k]] = y2[q][l];
    }
  }
  WIDE_INLINE V Run(int q, V in) {
    const V y = b0[q] * in + b1[q] * x1[q] + b2[q] * x2[q] - a1[q] * y1[q] - a2[q] * y2[q];
    x2[q] = x1[q];
    x1[q] = in;
    y2[q] = y1[q];
    y1[q] = y;
    return y + splat<V>(AuDSP::kAntiDenormal);
  }
  // Only the lanes set in `on` advance.
  WIDE_INLINE V Run(int q, V in, M on) {
    const V y = b0[q] * in + b1[q] * x1[q] + b2[q] * x2[q] - a1[q] * y1[q] - a2[q] * y2[q];
    x2[q] = pick<V>(on, x1[q], x2[q]);
    x1[q] = pick<V>(on, in, x1[q]);
    y2[q] = pick<V>(on, y1[q], y2[q]);
    y1[q] = pick<V>(on, y, y1[q]);
    return y + splat<V>(AuDSP::kAntiDenormal);
  }
  // Every register of the group; lanes whose delay puts their frame outside
  // the block keep their state when Masked.
  template <bool Masked> WIDE_INLINE G RunAll(const G& in, const int (&delays)[N], int i, int n) {
    G out;
#pragma GCC unroll 4
    for (int q = 0; q < P; ++q)
      out.p[q] = Masked ? Run(q, in.p[q], partActive<N>(delays, q, i, n, std::make_integer_sequence<int, L>()))
                        : Run(q, in.p[q]);
    return out;
  }
};

// Two one-pole slots side by side, each lane a low-pass or (High0/High1) a
// high-pass, each exactly OnePoleLPFilterProcess or OnePoleHPFilterProcess.
template <bool High0, bool High1> struct OnePolePair {
  V2 a0, b1, z;

  WIDE_INLINE void Load(const AuDSP& d, int s0, int s1) {
    a0 = V2{High0 ? d.hpA0[s0] : d.lpA0[s0], High1 ? d.hpA0[s1] : d.lpA0[s1]};
    b1 = V2{High0 ? d.hpB1[s0] : d.lpB1[s0], High1 ? d.hpB1[s1] : d.lpB1[s1]};
    z = V2{High0 ? d.hpZ[s0] : d.lpZ[s0], High1 ? d.hpZ[s1] : d.lpZ[s1]};
  }
  WIDE_INLINE void Store(AuDSP& d, int s0, int s1) const {
    (High0 ? d.hpZ : d.lpZ)[s0] = z[0];
    (High1 ? d.hpZ : d.lpZ)[s1] = z[1];
  }
  // High-pass: in - z + 1e-20; low-pass: z + 1e-20.
  WIDE_INLINE V2 Out(V2 in, V2 next) const {
    if constexpr (!High0 && !High1)
      return next + AuDSP::kAntiDenormal;
    const V2 high = in - next;
    if constexpr (High0 && High1)
      return high + AuDSP::kAntiDenormal;
    return V2{High0 ? high[0] : next[0], High1 ? high[1] : next[1]} + AuDSP::kAntiDenormal;
  }
  WIDE_INLINE V2 Run(V2 in) {
    z = a0 * in - b1 * z;
    return Out(in, z);
  }
  // Only the lanes set in `on` advance.
  WIDE_INLINE V2 Run(V2 in, M2 on) {
    const V2 next = a0 * in - b1 * z;
    z = pick<V2>(on, next, z);
    return Out(in, next);
  }
  template <bool Masked> WIDE_INLINE V2 Run(V2 in, M2 delays, int i, int n) {
    return Masked ? Run(in, activeLanes<V2>(delays, i, n)) : Run(in);
  }
};

// Four one-pole slots side by side, three low-passes and a high-pass in the
// top lane, each exactly OnePoleLPFilterProcess or OnePoleHPFilterProcess.
struct OnePoleQuad {
  V4 a0, b1, z;

  WIDE_INLINE void Load(const AuDSP& d, const int (&lows)[3], int high) {
    a0 = V4{d.lpA0[lows[0]], d.lpA0[lows[1]], d.lpA0[lows[2]], d.hpA0[high]};
    b1 = V4{d.lpB1[lows[0]], d.lpB1[lows[1]], d.lpB1[lows[2]], d.hpB1[high]};
    z = V4{d.lpZ[lows[0]], d.lpZ[lows[1]], d.lpZ[lows[2]], d.hpZ[high]};
  }
  WIDE_INLINE void Store(AuDSP& d, const int (&lows)[3], int high) const {
    for (int k = 0; k < 3; ++k) d.lpZ[lows[k]] = z[k];
    d.hpZ[high] = z[3];
  }
  WIDE_INLINE static V4 Out(V4 in, V4 next) {
    return __builtin_shufflevector(next, in - next, 0, 1, 2, 7) + AuDSP::kAntiDenormal;
  }
  // Only the lanes whose delay puts their frame inside the block advance
  // when Masked.
  template <bool Masked> WIDE_INLINE V4 Run(V4 in, M4 delays, int i, int n) {
    const V4 next = a0 * in - b1 * z;
    z = Masked ? pick<V4>(activeLanes<V4>(delays, i, n), next, z) : next;
    return Out(in, next);
  }
};

// One one-pole slot, exactly OnePoleLPFilterProcess or OnePoleHPFilterProcess.
struct OnePoleScalar {
  double a0, b1, z;
  WIDE_INLINE double LowPass(double in, bool on) {
    const double next = a0 * in - b1 * z;
    if (on) z = next;
    return next + AuDSP::kAntiDenormal;
  }
  WIDE_INLINE double HighPass(double in, bool on) {
    const double next = a0 * in - b1 * z;
    if (on) z = next;
    return in - next + AuDSP::kAntiDenormal;
  }
};

struct WideIo {
  const OrvantaBlock& b;
  WIDE_INLINE double Input(int frame) const { return b.in0[frame] + b.in1[frame] + b.noise[frame]; }
  WIDE_INLINE void Output(int frame, double y) const {
    b.out0[frame] = y;
    b.out1[frame] = y;
  }
};

// The filters shared by both channels: the tone section and Cab in T and in
// F2's upper lanes, the pre-filter and the channel's own first biquads in F1
// and F2's lower lanes. The channel supplies the glue between F1 and F2.
// F1's input {x, x, h[0], h[1]}.
template <class G> WIDE_INLINE G frontIn(double x, const G& h) {
  return G{{__builtin_shufflevector(splat<typename G::V>(x), h.p[0], 0, 1, 4, 5)}};
}

template <class Glue> struct WidePipe {
  BiquadLanes<4> f1, f2;
  BiquadLanes<8> t;
  Glue glue;
  int f1Slots[4], f2Slots[4];
  static constexpr int kTSlots[8] = {8, 10, 11, 12, 13, 14, 15, 16};
  static constexpr int kF1Delays[4] = {0, 0, 2, 2};
  static constexpr int kF2Delays[4] = {6, 6, 26, 28};
  static constexpr int kTDelays[8] = {10, 12, 14, 16, 18, 20, 22, 24};

  // Output history: *1 is last iteration's value, *2 the one before.
  Lanes<4> f1o1 = {}, f1o2 = {}, f1o3 = {}, f1o4 = {};
  Lanes<4> f2o1 = {}, f2o2 = {};
  Lanes<8> to1 = {}, to2 = {};
  double m1 = 0.0, m2 = 0.0;
  double levelGain;

  WidePipe(const AuDSP& d, const OrvantaBlock& b)
      : glue(d, b.driveAmount), f1Slots{0, Glue::kFront, 1, Glue::kMid}, f2Slots{2, Glue::kBack, 17, 18},
        levelGain(b.levelGain) {
    f1.Load(d, f1Slots);
    f2.Load(d, f2Slots);
    t.Load(d, kTSlots);
  }

  void Store(AuDSP& d) const {
    f1.Store(d, f1Slots);
    f2.Store(d, f2Slots);
    t.Store(d, kTSlots);
    glue.Store(d);
  }

  // The latest delay of F1 and the glue: the mix of frame i - 8.
  static constexpr int kMixDelay = 8;

  template <bool Masked> WIDE_INLINE void Step(const WideIo& io, int i) {
    const int n = io.b.nFrames;
    // While the pipe fills and drains, a group none of whose lanes has its
    // frame in the block is skipped whole: its masked run would leave every
    // state as it is, and what it passes on reaches only lanes equally idle.
    const bool front = !Masked || i < n + kMixDelay;
    const bool middle = !Masked || i >= kF2Delays[0];
    const bool tail = !Masked || (i >= kTDelays[0] && i < n + kTDelays[7]);

    double m = 0.0, lowerIn = 0.0, backIn = 0.0;
    if (front) {
      double x = 0.0;
      if (!Masked || i < n) x = io.Input(i);
      // {x, x, a, DriveA/CleanA high-pass} of two iterations ago.
      const Lanes<4> f1In = frontIn(x, f1o2);
      const Lanes<4> f1Out = f1.RunAll<Masked>(f1In, kF1Delays, i, n);
      m = glue.Mix(f2o2) * levelGain;
      lowerIn = glue.template Step<Masked>(*this, i, n, backIn);
      f1o4 = f1o3;
      f1o3 = f1o2;
      f1o2 = f1o1;
      f1o1 = f1Out;
    }

    Lanes<4> f2Out = {};
    if (middle) {
      const Lanes<4> f2In = {{Lanes<4>::V{lowerIn, backIn, to2[7], f2o2[2]}}};
      f2Out = f2.RunAll<Masked>(f2In, kF2Delays, i, n);
    }

    Lanes<8> tOut = {};
    if (tail) {
      // Each T lane takes the one below it from two iterations ago; the
      // lowest takes m.
      Lanes<8> tIn;
      tIn.p[0] = shiftIn(splat<V4>(m2), to2.p[0]);
#pragma GCC unroll 4
      for (int q = 1; q < Lanes<8>::P; ++q) tIn.p[q] = shiftIn(to2.p[q - 1], to2.p[q]);
      tOut = t.RunAll<Masked>(tIn, kTDelays, i, n);
    }

    if (!Masked || activeAt(i, kOutputDelay, n)) io.Output(i - kOutputDelay, f2Out[3]);

    f2o2 = f2o1;
    f2o1 = f2Out;
    to2 = to1;
    to1 = tOut;
    m2 = m1;
    m1 = m;
  }
};

// Dirty: DriveA on the front/mid/back slots 3, 4, 5; TubeScreamerA on slots
// 1 and 2 around one-poles 0; TubeScreamerB on one-poles 1 and 2.
struct DirtyGlue {
  static constexpr int kFront = 3, kMid = 4, kBack = 5;

  // LP 1 (TubeScreamerB) | LP 0 (TubeScreamerA) | LP 2 | HP 2: the last two
  // split TubeScreamerB's output, which nothing in the register feeds.
  static constexpr int kLowSlots[3] = {1, 0, 2};
  OnePoleQuad lows;
  OnePolePair<true, true> highs;  // HP 0 (TubeScreamerA) | HP 1 (TubeScreamerB)
  // All four clippers in one register: TubeScreamerA's and TubeScreamerB's
  // first (delay 4), TubeScreamerB's second (delay 6: it takes the first's
  // output of two iterations ago, so the register never waits on its own
  // previous result) and DriveA's (delay 5).
  V4 clipDrive;

  double lp1o1 = 0.0;         // LP 1 of a, delay 2
  V2 hpo1 = {};               // HP 0 of t1 | HP 1, delay 3
  V4 co1 = {}, co2 = {};      // the clippers, one and two iterations ago
  double lp0o1 = 0.0;         // TubeScreamerA low-pass, delay 5
  V4 lowo1 = {};              // LP 2 | HP 2 in the top lanes, delay 7

  DirtyGlue(const AuDSP& d, double drive) : clipDrive{32.4, drive * 75.0 + 3.0, 1.0, drive * 500.0} {
    lows.Load(d, kLowSlots, 2);
    highs.Load(d, 0, 1);
  }

  void Store(AuDSP& d) const {
    lows.Store(d, kLowSlots, 2);
    highs.Store(d, 0, 1);
  }

  // Returns the input of slot 2 (delay 6) and sets that of the back slot.
  template <bool Masked, class Pipe>
  WIDE_INLINE double Step(const Pipe& p, int i, int n, double& backIn) {
    const V4 lowOut = lows.Run<Masked>(V4{p.f1o2[0], p.f1o3[2] + co1[0], co1[2], co1[2]}, M4{2, 5, 7, 7}, i, n);
    const double lp1Out = lowOut[0], lp0Out = lowOut[1];
    const V2 hpOut = highs.Run<Masked>(V2{p.f1o1[2], lp1o1}, M2{3, 3}, i, n);
    const V4 c = clip<V4>(V4{hpo1[0], hpo1[1], co2[1], p.f1o3[3]}, clipDrive);

    const double lowerIn = lp0o1;
    backIn = co1[3];
    lp1o1 = lp1Out;
    hpo1 = hpOut;
    co2 = co1;
    co1 = c;
    lp0o1 = lp0Out;
    lowo1 = lowOut;
    return lowerIn;
  }

  // s = DriveA + TubeScreamerA + TubeScreamerB of frame i - 8, from slot 2
  // and 5 two iterations ago and the split one iteration ago; called before
  // Step moves them on.
  WIDE_INLINE double Mix(const Lanes<4>& f2o2) const {
    return f2o2[1] * 2.55 + f2o2[0] + (lowo1[3] * -0.07 + lowo1[2]) * 0.6;
  }
};

// Clean: CleanA on the front/mid/back slots 19, 20, 21 (no glue between them);
// TubeScreamerC on slots 1 and 2 around one-poles 0.
struct CleanGlue {
  static constexpr int kFront = 19, kMid = 20, kBack = 21;

  // Scalar one-poles: at this size a pair costs more than it saves.
  OnePoleScalar hp0, lp0;
  V2 clipDrive;

  double hp0o1 = 0.0;  // HP 0 of t1, delay 3
  double co1 = 0.0;    // clip, delay 4
  double lp0o1 = 0.0;  // low-pass of t1 + clip, delay 5

  CleanGlue(const AuDSP& d, double drive)
      : hp0{d.hpA0[0], d.hpB1[0], d.hpZ[0]}, lp0{d.lpA0[0], d.lpB1[0], d.lpZ[0]},
        clipDrive{drive * 3.8 + 1.0, drive * 3.8 + 1.0} {}

  void Store(AuDSP& d) const {
    d.hpZ[0] = hp0.z;
    d.lpZ[0] = lp0.z;
  }

  template <bool Masked, class Pipe>
  WIDE_INLINE double Step(const Pipe& p, int i, int n, double& backIn) {
    const double hp0Out = hp0.HighPass(p.f1o1[2], !Masked || activeAt(i, 3, n));
    const double c = clip<V2>(V2{hp0o1, hp0o1}, clipDrive)[0];
    const double lp0Out = lp0.LowPass(p.f1o3[2] + co1, !Masked || activeAt(i, 5, n));

    const double lowerIn = lp0o1;
    backIn = p.f1o4[3];
    hp0o1 = hp0Out;
    co1 = c;
    lp0o1 = lp0Out;
    return lowerIn;
  }

  // s = TubeScreamerC + CleanA of frame i - 8.
  WIDE_INLINE double Mix(const Lanes<4>& f2o2) const { return f2o2[0] * 3.0 + f2o2[1] * 10.0; }
};

// Runs the block: iterations whose delays reach outside it are masked, the
// middle ones (every delay inside) run plain. Afterwards every filter has
// seen exactly nFrames frames.
template <class Glue> WIDE_INLINE void runWidePipe(AuDSP& d, const OrvantaBlock& b) {
  WidePipe<Glue> pipe(d, b);
  const WideIo io{b};
  const int n = b.nFrames;
  const int steadyEnd = n;
  const int steadyBegin = kWideDepth - 1 < n ? kWideDepth - 1 : n;
  int i = 0;
  for (; i < steadyBegin; ++i) pipe.template Step<true>(io, i);
  for (; i < steadyEnd; ++i) pipe.template Step<false>(io, i);
  for (; i < n + kWideDepth - 1; ++i) pipe.template Step<true>(io, i);
  pipe.Store(d);
}

} // namespace

// The kernel of a file including this header, under the given name.
#define ORVANTA_WIDE_KERNEL(symbol, label, dirtyMinFrames, cleanMinFrames)                                     \
  const OrvantaKernel symbol = {                                                                               \
      label, dirtyMinFrames, cleanMinFrames,                                                                   \
      [](AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<DirtyGlue>(dsp, block); },                       \
      [](AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<CleanGlue>(dsp, block); },                       \
      [](const double* in0, const double* in1, const double* noise, int n) {                                   \
        return findNonFinite<kNativeLanes>(in0, in1, noise, n);                                                \
      }}
