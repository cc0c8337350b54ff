// MIDI for a render: notes and Standard MIDI Files timed in samples, and
// delivered block by block with deltaFrames inside the block.

#include "MidiSchedule.h"

#include <gtest/gtest.h>
#include <smf.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

using render::MidiFileContent;
using render::MidiSchedule;
using render::Note;
using render::ReadMidiFile;
using render::TimedMidi;

namespace
{
const double kRate = 44100.0;

// "on 60 @10" for each event: block offsets and messages in one glance.
std::vector<std::string> describe(const std::vector<VstMidiEvent>& events)
{
  std::vector<std::string> lines;
  for (const VstMidiEvent& event : events)
  {
    const unsigned status = static_cast<unsigned char>(event.midiData[0]);
    const int key = static_cast<unsigned char>(event.midiData[1]);
    const int velocity = static_cast<unsigned char>(event.midiData[2]);
    const bool on = (status & 0xF0u) == 0x90u && velocity > 0;
    lines.push_back(std::string(on ? "on " : "off ") + std::to_string(key) + " @" +
                    std::to_string(event.deltaFrames));
  }
  return lines;
}

std::vector<std::string> describe(const std::vector<TimedMidi>& events)
{
  std::vector<std::string> lines;
  for (const TimedMidi& event : events)
  {
    const bool on = (event.status & 0xF0u) == 0x90u && event.data2 > 0;
    lines.push_back(std::string(on ? "on " : "off ") + std::to_string(event.data1) + " @" +
                    std::to_string(event.frame));
  }
  return lines;
}

// Every event of a schedule, taken in blocks of `block` frames; each event
// named with the block it came in.
std::vector<std::string> takeAll(MidiSchedule& schedule, int block, int64_t frames)
{
  std::vector<std::string> lines;
  for (int64_t start = 0; start < frames; start += block)
    for (const std::string& line : describe(schedule.TakeBlock(start, block)))
      lines.push_back("block " + std::to_string(start / block) + ": " + line);
  return lines;
}
} // namespace

TEST(MidiSchedule, NotesInQuarterNotesLandOnTheirSamples)
{
  // 120 BPM: a quarter note is 22050 samples.
  MidiSchedule schedule;
  schedule.AddNotes({{1.0, 60, 0.5, 100}, {0.0, 64, 0.25, 90}}, 120.0, kRate);
  EXPECT_EQ((std::vector<std::string>{"block 0: on 64 @0", "block 0: off 64 @5513",
                                      "block 0: on 60 @22050", "block 0: off 60 @33075"}),
            takeAll(schedule, 44100, 44100));

  // A quarter of a beat is 5512.5 samples: halves round up.
  // 90 BPM: 29400 samples a quarter note; a start rounds to the nearest.
  MidiSchedule slower;
  slower.AddNotes({{1.0 / 3.0, 60, 1.0, 100}}, 90.0, kRate);
  EXPECT_EQ((std::vector<std::string>{"block 0: on 60 @9800", "block 0: off 60 @39200"}),
            takeAll(slower, 44100, 44100));
}

TEST(MidiSchedule, EachBlockGetsItsOwnEventsWithOffsetsInsideIt)
{
  MidiSchedule schedule;
  schedule.Add({511, 0x90, 60, 100}); // last sample of block 0
  schedule.Add({512, 0x80, 60, 0});   // first sample of block 1
  schedule.Add({1500, 0x90, 62, 80});
  schedule.Add({5000, 0x80, 62, 0}); // after the last block: never sent
  EXPECT_EQ((std::vector<std::string>{"block 0: on 60 @511", "block 1: off 60 @0",
                                      "block 2: on 62 @476"}),
            takeAll(schedule, 512, 2048));
}

TEST(MidiSchedule, OnTheSameSampleNoteOffsComeFirst)
{
  // Back to back on one key: the first note must end before the second
  // starts, or the plug-in hears the second note cut at once. A note-on of
  // velocity 0 is a note-off too.
  MidiSchedule schedule;
  schedule.AddNotes({{0.0, 60, 1.0, 100}, {1.0, 60, 1.0, 100}}, 120.0, kRate);
  schedule.Add({22050, 0x90, 67, 100});
  schedule.Add({22050, 0x90, 64, 0});
  EXPECT_EQ((std::vector<std::string>{"block 0: on 60 @0", "block 0: off 60 @22050",
                                      "block 0: off 64 @22050", "block 0: on 60 @22050",
                                      "block 0: on 67 @22050", "block 0: off 60 @44100"}),
            takeAll(schedule, 65536, 65536));
}

TEST(MidiSchedule, ATinyNoteStillLastsOneSample)
{
  MidiSchedule schedule;
  schedule.AddNotes({{0.0, 60, 1e-9, 100}}, 120.0, kRate);
  EXPECT_EQ((std::vector<std::string>{"block 0: on 60 @0", "block 0: off 60 @1"}),
            takeAll(schedule, 64, 64));
}

// MIDI files written with libsmf at test time.
class MidiFile : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mFolder = std::filesystem::temp_directory_path() /
              ("kolvane-midi-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
               "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(mFolder);
  }
  void TearDown() override { std::filesystem::remove_all(mFolder); }

  struct Event
  {
    int pulses;
    std::vector<unsigned char> bytes;
  };

  static Event tempo(int pulses, double bpm)
  {
    const long micros = std::lround(60e6 / bpm);
    return {pulses,
            {0xFF, 0x51, 0x03, static_cast<unsigned char>(micros >> 16),
             static_cast<unsigned char>(micros >> 8), static_cast<unsigned char>(micros)}};
  }

  // One track, 480 pulses per quarter note, events in time order.
  std::string write(const std::string& name, const std::vector<Event>& events)
  {
    const std::string path = (mFolder / name).string();
    smf_t* smf = smf_new();
    EXPECT_EQ(0, smf_set_ppqn(smf, 480));
    smf_track_t* track = smf_track_new();
    smf_add_track(smf, track);
    for (const Event& event : events)
    {
      std::vector<unsigned char> bytes = event.bytes;
      smf_track_add_event_pulses(
          track, smf_event_new_from_pointer(bytes.data(), static_cast<int>(bytes.size())),
          event.pulses);
    }
    EXPECT_EQ(0, smf_save(smf, path.c_str()));
    smf_delete(smf);
    return path;
  }

  std::filesystem::path mFolder;
};

TEST_F(MidiFile, NotesFollowTheFileTempoMap)
{
  // 100 BPM for the first quarter note (0.6 s), then 60 BPM (1 s each).
  const std::string path =
      write("map.mid", {tempo(0, 100.0),
                        {0, {0x90, 60, 100}},
                        {480, {0x80, 60, 0}},
                        tempo(480, 60.0),
                        {480, {0xB0, 64, 127}}, // a pedal: not a note, left out
                        {960, {0x91, 62, 90}},
                        {1200, {0x91, 62, 0}}});
  MidiFileContent content;
  std::string error;
  // The fallback tempo plays no part once the file has its own.
  ASSERT_TRUE(ReadMidiFile(path, 200.0, kRate, &content, &error)) << error;
  EXPECT_EQ(
      (std::vector<std::string>{"on 60 @0", "off 60 @26460", "on 62 @70560", "off 62 @92610"}),
      describe(content.events));
  ASSERT_TRUE(content.tempo.has_value());
  EXPECT_NEAR(100.0, *content.tempo, 1e-3);
}

TEST_F(MidiFile, AFileWithoutTempoPlaysAtTheChosenTempo)
{
  const std::string path = write("plain.mid", {{480, {0x90, 60, 100}}, {960, {0x80, 60, 64}}});
  MidiFileContent content;
  std::string error;
  // 150 BPM: 0.4 s a quarter note.
  ASSERT_TRUE(ReadMidiFile(path, 150.0, kRate, &content, &error)) << error;
  EXPECT_EQ((std::vector<std::string>{"on 60 @17640", "off 60 @35280"}), describe(content.events));
  EXPECT_FALSE(content.tempo.has_value());
}

TEST_F(MidiFile, AMissingOrBrokenFileIsOneLineOfError)
{
  const std::string garbage = (mFolder / "garbage.mid").string();
  FILE* file = std::fopen(garbage.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  std::fputs("RIFF, but no MIDI in here\n", file);
  std::fclose(file);
  const std::string truncated = (mFolder / "truncated.mid").string();
  file = std::fopen(truncated.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  std::fwrite("MThd\0\0\0\6\0\1\0\2\1\xE0MTrk\0\0\1\0\x90", 1, 23, file);
  std::fclose(file);

  // Found by the MIDI file fuzz target: the track's last event ends with
  // the track and is no End of Track. libsmf asserts on it, which ended the
  // process instead of refusing the file.
  const std::string noEnd = (mFolder / "no-end.mid").string();
  file = std::fopen(noEnd.c_str(), "wb");
  ASSERT_NE(nullptr, file);
  const unsigned char noEndBytes[] = {0x4d, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00,
                                      0x00, 0x01, 0x00, 0x60, 0x4d, 0x54, 0x72, 0x6b, 0x00, 0x00,
                                      0x00, 0x12, 0x00, 0x90, 0x3c, 0x64, 0x10, 0x3e, 0x64, 0x10,
                                      0x80, 0x3c, 0x00, 0x00, 0x3e, 0xfc, 0xff, 0x00, 0xd0, 0x00};
  std::fwrite(noEndBytes, 1, sizeof(noEndBytes), file);
  std::fclose(file);

  struct Case
  {
    std::string path;
    std::string message;
  };
  const Case cases[] = {
      {(mFolder / "missing.mid").string(), "No such file or directory"},
      {garbage, "cannot read MIDI file '" + garbage + "': MThd signature not found"},
      // libsmf would read on with what it could parse.
      {truncated, "cannot read MIDI file '" + truncated + "': malformed chunk; truncated file?"},
      {noEnd,
       "cannot read MIDI file '" + noEnd + "': damaged beyond what the MIDI library can read"},
  };
  for (const Case& c : cases)
  {
    MidiFileContent content;
    std::string error;
    EXPECT_FALSE(ReadMidiFile(c.path, 120.0, kRate, &content, &error)) << c.path;
    EXPECT_NE(std::string::npos, error.find(c.message)) << error;
    EXPECT_EQ(std::string::npos, error.find('\n')) << error;
  }
}
