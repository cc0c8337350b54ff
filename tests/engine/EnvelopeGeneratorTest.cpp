#include "EnvelopeGenerator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
using Stage = EnvelopeGenerator::EnvelopeStage;

// Runs until the envelope leaves `stage`; returns how many samples it spent
// there (the sample that enters the next stage is not counted).
int samplesIn(EnvelopeGenerator& env, Stage stage, double* lastLevel = nullptr)
{
  int count = 0;
  while (true)
  {
    double level = env.nextSample();
    if (env.getCurrentStage() != stage)
    {
      return count;
    }
    if (lastLevel)
    {
      *lastLevel = level;
    }
    ++count;
    if (count > 10000000)
    {
      ADD_FAILURE() << "stage " << stage << " never ends";
      return count;
    }
  }
}
} // namespace

TEST(EnvelopeGenerator, FreshEnvelopeHoldsTheMinimumLevelAndAClosedOneHoldsZero)
{
  EnvelopeGenerator env;
  for (int i = 0; i < 10; ++i)
  {
    EXPECT_EQ(0.0001, env.nextSample());
  }
  env.setStageValue(EnvelopeGenerator::Release, 0.001);
  env.enterStage(EnvelopeGenerator::Attack);
  env.enterStage(EnvelopeGenerator::Release);
  samplesIn(env, EnvelopeGenerator::Release);
  EXPECT_EQ(EnvelopeGenerator::Off, env.getCurrentStage());
  for (int i = 0; i < 10; ++i)
  {
    EXPECT_EQ(0.0, env.nextSample());
  }
}

TEST(EnvelopeGenerator, AttackRisesExponentiallyThenDecayStartsAtFullLevel)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Attack);
  const double multiplier = 1.0 + std::log(1.0 / 0.0001) / 441.0;
  EXPECT_NEAR(1.0208851, multiplier, 1e-7);
  EXPECT_DOUBLE_EQ(0.0001 * multiplier, env.nextSample());

  double last = 0.0;
  EXPECT_EQ(440, samplesIn(env, EnvelopeGenerator::Attack, &last)); // plus the one above: 441
  EXPECT_NEAR(0.9095, last, 5e-4) << "the first-order factor ends short of 1.0";
  // The sample that entered the decay is 1.0 times the decay factor.
  EXPECT_DOUBLE_EQ(1.0 + std::log(0.1) / 22050.0, env.getCurrentLevel());
}

TEST(EnvelopeGenerator, DecayEndsNearSustainThenSustainIsExact)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Decay);
  double last = 0.0;
  EXPECT_EQ(22050, samplesIn(env, EnvelopeGenerator::Decay, &last));
  EXPECT_NEAR(0.09999, last, 1e-4);
  EXPECT_EQ(EnvelopeGenerator::Sustain, env.getCurrentStage());
  EXPECT_EQ(0.1, env.getCurrentLevel());
  EXPECT_EQ(0.1, env.nextSample());
}

TEST(EnvelopeGenerator, ZeroSustainDecaysToTheFloorThenHoldsZero)
{
  EnvelopeGenerator env;
  env.setStageValue(EnvelopeGenerator::Sustain, 0.0);
  env.enterStage(EnvelopeGenerator::Decay);
  double last = 0.0;
  samplesIn(env, EnvelopeGenerator::Decay, &last);
  EXPECT_NEAR(0.0001, last, 1e-5);
  EXPECT_EQ(0.0, env.nextSample());
}

TEST(EnvelopeGenerator, ReleaseStartsFromTheLevelReached)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Attack);
  for (int i = 0; i < 200; ++i)
  {
    env.nextSample();
  }
  const double reached = env.getCurrentLevel();
  ASSERT_LT(reached, 0.5);
  env.enterStage(EnvelopeGenerator::Release);
  const double factor = 1.0 + (std::log(0.0001) - std::log(reached)) / 44100.0;
  EXPECT_DOUBLE_EQ(reached * factor, env.nextSample());
}

TEST(EnvelopeGenerator, RetriggerRestartsFromTheFloor)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Sustain);
  env.enterStage(EnvelopeGenerator::Attack);
  EXPECT_EQ(0.0001, env.getCurrentLevel());
}

TEST(EnvelopeGenerator, LongerReleaseHalfwayRetimesTheRest)
{
  EnvelopeGenerator reference;
  reference.enterStage(EnvelopeGenerator::Sustain);
  reference.enterStage(EnvelopeGenerator::Release);
  const int whole = samplesIn(reference, EnvelopeGenerator::Release);
  EXPECT_EQ(44100, whole);

  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Sustain);
  env.enterStage(EnvelopeGenerator::Release);
  for (int i = 0; i < whole / 2; ++i)
  {
    env.nextSample();
  }
  env.setStageValue(EnvelopeGenerator::Release, 2.0);
  double last = 0.0;
  EXPECT_EQ(whole, samplesIn(env, EnvelopeGenerator::Release, &last));
  EXPECT_NEAR(0.0001, last, 1e-5) << "the retimed release still ends at the floor";
}

TEST(EnvelopeGenerator, SustainLevelChangeWhileSustainingIsImmediate)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Sustain);
  env.setStageValue(EnvelopeGenerator::Sustain, 0.7);
  EXPECT_EQ(0.7, env.nextSample());
}

TEST(EnvelopeGenerator, SustainLevelChangeDuringDecayAppliesOnEntry)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Decay);
  env.setStageValue(EnvelopeGenerator::Sustain, 0.6);
  double last = 0.0;
  samplesIn(env, EnvelopeGenerator::Decay, &last);
  EXPECT_NEAR(0.1, last, 1e-4) << "the running decay keeps its old target";
  EXPECT_EQ(0.6, env.getCurrentLevel());
}

TEST(EnvelopeGenerator, SampleRateChangeKeepsTheRunningStageLength)
{
  EnvelopeGenerator env;
  env.enterStage(EnvelopeGenerator::Attack);
  for (int i = 0; i < 100; ++i)
  {
    env.nextSample();
  }
  env.setSampleRate(88200.0);
  EXPECT_EQ(341, samplesIn(env, EnvelopeGenerator::Attack));
  EXPECT_EQ(44100, samplesIn(env, EnvelopeGenerator::Decay) + 1)
      << "the next stage uses the new rate";
}

// A decay shorter than one sample used to apply a non-finite factor on the
// very sample that entered it, and the stage then never ended.
TEST(EnvelopeGenerator, StagesShorterThanASamplePassStraightThrough)
{
  EnvelopeGenerator env;
  env.setStageValue(EnvelopeGenerator::Attack, 0.0);
  env.setStageValue(EnvelopeGenerator::Decay, 0.00001);
  env.enterStage(EnvelopeGenerator::Attack);
  EXPECT_EQ(0.1, env.nextSample());
  EXPECT_EQ(EnvelopeGenerator::Sustain, env.getCurrentStage());

  env.setStageValue(EnvelopeGenerator::Release, 0.0);
  env.enterStage(EnvelopeGenerator::Release);
  EXPECT_EQ(0.0, env.nextSample());
  EXPECT_EQ(EnvelopeGenerator::Off, env.getCurrentStage());
}

// A note-off with no note sounding (the push button, an "off" step) starts a
// release from 0.0. The logarithm of zero must never reach the level.
TEST(EnvelopeGenerator, ReleaseFromZeroStaysSilentAndFinite)
{
  struct Case
  {
    const char* name;
    double releaseAfterEntry; // < 0: leave the release time alone
  };
  const Case cases[] = {
      {"plain release", -1.0},
      {"release retimed longer", 3.0},
      {"release retimed to zero", 0.0},
  };
  for (const Case& c : cases)
  {
    EnvelopeGenerator env;
    env.setStageValue(EnvelopeGenerator::Release, 0.001);
    env.enterStage(EnvelopeGenerator::Off); // a completed release: level 0.0
    env.enterStage(EnvelopeGenerator::Release);
    for (int i = 0; i < 10; ++i)
    {
      env.nextSample();
    }
    if (c.releaseAfterEntry >= 0.0)
    {
      env.setStageValue(EnvelopeGenerator::Release, c.releaseAfterEntry);
    }
    for (int i = 0; i < 200000; ++i)
    {
      double level = env.nextSample();
      ASSERT_EQ(0.0, level) << c.name << ", sample " << i;
    }
    EXPECT_EQ(EnvelopeGenerator::Off, env.getCurrentStage()) << c.name;

    // The next note still opens the gate.
    env.enterStage(EnvelopeGenerator::Attack);
    EXPECT_GT(env.nextSample(), 0.0) << c.name;
  }
}

TEST(EnvelopeGenerator, UnusableStageValuesCountAsZeroLength)
{
  for (double value : {-1.0, double(NAN), -double(INFINITY)})
  {
    EnvelopeGenerator env;
    env.setStageValue(EnvelopeGenerator::Attack, value);
    env.enterStage(EnvelopeGenerator::Attack);
    env.nextSample();
    EXPECT_EQ(EnvelopeGenerator::Decay, env.getCurrentStage()) << value;
    EXPECT_TRUE(std::isfinite(env.getCurrentLevel())) << value;
  }
}
