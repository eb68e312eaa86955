#include "SkinFont.h"
#include "SkinImages.h"
#include "SkinLayout.h"
#include "SkinPalette.h"

#include <math.h>

using namespace skin;

namespace {

// The brass control plate across the top, holding the switch and the knobs.
constexpr double kPlateX = 14, kPlateY = 12, kPlateW = kPanelWidth - 28, kPlateH = 78;
// The grille cloth lies exactly under the about box, which opens over it.
constexpr double kGrilleX = kAboutLeft, kGrilleY = kAboutTop, kGrilleW = kAboutWidth, kGrilleH = kAboutHeight;
constexpr double kGrilleRadius = 5;
// Grille threads: one weave cell is this many pixels along each diagonal.
constexpr double kWeave = 4.6;

// Pebbled vinyl: every pixel a little lighter or darker.
void Tolex(SkinCanvas& c)
{
  c.GradientRect(0, 0, kPanelWidth, kPanelHeight, kTolex.Scaled(1.25), kTolex.Scaled(0.8));
  SkinRandom rnd(0x70137u);
  for (int y = 0; y < kPanelHeight; y++)
    for (int x = 0; x < kPanelWidth; x++)
    {
      const double v = rnd.Signed();
      c.FillRect(x, y, 1, 1, v > 0 ? SkinColour{255, 255, 255} : SkinColour{0, 0, 0}, fabs(v) * 0.07);
    }
}

// A cream piping line around a rounded rectangle: the piping colour filled,
// then the inside filled again.
void Piping(SkinCanvas& c, double x, double y, double w, double h, double r, double width, const SkinColour& top,
            const SkinColour& bottom)
{
  c.GradientRoundRect(x, y, w, h, r, kPiping, kPiping.Scaled(0.7));
  c.GradientRoundRect(x + width, y + width, w - 2 * width, h - 2 * width, r - width, top, bottom);
}

// A rectangle's shadow: rows of falling darkness below and around it.
void BoxShadow(SkinCanvas& c, double x, double y, double w, double h, double blur, double alpha)
{
  for (int k = (int)(blur * c.Scale()); k > 0; k--)
  {
    const double d = (double)k / c.Scale();
    c.FillRect(x - d * 0.5, y + d * 0.3, w + d, h + d, {0, 0, 0}, alpha / (blur * c.Scale()));
  }
}

void Plate(SkinCanvas& c)
{
  BoxShadow(c, kPlateX, kPlateY, kPlateW, kPlateH, 3.0, 0.9);
  c.GradientRoundRect(kPlateX, kPlateY, kPlateW, kPlateH, 3, kBrassLight, kBrassDark);
  // Brushing: every canvas row a little lighter or darker, and long streaks.
  SkinRandom rnd(0xB4A55u);
  const int s = c.Scale();
  for (int j = (int)(kPlateY * s) + 2; j < (int)((kPlateY + kPlateH) * s) - 2; j++)
  {
    const double v = rnd.Signed();
    c.FillRect(kPlateX + 1, (double)j / s, kPlateW - 2, 1.0 / s, v > 0 ? SkinColour{255, 250, 235} : kInk,
               fabs(v) * 0.10);
  }
  for (int i = 0; i < 140; i++)
  {
    const double x = kPlateX + 2 + rnd.Next() * (kPlateW - 40), len = 20 + rnd.Next() * 120;
    const double y = kPlateY + 2 + rnd.Next() * (kPlateH - 4);
    const bool light = rnd.Next() > 0.5;
    c.FillRect(x, y, fmin(len, kPlateX + kPlateW - 2 - x), 1.0 / s, light ? SkinColour{255, 252, 240} : kInk, 0.25);
  }
  // Bevel: the top edge catches the light, the bottom one falls into shade.
  c.FillRect(kPlateX + 2, kPlateY, kPlateW - 4, 0.75, {255, 248, 220}, 0.7);
  c.FillRect(kPlateX + 2, kPlateY + kPlateH - 0.75, kPlateW - 4, 0.75, {70, 50, 20}, 0.7);
}

void Screw(SkinCanvas& c, double x, double y, double angle)
{
  c.SoftShadow(x + 0.4, y + 0.8, 3.2, 1.4, 150, false);
  c.GradientDisc(x, y, 3.4, kChromeLight, kChromeDark, -40.0);
  const double rad = angle * M_PI / 180.0, dx = 2.6 * cos(rad), dy = 2.6 * sin(rad);
  c.Stroke(x - dx, y - dy, x + dx, y + dy, 0.9, {40, 40, 44});
}

// Jewel pilot lamp: chrome bezel, red glass lit from inside.
void Lamp(SkinCanvas& c, double x, double y)
{
  c.SoftShadow(x + 0.6, y + 1.2, 9.0, 2.5, 140, false);
  c.GradientDisc(x, y, 9.5, kChromeLight, kChromeDark, -35.0);
  c.GradientDisc(x, y, 7.6, kChromeDark, kChromeLight, -35.0);
  c.GradientDisc(x, y, 6.4, {255, 120, 70}, {120, 8, 4}, -30.0);
  for (int k = 0; k < 6; k++)
  {
    const double a = k * 60.0 * M_PI / 180.0;
    c.Stroke(x, y, x + 5.6 * sin(a), y - 5.6 * cos(a), 0.6, {90, 0, 0}, 0.35);
  }
  c.FillDisc(x - 2.2, y - 2.4, 1.6, {255, 230, 200}, 0.85);
}

// Basket-woven cloth: diagonal threads crossing over and under each other,
// each thread shaded across its width.
void Grille(SkinCanvas& c)
{
  BoxShadow(c, kGrilleX - 2, kGrilleY - 2, kGrilleW + 4, kGrilleH + 4, 2.0, 0.6);
  Piping(c, kGrilleX - 2, kGrilleY - 2, kGrilleW + 4, kGrilleH + 4, kGrilleRadius + 2, 1.4, kClothDark, kClothDark);
  RAS_IBitmap* bm = c.Bitmap();
  const int s = c.Scale();
  const double cx = kGrilleX + kGrilleW / 2, cy = kGrilleY + kGrilleH / 2;
  for (int j = (int)(kGrilleY * s); j < (int)((kGrilleY + kGrilleH) * s); j++)
    for (int i = (int)(kGrilleX * s); i < (int)((kGrilleX + kGrilleW) * s); i++)
    {
      const double x = (i + 0.5) / s, y = (j + 0.5) / s;
      // Rounded corners: leave the piping's dark inside there.
      const double qx = fmax(fabs(x - cx) - (kGrilleW / 2 - kGrilleRadius), 0.0);
      const double qy = fmax(fabs(y - cy) - (kGrilleH / 2 - kGrilleRadius), 0.0);
      if (qx * qx + qy * qy > kGrilleRadius * kGrilleRadius) continue;
      const double u = (x + y) / kWeave, v = (x - y) / kWeave;
      const double fu = u - floor(u), fv = v - floor(v);
      const bool warp = (((long)floor(u) + (long)floor(v)) & 1) != 0;
      // Across a thread its brightness rises and falls like a rounded strand.
      const double across = warp ? fv : fu;
      const double shade = 0.35 + 0.65 * sin(M_PI * across);
      SkinColour col = (warp ? kClothWarp : kClothWeft).Scaled(shade);
      // The cloth is lit from above and darker towards its edges.
      const double ex = (x - cx) / (kGrilleW / 2), ey = (y - cy) / (kGrilleH / 2);
      col = col.Scaled(1.12 - 0.28 * (ex * ex * 0.6 + ey * ey) - 0.12 * ey);
      RAS_PutPixel(bm, i, j, col.Pixel(), 1.0f, RAS_MODE_COPY);
    }
}

// The about box's hot spot: a small chrome badge with an "i".
void Badge(SkinCanvas& c)
{
  const double x = (kHotSpotLeft + kHotSpotRight) / 2.0, y = (kHotSpotTop + kHotSpotBottom) / 2.0;
  c.SoftShadow(x + 0.6, y + 1.2, 9.0, 2.5, 170, false);
  c.GradientDisc(x, y, 9.6, kChromeLight, kChromeDark, -35.0);
  c.GradientDisc(x, y, 7.8, {30, 28, 27}, {60, 56, 52}, -35.0);
}

} // namespace

void DrawBackground(RAS_MemBitmap* out)
{
  SkinCanvas c(kPanelWidth, kPanelHeight);
  Tolex(c);
  Piping(c, 5, 5, kPanelWidth - 10, kPanelHeight - 10, 12, 1.6, kTolex.Scaled(1.2), kTolex.Scaled(0.85));
  Plate(c);
  Screw(c, kPlateX + 8, kPlateY + 8, 30);
  Screw(c, kPlateX + kPlateW - 8, kPlateY + 8, 75);
  Screw(c, kPlateX + 8, kPlateY + kPlateH - 8, 120);
  Screw(c, kPlateX + kPlateW - 8, kPlateY + kPlateH - 8, 10);
  Lamp(c, 372, SwitchCentreY() - 2);
  Grille(c);
  Badge(c);
  c.Resolve(out);

  // Text goes on at the final size, where the font's own anti-aliasing is
  // sharper than an averaged large rendering.
  const SkinColour light = kInkLight;
  SkinFont label("Liberation Sans", 11, true);
  for (int i = 0; i < kKnobCount; i++)
    label.DrawEngraved(out, kKnobLabel[i], (int)lround(KnobCentreX(i)), kKnobTop + kKnobSize + 1, kInk, light, 0.45);
  label.DrawEngraved(out, "Dirty", (int)lround(SwitchCentreX()), kSwitchTop - 13, kInk, light, 0.45);
  label.DrawEngraved(out, "Clean", (int)lround(SwitchCentreX()), kSwitchTop + kSwitchSize + 1, kInk, light, 0.45);
  label.DrawEngraved(out, "Power", 372, kKnobTop + kKnobSize + 1, kInk, light, 0.45);

  SkinFont mark("Liberation Sans", 21, true);
  mark.DrawEngraved(out, "ORVANTA", 74, 30, kInk, light, 0.5);
  SkinFont sub("Liberation Sans", 10, true);
  sub.DrawEngraved(out, "AMP  SIMULATOR", 74, 56, kInk, light, 0.45);

  SkinFont logo("Liberation Serif", 60, true, true);
  const int logoY = (int)(kGrilleY + kGrilleH / 2) - 44;
  const int logoX = (int)(kGrilleX + kGrilleW / 2);
  logo.DrawCentred(out, kProductName, logoX + 2, logoY + 3, {0, 0, 0}, 0.6);
  logo.DrawCentred(out, kProductName, logoX, logoY, kLogo);

  SkinFont info("Liberation Serif", 14, true);
  const int bx = (kHotSpotLeft + kHotSpotRight) / 2, by = (kHotSpotTop + kHotSpotBottom) / 2;
  info.DrawCentred(out, "i", bx, by - info.Height("i") / 2, kChromeLight);
}
