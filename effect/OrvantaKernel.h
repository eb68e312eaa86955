#pragma once

#include "effect/AuDSP.h"

// The chain's wide kernels, one compiled copy per instruction set. Each copy
// lives in its own translation unit built with that set's compiler flags; the
// chain picks one at start-up, as the raster library picks its row kernels.
// Every copy computes, lane by lane, exactly what the plain per-frame code
// computes, so all give the same output bit for bit.

// One block as the kernels see it: plain data only, so that nothing compiled
// for a wider instruction set can be shared with a narrower copy.
struct OrvantaBlock {
  const double* in0;
  const double* in1;
  const double* noise;  // the table entry of frame 0
  double* out0;
  double* out1;
  int nFrames;
  double driveAmount;
  double levelGain;
};

struct OrvantaKernel {
  const char* name;
  // Shorter blocks run the SSE2 path: filling and draining a deeper pipe
  // costs more than the wider lanes save. Measured crossovers, per channel.
  int dirtyMinFrames, cleanMinFrames;
  // Render thread; no allocation, no lock. Runs every frame of the block
  // through the Dirty or Clean channel, reading and writing the bank's state.
  void (*dirty)(AuDSP& dsp, const OrvantaBlock& block);
  void (*clean)(AuDSP& dsp, const OrvantaBlock& block);
  // Render thread; no allocation, no lock. The first frame in [0, nFrames)
  // whose summed input in0 + in1 + noise is not finite, or nFrames if none.
  int (*firstNonFinite)(const double* in0, const double* in1, const double* noise, int nFrames);
};

enum class OrvantaPath { kSse2 = 0, kAvx2 = 1, kAvx512 = 2 };
inline constexpr int kOrvantaPathCount = 3;

extern const OrvantaKernel kOrvantaKernelSse2;
extern const OrvantaKernel kOrvantaKernelAvx2;
extern const OrvantaKernel kOrvantaKernelAvx512;
