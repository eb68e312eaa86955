// The controls example on the effect: every further control is on the
// editor, the mouse turns Low and High, and the pixels of the tone graph and
// of the saved picture are checked against values computed here.

#include "examples/ControlsExample.h"
#include "raster/raster.h"

#include <gtest/gtest.h>

#include <complex>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <typeinfo>
#include <unistd.h>

namespace
{
struct Example
{
  std::unique_ptr<IFxBase> plug{MakePlug()};
  Orvanta* orvanta = dynamic_cast<Orvanta*>(plug.get());
  std::unique_ptr<ControlsExample> example;
  Example() { example.reset(new ControlsExample(orvanta, ORVANTA_RESOURCE_DIR)); }
  RAS_pixel Pixel(int x, int y) { return example->Graphics()->GetPoint(x, y).ToPixel() | 0xFFu; }
};

// |H| in dB of biquad slot at f, from the bank's coefficients.
double BiquadDB(const AuDSP& d, int slot, double f, double fs)
{
  const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * f / fs);
  const std::complex<double> num = d.b0[slot] + d.b1[slot] * z1 + d.b2[slot] * z1 * z1;
  const std::complex<double> den = 1.0 + d.a1[slot] * z1 + d.a2[slot] * z1 * z1;
  return 20.0 * std::log10(std::abs(num / den));
}
} // namespace

// Catches an example that leaves out one of the further controls.
TEST(ControlsExample, UsesEveryFurtherControl)
{
  Example e;
  IGraphics* g = e.example->Graphics();
  const std::type_info* wanted[] = {
    &typeid(ITextControl), &typeid(ICaptionControl), &typeid(IEditableTextControl), &typeid(ISpinnerControl),
    &typeid(IUserTextControl), &typeid(IBitmapTextControl), &typeid(IOnOffControl), &typeid(IContactControl),
    &typeid(IButtonSwitchControl), &typeid(IRadioButtonsControl), &typeid(IInvisibleSelectControl),
    &typeid(IFaderControl), &typeid(IKnobLineControl), &typeid(IURLControl), &typeid(IFileSelectorControl),
    &typeid(IFreqResponseGraph)};
  for (const std::type_info* t : wanted)
  {
    bool found = false;
    for (int i = 0; i < g->GetNControls(); ++i)
    {
      const IControl* c = g->GetControl(i);
      found = found || typeid(*c) == *t;
    }
    EXPECT_TRUE(found) << t->name();
  }
}

// Catches a graph that does not follow Low and High as the mouse turns them,
// or plots another response than the effect's tone section: every tenth
// column has curve pixels within a pixel of the row computed here.
TEST(ControlsExample, GraphFollowsTheToneSection)
{
  Example e;
  e.example->TurnLowAndHigh();
  EXPECT_NEAR(e.orvanta->GetParam(Orvanta::kLow)->Value(), 0.75, 0.02);
  EXPECT_LT(e.orvanta->GetParam(Orvanta::kHigh)->Value(), 0.45);

  const AuDSP& bank = e.orvanta->Chain().Bank();
  const double fs = e.orvanta->GetSampleRate();
  const int W = ControlsExample::kGraphW, H = ControlsExample::kGraphH;
  const RAS_pixel plot = e.Pixel(ControlsExample::kGraphL + 1, ControlsExample::kGraphT + H - 2);
  const double decades = std::log10(ControlsExample::kHighestHz / ControlsExample::kLowestHz);
  double lowDB = 0.0;
  for (int x = 5; x < W - 1; x += 10)
  {
    const double f = ControlsExample::kLowestHz * std::pow(10.0, (double)x / W * decades);
    const double dB = BiquadDB(bank, 8, f, fs) + BiquadDB(bank, 10, f, fs);
    if (x == 5) lowDB = dB;
    const double row = ControlsExample::kGraphT + (ControlsExample::kDBOffset - dB) * H / ControlsExample::kDBRange;
    bool inked = false;
    for (int y = (int)row - 1; y <= (int)row + 2; ++y) inked = inked || e.Pixel(ControlsExample::kGraphL + x, y) != plot;
    EXPECT_TRUE(inked) << "column " << x << " (" << f << " Hz), row " << row;
  }
  EXPECT_NEAR(lowDB, 3.0, 0.3); // Low at 0.75 lifts the bass by 0.75 * 12 - 6 dB
}

// Catches a saved picture that differs from what the editor shows (or one
// whose text pixels are left transparent), and toggles that do not show the
// effect's switch picture.
TEST(ControlsExample, SavedPictureIsTheEditor)
{
  Example e;
  e.example->TurnLowAndHigh();
  char path[] = "/tmp/orvanta-controls-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  std::string error;
  ASSERT_TRUE(e.example->SavePNG(path, &error)) << error;
  std::unique_ptr<RAS_IBitmap> saved(RAS_LoadPNG(path));
  unlink(path);
  ASSERT_TRUE(saved);
  ASSERT_EQ(saved->getWidth(), ControlsExample::kWidth);
  ASSERT_EQ(saved->getHeight(), ControlsExample::kHeight);
  int differ = 0;
  for (int y = 0; y < ControlsExample::kHeight; ++y)
    for (int x = 0; x < ControlsExample::kWidth; ++x)
      differ += saved->getBits()[(long)y * saved->getRowSpan() + x] != e.Pixel(x, y);
  EXPECT_EQ(differ, 0);

  const std::string sw = std::string(ORVANTA_RESOURCE_DIR) + "/orvanta_switch.png";
  std::unique_ptr<RAS_IBitmap> strip(RAS_LoadPNG(sw.c_str()));
  ASSERT_TRUE(strip);
  const IRECT* t = e.example->ChannelToggle()->GetRECT();
  // The released toggle shows frame 1: its opaque pixels come out as they are.
  int opaque = 0;
  for (int y = 0; y < strip->getHeight() / 2; ++y)
    for (int x = 0; x < strip->getWidth(); ++x)
    {
      const RAS_pixel want = strip->getBits()[(long)y * strip->getRowSpan() + x];
      if ((want & 0xFFu) != 0xFFu) continue;
      ++opaque;
      EXPECT_EQ(e.Pixel(t->L + x, t->T + y), want) << x << "," << y;
    }
  EXPECT_GT(opaque, 100);
}
