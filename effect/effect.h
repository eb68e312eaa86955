#pragma once

// Public classes and functions of the amp effect.
#include "effect/AuDSP.h"
