#pragma once

// What the plug-in asks the host about musical time (GetTime). Fields the host
// does not report keep the caller's values.
struct ITimeInfo
{
  double mTempo = 120.0;           // beats per minute
  double mSamplePos = 0.0;         // sample position in the timeline
  double mPPQPos = 0.0;            // position in quarter notes
  double mLastBar = 0.0;           // start of the current bar, in quarter notes
  double mCycleStart = 0.0;        // loop start, in quarter notes
  double mCycleEnd = 0.0;          // loop end, in quarter notes
  int mNumerator = 4;              // time signature
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
