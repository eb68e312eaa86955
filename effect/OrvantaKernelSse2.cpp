// The wide chain compiled for SSE2, the baseline of every x86-64 processor.
#define ORVANTA_WIDE_LANES 2
#include "effect/OrvantaWidePipe.h"

namespace {

void dirtySse2(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<DirtyGlue>(dsp, block); }
void cleanSse2(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<CleanGlue>(dsp, block); }
int firstNonFiniteSse2(const double* in0, const double* in1, const double* noise, int n) {
  return findNonFinite<V2>(in0, in1, noise, n);
}

} // namespace

const OrvantaKernel kOrvantaKernelSse2 = {"SSE2", dirtySse2, cleanSse2, firstNonFiniteSse2};
