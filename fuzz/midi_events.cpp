// MIDI event lists as a host sends them before a processing call. The
// input is a list of 8-byte records: a 16-bit delta (any value, inside the
// block or not), a kind byte (MIDI, system exclusive, or another type),
// three message bytes and two bytes of flags; a system-exclusive record
// carries the rest of the input as its dump. The block's output must stay
// finite.

#include "FuzzPlugin.h"

#include <cstddef>
#include <vector>

namespace
{
const int kFrames = 256;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
  fuzz::Instance<Kolvane> plug;
  fuzz::ExactCopy bytes(data, size);
  std::vector<VstMidiEvent> midi;
  std::vector<VstMidiSysexEvent> sysex;
  std::vector<VstEvent> other;
  midi.reserve(size / 8 + 1);
  sysex.reserve(size / 8 + 1);
  other.reserve(size / 8 + 1);
  std::vector<VstEvent*> list;
  for (size_t at = 0; at + 8 <= size; at += 8)
  {
    const uint8_t* r = bytes.Data() + at;
    const VstInt32 delta = static_cast<int16_t>(r[0] | (r[1] << 8));
    switch (r[2] % 3)
    {
    case 0:
    {
      VstMidiEvent e = {};
      e.type = kVstMidiType;
      e.byteSize = sizeof(e);
      e.deltaFrames = delta;
      e.flags = r[6];
      std::memcpy(e.midiData, r + 3, 3);
      midi.push_back(e);
      list.push_back(reinterpret_cast<VstEvent*>(&midi.back()));
      break;
    }
    case 1:
    {
      VstMidiSysexEvent e = {};
      e.type = kVstSysExType;
      e.byteSize = sizeof(e);
      e.deltaFrames = delta;
      e.dumpBytes = static_cast<VstInt32>(size - at - 8);
      e.sysexDump = reinterpret_cast<char*>(bytes.Data() + at + 8);
      sysex.push_back(e);
      list.push_back(reinterpret_cast<VstEvent*>(&sysex.back()));
      break;
    }
    default:
    {
      VstEvent e = {};
      e.type = r[3];
      e.byteSize = sizeof(e);
      e.deltaFrames = delta;
      std::memcpy(e.data, r + 4, 4);
      other.push_back(e);
      list.push_back(&other.back());
      break;
    }
    }
  }
  // The record declares two event slots and holds as many as it counts.
  std::vector<VstIntPtr> storage(2 + list.size() + 2, 0);
  VstEvents* events = reinterpret_cast<VstEvents*>(storage.data());
  events->numEvents = static_cast<VstInt32>(list.size());
  VstEvent** slots =
      reinterpret_cast<VstEvent**>(reinterpret_cast<char*>(events) + offsetof(VstEvents, events));
  for (size_t i = 0; i < list.size(); ++i)
    slots[i] = list[i];
  plug.Dispatch(effProcessEvents, 0, 0, events);

  std::vector<float> in(kFrames * 2, 0.25f), out(kFrames * 2, 0.0f);
  float* inputs[2] = {in.data(), in.data() + kFrames};
  float* outputs[2] = {out.data(), out.data() + kFrames};
  for (int block = 0; block < 2; ++block)
  {
    plug.Effect()->processReplacing(plug.Effect(), inputs, outputs, kFrames);
    for (float sample : out)
      if (!std::isfinite(sample))
        __builtin_trap();
  }
  return 0;
}
