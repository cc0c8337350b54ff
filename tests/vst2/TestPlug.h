#pragma once

#include "IPlugBase.h"

#include <vector>

// A small pass-through plug-in that exercises the framework and the VST2
// adapter from tests: one parameter of each kind, a few presets, output =
// input times the gain parameter, a knob gesture on every idle tick. It
// counts what the framework calls on it.
// Built as a real plug-in library in two variants: parameter state (the
// default) and opaque state chunks.
class TestPlug : public IPlugBase
{
public:
  enum EParams
  {
    kGain = 0, // double 0..2, shape 2
    kMode,     // enum: "Soft", "Hard", "Auto"
    kBypass,   // bool
    kSteps,    // int 1..16
    kNumParams
  };
  static constexpr int kNumPresets = 4;
  static constexpr int kUniqueID = 0x54737450;       // "TstP"
  static constexpr int kChunksUniqueID = 0x54737443; // "TstC"

  explicit TestPlug(bool doesChunks = false);

  void OnParamChange(int paramIdx) override;
  void Reset() override;
  void OnHostIdentified() override;
  // Stands in for an editor: every idle tick turns the Gain knob one notch,
  // as a user's gesture would (begin, change, end).
  void OnIdle() override;
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  std::vector<int> mParamChanges;
  int mResetCount = 0;
  int mHostIdentifiedCount = 0;
  int mIdleCount = 0;
  int mLastBlockFrames = 0;
  bool mFlushedDenormals = false; // flush-to-zero was on in the last block
};

// The chunk-state variant, for the entry point of its own library.
class TestPlugChunks : public TestPlug
{
public:
  TestPlugChunks() : TestPlug(true) {}
};
