#include "effect/OrvantaChain.h"

#include <algorithm>
#include <cmath>

namespace {

// 1 / (1 - e^-3), so that Level 0 gives a gain of exactly 0.
const double kLevelScale = 1.0 / (1.0 - std::exp(-3.0));

bool cpuHas(OrvantaPath path) {
#if defined(__GNUC__) && defined(__x86_64__)
  __builtin_cpu_init();
  switch (path) {
    case OrvantaPath::kSse2: return true;
    case OrvantaPath::kAvx2: return __builtin_cpu_supports("avx2");
    case OrvantaPath::kAvx512:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
             __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512bw");
  }
#endif
  return path == OrvantaPath::kSse2;
}

// Asked on first use, so a chain made during another file's static
// initialisation still sees the processor as it is.
bool pathOnThisCpu(int path) {
  static const bool has[kOrvantaPathCount] = {cpuHas(OrvantaPath::kSse2), cpuHas(OrvantaPath::kAvx2),
                                              cpuHas(OrvantaPath::kAvx512)};
  return has[path];
}

const OrvantaKernel* const kKernels[kOrvantaPathCount] = {&kOrvantaKernelSse2, &kOrvantaKernelAvx2,
                                                          &kOrvantaKernelAvx512};

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

OrvantaPath OrvantaChain::BestPath() {
  return pathOnThisCpu(2) ? OrvantaPath::kAvx512 : pathOnThisCpu(1) ? OrvantaPath::kAvx2 : OrvantaPath::kSse2;
}

bool OrvantaChain::PathAvailable(OrvantaPath path) {
  const int p = static_cast<int>(path);
  return p >= 0 && p < kOrvantaPathCount && pathOnThisCpu(p);
}

bool OrvantaChain::SetPath(OrvantaPath path) {
  if (!PathAvailable(path))
    return false;
  mPath = path;
  return true;
}

int OrvantaChain::WideMinFrames(OrvantaPath path, int channel) {
  const OrvantaKernel& kernel = *kKernels[static_cast<int>(path)];
  return channel == kDirty ? kernel.dirtyMinFrames : kernel.cleanMinFrames;
}

void OrvantaChain::processSpan(const OrvantaBlock& span, int channel) {
  if (span.nFrames <= 0)
    return;
  const OrvantaKernel& kernel =
      span.nFrames >= WideMinFrames(mPath, channel) ? *kKernels[static_cast<int>(mPath)] : kOrvantaKernelSse2;
  (channel == kDirty ? kernel.dirty : kernel.clean)(mDsp, span);
}

void OrvantaChain::Process(const double* const* in, double** out, int nFrames, int channel) {
  if (nFrames <= 0)
    return;
  const OrvantaKernel& kernel = *kKernels[static_cast<int>(mPath)];
  for (int done = 0; done < nFrames;) {
    const int n = std::min(nFrames - done, OrvantaNoise::kTableSize);
    const double* in0 = in[0] + done;
    const double* in1 = in[1] + done;
    double* out0 = out[0] + done;
    double* out1 = out[1] + done;
    for (int from = 0; from < n;) {
      const int bad = from + kernel.firstNonFinite(in0 + from, in1 + from, mNoise + from, n - from);
      processSpan({in0 + from, in1 + from, mNoise + from, out0 + from, out1 + from, bad - from, mDriveAmount,
                   mLevelGain},
                  channel);
      if (bad == n)
        break;
      out0[bad] = 0.0;
      out1[bad] = 0.0;
      mDsp.dspStateReset();
      from = bad + 1;
    }
    done += n;
  }
  if (!std::isfinite(out[0][nFrames - 1]))
    mDsp.dspStateReset();
}
