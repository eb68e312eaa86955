#pragma once

#include "effect/AuDSP.h"

#include <cstdint>

// The per-frame code must end up in one loop body: a call there would force
// the pipeline registers and filter copies out to memory.
#define ORVANTA_ALWAYS_INLINE inline __attribute__((always_inline))

// Two-lane double vectors (one SSE2 register). Lane arithmetic is plain IEEE
// double arithmetic, so a lane gives exactly what the scalar code would.
typedef double Dbl2 __attribute__((vector_size(16)));
// Lane mask: all bits set for an active lane, zero for an idle one.
typedef int64_t Lane2 __attribute__((vector_size(16)));

inline Dbl2 dbl2(double v) { return Dbl2{v, v}; }

// a where the mask is set, b elsewhere.
inline Dbl2 select2(Lane2 mask, Dbl2 a, Dbl2 b) {
  return (Dbl2)(((Lane2)a & mask) | ((Lane2)b & ~mask));
}

// distortion2 on both lanes at a fixed level, each lane with its own drive.
// A NaN lane keeps its value from `untouched`, as the scalar version does.
inline Dbl2 distortion2Pair(Dbl2 input, double level, Dbl2 drive, Dbl2 untouched) {
  const Dbl2 x = input * drive;
  const Dbl2 ax = (Dbl2)((Lane2)x & Lane2{INT64_MAX, INT64_MAX});
  const Dbl2 soft = x * (dbl2(1.0) - ax / dbl2(0.4)) * dbl2(level) * dbl2(10.0);
  const Dbl2 hard = select2((Lane2)(x >= dbl2(0.0)), dbl2(0.1), dbl2(-0.1)) * dbl2(level) * dbl2(10.0);
  return select2((Lane2)(ax < dbl2(0.2)), soft, select2((Lane2)(ax >= dbl2(0.2)), hard, untouched));
}

// Two biquad slots of an AuDSP bank run side by side: lane 0 is slot A, lane 1
// slot B. Each lane computes exactly AuDSP::biquadFilterProcess. The pair holds
// copies; Load takes coefficients and state from the bank, Store returns the
// state.
struct BiquadPair {
  Dbl2 b0, b1, b2, a1, a2;
  Dbl2 x1, x2, y1, y2;

  void Load(const AuDSP& d, int slotA, int slotB) {
    b0 = Dbl2{d.b0[slotA], d.b0[slotB]};
    b1 = Dbl2{d.b1[slotA], d.b1[slotB]};
    b2 = Dbl2{d.b2[slotA], d.b2[slotB]};
    a1 = Dbl2{d.a1[slotA], d.a1[slotB]};
    a2 = Dbl2{d.a2[slotA], d.a2[slotB]};
    x1 = Dbl2{d.x1[slotA], d.x1[slotB]};
    x2 = Dbl2{d.x2[slotA], d.x2[slotB]};
    y1 = Dbl2{d.y1[slotA], d.y1[slotB]};
    y2 = Dbl2{d.y2[slotA], d.y2[slotB]};
  }

  void Store(AuDSP& d, int slotA, int slotB) const {
    d.x1[slotA] = x1[0];
    d.x1[slotB] = x1[1];
    d.x2[slotA] = x2[0];
    d.x2[slotB] = x2[1];
    d.y1[slotA] = y1[0];
    d.y1[slotB] = y1[1];
    d.y2[slotA] = y2[0];
    d.y2[slotB] = y2[1];
  }

  inline Dbl2 Process(Dbl2 input) {
    const Dbl2 y = b0 * input + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = input;
    y2 = y1;
    y1 = y;
    return y + dbl2(AuDSP::kAntiDenormal);
  }

  // Only the lanes set in `on` advance their state.
  inline Dbl2 Process(Dbl2 input, Lane2 on) {
    const Dbl2 y = b0 * input + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = select2(on, x1, x2);
    x1 = select2(on, input, x1);
    y2 = select2(on, y1, y2);
    y1 = select2(on, y, y1);
    return y + dbl2(AuDSP::kAntiDenormal);
  }
};

// One one-pole slot (low-pass or high-pass state and coefficients) as plain
// scalars; each computes exactly its AuDSP counterpart.
struct OnePoleCopy {
  double a0, b1, z;

  static OnePoleCopy LowPassSlot(const AuDSP& d, int slot) { return {d.lpA0[slot], d.lpB1[slot], d.lpZ[slot]}; }
  static OnePoleCopy HighPassSlot(const AuDSP& d, int slot) { return {d.hpA0[slot], d.hpB1[slot], d.hpZ[slot]}; }

  inline double LowPass(double input) {
    z = a0 * input - b1 * z;
    return z + AuDSP::kAntiDenormal;
  }
  inline double HighPass(double input) {
    z = a0 * input - b1 * z;
    return input - z + AuDSP::kAntiDenormal;
  }
};
