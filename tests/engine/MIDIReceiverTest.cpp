#include "MIDIReceiver.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
struct NoteEvent
{
  bool on;
  int note;
  int velocity;
  int sample; // sample index within the block at which the signal came

  bool operator==(const NoteEvent& o) const
  {
    return on == o.on && note == o.note && velocity == o.velocity && sample == o.sample;
  }
};

std::ostream& operator<<(std::ostream& os, const NoteEvent& e)
{
  return os << (e.on ? "on " : "off ") << e.note << " v" << e.velocity << " @" << e.sample;
}

class MIDIReceiverTest : public ::testing::Test
{
public:
  void onNoteOn(int note, int velocity) { events.push_back({true, note, velocity, now}); }
  void onNoteOff(int note, int velocity) { events.push_back({false, note, velocity, now}); }

protected:
  void SetUp() override
  {
    receiver.noteOnSignal.Connect(this, &MIDIReceiverTest::onNoteOn);
    receiver.noteOffSignal.Connect(this, &MIDIReceiverTest::onNoteOff);
  }

  void send(unsigned char status, int data1, int data2, int offset = 0)
  {
    IMidiMsg msg(offset, status, static_cast<unsigned char>(data1),
                 static_cast<unsigned char>(data2));
    receiver.onMessageReceived(&msg);
  }
  void noteOn(int note, int velocity, int offset = 0) { send(0x90, note, velocity, offset); }
  void noteOff(int note, int offset = 0) { send(0x80, note, 0, offset); }

  // Renders one block the way the effect does: advance per sample, then end.
  void block(int nFrames, bool advancing = true)
  {
    for (now = 0; now < nFrames && advancing; ++now)
    {
      receiver.advance();
    }
    receiver.endBlock();
  }

  MIDIReceiver receiver;
  std::vector<NoteEvent> events;
  int now = 0;
};
} // namespace

TEST_F(MIDIReceiverTest, LastNoteDecides)
{
  struct Step
  {
    bool on;
    int note;
    int velocity;
  };
  struct Case
  {
    const char* name;
    std::vector<Step> input;
    std::vector<NoteEvent> expected;
    int heldKeys;
  };
  const Case cases[] = {
      {"legato: releasing the older note is silent",
       {{true, 60, 100}, {true, 64, 90}, {false, 60, 0}, {false, 64, 0}},
       {{true, 60, 100, 0}, {true, 64, 90, 1}, {false, 64, 90, 3}},
       0},
      {"repeated note-on starts once", {{true, 60, 100}, {true, 60, 50}}, {{true, 60, 100, 0}}, 1},
      {"velocity 0 releases",
       {{true, 60, 100}, {true, 60, 0}},
       {{true, 60, 100, 0}, {false, 60, 100, 1}},
       0},
      {"release of a key never pressed", {{false, 61, 0}}, {}, 0},
      {"no fall-back to a key still held",
       {{true, 60, 100}, {true, 64, 100}, {false, 64, 0}},
       {{true, 60, 100, 0}, {true, 64, 100, 1}, {false, 64, 100, 2}},
       1},
      {"a released note starts again",
       {{true, 60, 100}, {false, 60, 0}, {true, 60, 80}},
       {{true, 60, 100, 0}, {false, 60, 100, 1}, {true, 60, 80, 2}},
       1},
  };
  for (const Case& c : cases)
  {
    events.clear();
    MIDIReceiver fresh;
    fresh.noteOnSignal.Connect(this, &MIDIReceiverTest::onNoteOn);
    fresh.noteOffSignal.Connect(this, &MIDIReceiverTest::onNoteOff);
    for (size_t i = 0; i < c.input.size(); ++i)
    {
      IMidiMsg msg;
      if (c.input[i].on)
      {
        msg.MakeNoteOnMsg(c.input[i].note, c.input[i].velocity, static_cast<int>(i), 0);
      }
      else
      {
        msg.MakeNoteOffMsg(c.input[i].note, static_cast<int>(i), 0);
      }
      fresh.onMessageReceived(&msg);
    }
    for (now = 0; now < 8; ++now)
    {
      fresh.advance();
    }
    EXPECT_EQ(c.expected, events) << c.name;
    EXPECT_EQ(c.heldKeys, fresh.getNumKeys()) << c.name;
  }
}

TEST_F(MIDIReceiverTest, MessagesAtTheSameOffsetRunInArrivalOrder)
{
  noteOn(60, 100, 5);
  noteOff(60, 5);
  noteOn(64, 70, 5);
  block(8);
  const std::vector<NoteEvent> expected = {
      {true, 60, 100, 5}, {false, 60, 100, 5}, {true, 64, 70, 5}};
  EXPECT_EQ(expected, events);
  EXPECT_EQ(64, receiver.getLastNoteNumber());
  EXPECT_DOUBLE_EQ(MIDIReceiver::noteNumberToFrequency(64), receiver.getLastFrequency());
  EXPECT_EQ(70, receiver.getLastVelocity());
}

TEST_F(MIDIReceiverTest, OnlyNotesAreQueued)
{
  const unsigned char statuses[] = {0xA0, 0xB3, 0xC0, 0xD0, 0xE0, 0xF8, 0xFE, 0x40};
  for (unsigned char status : statuses)
  {
    send(status, 60, 100);
  }
  EXPECT_EQ(0, receiver.getPendingMessages());
  noteOn(60, 100);
  noteOff(60);
  EXPECT_EQ(2, receiver.getPendingMessages());
}

// A data byte above 127 names no key; indexing the key table with it would
// write past its end.
TEST_F(MIDIReceiverTest, NoteNumbersAbove127AreIgnored)
{
  for (int note : {128, 200, 255})
  {
    send(0x90, note, 100);
    send(0x80, note, 0);
  }
  block(4);
  EXPECT_EQ(0, receiver.getPendingMessages());
  EXPECT_TRUE(events.empty());
  EXPECT_EQ(0, receiver.getNumKeys());
}

TEST_F(MIDIReceiverTest, NoteNumberToFrequency)
{
  const std::pair<int, double> cases[] = {
      {69, 440.0}, {81, 880.0}, {57, 220.0}, {60, 261.6255653005986}, {0, 8.175798915643707}};
  for (const auto& c : cases)
  {
    EXPECT_DOUBLE_EQ(c.second, MIDIReceiver::noteNumberToFrequency(c.first)) << c.first;
  }
}

// The offsets are block-relative, so the count restarts with every block:
// every block's notes land on their own sample, not only the first block's.
TEST_F(MIDIReceiverTest, NotesKeepTheirSampleInEveryBlock)
{
  for (int b = 0; b < 4; ++b)
  {
    noteOn(60 + b, 100, 10 + b);
    noteOff(60 + b, 40 + b);
    events.clear();
    block(64);
    const std::vector<NoteEvent> expected = {{true, 60 + b, 100, 10 + b},
                                             {false, 60 + b, 100, 40 + b}};
    EXPECT_EQ(expected, events) << "block " << b;
  }
}

TEST_F(MIDIReceiverTest, MessagesLeftAtBlockEndAreDueAtTheNextBlocksFirstSample)
{
  noteOn(60, 100, 70); // past the end of a 64-sample block
  block(64);
  EXPECT_TRUE(events.empty());
  noteOff(60, 3);
  block(64);
  const std::vector<NoteEvent> expected = {{true, 60, 100, 0}, {false, 60, 100, 3}};
  EXPECT_EQ(expected, events);
}

TEST_F(MIDIReceiverTest, BacklogFromBlocksNotAdvancedRunsAtOnceInOrder)
{
  // The gate follows the step pattern: notes arrive but nothing advances.
  noteOn(60, 100, 10);
  block(64, false);
  noteOff(60, 5);
  noteOn(67, 90, 50);
  block(64, false);
  EXPECT_EQ(3, receiver.getPendingMessages());
  EXPECT_TRUE(events.empty());

  block(64); // back to following MIDI
  const std::vector<NoteEvent> expected = {
      {true, 60, 100, 0}, {false, 60, 100, 0}, {true, 67, 90, 0}};
  EXPECT_EQ(expected, events);
  EXPECT_EQ(0, receiver.getPendingMessages());
}

TEST_F(MIDIReceiverTest, BacklogIsBoundedAndKeepsTheNewestNotes)
{
  for (int i = 0; i < 5000; ++i)
  {
    noteOn(i % 100, 100, i % 512);
    noteOff(i % 100, i % 512);
    if (i % 512 == 511)
    {
      block(512, false);
    }
  }
  noteOn(77, 33, 511);
  EXPECT_EQ(MIDIReceiver::kMaxPendingMessages, receiver.getPendingMessages());
  block(512);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ((NoteEvent{true, 77, 33, 511}), events.back());
  EXPECT_EQ(1, receiver.getNumKeys());
}
