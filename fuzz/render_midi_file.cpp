// Standard MIDI Files as the render tool reads them with libsmf: any file
// is either refused with a message or gives events the render can play.

#include "MidiSchedule.h"

#include <cstdio>
#include <string>
#include <unistd.h>

namespace
{
// The reader takes a path: one file per process, rewritten per input.
const std::string& scratchPath()
{
  static const std::string path = []
  {
    char name[] = "/tmp/kolvane-fuzz-midi-XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0)
      close(fd);
    return std::string(name);
  }();
  return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  FILE* file = std::fopen(scratchPath().c_str(), "wb");
  if (!file)
    return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  render::MidiFileContent content;
  std::string error;
  if (!render::ReadMidiFile(scratchPath(), 120.0, 44100.0, &content, &error))
  {
    if (error.empty())
      __builtin_trap();
    return 0;
  }
  render::MidiSchedule schedule;
  for (const render::TimedMidi& event : content.events)
    schedule.Add(event);
  for (int64_t frame = 0; frame < 44100; frame += 512)
    schedule.TakeBlock(frame, 512);
  return 0;
}
