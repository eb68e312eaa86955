#pragma once

// The host wrapper the effect derives from, chosen when the effect is
// compiled: the Audio Unit wrapper by default, the LV2 wrapper when the build
// defines ORVANTA_WRAPPER_LV2. The effect's code keeps naming its base IFxAU
// and its entry points IFXAU_ENTRY_POINTS whichever wrapper it is built for.

#if defined(ORVANTA_WRAPPER_LV2)
#include "lv2/IFxLV2.h"
using IFxAU = IFxLV2;
#define IFXAU_ENTRY_POINTS(NAME) IFXLV2_ENTRY_POINTS(NAME)
#else
#include "au/IFxAU.h"
#endif
