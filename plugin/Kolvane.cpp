#include "Kolvane.h"

#include <cmath>
#include <cstdio>

Kolvane::Kolvane(IPlugInstanceInfo instanceInfo)
    : IPlugVST(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "Kolvane", "", "Vexmoor", kVersion,
               kUniqueID, kMfrID, 0, true, false, false, 0)
{
  for (bool& on : mStepOn)
  {
    on = false;
  }
  mStepOn[0] = mStepOn[1] = mStepOn[5] = true;

  // Presets first: the parameters are still untyped, so every factory value
  // is read from the argument list as a double.
  CreatePresets();
  CreateParams();
}

void Kolvane::CreateParams()
{
  for (int i = 0; i < kNumParams; ++i)
  {
    const ParameterProperties& p = parameterProperties[i];
    IParam* param = GetParam(i);
    if (i >= kStepSeq1 && i <= kStepSeq16)
    {
      param->InitBool(p.name, mStepOn[i - kStepSeq1], "", "");
    }
    else if (i == kLFOTriple || i == kLFOFilterTriple || i == kPush || i == kStepOnOff)
    {
      param->InitBool(p.name, p.defaultVal != 0.0, "", "");
    }
    else if (i == kLFORate || i == kLFOFilterRate || i == kArpIntervall || i == kArpSpeed)
    {
      param->InitInt(p.name, static_cast<int>(p.defaultVal), static_cast<int>(p.minVal),
                     static_cast<int>(p.maxVal), "", "");
    }
    else if (i == kFilterType || i == kLFOAmpType || i == kLFOFilterType)
    {
      param->InitEnum(p.name, static_cast<int>(p.defaultVal), static_cast<int>(p.maxVal), "", "");
      param->SetDisplayText(0, p.name);
    }
    else
    {
      param->InitDouble(p.name, p.defaultVal, p.minVal, p.maxVal, 0.001, "", "");
    }
  }

  const struct
  {
    int idx;
    double shape;
  } shapes[] = {{kAmplitudeAttack, 3.0},
                {kAmplitudeDecay, 3.0},
                {kAmplitudeSustain, 2.0},
                {kAmplitudeRelease, 3.0},
                {kFilterAttack, 3.0},
                {kFilterDecay, 3.0},
                {kFilterSustain, 2.0},
                {kFilterRelease, 3.0},
                {kFilterEnvelope, 2.0},
                {kLFODepth, 2.0},
                {kLFOFilterDepth, 2.0},
                {kFilterResonance, 2.0},
                {kDryWet, 0.5}};
  for (const auto& s : shapes)
  {
    GetParam(s.idx)->SetShape(s.shape);
  }
}

void Kolvane::OnParamChange(int paramIdx)
{
  IMutexLock lock(this);
  IParam* param = GetParam(paramIdx);
  if (!param)
  {
    return;
  }
  if (paramIdx >= kStepSeq1 && paramIdx <= kStepSeq16)
  {
    mStepOn[paramIdx - kStepSeq1] = param->Bool();
    return;
  }
  const double value = param->Value();
  switch (paramIdx)
  {
  case kAmplitudeAttack:
    mAmpEnvelope.setStageValue(EnvelopeGenerator::Attack, value);
    break;
  case kAmplitudeDecay:
    mAmpEnvelope.setStageValue(EnvelopeGenerator::Decay, value);
    break;
  case kAmplitudeSustain:
    mAmpEnvelope.setStageValue(EnvelopeGenerator::Sustain, value);
    break;
  case kAmplitudeRelease:
    mAmpEnvelope.setStageValue(EnvelopeGenerator::Release, value);
    break;
  case kFilterAttack:
    mFilterEnvelope.setStageValue(EnvelopeGenerator::Attack, value);
    break;
  case kFilterDecay:
    mFilterEnvelope.setStageValue(EnvelopeGenerator::Decay, value);
    break;
  case kFilterSustain:
    mFilterEnvelope.setStageValue(EnvelopeGenerator::Sustain, value);
    break;
  case kFilterRelease:
    mFilterEnvelope.setStageValue(EnvelopeGenerator::Release, value);
    break;
  case kFilterCutoff:
    mFilterLeft.setCutoff(value);
    mFilterRight.setCutoff(value);
    break;
  case kFilterResonance:
    mFilterLeft.setResonance(value);
    mFilterRight.setResonance(value);
    break;
  case kLFODepth:
    mAmpLFODepth = value;
    break;
  case kLFORate:
    mAmpLFORate = 1 << param->Int();
    retuneAmpLFO();
    break;
  case kLFOTriple:
    mAmpLFOTriple = param->Bool();
    retuneAmpLFO();
    break;
  case kLFOFilterDepth:
    mFilterLFODepth = value;
    break;
  case kLFOFilterRate:
    mFilterLFORate = 1 << param->Int();
    retuneFilterLFO();
    break;
  case kLFOFilterTriple:
    mFilterLFOTriple = param->Bool();
    retuneFilterLFO();
    break;
  case kPush:
    // A momentary gate for MIDI gate mode; the step pattern ignores it.
    if (mGateMode != 0)
    {
      mPushOn = param->Bool();
      if (mPushOn)
      {
        onNoteOn(1, 1);
      }
      else
      {
        onNoteOff(1, 1);
      }
    }
    break;
  case kFilterType:
    mFilterLeft.setFilterMode(static_cast<Filter::FilterMode>(param->Int()));
    mFilterRight.setFilterMode(static_cast<Filter::FilterMode>(param->Int()));
    break;
  case kLFOAmpType:
    mAmpLFO.setMode(static_cast<OscillatorMode>(param->Int()));
    break;
  case kLFOFilterType:
    mFilterLFO.setMode(static_cast<OscillatorMode>(param->Int()));
    break;
  case kStepOnOff:
    mGateMode = param->Bool() ? 1 : 0;
    break;
  case kSeqNoteLen:
    mNoteLength = value;
    break;
  case kArpIntervall:
    mNumSteps = param->Int();
    break;
  case kArpSpeed:
    mStepLength = stepLengthFor(param->Int());
    break;
  case kFilterEnvelope:
    mFilterEnvAmount = value;
    break;
  case kDryWet:
    mDryWet = value;
    break;
  default:
    break;
  }
}

void Kolvane::Reset()
{
  IMutexLock lock(this);
  mAmpEnvelope.setSampleRate(GetSampleRate());
  // Most hosts open the plug-in before they tell it the real rate; the bar
  // and step timing must follow the rate the audio actually runs at, or the
  // pattern drifts off the host's bar.
  takeSampleRate();
}

void Kolvane::takeSampleRate()
{
  const double rate = GetSampleRate();
  if (rate >= 1.0 && rate < 2147483647.0) // an int can hold it
  {
    mSampleRateInt = static_cast<int>(rate);
  }
}

void Kolvane::OnHostIdentified()
{
  takeSampleRate();
  GetTime(&mTimeInfo);
  mTempo = mTimeInfo.mTempo;
}

void Kolvane::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  GetTime(&mTimeInfo);
  renderBlock(inputs, outputs, nFrames);
}

void Kolvane::ProcessMidiMsg(IMidiMsg* msg)
{
  mMIDIReceiver.onMessageReceived(msg);
}

std::string Kolvane::PresetDumpLine() const
{
  char piece[100];
  std::snprintf(piece, sizeof piece, "MakePreset(\"Bu %d\",", mDumpCount);
  std::string line = piece;
  for (int i = 0; i < kNumParams; ++i)
  {
    const IParam* param = GetParam(i);
    double value = param->Value();
    if (param->Type() == kTypeInt || param->Type() == kTypeEnum)
    {
      value = param->Int();
    }
    else if (param->Type() == kTypeBool)
    {
      value = param->Bool() ? 1.0 : 0.0;
    }
    std::snprintf(piece, sizeof piece, "%f,", value);
    line += piece;
  }
  // The last value's comma becomes the end of the call.
  line.back() = ')';
  return line + ";\n";
}

void Kolvane::SavetheWorld()
{
  WriteLogFile(PresetDumpLine().c_str());
  ++mDumpCount;
}
