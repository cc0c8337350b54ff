#pragma once

// A resonant filter: four one-pole low-pass stages in series, with feedback
// from the first two stages into the input.
//
// Cutoff is not in hertz: it is each stage's per-sample smoothing
// coefficient, 0.01 (darkest) to 0.99 (brightest). The effective cutoff,
// cutoff + cutoffMod, is clamped into that range; no setter clamps.
class Filter
{
public:
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
    buf0 += c * (input - buf0 + feedbackAmount * (buf0 - buf1));
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

private:
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
