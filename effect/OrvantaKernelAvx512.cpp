// The wide chain compiled for AVX-512. effect/CMakeLists.txt gives this file
// its flags; the chain runs it only where the processor has them.
#define ORVANTA_WIDE_LANES 8
#include "effect/OrvantaWidePipe.h"

ORVANTA_WIDE_KERNEL(kOrvantaKernelAvx512, "AVX-512", 16, 20);
