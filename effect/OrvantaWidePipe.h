#pragma once

// The chain laid out across vector lanes, included once by each
// OrvantaKernel*.cpp and compiled there for that file's instruction set.
// Everything here has internal linkage and calls no out-of-line or inline
// function shared with other files: a copy built for AVX-512 must never be the
// one a narrower path links to.
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
// The one-poles and clippers between F1 and F2 run on two-lane vectors at
// delays 2 to 7; the level-scaled sum feeding T is formed at delay 8.

#include "effect/AuDSP.h"
#include "effect/OrvantaKernel.h"

#include <stdint.h>

// The baseline copy holds 32- and 64-byte vectors in pairs of registers. GCC
// warns that passing them would differ from a wider build's convention; no
// such call exists, as everything here is inlined and file-local.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace {

#define WIDE_INLINE inline __attribute__((always_inline))

typedef double V2 __attribute__((vector_size(16)));
typedef double V4 __attribute__((vector_size(32)));
typedef double V8 __attribute__((vector_size(64)));
typedef int64_t M2 __attribute__((vector_size(16)));
typedef int64_t M4 __attribute__((vector_size(32)));
typedef int64_t M8 __attribute__((vector_size(64)));

constexpr int kWideDepth = 29;  // delays 0 .. 28
constexpr int kOutputDelay = 28;

template <class V> struct MaskOf;
template <> struct MaskOf<V2> { typedef M2 type; };
template <> struct MaskOf<V4> { typedef M4 type; };
template <> struct MaskOf<V8> { typedef M8 type; };

template <class V> WIDE_INLINE V splat(double v) {
  V r = {};
  return r + v;
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

// distortion2 at level 0.5, each lane with its own drive. A NaN lane gives 0,
// the value the per-frame code leaves in its untouched output.
template <class V, class M = typename MaskOf<V>::type> WIDE_INLINE V clip(V input, V drive) {
  const V x = input * drive;
  const V ax = (V)((M)x & (M{} + INT64_MAX));
  const V soft = x * (splat<V>(1.0) - ax / splat<V>(0.4)) * splat<V>(0.5) * splat<V>(10.0);
  const V hard = pick<V>((M)(x >= splat<V>(0.0)), splat<V>(0.1), splat<V>(-0.1)) * splat<V>(0.5) * splat<V>(10.0);
  return pick<V>((M)(ax < splat<V>(0.2)), soft, pick<V>((M)(ax >= splat<V>(0.2)), hard, splat<V>(0.0)));
}

// Biquad slots side by side, one per lane, each lane exactly
// AuDSP::biquadFilterProcess.
template <class V, int N> struct BiquadLanes {
  typedef typename MaskOf<V>::type M;
  V b0, b1, b2, a1, a2, x1, x2, y1, y2;

  WIDE_INLINE void Load(const AuDSP& d, const int (&s)[N]) {
    for (int k = 0; k < N; ++k) {
      b0[k] = d.b0[s[k]];
      b1[k] = d.b1[s[k]];
      b2[k] = d.b2[s[k]];
      a1[k] = d.a1[s[k]];
      a2[k] = d.a2[s[k]];
      x1[k] = d.x1[s[k]];
      x2[k] = d.x2[s[k]];
      y1[k] = d.y1[s[k]];
      y2[k] = d.y2[s[k]];
    }
  }
  WIDE_INLINE void Store(AuDSP& d, const int (&s)[N]) const {
    for (int k = 0; k < N; ++k) {
      d.x1[s[k]] = x1[k];
      d.x2[s[k]] = x2[k];
      d.y1[s[k]] = y1[k];
      d.y2[s[k]] = y2[k];
    }
  }
  WIDE_INLINE V Run(V in) {
    const V y = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = in;
    y2 = y1;
    y1 = y;
    return y + splat<V>(AuDSP::kAntiDenormal);
  }
  // Only the lanes set in `on` advance.
  WIDE_INLINE V Run(V in, M on) {
    const V y = b0 * in + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = pick<V>(on, x1, x2);
    x1 = pick<V>(on, in, x1);
    y2 = pick<V>(on, y1, y2);
    y1 = pick<V>(on, y, y1);
    return y + splat<V>(AuDSP::kAntiDenormal);
  }
};

// One-pole slots side by side; each lane is a low-pass or a high-pass
// (`high` set), exactly OnePoleLPFilterProcess / OnePoleHPFilterProcess.
struct OnePoleLanes {
  V2 a0, b1, z;
  M2 high;

  // Lane k: slot[k] of the low-pass (isHigh[k] false) or high-pass bank.
  WIDE_INLINE void Load(const AuDSP& d, const int (&slot)[2], const bool (&isHigh)[2]) {
    for (int k = 0; k < 2; ++k) {
      a0[k] = isHigh[k] ? d.hpA0[slot[k]] : d.lpA0[slot[k]];
      b1[k] = isHigh[k] ? d.hpB1[slot[k]] : d.lpB1[slot[k]];
      z[k] = isHigh[k] ? d.hpZ[slot[k]] : d.lpZ[slot[k]];
      high[k] = isHigh[k] ? -1 : 0;
    }
  }
  WIDE_INLINE void Store(AuDSP& d, const int (&slot)[2]) const {
    for (int k = 0; k < 2; ++k)
      (high[k] ? d.hpZ : d.lpZ)[slot[k]] = z[k];
  }
  // Low-pass: z + 1e-20, written as z - 0 so both kinds share one expression.
  WIDE_INLINE V2 Out(V2 in) const { return (pick<V2>(high, in, z) - pick<V2>(high, z, V2{})) + AuDSP::kAntiDenormal; }
  WIDE_INLINE V2 Run(V2 in) {
    z = a0 * in - b1 * z;
    return Out(in);
  }
  WIDE_INLINE V2 Run(V2 in, bool on) {
    const V2 next = a0 * in - b1 * z;
    if (on) z = next;
    return (pick<V2>(high, in, next) - pick<V2>(high, next, V2{})) + AuDSP::kAntiDenormal;
  }
};

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
template <class Glue> struct WidePipe {
  BiquadLanes<V4, 4> f1, f2;
  BiquadLanes<V8, 8> t;
  Glue glue;
  int f1Slots[4], f2Slots[4];
  static constexpr int kTSlots[8] = {8, 10, 11, 12, 13, 14, 15, 16};

  // Output history: *1 is last iteration's value, *2 the one before.
  V4 f1o1 = {}, f1o2 = {}, f1o3 = {}, f1o4 = {};
  V4 f2o1 = {}, f2o2 = {};
  V8 to1 = {}, to2 = {};
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

  template <bool Masked> WIDE_INLINE void Step(const WideIo& io, int i) {
    const int n = io.b.nFrames;
    double x = 0.0;
    if (!Masked || i < n) x = io.Input(i);

    const V4 f1In = __builtin_shufflevector(splat<V4>(x), f1o2, 0, 1, 4, 5);
    V4 f1Out;
    if (Masked)
      f1Out = f1.Run(f1In, activeLanes<V4>(M4{0, 0, 2, 2}, i, n));
    else
      f1Out = f1.Run(f1In);

    const double m = glue.Mix(f2o2) * levelGain;

    double backIn;
    const double lowerIn = glue.template Step<Masked>(*this, i, n, backIn);
    const V4 f2In = {lowerIn, backIn, to2[7], f2o2[2]};
    V4 f2Out;
    if (Masked)
      f2Out = f2.Run(f2In, activeLanes<V4>(M4{6, 6, 26, 28}, i, n));
    else
      f2Out = f2.Run(f2In);

    const V8 tIn = __builtin_shufflevector(to2, splat<V8>(m2), 8, 0, 1, 2, 3, 4, 5, 6);
    V8 tOut;
    if (Masked)
      tOut = t.Run(tIn, activeLanes<V8>(M8{10, 12, 14, 16, 18, 20, 22, 24}, i, n));
    else
      tOut = t.Run(tIn);

    if (!Masked || activeAt(i, kOutputDelay, n)) io.Output(i - kOutputDelay, f2Out[3]);

    f1o4 = f1o3;
    f1o3 = f1o2;
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

// Dirty: DriveA on the front/mid/back slots 3, 4, 5; TubeScreamerA on slots
// 1 and 2 around one-poles 0; TubeScreamerB on one-poles 1 and 2.
struct DirtyGlue {
  static constexpr int kFront = 3, kMid = 4, kBack = 5;
  static constexpr int kHighSlots[2] = {0, 1};  // HP 0 (TubeScreamerA) | HP 1 (TubeScreamerB)
  static constexpr int kSplitSlots[2] = {2, 2};  // LP 2 | HP 2

  OnePoleScalar lp1, lp0;
  OnePoleLanes highs, split;
  V2 clipDrive1, clipDrive2;

  double lp1o1 = 0.0;         // LP 1 of a, delay 2
  V2 hpo1 = {};               // HP 0 of t1 | HP 1, delay 3
  V2 c1o1 = {};               // TubeScreamerA clip | TubeScreamerB first clip, delay 4
  double lp0o1 = 0.0;         // TubeScreamerA low-pass, delay 5
  V2 c2o1 = {};               // TubeScreamerB second clip | DriveA clip, delay 5
  V2 spo1 = {};               // LP 2 | HP 2, delay 6
  double tsb1 = 0.0;          // TubeScreamerB, delay 7

  DirtyGlue(const AuDSP& d, double drive)
      : lp1{d.lpA0[1], d.lpB1[1], d.lpZ[1]}, lp0{d.lpA0[0], d.lpB1[0], d.lpZ[0]},
        clipDrive1{32.4, drive * 75.0 + 3.0}, clipDrive2{1.0, drive * 500.0} {
    highs.Load(d, kHighSlots, {true, true});
    split.Load(d, kSplitSlots, {false, true});
  }

  void Store(AuDSP& d) const {
    d.lpZ[1] = lp1.z;
    d.lpZ[0] = lp0.z;
    highs.Store(d, kHighSlots);
    split.Store(d, kSplitSlots);
  }

  // Returns the input of slot 2 (delay 6) and sets that of the back slot.
  template <bool Masked, class Pipe>
  WIDE_INLINE double Step(const Pipe& p, int i, int n, double& backIn) {
    const double lp1Out = lp1.LowPass(p.f1o2[0], !Masked || activeAt(i, 2, n));
    const V2 hpIn = {p.f1o1[2], lp1o1};
    const V2 hpOut = Masked ? highs.Run(hpIn, activeAt(i, 3, n)) : highs.Run(hpIn);
    const V2 c1 = clip<V2>(hpo1, clipDrive1);
    const double lp0Out = lp0.LowPass(p.f1o3[2] + c1o1[0], !Masked || activeAt(i, 5, n));
    const V2 c2 = clip<V2>(V2{c1o1[1], p.f1o3[3]}, clipDrive2);
    const V2 spIn = {c2o1[0], c2o1[0]};
    const V2 spOut = Masked ? split.Run(spIn, activeAt(i, 6, n)) : split.Run(spIn);
    const double tsb = (spo1[1] * -0.07 + spo1[0]) * 0.6;

    const double lowerIn = lp0o1;
    backIn = c2o1[1];
    lp1o1 = lp1Out;
    hpo1 = hpOut;
    c1o1 = c1;
    lp0o1 = lp0Out;
    c2o1 = c2;
    spo1 = spOut;
    tsb1 = tsb;
    return lowerIn;
  }

  // s = DriveA + TubeScreamerA + TubeScreamerB of frame i - 8, from slot 2
  // and 5 two iterations ago; called before Step moves tsb1 on.
  WIDE_INLINE double Mix(V4 f2o2) const { return f2o2[1] * 2.55 + f2o2[0] + tsb1; }
};

// Clean: CleanA on the front/mid/back slots 19, 20, 21 (no glue between them);
// TubeScreamerC on slots 1 and 2 around one-poles 0.
struct CleanGlue {
  static constexpr int kFront = 19, kMid = 20, kBack = 21;

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
  WIDE_INLINE double Mix(V4 f2o2) const { return f2o2[0] * 3.0 + f2o2[1] * 10.0; }
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

// First frame whose summed input is not finite: x - x is 0 for every finite x
// and NaN otherwise, and a NaN fails x == x.
template <class V> WIDE_INLINE int findNonFinite(const double* in0, const double* in1, const double* noise, int n) {
  constexpr int W = sizeof(V) / sizeof(double);
  int i = 0;
  for (; i + W <= n; i += W) {
    V a, b, c;
    __builtin_memcpy(&a, in0 + i, sizeof a);
    __builtin_memcpy(&b, in1 + i, sizeof b);
    __builtin_memcpy(&c, noise + i, sizeof c);
    const V x = a + b + c;
    const V z = x - x;
    double any = 0.0;
    for (int k = 0; k < W; ++k) any += z[k];
    if (any != any) break;
  }
  for (; i < n; ++i) {
    const double x = in0[i] + in1[i] + noise[i];
    if (x - x != x - x) return i;
  }
  return n;
}

} // namespace
