#pragma once

#include "Transport.h"
#include "VST2Interface.h"

#include <memory>
#include <string>
#include <vector>

namespace render
{

// One LV2 plug-in instance hosted through lilv the way a DAW bounces a
// track through it: the first plug-in of a bundle, instantiated with URID
// mapping and the block length as options, its control ports held by the
// host, its presets restored through lilv (port values and state), and an
// atom sequence per block carrying the transport (time:Position, whenever
// the transport starts or jumps; the plug-in moves it on by itself in
// between) and the block's MIDI.
//
// Transport positions travel as doubles (bar beat, tempo) so that the
// plug-in sees the very positions a VST2 host reports for the same
// transport.
class Lv2Instance
{
public:
  // Null with *error set when the bundle or its plug-in cannot be loaded.
  static std::unique_ptr<Lv2Instance> Open(const std::string& bundle, double sampleRate,
                                           int blockSize,
                                           const vsthost::TransportSettings& transport,
                                           std::string* error);
  ~Lv2Instance();

  Lv2Instance(const Lv2Instance&) = delete;
  Lv2Instance& operator=(const Lv2Instance&) = delete;

  int Inputs() const;
  int Outputs() const;
  std::string Name() const;

  // The bundle's presets, ordered by URI (the generator numbers them).
  const std::vector<std::string>& PresetNames() const;
  // Restores preset `index` (0-based): the state and the port values.
  bool LoadPreset(int index, std::string* error);
  // A control input by symbol or name; -1 for none.
  int FindControl(const std::string& nameOrSymbol) const;
  void SetControl(int control, float value);

  void Activate();
  // One block: the event sequence, then run.
  void Process(float** inputs, float** outputs, int frames, const std::vector<VstMidiEvent>& midi);
  void Deactivate();

private:
  struct Impl;
  explicit Lv2Instance(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> mImpl;
};

} // namespace render
