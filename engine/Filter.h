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
  void setCutoffMod(double cutoffMod);
  // Any other value makes process return 0.0 while the stages keep running.
  // The stages are not reset.
  void setFilterMode(FilterMode mode);

  // cutoff + cutoffMod clamped into [0.01, 0.99]; 0.99 when not a number.
  double getCalculatedCutoff() const;
  double getFeedbackAmount() const { return feedbackAmount; }
  double getCutoff() const { return cutoff; }
  double getResonance() const { return resonance; }
  FilterMode getFilterMode() const { return filterMode; }

  double process(double input);

private:
  void calculateFeedbackAmount();

  double cutoff;
  double resonance;
  FilterMode filterMode;
  double feedbackAmount;
  double buf0;
  double buf1;
  double buf2;
  double buf3;
  double cutoffMod;
};
