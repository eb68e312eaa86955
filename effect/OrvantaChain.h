#pragma once

#include "effect/AuDSP.h"
#include "effect/OrvantaKernel.h"
#include "effect/OrvantaNoise.h"

// The effect's whole audio path without any host wrapper: the filter plan, the
// parameter-derived values, the noise table and the per-block processing.
// Not thread-safe: the owner serialises set-up calls against Process.
class OrvantaChain {
public:
  enum Channel { kClean = 0, kDirty = 1 };

  // Maps Level (0..1) to the output gain: 0 at Level 0, about 0.0585 at 1.
  static double LevelGain(double level);

  // Full set-up at sampleRate with the given Low and High values, then the
  // noise table. The level gain and drive amount are left as they are.
  void Init(double sampleRate, double low, double high);

  // Makes sampleRate the working rate; re-runs the full filter set-up (which
  // clears every filter state) only when it differs from the last set-up's
  // rate. Returns whether it did. A rate that is not finite and positive
  // changes nothing.
  bool SetSampleRate(double sampleRate);

  void SetLevel(double level) { mLevelGain = LevelGain(level); }
  void SetDrive(double drive) { mDriveAmount = drive; }
  // Re-initialise only their own tone filter; every state is kept.
  void SetLow(double low);
  void SetHigh(double high);

  // Sums in[0] and in[1] to mono, runs the chosen channel (kDirty or kClean)
  // and writes the same result to out[0] and out[1]. Every block adds the
  // noise table from its start; a block longer than the table wraps around it.
  // A frame whose summed input is not finite (a NaN or infinity came in) is
  // written as silence and clears every filter state right there, so the
  // frames after it sound as from a freshly set-up chain. Should a finite
  // input still end a block in a non-finite output (an overflow), the states
  // are cleared after it.
  void Process(const double* const* in, double** out, int nFrames, int channel);

  // The processor's widest path; every path gives the same output bit for bit.
  static OrvantaPath BestPath();
  static bool PathAvailable(OrvantaPath path);
  // Makes this chain run `path`; false (and no change) where the processor
  // lacks it. Host UI thread, like the other set-up calls.
  bool SetPath(OrvantaPath path);
  OrvantaPath Path() const { return mPath; }

  // Blocks shorter than this run on the SSE2 path whatever the chosen one:
  // a wider path's deeper pipe costs more to fill and drain than it saves.
  static int WideMinFrames(OrvantaPath path, int channel);

  double WorkingSampleRate() const { return mWorkingSampleRate; }
  double SetupSampleRate() const { return mSetupSampleRate; }
  double LevelGainValue() const { return mLevelGain; }
  double DriveAmount() const { return mDriveAmount; }
  const AuDSP& Bank() const { return mDsp; }
  const double* NoiseTable() const { return mNoise; }

private:
  void fullSetup();
  void setupToneLow();
  void setupToneHigh();
  // Runs frames [0, n) of a span within one noise table period.
  void processSpan(const OrvantaBlock& span, int channel);

  OrvantaPath mPath = BestPath();

  AuDSP mDsp;
  double mLevelGain = 0.0;
  double mDriveAmount = 0.0;
  double mWorkingSampleRate = 0.0;
  double mSetupSampleRate = 0.0;
  double mLow = 0.5;
  double mHigh = 0.5;
  double mNoise[OrvantaNoise::kTableSize] = {};
};
