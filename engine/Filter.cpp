#include "Filter.h"

#include <cmath>

Filter::Filter()
  : cutoff(0.99), resonance(0.0), filterMode(Lowpass), feedbackAmount(0.0), buf0(0.0), buf1(0.0),
    buf2(0.0), buf3(0.0), cutoffMod(0.0)
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

void Filter::setCutoffMod(double newCutoffMod)
{
  cutoffMod = newCutoffMod;
  calculateFeedbackAmount();
}

void Filter::setFilterMode(FilterMode mode)
{
  filterMode = mode;
}

double Filter::getCalculatedCutoff() const
{
  // fmin/fmax rather than std::min/max: they drop a NaN operand, so a
  // non-number sum ends at the bright end instead of poisoning the stages.
  return std::fmax(std::fmin(cutoff + cutoffMod, 0.99), 0.01);
}

void Filter::calculateFeedbackAmount()
{
  // The effective cutoff is at most 0.99, so the divisor is at least 0.01.
  feedbackAmount = resonance + resonance / (1.0 - getCalculatedCutoff());
}

double Filter::process(double input)
{
  const double c = getCalculatedCutoff();
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
