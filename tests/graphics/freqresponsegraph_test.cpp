// The frequency-response graph against values computed here: the transform
// against a plain DFT, window tables, the decibel mapping, smoothing, guards
// against bad set-up and input, and a filter's analytic response.

#include "FurtherControls.h"
#include "effect/AuDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <random>
#include <vector>

namespace
{
const IColor kCurve(255, 255, 255, 0);

// A graph in an editor; index 0 holds an empty control so that the graph
// takes mouse events as any control above a background does.
struct GraphRig : FurtherRig
{
  IFreqResponseGraph* graph;
  GraphRig(IRECT r, int n, EFFTWindow w = kWindowRectangular) : FurtherRig(r.R + 10, r.B + 10)
  {
    g->AttachControl(new IControl(nullptr, IRECT()));
    graph = Attach(new IFreqResponseGraph(&plug, kCurve, r, n, w));
  }
  int CurvePixels(const IRECT& r)
  {
    int count = 0;
    for (int y = r.T; y < r.B; ++y)
      for (int x = r.L; x < r.R; ++x) count += Pixel(x, y) != 0u;
    return count;
  }
};

std::vector<double> Impulse(int n, double amplitude)
{
  std::vector<double> v(n, 0.0);
  v[0] = amplitude;
  return v;
}
} // namespace

// Catches a wrong twiddle sign, stage span or bit reversal (against a plain
// DFT), and an inverse that is not scaled back by 1/n.
TEST(FreqResponseGraph, FFTMatchesAPlainDFTAndInverts)
{
  const int m = 5, n = 1 << m;
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  std::vector<double> re(n), im(n), re0, im0;
  for (int i = 0; i < n; ++i)
  {
    re[i] = u(rng);
    im[i] = u(rng);
  }
  re0 = re;
  im0 = im;
  IFreqResponseGraph::fft(re.data(), im.data(), m, -1);
  for (int k = 0; k < n; ++k)
  {
    std::complex<double> sum = 0.0;
    for (int t = 0; t < n; ++t)
      sum += std::complex<double>(re0[t], im0[t]) * std::polar(1.0, -2.0 * M_PI * k * t / n);
    EXPECT_NEAR(re[k], sum.real(), 1e-10) << k;
    EXPECT_NEAR(im[k], sum.imag(), 1e-10) << k;
  }
  IFreqResponseGraph::fft(re.data(), im.data(), m, 1);
  for (int i = 0; i < n; ++i)
  {
    EXPECT_NEAR(re[i], re0[i], 1e-12);
    EXPECT_NEAR(im[i], im0[i], 1e-12);
  }
}

// Catches a table that stores the shape instead of its square, a shape with
// the wrong constants, and window 0 touching the samples.
TEST(FreqResponseGraph, WindowTablesHoldSquaredShapes)
{
  EXPECT_EQ(IFreqResponseGraph::WindowValue(kWindowRectangular, 3, 8), 1.0);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowHann, 0, 8), 0.0, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowHann, 2, 5), 1.0, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowHamming, 0, 8), 0.0064, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowBlackman, 2, 5), 1.0, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowSine, 1, 5), 0.5, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue((EFFTWindow)42, 1, 5), 0.5, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowSineCubed, 1, 5), 0.125, 1e-15);
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowHannSquared, 1, 5), 0.0625, 1e-15);
  // Blackman-Harris sampled half a step in: k' = 1.5 of M = 3 is the middle.
  EXPECT_NEAR(IFreqResponseGraph::WindowValue(kWindowBlackmanHarris, 1, 4), 1.0, 1e-12);
  GraphRig rig(IRECT(0, 0, 64, 40), 8, kWindowHann);
  EXPECT_NEAR(rig.graph->Window()[0], 0.0, 1e-15);
  rig.graph->SetWindow(kWindowRectangular);
  for (int k = 0; k < 8; ++k) EXPECT_EQ(rig.graph->Window()[k], 1.0);
}

// Catches reads past the ends of the array and a wrong spline: linear data
// comes back exactly, positions past the end read the last entry.
TEST(FreqResponseGraph, CubicInterpolationStaysInsideTheArray)
{
  const double a[4] = {0.0, 1.0, 2.0, 3.0};
  EXPECT_DOUBLE_EQ(IFreqResponseGraph::CubicInterpolate(a, 4, 1.5), 1.5);
  EXPECT_DOUBLE_EQ(IFreqResponseGraph::CubicInterpolate(a, 4, 2.5), 2.5625);
  EXPECT_DOUBLE_EQ(IFreqResponseGraph::CubicInterpolate(a, 4, 10.0), 3.0);
  EXPECT_DOUBLE_EQ(IFreqResponseGraph::CubicInterpolate(a, 4, INFINITY), 3.0);
  EXPECT_TRUE(std::isfinite(IFreqResponseGraph::CubicInterpolate(a, 4, NAN)));
}

// Catches a wrong decibel mapping: an impulse of 1 (0 dB everywhere) lies
// dBOffset below the top, 30 of 80 dB over 200 px = 75 px; 10^(30/20) lies
// on the top edge and draws nothing; silence lies on the bottom, draws
// nothing and keeps the previous gain.
TEST(FreqResponseGraph, RawModeDecibelMapping)
{
  GraphRig rig(IRECT(0, 0, 300, 200), 256);
  rig.graph->SetDisplayMode(1);
  rig.graph->SetDataFromPlug(Impulse(256, 4.0).data());
  EXPECT_DOUBLE_EQ(rig.graph->GetIRGain(), 0.25);

  rig.graph->SetDataFromPlug(Impulse(256, 1.0).data());
  for (int x = 0; x < 300; ++x) ASSERT_NEAR(rig.graph->DisplayPoints()[x], 75.0, 1e-9) << x;
  rig.PaintAll();
  EXPECT_EQ(rig.Pixel(150, 75), kCurve.ToPixel());

  GraphRig top(IRECT(0, 0, 300, 200), 256);
  top.graph->SetDisplayMode(1);
  top.graph->SetDataFromPlug(Impulse(256, std::pow(10.0, 1.5)).data());
  for (int x = 0; x < 300; ++x) ASSERT_NEAR(top.graph->DisplayPoints()[x], 0.0, 1e-9) << x;
  top.PaintAll();
  EXPECT_EQ(top.CurvePixels(IRECT(0, 0, 310, 210)), 0);

  GraphRig quiet(IRECT(0, 0, 300, 200), 256);
  quiet.graph->SetDisplayMode(1);
  quiet.graph->SetDataFromPlug(Impulse(256, 4.0).data());
  quiet.graph->SetDataFromPlug(std::vector<double>(256, 0.0).data());
  EXPECT_DOUBLE_EQ(quiet.graph->GetIRGain(), 0.25);
  for (int x = 0; x < 300; ++x) ASSERT_EQ(quiet.graph->DisplayPoints()[x], 200.0);
  quiet.PaintAll();
  EXPECT_EQ(quiet.CurvePixels(IRECT(0, 0, 310, 210)), 0);
}

// Catches smoothing with the coefficients swapped or applied in raw mode:
// from the top (state 0) the curve sinks by the slow coefficient, climbs by
// the fast one, and raw mode jumps at once.
TEST(FreqResponseGraph, SmoothingFallsSlowlyAndRisesQuickly)
{
  GraphRig rig(IRECT(0, 0, 100, 200), 64);
  const double slow = std::exp(-1.0 / 60.0), fast = std::exp(-1.0 / 6.0);
  rig.graph->SetDataFromPlug(Impulse(64, 1.0).data()); // target 75
  const double y1 = -75.0 * slow + 75.0;
  EXPECT_NEAR(rig.graph->DisplayPoints()[50], y1, 1e-9);
  rig.graph->SetDataFromPlug(Impulse(64, std::pow(10.0, 1.5)).data()); // target 0
  EXPECT_NEAR(rig.graph->DisplayPoints()[50], y1 * fast, 1e-9);
  rig.graph->SetDisplayMode(1);
  rig.graph->SetDataFromPlug(Impulse(64, 1.0).data());
  EXPECT_NEAR(rig.graph->DisplayPoints()[50], 75.0, 1e-9);
}

// Catches sizes that are not powers of two (or below 4) being accepted, and
// nonsense sample rates, frequency ranges and decibel ranges taken over.
TEST(FreqResponseGraph, InvalidSetUpIsRefused)
{
  GraphRig rig(IRECT(0, 0, 100, 50), 1000);
  EXPECT_EQ(rig.graph->FFTSize(), 1024);
  for (int bad : {0, 2, 3, 6, 1000, -8, 1 << 20}) EXPECT_FALSE(rig.graph->SetFFTSize(bad)) << bad;
  EXPECT_EQ(rig.graph->FFTSize(), 1024);
  EXPECT_TRUE(rig.graph->SetFFTSize(4));
  IFreqResponseGraph tiny(nullptr, kCurve, IRECT(0, 0, 10, 10), 2);
  EXPECT_EQ(tiny.FFTSize(), 4);

  EXPECT_FALSE(rig.graph->SetSRate(0.0));
  EXPECT_FALSE(rig.graph->SetSRate(-48000.0));
  EXPECT_FALSE(rig.graph->SetSRate(NAN));
  EXPECT_EQ(rig.graph->SampleRate(), 44100.0);
  EXPECT_FALSE(rig.graph->SetScale(0.0, 20000.0, 80.0, 30.0));
  EXPECT_FALSE(rig.graph->SetScale(-20.0, 20000.0, 80.0, 30.0));
  EXPECT_FALSE(rig.graph->SetScale(500.0, 100.0, 80.0, 30.0));
  EXPECT_FALSE(rig.graph->SetScale(20.0, 20000.0, 0.0, 30.0));
  EXPECT_FALSE(rig.graph->SetScale(20.0, 20000.0, 80.0, NAN));
  EXPECT_NEAR(rig.graph->ColumnFrequency(0.0), 20.0, 1e-9);
  EXPECT_NEAR(rig.graph->ColumnFrequency(100.0), 20480.0, 1e-6);
}

// Catches NaN or infinite points reaching the line drawer, reads past the
// half spectrum when the scale runs above half the sample rate, a plot wider
// than the smoothing state, and a clamp to an inverted range for a rectangle
// of negative height.
TEST(FreqResponseGraph, BadInputAndWideScalesStayFinite)
{
  GraphRig rig(IRECT(0, 0, 200, 100), 128);
  std::vector<double> bad = Impulse(128, 1.0);
  bad[3] = NAN;
  rig.graph->SetDataFromPlug(bad.data());
  for (int x = 0; x < 200; ++x)
  {
    const double y = rig.graph->DisplayPoints()[x];
    ASSERT_TRUE(std::isfinite(y) && y >= 0.0 && y <= 100.0) << x;
  }
  rig.PaintAll();
  bad[3] = 0.0;
  rig.graph->SetDisplayMode(1);
  rig.graph->SetDataFromPlug(bad.data());
  EXPECT_NEAR(rig.graph->DisplayPoints()[10], 37.5, 1e-9); // the smoothing state was not poisoned

  ASSERT_TRUE(rig.graph->SetScale(20.0, 96000.0, 80.0, 30.0));
  rig.graph->SetDataFromPlug(Impulse(128, 1.0).data());
  EXPECT_NEAR(rig.graph->DisplayPoints()[199], 37.5, 1e-9);

  IFreqResponseGraph upsideDown(nullptr, kCurve, IRECT(0, 50, 40, 10), 64);
  upsideDown.SetDataFromPlug(Impulse(64, 1.0).data());
  EXPECT_EQ(upsideDown.DisplayPoints()[0], 0.0);

  GraphRig wide(IRECT(0, 0, 1500, 60), 64);
  EXPECT_EQ(wide.graph->PlotWidth(), IFreqResponseGraph::kMaxWidth);
  wide.graph->SetDataFromPlug(Impulse(64, 1.0).data());
  wide.PaintAll();
}

// Catches a plotted shape that is not the filter's: the impulse response of
// the toolkit's low shelf (500 Hz, +12 dB) plots |H(e^jw)| computed here
// from its coefficients, within a pixel at every column, and the curve's
// pixels lie on those rows.
TEST(FreqResponseGraph, LowShelfImpulsePlotsItsAnalyticMagnitude)
{
  const int n = 4096, W = 400, H = 200;
  const double fs = 44100.0, range = 24.0, offset = 18.0;
  AuDSP dsp;
  dsp.dspFullReset();
  dsp.biquadFilterInit(0, AuDSP::kLowShelf, 500.0, 2.0, 12.0, fs);
  std::vector<double> ir(n);
  for (int i = 0; i < n; ++i) dsp.biquadFilterProcess(0, i == 0 ? 1.0 : 0.0, ir[i]);

  GraphRig rig(IRECT(5, 5, 5 + W, 5 + H), n);
  rig.graph->SetDisplayMode(1);
  ASSERT_TRUE(rig.graph->SetScale(20.0, 20480.0, range, offset));
  rig.graph->SetDataFromPlug(ir.data());

  const double decades = std::log10(20480.0 / 20.0);
  double lowest = 1e9, highest = -1e9;
  for (int x = 1; x < W; ++x)
  {
    const double f = 20.0 * std::pow(10.0, (double)x / W * decades);
    const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * f / fs);
    const std::complex<double> num = dsp.b0[0] + dsp.b1[0] * z1 + dsp.b2[0] * z1 * z1;
    const std::complex<double> den = 1.0 + dsp.a1[0] * z1 + dsp.a2[0] * z1 * z1;
    const double dB = 20.0 * std::log10(std::abs(num / den));
    const double want = (offset - dB) * H / range;
    ASSERT_NEAR(rig.graph->DisplayPoints()[x], want, 1.0) << "column " << x << " at " << f << " Hz";
    lowest = std::min(lowest, want);
    highest = std::max(highest, want);
  }
  EXPECT_LT(lowest, 55.0);  // the shelf's +12 dB is plotted
  EXPECT_GT(highest, 145.0); // and its 0 dB top end
  rig.PaintAll();
  for (int x = 1; x < W - 1; x += 7)
  {
    const int row = 5 + (int)rig.graph->DisplayPoints()[x];
    bool inked = false;
    for (int y = row - 2; y <= row + 2; ++y) inked = inked || rig.Pixel(5 + x, y) != 0u;
    EXPECT_TRUE(inked) << "column " << x;
  }
}

// Catches the readout's frequency or level formula, and hover events that
// start before the graph has been drawn.
TEST(FreqResponseGraph, HoverReadoutAfterFirstDraw)
{
  GraphRig rig(IRECT(0, 0, 400, 200), 64);
  IMouseMod none;
  EXPECT_FALSE(rig.g->OnMouseOver(200, 100, &none));
  rig.PaintAll();
  EXPECT_TRUE(rig.g->OnMouseOver(200, 100, &none));
  char text[96];
  ASSERT_TRUE(rig.graph->GetReadout(text, sizeof text));
  EXPECT_STREQ(text, "Freq:  640 Hz\nGain: -40.0 dB");
  rig.g->OnMouseOver(399, 0, &none);
  rig.graph->GetReadout(text, sizeof text);
  EXPECT_EQ(strncmp(text, "Freq: 20.", 9), 0) << text;
  rig.g->OnMouseOut();
  EXPECT_FALSE(rig.graph->GetReadout(text, sizeof text));
}
