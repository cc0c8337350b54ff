#pragma once

#include "IGraphicsInterface.h"
#include "IMidiMsg.h"
#include "IParam.h"
#include "IPlugHost.h"
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

enum EAPI
{
  kAPIVST2 = 0,
  kAPIVST3 = 1,
  kAPIAU = 2,
  kAPIRTAS = 3,
  kAPIAAX = 4,
  kAPIStandalone = 5,
};

// The host-independent base of every plug-in. It owns the parameters, the
// preset slots, the channel configuration and audio buffer plumbing, the
// editor's graphics context, and one recursive mutex that serialises what
// the host, the audio thread and the editor do to the plug-in.
//
// Life of a plug-in, as the host adapter drives it:
//   1. construction (parameters, presets and channels; the adapter connects
//      every channel and sets a block size of 1024);
//   2. the plug-in class types its parameters, makes its presets and may
//      attach a graphics context;
//   3. the host opens it: all parameters are pushed through OnParamChange;
//   4. sample rate, block size, activation (each followed by Reset);
//   5. per block: host buffers attached, ProcessDoubleReplacing, float
//      results converted back;
//   6. destruction deletes the editor, parameters, presets and channels.
//
// Host-facing requirements (automation, transport, MIDI out, editor size)
// are pure virtual operations that the adapter supplies; hooks named On...
// are the plug-in class's to override.
class IPlugBase
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

  // channelIOStr: space-separated "in-out" pairs, e.g. "1-1 2-2".
  IPlugBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
            const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
            int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
            EAPI plugAPI);
  virtual ~IPlugBase();

  IPlugBase(const IPlugBase&) = delete;
  IPlugBase& operator=(const IPlugBase&) = delete;

  // ---- Identity --------------------------------------------------------
  const char* GetEffectName() const { return mEffectName; }
  const char* GetProductName() const { return mProductName; }
  const char* GetMfrName() const { return mMfrName; }
  int GetUniqueID() const { return mUniqueID; }
  int GetMfrID() const { return mMfrID; }
  int GetEffectVersion(bool decimal) const;
  void GetEffectVersionStr(char* str) const;
  const char* GetAPIString() const;
  const char* GetArchString() const { return "x86"; }
  int GetHostVersion(bool decimal);
  void GetHostVersionStr(char* str);
  // Records the host once identified from its product string.
  void SetHost(const char* productString, int version);
  bool IsInst() const { return mIsInst; }
  bool DoesStateChunks() const { return mStateChunks; }
  int GetLatency() const { return mLatency; }

  // ---- Parameters and presets ------------------------------------------
  int NParams() const { return mParams.GetSize(); }
  // Null for an index out of range.
  IParam* GetParam(int idx) const { return mParams.Get(idx); }
  int NPresets() const { return mPresets.GetSize(); }
  int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
  // True once the live parameters came from the current preset slot (or were
  // stored into it): only then are edits to them that slot's to keep. A new
  // plug-in plays its defaults, which belong to no slot.
  bool StateBelongsToCurrentPreset() const { return mStateFromCurrentPreset; }
  IGraphicsInterface* GetGUI() const { return mGraphics; }

  // ---- Audio configuration ---------------------------------------------
  double GetSampleRate() const { return mSampleRate; }
  void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
  int GetBlockSize() const { return mBlockSize; }
  int NInChannels() const { return mInChannels.GetSize(); }
  int NOutChannels() const { return mOutChannels.GetSize(); }
  bool IsInChannelConnected(int chIdx) const;
  bool IsOutChannelConnected(int chIdx) const;
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
  // 60 * sample rate / tempo; 0 without a tempo.
  double GetSamplesPerBeat();
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
  virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
  virtual void OnGUIOpen() {}
  virtual void OnGUIClose() {}
  // [UI thread, mutex held] The host's idle tick.
  virtual void OnIdle() {}
  virtual void OnActivate(bool active);
  // [audio or UI thread, mutex held] One incoming MIDI message; the base
  // passes it back out to the host.
  virtual void ProcessMidiMsg(IMidiMsg* msg);
  virtual void ProcessSysEx(ISysEx*) {}
  virtual bool MidiNoteName(int noteNumber, char* name);
  virtual bool SerializeState(ByteChunk* chunk);
  virtual int UnserializeState(const ByteChunk* chunk, int startPos);
  virtual bool CompareState(const unsigned char* data, int startPos);
  virtual void OnWindowResize() {}
  virtual bool HostRequestingAboutBox() { return false; }
  // [UI thread, mutex held] Once, when the host is known.
  virtual void OnHostIdentified() {}
  virtual void PopupHostContextMenuForParam(int, int, int) {}
  // [UI thread, takes the plug-in mutex] The editor changed a parameter:
  // store it, tell the host, tell the plug-in.
  virtual void SetParameterFromGUI(int idx, double normalizedValue);
  virtual void BeginInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
  virtual void EndInformHostOfParamChange(int idx) = 0;
  virtual void InformHostOfProgramChange() = 0;
  virtual bool IsRenderingOffline() { return false; }
  virtual int GetSamplePos() = 0;
  virtual double GetTempo() = 0;
  virtual void GetTimeSig(int* pNum, int* pDenom) = 0;
  virtual void GetTime(ITimeInfo* pTimeInfo) = 0;
  virtual EHost GetHost() { return mHost; }
  virtual EAPI GetAPI() { return mAPI; }
  virtual void ResizeGraphics(int w, int h) = 0;
  virtual void HostSpecificInit() {}
  // [UI thread, takes the plug-in mutex] Takes ownership of the editor's
  // graphics context and pushes every parameter into its controls.
  virtual void AttachGraphics(IGraphicsInterface* pGraphics);
  virtual void SetLatency(int samples) { mLatency = samples; }
  virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
  virtual bool SendSysEx(ISysEx*) { return false; }
  // The editor's controls follow the parameters (after state loads).
  virtual void RedrawParamControls();
  virtual void DirtyPTCompareState() {}
  virtual void PresetsChangedByHost() {}
  // [any thread, mutex held] Resizes every scratch buffer to blockSize
  // zeros; nothing happens when the size is unchanged.
  virtual void SetBlockSize(int blockSize);

  // ---- State and presets -----------------------------------------------
  // [any thread, takes the plug-in mutex] One double per parameter.
  bool SerializeParams(ByteChunk* chunk);
  // [any thread, takes the plug-in mutex] Returns the position after the
  // last value read, or -1 when the data ran out; parameters read before
  // that keep their new values, the rest keep theirs.
  int UnserializeParams(const ByteChunk* chunk, int startPos);
  // Every OnParamChange in index order. Caller holds the mutex.
  void OnParamReset();
  // [any thread, takes the plug-in mutex] Tells the host every parameter changed.
  void DirtyParameters();

  // Fills the first free slot with one value per parameter: an int for
  // bool, int and enum parameters, a double otherwise.
  void MakePreset(const char* name, ...);
  // Pairs of (parameter index as int, value as for MakePreset); parameters
  // not named keep their current value.
  void MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
  void MakePresetFromChunk(const char* name, const ByteChunk* chunk);
  void MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
  void MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
  void EnsureDefaultPreset();
  void PruneUninitializedPresets();
  bool RestorePreset(int idx);
  bool RestorePreset(const char* name);
  const char* GetPresetName(int idx) const;
  void ModifyCurrentPreset(const char* name = nullptr);
  bool SerializePresets(ByteChunk* chunk);
  int UnserializePresets(const ByteChunk* chunk, int startPos);

  // ---- Preset files and source dumps ------------------------------------
  // Text dumps of the current state as a preset-making source line; write
  // nothing when the file cannot be opened. Return whether it was written.
  bool DumpPresetSrcCode(const char* path, const char* const* paramEnumNames);
  bool DumpPresetBlob(const char* path);
  // [UI thread, takes the plug-in mutex] Program (.fxp) and bank (.fxb)
  // files through the editor's file prompt; false without an editor, on
  // cancel, and for a file that is unreadable, truncated or not ours.
  bool SaveProgramAsFXP(const char* defaultFileName = "");
  bool SaveBankAsFXB(const char* defaultFileName = "");
  bool LoadProgramFromFXP();
  bool LoadBankFromFXB();
  // The same formats as bytes, for the file operations above and for tests.
  void GetProgramFXP(ByteChunk* fxp);
  void GetBankFXB(ByteChunk* fxb);
  bool SetProgramFXP(const ByteChunk* fxp);
  bool SetBankFXB(const ByteChunk* fxb);

  // ---- Host buffers (called by the adapter's process callbacks) --------
  void SetInputChannelConnections(int idx, int n, bool connected);
  void SetOutputChannelConnections(int idx, int n, bool connected);
  // [audio thread] Grows the scratch buffers when the host sends more
  // frames than it announced, the only allocation on the audio path.
  // False when they could not grow: process nothing then.
  bool EnsureScratchFrames(int nFrames);
  void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
  void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
  void AttachOutputBuffers(int idx, int n, double** ppData);
  void AttachOutputBuffers(int idx, int n, float** ppData);
  void ProcessBuffers(double, int nFrames);
  void ProcessBuffers(float, int nFrames);
  void ProcessBuffersAccumulating(float, int nFrames);
  void PassThroughBuffers(double, int nFrames);
  void PassThroughBuffers(float, int nFrames);
  void ZeroScratchBuffers();

protected:
  struct InChannel
  {
    bool mConnected = false;
    double** mSrc = nullptr; // this channel's slot in mInData
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };
  struct OutChannel
  {
    bool mConnected = false;
    double** mDest = nullptr; // this channel's slot in mOutData
    float* mFDest = nullptr;  // the host's float buffer in the current call
    WDL_TypedBuf<double> mScratchBuf;
    WDL_String mLabel;
  };

  const char* GetPresetNameSafe(int idx) const;
  IPreset* GetPreset(int idx) const { return mPresets.Get(idx); }
  // The first slot not yet filled, now marked filled, named and emptied for
  // its state; null when every slot is filled.
  IPreset* FillNextPreset(const char* name);
  // Writes the float results of the last processing call to the host.
  void ConvertOutputsToFloat(int nFrames, bool accumulate);
  bool PromptForPresetFile(WDL_String* file, IGraphicsInterface::EFileAction action,
                           const char* extension, const char* defaultFileName);

  WDL_Mutex mMutex;
  bool mStateChunks;
  bool mIsInst;

private:
  void ResizeScratchBuffers(int nFrames);
  double* SilentScratch(InChannel* channel, int nFrames);

  WDL_PtrList<ChannelIO> mChannelIO;
  char mEffectName[128];
  char mProductName[128];
  char mMfrName[128];
  int mUniqueID;
  int mMfrID;
  int mVersion;
  EAPI mAPI;
  EHost mHost = kHostUninit;
  int mHostVersion = 0;
  int mCurrentPresetIdx = 0;
  bool mStateFromCurrentPreset = false;
  double mSampleRate = 44100.0;
  int mBlockSize = 0;
  int mScratchFrames = 0; // length of every scratch buffer
  int mLatency;
  WDL_String mPreviousPath;
  IGraphicsInterface* mGraphics = nullptr;
  WDL_PtrList<IParam> mParams;
  WDL_PtrList<IPreset> mPresets;
  WDL_TypedBuf<double*> mInData;
  WDL_TypedBuf<double*> mOutData;
  WDL_PtrList<InChannel> mInChannels;
  WDL_PtrList<OutChannel> mOutChannels;
  WDL_PtrList<WDL_String> mInputBusLabels;
  WDL_PtrList<WDL_String> mOutputBusLabels;
};

// Writes "user preset N", N one more than the slots already so named.
void MakeDefaultUserPresetName(const WDL_PtrList<IPreset>* presets, char* buffer);

// The 8-byte header that opens every chunk handed to a host: "tffp" and
// the chunk version 1.0.0.
const int IPLUG_VERSION_MAGIC = 0x70666674;
const int IPLUG_CHUNK_VERSION = 0x00010000;
void InitChunkWithIPlugVer(ByteChunk* chunk);
// The chunk version after the header at *pPos, moving *pPos past it; 0 and
// *pPos unchanged when there is no header.
int GetIPlugVerFromChunk(const ByteChunk* chunk, int* pPos);
