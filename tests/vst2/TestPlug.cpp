#include "TestPlug.h"

#include <cfloat>

namespace
{
IPlugConfig TestPlugConfig(bool doesChunks)
{
  IPlugConfig config;
  config.mNParams = TestPlug::kNumParams;
  config.mChannelIO = "1-1 2-2";
  config.mNPresets = TestPlug::kNumPresets;
  config.mEffectName = "Kolvane Test";
  config.mProductName = "Test Product";
  config.mMfrName = "Kolvane Tests";
  config.mVendorVersion = 0x00010203;
  config.mUniqueID = doesChunks ? TestPlug::kChunksUniqueID : TestPlug::kUniqueID;
  config.mMfrID = 0x4B6F6C76;
  config.mDoesMidi = true;
  config.mDoesChunks = doesChunks;
  return config;
}
} // namespace

TestPlug::TestPlug(bool doesChunks) : IPlugBase(TestPlugConfig(doesChunks))
{
  GetParam(kGain)->InitDouble("Gain", 1.0, 0.0, 2.0, 0.01, "x");
  GetParam(kGain)->SetShape(2.0);
  GetParam(kMode)->InitEnum("Mode", 0, 3);
  GetParam(kMode)->SetDisplayText(0, "Soft");
  GetParam(kMode)->SetDisplayText(1, "Hard");
  GetParam(kMode)->SetDisplayText(2, "Auto");
  GetParam(kBypass)->InitBool("Bypass", false);
  GetParam(kSteps)->InitInt("Steps", 4, 1, 16, "steps");

  Presets().MakePreset("Unity", 1.0, 0, 0, 4);
  Presets().MakePreset("Loud Hard", 1.5, 1, 0, 8);
}

void TestPlug::OnParamChange(int paramIdx)
{
  IMutexLock lock(this);
  mParamChanges.push_back(paramIdx);
}

void TestPlug::Reset()
{
  IMutexLock lock(this);
  ++mResetCount;
}

void TestPlug::OnIdle()
{
  ++mIdleCount;
  double next = GetParam(kGain)->GetNormalized() + 0.125;
  BeginInformHostOfParamChange(kGain);
  SetParameterFromGUI(kGain, next > 1.0 ? 0.0 : next);
  EndInformHostOfParamChange(kGain);
}

void TestPlug::OnHostIdentified()
{
  ++mHostIdentifiedCount;
}

void TestPlug::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  mLastBlockFrames = nFrames;
  // The smallest normal float halved is subnormal; with flush-to-zero on,
  // the product is 0.
  volatile float smallest = FLT_MIN;
  mFlushedDenormals = smallest * 0.5f == 0.0f;
  const double gain = GetParam(kBypass)->Bool() ? 1.0 : GetParam(kGain)->Value();
  for (int c = 0; c < NOutChannels(); ++c)
  {
    const double* in = inputs[c < NInChannels() ? c : 0];
    for (int s = 0; s < nFrames; ++s)
    {
      outputs[c][s] = in[s] * gain;
    }
  }
}
