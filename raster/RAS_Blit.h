#pragma once

// Blits: pixels of a source bitmap combined into a destination bitmap by a
// blend mode and opacity (RAS_Pixel.h, RAS_Combine.h). Every blit clips
// against both bitmaps, honours flipped bitmaps on either side, never reads
// outside the source or writes outside the destination, and does nothing for
// a null bitmap, null bits, NaN coordinates or an empty clipped area. All run
// on the editor thread and take no locks; blits whose source and destination
// share memory may allocate a temporary copy of the source.

#include "gdi/gdi.h"
#include "raster/RAS_Bitmap.h"

// srcrect null: the whole source. Right and bottom are exclusive.
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, const RECT* srcrect, float alpha, int mode);
void RAS_Blit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch,
              float alpha, int mode);

// Scales the source rectangle onto the destination rectangle; negative
// destination sizes mirror. RAS_FILTER_BILINEAR in mode filters.
void RAS_ScaledBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                    float srcy, float srcw, float srch, float alpha, int mode);

// Draws the source rectangle rotated by angle (radians) about the centre of
// the destination rectangle, shifted by rotxcent, rotycent source pixels.
void RAS_RotatedBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                     float srcy, float srcw, float srch, float angle, bool cliptosourcerect, float alpha, int mode,
                     float rotxcent = 0.0f, float rotycent = 0.0f);

// Affine mapping with second-order terms: the sample starts at (srcx, srcy)
// and moves by (dsdx, dtdx) per destination pixel and (dsdy, dtdy) per row;
// dsdx and dtdx themselves move by (dsdxdy, dtdxdy) per row.
void RAS_DeltaBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth, float srcx,
                   float srcy, float srcw, float srch, double dsdx, double dtdx, double dsdy, double dtdy,
                   double dsdxdy, double dtdxdy, bool cliptosourcerect, float alpha, int mode);

// Maps a grid of div_w x div_h source points (x, y pairs, row by row) onto the
// destination rectangle, one delta blit per grid cell.
void RAS_TransformBlit(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                       const float* srcpoints, int div_w, int div_h, float alpha, int mode);
void RAS_TransformBlit2(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int dstw, int dsth,
                        const double* srcpoints, int div_w, int div_h, float alpha, int mode);

// Each destination pixel becomes the average of a 2 x 2 block of the source.
void RAS_HalveBlitAA(RAS_IBitmap* dest, RAS_IBitmap* src);

// A small blur of the source rectangle into the destination; dest and src may
// be the same bitmap.
void RAS_Blur(RAS_IBitmap* dest, RAS_IBitmap* src, int dstx, int dsty, int srcx, int srcy, int srcw, int srch);
