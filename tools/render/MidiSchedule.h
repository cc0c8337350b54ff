#pragma once

#include "RenderOptions.h"
#include "VST2Interface.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace render
{

// A three-byte MIDI message on its sample, counted from the first sample of
// the render.
struct TimedMidi
{
  int64_t frame = 0;
  unsigned char status = 0;
  unsigned char data1 = 0;
  unsigned char data2 = 0;
};

// The MIDI a render delivers, in the order a DAW delivers it: sorted by
// sample, and on the same sample note-offs before note-ons, so that a note
// repeated back to back ends before it starts again. Each block takes the
// events that fall inside it, with deltaFrames relative to its first sample.
class MidiSchedule
{
public:
  void Add(const TimedMidi& event);
  // Notes in quarter notes at `tempo` (beats per minute), each a note-on
  // and a note-off on channel 1.
  void AddNotes(const std::vector<Note>& notes, double tempo, double sampleRate);

  bool Empty() const { return mEvents.empty(); }
  size_t Size() const { return mEvents.size(); }

  // The events of frames [firstFrame, firstFrame + frames), in order, as
  // the plug-in receives them. Blocks are taken in order; events that lie
  // before `firstFrame` (none when blocks follow each other) are dropped.
  std::vector<VstMidiEvent> TakeBlock(int64_t firstFrame, int frames);

private:
  void Sort();

  std::vector<TimedMidi> mEvents;
  size_t mNext = 0;
  bool mSorted = true;
};

// What a Standard MIDI File holds for a render.
struct MidiFileContent
{
  std::vector<TimedMidi> events; // note-ons and note-offs, in file order
  // The file's first tempo in beats per minute, when it sets one.
  std::optional<double> tempo;
};

// Reads the note-on and note-off events of a Standard MIDI File with
// libsmf. Times follow the file's tempo map; a file without tempo events
// is timed at `fallbackTempo`. Returns false with one line in `error` when
// the file is missing or not a MIDI file.
bool ReadMidiFile(const std::string& path, double fallbackTempo, double sampleRate,
                  MidiFileContent* content, std::string* error);

} // namespace render
