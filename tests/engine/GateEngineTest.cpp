#include "GateEngine.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>
#include <vector>

namespace
{
struct NoteEvent
{
  bool on;
  int barSample;
  bool operator==(const NoteEvent& o) const { return on == o.on && barSample == o.barSample; }
};

std::ostream& operator<<(std::ostream& os, const NoteEvent& e)
{
  return os << (e.on ? "on@" : "off@") << e.barSample;
}

// The engine, listening to its own gate: every note event is logged with
// the bar sample it happens on and the step being played.
class EngineProbe : public GateEngine, public GateEngine::GateListener
{
public:
  EngineProbe() { setGateListener(this); }

  void gateChanged(bool open, int barSample) override
  {
    events.push_back({open, barSample});
    if (open)
    {
      stepsAtNoteOn.push_back(stepIndex());
    }
  }

  // The amplitude envelope open at level 1: pressed like "Push!!" in MIDI
  // gate mode, through its attack, with no decay down from 1. The filter
  // envelope opens too, which only pushes the default cutoff further into
  // its clamp. The gate mode and the event log are left as they were.
  void openAmpEnvelope()
  {
    const EGateMode mode = gateMode();
    setAmpEnvelopeStage(EnvelopeGenerator::Decay, 0.0);
    setAmpEnvelopeStage(EnvelopeGenerator::Sustain, 1.0);
    setGateMode(kMidiGateMode);
    push(true);
    setGateMode(mode);
    events.clear();
    stepsAtNoteOn.clear();
  }

  // The amplitude envelope held open at level 1 for good: no step's
  // note-off ever comes due (with every step off, nothing retriggers).
  void holdGate()
  {
    openAmpEnvelope();
    setNoteLength(1e9);
  }

  std::vector<NoteEvent> noteOns() const
  {
    std::vector<NoteEvent> ons;
    for (const NoteEvent& e : events)
    {
      if (e.on)
      {
        ons.push_back(e);
      }
    }
    return ons;
  }

  // Transport playing from ppq, 120 BPM at 44.1 kHz by default.
  void play(double ppq = 0.0, double tempo = 120.0)
  {
    timeInfo().mPPQPos = ppq;
    timeInfo().mTempo = tempo;
    timeInfo().mTransportIsRunning = true;
  }

  // Renders n samples of a constant input in blocks, moving the host's
  // position between blocks as a playing transport would.
  std::vector<double> render(int n, double input = 1.0, int blockSize = 0)
  {
    blockSize = blockSize > 0 ? blockSize : (n > 0 ? n : 1);
    std::vector<double> in(static_cast<size_t>(n), input), out(static_cast<size_t>(n));
    const double start = timeInfo().mPPQPos;
    for (int done = 0; done < n || n == 0;)
    {
      int block = std::min(blockSize, n - done);
      double* ins[] = {in.data() + done, in.data() + done};
      double* outs[] = {out.data() + done, out.data() + done};
      renderBlock(ins, outs, block);
      done += block;
      if (timeInfo().mTransportIsRunning && start >= 0.0)
      {
        timeInfo().mPPQPos = start + done * (timeInfo().mTempo / 60.0) / sampleRateInt();
      }
      if (n == 0)
      {
        break;
      }
    }
    return out;
  }

  std::vector<NoteEvent> events;
  std::vector<int> stepsAtNoteOn;
};
} // namespace

// "Arp Speed" sets how long a step lasts: the sequencer moves to the next
// step, and opens the gate for it, after exactly that many samples. At 60 BPM
// and 32768 Hz a quarter note is 32768 samples and every step length is a
// whole number of samples. An index outside 0 to 9 is clamped: below it the
// longest step, above it the shortest.
TEST(GateEngine, ArpSpeedSetsWhenTheSequencerMovesOn)
{
  const int kQuarter = 32768;
  struct Case
  {
    int arpSpeed;
    int stepSamples;
    const char* noteValue;
  };
  const Case cases[] = {
      {0, kQuarter, "a quarter note (below the parameter's range)"},
      {1, kQuarter / 2, "an eighth note"},
      {2, kQuarter * 7 / 16, "7/64"},
      {3, kQuarter * 3 / 8, "a dotted sixteenth"},
      {4, kQuarter * 5 / 16, "5/64"},
      {5, kQuarter / 4, "a sixteenth note"},
      {6, kQuarter * 3 / 16, "a dotted 32nd"},
      {7, kQuarter / 8, "a 32nd note"},
      {8, kQuarter / 16, "a 64th note"},
      {9, kQuarter / 32, "a 128th note"},
      {-1, kQuarter, "as index 0"},
      {INT_MIN, kQuarter, "as index 0"},
      {10, kQuarter / 32, "as index 9"},
      {1000, kQuarter / 32, "as index 9"},
      {INT_MAX, kQuarter / 32, "as index 9"},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(std::to_string(c.arpSpeed) + ": " + c.noteValue);
    EngineProbe engine;
    for (int step = 0; step < GateEngine::kNumSteps; ++step)
    {
      engine.setStepOn(step, true);
    }
    engine.setSampleRate(kQuarter);
    engine.setStepLength(GateEngine::stepLengthFor(c.arpSpeed));
    engine.play(0.0, 60.0);
    int rendered = 0;
    auto renderTo = [&](int sample)
    {
      engine.render(sample - rendered, 1.0, 512);
      rendered = sample;
    };
    // The lit step changes on the first sample of the next step, not before.
    for (int step = 1; step <= 3; ++step)
    {
      renderTo(step * c.stepSamples);
      EXPECT_EQ(step - 1, engine.displayedStep()) << "on the last sample of step " << step - 1;
      renderTo(step * c.stepSamples + 1);
      EXPECT_EQ(step, engine.displayedStep()) << "on the first sample of step " << step;
    }
    // Each step opens the gate on its 20th sample.
    renderTo(3 * c.stepSamples + 20);
    const int s = c.stepSamples;
    EXPECT_EQ((std::vector<NoteEvent>{
                  {true, 19}, {true, s + 19}, {true, 2 * s + 19}, {true, 3 * s + 19}}),
              engine.noteOns());
    EXPECT_EQ((std::vector<int>{0, 1, 2, 3}), engine.stepsAtNoteOn);
  }
}

TEST(GateEngine, BarFieldsFromTheHostPosition)
{
  struct Case
  {
    double ppq;
    int numerator;
    double tempo;
    double barPosition;
    int barSample;
    int samplesPerBar;
  };
  const Case cases[] = {
      {5.5, 4, 120.0, 1.5, 33075, 88200},
      {-1.0, 4, 120.0, -1.0, -22050, 88200}, // no position from the host
      {7.0, 3, 120.0, 1.0, 22050, 88200},    // 3/4 wraps every 3 quarters, bars stay 4
      {0.0, 4, 60.0, 0.0, 0, 176400},
  };
  for (const Case& c : cases)
  {
    EngineProbe engine;
    engine.timeInfo().mPPQPos = c.ppq;
    engine.timeInfo().mNumerator = c.numerator;
    engine.timeInfo().mTempo = c.tempo;
    engine.render(0);
    EXPECT_DOUBLE_EQ(c.barPosition, engine.barPosition()) << c.ppq;
    EXPECT_EQ(c.barSample, engine.barSample()) << c.ppq;
    EXPECT_EQ(c.samplesPerBar, engine.samplesPerBar()) << c.ppq;
  }
}

// A tempo or numerator of 0 (or none at all) must not divide by zero; the
// block keeps the bar fields it had.
TEST(GateEngine, UnusableTransportKeepsTheBarFields)
{
  struct Case
  {
    double tempo;
    int numerator;
    int sampleRate;
  };
  const Case cases[] = {{0.0, 4, 44100},
                        {120.0, 0, 44100},
                        {120.0, 4, 0},
                        {1e-300, 4, 44100},
                        {1.0, 1000, 44100}}; // a bar position near the end of int
  for (const Case& c : cases)
  {
    EngineProbe engine;
    engine.play(5.5);
    engine.render(0);
    engine.timeInfo().mTempo = c.tempo;
    engine.timeInfo().mNumerator = c.numerator;
    engine.setSampleRate(c.sampleRate);
    engine.timeInfo().mPPQPos = c.numerator == 1000 ? 2147483647.5 / 2646000.0 : 5.5;
    std::vector<double> out = engine.render(1000);
    EXPECT_EQ(88200, engine.samplesPerBar());
    for (double v : out)
    {
      ASSERT_TRUE(std::isfinite(v));
    }
  }
}

TEST(GateEngine, StepsFireOnTheirSamplesWithTheRetriggerDelay)
{
  // 120 BPM at 44.1 kHz, "Arp Speed" 5: 1378 samples per 64th, steps of
  // 5512. A fired step's note-on comes on its 20th sample.
  EngineProbe engine;
  for (int step : {0, 1, 5})
  {
    engine.setStepOn(step, true);
  }
  engine.play();
  engine.render(88200);
  EXPECT_EQ((std::vector<NoteEvent>{{true, 19}, {true, 5512 + 19}, {true, 5 * 5512 + 19}}),
            engine.noteOns());
}

TEST(GateEngine, NoteOffComesAHundredSamplesBeforeTheStepEnds)
{
  EngineProbe engine;
  engine.setStepOn(0, true);
  engine.play();
  engine.render(2 * 5512);
  EXPECT_EQ((std::vector<NoteEvent>{{true, 19}, {false, 5412}}), engine.events)
      << "one note-off per fired step; the off step after it sends nothing";
}

TEST(GateEngine, ShortPatternRestartsAtTheBarLine)
{
  // "Arp Intervall" 3: the index runs 0, 1, 2, 0, ... over the step starts;
  // the start at 88192 is 8 samples before the bar line and resets to 0, and
  // the bar line itself fires nothing.
  EngineProbe engine;
  engine.setNumSteps(3);
  for (int step = 0; step < GateEngine::kNumSteps; ++step)
  {
    engine.setStepOn(step, true);
  }
  engine.play();
  engine.render(88200 + 5512 + 20);
  const std::vector<int> expected = {0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 0, 1};
  EXPECT_EQ(expected, engine.stepsAtNoteOn);
  std::vector<NoteEvent> ons = engine.noteOns();
  ASSERT_EQ(18u, ons.size());
  EXPECT_EQ(11, ons[16].barSample) << "fired at 88192, its note-on 19 samples later in the new bar";
}

// A bar of more than four beats runs its position past the four-beat bar
// length until the next block recomputes it; only reaching the length wraps.
// Wrapping on passing it restarted the pattern on every block of the bar's
// last beats.
TEST(GateEngine, LongBarsDoNotRetriggerEveryBlock)
{
  for (int numerator : {5, 6, 7})
  {
    EngineProbe engine;
    for (int step = 0; step < GateEngine::kNumSteps; ++step)
    {
      engine.setStepOn(step, true);
    }
    engine.timeInfo().mNumerator = numerator;
    engine.play();
    const int samplesPerBar = numerator * 22050;
    engine.render(2 * samplesPerBar, 1.0, 512);
    // One step a sixteenth note, at most one more where the bar line and a
    // step start fall into the same window.
    const size_t steps = static_cast<size_t>(2 * numerator * 4);
    EXPECT_GE(engine.noteOns().size(), steps - 1) << numerator;
    EXPECT_LE(engine.noteOns().size(), steps + 2) << numerator;
  }
}

TEST(GateEngine, StoppedTransportFreezesThePattern)
{
  EngineProbe engine;
  engine.setStepOn(0, true);
  engine.play();
  engine.timeInfo().mTransportIsRunning = false;
  engine.render(20000);
  EXPECT_TRUE(engine.events.empty());
  EXPECT_EQ(EnvelopeGenerator::Off, engine.ampEnvelope().getCurrentStage());
}

TEST(GateEngine, VeryShortNotesReleaseBeforeTheirOwnNoteOn)
{
  // "Arp Speed" 9, "Seq Note Len" 0.01: steps of 689 samples and a note-off
  // threshold near 7 samples, so each step's note-off precedes its note-on
  // and the envelope stays open until the next step's note-off.
  EngineProbe engine;
  engine.setStepLength(GateEngine::stepLengthFor(9));
  engine.setNoteLength(0.01);
  engine.setStepOn(0, true);
  engine.setStepOn(1, true);
  engine.play();
  engine.render(720);
  const std::vector<NoteEvent> expected = {
      {false, 0}, {false, 1}, {true, 19}, {false, 690}, {true, 708}};
  EXPECT_EQ(expected, engine.events);
}

TEST(GateEngine, RetriggerFadesTheWetSignalOutOverNineteenSamples)
{
  EngineProbe engine;
  engine.setStepOn(0, true);
  engine.openAmpEnvelope();
  const double settled = engine.render(2000).back(); // transport stopped: filter settles
  engine.play();
  std::vector<double> out = engine.render(25);
  for (int s = 0; s < 19; ++s)
  {
    EXPECT_NEAR(1.0 - 0.05 * (s + 1), out[static_cast<size_t>(s)] / settled, 1e-5) << s;
  }
  EXPECT_LT(out[19], 1e-3) << "the 20th sample restarts the envelope from its floor";
  EXPECT_EQ((std::vector<NoteEvent>{{true, 19}}), engine.noteOns());
}

TEST(GateEngine, MidiGateModeFollowsNotesAtTheirOffsetsInEveryBlock)
{
  EngineProbe engine;
  engine.setGateMode(GateEngine::kMidiGateMode);
  auto send = [&](unsigned char status, int note, int velocity, int offset)
  {
    IMidiMsg msg(offset, status, static_cast<unsigned char>(note),
                 static_cast<unsigned char>(velocity));
    engine.queueMidi(&msg);
  };
  std::vector<double> in(64, 1.0), out(64);
  double* ins[] = {in.data(), in.data()};
  double* outs[] = {out.data(), out.data()};
  auto block = [&] { engine.renderBlock(ins, outs, 64); };
  block();
  block();
  send(0x90, 60, 100, 10); // block 2
  block();
  EXPECT_LT(out[9], 1e-3);
  EXPECT_GT(out[11], out[10]);
  for (int b = 0; b < 8; ++b) // past the attack
  {
    block();
  }
  send(0x90, 64, 100, 33); // legato: restarts from the floor
  block();
  EXPECT_GT(out[32], 0.1);
  EXPECT_LT(out[33], 1e-3);
  send(0x80, 60, 0, 5); // the older note: nothing
  block();
  EXPECT_EQ(EnvelopeGenerator::Attack, engine.ampEnvelope().getCurrentStage());
  for (int b = 0; b < 8; ++b)
  {
    block();
  }
  send(0x80, 64, 0, 40);
  block();
  EXPECT_EQ(EnvelopeGenerator::Release, engine.ampEnvelope().getCurrentStage());
  EXPECT_GT(out[39], out[63]);
}

TEST(GateEngine, WetPathLevels)
{
  // Dry/wet 0 passes the input; wet 1 with the envelope held at 1 and no LFO
  // depth gives half the (settled) filtered input.
  EngineProbe dry;
  dry.setDryWet(0.0);
  std::vector<double> out = dry.render(100, 0.3);
  EXPECT_EQ(0.3, out[99]);

  EngineProbe wet;
  wet.setGateMode(GateEngine::kMidiGateMode);
  wet.openAmpEnvelope();
  out = wet.render(2000, 0.3);
  EXPECT_NEAR(0.15, out[1999], 1e-6);

  // No note in MIDI gate mode: the floor of the envelope, -80 dB.
  EngineProbe idle;
  idle.setGateMode(GateEngine::kMidiGateMode);
  out = idle.render(2000, 1.0);
  EXPECT_NEAR(0.5 * 0.0001, out[1999], 1e-7);
}

TEST(GateEngine, LfosRestartOnEveryBarLine)
{
  EngineProbe engine;
  engine.setAmpLFOMode(Sine);
  engine.play(3.5);
  engine.render(1000);
  EXPECT_GT(engine.ampLFO().getPhase(), 0.0);
  engine.timeInfo().mPPQPos = 4.0; // a bar line
  engine.render(5);
  // Held at phase 0 in the bar's first samples: the last one advanced it once.
  EXPECT_DOUBLE_EQ(2.0 * 3.141592653589793 * 6.0 / 44100.0, engine.ampLFO().getPhase());
}

TEST(GateEngine, LfoRetuningFollowsRateTripletAndTempo)
{
  struct Case
  {
    int rate;
    bool triplet;
    double tempo;
    double hz;
  };
  const Case cases[] = {{4, false, 120.0, 4.0},
                        {4, true, 120.0, 6.0},
                        {128, false, 120.0, 128.0},
                        {128, true, 120.0, 192.0},
                        {1, false, 90.0, 0.75}};
  for (const Case& c : cases)
  {
    EngineProbe engine;
    engine.timeInfo().mTempo = c.tempo;
    engine.setAmpLFORate(c.rate);
    engine.setAmpLFOTriplet(c.triplet);
    EXPECT_DOUBLE_EQ(c.hz, engine.ampLFO().getFrequency());
  }
}

TEST(GateEngine, DisplayedStepIsTheStepPlayingAtEachBlocksEnd)
{
  EngineProbe engine;
  EXPECT_EQ(0, engine.displayedStep()) << "before the first block";
  engine.play();
  engine.render(7 * 5512 + 20, 1.0, 512);
  EXPECT_EQ(7, engine.displayedStep());
  engine.render(0);
  EXPECT_EQ(7, engine.displayedStep()) << "an empty block keeps it";
}

TEST(GateEngine, SameOutputAtEveryBlockSize)
{
  // Plain, and swung with levels that change from step to step: a swung
  // step or a level ramp must not restart where a block begins.
  for (bool feel : {false, true})
  {
    std::vector<double> reference;
    for (int blockSize : {1, 7, 64, 512, 4096})
    {
      EngineProbe engine;
      for (int step : {0, 1, 3, 9})
      {
        engine.setStepOn(step, true);
      }
      engine.setAmpLFODepth(0.5);
      if (feel)
      {
        engine.setSwing(0.6);
        for (int step = 0; step < GateEngine::kNumSteps; ++step)
        {
          engine.setStepLevel(step, 0.2 + 0.05 * step);
        }
      }
      // 32768 samples per quarter note: every host position is exact in
      // binary, so each block starts on exactly the sample the last one
      // ended.
      engine.setSampleRate(32768.0);
      engine.play(0.0, 60.0);
      std::vector<double> out = engine.render(2 * 32768 * 4, 0.25, blockSize);
      if (reference.empty())
      {
        reference = out;
      }
      else
      {
        for (size_t s = 0; s < out.size(); ++s)
        {
          ASSERT_NEAR(reference[s], out[s], 1e-12)
              << (feel ? "swung, levels: " : "") << "block size " << blockSize << " sample " << s;
        }
      }
    }
  }
}

// Swing delays every second step of the bar's grid by d = round(swing * L /
// 2) samples and lengthens the step before it by as much. Every step is on,
// so each step start shows as a note-on 19 samples later (the retrigger
// fade); the pattern's steps are checked over one bar, at both common
// rates, at the usual swing amounts and at step lengths from an eighth note
// down to a 128th.
TEST(GateEngine, SwingDelaysEverySecondStepOfTheBar)
{
  for (double rate : {44100.0, 48000.0})
  {
    for (double swing : {0.0, 1.0 / 3.0, 2.0 / 3.0, 1.0})
    {
      for (int arpSpeed : {1, 3, 5, 9})
      {
        EngineProbe engine;
        engine.setSampleRate(rate);
        engine.setStepLength(GateEngine::stepLengthFor(arpSpeed));
        engine.setSwing(swing);
        for (int step = 0; step < GateEngine::kNumSteps; ++step)
        {
          engine.setStepOn(step, true);
        }
        engine.play(0.0, 120.0);
        const int samplesPerBar = static_cast<int>(rate) * 2;
        engine.render(samplesPerBar - 200, 1.0, 256);

        const int stepSamples =
            static_cast<int>(GateEngine::stepLengthFor(arpSpeed) * (static_cast<int>(rate) / 32));
        const int d = static_cast<int>(std::lround(swing * stepSamples / 2.0));
        EXPECT_EQ(d, engine.swingSamples());
        std::vector<NoteEvent> expected;
        for (int k = 0; k * stepSamples + (k % 2 ? d : 0) + 19 < samplesPerBar - 200; ++k)
        {
          expected.push_back({true, k * stepSamples + (k % 2 ? d : 0) + 19});
        }
        EXPECT_EQ(expected, engine.noteOns())
            << rate << " Hz, swing " << swing << ", Arp Speed " << arpSpeed;
      }
    }
  }
}

// The note length is a fraction of the swung step: at full swing the early
// step of a pair lasts 1.5 steps and the late one half a step, so a note of
// half a step ends 0.75 and 0.25 steps after their starts, wherever blocks
// begin.
TEST(GateEngine, SwungNotesLastTheirFractionOfTheSwungStep)
{
  for (int blockSize : {1, 64, 2 * 5512})
  {
    EngineProbe engine;
    engine.setSwing(1.0);
    engine.setNoteLength(0.5);
    engine.setStepOn(0, true);
    engine.setStepOn(1, true);
    engine.play();
    engine.render(2 * 5512, 1.0, blockSize);
    // Steps of 5512 samples at 120 BPM and 44.1 kHz; d = 2756. A note-off
    // comes 100 samples before its point.
    const std::vector<NoteEvent> expected = {{true, 19},
                                             {false, 4134 - 100},
                                             {true, 5512 + 2756 + 19},
                                             {false, 5512 + 2756 + 1378 - 100}};
    EXPECT_EQ(expected, engine.events) << "blocks of " << blockSize;
  }
}

TEST(GateEngine, SwingLeavesMidiGateModeAlone)
{
  EngineProbe engine;
  engine.setGateMode(GateEngine::kMidiGateMode);
  engine.setSwing(1.0);
  engine.play();
  IMidiMsg on(5000, 0x90, 60, 100), off(6000, 0x80, 60, 0);
  engine.queueMidi(&on);
  engine.queueMidi(&off);
  engine.render(8192);
  EXPECT_EQ((std::vector<NoteEvent>{{true, 5000}, {false, 6000}}), engine.events);
}

// Levels scale the gated signal. The gate is held open with every step off,
// so nothing retriggers: each step's output is the settled wet signal times
// its level, reached within the ramp after the step's start.
TEST(GateEngine, StepLevelsScaleTheGatedSignal)
{
  EngineProbe engine;
  engine.holdGate();
  engine.setStepLevel(1, 0.5);
  engine.setStepLevel(2, 0.0);
  engine.play();
  std::vector<double> out = engine.render(3 * 5512);
  const double full = out[5511];
  ASSERT_GT(full, 0.4);
  EXPECT_NEAR(0.5, out[2 * 5512 - 1] / full, 1e-9) << "step 2 at level 0.5";
  EXPECT_EQ(0.0, out[3 * 5512 - 1]) << "step 3 at level 0";
  EXPECT_NEAR(full, out[5512 + 20], 0.1 * full) << "ramped, not switched, at the step's start";

  // MIDI gate mode has no steps: the gated signal goes back to full level.
  engine.setGateMode(GateEngine::kMidiGateMode);
  out = engine.render(1000);
  EXPECT_NEAR(full, out.back(), 1e-9);
}

// A level change never jumps: under a held note, whether the level of the
// playing step changes or the next step brings another level, the output
// moves by no more per sample than the ramp allows, where switching at once
// would jump by the whole difference.
TEST(GateEngine, LevelChangesAreRampedWithoutClicks)
{
  struct Case
  {
    const char* what;
    double rate;
    double from;
    double to;
    bool nextStep; // else the playing step's level changes mid-step
  };
  const Case cases[] = {{"level of the playing step, down", 44100.0, 1.0, 0.1, false},
                        {"level of the playing step, up", 48000.0, 0.0, 1.0, false},
                        {"the next step's level", 44100.0, 1.0, 0.0, true},
                        {"the next step's level", 96000.0, 0.25, 1.0, true}};
  for (const Case& c : cases)
  {
    EngineProbe engine;
    engine.setSampleRate(c.rate);
    engine.holdGate();
    for (int step = 0; step < GateEngine::kNumSteps; ++step)
    {
      engine.setStepLevel(step, step > 0 && c.nextStep ? c.to : c.from);
    }
    engine.play();
    std::vector<double> out = engine.render(3000, 1.0, 64);
    for (int step = 0; step < GateEngine::kNumSteps && !c.nextStep; ++step)
    {
      engine.setStepLevel(step, c.to);
    }
    std::vector<double> rest = engine.render(static_cast<int>(c.rate / 4), 1.0, 64);
    out.insert(out.end(), rest.begin(), rest.end());

    // Settled wet level at full scale: the held envelope at 1 gives half the
    // filtered DC input.
    const double full = 0.5;
    const double ramp = GateEngine::kLevelRampSeconds * c.rate;
    double largest = 0.0;
    for (size_t n = 2000; n < out.size(); ++n)
    {
      largest = std::max(largest, std::fabs(out[n] - out[n - 1]));
    }
    EXPECT_LT(largest, 1.05 * full * std::fabs(c.to - c.from) / ramp) << c.what << " " << c.rate;
    EXPECT_NEAR(c.to * full, out.back(), 1e-6) << c.what << " " << c.rate;
  }
}
