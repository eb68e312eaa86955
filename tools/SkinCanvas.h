#pragma once

// A drawing surface for the skin tool: the raster library draws at several
// times the image's size and Resolve() averages the result down, so filled
// shapes, which the library fills without anti-aliasing, get smooth edges.
// Every coordinate given to the drawing calls is in final-image pixels with
// pixel edges on whole numbers (the centre of pixel 0 is 0.5).
//
// Runs on the tool's only thread; drawing allocates nothing beyond the
// canvas itself.

#include "raster/raster.h"

#include <stdint.h>

// A colour in 0..255 channels that can be mixed before it becomes a pixel.
struct SkinColour
{
  double r, g, b;
  RAS_pixel Pixel(int alpha = 255) const;
  SkinColour Mix(const SkinColour& o, double t) const;
  SkinColour Scaled(double k) const;
};

// Deterministic noise for textures: the same sequence on every run.
class SkinRandom
{
public:
  explicit SkinRandom(uint32_t seed) : m_state(seed ? seed : 1) {}
  // Uniform in [0, 1).
  double Next();
  // Uniform in [-1, 1).
  double Signed() { return Next() * 2.0 - 1.0; }

private:
  uint32_t m_state;
};

class SkinCanvas
{
public:
  // A transparent canvas for an image of w x h pixels.
  SkinCanvas(int w, int h, int scale = 4);

  int Width() const { return m_w; }
  int Height() const { return m_h; }
  int Scale() const { return m_scale; }
  RAS_IBitmap* Bitmap() { return &m_bm; }

  // Plain or translucent rectangle (alpha blends towards the colour; the
  // canvas's own alpha moves towards opaque with it).
  void FillRect(double x, double y, double w, double h, const SkinColour& c, double alpha = 1.0);
  // A rectangle stored as it is, its alpha included: used for shadows and
  // holes drawn onto a transparent canvas.
  void StoreRect(double x, double y, double w, double h, RAS_pixel colour);
  // A rectangle with a vertical gradient from top to bottom colour.
  void GradientRect(double x, double y, double w, double h, const SkinColour& top, const SkinColour& bottom);
  // Rounded rectangle filled with a vertical gradient.
  void GradientRoundRect(double x, double y, double w, double h, double radius, const SkinColour& top,
                         const SkinColour& bottom);
  // Disc filled with a linear gradient running from colour a to colour b
  // across the disc in the direction of angle (degrees clockwise from
  // straight down, so 0 lights the top).
  void GradientDisc(double cx, double cy, double r, const SkinColour& a, const SkinColour& b, double angle = 0.0);
  void FillDisc(double cx, double cy, double r, const SkinColour& c, double alpha = 1.0);
  // A soft round shadow: alpha falls from maxAlpha inside r to 0 at r + blur.
  // On a transparent canvas (store) the shadow's alpha is written; otherwise
  // the shadow darkens what is there.
  void SoftShadow(double cx, double cy, double r, double blur, int maxAlpha, bool store);
  // Anti-aliased circle outline of one image pixel.
  void Ring(double cx, double cy, double r, const SkinColour& c, double alpha = 1.0);
  // A straight stroke of the given width with round ends.
  void Stroke(double x1, double y1, double x2, double y2, double width, const SkinColour& c, double alpha = 1.0);
  // A stroke that narrows from width1 at (x1, y1) to width2 at (x2, y2), with
  // square ends.
  void Taper(double x1, double y1, double x2, double y2, double width1, double width2, const SkinColour& c,
             double alpha = 1.0);

  // Averages every scale x scale block into one pixel of out (resized to the
  // image's size). Colours are weighted by their alpha, so the colour of
  // transparent samples never bleeds into an edge, and every sum is rounded:
  // an opaque area stays exactly opaque. (The library's halving blit
  // truncates each quarter and mixes colours unweighted, which suits a
  // quick preview but would leave fringes and an alpha of 252 here.)
  void Resolve(RAS_MemBitmap* out);

private:
  // Calls span(x0, x1, row) in canvas pixels for every row of a shape whose
  // half-width on a row centred at image y is halfWidth(y) around centre cx
  // (negative: the row is outside the shape).
  template <class HalfWidth, class Span>
  void Spans(double top, double bottom, double cx, HalfWidth halfWidth, Span span);
  int Px(double v) const;

  int m_w, m_h, m_scale;
  RAS_MemBitmap m_bm;
};
