#pragma once

#include <cassert>

#include "IFormatAdapter.h"
#include "IGraphicsInterface.h"
#include "IMidiMsg.h"
#include "IParam.h"
#include "IPlugChannels.h"
#include "IPlugHost.h"
#include "IPlugInterface.h"
#include "IPlugPresetBank.h"
#include "IPlugStructs.h"
#include "WDL_Mutex.h"
#include "WDL_PtrList.h"
#include "WDL_String.h"
#include "WDL_TypedBuf.h"

// Who may call what. Every entry point below carries one of these tags:
//   [audio thread]    the host's processing thread: never blocks on anything
//                     but the plug-in mutex, never allocates in normal operation
//   [UI thread]       the host's user-interface thread, or the editor's
//   [any thread, takes the plug-in mutex]
//                     may come from either; serialised by the recursive mutex
//   [mutex held]      called by the framework with the plug-in mutex held
//   [construction]    only while the plug-in class is being constructed,
//                     under the process-wide creation lock, before any host
//                     call
// A tag on a section's banner holds for every entry point in the section.
//
// Debug builds check the tags that can be checked from inside: an entry
// point tagged [mutex held] asserts that its caller holds the plug-in mutex.
#ifndef NDEBUG
#define IPLUG_ASSERT_MUTEX_HELD(plug) assert((plug)->GetMutex()->HeldByThisThread())
#else
#define IPLUG_ASSERT_MUTEX_HELD(plug) ((void)0)
#endif

// What a plug-in class tells the base about itself, once, at construction.
// Fields left alone describe a stereo effect with no parameters, presets,
// MIDI or state chunks.
struct IPlugConfig
{
  int mNParams = 0;
  // Space-separated "in-out" pairs, e.g. "1-1 2-2".
  const char* mChannelIO = "2-2";
  int mNPresets = 0;
  const char* mEffectName = "";
  const char* mProductName = "";
  const char* mMfrName = "";
  int mVendorVersion = 0; // 0xVVVVRRMM: version, revision, minor
  int mUniqueID = 0;
  int mMfrID = 0;
  int mLatency = 0; // samples of delay the plug-in adds
  bool mDoesMidi = false;
  bool mDoesChunks = false; // the state is one opaque chunk, not per-parameter values
  bool mIsInstrument = false;
  // The editor the plug-in builds when the host opens it (MakeEditor): its
  // size in layout units, which are its pixels at 100 % (0: no editor),
  // whether it also draws at 150 and 200 %, and whether this platform
  // shows it in a window.
  struct Editor
  {
    int mWidth = 0;
    int mHeight = 0;
    bool mScalable = false;
    bool mHasWindow = false;
  } mEditor;
};

// The host-independent base of every plug-in. It owns the parameters, the
// preset bank (IPlugPresetBank: the preset slots, program and bank files,
// reached as Presets()), the channel configuration and the channels
// (IPlugChannels: connections, host and scratch buffers, reached as
// Channels()), the editor's graphics context, and one recursive mutex that
// serialises what the host, the audio thread and the editor do to the
// plug-in.
//
// Life of a plug-in, as the host adapter drives it:
//   1. construction (parameters, presets and channels; the adapter connects
//      every channel and sets a block size of 1024);
//   2. the plug-in class types its parameters, makes its presets through
//      Presets() and may attach a graphics context;
//   3. the host opens it: all parameters are pushed through OnParamChange;
//   4. sample rate and block size (each followed by Reset), activation and
//      deactivation (deactivation followed by Reset);
//   5. per block: host buffers attached, ProcessDoubleReplacing, float
//      results converted back (IPlugChannels);
//   6. destruction deletes the editor, parameters, presets and channels.
//
// The base knows no plug-in format. Host-facing operations (automation,
// transport, MIDI out, editor size) forward to the IFormatAdapter that
// presents the plug-in; without one (in tools and tests) they answer as a
// host with no transport that records nothing. Hooks named On... are the
// plug-in class's to override.
class IPlugBase : public IPlugInterface
{
public:
  struct ChannelIO
  {
    int mIn;
    int mOut;
  };

  // Scoped lock of a plug-in's mutex. Destroy() leaves early, for a request
  // that deletes the plug-in while the lock is still in scope.
  class IMutexLock
  {
  public:
    explicit IMutexLock(IPlugBase* plug) : mMutex(plug ? &plug->mMutex : nullptr)
    {
      if (mMutex)
      {
        mMutex->Enter();
      }
    }
    ~IMutexLock() { Destroy(); }
    void Destroy()
    {
      if (mMutex)
      {
        mMutex->Leave();
        mMutex = nullptr;
      }
    }
    IMutexLock(const IMutexLock&) = delete;
    IMutexLock& operator=(const IMutexLock&) = delete;

  private:
    WDL_Mutex* mMutex;
  };

  explicit IPlugBase(const IPlugConfig& config);
  virtual ~IPlugBase();

  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Identity [any thread] -------------------------------------------
  // Fixed at construction, except the host, which is set once when it is
  // identified at the first open.
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* str) const;
  // The format presenting the plug-in ("VST2"); "" before one is connected.
  const char* GetAPIString() const;
  // The processor this build runs on: "x86", "x64", "arm64" or "".
  static const char* GetArchString();
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* str);
  // Records the host once identified from its product string.
  void SetHost(const char* productString, int version);
  bool IsInst() const { return mIsInst; }
  bool DoesStateChunks() const { return mStateChunks; }
  bool DoesMidi() const { return mDoesMidi; }
  int GetLatency() const { return mLatency; }

  // ---- Parameters, presets and editor [any thread] -----------------------
  // Lookups only; a value read without the mutex may be a block old.
  int NParams() const { return mParams.GetSize(); }
  // Null for an index out of range.
  IParam* GetParam(int idx) const override { return mParams.Get(idx); }
  // The preset slots and files; each of the bank's entry points carries its
  // own tag.
  IPlugPresetBank& Presets() { return mPresetBank; }
  const IPlugPresetBank& Presets() const { return mPresetBank; }
  // The editor while it is built (the host opened it), else null.
  IGraphicsInterface* GetGUI() const { return mGraphics; }
  // The editor as the plug-in describes it, whether it is built or not.
  const IPlugConfig::Editor& GetEditorConfig() const { return mEditorConfig; }

  // ---- Audio configuration ----------------------------------------------
  // [any thread] Reads. The setters are the adapter's, [UI thread, mutex
  // held], or [construction].
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mChannels.GetBlockSize(); }
  int NInChannels() const { return mChannels.NInChannels(); }
  int NOutChannels() const { return mChannels.NOutChannels(); }
  // False for an index out of range.
  bool IsInChannelConnected(int chIdx) const { return mChannels.IsInChannelConnected(chIdx); }
  bool IsOutChannelConnected(int chIdx) const { return mChannels.IsOutChannelConnected(chIdx); }
  // The channels' connections, block size and buffers, which the façade
  // and the format adapter drive; each entry point carries its own tag.
  IPlugChannels& Channels() { return mChannels; }
  int NChannelIO() const { return mChannelIO.GetSize(); }
  // True when some configuration matches; a negative count matches any.
  bool LegalIO(int nIn, int nOut) const;
  void LimitToStereoIO();
  void SetInputLabel(int idx, const char* label);
  void SetOutputLabel(int idx, const char* label);
  const char* GetInputLabel(int idx) const;
  const char* GetOutputLabel(int idx) const;
  void SetInputBusLabel(int idx, const char* label);
  void SetOutputBusLabel(int idx, const char* label);
  // [audio thread, mutex held] 60 * sample rate / tempo; 0 without a tempo.
  double GetSamplesPerBeat();
  // [audio thread, mutex held] Each message out to the host, in order.
  bool SendMidiMsgs(WDL_TypedBuf<IMidiMsg>* msgs);

  // ---- Hooks and host-facing operations, in slot order -----------------
  // [any thread, takes the plug-in mutex] After a sample-rate or block-size
  // change and on deactivation.
  virtual void Reset();
  // [any thread, takes the plug-in mutex] Parameter paramIdx has a new value.
  virtual void OnParamChange(int paramIdx);
  // [audio thread, mutex held] Renders nFrames; the base copies inputs to
  // outputs and silences outputs without an input.
  virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
  // [audio thread, mutex held] Not used by the VST2 adapter, which always
  // renders in doubles.
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  // [UI thread, mutex held] The editor's window opened or closed.
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // [UI thread, mutex held] The host's idle tick.
  virtual void OnIdle() {}
  // [UI thread, takes the plug-in mutex] The host starts (true) or stops
  // (false) calling
  // the processing callbacks.
  virtual void OnActivate(bool active);
  // [audio or UI thread, mutex held] One incoming MIDI message; the base
  // passes it back out to the host.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  // [audio or UI thread, mutex held] One incoming system-exclusive message.
  virtual void ProcessSysEx(ISysEx*) {}
  // [UI thread, mutex held] A name for a note; false for none.
  virtual bool MidiNoteName(int noteNumber, char* name);
  // [any thread, mutex held] The plug-in's whole state into and out of a
  // chunk; the base's forms are one double per parameter.
  virtual bool SerializeState(ByteChunk* chunk);
  virtual int UnserializeState(const ByteChunk* chunk, int startPos);
  // [any thread] How many bytes at the start of every state SerializeState
  // writes make up the whole state of the plug-in's older versions, for a
  // plug-in whose later versions add to a state of fixed size; 0 (the
  // base's answer) when the state has not grown. A bank holds a program's
  // state where older versions read it, one after another with nothing to
  // tell where each ends, so the preset bank keeps only those bytes there
  // and the rest of every program's state after the last program, where
  // older versions never look (IPlugPresetBank::SerializePresets).
  virtual int StateBytesOlderVersionsRead() const { return 0; }
  virtual bool CompareState(const unsigned char* data, int startPos);
  // [UI thread] The editor's window changed size.
  virtual void OnWindowResize() {}
  // [UI thread, mutex held] True when the plug-in showed its own about box.
  virtual bool HostRequestingAboutBox() { return false; }
  // [UI thread, mutex held] Once, when the host is known.
  virtual void OnHostIdentified() {}
  // [UI thread] The host's menu for a parameter, where the host has one.
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // Readouts: whole numbers the processing side reports for its editor to
  // show (which step plays, ...). An editor that shares the instance reads
  // them itself; a format whose editor runs apart, on a mirror of the
  // plug-in (LV2), carries each readout to the mirror, as an output control
  // port.
  struct ReadoutInfo
  {
    const char* symbol; // a stable identifier, as a parameter's
    const char* name;
    int min;
    int max;
  };
  // [any thread] How many, and each one's description (idx in range).
  virtual int NReadouts() const { return 0; }
  virtual ReadoutInfo GetReadoutInfo(int) const { return {"", "", 0, 0}; }
  // [audio thread, mutex held] Its value after the block just rendered.
  virtual int GetReadout(int) const { return 0; }
  // [UI thread, mutex held] On a mirror: the processing side's value,
  // within [min, max], which its editor shows from its next idle tick on.
  virtual void SetReadoutFromHost(int, int) {}
  // [UI thread, takes the plug-in mutex] The editor changed a parameter:
  // store it, tell the host, tell the plug-in.
  void SetParameterFromGUI(int idx, double normalizedValue) override;
  // ---- Host-facing operations, forwarded to the format adapter ----------
  // [UI thread] The editor's gesture on a parameter, as the host records
  // automation: begin, any number of values, end.
  void BeginInformHostOfParamChange(int idx) override;
  virtual void InformHostOfParamChange(int idx, double normalizedValue);
  void EndInformHostOfParamChange(int idx) override;
  // [UI thread] The current program or its name changed.
  virtual void InformHostOfProgramChange();
  // [any thread] Questions to the host about the transport; answered from
  // the host's time record, so on the audio thread they describe the block
  // being rendered. Without a host: no transport (0, 0, 0/0, untouched).
  virtual bool IsRenderingOffline();
  virtual int GetSamplePos();
  virtual double GetTempo();
  virtual void GetTimeSig(int* pNum, int* pDenom);
  virtual void GetTime(ITimeInfo* pTimeInfo);
  // [any thread] Which host and format; the host is identified once, on
  // first use after the adapter is connected.
  virtual EHost GetHost();
  EAPI GetAPI() const { return mFormat ? mFormat->GetAPI() : kAPINone; }
  // [UI thread] Asks the host to resize the editor's window.
  void ResizeGraphics(int w, int h) override;
  // [UI thread, mutex held] The plug-in's editor, built anew when the host
  // opens it: a graphics context with its controls, not yet attached. Null
  // (the base's answer) for none.
  virtual IGraphicsInterface* MakeEditor() { return nullptr; }
  // [UI thread, takes the plug-in mutex] Takes ownership of the editor's
  // graphics context and pushes every parameter into its controls.
  virtual void AttachGraphics(IGraphicsInterface* pGraphics);
  // [UI thread, takes the plug-in mutex] Deletes the attached editor; its
  // window must be closed.
  void DeleteGraphics();
  // [UI thread, mutex held] Samples of delay the plug-in adds.
  virtual void SetLatency(int samples);
  // [audio thread, mutex held] MIDI out to the host; false when it refused
  // or there is no host.
  virtual bool SendMidiMsg(IMidiMsg* msg);
  virtual bool SendSysEx(ISysEx* pSysEx);
  // [any thread, mutex held] The editor's controls follow the parameters
  // (after state loads).
  virtual void RedrawParamControls();
  // [any thread, mutex held] Notifications for hosts that keep their own
  // copy of the state.
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}

  // [any thread] The plug-in mutex (what IMutexLock holds), for the editor.
  WDL_Mutex* GetMutex() override { return &mMutex; }

  // ---- The format adapter -------------------------------------------------
  // [construction] The adapter connects itself once, after the plug-in
  // class is constructed and before any host request; the base does not
  // own it.
  void SetFormat(IFormatAdapter* format) { mFormat = format; }
  IFormatAdapter* GetFormat() const { return mFormat; }

  // ---- State ------------------------------------------------------------
  // [any thread, takes the plug-in mutex] One double per parameter.
  bool SerializeParams(ByteChunk* chunk);
  // [any thread, takes the plug-in mutex] Returns the position after the
  // last value read, or -1 when the data ran out; parameters read before
  // that keep their new values, the rest keep theirs.
  int UnserializeParams(const ByteChunk* chunk, int startPos);
  // [mutex held] Every OnParamChange in index order.
  void OnParamReset();
  // [any thread, takes the plug-in mutex] Tells the host every parameter changed.
  void DirtyParameters();

protected:
  WDL_Mutex mMutex;
  bool mStateChunks;
  bool mIsInst;
  bool mDoesMidi;

private:
  WDL_PtrList<ChannelIO> mChannelIO;
  char mEffectName[128];
  char mProductName[128];
  char mMfrName[128];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  IFormatAdapter* mFormat = nullptr;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  double mSampleRate = 44100.0;
  int mLatency;
  IGraphicsInterface* mGraphics = nullptr;
  IPlugConfig::Editor mEditorConfig;
  WDL_PtrList<IParam> mParams;
  IPlugPresetBank mPresetBank;
  IPlugChannels mChannels;
  WDL_PtrList<WDL_String> mInputBusLabels;
  WDL_PtrList<WDL_String> mOutputBusLabels;
};

// The 8-byte header that opens every chunk handed to a host: "tffp" and
// the chunk version 1.0.0.
const int IPLUG_VERSION_MAGIC = 0x70666674;
const int IPLUG_CHUNK_VERSION = 0x00010000;
void InitChunkWithIPlugVer(ByteChunk* chunk);
// The chunk version after the header at *pPos, moving *pPos past it; 0 and
// *pPos unchanged when there is no header.
int GetIPlugVerFromChunk(const ByteChunk* chunk, int* pPos);
// The tag of the editor's trailer ("EdSt" in file order) and its version.
const int IPLUG_EDITOR_STATE_MAGIC = 0x74536445;
const int IPLUG_EDITOR_STATE_VERSION = 1;
