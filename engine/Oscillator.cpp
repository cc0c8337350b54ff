#include "Oscillator.h"

#include <cmath>

CParamSmooth::CParamSmooth() : a(0.99f), b(1.0f - a), z(0.0f) {}

Oscillator::Oscillator()
    : mode(Sine), piValue(3.141592653589793), frequency(440.0), phase(0.0), sampleRate(44100.0),
      phaseIncrement(0.0), twoPi(2.0 * piValue), muted(true)
{
  updateIncrement();
}

void Oscillator::setMode(OscillatorMode newMode)
{
  mode = newMode;
}

void Oscillator::setFrequency(double newFrequency)
{
  frequency = newFrequency;
  updateIncrement();
}

void Oscillator::setSampleRate(double newSampleRate)
{
  sampleRate = newSampleRate;
  updateIncrement();
}

void Oscillator::setMuted(bool newMuted)
{
  muted = newMuted;
}

void Oscillator::setStartPosition()
{
  phase = 0.0;
}

void Oscillator::updateIncrement()
{
  phaseIncrement = (frequency * piValue * 2.0) / sampleRate;
}

void Oscillator::wrapPhase()
{
  // An increment of several cycles wraps by remainder rather than by a
  // subtraction per cycle, which would stall the audio thread for huge
  // rates; a non-finite increment (rate 0, infinite frequency) restarts the
  // cycle instead of spreading NaN.
  phase = std::isfinite(phase) ? std::fmod(phase, twoPi) : 0.0;
  if (phase < 0.0)
  {
    phase += twoPi;
  }
  if (!(phase < twoPi))
  {
    phase = 0.0;
  }
}

void Oscillator::generate(double* buffer, int nFrames)
{
  switch (mode)
  {
  case Saw:
    for (int i = 0; i < nFrames; ++i)
    {
      buffer[i] = 1.0 - (2.0 * phase) / (2.0 * piValue);
      advancePhase();
    }
    break;
  case Square:
    for (int i = 0; i < nFrames; ++i)
    {
      buffer[i] = phase <= piValue ? 1.0 : -1.0;
      advancePhase();
    }
    break;
  case Sine:
    for (int i = 0; i < nFrames; ++i)
    {
      buffer[i] = std::sin(phase);
      advancePhase();
    }
    break;
  }
}
