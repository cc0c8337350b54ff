#include "EnvelopeGenerator.h"

#include <cmath>

namespace
{
// Truncates a non-negative sample count toward zero. Negative and NaN
// lengths count as no samples, and a length beyond 2^63 saturates, where a
// plain cast would be undefined.
uint64_t toSampleCount(double samples)
{
  if (!(samples > 0.0))
  {
    return 0;
  }
  if (samples >= 9.2e18)
  {
    return UINT64_C(9200000000000000000);
  }
  return static_cast<uint64_t>(samples);
}
} // namespace

EnvelopeGenerator::EnvelopeGenerator()
    : minimumLevel(0.0001), currentStage(Off), currentLevel(minimumLevel), multiplier(1.0),
      sampleRate(44100.0), stageValue{0.0, 0.01, 0.5, 0.1, 1.0}, currentSampleIndex(0),
      nextStageSampleIndex(0)
{
}

void EnvelopeGenerator::reset()
{
  currentStage = Off;
  currentLevel = minimumLevel;
  multiplier = 1.0;
  currentSampleIndex = 0;
  nextStageSampleIndex = 0;
}

void EnvelopeGenerator::calculateMultiplier(double startLevel, double endLevel,
                                            uint64_t lengthInSamples)
{
  if (!(startLevel > 0.0))
  {
    // A level of 0 (a release after the envelope has already closed) cannot
    // be scaled toward anything and has no logarithm: hold it.
    multiplier = 1.0;
    return;
  }
  // First-order approximation of the exact factor: a ramp ends slightly
  // short of its target, and the next stage entry sets the level exactly.
  // A length of 0 gives a non-finite factor that is never applied, because
  // nextSample enters the following stage first.
  multiplier =
      1.0 + (std::log(endLevel) - std::log(startLevel)) / static_cast<double>(lengthInSamples);
}

void EnvelopeGenerator::enterStage(EnvelopeStage newStage)
{
  if (newStage < Off || newStage >= kNumEnvelopeStages)
  {
    return;
  }
  currentStage = newStage;
  currentSampleIndex = 0;
  if (newStage == Off || newStage == Sustain)
  {
    nextStageSampleIndex = 0;
  }
  else
  {
    nextStageSampleIndex = toSampleCount(stageValue[newStage] * sampleRate);
  }

  switch (newStage)
  {
  case Off:
    currentLevel = 0.0;
    multiplier = 1.0;
    break;
  case Attack:
    currentLevel = minimumLevel;
    calculateMultiplier(currentLevel, 1.0, nextStageSampleIndex);
    break;
  case Decay:
    currentLevel = 1.0;
    calculateMultiplier(currentLevel, std::fmax(stageValue[Sustain], minimumLevel),
                        nextStageSampleIndex);
    break;
  case Sustain:
    currentLevel = stageValue[Sustain];
    multiplier = 1.0;
    break;
  case Release:
    calculateMultiplier(currentLevel, minimumLevel, nextStageSampleIndex);
    break;
  case kNumEnvelopeStages:
    break;
  }
}

void EnvelopeGenerator::enterNextStages()
{
  // A stage shorter than one sample (a decay time below 1 / sampleRate) is
  // passed straight through: its factor has no finite value and must never
  // reach the level, so keep moving on until a stage has samples to produce
  // or holds (Sustain, Off).
  do
  {
    enterStage(static_cast<EnvelopeStage>((currentStage + 1) % kNumEnvelopeStages));
  } while (currentSampleIndex == nextStageSampleIndex && currentStage != Off &&
           currentStage != Sustain);
}

void EnvelopeGenerator::setSampleRate(double newSampleRate)
{
  sampleRate = newSampleRate;
}

void EnvelopeGenerator::setStageValue(EnvelopeStage stage, double value)
{
  if (stage < Off || stage >= kNumEnvelopeStages)
  {
    return;
  }
  stageValue[stage] = value;
  if (stage != currentStage)
  {
    return;
  }
  if (currentStage == Sustain)
  {
    currentLevel = value;
    return;
  }
  if (currentStage == Attack || currentStage == Decay || currentStage == Release)
  {
    double target = 1.0;
    if (currentStage == Decay)
    {
      target = std::fmax(stageValue[Sustain], minimumLevel);
    }
    else if (currentStage == Release)
    {
      target = minimumLevel;
    }
    // A stage of no length is already over: nothing of it is left to retime.
    double progress = nextStageSampleIndex == 0 ? 1.0
                                                : static_cast<double>(currentSampleIndex) /
                                                      static_cast<double>(nextStageSampleIndex);
    uint64_t samplesLeft = toSampleCount((1.0 - progress) * value * sampleRate);
    nextStageSampleIndex = currentSampleIndex + samplesLeft;
    calculateMultiplier(currentLevel, target, samplesLeft);
  }
}
