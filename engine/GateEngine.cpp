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

void GateEngine::retune(Oscillator& lfo, int rate, bool triplet)
{
  lfo.setFrequency(rate * mTimeInfo.mTempo * (triplet ? 0.75 : 0.5) / 60.0);
}

void GateEngine::retuneAmpLFO()
{
  retune(mAmpLFO, mAmpLFORate, mAmpLFOTriple);
}

void GateEngine::retuneFilterLFO()
{
  retune(mFilterLFO, mFilterLFORate, mFilterLFOTriple);
}

void GateEngine::onNoteOn(int, int)
{
  mAmpEnvelope.enterStage(EnvelopeGenerator::Attack);
  mFilterEnvelope.enterStage(EnvelopeGenerator::Attack);
}

void GateEngine::onNoteOff(int, int)
{
  mAmpEnvelope.enterStage(EnvelopeGenerator::Release);
  mFilterEnvelope.enterStage(EnvelopeGenerator::Release);
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
  mPosBarSample = -2; // the step length may have changed: divide once again
}

void GateEngine::renderBlock(double** inputs, double** outputs, int nFrames)
{
  updateBarPosition();
  updateStepTiming();
  const double* in0 = inputs[0];
  const double* in1 = inputs[1];
  double* out0 = outputs[0];
  double* out1 = outputs[1];
  for (int s = 0; s < nFrames; ++s)
  {
    if (mGateMode == 1)
    {
      mMIDIReceiver.advance();
    }
    if (mBarSample <= 9)
    {
      mFilterLFO.setStartPosition();
      mAmpLFO.setStartPosition();
    }
    sequencer();
    effectStage(in0 + s, in1 + s, out0 + s, out1 + s);
    // Only reaching the bar length wraps: with more than four beats to the
    // bar the position runs past it until the next block recomputes it.
    if (++mBarSample == mSamplesPerBar)
    {
      mBarSample = 0;
    }
  }
  mMIDIReceiver.endBlock();
  mDisplayedStep = mStepIndex;
}

void GateEngine::sequencer()
{
  if (mGateMode == 1 || !mTimeInfo.mTransportIsRunning)
  {
    return;
  }
  if (mStepSamples <= 0 || mSamplesPerBar <= 0)
  {
    return; // no step or bar to count in
  }
  // The position in the step is the bar sample modulo the step length; from
  // one sample to the next it just counts on, wrapping at the step length.
  int posInStep;
  if (mBarSample > 0 && mBarSample == mPosBarSample + 1)
  {
    posInStep = mPosInStep + 1 == mStepSamples ? 0 : mPosInStep + 1;
  }
  else
  {
    posInStep = mBarSample % mStepSamples;
  }
  mPosInStep = posInStep;
  mPosBarSample = mBarSample;

  if (posInStep + 100.0 >= mNoteOffSamples && !mNoteOffSent)
  {
    onNoteOff(1, 1);
    mNoteOffSent = true;
  }
  if (posInStep > 10)
  {
    mStepHandled = false;
    return;
  }
  if (mStepHandled)
  {
    return;
  }
  // A step start within 30 samples before or 69 after a bar line is the
  // bar's first step.
  if ((mBarSample + 30) % mSamplesPerBar <= 99)
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
  mStepHandled = true;
}

void GateEngine::effectStage(const double* in0, const double* in1, double* out0, double* out1)
{
  const double lfoFilter = mFilterLFO.nextSample() * mFilterLFODepth;
  const double lfoAmp = mAmpLFO.nextSample() * mAmpLFODepth;

  if (mGateMode == 0)
  {
    if (mPendingNoteOn)
    {
      mRetriggerFade -= 0.05f;
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

  const double fade = mRetriggerFade;
  const double gain = static_cast<float>(mAmpEnvelope.nextSample());
  const double dry0 = *in0, dry1 = *in1;
  const double wet0 = mFilterLeft.process(dry0) * gain;
  const double wet1 = mFilterRight.process(dry1) * gain;
  *out0 = (1.0 - mDryWet) * dry0 + mDryWet * fade * (lfoAmp + 1.0) * wet0 / 2.0;
  *out1 = (1.0 - mDryWet) * dry1 + mDryWet * fade * (lfoAmp + 1.0) * wet1 / 2.0;
}
