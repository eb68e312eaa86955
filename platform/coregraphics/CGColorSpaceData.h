#pragma once

#include "coregraphics/CGObject.h"

#include <CoreGraphics/CGColorSpace.h>

struct CGColorSpace : CGObject
{
  explicit CGColorSpace(CGColorSpaceModel m) : CGObject(cgobj::kColorSpace), model(m) {}
  CGColorSpaceModel model;
};
