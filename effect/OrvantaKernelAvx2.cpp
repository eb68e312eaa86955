// The wide chain compiled for AVX2. effect/CMakeLists.txt gives this file its
// flags; the chain runs it only where the processor has them.
#include "effect/OrvantaWidePipe.h"

ORVANTA_WIDE_KERNEL(kOrvantaKernelAvx2, "AVX2", 28, 40);
