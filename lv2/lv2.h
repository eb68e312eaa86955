#pragma once

// The LV2 wrapper: the instance class with its descriptor, audio path and
// state, the port layout, and the Turtle description of the bundle.

#include "lv2/IFxLV2.h"
#include "lv2/LV2PortLayout.h"
#include "lv2/LV2Turtle.h"
