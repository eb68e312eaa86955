#pragma once

// The Audio Unit wrapper: the component entry points and selector dispatch,
// properties and parameters, render and buses, saved state and factory presets.

#include "au/CFAUPreset.h"
#include "au/CFText.h"
#include "au/IFxAU.h"
#include "au/ITimeInfo.h"
#include "au/StateDict.h"
