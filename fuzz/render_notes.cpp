// The render tool's --notes list: any text is either refused with a usage
// error or gives notes whose schedule the render can play through.

#include "MidiSchedule.h"
#include "RenderOptions.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  std::vector<render::Note> notes;
  try
  {
    notes = render::ParseNoteList(std::string(reinterpret_cast<const char*>(data), size));
  }
  catch (const render::UsageError&)
  {
    return 0;
  }
  render::MidiSchedule schedule;
  schedule.AddNotes(notes, 120.0, 44100.0);
  // The first second, as a render plays it.
  size_t delivered = 0;
  for (int64_t frame = 0; frame < 44100; frame += 512)
    delivered += schedule.TakeBlock(frame, 512).size();
  if (delivered > schedule.Size())
    __builtin_trap();
  return 0;
}
