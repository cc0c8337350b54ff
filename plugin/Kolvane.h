#pragma once

#include "GateEngine.h"
#include "IPlugVST.h"
#include "KolvaneParams.h"

#include <string>

// Kolvane, the rhythmic gate and filter: the gate engine presented to VST2
// hosts through the adapter.
//
// Life of an instance:
//   1. VSTPluginMain constructs it: the base, the step flags (steps 1, 2 and
//      6 on), the engine, the 27 factory presets, the 42 typed parameters;
//      the entry point then fills the last three preset slots with "Empty";
//   2. the host's first effOpen identifies the host (OnHostIdentified takes
//      the integer sample rate and the tempo) and pushes all 42 parameters
//      into the engine through OnParamChange;
//   3. effSetSampleRate / effSetBlockSize / suspend: Reset retimes the
//      amplitude envelope and the bar and step timing;
//   4. per block: effProcessEvents queues MIDI notes (ProcessMidiMsg), then
//      ProcessDoubleReplacing reads the host's transport and renders;
//   5. effClose deletes it.
class Kolvane : public IPlugVST, public GateEngine
{
public:
  static constexpr int kNumPresets = 30;
  static constexpr int kUniqueID = 0x56616469; // "Vadi"
  static constexpr int kMfrID = 0x5A69766F;    // "Zivo"
  static constexpr int kVersion = 0x00010001;  // 1.0.1

  explicit Kolvane(IPlugInstanceInfo instanceInfo);
  ~Kolvane() override = default;

  // [any thread, takes the plug-in mutex] Parameter paramIdx reaches the engine.
  void OnParamChange(int paramIdx) override;
  // [any thread, takes the plug-in mutex] The amplitude envelope and the bar
  // timing follow the host's sample rate.
  void Reset() override;
  // [audio thread, mutex held] One block: the host's transport, then render.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // [audio or UI thread, mutex held] Every message goes to the note
  // receiver, in both gate modes.
  void ProcessMidiMsg(IMidiMsg* msg) override;
  // [UI thread, mutex held] Once, at the first effOpen.
  void OnHostIdentified() override;

  // Appends the current values as one preset-making line ("Bu N") to the
  // per-user dump file; writes nothing when it cannot be opened.
  void SavetheWorld();
  // The line SavetheWorld writes next: MakePreset("Bu N", v0,...,v41);\n
  std::string PresetDumpLine() const;

private:
  void CreatePresets();
  void CreateParams();
  // mSampleRateInt = the base's rate truncated, when an int can hold it.
  void takeSampleRate();

  int mDumpCount = 0;
};

// Where SavetheWorld writes: "KolvanePresets.txt" on the user's desktop, or
// in the home folder where there is no desktop. Empty when neither is known.
const char* PresetDumpPath();
// Appends text to the dump file unchanged; false when it cannot be opened.
bool WriteLogFile(const char* text);
