#pragma once

#include "PluginModule.h"
#include "Transport.h"
#include "VST2Interface.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

// Thread-context tags used in this folder:
//   [control thread]  the thread that drives the instance (opens, queries,
//                     closes it), as a DAW's UI thread would.
//   [audio thread]    the thread that processes; may be the control thread.
//   [any thread]      safe from several threads at once.
// An instance does not serialise its own dispatcher and process calls: the
// caller decides which run concurrently, as a DAW does. What the host
// callback shares (the record, the transport) is locked inside.

namespace vsthost
{

// Which of effOpen and the rate/block-size pair comes first. Most hosts
// open first, so the plug-in sees effOpen before the real sample rate;
// some set rate and block size first.
enum class OpenOrder
{
  OpenFirst,
  RateFirst,
};

// How the host presents itself and drives the plug-in. Fixed when the
// instance opens, except where a setter on PluginInstance says otherwise.
struct HostSettings
{
  double sampleRate = 44100.0;
  int blockSize = 512;
  OpenOrder openOrder = OpenOrder::OpenFirst;
  // Finish Open with effMainsChanged(1): ready to process.
  bool resume = true;
  // Send effStartProcess after every resume and effStopProcess before
  // every suspend; also makes the host answer "startStopProcess" with 1.
  bool startStopProcess = false;
  // The answer to audioMasterVersion. A plug-in refuses to start when it is 0.
  VstInt32 vstVersion = kVstVersion;
  std::string productString = "Kolvane Test Host";
  std::string vendorString = "Kolvane";
  VstInt32 vendorVersion = 1000;
  // kVstProcessLevelRealtime or kVstProcessLevelOffline, answered to
  // audioMasterGetCurrentProcessLevel from any thread.
  VstInt32 processLevel = kVstProcessLevelRealtime;
  TransportSettings transport;
  // audioMasterCanDo answers by capability; anything missing answers 0.
  std::map<std::string, VstIntPtr> canDo = {
      {"sendVstEvents", 1},       {"sendVstMidiEvent", 1},
      {"sendVstTimeInfo", 1},     {"receiveVstEvents", 1},
      {"receiveVstMidiEvent", 1}, {"sizeWindow", 0},
      {"acceptIOChanges", 0},     {"offline", 0},
      {"openFileSelector", 0},    {"closeFileSelector", 0},
      {"shellCategory", 0},       {"reportConnectionChanges", 0},
  };
};

// A plug-in's call to the host that changes what a DAW shows or records,
// in the order the host received them.
struct HostCall
{
  enum Kind
  {
    Automate,      // audioMasterAutomate(index, value)
    BeginEdit,     // audioMasterBeginEdit(index)
    EndEdit,       // audioMasterEndEdit(index)
    UpdateDisplay, // audioMasterUpdateDisplay
  };

  Kind kind;
  VstInt32 index; // parameter; 0 for UpdateDisplay
  float value;    // new normalized value for Automate; 0 otherwise

  static HostCall automate(VstInt32 index, float value) { return {Automate, index, value}; }
  static HostCall beginEdit(VstInt32 index) { return {BeginEdit, index, 0.0f}; }
  static HostCall endEdit(VstInt32 index) { return {EndEdit, index, 0.0f}; }
  static HostCall updateDisplay() { return {UpdateDisplay, 0, 0.0f}; }
};

bool operator==(const HostCall& a, const HostCall& b);
inline bool operator!=(const HostCall& a, const HostCall& b)
{
  return !(a == b);
}
// "automate(2, 0.5)", "beginEdit(2)", ...: readable test failures.
std::ostream& operator<<(std::ostream& out, const HostCall& call);

// An event the plug-in sent through audioMasterProcessEvents, copied.
struct PluginEvent
{
  VstInt32 type; // kVstMidiType, kVstSysExType, ...
  VstInt32 deltaFrames;
  // MIDI: the three message bytes; SysEx: the dump; other types: none.
  std::vector<unsigned char> bytes;
};

// A string a plug-in wrote into a host buffer. The buffer is kTextBufferSize
// bytes, filled with kTextFill before the call, so a test sees how far the
// plug-in wrote and whether it terminated the text.
struct TextAnswer
{
  static const size_t kTextBufferSize = 256;
  static const unsigned char kTextFill = 0xA5;

  VstIntPtr result = 0;    // the dispatcher's return value
  std::string text;        // up to the first NUL; up to `extent` if none
  bool terminated = false; // a NUL within the buffer
  size_t extent = 0;       // bytes from the start up to the last one changed
};

enum class ChunkType
{
  Bank = 0,
  Program = 1,
};

// One plug-in instance driven the way a DAW drives it.
//
// Lifecycle:
//   1. Open(): the entry point with the host callback (calls with a null
//      effect during it reach this instance), the magic check,
//      AEffect::user set to this instance.
//   2. effOpen, effSetSampleRate(opt = rate), effSetBlockSize(value = n)
//      (or rate and block size first, per HostSettings::openOrder).
//   3. Resume(): effMainsChanged(1) [, effStartProcess]. Open does it
//      unless HostSettings::resume is false; queries and state restore may
//      come before it.
//   4. Per block: SendMidi / SendEvents (effProcessEvents), then one
//      Process* call; the transport then advances by the block.
//   5. SetSampleRate / SetBlockSize while resumed: suspend, change, resume.
//   6. Close() (also the destructor): [effStopProcess,]
//      effMainsChanged(0) if resumed, then effClose. The binary unloads
//      once its last instance is closed.
class PluginInstance
{
public:
  // [control thread] A running instance, or null with `error` set to one
  // line: the loader's message, "no effect" when the entry point returned
  // null, or the bad magic found.
  static std::unique_ptr<PluginInstance> Open(const std::string& path,
                                              const HostSettings& settings = HostSettings(),
                                              std::string* error = nullptr);
  static std::unique_ptr<PluginInstance> Open(std::shared_ptr<PluginModule> module,
                                              const HostSettings& settings = HostSettings(),
                                              std::string* error = nullptr);

  ~PluginInstance();
  PluginInstance(const PluginInstance&) = delete;
  PluginInstance& operator=(const PluginInstance&) = delete;

  // [control thread] See the class comment, steps 3, 5 and 6. Each does
  // nothing when the instance is already in that state or closed.
  void Resume();
  void Suspend();
  void SetSampleRate(double sampleRate);
  void SetBlockSize(int blockSize);
  void Close();
  bool IsOpen() const { return mEffect != nullptr; }
  bool IsResumed() const { return mResumed; }
  double SampleRate() const { return mSampleRate; }
  int BlockSize() const { return mBlockSize; }

  // The plug-in's record, for fields without a wrapper. Null once closed.
  AEffect* Effect() const { return mEffect; }
  const std::shared_ptr<PluginModule>& Module() const { return mModule; }
  const HostSettings& Settings() const { return mSettings; }

  // ---- Dispatcher requests [control thread, unless the caller knows better]

  // Any request, unchanged. Returns 0 once closed.
  VstIntPtr Dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
  // A request that writes text into ptr, through a pre-filled buffer.
  TextAnswer QueryText(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0);

  std::string EffectName() { return QueryText(effGetEffectName).text; }
  std::string VendorString() { return QueryText(effGetVendorString).text; }
  std::string ProductString() { return QueryText(effGetProductString).text; }
  VstIntPtr VendorVersion() { return Dispatch(effGetVendorVersion); }
  VstIntPtr VstVersion() { return Dispatch(effGetVstVersion); }
  VstIntPtr Category() { return Dispatch(effGetPlugCategory); }

  std::string ParamName(VstInt32 index) { return QueryText(effGetParamName, index).text; }
  std::string ParamLabel(VstInt32 index) { return QueryText(effGetParamLabel, index).text; }
  std::string ParamDisplay(VstInt32 index) { return QueryText(effGetParamDisplay, index).text; }
  bool CanBeAutomated(VstInt32 index) { return Dispatch(effCanBeAutomated, index) != 0; }
  // effString2Parameter; true when the plug-in converted the text.
  bool String2Parameter(VstInt32 index, const std::string& text);

  VstIntPtr Program() { return Dispatch(effGetProgram); }
  void SetProgram(VstIntPtr program) { Dispatch(effSetProgram, 0, program); }
  std::string ProgramName() { return QueryText(effGetProgramName).text; }
  void SetProgramName(const std::string& name);
  // effGetProgramNameIndexed; empty when the plug-in says the program
  // does not exist.
  std::optional<std::string> ProgramNameIndexed(VstInt32 program);

  // effGetChunk: returns the size the plug-in reported (0: no chunk) and,
  // when it handed out data, copies that many bytes into `data`.
  VstIntPtr GetChunk(ChunkType type, std::vector<unsigned char>* data = nullptr);
  // effSetChunk with `size` bytes; returns the plug-in's answer.
  VstIntPtr SetChunk(ChunkType type, const void* data, VstIntPtr size);
  VstIntPtr SetChunk(ChunkType type, const std::vector<unsigned char>& data)
  {
    return SetChunk(type, data.data(), static_cast<VstIntPtr>(data.size()));
  }

  // effCanDo: 1 yes, -1 no, 0 don't know.
  VstIntPtr CanDo(const std::string& capability);
  // Empty when the plug-in does not describe the pin.
  std::optional<VstPinProperties> InputProperties(VstInt32 pin);
  std::optional<VstPinProperties> OutputProperties(VstInt32 pin);
  // Empty when the plug-in hands out no rectangle.
  std::optional<ERect> EditRect();
  VstIntPtr VendorSpecific(VstInt32 index, VstIntPtr value, void* ptr, float opt)
  {
    return Dispatch(effVendorSpecific, index, value, ptr, opt);
  }

  // ---- Parameters [any thread: automation may come from either side]
  float GetParameter(VstInt32 index);
  void SetParameter(VstInt32 index, float value);

  // ---- Audio [audio thread]
  // Each returns false, processing nothing, when the plug-in has no such
  // callback or is closed. The transport advances by `frames` afterwards,
  // and events sent for this block are released.
  bool ProcessReplacing(float** inputs, float** outputs, VstInt32 frames);
  bool ProcessAccumulating(float** inputs, float** outputs, VstInt32 frames);
  bool ProcessDoubleReplacing(double** inputs, double** outputs, VstInt32 frames);

  // A MIDI event with type and byteSize filled in.
  static VstMidiEvent MidiEvent(VstInt32 deltaFrames, unsigned char status, unsigned char data1,
                                unsigned char data2);
  // effProcessEvents with copies of `events`, unchanged (tests may send
  // odd ones), kept alive until the next Process* call returns.
  VstIntPtr SendMidi(const std::vector<VstMidiEvent>& events);
  // effProcessEvents with caller-owned events of any type.
  VstIntPtr SendEvents(VstEvent* const* events, VstInt32 count);

  // ---- What the plug-in told the host [any thread]
  std::vector<HostCall> HostCalls() const;
  // The record so far, leaving it empty.
  std::vector<HostCall> TakeHostCalls();
  void ClearHostCalls();
  std::vector<PluginEvent> TakePluginEvents();
  // How often the plug-in called the host with `opcode`, since the
  // entry point.
  int CallbackCount(VstInt32 opcode) const;
  // The plug-in called audioMasterWantMidi.
  bool WantsMidi() const { return mWantsMidi.load(); }
  // The mask of the latest audioMasterGetTime request.
  VstIntPtr LastTimeRequestMask() const { return mLastTimeMask.load(); }

  // ---- Host answers that change while running [any thread]
  void SetProcessLevel(VstInt32 level) { mProcessLevel.store(level); }
  // Changes the transport under its lock.
  void EditTransport(const std::function<void(Transport&)>& edit);
  Transport TransportState() const;
  // Answer audioMasterGetTime with null (no transport) while set.
  void SetTimeInfoNull(bool null);
  // Rewrites every time answer after the transport filled it in: any flags
  // or values an edge case needs. An empty function removes the edit.
  void SetTimeInfoEdit(std::function<void(VstTimeInfo&)> edit);
  // What audioMasterSizeWindow does: the handler gets the size the
  // plug-in asks for (width, height) and says whether the window took it.
  // Without one the host refuses, as a host without resizable windows does.
  void SetSizeWindowHandler(std::function<bool(int w, int h)> handler);

private:
  PluginInstance(std::shared_ptr<PluginModule> module, const HostSettings& settings);

  static VstIntPtr VSTCALLBACK HostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                            VstIntPtr value, void* ptr, float opt);
  VstIntPtr Answer(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);
  VstIntPtr AnswerTime(VstIntPtr mask);
  VstIntPtr HostCanDo(const char* capability) const;
  void Record(const HostCall& call);
  void RecordEvents(const VstEvents* events);
  void FinishBlock(VstInt32 frames);
  std::optional<VstPinProperties> PinProperties(VstInt32 opcode, VstInt32 pin);

  std::shared_ptr<PluginModule> mModule;
  const HostSettings mSettings;
  AEffect* mEffect = nullptr;
  bool mResumed = false;
  std::atomic<double> mSampleRate;
  std::atomic<int> mBlockSize;
  std::string mDirectory; // answered to audioMasterGetDirectory

  mutable std::mutex mRecordMutex;
  std::vector<HostCall> mHostCalls;
  std::vector<PluginEvent> mPluginEvents;
  static const int kCountedOpcodes = 64;
  std::atomic<int> mCallbackCounts[kCountedOpcodes];
  std::atomic<bool> mWantsMidi{false};
  std::atomic<VstIntPtr> mLastTimeMask{0};
  std::atomic<VstInt32> mProcessLevel;

  mutable std::mutex mTransportMutex;
  Transport mTransport;
  bool mTimeNull = false;
  std::function<void(VstTimeInfo&)> mTimeEdit;
  std::mutex mSizeWindowMutex;
  std::function<bool(int, int)> mSizeWindow;

  // Event lists handed to effProcessEvents, alive until the block is done.
  struct EventBatch;
  std::vector<std::unique_ptr<EventBatch>> mPendingEvents;
};

} // namespace vsthost
