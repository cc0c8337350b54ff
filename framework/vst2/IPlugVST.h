#pragma once

#include "IPlugBase.h"
#include "IPlugFacade.h"
#include "IPlugModule.h"
#include "VST2Interface.h"

#include <memory>

class IPlugVST final : public IFormatAdapter
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

  // [construction] Takes the constructed plug-in, describes it in the
  // AEffect (its editor among it) and connects itself to it.
  IPlugVST(std::unique_ptr<IPlugBase> plug, audioMasterCallback hostCallback);
  ~IPlugVST() override;

  IPlugVST(const IPlugVST&) = delete;
  IPlugVST& operator=(const IPlugVST&) = delete;

  // [any thread] The descriptor handed to the host, the host's callback and
  // the plug-in presented.
  AEffect* GetAEffect() { return &mAEffect; }
  audioMasterCallback GetHostCallback() const { return mHostCallback; }
  IPlugBase* GetPlug() const { return mPlug; }
  IPlugFacade& GetFacade() { return mFacade; }
  // The adapter behind a descriptor this library handed out; null for null.
  static IPlugVST* FromAEffect(AEffect* effect);

  EAPI GetAPI() const override { return kAPIVST2; }

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
  // [any thread] Asks the host for its product string and version.
  void IdentifyHost() override;
  // [construction or UI thread] The editor flag, and the size that
  // effEditGetRect answers.
  void AttachGraphics(IGraphicsInterface* pGraphics) override;
  // [UI thread] The editor's rectangle follows its context's size; while
  // the editor is open the host is asked to resize its window
  // (audioMasterSizeWindow).
  void ResizeGraphics(int w, int h) override;
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

  VstIntPtr Dispatch(IPlugBase::IMutexLock& lock, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                     void* ptr, float opt);
  VstIntPtr GetChunk(bool isBank, void** ppData);
  VstIntPtr SetChunk(bool isBank, VstIntPtr size, const void* data);
  VstIntPtr ProcessEvents(const VstEvents* events);
  VstIntPtr String2Parameter(int idx, const char* text);
  VstIntPtr GetPinProperties(bool input, int idx, VstPinProperties* pin);
  VstIntPtr CanDo(const char* capability);
  // [UI thread, mutex held] Once, at the first effOpen, before the façade
  // opens the plug-in: the host is identified, and hosts that take only
  // stereo get the descriptor's channels cut to it.
  void HostSpecificInit();
  // One processing callback: the plug-in mutex, the host's MIDI interest,
  // then render through the façade (which flushes subnormals to zero).
  template <class Sample, class Render>
  static void RunProcess(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 nFrames,
                         Render render);
  bool SendVSTEvent(VstEvent* event);
  // The editor flag and the rectangle effEditGetRect answers, from the
  // façade, whether the editor is built or not.
  void UpdateEditor();
  audioMasterCallback mHostCallback;
  // Everything the plug-in does for the host; the adapter only translates.
  IPlugFacade mFacade;
  IPlugBase* mPlug; // the façade's, for the descriptor's fixed answers
  ERect mEditRect = {};
  VstSpeakerArrangement mInputSpkrArr = {};
  VstSpeakerArrangement mOutputSpkrArr = {};
  bool mHostSpecificInitDone = false;
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
// hand out the AEffect of an adapter around it. Null when construction
// fails: no exception ever reaches the host.
template <class Plug> AEffect* VST2EntryPoint(audioMasterCallback hostCallback)
{
  WDL_MutexLock lock(&VSTCreationMutex());
  try
  {
    std::unique_ptr<IPlugBase> plug(new Plug());
    plug->Presets().EnsureDefaultPreset();
    return (new IPlugVST(std::move(plug), hostCallback))->GetAEffect();
  }
  catch (...)
  {
    return nullptr;
  }
}

// The plug-in behind a descriptor made by VST2EntryPoint<Plug>, for tests
// and tools built with the plug-in; null for null.
template <class Plug> Plug* VST2PlugOf(AEffect* effect)
{
  IPlugVST* adapter = IPlugVST::FromAEffect(effect);
  return adapter ? static_cast<Plug*>(adapter->GetPlug()) : nullptr;
}

// [UI thread, takes the plug-in mutex] The editor of such an instance,
// built as the host's opening would build it but without a window, for
// tests and tools that draw it; null for null or a plug-in without one.
inline IGraphicsInterface* VST2EditorOf(AEffect* effect)
{
  IPlugVST* adapter = IPlugVST::FromAEffect(effect);
  if (!adapter)
  {
    return nullptr;
  }
  IPlugBase::IMutexLock lock(adapter->GetPlug());
  return adapter->GetFacade().BuildEditor();
}

// Defines the library's exported entry points for a plug-in class:
// VSTPluginMain, and main for older hosts. On Windows the module definition
// file (vst2-exports.def) exports both under one address, and the load hook
// (DllMain) remembers the module for the editor's pictures; on ELF main is
// an alias of VSTPluginMain. Nothing else is visible from the library.
#if defined(_WIN32)
// DllMain(HINSTANCE, DWORD, LPVOID) in the system's own types, so that
// <windows.h> stays out of every file that defines entry points.
#define KOLVANE_VST2_PLATFORM_ENTRY                                                                \
  extern "C" int __stdcall DllMain(void* instance, unsigned long, void*)                           \
  {                                                                                                \
    gHInstance = instance;                                                                         \
    return 1;                                                                                      \
  }
#else
#define KOLVANE_VST2_PLATFORM_ENTRY                                                                \
  extern "C" __attribute__((visibility("default"), alias("VSTPluginMain")))                        \
  AEffect* KolvaneLegacyMain(audioMasterCallback) __asm__("main");
#endif

#define KOLVANE_VST2_ENTRY_POINTS(PlugClass)                                                       \
  extern "C" __attribute__((visibility("default"))) AEffect* VSTCALLBACK VSTPluginMain(            \
      audioMasterCallback hostCallback)                                                            \
  {                                                                                                \
    return VST2EntryPoint<PlugClass>(hostCallback);                                                \
  }                                                                                                \
  KOLVANE_VST2_PLATFORM_ENTRY
