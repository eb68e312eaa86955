#include "SkinFont.h"
#include "SkinImages.h"
#include "SkinLayout.h"
#include "SkinPalette.h"

#include <string>

using namespace skin;

namespace {

constexpr double kBorder = 5;
constexpr double kRadius = 10;

} // namespace

void DrawAbout(RAS_MemBitmap* out)
{
  // A brass-framed card with rounded, transparent corners, so the grille
  // shows around them when it opens.
  SkinCanvas c(kAboutWidth, kAboutHeight);
  c.GradientRoundRect(0, 0, kAboutWidth, kAboutHeight, kRadius, kBrassLight, kBrassDark);
  c.FillRect(kRadius, 0.5, kAboutWidth - 2 * kRadius, 0.75, {255, 248, 220}, 0.7);
  c.GradientRoundRect(kBorder, kBorder, kAboutWidth - 2 * kBorder, kAboutHeight - 2 * kBorder, kRadius - kBorder + 2,
                      {40, 36, 33}, {16, 15, 14});
  // A brass rule under the name, fading out towards both ends.
  const double ruleY = 92, mid = kAboutWidth / 2.0;
  for (int k = 0; k < 60; k++)
  {
    const double half = 130.0 * (60 - k) / 60.0;
    c.FillRect(mid - half, ruleY, 2 * half, 1.0, kBrassLight, 0.05);
  }
  c.Resolve(out);

  const int x = kAboutWidth / 2;
  SkinFont title("Liberation Serif", 56, true, true);
  title.DrawCentred(out, kProductName, x + 2, 20, {0, 0, 0}, 0.7);
  title.DrawCentred(out, kProductName, x, 18, kLogo);

  SkinFont body("Liberation Sans", 14);
  const SkinColour text = {214, 206, 190};
  body.DrawCentred(out, "Guitar amplifier and overdrive simulator", x, 106, text);
  SkinFont bold("Liberation Sans", 14, true);
  bold.DrawCentred(out, (std::string("Version ") + kVersion).c_str(), x, 132, kBrassLight);
  SkinFont vendor("Liberation Serif", 17, false, true);
  vendor.DrawCentred(out, kVendor, x, 160, text);
  SkinFont small("Liberation Sans", 11);
  small.DrawCentred(out, "Click to close", x, kAboutHeight - 34, {150, 142, 128});
}
