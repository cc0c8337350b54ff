#include "Filter.h"

Filter::Filter()
    : cutoff(0.99), resonance(0.0), filterMode(Lowpass), feedbackAmount(0.0),
      calculatedCutoff(0.99), buf0(0.0), buf1(0.0), buf2(0.0), buf3(0.0), cutoffMod(0.0)
{
  calculateFeedbackAmount();
}

void Filter::setCutoff(double newCutoff)
{
  cutoff = newCutoff;
  calculateFeedbackAmount();
}

void Filter::setResonance(double newResonance)
{
  resonance = newResonance;
  calculateFeedbackAmount();
}

void Filter::setFilterMode(FilterMode mode)
{
  filterMode = mode;
}
