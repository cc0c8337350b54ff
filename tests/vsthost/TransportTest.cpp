#include "Transport.h"

#include <gtest/gtest.h>

#include <ostream>

using vsthost::Transport;
using vsthost::TransportSettings;

namespace
{
TransportSettings settings(double tempo, int numerator, int denominator, double startPpq = 0.0)
{
  TransportSettings s;
  s.tempo = tempo;
  s.numerator = numerator;
  s.denominator = denominator;
  s.startPpq = startPpq;
  return s;
}

const int kAlwaysValid = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                         kVstTimeSigValid | kVstClockValid;

struct PositionCase
{
  const char* name;
  TransportSettings settings;
  double sampleRate;
  int blockSize;
  int blocks;
  double samplePos;
  double ppqPos;
  double barStartPos;
};

std::ostream& operator<<(std::ostream& out, const PositionCase& c)
{
  return out << c.name;
}

class TransportPosition : public testing::TestWithParam<PositionCase>
{
};
} // namespace

TEST_P(TransportPosition, AfterBlocks)
{
  const PositionCase& c = GetParam();
  Transport transport(c.settings, c.sampleRate);
  for (int i = 0; i < c.blocks; ++i)
    transport.Advance(c.blockSize);

  const VstTimeInfo info = transport.TimeInfo();
  EXPECT_NEAR(c.samplePos, info.samplePos, 1e-6);
  EXPECT_NEAR(c.ppqPos, info.ppqPos, 1e-9);
  EXPECT_DOUBLE_EQ(c.barStartPos, info.barStartPos);
  EXPECT_EQ(c.sampleRate, info.sampleRate);
  EXPECT_EQ(c.settings.tempo, info.tempo);
  EXPECT_EQ(c.settings.numerator, info.timeSigNumerator);
  EXPECT_EQ(c.settings.denominator, info.timeSigDenominator);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransportPosition,
    testing::Values(
        PositionCase{"quarters_from_odd_blocks", settings(120, 4, 4), 44100, 512, 100, 51200,
                     51200.0 / 22050.0, 0.0},
        PositionCase{"into_the_third_bar", settings(120, 4, 4), 48000, 24000, 9, 216000, 9.0, 8.0},
        PositionCase{"three_four", settings(90, 3, 4), 44100, 29400, 7, 205800, 7.0, 6.0},
        PositionCase{"six_eight_bars_of_three_quarters", settings(140, 6, 8), 44100, 18900, 10,
                     189000, 10.0, 9.0},
        // 350 blocks of 0.02 quarters sum to just below 7.0, the start of the
        // third 7/8 bar; it must count as that bar.
        PositionCase{"seven_eight_bar_line_from_rounded_sums", settings(120, 7, 8), 44100, 441, 350,
                     154350, 7.0, 7.0},
        PositionCase{"pre_roll_before_zero", settings(120, 4, 4, -4.0), 44100, 22050, 2, -44100,
                     -2.0, -4.0},
        PositionCase{"starting_mid_bar", settings(120, 4, 4, 5.5), 44100, 512, 0, 121275, 5.5, 4.0},
        PositionCase{"no_frames_no_movement", settings(120, 4, 4, 1.0), 44100, 0, 10, 22050, 1.0,
                     0.0}),
    [](const testing::TestParamInfo<PositionCase>& info) { return std::string(info.param.name); });

TEST(Transport, StoppedKeepsItsPosition)
{
  TransportSettings s = settings(120, 4, 4, 2.0);
  s.playing = false;
  Transport transport(s, 44100);
  transport.Advance(4096);
  transport.Advance(4096);
  const VstTimeInfo info = transport.TimeInfo();
  EXPECT_EQ(2.0, info.ppqPos);
  EXPECT_EQ(44100.0, info.samplePos);
  EXPECT_EQ(0, info.flags & kVstTransportPlaying);
}

TEST(Transport, FlagsFollowTheState)
{
  struct Case
  {
    const char* name;
    bool playing, recording, cycleActive;
    double cycleStart, cycleEnd;
    int flags;
  };
  const Case cases[] = {
      {"playing", true, false, false, 0, 0, kAlwaysValid | kVstTransportPlaying},
      {"stopped", false, false, false, 0, 0, kAlwaysValid},
      {"recording", true, true, false, 0, 0,
       kAlwaysValid | kVstTransportPlaying | kVstTransportRecording},
      {"looping", true, false, true, 4, 8,
       kAlwaysValid | kVstTransportPlaying | kVstTransportCycleActive | kVstCyclePosValid},
      {"loop_range_set_but_off", true, false, false, 4, 8,
       kAlwaysValid | kVstTransportPlaying | kVstCyclePosValid},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    TransportSettings s;
    s.playing = c.playing;
    s.recording = c.recording;
    s.cycleActive = c.cycleActive;
    s.cycleStartPpq = c.cycleStart;
    s.cycleEndPpq = c.cycleEnd;
    Transport transport(s, 44100);
    transport.Advance(64); // past the first block, which reports a change
    const VstTimeInfo info = transport.TimeInfo();
    EXPECT_EQ(c.flags, info.flags);
    if (info.flags & kVstCyclePosValid)
    {
      EXPECT_EQ(c.cycleStart, info.cycleStartPos);
      EXPECT_EQ(c.cycleEnd, info.cycleEndPos);
    }
  }
}

TEST(Transport, ChangedFlagLastsOneBlock)
{
  Transport transport(TransportSettings(), 44100);
  EXPECT_TRUE(transport.TimeInfo().flags & kVstTransportChanged) << "first block";
  transport.Advance(64);
  EXPECT_FALSE(transport.TimeInfo().flags & kVstTransportChanged);

  transport.SetTempo(100); // a tempo change is not a transport change
  EXPECT_FALSE(transport.TimeInfo().flags & kVstTransportChanged);
  transport.SetPlaying(false);
  EXPECT_TRUE(transport.TimeInfo().flags & kVstTransportChanged) << "stop";
  transport.Advance(64); // stopped blocks still end the change
  EXPECT_FALSE(transport.TimeInfo().flags & kVstTransportChanged);
  transport.Locate(8.0);
  EXPECT_TRUE(transport.TimeInfo().flags & kVstTransportChanged) << "relocation";
}

TEST(Transport, CycleWrapsBothPositions)
{
  TransportSettings s = settings(120, 4, 4, 7.0);
  s.cycleActive = true;
  s.cycleStartPpq = 4.0;
  s.cycleEndPpq = 8.0;
  Transport transport(s, 44100);
  transport.Advance(64);
  transport.Advance(44100 - 64); // two quarters: 9.0 wraps to 5.0

  const VstTimeInfo info = transport.TimeInfo();
  EXPECT_NEAR(5.0, info.ppqPos, 1e-9);
  EXPECT_NEAR(5.0 * 22050, info.samplePos, 1e-6);
  EXPECT_EQ(4.0, info.barStartPos);
  EXPECT_TRUE(info.flags & kVstTransportChanged);
}

TEST(Transport, TempoChangeKeepsPositionAndChangesRate)
{
  Transport transport(settings(120, 4, 4), 44100);
  transport.Advance(22050);
  transport.SetTempo(60);
  transport.Advance(22050);
  const VstTimeInfo info = transport.TimeInfo();
  EXPECT_NEAR(1.5, info.ppqPos, 1e-12);
  EXPECT_EQ(44100.0, info.samplePos);
  EXPECT_EQ(60.0, info.tempo);
}

TEST(Transport, SampleRateChangeKeepsTime)
{
  Transport transport(settings(120, 4, 4), 44100);
  transport.Advance(44100);
  transport.SetSampleRate(88200);
  const VstTimeInfo info = transport.TimeInfo();
  EXPECT_EQ(88200.0, info.samplePos);
  EXPECT_NEAR(2.0, info.ppqPos, 1e-12);
  EXPECT_NEAR(1e9, info.nanoSeconds, 1e-3);
  transport.Advance(44100);
  EXPECT_NEAR(3.0, transport.PpqPos(), 1e-12);
}

TEST(Transport, SamplesToNearestMidiClock)
{
  // 120 bpm at 44.1 kHz: 22050 samples per quarter, 918.75 per clock.
  const struct
  {
    double ppq;
    int samples;
  } cases[] = {{0.0, 0}, {1.0 / 24.0, 0}, {0.02, -441}, {0.03, 257}};
  for (const auto& c : cases)
  {
    Transport transport(settings(120, 4, 4, c.ppq), 44100);
    EXPECT_EQ(c.samples, transport.TimeInfo().samplesToNextClock) << "at ppq " << c.ppq;
  }
}
