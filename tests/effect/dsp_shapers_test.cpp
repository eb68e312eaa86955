#include "effect/AuDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <memory>

namespace {

constexpr double kPi = 3.14159265358979323846;

std::unique_ptr<AuDSP> freshBank() {
  auto d = std::make_unique<AuDSP>();
  d->dspFullReset();
  return d;
}

// One-pole low-pass y = (1 - p) x + p y[-1], with p = e^(-2 pi f / fs).
double onePoleLowPassMagnitude(double f, double cutoff, double fs) {
  const double p = std::exp(-2 * kPi * cutoff / fs);
  const std::complex<double> z1 = std::polar(1.0, -2 * kPi * f / fs);
  return std::abs((1 - p) / (1.0 - p * z1));
}

TEST(OnePole, CoefficientsFollowTheExponentialPole) {
  auto d = freshBank();
  d->OnePoleLPFilterInit(0, 723.431, 44100);
  d->OnePoleHPFilterInit(0, 720.484, 44100);
  const double pl = std::exp(-2 * kPi * 723.431 / 44100);
  const double ph = std::exp(-2 * kPi * 720.484 / 44100);
  EXPECT_NEAR(d->lpA0[0], 1 - pl, 1e-15);
  EXPECT_NEAR(d->lpB1[0], -pl, 1e-15);
  EXPECT_NEAR(d->hpA0[0], 1 - ph, 1e-15);
  EXPECT_NEAR(d->hpB1[0], -ph, 1e-15);
  // Low-pass and high-pass slots of the same index are separate.
  EXPECT_NE(d->lpA0[0], d->hpA0[0]);
}

TEST(OnePole, LongRunMatchesReferenceRecursion) {
  auto d = freshBank();
  d->OnePoleLPFilterInit(3, 2000, 48000);
  d->OnePoleHPFilterInit(3, 2700, 48000);
  const double la = d->lpA0[3], lb = d->lpB1[3], ha = d->hpA0[3], hb = d->hpB1[3];
  double lz = 0, hz = 0;
  for (int n = 0; n < 50000; ++n) {
    const double x = std::sin(0.01 * n) + 0.3 * std::sin(1.7 * n);
    lz = la * x - lb * lz;
    hz = ha * x - hb * hz;
    double lp, hp;
    d->OnePoleLPFilterProcess(3, x, lp);
    d->OnePoleHPFilterProcess(3, x, hp);
    ASSERT_EQ(lp, lz + 1e-20);
    ASSERT_EQ(hp, x - hz + 1e-20);
  }
}

TEST(OnePole, SineAmplitudeFollowsTransferFunction) {
  auto d = freshBank();
  const double fs = 44100, cutoff = 2000;
  d->OnePoleLPFilterInit(1, cutoff, fs);
  d->OnePoleHPFilterInit(1, cutoff, fs);
  for (double f : {50.0, 2000.0, 9000.0}) {
    d->dspStateReset();
    const double w = 2 * kPi * f / fs;
    double lpPeak = 0, hpPeak = 0, lp, hp;
    for (int n = 0; n < 20000; ++n) {
      d->OnePoleLPFilterProcess(1, std::sin(w * n), lp);
      d->OnePoleHPFilterProcess(1, std::sin(w * n), hp);
      if (n >= 10000) {
        lpPeak = std::max(lpPeak, std::fabs(lp));
        hpPeak = std::max(hpPeak, std::fabs(hp));
      }
    }
    const double lpWant = onePoleLowPassMagnitude(f, cutoff, fs);
    // The high-pass is 1 - H_lp.
    const double p = std::exp(-2 * kPi * cutoff / fs);
    const std::complex<double> z1 = std::polar(1.0, -w);
    const double hpWant = std::abs(1.0 - (1 - p) / (1.0 - p * z1));
    const double slack = 1 - std::cos(w / 2);
    EXPECT_NEAR(lpPeak, lpWant, lpWant * slack + 1e-9) << f;
    EXPECT_NEAR(hpPeak, hpWant, hpWant * slack + 1e-9) << f;
  }
}

TEST(OnePole, BadFrequencyOrRateLeavesTheSlotUnchanged) {
  auto d = freshBank();
  d->OnePoleLPFilterInit(2, 1000, 44100);
  d->OnePoleHPFilterInit(2, 1000, 44100);
  const double la = d->lpA0[2], ha = d->hpA0[2];
  for (double v : {0.0, -5.0, double(NAN), double(INFINITY)}) {
    d->OnePoleLPFilterInit(2, v, 44100);
    d->OnePoleLPFilterInit(2, 1000, v);
    d->OnePoleHPFilterInit(2, v, 44100);
    d->OnePoleHPFilterInit(2, 1000, v);
  }
  EXPECT_EQ(d->lpA0[2], la);
  EXPECT_EQ(d->hpA0[2], ha);
}

TEST(Distortion2, KneeAndCeiling) {
  double out = 0;
  AuDSP::distortion2(0.1, 1, 1, out);
  EXPECT_DOUBLE_EQ(out, 0.75);
  AuDSP::distortion2(-0.5, 1, 1, out);
  EXPECT_EQ(out, -1.0);
  AuDSP::distortion2(0.3, 2, 1, out);
  EXPECT_EQ(out, 2.0);
  // Drive scales the input before the curve.
  AuDSP::distortion2(0.01, 0.5, 10, out);
  EXPECT_DOUBLE_EQ(out, 0.1 * (1 - 0.1 / 0.4) * 0.5 * 10);
  // Continuous at the knee from both sides.
  double below, above;
  AuDSP::distortion2(0.2 - 1e-12, 0.5, 1, below);
  AuDSP::distortion2(0.2, 0.5, 1, above);
  EXPECT_NEAR(below, above, 1e-9);
  AuDSP::distortion2(-0.2 + 1e-12, 0.5, 1, below);
  AuDSP::distortion2(-0.2, 0.5, 1, above);
  EXPECT_NEAR(below, above, 1e-9);
  // Odd symmetry.
  double pos, neg;
  AuDSP::distortion2(0.137, 0.8, 1.3, pos);
  AuDSP::distortion2(-0.137, 0.8, 1.3, neg);
  EXPECT_EQ(pos, -neg);
}

TEST(Distortion2, NaNLeavesOutputUntouched) {
  double out = 42.0;
  AuDSP::distortion2(NAN, 1, 1, out);
  EXPECT_EQ(out, 42.0);
  AuDSP::distortion2(1.0, 1, NAN, out);
  EXPECT_EQ(out, 42.0);
}

TEST(Waveshapers, ReferenceValues) {
  double out;
  AuDSP::distortion(0.05, 0.7, 2, out);
  EXPECT_DOUBLE_EQ(out, 0.7 * std::tanh(1.0));

  AuDSP::limiter(2.0, 1.0, -1.0, out);
  EXPECT_EQ(out, 1.0);
  AuDSP::limiter(-2.0, 1.0, -1.0, out);
  EXPECT_EQ(out, -1.0);
  AuDSP::limiter(0.25, 1.0, -1.0, out);
  EXPECT_EQ(out, 0.25);

  AuDSP::xmix(2.0, 4.0, 0.0, out);
  EXPECT_EQ(out, 3.0);
  AuDSP::xmix(2.0, 4.0, 0.5, out);
  EXPECT_EQ(out, 2.0);
  AuDSP::xmix(2.0, 4.0, -7.0, out);
  EXPECT_EQ(out, 4.0);

  AuDSP::fuzzdrive3(0.0, 1.0, 1.0, out);
  EXPECT_EQ(out, -0.2);
  // x below -0.2: the curve is clamped away and the offset becomes 0.02.
  AuDSP::fuzzdrive3(-0.5, 1.0, 1.0, out);
  EXPECT_EQ(out, 0.02);
  // Positive side is capped at 0.3.
  AuDSP::fuzzdrive3(0.1, 1.0, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.3 - 0.2);

  // Negative input: only the linear part, floored at -0.5.
  AuDSP::fuzzdrive(-10.0, 1.0, 1.0, out);
  EXPECT_EQ(out, -0.5);
  AuDSP::fuzzdrive(-1.0, 1.0, 1.0, out);
  EXPECT_DOUBLE_EQ(out, -0.1);
  // Positive input: only the tanh part, capped at 0.5.
  AuDSP::fuzzdrive(1.0, 1.0, 1.0, out);
  EXPECT_EQ(out, 0.5);
  AuDSP::fuzzdrive(0.01, 0.3, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.3 * std::tanh(0.1));

  AuDSP::fuzzdrive2(0.05, 1.0, 1.0, out);
  EXPECT_DOUBLE_EQ(out, 0.05 * (1 - 0.05 / 0.4) * 10);
  AuDSP::fuzzdrive2(-0.3, 1.0, 2.0, out);
  EXPECT_EQ(out, -0.5);
}

} // namespace
