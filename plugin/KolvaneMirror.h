#pragma once

#include "IPlugBase.h"
#include "KolvaneParams.h"

// Kolvane's editor where it runs apart from the plug-in and reaches it only
// through the host (an LV2 UI): a mirror of what the editor shows, not a
// second plug-in. It holds the 59 parameters typed as Kolvane types them
// (so values, ranges and texts are the same), the port layout's counts and
// the editor; no engine, no presets, nothing that plays. The host's values
// arrive through the format's façade like any host's; the step playing on
// the processing side arrives as the readout Kolvane reports, and the idle
// tick lights its LED.
class KolvaneMirror : public IPlugBase
{
public:
  KolvaneMirror();

  // [UI thread, mutex held] The same editor as Kolvane's, on the mirror's
  // parameters.
  IGraphicsInterface* MakeEditor() override;
  // [UI thread, mutex held] The LED of the step the host last reported.
  void OnIdle() override;

  int NReadouts() const override { return 1; }
  ReadoutInfo GetReadoutInfo(int) const override;
  // [UI thread, mutex held] The processing side's playing step, within
  // the readout's range.
  void SetReadoutFromHost(int idx, int value) override;

private:
  int mLedControlIdx[kNumStepLeds] = {};
  // The processing side's step; until the host reports one, the step a
  // processing instance shows before it plays.
  int mHostStep = 0;
};
