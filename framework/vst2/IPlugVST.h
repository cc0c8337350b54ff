#pragma once

#include "IPlugBase.h"
#include "VST2Interface.h"

#include <new>

// What the entry point hands the plug-in's constructor: the host callback.
struct IPlugInstanceInfo
{
  audioMasterCallback mVSTHostCallback = nullptr;
};

// The VST2 adapter: presents a plug-in to a VST2 host as an AEffect, answers
// the host's dispatcher requests and audio and parameter callbacks, and
// supplies the base's host-facing operations through the host callback.
//
// A host drives an instance in this order:
//   1. VSTPluginMain(callback) constructs the plug-in (VST2EntryPoint below);
//   2. effOpen: the host is identified once, then every parameter is pushed
//      through OnParamChange;
//   3. effSetSampleRate, effSetBlockSize (each followed by Reset);
//   4. effMainsChanged(1), then per block effProcessEvents and one of the
//      three processing callbacks, with setParameter between blocks;
//   5. effMainsChanged(0), effClose: the instance deletes itself.
//
// Every request and callback holds the plug-in mutex for its whole duration.
// Strings go to the host bounded and NUL-terminated; strings come from the
// host read up to a bound, never past it.
class IPlugVST : public IPlugBase
{
public:
  // Bytes written into host string buffers, the terminator included. The
  // interface's official parameter-string size (8) would cut every name
  // here; hosts pass far larger buffers, and 32 is the customary bound.
  static constexpr int kProgramNameBytes = 24;
  static constexpr int kEffectNameBytes = 32;
  static constexpr int kVendorBytes = 64;
  static constexpr int kProductBytes = 64;
  static constexpr int kPinLabelBytes = 64;
  static constexpr int kParamStringBytes = 32;
  // Bytes read from host text: program names and typed parameter values.
  static constexpr int kProgramNameReadBytes = 24;
  static constexpr int kParamTextReadBytes = 256;

  IPlugVST(IPlugInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
           const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
           int uniqueID, int mfrID, int latency = 0, bool plugDoesMidi = false,
           bool plugDoesChunks = false, bool plugIsInst = false, int plugScChans = 0);

  // [any thread] The descriptor handed to the host, and the host's callback.
  AEffect* GetAEffect() { return &mAEffect; }
  audioMasterCallback GetHostCallback() const { return mHostCallback; }

  // ---- Host-facing operations of the base, through the host callback ----
  // [UI thread] audioMasterBeginEdit, audioMasterAutomate, audioMasterEndEdit.
  void BeginInformHostOfParamChange(int idx) override;
  void InformHostOfParamChange(int idx, double normalizedValue) override;
  void EndInformHostOfParamChange(int idx) override;
  // [UI thread] audioMasterUpdateDisplay.
  void InformHostOfProgramChange() override;
  // [any thread] Whether the host renders offline, and its transport:
  // audioMasterGetCurrentProcessLevel and audioMasterGetTime.
  bool IsRenderingOffline() override;
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  // [any thread] Identifies the host on first use, asking it for its
  // product string and version; later calls answer from memory.
  EHost GetHost() override;
  // [UI thread] The editor's rectangle follows its context's size.
  void ResizeGraphics(int w, int h) override;
  // [UI thread, mutex held] Once, at the first effOpen.
  void HostSpecificInit() override;
  // [construction] Takes the editor and sets the editor flag; its size is
  // what effEditGetRect answers.
  void AttachGraphics(IGraphicsInterface* pGraphics) override;
  // [UI thread, mutex held] The descriptor's initial delay.
  void SetLatency(int samples) override;
  // [audio thread, mutex held] audioMasterProcessEvents with one event.
  bool SendMidiMsg(IMidiMsg* msg) override;
  bool SendSysEx(ISysEx* pSysEx) override;

protected:
  // [any thread] The host callback, 0 when the host gave none.
  VstIntPtr HostCallback(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0,
                         void* ptr = nullptr, float opt = 0.0f);
  // The host's transport record when it has one sharing a bit with filter
  // (any record for filter 0); null otherwise. Owned by the host.
  VstTimeInfo* GetTimeInfo(VstInt32 filter);

private:
  static VstIntPtr VSTCALLBACK VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                             VstIntPtr value, void* ptr, float opt);
  static void VSTCALLBACK VSTProcess(AEffect* effect, float** inputs, float** outputs,
                                     VstInt32 nFrames);
  static void VSTCALLBACK VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                              VstInt32 nFrames);
  static void VSTCALLBACK VSTProcessDoubleReplacing(AEffect* effect, double** inputs,
                                                    double** outputs, VstInt32 nFrames);
  static float VSTCALLBACK VSTGetParameter(AEffect* effect, VstInt32 idx);
  static void VSTCALLBACK VSTSetParameter(AEffect* effect, VstInt32 idx, float value);

  VstIntPtr Dispatch(IMutexLock& lock, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                     float opt);
  VstIntPtr GetChunk(bool isBank, void** ppData);
  VstIntPtr SetChunk(bool isBank, VstIntPtr size, const void* data);
  VstIntPtr ProcessEvents(const VstEvents* events);
  VstIntPtr String2Parameter(int idx, const char* text);
  VstIntPtr GetPinProperties(bool input, int idx, VstPinProperties* pin);
  VstIntPtr CanDo(const char* capability);
  // One processing callback: flush-to-zero, the plug-in mutex, the host's
  // buffers, then render.
  template <class Sample, class Render>
  static void RunProcess(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 nFrames,
                         Render render);
  // Attaches the host's buffers; false when nothing may be processed.
  template <class Sample> bool PrepProcess(Sample** inputs, Sample** outputs, int nFrames);
  bool SendVSTEvent(VstEvent* event);
  // An editor that this platform can show in a window.
  bool HasEditorWindow() const { return GetGUI() && GetGUI()->CanOpenWindow(); }

  ERect mEditRect = {};
  audioMasterCallback mHostCallback;
  VstSpeakerArrangement mInputSpkrArr = {};
  VstSpeakerArrangement mOutputSpkrArr = {};
  bool mHostSpecificInitDone = false;
  bool mDoesMidi;
  ByteChunk mState;     // handed to the host for program chunks
  ByteChunk mBankState; // handed to the host for bank chunks
  AEffect mAEffect = {};
};

// Speaker arrangement type for a channel count.
VstInt32 VSTSpkrArrType(int nChannels);

// The creation lock shared by every entry point of the library.
WDL_Mutex& VSTCreationMutex();

// What VSTPluginMain does: under the process-wide creation lock, construct
// the plug-in, fill the remaining preset slots with the default state, and
// hand out its AEffect. Null when construction fails: no exception ever
// reaches the host.
template <class Plug> AEffect* VST2EntryPoint(audioMasterCallback hostCallback)
{
  WDL_MutexLock lock(&VSTCreationMutex());
  try
  {
    IPlugInstanceInfo info;
    info.mVSTHostCallback = hostCallback;
    Plug* plug = new Plug(info);
    plug->EnsureDefaultPreset();
    AEffect* effect = plug->GetAEffect();
    if (effect->numPrograms < 1)
    {
      effect->numPrograms = 1;
    }
    return effect;
  }
  catch (...)
  {
    return nullptr;
  }
}

// Defines the library's exported entry points for a plug-in class:
// VSTPluginMain, and main for older hosts. On Windows the module definition
// file (vst2-exports.def) exports both under one address; on ELF main is an
// alias of VSTPluginMain. Nothing else is visible from the library.
#if defined(_WIN32)
#define KOLVANE_VST2_MAIN_ALIAS
#else
#define KOLVANE_VST2_MAIN_ALIAS                                                                    \
  extern "C" __attribute__((visibility("default"), alias("VSTPluginMain")))                        \
  AEffect* KolvaneLegacyMain(audioMasterCallback) __asm__("main");
#endif

#define KOLVANE_VST2_ENTRY_POINTS(PlugClass)                                                       \
  extern "C" __attribute__((visibility("default"))) AEffect* VSTCALLBACK VSTPluginMain(            \
      audioMasterCallback hostCallback)                                                            \
  {                                                                                                \
    return VST2EntryPoint<PlugClass>(hostCallback);                                                \
  }                                                                                                \
  KOLVANE_VST2_MAIN_ALIAS
