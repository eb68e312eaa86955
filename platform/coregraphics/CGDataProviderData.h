#pragma once

#include "coregraphics/CGObject.h"

#include <CoreGraphics/CGDataProvider.h>

struct CGDataProvider : CGObject
{
  CGDataProvider() : CGObject(cgobj::kDataProvider) {}
  ~CGDataProvider();
  void* info = nullptr;
  const void* data = nullptr;
  size_t size = 0;
  CGDataProviderReleaseDataCallback releaseData = nullptr;
  CFDataRef cfdata = nullptr; // kept alive when the bytes are a CFData's
};
