#include "IPlugVST.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace
{
const VstInt32 kFlagsBeforeEditor = effFlagsCanReplacing | effFlagsCanDoubleReplacing;
const VstInt32 kVendorSpecificYes = 0xBEEF;
const VstIntPtr kCockosExtensions = 0xBEEF0000;
// The host's content scale for the editor: effVendorSpecific with these
// two codes and the scale as a float in opt.
const VstInt32 kContentScaleIndex = 0x50726553;  // 'PreS'
const VstIntPtr kContentScaleValue = 0x41654373; // 'AeCs'

} // namespace

IPlugVST* IPlugVST::FromAEffect(AEffect* effect)
{
  return effect ? static_cast<IPlugVST*>(effect->object) : nullptr;
}

VstInt32 VSTSpkrArrType(int nChannels)
{
  switch (nChannels)
  {
  case 0:
    return kSpeakerArrEmpty;
  case 1:
    return kSpeakerArrMono;
  case 2:
    return kSpeakerArrStereo;
  default:
    return kSpeakerArrUserDefined;
  }
}

WDL_Mutex& VSTCreationMutex()
{
  static WDL_Mutex mutex;
  return mutex;
}

IPlugVST::IPlugVST(std::unique_ptr<IPlugBase> plug, audioMasterCallback hostCallback)
    : mHostCallback(hostCallback), mFacade(std::move(plug), this, 1024), mPlug(mFacade.GetPlug())
{
  mAEffect.magic = kEffectMagic;
  mAEffect.dispatcher = VSTDispatcher;
  mAEffect.process = VSTProcess;
  mAEffect.setParameter = VSTSetParameter;
  mAEffect.getParameter = VSTGetParameter;
  // A host lists programs from 1 on: a plug-in without presets still has
  // the one it plays.
  mAEffect.numPrograms = std::max(mPlug->Presets().NPresets(), 1);
  mAEffect.numParams = mPlug->NParams();
  mAEffect.numInputs = mPlug->NInChannels();
  mAEffect.numOutputs = mPlug->NOutChannels();
  mAEffect.flags = kFlagsBeforeEditor;
  if (mPlug->DoesStateChunks())
  {
    mAEffect.flags |= effFlagsProgramChunks;
  }
  if (mPlug->LegalIO(1, -1))
  {
    mAEffect.flags |= effFlagsCanMono;
  }
  if (mPlug->IsInst())
  {
    mAEffect.flags |= effFlagsIsSynth;
  }
  UpdateEditor();
  mAEffect.initialDelay = mPlug->GetLatency();
  mAEffect.ioRatio = 1.0f;
  mAEffect.object = this;
  mAEffect.uniqueID = mPlug->GetUniqueID();
  mAEffect.version = mPlug->GetEffectVersion(true);
  mAEffect.processReplacing = VSTProcessReplacing;
  mAEffect.processDoubleReplacing = VSTProcessDoubleReplacing;

  mInputSpkrArr.type = VSTSpkrArrType(mPlug->NInChannels());
  mInputSpkrArr.numChannels = mPlug->NInChannels();
  mOutputSpkrArr.type = VSTSpkrArrType(mPlug->NOutChannels());
  mOutputSpkrArr.numChannels = mPlug->NOutChannels();
}

// The façade, a member, deletes the plug-in (and its editor) first, while
// the adapter it may still call is whole.
IPlugVST::~IPlugVST() = default;

// ============================================================================
// Called from the host's UI thread (may block on the plug-in mutex)
// ============================================================================

// [UI thread, takes the plug-in mutex] Every request that is not audio or a
// single parameter value, except effProcessEvents, which hosts send on the
// audio thread before each block (ProcessEvents, below the audio banner).
VstIntPtr VSTCALLBACK IPlugVST::VSTDispatcher(AEffect* effect, VstInt32 opcode, VstInt32 index,
                                              VstIntPtr value, void* ptr, float opt)
{
  IPlugVST* adapter = FromAEffect(effect);
  if (!adapter)
  {
    return 0;
  }
  IPlugBase::IMutexLock lock(adapter->GetPlug());
  return adapter->Dispatch(lock, opcode, index, value, ptr, opt);
}

VstIntPtr IPlugVST::Dispatch(IPlugBase::IMutexLock& lock, VstInt32 opcode, VstInt32 index,
                             VstIntPtr value, void* ptr, float opt)
{
  const bool validParam = index >= 0 && index < mPlug->NParams();
  char* text = static_cast<char*>(ptr);

  switch (opcode)
  {
  case effEditIdle:
    mFacade.Idle();
    if (mFacade.HasEditorWindow())
    {
      lock.Destroy();
      mFacade.EditorIdle();
    }
    return 0;

  case effIdle:
    mFacade.Idle();
    return 0;

  case effOpen:
    HostSpecificInit();
    mFacade.Open();
    return 0;

  case effClose:
    // The façade closes a window still open before the plug-in goes.
    lock.Destroy();
    delete this;
    return 0;

  case effSetProgram:
    mFacade.SelectProgram(value >= 0 && value <= INT_MAX ? static_cast<int>(value) : -1);
    return 0;

  case effGetProgram:
    return mPlug->Presets().GetCurrentPresetIdx();

  case effSetProgramName:
    if (text)
    {
      char name[kProgramNameReadBytes + 1];
      CopyBounded(name, text, sizeof name);
      mPlug->Presets().ModifyCurrentPreset(name);
      mPlug->PresetsChangedByHost();
    }
    return 0;

  case effGetProgramName:
    CopyBounded(text, mPlug->Presets().GetPresetName(mPlug->Presets().GetCurrentPresetIdx()),
                kProgramNameBytes);
    return 0;

  case effGetParamLabel:
    if (validParam)
    {
      CopyBounded(text, mPlug->GetParam(index)->GetLabelForHost(), kParamStringBytes);
    }
    return 0;

  case effGetParamDisplay:
    if (validParam)
    {
      mFacade.GetParameterText(index, text);
    }
    return 0;

  case effGetParamName:
    if (validParam)
    {
      CopyBounded(text, mPlug->GetParam(index)->GetNameForHost(), kParamStringBytes);
    }
    return 0;

  case effSetSampleRate:
    mFacade.SetSampleRate(opt);
    return 0;

  case effSetBlockSize:
    mFacade.SetBlockSize(value > 0 && value <= INT_MAX ? static_cast<int>(value) : 0);
    return 0;

  case effMainsChanged:
    mFacade.SetActive(value != 0);
    return 0;

  case effEditGetRect:
    if (ptr && mFacade.HasEditorWindow())
    {
      // The size at the scale the editor has or will open at, which the
      // host's content scale may have changed before there was an editor.
      UpdateEditor();
      *static_cast<ERect**>(ptr) = &mEditRect;
      return 1;
    }
    return 0;

  case effEditOpen:
  {
    const ERect asked = mEditRect;
    if (!mFacade.OpenEditor(ptr))
    {
      return 0;
    }
    // The window learnt its scale while opening (the platform's DPI): the
    // host sized its window from the rectangle it had before.
    if (asked.right != mEditRect.right || asked.bottom != mEditRect.bottom)
    {
      HostCallback(audioMasterSizeWindow, mEditRect.right, mEditRect.bottom);
    }
    return 1;
  }

  case effEditClose:
    return mFacade.CloseEditor() ? 1 : 0;

  case effIdentify:
    return kEffectIdentify;

  case effGetChunk:
    return GetChunk(index == 0, static_cast<void**>(ptr));

  case effSetChunk:
    return SetChunk(index == 0, value, ptr);

  case effProcessEvents:
    return ProcessEvents(static_cast<const VstEvents*>(ptr));

  case effCanBeAutomated:
    return 1;

  case effString2Parameter:
    return String2Parameter(index, text);

  case effGetProgramNameIndexed:
    CopyBounded(text, mPlug->Presets().GetPresetName(index), kProgramNameBytes);
    return text && text[0] ? 1 : 0;

  case effGetInputProperties:
  case effGetOutputProperties:
    return GetPinProperties(opcode == effGetInputProperties, index,
                            static_cast<VstPinProperties*>(ptr));

  case effGetPlugCategory:
    return mPlug->IsInst() ? kPlugCategSynth : kPlugCategEffect;

  case effProcessVarIo:
    return 0;

  case effSetSpeakerArrangement:
  {
    auto* in = reinterpret_cast<const VstSpeakerArrangement*>(value);
    auto* out = static_cast<const VstSpeakerArrangement*>(ptr);
    IPlugChannels& channels = mPlug->Channels();
    if (in)
    {
      const int n = std::max(0, std::min(in->numChannels, channels.NInChannels()));
      channels.SetInputChannelConnections(0, n, true);
      channels.SetInputChannelConnections(n, channels.NInChannels() - n, false);
    }
    if (out)
    {
      const int n = std::max(0, std::min(out->numChannels, channels.NOutChannels()));
      channels.SetOutputChannelConnections(0, n, true);
      channels.SetOutputChannelConnections(n, channels.NOutChannels() - n, false);
    }
    return 1;
  }

  case effGetEffectName:
    CopyBounded(text, mPlug->GetEffectName(), kEffectNameBytes);
    return text ? 1 : 0;

  case effGetVendorString:
    CopyBounded(text, mPlug->GetMfrName(), kVendorBytes);
    return text ? 1 : 0;

  case effGetProductString:
    CopyBounded(text, mPlug->GetProductName(), kProductBytes);
    return text ? 1 : 0;

  case effVendorSpecific:
    if (index == kContentScaleIndex && value == kContentScaleValue)
    {
      return mFacade.SetEditorHostScale(opt) ? 1 : 0;
    }
    if (index == 7 && text)
    {
      if (value >= 0 && value < mPlug->NParams())
      {
        mFacade.GetParameterText(static_cast<int>(value), opt, text);
      }
      return kVendorSpecificYes;
    }
    if (index == 8 && value >= 0 && value < mPlug->NParams() &&
        mPlug->GetParam(static_cast<int>(value))->Type() != kTypeDouble)
    {
      return kVendorSpecificYes;
    }
    return 0;

  case effCanDo:
    return CanDo(text);

  case effGetVstVersion:
    return kVstVersion;

  case effGetMidiKeyName:
    if (MidiKeyName* key = static_cast<MidiKeyName*>(ptr))
    {
      key->keyName[0] = '\0';
      return mPlug->MidiNoteName(key->thisKeyNumber, key->keyName) ? 1 : 0;
    }
    return 0;

  case effGetSpeakerArrangement:
    if (value)
    {
      *reinterpret_cast<VstSpeakerArrangement**>(value) = &mInputSpkrArr;
    }
    if (ptr)
    {
      *static_cast<VstSpeakerArrangement**>(ptr) = &mOutputSpkrArr;
    }
    return 1;

  default:
    return 0;
  }
}

VstIntPtr IPlugVST::GetChunk(bool isBank, void** ppData)
{
  if (!ppData)
  {
    return 0;
  }
  ByteChunk* chunk = isBank ? &mBankState : &mState;
  if (!mFacade.SaveState(chunk, isBank ? IPlugFacade::kStateBank : IPlugFacade::kStateProgram,
                         true))
  {
    return 0;
  }
  *ppData = chunk->GetBytes();
  return chunk->Size();
}

VstIntPtr IPlugVST::SetChunk(bool isBank, VstIntPtr size, const void* data)
{
  if (!data || size < 0 || size > INT_MAX)
  {
    return 0;
  }
  ByteChunk* chunk = isBank ? &mBankState : &mState;
  chunk->Resize(static_cast<int>(size));
  if (chunk->Size() != size)
  {
    return 0; // out of memory
  }
  if (size > 0)
  {
    // A host may hand back the very buffer it got from effGetChunk.
    std::memmove(chunk->GetBytes(), data, static_cast<size_t>(size));
  }
  return mFacade.LoadState(*chunk, isBank ? IPlugFacade::kStateBank : IPlugFacade::kStateProgram)
             ? 1
             : 0;
}

VstIntPtr IPlugVST::String2Parameter(int idx, const char* text)
{
  if (idx < 0 || idx >= mPlug->NParams())
  {
    return 0;
  }
  if (!text)
  {
    return 1; // the host asks whether the parameter takes text
  }
  char bounded[kParamTextReadBytes + 1];
  CopyBounded(bounded, text, sizeof bounded);
  return mFacade.SetParameterFromText(idx, bounded) ? 1 : 0;
}

VstIntPtr IPlugVST::GetPinProperties(bool input, int idx, VstPinProperties* pin)
{
  int count = input ? mPlug->NInChannels() : mPlug->NOutChannels();
  if (!pin || idx < 0 || idx >= count)
  {
    return 0;
  }
  pin->flags = kVstPinIsActive;
  if (idx % 2 == 0 && idx < count - 1)
  {
    pin->flags |= kVstPinIsStereo;
  }
  const char* label = input ? mPlug->GetInputLabel(idx) : mPlug->GetOutputLabel(idx);
  if (label[0])
  {
    CopyBounded(pin->label, label, kPinLabelBytes);
  }
  else
  {
    std::snprintf(pin->label, kPinLabelBytes, "%s %d", input ? "Input" : "Output", idx + 1);
  }
  return 1;
}

VstIntPtr IPlugVST::CanDo(const char* capability)
{
  if (!capability)
  {
    return 0;
  }
  char bounded[64];
  CopyBounded(bounded, capability, sizeof bounded);
  if (!std::strcmp(bounded, "receiveVstTimeInfo"))
  {
    return 1;
  }
  if (mPlug->DoesMidi() &&
      (!std::strcmp(bounded, "sendVstEvents") || !std::strcmp(bounded, "sendVstMidiEvent") ||
       !std::strcmp(bounded, "receiveVstEvents") || !std::strcmp(bounded, "receiveVstMidiEvent")))
  {
    return 1;
  }
  if (!std::strcmp(bounded, "hasCockosExtensions") ||
      !std::strcmp(bounded, "hasCockosViewAsConfig"))
  {
    return kCockosExtensions;
  }
  return 0;
}

void IPlugVST::HostSpecificInit()
{
  if (mHostSpecificInitDone)
  {
    return;
  }
  mHostSpecificInitDone = true;
  switch (mPlug->GetHost())
  {
  case kHostForte:
  case kHostAudition:
  case kHostOrion:
  case kHostSAWStudio:
    mPlug->LimitToStereoIO();
    break;
  default:
    break;
  }
  mInputSpkrArr.numChannels = mAEffect.numInputs = mPlug->NInChannels();
  mOutputSpkrArr.numChannels = mAEffect.numOutputs = mPlug->NOutChannels();
}

void IPlugVST::UpdateEditor()
{
  // Hosts show an empty frame for an editor flag without a window behind it.
  if (mFacade.HasEditorWindow())
  {
    mAEffect.flags |= effFlagsHasEditor;
  }
  mEditRect.top = mEditRect.left = 0;
  mEditRect.right = static_cast<VstInt16>(mFacade.EditorWidth());
  mEditRect.bottom = static_cast<VstInt16>(mFacade.EditorHeight());
}

void IPlugVST::AttachGraphics(IGraphicsInterface*)
{
  UpdateEditor();
}

void IPlugVST::ResizeGraphics(int, int)
{
  UpdateEditor();
  // An open editor asks the host to follow; a host that refuses keeps its
  // window, and the editor draws at its new size inside it.
  if (mFacade.IsEditorOpen())
  {
    HostCallback(audioMasterSizeWindow, mEditRect.right, mEditRect.bottom);
  }
  mPlug->OnWindowResize();
}

void IPlugVST::SetLatency(int samples)
{
  mAEffect.initialDelay = samples;
}

// ============================================================================
// Called on the audio thread (never blocks on anything but the plug-in mutex;
// allocates only when the host sends more frames than it announced).
// The parameter callbacks may come from either thread.
// ============================================================================

// [audio thread, mutex held] effProcessEvents: the block's MIDI events,
// before its processing call. Each MIDI or system-exclusive event goes to
// the plug-in at once; other kinds are skipped.
VstIntPtr IPlugVST::ProcessEvents(const VstEvents* events)
{
  if (!events)
  {
    return 0;
  }
  // The record declares two event slots and carries numEvents of them:
  // hosts allocate it longer. Indexing the declared array past its two
  // slots is undefined, so the slots are reached from their address.
  const VstEvent* const* slots = reinterpret_cast<const VstEvent* const*>(
      reinterpret_cast<const char*>(events) + offsetof(VstEvents, events));
  for (int i = 0; i < events->numEvents; ++i)
  {
    const VstEvent* event = slots[i];
    if (!event)
    {
      continue;
    }
    if (event->type == kVstMidiType)
    {
      const VstMidiEvent* midi = reinterpret_cast<const VstMidiEvent*>(event);
      mFacade.ProcessMidi(midi->deltaFrames, reinterpret_cast<const unsigned char*>(midi->midiData),
                          3);
    }
    else if (event->type == kVstSysExType)
    {
      const VstMidiSysexEvent* sysex = reinterpret_cast<const VstMidiSysexEvent*>(event);
      mFacade.ProcessSysEx(sysex->deltaFrames,
                           reinterpret_cast<const unsigned char*>(sysex->sysexDump),
                           sysex->dumpBytes);
    }
  }
  return 1;
}

template <class Sample, class Render>
void IPlugVST::RunProcess(AEffect* effect, Sample** inputs, Sample** outputs, VstInt32 nFrames,
                          Render render)
{
  IPlugVST* adapter = FromAEffect(effect);
  if (!adapter)
  {
    return;
  }
  IPlugBase::IMutexLock lock(adapter->GetPlug());
  if (adapter->mPlug->DoesMidi())
  {
    adapter->HostCallback(audioMasterWantMidi);
  }
  render(adapter->mFacade, inputs, outputs, nFrames);
}

// [audio thread, takes the plug-in mutex] Float, adding to the outputs.
void VSTCALLBACK IPlugVST::VSTProcess(AEffect* effect, float** inputs, float** outputs,
                                      VstInt32 nFrames)
{
  RunProcess(effect, inputs, outputs, nFrames,
             [](IPlugFacade& facade, float** in, float** out, int n)
             { facade.ProcessAccumulating(in, out, n); });
}

// [audio thread, takes the plug-in mutex] Float, replacing the outputs.
void VSTCALLBACK IPlugVST::VSTProcessReplacing(AEffect* effect, float** inputs, float** outputs,
                                               VstInt32 nFrames)
{
  RunProcess(effect, inputs, outputs, nFrames,
             [](IPlugFacade& facade, float** in, float** out, int n)
             { facade.Process(in, out, n); });
}

// [audio thread, takes the plug-in mutex] Double, replacing the outputs.
void VSTCALLBACK IPlugVST::VSTProcessDoubleReplacing(AEffect* effect, double** inputs,
                                                     double** outputs, VstInt32 nFrames)
{
  RunProcess(effect, inputs, outputs, nFrames,
             [](IPlugFacade& facade, double** in, double** out, int n)
             { facade.Process(in, out, n); });
}

// [any thread, takes the plug-in mutex] Normalized value; 0 for an index out
// of range.
float VSTCALLBACK IPlugVST::VSTGetParameter(AEffect* effect, VstInt32 idx)
{
  IPlugVST* adapter = FromAEffect(effect);
  if (!adapter)
  {
    return 0.0f;
  }
  IPlugBase::IMutexLock lock(adapter->GetPlug());
  return static_cast<float>(adapter->mFacade.GetParameterNormalized(idx));
}

// [any thread, takes the plug-in mutex] Host automation: the editor follows,
// the host is not told back. Non-numbers are ignored; values outside 0..1
// are clamped.
void VSTCALLBACK IPlugVST::VSTSetParameter(AEffect* effect, VstInt32 idx, float value)
{
  IPlugVST* adapter = FromAEffect(effect);
  if (!adapter)
  {
    return;
  }
  IPlugBase::IMutexLock lock(adapter->GetPlug());
  adapter->mFacade.SetParameterNormalized(idx, value);
}

// ============================================================================
// Calls to the host
// ============================================================================

VstIntPtr IPlugVST::HostCallback(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                 float opt)
{
  return mHostCallback ? mHostCallback(&mAEffect, opcode, index, value, ptr, opt) : 0;
}

void IPlugVST::BeginInformHostOfParamChange(int idx)
{
  HostCallback(audioMasterBeginEdit, idx);
}

void IPlugVST::InformHostOfParamChange(int idx, double normalizedValue)
{
  HostCallback(audioMasterAutomate, idx, 0, nullptr, static_cast<float>(normalizedValue));
}

void IPlugVST::EndInformHostOfParamChange(int idx)
{
  HostCallback(audioMasterEndEdit, idx);
}

void IPlugVST::InformHostOfProgramChange()
{
  HostCallback(audioMasterUpdateDisplay);
}

bool IPlugVST::IsRenderingOffline()
{
  return HostCallback(audioMasterGetCurrentProcessLevel) == kVstProcessLevelOffline;
}

VstTimeInfo* IPlugVST::GetTimeInfo(VstInt32 filter)
{
  auto* info = reinterpret_cast<VstTimeInfo*>(HostCallback(audioMasterGetTime, 0, filter));
  if (!info || (filter && !(info->flags & filter)))
  {
    return nullptr;
  }
  return info;
}

int IPlugVST::GetSamplePos()
{
  VstTimeInfo* info = GetTimeInfo(0);
  if (!info || !(info->samplePos >= 0.0))
  {
    return 0;
  }
  double rounded = info->samplePos + 0.5;
  return rounded < static_cast<double>(INT_MAX) ? static_cast<int>(rounded) : INT_MAX;
}

double IPlugVST::GetTempo()
{
  if (!mHostCallback)
  {
    return 0.0;
  }
  VstTimeInfo* info = GetTimeInfo(kVstTempoValid);
  return info && info->tempo >= 0.0 ? info->tempo : 0.0;
}

void IPlugVST::GetTimeSig(int* pNum, int* pDenom)
{
  *pNum = *pDenom = 0;
  VstTimeInfo* info = GetTimeInfo(kVstTimeSigValid);
  if (info && info->timeSigNumerator >= 0 && info->timeSigDenominator >= 0)
  {
    *pNum = info->timeSigNumerator;
    *pDenom = info->timeSigDenominator;
  }
}

void IPlugVST::GetTime(ITimeInfo* pTimeInfo)
{
  VstTimeInfo* info = GetTimeInfo(kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
                                  kVstCyclePosValid | kVstTimeSigValid);
  if (!info)
  {
    return;
  }
  pTimeInfo->mSamplePos = info->samplePos;
  if ((info->flags & kVstPpqPosValid) && info->ppqPos >= 0.0)
  {
    pTimeInfo->mPPQPos = info->ppqPos;
  }
  if ((info->flags & kVstTempoValid) && info->tempo > 0.0)
  {
    pTimeInfo->mTempo = info->tempo;
  }
  if ((info->flags & kVstBarsValid) && info->barStartPos >= 0.0)
  {
    pTimeInfo->mLastBar = info->barStartPos;
  }
  if ((info->flags & kVstCyclePosValid) && info->cycleStartPos >= 0.0 && info->cycleEndPos >= 0.0)
  {
    pTimeInfo->mCycleStart = info->cycleStartPos;
    pTimeInfo->mCycleEnd = info->cycleEndPos;
  }
  if ((info->flags & kVstTimeSigValid) && info->timeSigNumerator > 0 &&
      info->timeSigDenominator > 0)
  {
    pTimeInfo->mNumerator = info->timeSigNumerator;
    pTimeInfo->mDenominator = info->timeSigDenominator;
  }
  pTimeInfo->mTransportIsRunning = (info->flags & kVstTransportPlaying) != 0;
  pTimeInfo->mTransportLoopEnabled = (info->flags & kVstTransportCycleActive) != 0;
}

void IPlugVST::IdentifyHost()
{
  // Hosts are asked for at most the interface's 64 bytes, but some write
  // more: give room and make sure of a terminator.
  char product[256] = {};
  HostCallback(audioMasterGetProductString, 0, 0, product);
  product[sizeof product - 1] = '\0';
  int version = 0;
  if (product[0])
  {
    VstIntPtr decimal = HostCallback(audioMasterGetVendorVersion);
    version = PackDecimalVersion(decimal > 0 && decimal <= INT_MAX ? static_cast<int>(decimal) : 0);
  }
  mPlug->SetHost(product, version);
}

bool IPlugVST::SendVSTEvent(VstEvent* event)
{
  VstEvents events = {};
  events.numEvents = 1;
  events.events[0] = event;
  return HostCallback(audioMasterProcessEvents, 0, 0, &events) == 1;
}

bool IPlugVST::SendMidiMsg(IMidiMsg* msg)
{
  VstMidiEvent event = {};
  event.type = kVstMidiType;
  event.byteSize = sizeof(VstMidiEvent);
  event.deltaFrames = msg->offset;
  event.midiData[0] = static_cast<char>(msg->status);
  event.midiData[1] = static_cast<char>(msg->data1);
  event.midiData[2] = static_cast<char>(msg->data2);
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}

bool IPlugVST::SendSysEx(ISysEx* pSysEx)
{
  VstMidiSysexEvent event = {};
  event.type = kVstSysExType;
  event.byteSize = sizeof(VstMidiSysexEvent);
  event.deltaFrames = pSysEx->offset;
  event.dumpBytes = pSysEx->size;
  event.sysexDump = const_cast<char*>(reinterpret_cast<const char*>(pSysEx->data));
  return SendVSTEvent(reinterpret_cast<VstEvent*>(&event));
}
