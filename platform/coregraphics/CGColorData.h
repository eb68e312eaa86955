#pragma once

#include "coregraphics/CGObject.h"

#include <CoreGraphics/CGColor.h>

// A colour in the device RGB space (gray colours keep their own components
// for CGColorGetComponents but are drawn as RGB).
struct CGColor : CGObject
{
  CGColor() : CGObject(cgobj::kColor) {}
  ~CGColor();
  CGColorSpaceRef space = nullptr;
  size_t count = 0;      // components including alpha
  CGFloat comps[5] = {}; // as given, alpha last
  CGFloat rgba[4] = {};  // red, green, blue, alpha in 0..1
};
