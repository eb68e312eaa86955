#include "effect/AuDSP.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Coeffs {
  long double b0, b1, b2, a1, a2;
};

// The cookbook responses, written out again in long double so the production
// formulas are checked against an independent evaluation, not against themselves.
Coeffs referenceCoeffs(int type, long double f, long double q, long double gainDb, long double fs) {
  const long double w = 2.0L * kPi * f / fs;
  const long double sn = std::sin(w), cs = std::cos(w);
  const long double alpha = sn * std::sinh(std::log(2.0L) / 2.0L * q * w / sn);
  const long double A = std::pow(10.0L, gainDb / 40.0L);
  long double b[3], a[3];
  switch (type) {
    case 1:
      b[0] = (1 + cs) / 2; b[1] = -(1 + cs); b[2] = (1 + cs) / 2;
      a[0] = 1 + alpha; a[1] = -2 * cs; a[2] = 1 - alpha;
      break;
    case 2:
      b[0] = alpha; b[1] = 0; b[2] = -alpha;
      a[0] = 1 + alpha; a[1] = -2 * cs; a[2] = 1 - alpha;
      break;
    case 3:
      b[0] = 1; b[1] = -2 * cs; b[2] = 1;
      a[0] = 1 + alpha; a[1] = -2 * cs; a[2] = 1 - alpha;
      break;
    case 4:
      b[0] = 1 + alpha * A; b[1] = -2 * cs; b[2] = 1 - alpha * A;
      a[0] = 1 + alpha / A; a[1] = -2 * cs; a[2] = 1 - alpha / A;
      break;
    case 5: {
      const long double c = std::cos((long double)0.41f * w);
      const long double beta = std::sqrt(A) / (long double)1.41f * sn;
      b[0] = A * ((A + 1) - (A - 1) * c + beta);
      b[1] = 2 * A * ((A - 1) - (A + 1) * c);
      b[2] = A * ((A + 1) - (A - 1) * c - beta);
      a[0] = (A + 1) + (A - 1) * c + beta;
      a[1] = -2 * ((A - 1) + (A + 1) * c);
      a[2] = (A + 1) + (A - 1) * c - beta;
      break;
    }
    case 6: {
      const long double beta = std::sqrt(2 * A) * sn;
      b[0] = A * ((A + 1) + (A - 1) * cs + beta);
      b[1] = -2 * A * ((A - 1) + (A + 1) * cs);
      b[2] = A * ((A + 1) + (A - 1) * cs - beta);
      a[0] = (A + 1) - (A - 1) * cs + beta;
      a[1] = 2 * ((A - 1) - (A + 1) * cs);
      a[2] = (A + 1) - (A - 1) * cs - beta;
      break;
    }
    default:
      b[0] = (1 - cs) / 2; b[1] = 1 - cs; b[2] = (1 - cs) / 2;
      a[0] = 1 + alpha; a[1] = -2 * cs; a[2] = 1 - alpha;
      break;
  }
  return {b[0] / a[0], b[1] / a[0], b[2] / a[0], a[1] / a[0], a[2] / a[0]};
}

Coeffs slotCoeffs(const AuDSP& d, int slot) {
  return {d.b0[slot], d.b1[slot], d.b2[slot], d.a1[slot], d.a2[slot]};
}

// |H(e^jw)| of a normalised biquad at frequency f.
double magnitude(const Coeffs& c, double f, double fs) {
  const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / fs);
  const std::complex<double> z2 = z1 * z1;
  const std::complex<double> num = (double)c.b0 + (double)c.b1 * z1 + (double)c.b2 * z2;
  const std::complex<double> den = 1.0 + (double)c.a1 * z1 + (double)c.a2 * z2;
  return std::abs(num / den);
}

double dB(double mag) { return 20.0 * std::log10(mag); }

std::unique_ptr<AuDSP> freshBank() {
  auto d = std::make_unique<AuDSP>();
  d->dspFullReset();
  return d;
}

// Deterministic white-ish noise in [-1, 1).
struct Lcg {
  uint64_t s = 0x9e3779b97f4a7c15ull;
  double next() {
    s = s * 6364136223846793005ull + 1442695040888963407ull;
    return (double)(s >> 11) / (double)(1ull << 52) - 1.0;
  }
};

struct Design {
  int type;
  double f, q, gain, fs;
};

const Design kDesigns[] = {
    {0, 650, 1.4, 0, 44100},   {1, 730, 1.4, 0, 44100},   {2, 1000, 1.0, 0, 48000},
    {3, 2500, 0.7, 0, 48000},  {4, 6000, 2.0, 9, 44100},  {4, 430, 1.4, -4.5, 96000},
    {5, 500, 2.0, 6, 44100},   {5, 700, 1.0, -9, 88200},  {6, 3100, 3.0, 12, 44100},
    {6, 9000, 1.0, -24, 48000}, {0, 6150, 1.4, 0, 192000}, {1, 120, 1.4, 0, 22050},
};

TEST(BiquadInit, CoefficientsMatchIndependentFormulas) {
  auto d = freshBank();
  int slot = 0;
  for (const Design& g : kDesigns) {
    d->biquadFilterInit(slot, g.type, g.f, g.q, g.gain, g.fs);
    const Coeffs got = slotCoeffs(*d, slot);
    const Coeffs want = referenceCoeffs(g.type, g.f, g.q, g.gain, g.fs);
    const long double gp[5] = {got.b0, got.b1, got.b2, got.a1, got.a2};
    const long double wp[5] = {want.b0, want.b1, want.b2, want.a1, want.a2};
    for (int k = 0; k < 5; ++k)
      EXPECT_NEAR((double)gp[k], (double)wp[k], 1e-12 * (1.0 + std::fabs((double)wp[k])))
          << "type " << g.type << " f " << g.f << " coefficient " << k;
    slot = (slot + 1) % AuDSP::kNumBiquads;
  }
}

TEST(BiquadInit, ResponsesHaveTheirDesignedGains) {
  auto d = freshBank();
  const double fs = 48000;
  d->biquadFilterInit(0, AuDSP::kLowPass, 1000, 1.4, 0, fs);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 0), 0, fs), 1.0, 1e-12);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 0), fs / 2, fs), 0.0, 1e-12);
  EXPECT_LT(magnitude(slotCoeffs(*d, 0), 8000, fs), 0.05);

  d->biquadFilterInit(1, AuDSP::kHighPass, 1000, 1.4, 0, fs);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 1), 0, fs), 0.0, 1e-12);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 1), fs / 2, fs), 1.0, 1e-12);

  d->biquadFilterInit(2, AuDSP::kBandPass, 1000, 1.0, 0, fs);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 2), 1000, fs), 1.0, 1e-12);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 2), 0, fs), 0.0, 1e-12);

  d->biquadFilterInit(3, AuDSP::kNotch, 1000, 1.0, 0, fs);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 3), 1000, fs), 0.0, 1e-9);
  EXPECT_NEAR(magnitude(slotCoeffs(*d, 3), 0, fs), 1.0, 1e-12);

  d->biquadFilterInit(4, AuDSP::kPeaking, 3000, 1.8, 16.5, fs);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 4), 3000, fs)), 16.5, 1e-9);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 4), 0, fs)), 0.0, 1e-9);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 4), fs / 2, fs)), 0.0, 1e-9);

  d->biquadFilterInit(5, AuDSP::kLowShelf, 500, 2.0, 6, fs);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 5), 0, fs)), 6.0, 1e-9);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 5), fs / 2, fs)), 0.0, 1e-9);

  d->biquadFilterInit(6, AuDSP::kHighShelf, 3100, 3.0, 12, fs);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 6), 0, fs)), 0.0, 1e-9);
  EXPECT_NEAR(dB(magnitude(slotCoeffs(*d, 6), fs / 2, fs)), 12.0, 1e-9);
}

TEST(BiquadInit, TypesOutsideTheTableAreLowPass) {
  auto d = freshBank();
  d->biquadFilterInit(0, 0, 650, 1.4, 0, 44100);
  d->biquadFilterInit(1, 7, 650, 1.4, 0, 44100);
  d->biquadFilterInit(2, -1, 650, 1.4, 0, 44100);
  for (int slot : {1, 2}) {
    EXPECT_EQ(d->b0[slot], d->b0[0]);
    EXPECT_EQ(d->b1[slot], d->b1[0]);
    EXPECT_EQ(d->b2[slot], d->b2[0]);
    EXPECT_EQ(d->a1[slot], d->a1[0]);
    EXPECT_EQ(d->a2[slot], d->a2[0]);
  }
}

TEST(BiquadInit, KeepsTheSlotStateAndOtherSlots) {
  auto d = freshBank();
  d->biquadFilterInit(3, 0, 650, 1.4, 0, 44100);
  double out;
  for (int i = 0; i < 10; ++i) d->biquadFilterProcess(3, 0.5, out);
  const double x1 = d->x1[3], y1 = d->y1[3], y2 = d->y2[3];
  d->biquadFilterInit(3, 4, 1000, 1, 6, 44100);
  EXPECT_EQ(d->x1[3], x1);
  EXPECT_EQ(d->y1[3], y1);
  EXPECT_EQ(d->y2[3], y2);
  for (int s = 0; s < AuDSP::kNumBiquads; ++s) {
    if (s == 3) continue;
    EXPECT_EQ(d->b0[s], 0.0);
  }
}

// A frequency at or past Nyquist used to give NaN or unstable coefficients.
TEST(BiquadInit, FrequencyIsLimitedBelowNyquist) {
  auto d = freshBank();
  d->biquadFilterInit(0, AuDSP::kHighShelf, 9000, 1, -24, 11025);
  d->biquadFilterInit(1, AuDSP::kHighShelf, 0.45 * 11025, 1, -24, 11025);
  EXPECT_EQ(d->b0[0], d->b0[1]);
  EXPECT_EQ(d->a1[0], d->a1[1]);
  EXPECT_EQ(d->a2[0], d->a2[1]);

  for (double fs : {8000.0, 11025.0, 16000.0}) {
    for (int type = 0; type <= 6; ++type) {
      d->biquadFilterInit(2, type, 9000, 1, -24, fs);
      const std::complex<double> disc =
          std::sqrt(std::complex<double>(d->a1[2] * d->a1[2] - 4 * d->a2[2]));
      const double r1 = std::abs((-d->a1[2] + disc) / 2.0);
      const double r2 = std::abs((-d->a1[2] - disc) / 2.0);
      EXPECT_LT(std::max(r1, r2), 1.0) << "type " << type << " fs " << fs;
    }
    d->biquadFilterReset();
    Lcg rng;
    double out = 0;
    for (int i = 0; i < 100000; ++i) d->biquadFilterProcess(2, rng.next(), out);
    EXPECT_TRUE(std::isfinite(out));
    EXPECT_LT(std::fabs(out), 100.0);
  }
}

TEST(BiquadInit, NonFiniteOrNonPositiveInputsLeaveTheSlotUnchanged) {
  auto d = freshBank();
  d->biquadFilterInit(5, AuDSP::kPeaking, 1000, 1, 6, 44100);
  const Coeffs before = slotCoeffs(*d, 5);
  const double bad[] = {0.0, -1.0, NAN, INFINITY, -INFINITY};
  for (double v : bad) {
    d->biquadFilterInit(5, AuDSP::kLowPass, v, 1, 0, 44100);
    d->biquadFilterInit(5, AuDSP::kLowPass, 1000, 1, 0, v);
  }
  const Coeffs after = slotCoeffs(*d, 5);
  EXPECT_EQ(after.b0, before.b0);
  EXPECT_EQ(after.b1, before.b1);
  EXPECT_EQ(after.b2, before.b2);
  EXPECT_EQ(after.a1, before.a1);
  EXPECT_EQ(after.a2, before.a2);
}

TEST(BiquadProcess, UnsetSlotOutputsOnlyTheOffset) {
  auto d = freshBank();
  double out = 0;
  for (double v : {0.0, 1.0, -3.5, 1e6}) {
    d->biquadFilterProcess(17, v, out);
    EXPECT_EQ(out, 1e-20);
  }
}

TEST(BiquadProcess, DcGainOfLowPassAndHighPass) {
  auto d = freshBank();
  d->biquadFilterInit(0, AuDSP::kLowPass, 650, 1.4, 0, 44100);
  d->biquadFilterInit(1, AuDSP::kHighPass, 650, 1.4, 0, 44100);
  double lp = 0, hp = 0;
  for (int i = 0; i < 20000; ++i) {
    d->biquadFilterProcess(0, 1.0, lp);
    d->biquadFilterProcess(1, 1.0, hp);
  }
  EXPECT_NEAR(lp, 1.0 + 1e-20, 1e-12);
  EXPECT_NEAR(hp, 1e-20, 1e-15);
}

TEST(BiquadProcess, FlatPeakPassesTheInput) {
  auto d = freshBank();
  d->biquadFilterInit(4, AuDSP::kPeaking, 1200, 0.5, 0, 44100);
  Lcg rng;
  for (int i = 0; i < 1000; ++i) {
    const double x = rng.next();
    double y;
    d->biquadFilterProcess(4, x, y);
    ASSERT_NEAR(y, x + 1e-20, 1e-13);
  }
}

// A long noise run against a plain direct-form I loop written here, with the
// same summation order, must agree bit for bit.
TEST(BiquadProcess, LongRunMatchesDirectFormReference) {
  auto d = freshBank();
  int slot = 0;
  for (const Design& g : kDesigns) {
    d->biquadFilterInit(slot, g.type, g.f, g.q, g.gain, g.fs);
    const double b0 = d->b0[slot], b1 = d->b1[slot], b2 = d->b2[slot], a1 = d->a1[slot], a2 = d->a2[slot];
    double xm1 = 0, xm2 = 0, ym1 = 0, ym2 = 0;
    Lcg rng;
    for (int i = 0; i < 50000; ++i) {
      const double x = rng.next();
      double acc = b0 * x;
      acc += b1 * xm1;
      acc += b2 * xm2;
      acc -= a1 * ym1;
      acc -= a2 * ym2;
      xm2 = xm1; xm1 = x; ym2 = ym1; ym1 = acc;
      double y;
      d->biquadFilterProcess(slot, x, y);
      ASSERT_EQ(y, acc + 1e-20) << "design " << slot << " sample " << i;
    }
    ++slot;
  }
}

// A sine run through the slot settles at the amplitude the analytic transfer
// function of independently derived coefficients predicts.
TEST(BiquadProcess, SineAmplitudeFollowsTransferFunction) {
  auto d = freshBank();
  const Design designs[] = {{0, 650, 1.4, 0, 44100}, {4, 3000, 1.8, 16.5, 44100},
                            {5, 500, 2, -6, 44100},  {6, 3100, 1, 18.9, 44100},
                            {2, 1000, 1, 0, 44100}};
  for (const Design& g : designs) {
    d->biquadFilterInit(9, g.type, g.f, g.q, g.gain, g.fs);
    const Coeffs ref = referenceCoeffs(g.type, g.f, g.q, g.gain, g.fs);
    for (double f : {100.0, 650.0, 2000.0, 7000.0}) {
      d->biquadFilterReset();
      const double w = 2 * kPi * f / g.fs;
      double peak = 0, y;
      for (int n = 0; n < 60000; ++n) {
        d->biquadFilterProcess(9, std::sin(w * n), y);
        if (n >= 40000) peak = std::max(peak, std::fabs(y));
      }
      const double want = magnitude(ref, f, g.fs);
      // The sampled peak of a sine can miss its crest by 1 - cos(w/2).
      EXPECT_NEAR(peak, want, want * (1 - std::cos(w / 2)) + 1e-9) << "type " << g.type << " at " << f;
    }
  }
}

TEST(BiquadReset, ClearsStatesOnly) {
  auto d = freshBank();
  d->biquadFilterInit(2, AuDSP::kLowPass, 650, 1.4, 0, 44100);
  d->OnePoleLPFilterInit(1, 2000, 44100);
  double out;
  for (int i = 0; i < 4; ++i) {
    d->biquadFilterProcess(2, 1.0, out);
    d->OnePoleLPFilterProcess(1, 1.0, out);
  }
  const double b0 = d->b0[2], z = d->lpZ[1];
  d->biquadFilterReset();
  EXPECT_EQ(d->x1[2], 0.0);
  EXPECT_EQ(d->x2[2], 0.0);
  EXPECT_EQ(d->y1[2], 0.0);
  EXPECT_EQ(d->y2[2], 0.0);
  EXPECT_EQ(d->b0[2], b0);
  EXPECT_EQ(d->lpZ[1], z);

  d->dspStateReset();
  EXPECT_EQ(d->lpZ[1], 0.0);
  EXPECT_EQ(d->b0[2], b0);
  EXPECT_EQ(d->lpA0[1], 1.0 - std::exp(2000 * -6.283185307179586 / 44100));

  d->dspFullReset();
  EXPECT_EQ(d->b0[2], 0.0);
  EXPECT_EQ(d->lpA0[1], 0.0);
}

} // namespace
