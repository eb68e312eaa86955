#include "SkinImages.h"
#include "SkinLayout.h"
#include "SkinPalette.h"

#include <math.h>

using namespace skin;

namespace {

constexpr double kCentre = kKnobSize / 2.0;
constexpr double kSkirt = 12.6;     // black skirt
constexpr double kCap = 8.2;        // brass cap
constexpr double kTickInner = 14.6; // scale around the knob
constexpr double kTickOuter = 17.4;
constexpr int kTicks = 11;

// Point at radius r and angle a (degrees clockwise from straight up).
void Polar(double r, double a, double* x, double* y)
{
  const double rad = a * M_PI / 180.0;
  *x = kCentre + r * sin(rad);
  *y = kCentre - r * cos(rad);
}

void DrawScale(SkinCanvas& c)
{
  for (int i = 0; i < kTicks; i++)
  {
    const double a = kKnobMinDegrees + (kKnobMaxDegrees - kKnobMinDegrees) * i / (kTicks - 1);
    const bool major = i == 0 || i == kTicks - 1 || i == (kTicks - 1) / 2;
    double x1, y1, x2, y2;
    Polar(major ? kTickInner - 0.4 : kTickInner, a, &x1, &y1);
    Polar(kTickOuter, a, &x2, &y2);
    c.Stroke(x1, y1, x2, y2, major ? 1.5 : 1.1, kInk);
  }
}

void DrawKnob(SkinCanvas& c, double angle)
{
  DrawScale(c);
  c.SoftShadow(kCentre + 0.6, kCentre + 1.4, kSkirt - 0.5, 2.6, 150, true);
  // Skirt: dark plastic lit from above, with a bright rim catching the light.
  c.GradientDisc(kCentre, kCentre, kSkirt, kSkirtTop, kSkirtBottom, -20.0);
  c.Ring(kCentre, kCentre, kSkirt - 0.5, {120, 118, 114}, 0.55);
  // Knurling: short radial grooves around the skirt's edge.
  for (int i = 0; i < 36; i++)
  {
    double x1, y1, x2, y2;
    Polar(kCap + 1.6, i * 10.0, &x1, &y1);
    Polar(kSkirt - 1.2, i * 10.0, &x2, &y2);
    c.Stroke(x1, y1, x2, y2, 0.5, {0, 0, 0}, 0.35);
  }
  // Brass cap with turned rings.
  c.FillDisc(kCentre, kCentre + 0.5, kCap + 0.6, {8, 8, 8}, 0.7);
  c.GradientDisc(kCentre, kCentre, kCap, kCapLight, kCapDark, -35.0);
  for (double r = 1.5; r < kCap - 0.5; r += 1.5) c.Ring(kCentre, kCentre, r, {90, 64, 20}, 0.12);
  c.Ring(kCentre, kCentre, kCap - 0.4, {255, 244, 200}, 0.35);
  // Pointer: a white line across the skirt and an engraved line on the cap.
  double x1, y1, x2, y2;
  Polar(kCap + 0.8, angle, &x1, &y1);
  Polar(kSkirt - 0.4, angle, &x2, &y2);
  c.Stroke(x1, y1, x2, y2, 2.0, kPointer);
  Polar(1.0, angle, &x1, &y1);
  Polar(kCap - 1.2, angle, &x2, &y2);
  c.Stroke(x1, y1, x2, y2, 1.4, kInk);
}

} // namespace

void DrawKnobStrip(RAS_MemBitmap* out)
{
  DrawFilmStrip(out, kKnobSize, kKnobFrames, [](SkinCanvas& c, int i) {
    DrawKnob(c, kKnobMinDegrees + (kKnobMaxDegrees - kKnobMinDegrees) * i / (kKnobFrames - 1));
  });
}
