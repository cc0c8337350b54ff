#pragma once

#include <cmath>

// A periodic waveform one sample at a time, used as a low-frequency
// oscillator (LFO). Output is -1..+1.
//
// Saw and square pass through a one-pole smoother that rounds their edges
// (about 2.3 ms at 44.1 kHz); the sine is not smoothed. The phase is in
// radians and always ends a sample in [0, 2π).

enum OscillatorMode
{
  Saw = 0,    // falling ramp from +1 to -1, smoothed
  Square = 1, // +1 for the first half cycle, -1 for the second, smoothed
  Sine = 2,   // sin(phase), not smoothed
};

// One-pole low-pass in single precision: each call moves the state one
// hundredth of the way toward the input.
class CParamSmooth
{
public:
  CParamSmooth();
  float Process(float in)
  {
    z = in * b + z * a;
    return z;
  }

private:
  float a; // weight of the previous output
  float b; // weight of the input, 1 - a
  float z; // previous output
};

class Oscillator
{
public:
  // Muted, sine, 440 Hz at 44100 Hz.
  Oscillator();

  // Any value other than Saw, Square or Sine makes nextSample return 0.0
  // while the phase keeps moving. Phase and smoother are kept.
  void setMode(OscillatorMode mode);
  // Hertz; not clamped.
  void setFrequency(double frequency);
  // Samples per second; not clamped.
  void setSampleRate(double sampleRate);
  // A muted oscillator outputs 0.0 and does not advance.
  void setMuted(bool muted);
  // Restarts the cycle at phase 0; the smoother keeps its state, so a
  // smoothed shape does not jump.
  void setStartPosition();

  // Defined here so that it inlines into the render loop.
  double nextSample()
  {
    if (muted)
    {
      return 0.0;
    }
    double value = 0.0;
    switch (mode)
    {
    case Saw:
      value = smoother.Process(static_cast<float>(1.0 - (2.0 * phase) / twoPi));
      break;
    case Square:
      value = smoother.Process(phase <= piValue ? 1.0f : -1.0f);
      break;
    case Sine:
      value = std::sin(phase);
      break;
    }
    advancePhase();
    return value;
  }
  // Writes nFrames raw (unsmoothed) samples, ignoring the mute; writes
  // nothing for an unknown mode.
  void generate(double* buffer, int nFrames);

  double getPhase() const { return phase; }
  double getFrequency() const { return frequency; }
  OscillatorMode getMode() const { return mode; }

private:
  void updateIncrement();
  void advancePhase()
  {
    phase += phaseIncrement;
    if (phase >= twoPi)
    {
      phase -= twoPi; // the usual case: at most one wrap per sample
    }
    if (!(phase >= 0.0 && phase < twoPi))
    {
      wrapPhase();
    }
  }
  // Brings any other phase back into [0, 2π).
  void wrapPhase();

  OscillatorMode mode;
  double piValue;
  double frequency;
  double phase;
  double sampleRate;
  double phaseIncrement;
  double twoPi;
  bool muted;
  CParamSmooth smoother;
};
