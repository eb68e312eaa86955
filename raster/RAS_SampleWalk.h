#pragma once

// 16.16 fixed-point sample walks shared by the scaled, rotated and delta
// blits.

#include "raster/RAS_Bitmap.h"
#include "raster/RAS_BitmapOps.h"
#include "raster/RAS_Internal.h"

// Steps are limited to 32768 source pixels per destination pixel and
// positions to 2^60, so that a position plus a step times any bitmap width
// stays inside 64 bits.
static inline long long _RAS_Step16(double v)
{
  const double lim = 2147483648.0;
  const double f = v * 65536.0;
  if (!(f == f)) return 0;
  return f >= lim ? (long long)lim : f <= -lim ? -(long long)lim : (long long)f;
}

static inline long long _RAS_Pos16(double v)
{
  const double lim = 1152921504606846976.0; // 2^60
  const double f = v * 65536.0;
  if (!(f == f)) return 0;
  return f >= lim ? (long long)lim : f <= -lim ? -(long long)lim : (long long)f;
}

static inline long long _RAS_LimitStep16(long long v)
{
  const long long lim = 2147483648LL;
  return v > lim ? lim : v < -lim ? -lim : v;
}

// A destination span of negative size becomes the same span with a positive
// size, its source span then starting at the far edge and running backwards.
static inline void _RAS_FlipToPositive(long long* dpos, long long* dsize, double* spos, double* ssize)
{
  if (*dsize >= 0) return;
  *dpos += *dsize;
  *dsize = -*dsize;
  *spos += *ssize;
  *ssize = -*ssize;
}

// Replaces src with a snapshot of it when it shares memory with dest, so that
// samples are never taken from pixels already drawn. False when the snapshot
// could not be made.
static inline bool _RAS_SeparateSource(RAS_IBitmap* dest, RAS_IBitmap** src, RAS_MemBitmap* snapshot)
{
  if (!_RAS_MemoryOverlaps(dest, *src)) return true;
  RAS_Copy(snapshot, *src);
  if (!snapshot->getBits()) return false;
  *src = snapshot;
  return true;
}
