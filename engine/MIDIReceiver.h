#pragma once

#include "GallantSignal.h"
#include "IMidiQueue.h"

#include <cstdint>

// Turns the host's MIDI notes into note-on and note-off signals, sample by
// sample. Monophonic and last-note driven: only a change of the most recent
// note starts a note, and only the release of that note ends it.
//
// Call sequence, per audio block:
//   1. onMessageReceived for each MIDI message of the block (any kind;
//      only notes are kept), offsets counted from the block's first sample;
//   2. advance once per sample, before rendering that sample, while the
//      gate follows MIDI (not at all while it follows the step pattern);
//   3. endBlock once the block is rendered, whether or not advance ran.
//
// No allocation after construction: at most kMaxPendingMessages messages
// wait in the queue, which is created with exactly that room.
class MIDIReceiver
{
public:
  // While the receiver is not advanced (the gate follows the step pattern)
  // the host's notes keep arriving. Past this many waiting messages the
  // oldest is dropped for each new one: the newest notes decide the state
  // the backlog leaves behind, and no real block carries this many notes.
  static constexpr int kMaxPendingMessages = 1024;

  MIDIReceiver();

  MIDIReceiver(const MIDIReceiver&) = delete;
  MIDIReceiver& operator=(const MIDIReceiver&) = delete;

  // Queues note-on and note-off messages by offset; everything else, and
  // any note number above 127, is ignored.
  void onMessageReceived(const IMidiMsg* msg);
  // Handles every message that is due at this sample, then counts the sample.
  void advance();
  // The block is over: the sample count restarts, and messages still queued
  // become due at the next block's first sample, in order.
  void endBlock();

  // 440 × 2^((noteNumber − 69) / 12) hertz.
  static double noteNumberToFrequency(int noteNumber);

  int getNumKeys() const { return numKeys; }
  int getLastNoteNumber() const { return lastNoteNumber; }
  double getLastFrequency() const { return lastFrequency; }
  int getLastVelocity() const { return lastVelocity; }
  int getPendingMessages() const { return midiQueue.Size(); }

  // Emitted with (note number, velocity) when a new note starts.
  Gallant::Signal2<int, int> noteOnSignal;
  // Emitted with (note number, velocity of its note-on) when the sounding
  // note is released.
  Gallant::Signal2<int, int> noteOffSignal;

private:
  static constexpr int kNumKeys = 128;

  IMidiQueue midiQueue;
  int numKeys;
  bool keyStatus[kNumKeys];
  int lastNoteNumber;
  double lastFrequency;
  int lastVelocity;
  int64_t sampleCounter; // advance calls since the block started
};
