// Kolvane through its LV2 entry points, in process: the transport and MIDI
// the event port carries, control ports, the state interface against the
// VST2 chunk, and input a host must not send. Every operator new in this
// executable is counted while a window is open: the audio path allocates
// nothing, whatever arrives.

#include "AllocationWindow.h"
#include "FakeHost.h"
#include "IPlugVST.h"
#include "Lv2TestHost.h"
#include "Transport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

namespace
{
using Property = SequenceBuilder::Property;

double Rms(const std::vector<float>& samples, int from, int to)
{
  double sum = 0.0;
  for (int s = from; s < to; ++s)
  {
    sum += double(samples[size_t(s)]) * samples[size_t(s)];
  }
  return to > from ? std::sqrt(sum / (to - from)) : 0.0;
}

void FillInput(Lv2Kolvane& k, float level)
{
  for (int s = 0; s < Lv2Kolvane::kFrames; ++s)
  {
    // A 441 Hz square wave: loud enough to hear a gate open at once.
    k.mInL[size_t(s)] = k.mInR[size_t(s)] = (s / 50) % 2 ? level : -level;
  }
}

std::vector<Property> Playing(double bar, double barBeat, double bpm = 120.0)
{
  return {{LV2_TIME__bar, LV2_ATOM__Long, bar},
          {LV2_TIME__barBeat, LV2_ATOM__Double, barBeat},
          {LV2_TIME__beatsPerBar, LV2_ATOM__Float, 4.0},
          {LV2_TIME__beatUnit, LV2_ATOM__Int, 4.0},
          {LV2_TIME__beatsPerMinute, LV2_ATOM__Double, bpm},
          {LV2_TIME__speed, LV2_ATOM__Float, 1.0}};
}

TEST(Lv2Adapter, PortsAreChannelsThenEventsThenParametersThenReadoutsThenTransport)
{
  TestUridMap map;
  Lv2Kolvane k(map);
  ASSERT_NE(nullptr, k.mHandle);
  const IPlugLV2::PortLayout layout = IPlugLV2::Layout(*k.Plug());
  EXPECT_EQ(0u, layout.audioIn);
  EXPECT_EQ(2u, layout.nAudioIn);
  EXPECT_EQ(2u, layout.audioOut);
  EXPECT_EQ(2u, layout.nAudioOut);
  EXPECT_EQ(4u, layout.events);
  EXPECT_EQ(5u, layout.controls);
  EXPECT_EQ(59u, layout.nControls);
  EXPECT_EQ(64u, layout.readouts) << "after every control, so a new parameter moves no control";
  EXPECT_EQ(1u, layout.nReadouts);
  EXPECT_EQ(65u, layout.transport) << "after the readouts, so no earlier port moves";
  EXPECT_EQ(66u, layout.count);
  EXPECT_STREQ("LV2", k.Plug()->GetAPIString());
}

// What one time:Position at the block's start tells the engine.
TEST(Lv2Adapter, TimePositionBecomesTheTransport)
{
  struct Case
  {
    const char* what;
    std::vector<Property> position;
    double ppq;
    double tempo;
    int numerator;
    int denominator;
    bool running;
  };
  const Case cases[] = {
      {"bar and beat in 4/4", Playing(2, 1.5, 140.0), 9.5, 140.0, 4, 4, true},
      {"beats of eighths in 6/8",
       {{LV2_TIME__bar, LV2_ATOM__Long, 1},
        {LV2_TIME__barBeat, LV2_ATOM__Float, 3},
        {LV2_TIME__beatsPerBar, LV2_ATOM__Float, 6},
        {LV2_TIME__beatUnit, LV2_ATOM__Int, 8},
        {LV2_TIME__beatsPerMinute, LV2_ATOM__Float, 240},
        {LV2_TIME__speed, LV2_ATOM__Float, 1}},
       4.5,
       120.0,
       6,
       8,
       true},
      {"stopped",
       {{LV2_TIME__bar, LV2_ATOM__Int, 3},
        {LV2_TIME__barBeat, LV2_ATOM__Float, 0},
        {LV2_TIME__beatsPerMinute, LV2_ATOM__Float, 90},
        {LV2_TIME__speed, LV2_ATOM__Float, 0}},
       12.0,
       90.0,
       4,
       4,
       false},
      {"an absolute beat only",
       {{LV2_TIME__beat, LV2_ATOM__Double, 10.25}, {LV2_TIME__speed, LV2_ATOM__Double, 1}},
       10.25,
       120.0,
       4,
       4,
       true},
  };
  for (const Case& c : cases)
  {
    TestUridMap map;
    Lv2Kolvane k(map);
    k.Activate();
    k.mEvents.Position(0, c.position);
    k.Run(64);
    const ITimeInfo& t = k.Time();
    EXPECT_EQ(c.ppq, t.mPPQPos) << c.what;
    EXPECT_EQ(c.tempo, t.mTempo) << c.what;
    EXPECT_EQ(c.numerator, t.mNumerator) << c.what;
    EXPECT_EQ(c.denominator, t.mDenominator) << c.what;
    EXPECT_EQ(c.running, t.mTransportIsRunning) << c.what;
  }
}

// Between positions the adapter moves the transport on exactly as the
// project's VST2 host does, so that the two formats play the same bars.
TEST(Lv2Adapter, TransportMovesOnLikeTheVst2Host)
{
  TestUridMap map;
  Lv2Kolvane k(map, 44100.0);
  k.Activate();
  vsthost::TransportSettings settings;
  settings.tempo = 133.7;
  settings.startPpq = 2.5;
  vsthost::Transport host(settings, 44100.0);
  k.mEvents.Position(0, Playing(0, 2.5, 133.7));
  for (int block = 0; block < 50; ++block)
  {
    k.Run(300);
    ASSERT_EQ(host.PpqPos(), k.Time().mPPQPos) << "block " << block;
    host.Advance(300);
    k.mEvents.Clear();
  }
  // A position in the middle of a block starts a new piece there.
  k.mEvents.Position(100, Playing(7, 1.0, 133.7));
  k.Run(300);
  EXPECT_EQ(29.0, k.Time().mPPQPos);
  EXPECT_TRUE(k.Time().mTransportIsRunning);
}

// A host may feed the events port only where MIDI is routed to the plug-in
// and give it an empty sequence elsewhere (an audio track): the transport
// port then brings the positions. Whichever port carries them, or both with
// the same positions, the plug-in plays the same samples: a start, a jump
// in the middle of a block, and a stop.
TEST(Lv2Adapter, EitherAtomPortBringsTheTransport)
{
  enum Via
  {
    kEventsPort,
    kTransportPort,
    kBoth
  };
  struct Case
  {
    const char* what;
    Via via;
  };
  const Case cases[] = {{"the events port", kEventsPort},
                        {"the transport port", kTransportPort},
                        {"both ports", kBoth}};
  const int kBlock = 512, kBlocks = 40;
  std::vector<float> reference;
  int referenceStep = -1;
  for (const Case& c : cases)
  {
    TestUridMap map;
    Lv2Kolvane k(map);
    FillInput(k, 0.5f);
    k.Activate();
    auto position = [&](int64_t frame, const std::vector<Property>& properties)
    {
      if (c.via != kTransportPort)
      {
        k.mEvents.Position(frame, properties);
      }
      if (c.via != kEventsPort)
      {
        k.mTransport.Position(frame, properties);
      }
    };
    std::vector<float> played;
    for (int block = 0; block < kBlocks; ++block)
    {
      if (block == 0)
      {
        position(0, Playing(0, 0));
      }
      else if (block == 13)
      {
        position(300, Playing(4, 2.5)); // a jump within the block
      }
      else if (block == 30)
      {
        std::vector<Property> stopped = Playing(5, 0.5);
        stopped.back().value = 0.0;
        position(100, stopped);
      }
      k.Run(kBlock);
      k.mEvents.Clear();
      k.mTransport.Clear();
      played.insert(played.end(), k.mOutL.begin(), k.mOutL.begin() + kBlock);
      if (block == 12)
      {
        EXPECT_TRUE(k.Time().mTransportIsRunning) << c.what;
      }
    }
    EXPECT_FALSE(k.Time().mTransportIsRunning) << c.what;
    EXPECT_GT(Rms(played, 0, kBlock * 12), 0.05) << c.what << ": step mode plays";
    if (reference.empty())
    {
      reference = played;
      referenceStep = k.Plug()->engine().displayedStep();
    }
    else
    {
      EXPECT_TRUE(reference == played) << c.what << " against the events port";
      EXPECT_EQ(referenceStep, k.Plug()->engine().displayedStep()) << c.what;
    }
  }
}

// Run stamps events in frames whatever the sequence's unit field says: a
// host may leave the field 0, name a frame unit, or leave whatever its
// buffer held there. Only a sequence that says it counts in beats is passed
// over.
TEST(Lv2Adapter, EventsCountInFramesUnlessTheSequenceSaysBeats)
{
  struct Case
  {
    const char* what;
    const char* unit; // null: the raw value below
    uint32_t raw;
    bool read;
  };
  const Case cases[] = {
      {"no unit", nullptr, 0, true},
      {"atom:frameTime", LV2_ATOM__frameTime, 0, true},
      {"units:frame", LV2_UNITS__frame, 0, true},
      {"leftover bytes", nullptr, 21950, true},
      {"atom:beatTime", LV2_ATOM__beatTime, 0, false},
      {"units:beat", LV2_UNITS__beat, 0, false},
  };
  for (const Case& c : cases)
  {
    for (bool transportPort : {false, true})
    {
      TestUridMap map;
      Lv2Kolvane k(map);
      k.Activate();
      SequenceBuilder& sequence = transportPort ? k.mTransport : k.mEvents;
      sequence.Position(0, Playing(2, 1.0));
      sequence.Sequence()->body.unit = c.unit ? map.Map(c.unit) : c.raw;
      k.Run(64);
      EXPECT_EQ(c.read, k.Time().mTransportIsRunning)
          << c.what << (transportPort ? ", transport port" : ", events port");
      if (c.read)
      {
        EXPECT_EQ(9.0, k.Time().mPPQPos)
            << c.what << (transportPort ? ", transport port" : ", events port");
      }
    }
  }
}

// MIDI reaches the gate from the events port; the transport port takes
// positions only, and a note a host puts there anyway plays nothing.
TEST(Lv2Adapter, NotesComeFromTheEventsPortOnly)
{
  TestUridMap map;
  Lv2Kolvane quiet(map), events(map), transport(map);
  for (Lv2Kolvane* k : {&quiet, &events, &transport})
  {
    k->mControls[kStepOnOff] = 1.0f; // MIDI gate mode
    k->Activate();
    FillInput(*k, 0.5f);
    k->mTransport.Position(0, Playing(0, 0));
    k->Run(512);
    k->mTransport.Clear();
  }
  events.mEvents.Midi(100, {0x90, 60, 100});
  transport.mTransport.Midi(100, {0x90, 60, 100});
  for (Lv2Kolvane* k : {&quiet, &events, &transport})
  {
    k->Run(512);
  }
  EXPECT_GT(Rms(events.mOutL, 100, 512), 10.0 * Rms(quiet.mOutL, 100, 512));
  EXPECT_TRUE(quiet.mOutL == transport.mOutL);
}

// The step port holds the step playing at the last frame of each block, as
// a VST2 editor reads it from the engine after the block: at 120 BPM and
// 48 kHz each of the 16 steps lasts 6000 frames from the bar line. Blocks of
// many lengths, longer ones rendered in pieces, none ending within a few
// frames of a step's start, where rounding of the position may count the
// frame to either side.
TEST(Lv2Adapter, StepPortReportsTheStepPlayingAtTheEndOfEachBlock)
{
  const int kStepFrames = 6000, kBarFrames = 16 * kStepFrames;
  TestUridMap map;
  Lv2Kolvane k(map, 48000.0);
  k.Activate();
  k.mEvents.Position(0, Playing(0, 0));
  const int blocks[] = {1000, 333, 4999, 700, 2048, 1717};
  int played = 0, block = 0;
  while (played < 2 * kBarFrames + kStepFrames)
  {
    const int frames = blocks[block++ % 6];
    k.Run(static_cast<uint32_t>(frames));
    k.mEvents.Clear();
    played += frames;
    const int last = (played - 1) % kBarFrames;
    ASSERT_GT(std::min(last % kStepFrames, kStepFrames - last % kStepFrames), 8) << "the table";
    ASSERT_EQ(float(last / kStepFrames), k.mStep) << "block " << block << " ending at " << played;
  }

  // A jump to a bar line in the middle of a block: the end of the block is
  // 899 frames into the bar's first step.
  ASSERT_NE(0.0f, k.mStep);
  k.mEvents.Position(100, Playing(5, 0));
  k.Run(1000);
  EXPECT_EQ(0.0f, k.mStep);
  k.mEvents.Clear();
  k.Run(6000);
  EXPECT_EQ(1.0f, k.mStep);

  // A stopped transport keeps the last step, block after block, as the
  // engine does.
  std::vector<Property> stopped = Playing(5, 1.5);
  stopped.back().value = 0.0;
  k.mEvents.Clear();
  k.mEvents.Position(0, stopped);
  for (int i = 0; i < 4; ++i)
  {
    k.Run(7000);
    k.mEvents.Clear();
    EXPECT_EQ(1.0f, k.mStep) << "stopped, block " << i;
  }
  EXPECT_EQ(1, k.Plug()->engine().displayedStep());
}

// Two instances play the same; a note reaches one of them at frame 300 of
// a block: their outputs part there and not a frame sooner.
TEST(Lv2Adapter, MidiNotesOpenTheGateOnTheirFrame)
{
  TestUridMap map;
  Lv2Kolvane quiet(map), played(map);
  for (Lv2Kolvane* k : {&quiet, &played})
  {
    k->mControls[kStepOnOff] = 1.0f; // MIDI gate mode
    k->Activate();
    FillInput(*k, 0.5f);
    k->Run(512);
  }
  played.mEvents.Midi(300, {0x90, 60, 100});
  quiet.Run(512);
  played.Run(512);
  int parted = -1;
  for (int s = 0; s < 512 && parted < 0; ++s)
  {
    if (quiet.mOutL[size_t(s)] != played.mOutL[size_t(s)])
    {
      parted = s;
    }
  }
  EXPECT_EQ(300, parted);
  EXPECT_GT(Rms(played.mOutL, 300, 512), 10.0 * Rms(quiet.mOutL, 300, 512));
}

TEST(Lv2Adapter, ControlPortsChangeParametersOnlyWhenTheyMove)
{
  TestUridMap map;
  Lv2Kolvane k(map);
  k.Activate();
  k.Run(64);
  // A new instance keeps its exact defaults: the ports show them as floats.
  EXPECT_EQ(0.99, k.Plug()->GetParam(kFilterCutoff)->Value());

  k.mControls[kFilterCutoff] = 0.4f;
  k.mControls[kArpIntervall] = 7.0f;
  k.mControls[kDryWet] = NAN;           // ignored
  k.mControls[kFilterResonance] = 5.0f; // clamped into the range
  k.Run(64);
  EXPECT_EQ(double(0.4f), k.Plug()->GetParam(kFilterCutoff)->Value());
  EXPECT_EQ(7, k.Plug()->GetParam(kArpIntervall)->Int());
  EXPECT_EQ(1.0, k.Plug()->GetParam(kDryWet)->Value());
  EXPECT_EQ(1.0, k.Plug()->GetParam(kFilterResonance)->Value());

  // Restored state is exact; ports that the host sets to the same values,
  // as floats, leave it so.
  StateStore store;
  const LV2_State_Interface* state = k.State();
  k.Plug()->GetParam(kFilterCutoff)->Set(0.3);
  ASSERT_EQ(LV2_STATE_SUCCESS, state->save(k.mHandle, StateStore::Store, &store, 0, nullptr));
  k.Plug()->GetParam(kFilterCutoff)->Set(0.5);
  ASSERT_EQ(LV2_STATE_SUCCESS, state->restore(k.mHandle, StateStore::Retrieve, &store, 0, nullptr));
  k.mControls[kFilterCutoff] = 0.3f;
  k.Run(64);
  EXPECT_EQ(0.3, k.Plug()->GetParam(kFilterCutoff)->Value());
}

// ---- State ------------------------------------------------------------------

TEST(Lv2State, RoundTripsBetweenInstancesAsTheVst2Chunk)
{
  TestUridMap map;
  Lv2Kolvane a(map);
  a.mControls[kFilterCutoff] = 0.4f;
  a.mControls[kFilterType] = 2.0f;
  a.mControls[kStepSeq1 + 5] = 0.0f;
  a.mControls[kSeqNoteLen] = 0.25f;
  a.mControls[kSwing] = 0.6f;
  a.mControls[kStepLevel1 + 3] = 0.25f;
  a.Activate();
  a.Run(256);
  StateStore saved;
  ASSERT_EQ(LV2_STATE_SUCCESS, a.State()->save(a.mHandle, StateStore::Store, &saved, 0, nullptr));
  const uint32_t key = map.Map(std::string(Lv2Kolvane::kURI) + "#state");
  ASSERT_EQ(1u, saved.values.count(key));
  EXPECT_EQ(map.Map(LV2_ATOM__Chunk), saved.values[key].type);
  EXPECT_TRUE(saved.values[key].flags & LV2_STATE_IS_POD);
  // The program chunk of this version: header, every value, the mark.
  EXPECT_EQ(8u + 8 * kNumParams + 12, saved.values[key].bytes.size());

  Lv2Kolvane b(map);
  ASSERT_EQ(LV2_STATE_SUCCESS,
            b.State()->restore(b.mHandle, StateStore::Retrieve, &saved, 0, nullptr));
  for (int i = 0; i < kNumParams; ++i)
  {
    EXPECT_EQ(a.Plug()->GetParam(i)->Value(), b.Plug()->GetParam(i)->Value()) << "param " << i;
  }
  StateStore again;
  ASSERT_EQ(LV2_STATE_SUCCESS, b.State()->save(b.mHandle, StateStore::Store, &again, 0, nullptr));
  EXPECT_EQ(saved.values[key].bytes, again.values[key].bytes);

  // The VST2 edition's program chunk for the same values, byte for byte,
  // and either restores into the other.
  FakeHost host;
  AEffect* effect = VST2EntryPoint<Kolvane>(FakeHost::Callback);
  ASSERT_NE(nullptr, effect);
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetChunk, 1, static_cast<VstIntPtr>(saved.values[key].bytes.size()),
                     saved.values[key].bytes.data(), 0.0f);
  void* data = nullptr;
  const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f);
  ASSERT_GT(size, 0);
  const auto* bytes = static_cast<const uint8_t*>(data);
  EXPECT_EQ(saved.values[key].bytes, std::vector<uint8_t>(bytes, bytes + size));
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

TEST(Lv2State, DamagedOrMissingStateIsRefused)
{
  TestUridMap map;
  const uint32_t key = map.Map(std::string(Lv2Kolvane::kURI) + "#state");
  Lv2Kolvane k(map);
  StateStore good;
  ASSERT_EQ(LV2_STATE_SUCCESS, k.State()->save(k.mHandle, StateStore::Store, &good, 0, nullptr));

  StateStore empty;
  EXPECT_EQ(LV2_STATE_ERR_NO_PROPERTY,
            k.State()->restore(k.mHandle, StateStore::Retrieve, &empty, 0, nullptr));
  StateStore wrongType = good;
  wrongType.values[key].type = map.Map(LV2_ATOM__String);
  EXPECT_EQ(LV2_STATE_ERR_BAD_TYPE,
            k.State()->restore(k.mHandle, StateStore::Retrieve, &wrongType, 0, nullptr));
  for (size_t cut : {size_t(0), size_t(3), size_t(8), size_t(100)})
  {
    StateStore truncated = good;
    truncated.values[key].bytes.resize(cut);
    EXPECT_EQ(LV2_STATE_ERR_UNKNOWN,
              k.State()->restore(k.mHandle, StateStore::Retrieve, &truncated, 0, nullptr))
        << cut << " bytes";
  }
  // Still whole after all that.
  EXPECT_EQ(LV2_STATE_SUCCESS,
            k.State()->restore(k.mHandle, StateStore::Retrieve, &good, 0, nullptr));
}

// ---- What a host must not send ---------------------------------------------

struct BadInput
{
  const char* what;
  std::function<void(Lv2Kolvane&, TestUridMap&)> prepare;
  uint32_t frames = 512;
  bool writesOutput = true; // false: the host gave no buffers to write
};

TEST(Lv2Adapter, BadInputNeitherCrashesNorAllocates)
{
  auto midi = [](std::vector<uint8_t> bytes)
  { return [bytes](Lv2Kolvane& k, TestUridMap&) { k.mEvents.Midi(0, bytes); }; };
  const BadInput cases[] = {
      {"events of unknown types",
       [](Lv2Kolvane& k, TestUridMap& map)
       {
         const uint8_t junk[24] = {1, 2, 3};
         k.mEvents.Event(0, map.Map("urn:nowhere#Junk"), junk, sizeof junk);
         k.mEvents.Event(10, map.Map(LV2_ATOM__Object), junk, sizeof junk);
         k.mEvents.Event(20, map.Map(LV2_ATOM__Object), junk, 3);
         k.mEvents.Event(30, 0, nullptr, 0);
       }},
      {"a position of unknown property types",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Position(0, {{LV2_TIME__bar, LV2_ATOM__String, 4},
                                {LV2_TIME__beatsPerMinute, "urn:nowhere#Number", 100},
                                {"urn:nowhere#key", LV2_ATOM__Double, 1}});
       }},
      {"a position of absurd numbers",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Position(0, {{LV2_TIME__bar, LV2_ATOM__Double, NAN},
                                {LV2_TIME__barBeat, LV2_ATOM__Double, INFINITY},
                                {LV2_TIME__beatsPerBar, LV2_ATOM__Float, -3},
                                {LV2_TIME__beatUnit, LV2_ATOM__Int, 0},
                                {LV2_TIME__beatsPerMinute, LV2_ATOM__Double, 1e300},
                                {LV2_TIME__speed, LV2_ATOM__Double, 1e300}});
         k.mEvents.Position(100, {{LV2_TIME__bar, LV2_ATOM__Long, -9e18},
                                  {LV2_TIME__barBeat, LV2_ATOM__Double, 1e308},
                                  {LV2_TIME__beatsPerMinute, LV2_ATOM__Double, 1e-300}});
       }},
      {"a position whose last property is cut short",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Position(0, Playing(1, 1));
         k.mEvents.LastEvent()->body.size -= 12;
       }},
      {"a position whose property claims a huge value",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Position(0, Playing(1, 1));
         auto* body = reinterpret_cast<uint8_t*>(k.mEvents.LastEvent() + 1);
         auto* first =
             reinterpret_cast<LV2_Atom_Property_Body*>(body + sizeof(LV2_Atom_Object_Body));
         first->value.size = 0xFFFFFFF0u;
       }},
      {"an event longer than the sequence",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Midi(0, {0x90, 60, 100});
         k.mEvents.LastEvent()->body.size = 0xFFFFFFF8u;
       }},
      {"a sequence shorter than its last event",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Midi(0, {0x90, 60, 100});
         k.mEvents.Midi(5, {0x80, 60, 0});
         k.mEvents.Sequence()->atom.size -= 6;
       }},
      {"a sequence shorter than its header",
       [](Lv2Kolvane& k, TestUridMap&) { k.mEvents.Sequence()->atom.size = 3; }},
      {"a buffer that is no sequence",
       [](Lv2Kolvane& k, TestUridMap& map)
       {
         k.mEvents.Midi(0, {0x90, 60, 100});
         k.mEvents.Sequence()->atom.type = map.Map(LV2_ATOM__Chunk);
       }},
      {"events stamped in beats",
       [](Lv2Kolvane& k, TestUridMap& map)
       {
         k.mEvents.Midi(0, {0x90, 60, 100});
         k.mEvents.Sequence()->body.unit = map.Map(LV2_ATOM__beatTime);
       }},
      {"events before, after and out of order",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Midi(-100, {0x90, 60, 100});
         k.mEvents.Midi(1000000, {0x80, 60, 0});
         k.mEvents.Position(400, Playing(2, 0));
         k.mEvents.Midi(3, {0x90, 62, 100});
         k.mEvents.Position(-5, Playing(1, 0));
       }},
      {"MIDI without bytes", midi({})},
      {"MIDI of a data byte alone", midi({0x45})},
      {"MIDI of a status alone", midi({0x90})},
      {"an unterminated system-exclusive message", midi({0xF0, 1, 2, 3})},
      {"a long MIDI event", midi(std::vector<uint8_t>(3000, 0x90))},
      {"a flood of MIDI",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         for (int i = 0; i < 600; ++i)
         {
           k.mEvents.Midi(i % 512, {uint8_t(i % 2 ? 0x80 : 0x90), uint8_t(i % 128), 100});
         }
       }},
      {"no event port", [](Lv2Kolvane& k, TestUridMap&) { k.Connect(4, nullptr); }},
      {"no transport port",
       [](Lv2Kolvane& k, TestUridMap&) { k.Connect(Lv2Kolvane::kTransportPort, nullptr); }},
      {"a damaged sequence on the transport port",
       [](Lv2Kolvane& k, TestUridMap& map)
       {
         k.mTransport.Position(0, Playing(1, 1));
         k.mTransport.LastEvent()->body.size -= 12;
         k.mTransport.Midi(3, {0x90, 60, 100});
         k.mTransport.Event(7, map.Map(LV2_ATOM__Object), nullptr, 0);
         k.mTransport.Midi(9, {0x90, 60, 100});
         k.mTransport.LastEvent()->body.size = 0xFFFFFFF8u;
       }},
      {"a transport port handed a buffer that is no sequence",
       [](Lv2Kolvane& k, TestUridMap& map)
       {
         k.mTransport.Position(0, Playing(1, 1));
         k.mTransport.Sequence()->atom.type = map.Map(LV2_ATOM__Chunk);
       }},
      {"no audio ports",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         for (uint32_t p = 0; p < 4; ++p)
         {
           k.Connect(p, nullptr);
         }
       },
       512, false},
      {"no control ports",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         for (uint32_t p = 5; p <= Lv2Kolvane::kStepPort; ++p)
         {
           k.Connect(p, nullptr);
         }
       }},
      {"ports that do not exist",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         float junk = 0.0f;
         k.Connect(Lv2Kolvane::kTransportPort + 1, &junk);
         k.Connect(0xFFFFFFFFu, &junk);
         k.Connect(0xFFFFFFFFu, nullptr);
       }},
      {"an empty block",
       [](Lv2Kolvane& k, TestUridMap&) {
         k.mEvents.Midi(0, {0x90, 60, 1});
       },
       0},
      {"one frame", [](Lv2Kolvane& k, TestUridMap&) { k.mEvents.Position(0, Playing(0, 0)); }, 1},
      {"one frame more than announced",
       [](Lv2Kolvane& k, TestUridMap&) {
         k.mEvents.Midi(512, {0x90, 60, 100});
       },
       Lv2Kolvane::kAnnouncedBlock + 1},
      {"many times the announced block",
       [](Lv2Kolvane& k, TestUridMap&)
       {
         k.mEvents.Position(0, Playing(0, 0));
         k.mEvents.Midi(5000, {0x90, 60, 100});
       },
       Lv2Kolvane::kFrames},
  };

  for (int mode = 0; mode < 2; ++mode) // step mode, then MIDI gate mode
  {
    for (const BadInput& c : cases)
    {
      TestUridMap map;
      Lv2Kolvane k(map);
      k.mControls[kStepOnOff] = float(mode);
      FillInput(k, 0.25f);
      k.Activate();
      k.mEvents.Position(0, Playing(0, 0));
      k.Run(512); // the first block does the opening work
      k.mEvents.Clear();
      std::fill(k.mOutL.begin(), k.mOutL.end(), NAN);
      std::fill(k.mOutR.begin(), k.mOutR.end(), NAN);
      c.prepare(k, map);
      {
        AllocationWindow window;
        k.Run(c.frames);
        k.mEvents.Clear();
        k.mTransport.Clear();
        k.Run(c.frames);
        EXPECT_EQ(0, window.Count()) << c.what << (mode ? ", MIDI gate mode" : ", step mode");
      }
      for (uint32_t s = 0; c.writesOutput && s < c.frames; ++s)
      {
        ASSERT_TRUE(std::isfinite(k.mOutL[s]) && std::isfinite(k.mOutR[s]))
            << c.what << ": frame " << s;
      }
    }
  }
}

// The first block also does what a VST2 host's open does (every parameter
// into the engine), on the audio thread: without allocating either.
TEST(Lv2Adapter, TheFirstBlockAllocatesNothing)
{
  TestUridMap map;
  Lv2Kolvane k(map);
  k.mControls[kFilterCutoff] = 0.5f;
  k.Activate();
  k.mEvents.Position(0, Playing(3, 1.0, 128.0));
  k.mEvents.Midi(10, {0x90, 60, 100});
  AllocationWindow window;
  k.Run(Lv2Kolvane::kAnnouncedBlock);
  EXPECT_EQ(0, window.Count());
}

TEST(Lv2Adapter, WithoutAMapAudioAndControlsStillWork)
{
  TestUridMap map;
  Lv2Kolvane k(map, 44100.0, false);
  ASSERT_NE(nullptr, k.mHandle);
  // Such a host may hand the event port any buffer at all.
  float notASequence = 0.0f;
  k.Connect(4, &notASequence);
  k.mControls[kFilterCutoff] = 0.2f;
  FillInput(k, 0.5f);
  k.Activate();
  k.Run(512);
  EXPECT_EQ(double(0.2f), k.Plug()->GetParam(kFilterCutoff)->Value());
  StateStore store;
  EXPECT_EQ(LV2_STATE_ERR_NO_FEATURE,
            k.State()->save(k.mHandle, StateStore::Store, &store, 0, nullptr));
}

} // namespace
