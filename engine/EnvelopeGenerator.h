#pragma once

#include <cmath>
#include <cstdint>

// A five-stage envelope (off, attack, decay, sustain, release) whose level
// moves exponentially: every sample it is multiplied by a factor chosen so
// that the stage's end level is approached over the stage's length.
//
// Stage values: attack, decay and release are durations in seconds; sustain
// is a level 0 to 1. Levels never go below minimumLevel (0.0001) while
// moving, except that Off holds 0.0. The level is always finite.
class EnvelopeGenerator
{
public:
  enum EnvelopeStage
  {
    Off = 0,
    Attack,
    Decay,
    Sustain,
    Release,
    kNumEnvelopeStages
  };

  // Off at level 0.0001; attack 0.01 s, decay 0.5 s, sustain 0.1, release 1 s
  // at 44100 Hz.
  EnvelopeGenerator();

  // Switches to a stage: Attack restarts from the minimum level, Release
  // falls from wherever the level is. Called with Attack on note-on and
  // Release on note-off; timed stages move on by themselves.
  void enterStage(EnvelopeStage newStage);
  // Advances one sample; returns the level, 0 to 1. Defined here so that it
  // inlines into the render loop; stage changes stay out of line.
  double nextSample()
  {
    if (currentStage == Off || currentStage == Sustain)
    {
      return currentLevel;
    }
    if (currentSampleIndex == nextStageSampleIndex)
    {
      enterNextStages();
    }
    currentLevel *= multiplier;
    ++currentSampleIndex;
    return currentLevel;
  }
  // Samples per second. The stage in progress keeps its remaining length.
  void setSampleRate(double sampleRate);
  // Seconds for Attack, Decay, Release (negative counts as 0); level 0 to 1
  // for Sustain. A running timed stage is retimed in proportion to what is
  // left of it; a running sustain jumps to the new level.
  void setStageValue(EnvelopeStage stage, double value);

  EnvelopeStage getCurrentStage() const { return currentStage; }
  double getStageValue(EnvelopeStage stage) const { return stageValue[stage]; }
  double getCurrentLevel() const { return currentLevel; }
  // The level and its per-sample factor are finite. They always are while
  // the stage values are finite; a check at the end of each block costs
  // nothing and guards the rest of the plug-in's life.
  bool isStateFinite() const { return std::isfinite(currentLevel * multiplier); }
  // Off at the minimum level, as constructed; the stage values are kept.
  void reset();

private:
  // Moves on from a stage whose samples are done.
  void enterNextStages();
  void calculateMultiplier(double startLevel, double endLevel, uint64_t lengthInSamples);

  double minimumLevel;
  EnvelopeStage currentStage;
  double currentLevel;
  double multiplier;
  double sampleRate;
  double stageValue[kNumEnvelopeStages];
  uint64_t currentSampleIndex;
  uint64_t nextStageSampleIndex;
};
