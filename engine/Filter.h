#pragma once

#include <cmath>

// A resonant filter: four one-pole low-pass stages in series, with feedback
// from the first two stages into the input.
//
// Cutoff is not in hertz: it is each stage's per-sample smoothing
// coefficient, 0.01 (darkest) to 0.99 (brightest). The effective cutoff,
// cutoff + cutoffMod, is clamped into that range; no setter clamps.
//
// At full resonance the feedback makes the filter self-oscillate, and
// without a bound its stages would grow until they overflow. The first
// stage, the only one the feedback drives, is held within ±kStageLimit after
// its update. Each later stage moves a fraction c (0.01 to 0.99) of the way
// towards the stage before it, so it never leaves the range of that stage:
// every stage stays within ±kStageLimit, and a self-oscillating filter rings
// at that level instead of growing. On full-scale input the factory presets
// keep their stages below about 10, so the limit never touches them.
class Filter
{
public:
  // With input within ±1 the output stays within ±2 × kStageLimit
  // (band-pass is the difference of two stages), so the effect's output,
  // dry signal included, stays within ±64.
  static constexpr double kStageLimit = 30.0;

  enum FilterMode
  {
    Lowpass = 0,  // the second stage
    Highpass = 1, // input minus the fourth stage
    Bandpass = 2, // first stage minus the fourth stage
  };

  // Cutoff 0.99, resonance 0, low-pass.
  Filter();

  // Base cutoff coefficient, normally 0.01 to 0.99.
  void setCutoff(double cutoff);
  // 0 (none) to 1 (strongest).
  void setResonance(double resonance);
  // Added to the base cutoff; set once per sample by the effect's modulation.
  void setCutoffMod(double newCutoffMod)
  {
    cutoffMod = newCutoffMod;
    calculateFeedbackAmount();
  }
  // Any other value makes process return 0.0 while the stages keep running.
  // The stages are not reset.
  void setFilterMode(FilterMode mode);

  // cutoff + cutoffMod clamped into [0.01, 0.99]; 0.99 when not a number.
  double getCalculatedCutoff() const { return calculatedCutoff; }
  double getFeedbackAmount() const { return feedbackAmount; }
  double getCutoff() const { return cutoff; }
  double getResonance() const { return resonance; }
  FilterMode getFilterMode() const { return filterMode; }

  // Per sample: defined here so that it inlines into the render loop.
  double process(double input)
  {
    const double c = calculatedCutoff;
    buf0 = limit(buf0 + c * (input - buf0 + feedbackAmount * (buf0 - buf1)));
    buf1 += c * (buf0 - buf1);
    buf2 += c * (buf1 - buf2);
    buf3 += c * (buf2 - buf3);
    switch (filterMode)
    {
    case Lowpass:
      return buf1;
    case Highpass:
      return input - buf3;
    case Bandpass:
      return buf0 - buf3;
    }
    return 0.0;
  }

  // False once a non-finite input sample has reached the stages; they stay
  // so until reset.
  bool isStateFinite() const { return std::isfinite(buf0 + buf1 + buf2 + buf3); }
  // Silence in the stages; the settings are kept.
  void resetState() { buf0 = buf1 = buf2 = buf3 = 0.0; }

private:
  // A value inside the limit, NaN included, comes back unchanged, so the
  // arithmetic is exactly the unbounded filter's until a stage reaches it.
  static double limit(double x)
  {
    x = x < -kStageLimit ? -kStageLimit : x;
    return x > kStageLimit ? kStageLimit : x;
  }

  void calculateFeedbackAmount()
  {
    // The effective cutoff is clamped here, once per setting, and process
    // uses it as it is. A sum that is not a number ends at the bright end
    // instead of poisoning the stages.
    double sum = cutoff + cutoffMod;
    if (!(sum <= 0.99))
    {
      sum = 0.99;
    }
    calculatedCutoff = sum < 0.01 ? 0.01 : sum;
    // At most 0.99, so the divisor is at least 0.01.
    feedbackAmount = resonance + resonance / (1.0 - calculatedCutoff);
  }

  double cutoff;
  double resonance;
  FilterMode filterMode;
  double feedbackAmount;
  double calculatedCutoff; // kept with feedbackAmount: the setters recompute both
  double buf0;
  double buf1;
  double buf2;
  double buf3;
  double cutoffMod;
};
