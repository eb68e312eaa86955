#pragma once

#include "raster/raster.h"

// How a drawing call combines with what is already in the draw bitmap; the
// weight is the call's opacity.
struct IChannelBlend
{
  enum EBlendMethod : int
  {
    kBlendNone = 0,      // draw with the source's own alpha
    kBlendClobber = 1,   // copy, ignoring alpha
    kBlendAdd = 2,
    kBlendColorDodge = 3
  };

  EBlendMethod mMethod = kBlendNone;
  float mWeight = 1.0f;

  IChannelBlend(EBlendMethod method = kBlendNone, float weight = 1.0f) : mMethod(method), mWeight(weight) {}
};

// The raster modes of each blend method. A missing blend is method none at
// weight 1.0. A method outside the enumeration (a value cast in by a caller)
// draws like none: the user sees the image rather than nothing.
namespace IBlend
{
inline float Weight(const IChannelBlend* pBlend) { return pBlend ? pBlend->mWeight : 1.0f; }

inline int Method(const IChannelBlend* pBlend)
{
  const int m = pBlend ? (int)pBlend->mMethod : 0;
  return (m >= IChannelBlend::kBlendNone && m <= IChannelBlend::kBlendColorDodge) ? m : 0;
}

// Blits and fills.
inline int BlitMode(const IChannelBlend* pBlend)
{
  static const int kModes[4] = {RAS_MODE_USE_ALPHA | RAS_MODE_COPY, RAS_MODE_COPY, RAS_MODE_USE_ALPHA | RAS_MODE_ADD,
                                RAS_MODE_USE_ALPHA | RAS_MODE_DODGE};
  return kModes[Method(pBlend)];
}

// Points and lines.
inline int LineMode(const IChannelBlend* pBlend)
{
  static const int kModes[4] = {RAS_MODE_COPY, RAS_MODE_COPY, RAS_MODE_ADD, RAS_MODE_DODGE};
  return kModes[Method(pBlend)];
}

// Rotated blits: filtered, and with source alpha except for clobber.
inline int RotatedMode(const IChannelBlend* pBlend) { return BlitMode(pBlend) | RAS_FILTER_BILINEAR; }
} // namespace IBlend
