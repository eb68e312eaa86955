#pragma once

#include <algorithm>
#include <cmath>

// A fixed bank of biquad and one-pole filter slots plus stateless waveshapers.
// Slots are addressed by index and never checked: biquads 0..31, one-poles 0..7.
// Processing is inline so a caller's per-sample loop compiles to straight-line
// arithmetic on fixed addresses. Every filter output carries +1e-20 so a
// silent input never lets the recursions decay into denormals.
class AuDSP {
public:
  static constexpr int kNumBiquads = 32;
  static constexpr int kNumOnePoles = 8;
  static constexpr double kAntiDenormal = 1e-20;

  // Response codes of biquadFilterInit; any code outside 1..6 is a low-pass.
  enum BiquadType {
    kLowPass = 0,
    kHighPass = 1,
    kBandPass = 2,
    kNotch = 3,
    kPeaking = 4,
    kLowShelf = 5,
    kHighShelf = 6
  };

  // Coefficients are stored already divided by a0.
  double b0[kNumBiquads], b1[kNumBiquads], b2[kNumBiquads], a1[kNumBiquads], a2[kNumBiquads];
  double x1[kNumBiquads], x2[kNumBiquads], y1[kNumBiquads], y2[kNumBiquads];
  double lpA0[kNumOnePoles], lpB1[kNumOnePoles];
  double lpZ[kNumOnePoles];
  double hpA0[kNumOnePoles], hpB1[kNumOnePoles];
  double hpZ[kNumOnePoles];

  void dspFullReset();
  void biquadFilterReset();
  // Clears every filter state (biquad and one-pole) and keeps all coefficients.
  void dspStateReset();

  void biquadFilterInit(int slot, int type, double frequency, double q, double gainDb, double sampleRate);
  void OnePoleLPFilterInit(int slot, double frequency, double sampleRate);
  void OnePoleHPFilterInit(int slot, double frequency, double sampleRate);

  // Direct form I; the sum is formed strictly left to right so results are
  // reproducible bit for bit.
  inline void biquadFilterProcess(int slot, double input, double& output) {
    const double y = b0[slot] * input + b1[slot] * x1[slot] + b2[slot] * x2[slot]
                     - a1[slot] * y1[slot] - a2[slot] * y2[slot];
    x2[slot] = x1[slot];
    x1[slot] = input;
    y2[slot] = y1[slot];
    y1[slot] = y;
    output = y + kAntiDenormal;
  }

  inline void OnePoleLPFilterProcess(int slot, double input, double& output) {
    lpZ[slot] = lpA0[slot] * input - lpB1[slot] * lpZ[slot];
    output = lpZ[slot] + kAntiDenormal;
  }

  // The high-pass is the input minus its own low-passed part.
  inline void OnePoleHPFilterProcess(int slot, double input, double& output) {
    hpZ[slot] = hpA0[slot] * input - hpB1[slot] * hpZ[slot];
    output = input - hpZ[slot] + kAntiDenormal;
  }

  static inline void distortion(double input, double level, double drive, double& output) {
    output = level * std::tanh(10.0 * drive * input);
  }

  // Soft parabolic knee up to |x| = 0.2, hard ceiling of ±level beyond it.
  // Both comparisons are false for NaN, which leaves the output untouched.
  static inline void distortion2(double input, double level, double drive, double& output) {
    const double x = input * drive;
    const double ax = std::fabs(x);
    if (ax < 0.2)
      output = x * (1.0 - ax / 0.4) * level * 10.0;
    else if (ax >= 0.2)
      output = (x >= 0.0 ? 0.1 : -0.1) * level * 10.0;
  }

  static inline void fuzzdrive(double input, double level, double drive, double& output) {
    output = clamp(input * drive * 0.1, -0.5, 0.0) + clamp(level * std::tanh(10.0 * input * drive), 0.0, 0.5);
  }

  static inline void fuzzdrive2(double input, double level, double drive, double& output) {
    const double x = input * drive;
    double f = 0.0;
    distortion2(x, level, 1.0, f);
    output = clamp(x, -0.5, 0.0) + clamp(f, 0.0, 0.5);
  }

  static inline void fuzzdrive3(double input, double level, double drive, double& output) {
    const double x = input * drive;
    double f = 0.0;
    distortion2(x, level, 1.0, f);
    output = clamp(f, 0.0, 0.3) + (x > -0.2 ? -0.2 : 0.02);
  }

  static inline void limiter(double input, double high, double low, double& output) {
    output = input < low ? low : (input > high ? high : input);
  }

  // mix 0.5 gives a alone, -0.5 gives b alone.
  static inline void xmix(double a, double b, double mix, double& output) {
    const double d = clamp(mix, -0.5, 0.5);
    output = (d + 0.5) * a + (0.5 - d) * b;
  }

private:
  static inline double clamp(double v, double lo, double hi) { return v < lo ? lo : std::min(v, hi); }
};
