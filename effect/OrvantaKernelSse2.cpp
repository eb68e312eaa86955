// The SSE2 path, the baseline of every x86-64 processor: the narrow pipes,
// which run two biquads per instruction. Spreading the chain over more lanes
// does not pay at this width, where a group of four or eight is two or four
// registers and the pipe's longer fill outweighs the saving.
#include "effect/OrvantaKernel.h"
#include "effect/OrvantaPipes.h"

#include "effect/OrvantaScan.h"

namespace {

template <class Pipe> void runNarrow(AuDSP& dsp, const OrvantaBlock& b) {
  const OrvantaPipeIo io = {b.in0, b.in1, b.noise, b.out0, b.out1, b.nFrames};
  // The pipes work on copies of the filter state: the compiler then knows
  // the output stores cannot touch it.
  Pipe pipe(dsp, b.driveAmount, b.levelGain);
  runOrvantaPipe(pipe, io);
  pipe.Store(dsp);
}

void dirtySse2(AuDSP& dsp, const OrvantaBlock& block) { runNarrow<DirtyPipe>(dsp, block); }
void cleanSse2(AuDSP& dsp, const OrvantaBlock& block) { runNarrow<CleanPipe>(dsp, block); }
int firstNonFiniteSse2(const double* in0, const double* in1, const double* noise, int n) {
  return findNonFinite<2>(in0, in1, noise, n);
}

} // namespace

const OrvantaKernel kOrvantaKernelSse2 = {"SSE2", 0, 0, dirtySse2, cleanSse2, firstNonFiniteSse2};
