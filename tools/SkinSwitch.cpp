#include "SkinImages.h"
#include "SkinLayout.h"
#include "SkinPalette.h"

using namespace skin;

namespace {

constexpr double kCentre = kSwitchSize / 2.0;
constexpr double kWasher = 9.6;
constexpr double kNut = 6.6;
constexpr double kLever = 11.2; // from the centre to the middle of the tip ball
constexpr double kBall = 3.0;

// up: the lever points to the top of the panel ("Dirty").
void DrawSwitch(SkinCanvas& c, bool up)
{
  const double dir = up ? -1.0 : 1.0;
  const double tipY = kCentre + dir * kLever;
  c.SoftShadow(kCentre + 0.5, kCentre + 1.2, kWasher - 0.4, 2.4, 140, true);
  // Washer and nut: two chrome discs lit from opposite sides read as a bevel.
  c.GradientDisc(kCentre, kCentre, kWasher, kChromeLight, kChromeDark, -30.0);
  c.Ring(kCentre, kCentre, kWasher - 0.4, {60, 62, 66}, 0.5);
  c.GradientDisc(kCentre, kCentre, kNut, kChromeDark, kChromeLight, -30.0);
  c.FillDisc(kCentre, kCentre, 3.8, {20, 20, 22});
  // The lever's shadow falls down and to the right of it.
  c.Taper(kCentre + 1.2, kCentre + 1.6, kCentre + 1.2, tipY + 1.6, 3.4, 4.8, {0, 0, 0}, 0.35);
  c.FillDisc(kCentre + 1.2, tipY + 1.6, kBall, {0, 0, 0}, 0.35);
  // Lever: chrome bat with a bright streak on its left side and a ball tip.
  c.Taper(kCentre, kCentre, kCentre, tipY, 3.4, 4.8, {150, 152, 158});
  c.Taper(kCentre - 0.6, kCentre, kCentre - 0.7, tipY, 1.1, 1.6, kChromeLight);
  c.GradientDisc(kCentre, tipY, kBall, kChromeLight, kChromeDark, -40.0);
  c.FillDisc(kCentre - 0.9, tipY - 0.9, 1.0, {255, 255, 255}, 0.9);
}

} // namespace

void DrawSwitchStrip(RAS_MemBitmap* out)
{
  DrawFilmStrip(out, kSwitchSize, kSwitchFrames, [](SkinCanvas& c, int i) { DrawSwitch(c, i == 1); });
}
