#include "effect/AuDSP.h"

#include <cstring>

namespace {

constexpr double kTwoPi = 6.283185307179586;
// ln 2 / 2: turns q, a bandwidth in octaves, into the cookbook's alpha.
constexpr double kHalfLn2 = 0.34657359027997264;
// The low shelf's 0.41 and 1.41, kept at their single-precision roundings so
// existing presets keep their exact sound.
constexpr double kLowShelfCosScale = 0.4099999964237213;
constexpr double kLowShelfSlope = 1.409999966621399;
// At and above half the sample rate the biquad formulas give non-finite or
// unstable coefficients; stay safely below it.
constexpr double kMaxFrequencyRatio = 0.45;

bool isFinitePositive(double v) { return std::isfinite(v) && v > 0.0; }

} // namespace

void AuDSP::dspFullReset() {
  std::memset(static_cast<void*>(this), 0, sizeof(*this));
}

void AuDSP::biquadFilterReset() {
  std::memset(x1, 0, sizeof(x1));
  std::memset(x2, 0, sizeof(x2));
  std::memset(y1, 0, sizeof(y1));
  std::memset(y2, 0, sizeof(y2));
}

void AuDSP::dspStateReset() {
  biquadFilterReset();
  std::memset(lpZ, 0, sizeof(lpZ));
  std::memset(hpZ, 0, sizeof(hpZ));
}

void AuDSP::biquadFilterInit(int slot, int type, double frequency, double q, double gainDb, double sampleRate) {
  if (!isFinitePositive(frequency) || !isFinitePositive(sampleRate))
    return;
  frequency = std::min(frequency, kMaxFrequencyRatio * sampleRate);

  const double w = frequency * kTwoPi / sampleRate;
  const double sn = std::sin(w);
  const double cs = std::cos(w);
  const double alpha = sn * std::sinh(q * kHalfLn2 * w / sn);
  const double A = std::pow(10.0, gainDb / 40.0);

  double nb0, nb1, nb2, na0, na1, na2;
  switch (type) {
    case kHighPass:
      nb0 = (1.0 + cs) / 2.0;
      nb1 = -(1.0 + cs);
      nb2 = (1.0 + cs) / 2.0;
      na0 = 1.0 + alpha;
      na1 = -2.0 * cs;
      na2 = 1.0 - alpha;
      break;
    case kBandPass:
      nb0 = alpha;
      nb1 = 0.0;
      nb2 = -alpha;
      na0 = 1.0 + alpha;
      na1 = -2.0 * cs;
      na2 = 1.0 - alpha;
      break;
    case kNotch:
      nb0 = 1.0;
      nb1 = -2.0 * cs;
      nb2 = 1.0;
      na0 = 1.0 + alpha;
      na1 = -2.0 * cs;
      na2 = 1.0 - alpha;
      break;
    case kPeaking:
      nb0 = 1.0 + alpha * A;
      nb1 = -2.0 * cs;
      nb2 = 1.0 - alpha * A;
      na0 = 1.0 + alpha / A;
      na1 = -2.0 * cs;
      na2 = 1.0 - alpha / A;
      break;
    case kLowShelf: {
      // The shelf's cosine is taken at 0.41 w while sn stays sin(w).
      const double c = std::cos(kLowShelfCosScale * w);
      const double beta = std::sqrt(A) / kLowShelfSlope * sn;
      nb0 = A * ((A + 1.0) - (A - 1.0) * c + beta);
      nb1 = 2.0 * A * ((A - 1.0) - (A + 1.0) * c);
      nb2 = A * ((A + 1.0) - (A - 1.0) * c - beta);
      na0 = (A + 1.0) + (A - 1.0) * c + beta;
      na1 = -2.0 * ((A - 1.0) + (A + 1.0) * c);
      na2 = (A + 1.0) + (A - 1.0) * c - beta;
      break;
    }
    case kHighShelf: {
      const double beta = std::sqrt(2.0 * A) * sn;
      nb0 = A * ((A + 1.0) + (A - 1.0) * cs + beta);
      nb1 = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
      nb2 = A * ((A + 1.0) + (A - 1.0) * cs - beta);
      na0 = (A + 1.0) - (A - 1.0) * cs + beta;
      na1 = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
      na2 = (A + 1.0) - (A - 1.0) * cs - beta;
      break;
    }
    default:
      nb0 = (1.0 - cs) / 2.0;
      nb1 = 1.0 - cs;
      nb2 = (1.0 - cs) / 2.0;
      na0 = 1.0 + alpha;
      na1 = -2.0 * cs;
      na2 = 1.0 - alpha;
      break;
  }

  b0[slot] = nb0 / na0;
  b1[slot] = nb1 / na0;
  b2[slot] = nb2 / na0;
  a1[slot] = na1 / na0;
  a2[slot] = na2 / na0;
}

// Like the biquads, a non-finite or non-positive frequency or rate would store
// NaN coefficients that poison the state for good, so such a call is ignored.
void AuDSP::OnePoleLPFilterInit(int slot, double frequency, double sampleRate) {
  if (!isFinitePositive(frequency) || !isFinitePositive(sampleRate))
    return;
  const double p = std::exp(frequency * -kTwoPi / sampleRate);
  lpA0[slot] = 1.0 - p;
  lpB1[slot] = -p;
}

void AuDSP::OnePoleHPFilterInit(int slot, double frequency, double sampleRate) {
  if (!isFinitePositive(frequency) || !isFinitePositive(sampleRate))
    return;
  const double p = std::exp(frequency * -kTwoPi / sampleRate);
  hpA0[slot] = 1.0 - p;
  hpB1[slot] = -p;
}
