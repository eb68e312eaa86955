#pragma once

// Public classes and functions of the amp effect.
#include "effect/AuDSP.h"
#include "effect/Orvanta.h"
#include "effect/OrvantaChain.h"
#include "effect/OrvantaIds.h"
#include "effect/OrvantaNoise.h"
