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

// Resonance 1 rings for a long time, up to a few hundred times full scale,
// but never runs away; an unstable setting (resonance 1.3, say) overflows to
// infinity within the first few thousand samples.
TEST(Filter, StaysBoundedForFullScaleInputAtEveryCutoffAndResonance)
{
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
        EXPECT_LT(peak, 1000.0) << "cutoff " << cutoff << " resonance " << resonance << " mode "
                                << mode;
      }
    }
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
