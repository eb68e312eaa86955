#include "effect/OrvantaChain.h"

#include "effect/OrvantaPipes.h"

#include <algorithm>
#include <cmath>

namespace {

// 1 / (1 - e^-3), so that Level 0 gives a gain of exactly 0.
const double kLevelScale = 1.0 / (1.0 - std::exp(-3.0));

} // namespace

double OrvantaChain::LevelGain(double level) {
  return 1.0 - kLevelScale * (1.0 - std::exp(-3.0 * (1.0 - 0.25 * level)));
}

void OrvantaChain::Init(double sampleRate, double low, double high) {
  mWorkingSampleRate = sampleRate;
  mSetupSampleRate = sampleRate;
  mLow = low;
  mHigh = high;
  fullSetup();
  OrvantaNoise::fillTable(mNoise);
}

bool OrvantaChain::SetSampleRate(double sampleRate) {
  // No filter can be designed at such a rate; keep the working set-up.
  if (!std::isfinite(sampleRate) || sampleRate <= 0.0)
    return false;
  mWorkingSampleRate = sampleRate;
  if (sampleRate == mSetupSampleRate)
    return false;
  mSetupSampleRate = sampleRate;
  fullSetup();
  return true;
}

void OrvantaChain::SetLow(double low) {
  mLow = low;
  setupToneLow();
}

void OrvantaChain::SetHigh(double high) {
  mHigh = high;
  setupToneHigh();
}

void OrvantaChain::setupToneLow() {
  mDsp.biquadFilterInit(8, AuDSP::kLowShelf, 500, 2, mLow * 12.0 - 6.0, mWorkingSampleRate);
}

void OrvantaChain::setupToneHigh() {
  mDsp.biquadFilterInit(10, AuDSP::kPeaking, 6000, 2, mHigh * 18.0 - 9.0, mWorkingSampleRate);
}

void OrvantaChain::fullSetup() {
  AuDSP& d = mDsp;
  const double fs = mWorkingSampleRate;
  d.dspFullReset();
  d.biquadFilterInit(0, AuDSP::kLowPass, 650, 1.4, 0, fs);
  d.biquadFilterInit(1, AuDSP::kLowPass, 2000, 1.4, 0, fs);
  d.biquadFilterInit(2, AuDSP::kHighShelf, 3100, 3, 12, fs);
  d.OnePoleHPFilterInit(0, 720.484, fs);
  d.OnePoleLPFilterInit(0, 723.431, fs);
  d.OnePoleHPFilterInit(1, 720.484, fs);
  d.OnePoleLPFilterInit(1, 2000, fs);
  d.OnePoleHPFilterInit(2, 723.431, fs);
  d.OnePoleLPFilterInit(2, 2700, fs);
  d.biquadFilterInit(3, AuDSP::kHighPass, 730, 1.4, 0, fs);
  d.biquadFilterInit(4, AuDSP::kLowPass, 650, 1.4, 0, fs);
  d.biquadFilterInit(5, AuDSP::kHighShelf, 9000, 1, -24, fs);
  setupToneLow();
  setupToneHigh();
  d.biquadFilterInit(11, AuDSP::kLowShelf, 700, 1, 9, fs);
  d.biquadFilterInit(12, AuDSP::kPeaking, 60, 1, 19, fs);
  d.biquadFilterInit(13, AuDSP::kPeaking, 3000, 1.8, 16.5, fs);
  d.biquadFilterInit(14, AuDSP::kPeaking, 750, 1, 5.7, fs);
  d.biquadFilterInit(15, AuDSP::kPeaking, 1200, 0.5, 2.7, fs);
  d.biquadFilterInit(16, AuDSP::kPeaking, 3500, 0.4, 2.4, fs);
  d.biquadFilterInit(17, AuDSP::kPeaking, 200, 2, 10, fs);
  d.biquadFilterInit(18, AuDSP::kPeaking, 430, 1.4, -4.5, fs);
  d.biquadFilterInit(19, AuDSP::kHighPass, 120, 1.4, 0, fs);
  d.biquadFilterInit(20, AuDSP::kLowPass, 6150, 1.4, 0, fs);
  d.biquadFilterInit(21, AuDSP::kHighShelf, 3100, 1, 18.9, fs);
}

void OrvantaChain::Process(const double* const* in, double** out, int nFrames, int channel) {
  if (nFrames <= 0)
    return;
  for (int done = 0; done < nFrames;) {
    const int n = std::min(nFrames - done, OrvantaNoise::kTableSize);
    const OrvantaPipeIo io = {in[0] + done, in[1] + done, mNoise, out[0] + done, out[1] + done, n};
    // The pipes work on copies of the filter state: the compiler then knows
    // the output stores cannot touch it.
    if (channel == kDirty) {
      DirtyPipe pipe(mDsp, mDriveAmount, mLevelGain);
      runOrvantaPipe(pipe, io);
      pipe.Store(mDsp);
    } else {
      CleanPipe pipe(mDsp, mDriveAmount, mLevelGain);
      runOrvantaPipe(pipe, io);
      pipe.Store(mDsp);
    }
    done += n;
  }
  if (!std::isfinite(out[0][nFrames - 1]))
    mDsp.dspStateReset();
}
