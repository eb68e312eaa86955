// The wide chain compiled for AVX2. effect/CMakeLists.txt gives this file its
// flags; the chain runs it only where the processor has them.
#define ORVANTA_WIDE_LANES 4
#include "effect/OrvantaWidePipe.h"

namespace {

void dirtyAvx2(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<DirtyGlue>(dsp, block); }
void cleanAvx2(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<CleanGlue>(dsp, block); }
int firstNonFiniteAvx2(const double* in0, const double* in1, const double* noise, int n) {
  return findNonFinite<4>(in0, in1, noise, n);
}

} // namespace

const OrvantaKernel kOrvantaKernelAvx2 = {"AVX2", 64, 384, dirtyAvx2, cleanAvx2, firstNonFiniteAvx2};
