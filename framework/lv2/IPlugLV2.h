#pragma once

#include "IPlugBase.h"
#include "IPlugFacade.h"
#include "WDL_Mutex.h"

#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cstdint>
#include <memory>
#include <new>

// The LV2 adapter: owns a plug-in built on the base and presents it as one
// LV2 plug-in instance. The ports, in this order:
//   audio inputs, one per input channel;
//   audio outputs, one per output channel;
//   one atom input sequence: MIDI events and the host's time:Position;
//   one control input per parameter, in index order, in the parameter's
//   real units (what IParam::Value holds);
//   one control output per readout (IPlugBase::GetReadout), in index order,
//   holding its value after each run, which hosts pass to the UI as port
//   events;
//   one more atom input sequence taking time:Position only. A host may feed
//   a port that takes MIDI only where MIDI is routed to the plug-in (a
//   plug-in on an audio track gets an empty sequence there, and so no
//   transport); a port without MIDI gets the transport wherever the
//   plug-in sits. Positions are read from both ports, in frame order; a
//   host that sends the same position on both changes nothing by it.
// The bundle's description (tools/lv2ttl) is written from the same layout;
// ports added later go after these, so that saved port values and
// connections keep their indices.
//
// What each LV2 call does, against the VST2 dispatcher:
//   instantiate   construction, sample rate, block size, host identification
//   first run     effOpen: OnHostIdentified and every parameter pushed, once
//                 the first block's transport is known (the engine tunes its
//                 tempo-synced LFOs from the tempo at that moment, as it does
//                 from the transport a VST2 host has at effOpen)
//   activate      effMainsChanged 1; deactivate: effMainsChanged 0 and Reset
//   run           control ports that changed, as effString2Parameter sets a
//                 value; MIDI as effProcessEvents; the transport record
//                 GetTime answers from; the float buffers as processReplacing;
//                 then the readouts, which a VST2 editor reads at its idle
//   state         effGetChunk / effSetChunk of a program chunk, byte for byte
//
// Threads, by LV2's classes: instantiate, cleanup, activate, deactivate and
// restore are the instantiation class and take the plug-in mutex; run is the
// audio class: it takes the plug-in mutex and nothing else, and allocates
// nothing (a block longer than the scratch buffers is rendered in pieces
// that fit them); save may come from any thread while audio runs and takes
// the plug-in mutex.
class IPlugLV2 final : public IFormatAdapter
{
public:
  // Where each kind of port starts, for a plug-in's channel and parameter
  // counts.
  struct PortLayout
  {
    uint32_t audioIn;
    uint32_t nAudioIn;
    uint32_t audioOut;
    uint32_t nAudioOut;
    uint32_t events;
    uint32_t controls;
    uint32_t nControls;
    uint32_t readouts;
    uint32_t nReadouts;
    uint32_t transport;
    uint32_t count;
  };
  static PortLayout Layout(const IPlugBase& plug);

  // Blocks the scratch buffers hold when the host names no maximum; longer
  // ones are rendered in pieces of this many frames.
  static constexpr int kDefaultMaxBlock = 4096;
  // The largest block size the buffers are sized for, whatever a host says.
  static constexpr int kLargestMaxBlock = 65536;

  // [instantiation] Takes the constructed plug-in. `uri` is the plug-in's
  // URI (its state key derives from it) and outlives the adapter. A host
  // without urid:map gets audio and control ports only.
  IPlugLV2(std::unique_ptr<IPlugBase> plug, const char* uri, double sampleRate,
           const LV2_Feature* const* features);
  ~IPlugLV2() override;

  IPlugLV2(const IPlugLV2&) = delete;
  IPlugLV2& operator=(const IPlugLV2&) = delete;

  IPlugBase* GetPlug() const { return mPlug; }

  // ---- The LV2 descriptor's calls -----------------------------------------
  // [audio or instantiation] Any port index; out of range is ignored.
  void ConnectPort(uint32_t port, void* data);
  // [instantiation]
  void Activate();
  void Deactivate();
  // [audio]
  void Run(uint32_t nFrames);
  // [any thread, takes the plug-in mutex] The state chunk under the
  // plug-in's state key, as an atom:Chunk.
  LV2_State_Status Save(LV2_State_Store_Function store, LV2_State_Handle handle);
  // [instantiation] A damaged chunk fails, but the values read before the
  // damage keep their new values, as with effSetChunk.
  LV2_State_Status Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle);
  // The state interface for LV2_STATE__interface, null for anything else.
  static const void* ExtensionData(const char* uri);

  // ---- IFormatAdapter -----------------------------------------------------
  EAPI GetAPI() const override { return kAPILV2; }
  // The host learns parameter values from its own control ports and the
  // separate UI: the processing side has nothing to tell it.
  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int, double) override {}
  void EndInformHostOfParamChange(int) override {}
  void InformHostOfProgramChange() override {}
  // [audio thread] LV2 has no offline flag in the port list here.
  bool IsRenderingOffline() override { return false; }
  // [audio thread] From the last time:Position, advanced block by block.
  int GetSamplePos() override;
  double GetTempo() override;
  void GetTimeSig(int* pNum, int* pDenom) override;
  void GetTime(ITimeInfo* pTimeInfo) override;
  // An LV2 host does not name itself: the plug-in sees an unknown host.
  void IdentifyHost() override;
  // The editor lives in the UI binary; the processing side shows none.
  void AttachGraphics(IGraphicsInterface*) override {}
  void ResizeGraphics(int, int) override {}
  void SetLatency(int) override {}
  // No MIDI output port.
  bool SendMidiMsg(IMidiMsg*) override { return false; }
  bool SendSysEx(ISysEx*) override { return false; }

private:
  struct URIDs
  {
    LV2_URID atomSequence, atomObject, atomBlank, atomResource, atomChunk;
    LV2_URID atomInt, atomLong, atomFloat, atomDouble, atomBeatTime, unitsBeat;
    LV2_URID midiEvent;
    LV2_URID timePosition, timeBar, timeBarBeat, timeBeat, timeBeatsPerBar, timeBeatUnit,
        timeBeatsPerMinute, timeSpeed, timeFrame;
    LV2_URID maxBlockLength, nominalBlockLength;
    LV2_URID stateKey;
  };

  // The host's transport as the last time:Position said, moved on by every
  // block rendered since. Positions in quarter notes, like VST2's.
  struct Transport
  {
    bool known = false; // some time:Position arrived
    bool hasPosition = false;
    bool hasTempo = false;
    bool hasSignature = false;
    bool hasFrame = false;
    double ppq = 0.0;
    double tempo = 0.0; // quarter notes per minute
    double beatsPerBar = 4.0;
    int beatUnit = 4;
    double speed = 0.0; // 0 stopped, 1 playing
    double frame = 0.0;
  };

  // The host's maximum (or nominal) block length, when it offers options.
  void MapURIs(LV2_URID_Map* map);
  void ReadOptions(const LV2_Feature* const* features);
  // A connected event sequence when it is one this adapter reads, else null.
  const LV2_Atom_Sequence* Sequence(const LV2_Atom_Sequence* sequence) const;
  void ReadControlPorts();
  // One time:Position object into the transport; anything malformed or
  // missing is left as it was.
  void ReadPosition(const LV2_Atom_Object_Body* body, uint32_t size);
  bool ReadNumber(const LV2_Atom* atom, double* value) const;
  void ReadMidi(const LV2_Atom_Event* event, int offset);
  void AdvanceTransport(int frames);
  // Renders frames [start, start + n) of the connected buffers.
  void RenderPiece(uint32_t start, int n);
  // Each connected readout port takes the readout's value.
  void WriteReadouts();

  const char* mURI;
  // Everything the plug-in does for the host; the adapter only translates.
  IPlugFacade mFacade;
  IPlugBase* mPlug; // the façade's
  PortLayout mLayout;
  URIDs mURIDs = {};
  bool mOpened = false; // the first run's effOpen work is done
  int mMaxBlock = kDefaultMaxBlock;
  Transport mTransport;

  // Connected port buffers, null when the host connected none.
  const LV2_Atom_Sequence* mEvents = nullptr;
  const LV2_Atom_Sequence* mTransportEvents = nullptr;
  // Sized at construction: channels and parameters are fixed by then.
  std::unique_ptr<const float*[]> mAudioIn;
  std::unique_ptr<float*[]> mAudioOut;
  std::unique_ptr<const float*[]> mControls;
  std::unique_ptr<float*[]> mReadouts;
  // The value each control port held at the last run; NaN before the first.
  std::unique_ptr<float[]> mLastControl;
  // Per-piece channel pointers, offset into the host's buffers.
  std::unique_ptr<float*[]> mPieceIn;
  std::unique_ptr<float*[]> mPieceOut;
};

// The creation lock shared by every instantiation in the library.
WDL_Mutex& LV2CreationMutex();

// The descriptor's functions for one plug-in class.
template <class Plug> struct LV2Entry
{
  static LV2_Handle Instantiate(const LV2_Descriptor* descriptor, double rate, const char*,
                                const LV2_Feature* const* features)
  {
    WDL_MutexLock lock(&LV2CreationMutex());
    try
    {
      std::unique_ptr<IPlugBase> plug(new Plug());
      plug->Presets().EnsureDefaultPreset();
      return new IPlugLV2(std::move(plug), descriptor->URI, rate, features);
    }
    catch (...)
    {
      return nullptr;
    }
  }
  static void ConnectPort(LV2_Handle instance, uint32_t port, void* data)
  {
    static_cast<IPlugLV2*>(instance)->ConnectPort(port, data);
  }
  static void Activate(LV2_Handle instance) { static_cast<IPlugLV2*>(instance)->Activate(); }
  static void Run(LV2_Handle instance, uint32_t nFrames)
  {
    static_cast<IPlugLV2*>(instance)->Run(nFrames);
  }
  static void Deactivate(LV2_Handle instance) { static_cast<IPlugLV2*>(instance)->Deactivate(); }
  static void Cleanup(LV2_Handle instance) { delete static_cast<IPlugLV2*>(instance); }
};

// The adapter behind an instance made by LV2Entry, for tests and tools
// built with the plug-in.
template <class Plug> Plug* LV2PlugOf(LV2_Handle instance)
{
  return instance ? static_cast<Plug*>(static_cast<IPlugLV2*>(instance)->GetPlug()) : nullptr;
}

// Defines the library's one exported symbol, lv2_descriptor, for a plug-in
// class under a URI (a string literal).
#define KOLVANE_LV2_ENTRY_POINTS(PlugClass, URI)                                                   \
  extern "C" __attribute__((visibility("default"))) const LV2_Descriptor* lv2_descriptor(          \
      uint32_t index)                                                                              \
  {                                                                                                \
    static const LV2_Descriptor descriptor = {URI,                                                 \
                                              LV2Entry<PlugClass>::Instantiate,                    \
                                              LV2Entry<PlugClass>::ConnectPort,                    \
                                              LV2Entry<PlugClass>::Activate,                       \
                                              LV2Entry<PlugClass>::Run,                            \
                                              LV2Entry<PlugClass>::Deactivate,                     \
                                              LV2Entry<PlugClass>::Cleanup,                        \
                                              IPlugLV2::ExtensionData};                            \
    return index == 0 ? &descriptor : nullptr;                                                     \
  }
