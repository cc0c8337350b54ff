#pragma once

// The framework's transport snapshot, filled from the host once per block.
// Positions are -1 until the host supplies them.
struct ITimeInfo
{
  double mTempo = 120.0;     // beats per minute
  double mSamplePos = -1.0;  // samples since song start
  double mPPQPos = -1.0;     // quarter notes since song start
  double mLastBar = -1.0;    // quarter-note position of the last bar start
  double mCycleStart = -1.0; // quarter notes
  double mCycleEnd = -1.0;   // quarter notes
  int mNumerator = 4;
  int mDenominator = 4;
  bool mTransportIsRunning = false;
  bool mTransportLoopEnabled = false;
};
