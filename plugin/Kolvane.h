#pragma once

#include "GateEngine.h"
#include "IPlugBase.h"
#include "KolvaneParams.h"

#include <string>

// Kolvane, the rhythmic gate and filter: the gate engine on the plug-in base.
// The class knows no plug-in format: a format adapter (framework/vst2)
// constructs it, presents it to the host and answers for the host. The plug-in owns the engine and
// reaches it only through the engine's setters; the parameter table (KolvaneParams.h) says what
// each parameter is, OnParamChange what it does to the engine.
//
// Life of an instance:
//   1. the format's entry point (VSTPluginMain) constructs it: the base, the
//      engine with the default step pattern (steps 1, 2 and 6 on), the 27
//      factory presets, the typed parameters; the entry point then fills
//      the last three preset slots with "Empty" and puts the adapter around
//      it;
//   2. the host's first open (effOpen) identifies the host (OnHostIdentified takes
//      the sample rate and the tempo) and pushes every parameter into the
//      engine through OnParamChange;
//   3. effSetSampleRate / effSetBlockSize / suspend: Reset gives the engine
//      the host's sample rate;
//   4. per block: the block's MIDI events queue notes (ProcessMidiMsg), then
//      ProcessDoubleReplacing reads the host's transport and renders;
//   5. whenever the host shows the editor (effEditOpen) MakeEditor builds
//      it, and it is deleted when the host closes it: an instance that only
//      processes holds no artwork;
//   6. closing (effClose) deletes the adapter, and the adapter deletes it.
class Kolvane : public IPlugBase
{
public:
  static constexpr int kNumPresets = 30;
  static constexpr int kUniqueID = 0x56616469; // "Vadi"
  static constexpr int kMfrID = 0x5A69766F;    // "Zivo"
  static constexpr int kVersion = 0x00010001;  // 1.0.1

  Kolvane();
  ~Kolvane() override = default;

  // What the class tells the base: 59 parameters, stereo (or mono) in and
  // out, 30 presets, MIDI, the editor's size.
  static IPlugConfig Config();

  // [any thread, takes the plug-in mutex] Parameter paramIdx reaches the engine.
  void OnParamChange(int paramIdx) override;
  // [any thread, takes the plug-in mutex] The envelopes, the LFOs and the
  // bar and step timing follow the host's sample rate.
  void Reset() override;
  // [audio thread, mutex held] One block: the host's transport, then render.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // [audio or UI thread, mutex held] Every message goes to the note
  // receiver, in both gate modes.
  void ProcessMidiMsg(IMidiMsg* msg) override;
  // [UI thread, mutex held] Once, at the first effOpen.
  void OnHostIdentified() override;
  // [any thread, mutex held] The state: the value of every parameter as a
  // little-endian double in index order, as the base stores it, then a mark
  // (kStateMark, the number of values before it, and the number of bytes a
  // later version appends after it, 0 here). The first release stored only
  // its 42 values and reads only those, so a state with more loads there
  // with its 42 intact. A state of the first release (no mark after the
  // 42nd value) loads here with the later parameters at their defaults.
  bool SerializeState(ByteChunk* chunk) override;
  int UnserializeState(const ByteChunk* chunk, int startPos) override;
  // [any thread] The first release's 42 values: what a bank keeps of each
  // program where the first release reads it, the rest of every state
  // following the last program (IPlugPresetBank::SerializePresets).
  int StateBytesOlderVersionsRead() const override;
  // The mark that closes a state of this version.
  static void PutStateMark(ByteChunk* chunk);
  static constexpr int kStateMark = 0x326C764B; // "Kvl2"

  // [UI thread, mutex held] The host's idle tick: the LED of the step being
  // played lights, the others go dark. Runs whether or not the editor's
  // window is open, so an opening window shows the right LED at once.
  void OnIdle() override;

  // [UI thread, mutex held] The 664 x 472 editor from the parameter table,
  // built when the host opens it: background, the 16 step LEDs, one control
  // per parameter. It draws at 100, 150 and 200 % (1328 x 944 pixels).
  IGraphicsInterface* MakeEditor() override;

  // One readout, the step being played (GateEngine::displayedStep), for an
  // editor that runs apart from the plug-in (KolvaneMirror): its LEDs then
  // follow the processing side's step.
  int NReadouts() const override { return 1; }
  ReadoutInfo GetReadoutInfo(int) const override { return PlayingStepReadout(); }
  int GetReadout(int idx) const override;
  static ReadoutInfo PlayingStepReadout();

  // [any thread, takes the plug-in mutex] Appends the current values as one
  // preset-making line ("Bu N") to the per-user dump file; writes nothing
  // when it cannot be opened.
  void SavetheWorld();
  // [any thread, takes the plug-in mutex] The line SavetheWorld writes next:
  // MakePreset("Bu N", v0,...,vN);\n with every parameter's value.
  std::string PresetDumpLine();

  // [any thread] What the engine is doing, for the editor and for tests;
  // its settings change only through the parameters. Read without the mutex
  // while audio runs, a value may be a block old.
  const GateEngine& engine() const { return mEngine; }

protected:
  GateEngine mEngine;

private:
  void CreatePresets();

  int mDumpCount = 0;
  // The editor's control index of each step's LED.
  int mLedControlIdx[kNumStepLeds] = {};
};

// Types a plug-in's 59 parameters from the parameter table: kind, range,
// shape, choices and texts. Kolvane's and its mirror's are the same.
void TypeKolvaneParams(IPlugBase& plug);
// [UI thread, mutex held] The editor's parameter controls and step LEDs
// from the parameter table, on plug's parameters, drawing at 100, 150 and
// 200 %; ledControlIdx takes each LED's control index. The editor's half
// (KolvaneEditor.cpp): null where the binary has none.
IGraphicsInterface* MakeKolvaneEditor(IPlugInterface* plug, int ledControlIdx[kNumStepLeds]);
// [UI thread, mutex held] Lights the LED of step (0 to 15; anything else
// lights none) and darkens the others; nothing without an editor.
void ShowPlayingStep(IGraphicsInterface* graphics, const int ledControlIdx[kNumStepLeds], int step);

// Whether the editor linked with the class (KolvaneEditor.cpp, or none:
// KolvaneHeadless.cpp) opens in a window on this platform.
bool KolvaneEditorHasWindow();

// Where SavetheWorld writes: "KolvanePresets.txt" on the user's desktop, or
// in the home folder where there is no desktop. Empty when neither is known.
const char* PresetDumpPath();
// Appends text to the dump file unchanged; false when it cannot be opened.
bool WriteLogFile(const char* text);
