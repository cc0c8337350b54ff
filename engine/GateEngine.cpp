#include "GateEngine.h"

#include <climits>
#include <cmath>

namespace
{
// Truncates a sample count computed in doubles toward zero; false when it
// is out of range or not a number, so that callers can skip instead of
// overflow. A count within a millionth of a whole sample is that sample:
// a host position such as n / 22050 quarter notes times 22050 samples per
// quarter note lands just below n in floating point, and truncating it would
// put the bar, and every step in it, one sample early.
bool toSamples(double samples, int* out)
{
  // Within ±2^30 samples (over six hours at 44.1 kHz) a bar position can
  // count on through any block without overflowing an int.
  const double kLimit = 1073741824.0;
  if (!(samples > -kLimit && samples < kLimit))
  {
    return false;
  }
  const double nearest = std::round(samples);
  *out = static_cast<int>(std::fabs(samples - nearest) < 1e-6 ? nearest : samples);
  return true;
}
} // namespace

GateEngine::GateEngine()
{
  mMIDIReceiver.noteOnSignal.Connect(this, &GateEngine::onNoteOn);
  mMIDIReceiver.noteOffSignal.Connect(this, &GateEngine::onNoteOff);
  mFilterLFO.setFrequency(6.0);
  mFilterLFO.setMuted(false);
  mAmpLFO.setFrequency(6.0);
  mAmpLFO.setMuted(false);
}

double GateEngine::stepLengthFor(int arpSpeed)
{
  static const int kSixtyFourths[10] = {16, 8, 7, 6, 5, 4, 3, 2, 1, 0};
  int index = arpSpeed < 0 ? 0 : (arpSpeed > 9 ? 9 : arpSpeed);
  return kSixtyFourths[index] == 0 ? 0.5 : kSixtyFourths[index];
}

void GateEngine::setSampleRate(double sampleRate)
{
  if (!(sampleRate >= 1.0)) // no audio runs at it; NaN included
  {
    return;
  }
  mAmpEnvelope.setSampleRate(sampleRate);
  mFilterEnvelope.setSampleRate(sampleRate);
  mFilterLFO.setSampleRate(sampleRate);
  mAmpLFO.setSampleRate(sampleRate);
  if (sampleRate < 2147483647.0) // an int can hold it
  {
    mSampleRateInt = static_cast<int>(sampleRate);
  }
  const double rampSamples = std::round(kLevelRampSeconds * sampleRate);
  mLevelRampSamples =
      rampSamples < 1.0 ? 1 : (rampSamples > 1e6 ? 1000000 : static_cast<int>(rampSamples));
}

void GateEngine::setCutoff(double cutoff)
{
  mFilterLeft.setCutoff(cutoff);
  mFilterRight.setCutoff(cutoff);
}

void GateEngine::setResonance(double resonance)
{
  mFilterLeft.setResonance(resonance);
  mFilterRight.setResonance(resonance);
}

void GateEngine::setFilterMode(Filter::FilterMode mode)
{
  mFilterLeft.setFilterMode(mode);
  mFilterRight.setFilterMode(mode);
}

void GateEngine::setAmpLFORate(int rate)
{
  mAmpLFORate = rate;
  retune(mAmpLFO, mAmpLFORate, mAmpLFOTriple);
}

void GateEngine::setFilterLFORate(int rate)
{
  mFilterLFORate = rate;
  retune(mFilterLFO, mFilterLFORate, mFilterLFOTriple);
}

void GateEngine::setAmpLFOTriplet(bool triplet)
{
  mAmpLFOTriple = triplet;
  retune(mAmpLFO, mAmpLFORate, mAmpLFOTriple);
}

void GateEngine::setFilterLFOTriplet(bool triplet)
{
  mFilterLFOTriple = triplet;
  retune(mFilterLFO, mFilterLFORate, mFilterLFOTriple);
}

void GateEngine::setStepOn(int step, bool on)
{
  if (step >= 0 && step < kNumSteps)
  {
    mStepOn[step] = on;
  }
}

void GateEngine::setStepLevel(int step, double level)
{
  if (step < 0 || step >= kNumSteps)
  {
    return;
  }
  mStepsBelowFullLevel -= mStepLevel[step] != 1.0;
  mStepLevel[step] = level >= 0.0 ? (level <= 1.0 ? level : 1.0) : (level < 0.0 ? 0.0 : 1.0);
  mStepsBelowFullLevel += mStepLevel[step] != 1.0;
  if (mGateMode == kStepMode && step == mStepIndex)
  {
    setLevelTarget(mStepLevel[step]);
  }
}

void GateEngine::setSwing(double swing)
{
  mSwing = swing >= 0.0 ? (swing <= 1.0 ? swing : 1.0) : 0.0;
}

void GateEngine::setGateMode(EGateMode mode)
{
  mGateMode = mode;
  setLevelTarget(mode == kStepMode ? levelOfStep(mStepIndex) : 1.0);
}

double GateEngine::levelOfStep(int step) const
{
  return step >= 0 && step < kNumSteps ? mStepLevel[step] : 1.0;
}

void GateEngine::setLevelTarget(double target)
{
  if (target == mLevelTarget)
  {
    return;
  }
  mLevelTarget = target;
  mLevelRampLeft = mLevelRampSamples;
  mLevelStep = (target - mLevel) / mLevelRampSamples;
}

void GateEngine::push(bool down)
{
  if (mGateMode != kMidiGateMode)
  {
    return;
  }
  if (down)
  {
    onNoteOn(1, 1);
  }
  else
  {
    onNoteOff(1, 1);
  }
}

void GateEngine::retune(Oscillator& lfo, int rate, bool triplet)
{
  lfo.setFrequency(rate * mTimeInfo.mTempo * (triplet ? 0.75 : 0.5) / 60.0);
}

void GateEngine::onNoteOn(int, int)
{
  mAmpEnvelope.enterStage(EnvelopeGenerator::Attack);
  mFilterEnvelope.enterStage(EnvelopeGenerator::Attack);
  if (mGateListener)
  {
    mGateListener->gateChanged(true, mBarSample);
  }
}

void GateEngine::onNoteOff(int, int)
{
  mAmpEnvelope.enterStage(EnvelopeGenerator::Release);
  mFilterEnvelope.enterStage(EnvelopeGenerator::Release);
  if (mGateListener)
  {
    mGateListener->gateChanged(false, mBarSample);
  }
}

bool GateEngine::updateBarPosition()
{
  const double ppq = mTimeInfo.mPPQPos;
  const int numerator = mTimeInfo.mNumerator;
  const double tempo = mTimeInfo.mTempo;
  if (numerator <= 0 || !(tempo > 0.0) || mSampleRateInt <= 0)
  {
    return false;
  }
  const double samplesPerBeat = mSampleRateInt * (60.0 / tempo);
  const double barPosition = ppq - numerator * std::trunc(ppq / numerator);
  int barSample = 0, samplesPerBar = 0;
  if (!toSamples(samplesPerBeat * barPosition, &barSample) ||
      !toSamples(samplesPerBeat * 4.0, &samplesPerBar))
  {
    return false;
  }
  mBarPosition = barPosition;
  mTempo = tempo;
  mBarSample = barSample;
  mSamplesPerBar = samplesPerBar;
  return true;
}

void GateEngine::updateStepTiming()
{
  mStepSamples = 0;
  if (!(mTempo > 0.0) || !toSamples(mSampleRateInt * (60.0 / mTempo) / 16.0, &mSamplesPer64th) ||
      !toSamples(mStepLength * mSamplesPer64th, &mStepSamples) || mStepSamples < 0)
  {
    mStepSamples = 0;
  }
  mNoteOffSamples = mStepLength * mNoteLength * mSamplesPer64th;
  // The late step of a pair starts d samples late and the early one lasts d
  // longer; d stays below a whole step so that the late step keeps a sample.
  mSwingSamples = 0;
  if (mSwing > 0.0 && mStepSamples > 1)
  {
    const double d = std::round(mSwing * mStepSamples / 2.0);
    mSwingSamples = d < mStepSamples - 1 ? static_cast<int>(d) : mStepSamples - 1;
  }
  mNoteOffEarly = mNoteOffSamples + mNoteLength * mSwingSamples;
  mNoteOffLate = mNoteOffSamples - mNoteLength * mSwingSamples;
  mPosBarSample = -2; // the step length may have changed: divide once again
}

void GateEngine::renderBlock(double** inputs, double** outputs, int nFrames)
{
  updateBarPosition();
  updateStepTiming();
  if (feelAtRest())
  {
    renderSamples<false>(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
  }
  else
  {
    renderSamples<true>(inputs[0], inputs[1], outputs[0], outputs[1], nFrames);
  }
  mMIDIReceiver.endBlock();
  mDisplayedStep = mStepIndex;
  recoverNonFiniteState();
}

bool GateEngine::feelAtRest() const
{
  // A step start only ever heads for a step's level, so with every level at
  // 1 nothing can start a ramp during the block.
  return mSwingSamples == 0 && mStepsBelowFullLevel == 0 && mLevelRampLeft == 0 && mLevel == 1.0;
}

template <bool kFeel>
void GateEngine::renderSamples(const double* in0, const double* in1, double* out0, double* out1,
                               int nFrames)
{
  for (int s = 0; s < nFrames; ++s)
  {
    if (mGateMode == kMidiGateMode)
    {
      mMIDIReceiver.advance();
    }
    if (mBarSample <= kLFORestartSamples)
    {
      mFilterLFO.setStartPosition();
      mAmpLFO.setStartPosition();
    }
    sequencer<kFeel>();
    effectStage<kFeel>(in0 + s, in1 + s, out0 + s, out1 + s);
    // Only reaching the bar length wraps: with more than four beats to the
    // bar the position runs past it until the next block recomputes it.
    if (++mBarSample == mSamplesPerBar)
    {
      mBarSample = 0;
    }
  }
}

void GateEngine::recoverNonFiniteState()
{
  for (Filter* filter : {&mFilterLeft, &mFilterRight})
  {
    if (!filter->isStateFinite())
    {
      filter->resetState();
    }
  }
  for (EnvelopeGenerator* envelope : {&mAmpEnvelope, &mFilterEnvelope})
  {
    if (!envelope->isStateFinite())
    {
      envelope->reset();
    }
  }
}

template <bool kFeel> void GateEngine::sequencer()
{
  if (mGateMode == kMidiGateMode || !mTimeInfo.mTransportIsRunning)
  {
    return;
  }
  if (mStepSamples <= 0 || mSamplesPerBar <= 0)
  {
    return; // no step or bar to count in
  }
  // The position in the step comes from the bar sample by division; from
  // one sample to the next it just counts on, wrapping at the step's length,
  // where a swung grid moves from an early step to a late one and back.
  if (!kFeel)
  {
    mPosInStep = mBarSample > 0 && mBarSample == mPosBarSample + 1
                     ? (mPosInStep + 1 == mStepSamples ? 0 : mPosInStep + 1)
                     : mBarSample % mStepSamples;
  }
  else if (mBarSample > 0 && mBarSample == mPosBarSample + 1)
  {
    if (++mPosInStep == mThisStepSamples)
    {
      mPosInStep = 0;
      mLateStep = mSwingSamples > 0 && !mLateStep;
      mThisStepSamples = mLateStep ? mStepSamples - mSwingSamples : mStepSamples + mSwingSamples;
    }
  }
  else
  {
    locateInStep();
  }
  mPosBarSample = mBarSample;
  const int posInStep = mPosInStep;
  const double noteOffAt = !kFeel ? mNoteOffSamples : (mLateStep ? mNoteOffLate : mNoteOffEarly);

  if (posInStep + kNoteOffLead >= noteOffAt && !mNoteOffSent)
  {
    onNoteOff(1, 1);
    mNoteOffSent = true;
  }
  if (posInStep > kStepStartWindow)
  {
    mStepHandled = false;
    return;
  }
  if (mStepHandled)
  {
    return;
  }
  if ((mBarSample + kBarLineLead) % mSamplesPerBar <= kBarLineWindow)
  {
    mStepIndex = 0;
  }
  else
  {
    ++mStepIndex;
  }
  if (mStepIndex >= mNumSteps || mStepIndex < 0)
  {
    mStepIndex = 0;
  }
  if (mStepIndex < kNumSteps && mStepOn[mStepIndex])
  {
    mPendingNoteOn = true;
    mNoteOffSent = false;
    mRetriggerFade = 1.0f;
  }
  if (kFeel)
  {
    setLevelTarget(levelOfStep(mStepIndex));
  }
  mStepHandled = true;
}

void GateEngine::locateInStep()
{
  mLateStep = false;
  mThisStepSamples = mStepSamples + mSwingSamples;
  if (mSwingSamples == 0 || mBarSample < 0)
  {
    // Before the bar line (a host without a position) the grid is not
    // swung: the position keeps the sign of the bar sample.
    mPosInStep = mBarSample % mStepSamples;
    mThisStepSamples = mStepSamples;
    return;
  }
  // Pairs of an early and a late step, from the bar line.
  const long long pair = 2LL * mStepSamples;
  const int inPair = static_cast<int>(mBarSample % pair);
  if (inPair < mThisStepSamples)
  {
    mPosInStep = inPair;
    return;
  }
  mPosInStep = inPair - mThisStepSamples;
  mLateStep = true;
  mThisStepSamples = mStepSamples - mSwingSamples;
}

template <bool kFeel>
void GateEngine::effectStage(const double* in0, const double* in1, double* out0, double* out1)
{
  const double lfoFilter = mFilterLFO.nextSample() * mFilterLFODepth;
  const double lfoAmp = mAmpLFO.nextSample() * mAmpLFODepth;

  if (mGateMode == kStepMode)
  {
    if (mPendingNoteOn)
    {
      mRetriggerFade -= kRetriggerFadeStep;
      if (mRetriggerFade <= 0.0f)
      {
        mPendingNoteOn = false;
        onNoteOn(1, 1);
        mRetriggerFade = 1.0f;
      }
    }
  }
  else
  {
    mRetriggerFade = 1.0f;
  }

  const double cutoffOffset = mFilterEnvelope.nextSample() * mFilterEnvAmount + lfoFilter;
  mFilterLeft.setCutoffMod(cutoffOffset);
  mFilterRight.setCutoffMod(cutoffOffset);

  if (kFeel && mLevelRampLeft > 0)
  {
    mLevel = --mLevelRampLeft == 0 ? mLevelTarget : mLevel + mLevelStep;
  }

  const double fade = mRetriggerFade;
  // At level 1 the product is the envelope's gain itself, bit for bit, so a
  // block may switch between the two kinds without a trace.
  const double gain = kFeel ? static_cast<float>(mAmpEnvelope.nextSample()) * mLevel
                            : static_cast<double>(static_cast<float>(mAmpEnvelope.nextSample()));
  const double dry0 = *in0, dry1 = *in1;
  const double wet0 = mFilterLeft.process(dry0) * gain;
  const double wet1 = mFilterRight.process(dry1) * gain;
  *out0 = (1.0 - mDryWet) * dry0 + mDryWet * fade * (lfoAmp + 1.0) * wet0 / 2.0;
  *out1 = (1.0 - mDryWet) * dry1 + mDryWet * fade * (lfoAmp + 1.0) * wet1 / 2.0;
}
