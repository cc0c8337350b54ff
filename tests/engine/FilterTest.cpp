#include "Filter.h"
#include "Noise.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

namespace
{
Filter makeFilter(Filter::FilterMode mode, double cutoff, double resonance)
{
  Filter filter;
  filter.setFilterMode(mode);
  filter.setCutoff(cutoff);
  filter.setResonance(resonance);
  return filter;
}

} // namespace

TEST(Filter, EffectiveCutoffIsClampedIntoItsRange)
{
  struct Case
  {
    double cutoff, mod, expected;
  };
  const Case cases[] = {
      {0.99, 0.5, 0.99}, {0.01, -1.0, 0.01}, {0.5, 0.1, 0.6},
      {0.5, -0.3, 0.2},  {NAN, 0.0, 0.99},   {0.5, NAN, 0.99},
  };
  for (const Case& c : cases)
  {
    Filter filter;
    filter.setCutoff(c.cutoff);
    filter.setCutoffMod(c.mod);
    EXPECT_DOUBLE_EQ(c.expected, filter.getCalculatedCutoff())
        << "cutoff " << c.cutoff << " mod " << c.mod;
  }
}

TEST(Filter, FeedbackFollowsResonanceAndEffectiveCutoff)
{
  Filter filter;
  EXPECT_EQ(0.0, filter.getFeedbackAmount());

  filter.setResonance(1.0); // at the constructor's cutoff 0.99
  EXPECT_NEAR(101.0, filter.getFeedbackAmount(), 1e-9);

  filter.setCutoff(0.5);
  EXPECT_NEAR(3.0, filter.getFeedbackAmount(), 1e-12);

  // The modulation moves the effective cutoff, and the feedback with it.
  filter.setCutoffMod(0.25);
  EXPECT_NEAR(5.0, filter.getFeedbackAmount(), 1e-12);
  filter.setCutoffMod(5.0);
  EXPECT_NEAR(101.0, filter.getFeedbackAmount(), 1e-9);
}

TEST(Filter, WithoutResonanceItIsAPlainCascade)
{
  Filter filter = makeFilter(Filter::Lowpass, 0.5, 0.0);
  // Stage 0 moves halfway to the input, stage 1 halfway to stage 0.
  EXPECT_DOUBLE_EQ(0.25, filter.process(1.0));
  EXPECT_DOUBLE_EQ(0.25 + 0.5 * (0.75 - 0.25), filter.process(1.0));
}

TEST(Filter, ConstantInputSettlesPerMode)
{
  struct Case
  {
    Filter::FilterMode mode;
    double expected;
  };
  const Case cases[] = {{Filter::Lowpass, 1.0}, {Filter::Highpass, 0.0}, {Filter::Bandpass, 0.0}};
  for (const Case& c : cases)
  {
    Filter filter = makeFilter(c.mode, 0.3, 0.0);
    double out = 0.0;
    for (int i = 0; i < 1000; ++i)
    {
      out = filter.process(1.0);
    }
    EXPECT_NEAR(c.expected, out, 1e-9) << "mode " << c.mode;
  }
}

// Resonance 1 makes the filter self-oscillate; its stages are held within
// the limit, so it rings at most at that level instead of growing until it
// overflows. Band-pass, the difference of two stages, can reach twice it.
TEST(Filter, StaysBoundedForFullScaleInputAtEveryCutoffAndResonance)
{
  const double bound = 61.0; // twice the stage limit of 30, plus full scale
  for (double cutoff = 0.01; cutoff <= 0.99 + 1e-9; cutoff += 0.049)
  {
    for (double resonance : {0.0, 0.25, 0.5, 0.75, 1.0})
    {
      for (Filter::FilterMode mode : {Filter::Lowpass, Filter::Highpass, Filter::Bandpass})
      {
        Filter filter = makeFilter(mode, cutoff, resonance);
        Noise noise;
        double peak = 0.0;
        for (int i = 0; i < 40000; ++i)
        {
          // Noise, then a full-scale square wave: both excite the resonance.
          double input = i < 20000 ? noise.next() : ((i / 50) % 2 ? 1.0 : -1.0);
          double out = std::fabs(filter.process(input));
          peak = out > peak || std::isnan(out) ? out : peak;
        }
        EXPECT_LE(peak, bound) << "cutoff " << cutoff << " resonance " << resonance << " mode "
                               << mode;
      }
    }
  }
}

// Unbounded, resonance 1 with full-scale noise grows slowly but without
// end: at the cutoff of "Falling Drops", moved by its 1 Hz filter LFO, the
// low-pass output passed 800 after 100 s. 100 s of that, in every mode, stay
// within the bound.
TEST(Filter, FullResonanceStaysBoundedForAHundredSeconds)
{
  const int kSamples = 100 * 44100;
  for (Filter::FilterMode mode : {Filter::Lowpass, Filter::Highpass, Filter::Bandpass})
  {
    Filter filter = makeFilter(mode, 0.285625, 1.0);
    Noise noise(7);
    double peak = 0.0;
    for (int i = 0; i < kSamples; ++i)
    {
      filter.setCutoffMod(0.366592 * std::sin(2.0 * 3.141592653589793 * i / 44100.0));
      const double out = std::fabs(filter.process(noise.next()));
      peak = out > peak || std::isnan(out) ? out : peak;
    }
    EXPECT_LE(peak, 61.0) << "mode " << mode;
    EXPECT_TRUE(filter.isStateFinite());
  }
}

// A NaN input sample stays in the stages until they are reset; the
// settings survive the reset.
TEST(Filter, NonFiniteInputIsSeenAndResetLeavesTheSettings)
{
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL})
  {
    Filter filter = makeFilter(Filter::Bandpass, 0.3, 0.5);
    filter.process(0.5);
    filter.process(bad);
    for (int i = 0; i < 10; ++i)
    {
      filter.process(0.1);
    }
    if (std::isnan(bad))
    {
      EXPECT_FALSE(filter.isStateFinite());
      filter.resetState();
    }
    EXPECT_TRUE(filter.isStateFinite()) << bad << ": infinities end at the stage limit";
    EXPECT_EQ(0.3, filter.getCutoff());
    EXPECT_EQ(Filter::Bandpass, filter.getFilterMode());
    EXPECT_TRUE(std::isfinite(filter.process(0.1)));
  }
}

TEST(Filter, UnknownModeSilencesOutputButStagesKeepRunning)
{
  Filter reference = makeFilter(Filter::Lowpass, 0.2, 0.5);
  Filter filter = makeFilter(Filter::Lowpass, 0.2, 0.5);
  Noise noise;
  filter.setFilterMode(static_cast<Filter::FilterMode>(3));
  for (int i = 0; i < 100; ++i)
  {
    double input = noise.next();
    reference.process(input);
    EXPECT_EQ(0.0, filter.process(input));
  }
  filter.setFilterMode(Filter::Lowpass);
  for (int i = 0; i < 10; ++i)
  {
    double input = noise.next();
    EXPECT_EQ(reference.process(input), filter.process(input)) << "no reset on mode change";
  }
}
