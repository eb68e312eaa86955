// The wide chain compiled for AVX-512. effect/CMakeLists.txt gives this file its
// flags; the chain runs it only where the processor has them.
#define ORVANTA_WIDE_LANES 8
#include "effect/OrvantaWidePipe.h"

namespace {

void dirtyAvx512(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<DirtyGlue>(dsp, block); }
void cleanAvx512(AuDSP& dsp, const OrvantaBlock& block) { runWidePipe<CleanGlue>(dsp, block); }
int firstNonFiniteAvx512(const double* in0, const double* in1, const double* noise, int n) {
  return findNonFinite<8>(in0, in1, noise, n);
}

} // namespace

const OrvantaKernel kOrvantaKernelAvx512 = {"AVX-512", 32, 44, dirtyAvx512, cleanAvx512, firstNonFiniteAvx512};
