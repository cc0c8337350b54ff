#include "Kolvane.h"

#include <cmath>
#include <cstdio>

IPlugConfig Kolvane::Config()
{
  IPlugConfig config;
  config.mNParams = kNumParams;
  config.mChannelIO = "1-1 2-2";
  config.mNPresets = Kolvane::kNumPresets;
  config.mEffectName = "Kolvane";
  config.mMfrName = "Vexmoor";
  config.mVendorVersion = Kolvane::kVersion;
  config.mUniqueID = Kolvane::kUniqueID;
  config.mMfrID = Kolvane::kMfrID;
  config.mDoesMidi = true;
  config.mEditor.mWidth = kEditorWidth;
  config.mEditor.mHeight = kEditorHeight;
  config.mEditor.mScalable = true;
  config.mEditor.mHasWindow = KolvaneEditorHasWindow();
  return config;
}

Kolvane::Kolvane() : IPlugBase(Config())
{
  // The default step pattern, which the step parameters report until the
  // host's first open pushes them into the engine.
  for (int k = 0; k < GateEngine::kNumSteps; ++k)
  {
    mEngine.setStepOn(k, parameterProperties[kStepSeq1 + k].defaultVal != 0.0);
  }

  // Presets first: the parameters are still untyped, so every factory value
  // is read from the argument list as a double.
  CreatePresets();
  TypeKolvaneParams(*this);
}

void TypeKolvaneParams(IPlugBase& plug)
{
  for (int i = 0; i < kNumParams; ++i)
  {
    const ParameterProperties& p = parameterProperties[i];
    IParam* param = plug.GetParam(i);
    switch (p.kind)
    {
    case kTypeBool:
      param->InitBool(p.name, p.defaultVal != 0.0, "", "");
      break;
    case kTypeInt:
      param->InitInt(p.name, static_cast<int>(p.defaultVal), static_cast<int>(p.minVal),
                     static_cast<int>(p.maxVal), "", "");
      break;
    case kTypeEnum:
      // An enum's choices are numbered from 0, each with its name, which
      // the editor's menu of choices lists.
      param->InitEnum(p.name, static_cast<int>(p.defaultVal), static_cast<int>(p.maxVal) + 1, "",
                      "");
      for (int k = 0; p.choices && k <= static_cast<int>(p.maxVal); ++k)
      {
        param->SetDisplayText(k, p.choices[k]);
      }
      break;
    default:
      param->InitDouble(p.name, p.defaultVal, p.minVal, p.maxVal, p.step, "", "");
      break;
    }
    param->SetShape(p.shape);
    param->SetFormat(ParamFormat(i));
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
    mEngine.setStepOn(paramIdx - kStepSeq1, param->Bool());
    return;
  }
  const double value = param->Value();
  switch (paramIdx)
  {
  case kAmplitudeAttack:
    mEngine.setAmpEnvelopeStage(EnvelopeGenerator::Attack, value);
    break;
  case kAmplitudeDecay:
    mEngine.setAmpEnvelopeStage(EnvelopeGenerator::Decay, value);
    break;
  case kAmplitudeSustain:
    mEngine.setAmpEnvelopeStage(EnvelopeGenerator::Sustain, value);
    break;
  case kAmplitudeRelease:
    mEngine.setAmpEnvelopeStage(EnvelopeGenerator::Release, value);
    break;
  case kFilterAttack:
    mEngine.setFilterEnvelopeStage(EnvelopeGenerator::Attack, value);
    break;
  case kFilterDecay:
    mEngine.setFilterEnvelopeStage(EnvelopeGenerator::Decay, value);
    break;
  case kFilterSustain:
    mEngine.setFilterEnvelopeStage(EnvelopeGenerator::Sustain, value);
    break;
  case kFilterRelease:
    mEngine.setFilterEnvelopeStage(EnvelopeGenerator::Release, value);
    break;
  case kFilterCutoff:
    mEngine.setCutoff(value);
    break;
  case kFilterResonance:
    mEngine.setResonance(value);
    break;
  case kLFODepth:
    mEngine.setAmpLFODepth(value);
    break;
  case kLFORate:
    mEngine.setAmpLFORate(EngineInt(paramIdx, param->Int()));
    break;
  case kLFOTriple:
    mEngine.setAmpLFOTriplet(param->Bool());
    break;
  case kLFOFilterDepth:
    mEngine.setFilterLFODepth(value);
    break;
  case kLFOFilterRate:
    mEngine.setFilterLFORate(EngineInt(paramIdx, param->Int()));
    break;
  case kLFOFilterTriple:
    mEngine.setFilterLFOTriplet(param->Bool());
    break;
  case kPush:
    mEngine.push(param->Bool());
    break;
  case kFilterType:
    mEngine.setFilterMode(static_cast<Filter::FilterMode>(param->Int()));
    break;
  case kLFOAmpType:
    mEngine.setAmpLFOMode(static_cast<OscillatorMode>(param->Int()));
    break;
  case kLFOFilterType:
    mEngine.setFilterLFOMode(static_cast<OscillatorMode>(param->Int()));
    break;
  case kStepOnOff:
    mEngine.setGateMode(param->Bool() ? GateEngine::kMidiGateMode : GateEngine::kStepMode);
    break;
  case kSeqNoteLen:
    mEngine.setNoteLength(value);
    break;
  case kArpIntervall:
    mEngine.setNumSteps(param->Int());
    break;
  case kArpSpeed:
    mEngine.setStepLength(GateEngine::stepLengthFor(param->Int()));
    break;
  case kFilterEnvelope:
    mEngine.setFilterEnvAmount(value);
    break;
  case kDryWet:
    mEngine.setDryWet(value);
    break;
  case kSwing:
    mEngine.setSwing(value);
    break;
  default:
    if (paramIdx >= kStepLevel1 && paramIdx <= kStepLevel16)
    {
      mEngine.setStepLevel(paramIdx - kStepLevel1, value);
    }
    break;
  }
}

void Kolvane::PutStateMark(ByteChunk* chunk)
{
  int mark = kStateMark, values = kNumParams, appended = 0;
  chunk->Put(&mark);
  chunk->Put(&values);
  chunk->Put(&appended);
}

bool Kolvane::SerializeState(ByteChunk* chunk)
{
  IMutexLock lock(this);
  const bool ok = SerializeParams(chunk);
  PutStateMark(chunk);
  return ok;
}

int Kolvane::UnserializeState(const ByteChunk* chunk, int startPos)
{
  IMutexLock lock(this);
  // The first release's values, read as it reads them: where they run out
  // the rest keep their values and the load fails.
  int pos = startPos;
  for (int i = 0; i < kNumOriginalParams && pos >= 0; ++i)
  {
    double value = 0.0;
    pos = chunk->Get(&value, pos);
    if (pos >= 0)
    {
      GetParam(i)->Set(value);
    }
  }
  // The later values count only with this version's mark after them: a
  // first-release state ends after its 42 values, and whatever a host keeps
  // after it is not ours.
  const int addedBytes = 8 * (kNumParams - kNumOriginalParams);
  const int markPos = pos < 0 || chunk->Size() - pos < addedBytes ? -1 : pos + addedBytes;
  int mark = 0, values = 0, appended = -1;
  int next = markPos < 0 ? -1 : chunk->Get(&mark, markPos);
  next = next < 0 ? -1 : chunk->Get(&values, next);
  next = next < 0 ? -1 : chunk->Get(&appended, next);
  const bool marked = next >= 0 && mark == kStateMark && values == kNumParams && appended >= 0 &&
                      appended <= chunk->Size() - next;
  for (int i = kNumOriginalParams; i < kNumParams && pos >= 0; ++i)
  {
    double value = parameterProperties[i].defaultVal;
    if (marked)
    {
      pos = chunk->Get(&value, pos);
    }
    GetParam(i)->Set(value);
  }
  if (marked)
  {
    pos = next + appended; // what a later version added after the mark
  }
  OnParamReset();
  return pos;
}

int Kolvane::StateBytesOlderVersionsRead() const
{
  return static_cast<int>(sizeof(double)) * kNumOriginalParams;
}

void Kolvane::Reset()
{
  IMutexLock lock(this);
  // Most hosts open the plug-in before they tell it the real rate: the
  // envelopes and LFOs must run at the rate the audio actually runs at, or
  // the same preset sounds different at 48 kHz, and the bar and step timing
  // must follow it too, or the pattern drifts off the host's bar.
  mEngine.setSampleRate(GetSampleRate());
}

void Kolvane::OnHostIdentified()
{
  mEngine.setSampleRate(GetSampleRate());
  GetTime(&mEngine.timeInfo());
  mEngine.setTempo(mEngine.timeInfo().mTempo);
}

void Kolvane::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  GetTime(&mEngine.timeInfo());
  mEngine.renderBlock(inputs, outputs, nFrames);
}

void Kolvane::ProcessMidiMsg(IMidiMsg* msg)
{
  mEngine.queueMidi(msg);
}

std::string Kolvane::PresetDumpLine()
{
  IMutexLock lock(this);
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
  std::string line;
  {
    IMutexLock lock(this);
    line = PresetDumpLine();
    ++mDumpCount;
  }
  // The file is written outside the mutex, so that audio never waits on it.
  WriteLogFile(line.c_str());
}

IGraphicsInterface* Kolvane::MakeEditor()
{
  return MakeKolvaneEditor(this, mLedControlIdx);
}

// The step LEDs follow the host's idle ticks: the one the engine plays lights.
void Kolvane::OnIdle()
{
  ShowPlayingStep(GetGUI(), mLedControlIdx, mEngine.displayedStep());
}

IPlugBase::ReadoutInfo Kolvane::PlayingStepReadout()
{
  return {"playing_step", "Playing Step", 0, GateEngine::kNumSteps - 1};
}

int Kolvane::GetReadout(int) const
{
  return mEngine.displayedStep();
}

void ShowPlayingStep(IGraphicsInterface* graphics, const int ledControlIdx[kNumStepLeds], int step)
{
  if (!graphics)
  {
    return;
  }
  for (int k = 0; k < kNumStepLeds; ++k)
  {
    graphics->SetControlFromPlug(ledControlIdx[k], k == step ? 1.0 : 0.0);
  }
}
