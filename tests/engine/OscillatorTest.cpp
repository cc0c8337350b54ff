#include "Oscillator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
const double kTwoPi = 2.0 * 3.141592653589793;

Oscillator makeLfo(OscillatorMode mode, double frequency, double sampleRate = 44100.0)
{
  Oscillator lfo;
  lfo.setMode(mode);
  lfo.setSampleRate(sampleRate);
  lfo.setFrequency(frequency);
  lfo.setMuted(false);
  return lfo;
}
} // namespace

TEST(Oscillator, MutedOutputsZeroAndHoldsItsPhase)
{
  Oscillator lfo = makeLfo(Sine, 4.0, 16.0); // a quarter cycle per sample
  lfo.nextSample();
  double held = lfo.getPhase();
  lfo.setMuted(true);
  for (int i = 0; i < 10; ++i)
  {
    EXPECT_EQ(0.0, lfo.nextSample());
  }
  EXPECT_EQ(held, lfo.getPhase());
  lfo.setMuted(false);
  EXPECT_DOUBLE_EQ(1.0, lfo.nextSample()); // sin(π/2): resumes where it stopped
}

TEST(Oscillator, FreshOscillatorIsMutedSine)
{
  Oscillator lfo;
  EXPECT_EQ(0.0, lfo.nextSample());
  lfo.setMuted(false);
  EXPECT_EQ(0.0, lfo.nextSample()); // sin(0)
  EXPECT_NEAR(kTwoPi * 440.0 / 44100.0, lfo.getPhase(), 1e-15);
}

TEST(Oscillator, RawShapesAtQuarterCycles)
{
  // Four samples per cycle: phases 0, π/2, π, 3π/2, all exact in binary.
  struct Case
  {
    OscillatorMode mode;
    double expected[4];
  };
  const Case cases[] = {
      {Saw, {1.0, 0.5, 0.0, -0.5}},
      {Square, {1.0, 1.0, 1.0, -1.0}}, // phase exactly π still counts as the first half
      {Sine, {0.0, 1.0, 0.0, -1.0}},
  };
  for (const Case& c : cases)
  {
    Oscillator lfo = makeLfo(c.mode, 1.0, 4.0);
    double out[8];
    lfo.generate(out, 8);
    for (int i = 0; i < 8; ++i)
    {
      EXPECT_NEAR(c.expected[i % 4], out[i], 1e-12) << "mode " << c.mode << " sample " << i;
    }
  }
}

TEST(Oscillator, SmoothedShapesStartFromTheSmootherState)
{
  // The smoother starts at 0 and moves 1/100 of the way per sample.
  Oscillator saw = makeLfo(Saw, 440.0);
  EXPECT_NEAR(0.0099999905, saw.nextSample(), 1e-9);

  Oscillator square = makeLfo(Square, 0.0);
  double previous = 0.0;
  for (int i = 0; i < 2000; ++i)
  {
    double value = square.nextSample();
    EXPECT_GT(value, previous - 1e-7) << "a constant +1 is approached from below, sample " << i;
    previous = value;
  }
  EXPECT_NEAR(1.0, previous, 1e-4);
}

TEST(Oscillator, ZeroFrequencyHoldsThePhase)
{
  Oscillator sine = makeLfo(Sine, 0.0);
  for (int i = 0; i < 100; ++i)
  {
    EXPECT_EQ(0.0, sine.nextSample());
  }
  EXPECT_EQ(0.0, sine.getPhase());

  Oscillator saw = makeLfo(Saw, 0.0);
  double value = 0.0;
  for (int i = 0; i < 3000; ++i)
  {
    value = saw.nextSample();
  }
  EXPECT_NEAR(1.0, value, 1e-4); // raw saw at phase 0
}

TEST(Oscillator, StartPositionKeepsTheSmootherState)
{
  Oscillator lfo = makeLfo(Square, 2000.0);
  double last = 0.0;
  for (int i = 0; i < 30; ++i) // partway through a cycle of 22 samples
  {
    last = lfo.nextSample();
  }
  lfo.setStartPosition();
  EXPECT_EQ(0.0, lfo.getPhase());
  double next = lfo.nextSample();
  // Raw +1 at phase 0, but the smoothed output only moves 1/100 of the way.
  EXPECT_NEAR(last + 0.01 * (1.0 - last), next, 1e-6);
}

TEST(Oscillator, UnknownModeOutputsZeroWhileThePhaseMoves)
{
  Oscillator lfo = makeLfo(static_cast<OscillatorMode>(3), 4.0, 16.0);
  EXPECT_EQ(0.0, lfo.nextSample());
  EXPECT_DOUBLE_EQ(kTwoPi / 4.0, lfo.getPhase());

  double buffer[4] = {7.0, 7.0, 7.0, 7.0};
  lfo.generate(buffer, 4);
  for (double value : buffer)
  {
    EXPECT_EQ(7.0, value) << "generate writes nothing in an unknown mode";
  }
  EXPECT_DOUBLE_EQ(kTwoPi / 4.0, lfo.getPhase());
}

TEST(Oscillator, EveryShapeStaysBoundedAndThePhaseInRange)
{
  const double frequencies[] = {0.01, 6.0, 440.0, 22050.0, 44099.0, 100000.0, 1e9};
  for (OscillatorMode mode : {Saw, Square, Sine})
  {
    for (double frequency : frequencies)
    {
      Oscillator lfo = makeLfo(mode, frequency);
      for (int i = 0; i < 5000; ++i)
      {
        double value = lfo.nextSample();
        ASSERT_GE(value, -1.0) << "mode " << mode << " at " << frequency << " Hz";
        ASSERT_LE(value, 1.0) << "mode " << mode << " at " << frequency << " Hz";
        ASSERT_GE(lfo.getPhase(), 0.0);
        ASSERT_LT(lfo.getPhase(), kTwoPi);
      }
    }
  }
}

TEST(Oscillator, NonFiniteIncrementRestartsTheCycleInsteadOfHanging)
{
  struct Case
  {
    double frequency;
    double sampleRate;
  };
  const Case cases[] = {{6.0, 0.0}, {INFINITY, 44100.0}, {NAN, 44100.0}, {1e300, 1e-300}};
  for (const Case& c : cases)
  {
    Oscillator lfo = makeLfo(Sine, c.frequency, c.sampleRate);
    for (int i = 0; i < 4; ++i)
    {
      EXPECT_TRUE(std::isfinite(lfo.nextSample()));
      EXPECT_EQ(0.0, lfo.getPhase());
    }
  }
}
