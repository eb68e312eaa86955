#pragma once

#include "coregraphics/CGObject.h"
#include "coregraphics/CGPathData.h"

#include <CoreGraphics/CGBitmapContext.h>

#include <pixman.h>

#include <vector>

// A bitmap context drawing into caller (or own) memory through pixman.
//
// Spaces: user space --CTM--> device space (origin bottom-left, y up, one
// unit per pixel) --flip--> pixel space (origin at the top-left corner of
// memory row 0, y down). Paths are kept in pixel space, as they are taken
// through the CTM current when each point is added.
struct CGContext : CGObject
{
  struct Paint
  {
    CGFloat r = 0, g = 0, b = 0, a = 1;
  };

  struct GState
  {
    CGAffineTransform ctm = {1, 0, 0, 1, 0, 0};
    // Clip in pixel space, as whole pixels [x0, x1) x [y0, y1).
    int clipX0 = 0, clipY0 = 0, clipX1 = 0, clipY1 = 0;
    Paint fill, stroke;
    CGColorSpaceRef fillSpace = nullptr, strokeSpace = nullptr; // weak: the context keeps its own references
    bool fillGray = false, strokeGray = false;
    CGFloat lineWidth = 1, miterLimit = 10, flatness = 0.5;
    CGLineCap cap = kCGLineCapButt;
    CGLineJoin join = kCGLineJoinMiter;
    CGFloat dashPhase = 0;
    std::vector<CGFloat> dashes;
    CGFloat alpha = 1;
    CGBlendMode blend = kCGBlendModeNormal;
    bool antialias = true, allowsAntialias = true;
    bool smoothFonts = true, allowsFontSmoothing = true;
    CGInterpolationQuality interpolation = kCGInterpolationDefault;
    CGTextDrawingMode textMode = kCGTextFill;

    bool clipEmpty() const { return clipX0 >= clipX1 || clipY0 >= clipY1; }
  };

  CGContext() : CGObject(cgobj::kContext) {}
  ~CGContext();

  // ---- surface ----
  void* data = nullptr;
  size_t width = 0, height = 0, bytesPerRow = 0;
  CGBitmapInfo bitmapInfo = 0;
  CGColorSpaceRef space = nullptr;
  pixman_image_t* target = nullptr;
  bool ownsData = false;
  CGBitmapContextReleaseDataCallback releaseCallback = nullptr;
  void* releaseInfo = nullptr;

  // ---- state ----
  GState gs;
  std::vector<GState> stack;
  CGPath path; // pixel space
  CGAffineTransform textMatrix = {1, 0, 0, 1, 0, 0};

  // user space -> pixel space
  CGAffineTransform pixelTransform() const;
  bool antialiasOn() const { return gs.antialias && gs.allowsAntialias; }

  // ---- drawing primitives every operation ends in ----

  // Composites the colour through an 8-bit coverage mask placed with its
  // top-left corner at pixel (x, y) (no mask: full coverage of the w x h box),
  // honouring the clip, the global alpha and the blend mode.
  void compositeColor(const Paint& p, pixman_image_t* mask, int x, int y, int w, int h);
  // Composites a source image whose transform (pixel space -> source space) and
  // filter are already set, over the pixel box.
  void compositeImage(pixman_image_t* src, int x0, int y0, int x1, int y1);
  // Rasterises the path (pixel space) and composites the paint through it.
  void fillPath(const CGPath& p, bool evenOdd, const Paint& paint);
  void strokePath(const CGPath& p, const Paint& paint);
  // Intersects the clip with the pixel-centre cover of a pixel-space box.
  void clipToPixelBox(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1);
};

namespace cgcontext
{
// Pixel box from a pixel-space rectangle: the pixels whose centres it holds,
// limited to +-2^30 so later integer arithmetic cannot overflow; NaN gives an
// empty box.
void PixelCover(CGFloat x0, CGFloat y0, CGFloat x1, CGFloat y1, int* ix0, int* iy0, int* ix1, int* iy1);
} // namespace cgcontext
