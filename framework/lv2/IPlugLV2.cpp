#include "IPlugLV2.h"

#include "IDenormalGuard.h"

#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>
#include <lv2/units/units.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace
{
// Positions summed from block lengths land a rounding error below a bar
// line; that bar still counts (the project's host computes bars the same).
const double kBarTolerance = 1e-9;

// Atoms in a sequence or object start on 8-byte boundaries.
uint64_t Padded(uint64_t size)
{
  return (size + 7u) & ~uint64_t(7u);
}

// The bytes from `from` to `end`, none when `from` lies past it.
uint64_t Remaining(const uint8_t* from, const uint8_t* end)
{
  return from < end ? static_cast<uint64_t>(end - from) : 0;
}

// The atom after one of `length` bytes at `at`; `end` when the padding
// would run past it.
const uint8_t* After(const uint8_t* at, uint64_t length, const uint8_t* end)
{
  const uint64_t step = Padded(length);
  return step < Remaining(at, end) ? at + step : end;
}
} // namespace

WDL_Mutex& LV2CreationMutex()
{
  static WDL_Mutex mutex;
  return mutex;
}

IPlugLV2::PortLayout IPlugLV2::Layout(const IPlugBase& plug)
{
  PortLayout layout;
  layout.audioIn = 0;
  layout.nAudioIn = static_cast<uint32_t>(plug.NInChannels());
  layout.audioOut = layout.audioIn + layout.nAudioIn;
  layout.nAudioOut = static_cast<uint32_t>(plug.NOutChannels());
  layout.events = layout.audioOut + layout.nAudioOut;
  layout.controls = layout.events + 1;
  layout.nControls = static_cast<uint32_t>(plug.NParams());
  layout.readouts = layout.controls + layout.nControls;
  layout.nReadouts = static_cast<uint32_t>(plug.NReadouts());
  layout.transport = layout.readouts + layout.nReadouts;
  layout.count = layout.transport + 1;
  return layout;
}

IPlugLV2::IPlugLV2(std::unique_ptr<IPlugBase> plug, const char* uri, double sampleRate,
                   const LV2_Feature* const* features)
    : mURI(uri), mFacade(std::move(plug), this, 0), mPlug(mFacade.GetPlug()),
      mLayout(Layout(*mPlug))
{
  mAudioIn.reset(new const float*[mLayout.nAudioIn]());
  mAudioOut.reset(new float*[mLayout.nAudioOut]());
  mPieceIn.reset(new float*[mLayout.nAudioIn]());
  mPieceOut.reset(new float*[mLayout.nAudioOut]());
  mControls.reset(new const float*[mLayout.nControls]());
  mReadouts.reset(new float*[mLayout.nReadouts]());
  mLastControl.reset(new float[mLayout.nControls]);
  std::fill(mLastControl.get(), mLastControl.get() + mLayout.nControls,
            std::numeric_limits<float>::quiet_NaN());

  LV2_URID_Map* map = nullptr;
  for (int i = 0; features && features[i]; ++i)
  {
    if (!std::strcmp(features[i]->URI, LV2_URID__map))
    {
      map = static_cast<LV2_URID_Map*>(features[i]->data);
    }
  }
  // Without a map (a bare host such as a file renderer) the plug-in plays
  // audio and follows its control ports; the event port and the state,
  // which speak in mapped URIs, stay silent.
  if (map && map->map)
  {
    MapURIs(map);
  }
  ReadOptions(features);

  IPlugBase::IMutexLock lock(mPlug);
  mFacade.SetSampleRate(sampleRate);
  mFacade.SetBlockSize(mMaxBlock);
}

void IPlugLV2::MapURIs(LV2_URID_Map* map)
{
  auto urid = [map](const char* name) { return map->map(map->handle, name); };
  mURIDs.atomSequence = urid(LV2_ATOM__Sequence);
  mURIDs.atomObject = urid(LV2_ATOM__Object);
  mURIDs.atomBlank = urid(LV2_ATOM__Blank);
  mURIDs.atomResource = urid(LV2_ATOM__Resource);
  mURIDs.atomChunk = urid(LV2_ATOM__Chunk);
  mURIDs.atomInt = urid(LV2_ATOM__Int);
  mURIDs.atomLong = urid(LV2_ATOM__Long);
  mURIDs.atomFloat = urid(LV2_ATOM__Float);
  mURIDs.atomDouble = urid(LV2_ATOM__Double);
  mURIDs.atomBeatTime = urid(LV2_ATOM__beatTime);
  mURIDs.unitsBeat = urid(LV2_UNITS__beat);
  mURIDs.midiEvent = urid(LV2_MIDI__MidiEvent);
  mURIDs.timePosition = urid(LV2_TIME__Position);
  mURIDs.timeBar = urid(LV2_TIME__bar);
  mURIDs.timeBarBeat = urid(LV2_TIME__barBeat);
  mURIDs.timeBeat = urid(LV2_TIME__beat);
  mURIDs.timeBeatsPerBar = urid(LV2_TIME__beatsPerBar);
  mURIDs.timeBeatUnit = urid(LV2_TIME__beatUnit);
  mURIDs.timeBeatsPerMinute = urid(LV2_TIME__beatsPerMinute);
  mURIDs.timeSpeed = urid(LV2_TIME__speed);
  mURIDs.timeFrame = urid(LV2_TIME__frame);
  mURIDs.maxBlockLength = urid(LV2_BUF_SIZE__maxBlockLength);
  mURIDs.nominalBlockLength = urid(LV2_BUF_SIZE__nominalBlockLength);
  mURIDs.stateKey = urid((std::string(mURI) + "#state").c_str());
}

// The façade, a member, deletes the plug-in first, while the adapter it may
// still call is whole.
IPlugLV2::~IPlugLV2() = default;

void IPlugLV2::ReadOptions(const LV2_Feature* const* features)
{
  const LV2_Options_Option* options = nullptr;
  for (int i = 0; features && features[i]; ++i)
  {
    if (!std::strcmp(features[i]->URI, LV2_OPTIONS__options))
    {
      options = static_cast<const LV2_Options_Option*>(features[i]->data);
    }
  }
  int maximum = 0, nominal = 0;
  for (int i = 0; options && options[i].key; ++i)
  {
    const LV2_Options_Option& option = options[i];
    if (!option.type || option.type != mURIDs.atomInt || option.size != sizeof(int32_t) ||
        !option.value)
    {
      continue;
    }
    int32_t value;
    std::memcpy(&value, option.value, sizeof value);
    if (option.key == mURIDs.maxBlockLength)
    {
      maximum = value;
    }
    else if (option.key == mURIDs.nominalBlockLength)
    {
      nominal = value;
    }
  }
  const int announced = std::max(maximum, nominal);
  if (announced > 0)
  {
    mMaxBlock = std::min(announced, kLargestMaxBlock);
  }
}

// ============================================================================
// Instantiation class (takes the plug-in mutex)
// ============================================================================

void IPlugLV2::Activate()
{
  IPlugBase::IMutexLock lock(mPlug);
  mFacade.SetActive(true);
}

void IPlugLV2::Deactivate()
{
  IPlugBase::IMutexLock lock(mPlug);
  mFacade.SetActive(false);
}

LV2_State_Status IPlugLV2::Restore(LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle)
{
  if (!mURIDs.stateKey)
  {
    return LV2_STATE_ERR_NO_FEATURE;
  }
  if (!retrieve)
  {
    return LV2_STATE_ERR_UNKNOWN;
  }
  size_t size = 0;
  uint32_t type = 0, flags = 0;
  const void* data = retrieve(handle, mURIDs.stateKey, &size, &type, &flags);
  if (!data)
  {
    return LV2_STATE_ERR_NO_PROPERTY;
  }
  if (type != mURIDs.atomChunk)
  {
    return LV2_STATE_ERR_BAD_TYPE;
  }
  if (size > static_cast<size_t>(INT_MAX))
  {
    return LV2_STATE_ERR_UNKNOWN;
  }
  ByteChunk chunk;
  chunk.Resize(static_cast<int>(size));
  if (static_cast<size_t>(chunk.Size()) != size)
  {
    return LV2_STATE_ERR_NO_SPACE;
  }
  if (size > 0)
  {
    std::memcpy(chunk.GetBytes(), data, size);
  }

  IPlugBase::IMutexLock lock(mPlug);
  return mFacade.LoadState(chunk, IPlugFacade::kStateProgram) ? LV2_STATE_SUCCESS
                                                              : LV2_STATE_ERR_UNKNOWN;
}

// ============================================================================
// Any thread while audio runs (takes the plug-in mutex)
// ============================================================================

LV2_State_Status IPlugLV2::Save(LV2_State_Store_Function store, LV2_State_Handle handle)
{
  if (!mURIDs.stateKey)
  {
    return LV2_STATE_ERR_NO_FEATURE;
  }
  if (!store)
  {
    return LV2_STATE_ERR_UNKNOWN;
  }
  ByteChunk chunk;
  {
    IPlugBase::IMutexLock lock(mPlug);
    // The editor's size stays out: the LV2 UI is an instance of its own.
    if (!mFacade.SaveState(&chunk, IPlugFacade::kStateProgram, false))
    {
      return LV2_STATE_ERR_UNKNOWN;
    }
  }
  // Little-endian doubles, as in the VST2 chunk on every target.
  return store(handle, mURIDs.stateKey, chunk.GetBytes(), static_cast<size_t>(chunk.Size()),
               mURIDs.atomChunk, LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE);
}

const void* IPlugLV2::ExtensionData(const char* uri)
{
  static const LV2_State_Interface state = {
      [](LV2_Handle instance, LV2_State_Store_Function store, LV2_State_Handle handle, uint32_t,
         const LV2_Feature* const*)
      { return static_cast<IPlugLV2*>(instance)->Save(store, handle); },
      [](LV2_Handle instance, LV2_State_Retrieve_Function retrieve, LV2_State_Handle handle,
         uint32_t, const LV2_Feature* const*)
      { return static_cast<IPlugLV2*>(instance)->Restore(retrieve, handle); },
  };
  return uri && !std::strcmp(uri, LV2_STATE__interface) ? &state : nullptr;
}

void IPlugLV2::IdentifyHost()
{
  mPlug->SetHost("", 0);
}

// ============================================================================
// Audio class (takes the plug-in mutex and nothing else; allocates nothing)
// ============================================================================

void IPlugLV2::ConnectPort(uint32_t port, void* data)
{
  if (port >= mLayout.audioIn && port < mLayout.audioIn + mLayout.nAudioIn)
  {
    mAudioIn[port - mLayout.audioIn] = static_cast<const float*>(data);
  }
  else if (port >= mLayout.audioOut && port < mLayout.audioOut + mLayout.nAudioOut)
  {
    mAudioOut[port - mLayout.audioOut] = static_cast<float*>(data);
  }
  else if (port == mLayout.events)
  {
    mEvents = static_cast<const LV2_Atom_Sequence*>(data);
  }
  else if (port >= mLayout.controls && port < mLayout.controls + mLayout.nControls)
  {
    mControls[port - mLayout.controls] = static_cast<const float*>(data);
  }
  else if (port >= mLayout.readouts && port < mLayout.readouts + mLayout.nReadouts)
  {
    mReadouts[port - mLayout.readouts] = static_cast<float*>(data);
  }
  else if (port == mLayout.transport)
  {
    mTransportEvents = static_cast<const LV2_Atom_Sequence*>(data);
  }
}

const LV2_Atom_Sequence* IPlugLV2::Sequence(const LV2_Atom_Sequence* sequence) const
{
  if (!sequence || !mURIDs.atomSequence || sequence->atom.type != mURIDs.atomSequence ||
      sequence->atom.size < sizeof(LV2_Atom_Sequence_Body))
  {
    return nullptr;
  }
  // run() stamps events in audio frames whatever the unit field says: hosts
  // leave it 0, name a frame unit, or leave whatever the buffer held there
  // (seen in a third-party host, on the sequence it hands a MIDI port with
  // no MIDI routed to it). Only a sequence that says it counts in beats,
  // which would need a tempo map to place, is passed over.
  const uint32_t unit = sequence->body.unit;
  if (unit != 0 && (unit == mURIDs.atomBeatTime || unit == mURIDs.unitsBeat))
  {
    return nullptr;
  }
  return sequence;
}

void IPlugLV2::ReadControlPorts()
{
  for (uint32_t i = 0; i < mLayout.nControls; ++i)
  {
    const float* port = mControls[i];
    if (!port)
    {
      continue;
    }
    const float value = *port;
    if (value == mLastControl[i] || !std::isfinite(value))
    {
      continue;
    }
    mLastControl[i] = value;
    const int idx = static_cast<int>(i);
    // A port showing the parameter's own value, rounded to a float (after a
    // state restore, or the default of a new instance), changes nothing: the
    // exact value stays.
    if (value == static_cast<float>(mPlug->GetParam(idx)->Value()))
    {
      continue;
    }
    mFacade.SetParameterValue(idx, value);
  }
}

bool IPlugLV2::ReadNumber(const LV2_Atom* atom, double* value) const
{
  double number;
  if (atom->type == mURIDs.atomDouble && atom->size >= sizeof(double))
  {
    number = reinterpret_cast<const LV2_Atom_Double*>(atom)->body;
  }
  else if (atom->type == mURIDs.atomFloat && atom->size >= sizeof(float))
  {
    number = reinterpret_cast<const LV2_Atom_Float*>(atom)->body;
  }
  else if (atom->type == mURIDs.atomLong && atom->size >= sizeof(int64_t))
  {
    number = static_cast<double>(reinterpret_cast<const LV2_Atom_Long*>(atom)->body);
  }
  else if (atom->type == mURIDs.atomInt && atom->size >= sizeof(int32_t))
  {
    number = reinterpret_cast<const LV2_Atom_Int*>(atom)->body;
  }
  else
  {
    return false;
  }
  if (!std::isfinite(number))
  {
    return false;
  }
  *value = number;
  return true;
}

void IPlugLV2::ReadPosition(const LV2_Atom_Object_Body* body, uint32_t size)
{
  if (size < sizeof(LV2_Atom_Object_Body))
  {
    return;
  }
  double bar = NAN, barBeat = NAN, beat = NAN, beatsPerBar = NAN, beatUnit = NAN, bpm = NAN,
         speed = NAN, frame = NAN;
  const uint8_t* end = reinterpret_cast<const uint8_t*>(body) + size;
  const uint8_t* at = reinterpret_cast<const uint8_t*>(body + 1);
  while (Remaining(at, end) >= sizeof(LV2_Atom_Property_Body))
  {
    const auto* property = reinterpret_cast<const LV2_Atom_Property_Body*>(at);
    const uint64_t length = sizeof(LV2_Atom_Property_Body) + uint64_t(property->value.size);
    if (length > Remaining(at, end))
    {
      break; // cut short: the rest is not there
    }
    double value;
    if (ReadNumber(&property->value, &value))
    {
      const LV2_URID key = property->key;
      double* slot = key == mURIDs.timeBar              ? &bar
                     : key == mURIDs.timeBarBeat        ? &barBeat
                     : key == mURIDs.timeBeat           ? &beat
                     : key == mURIDs.timeBeatsPerBar    ? &beatsPerBar
                     : key == mURIDs.timeBeatUnit       ? &beatUnit
                     : key == mURIDs.timeBeatsPerMinute ? &bpm
                     : key == mURIDs.timeSpeed          ? &speed
                     : key == mURIDs.timeFrame          ? &frame
                                                        : nullptr;
      if (slot)
      {
        *slot = value;
      }
    }
    at = After(at, length, end);
  }

  Transport& t = mTransport;
  t.known = true;
  if (beatsPerBar > 0.0 && beatsPerBar < 1e6)
  {
    t.beatsPerBar = beatsPerBar;
    t.hasSignature = true;
  }
  if (beatUnit >= 1.0 && beatUnit <= 256.0)
  {
    t.beatUnit = static_cast<int>(beatUnit);
    t.hasSignature = true;
  }
  // LV2 counts beats and tempo in the beat unit; the plug-in in quarter notes.
  const double quartersPerBeat = 4.0 / t.beatUnit;
  if (bpm > 0.0)
  {
    t.tempo = bpm * quartersPerBeat;
    t.hasTempo = true;
  }
  if (!std::isnan(barBeat))
  {
    if (std::isnan(bar))
    {
      // The bar the transport is in, when only the beat in it moved.
      bar = t.hasPosition ? std::floor(t.ppq / (t.beatsPerBar * quartersPerBeat) + kBarTolerance)
                          : 0.0;
    }
    t.ppq = (bar * t.beatsPerBar + barBeat) * quartersPerBeat;
    t.hasPosition = true;
  }
  else if (!std::isnan(beat))
  {
    t.ppq = beat * quartersPerBeat;
    t.hasPosition = true;
  }
  if (!std::isnan(speed))
  {
    t.speed = speed;
  }
  if (!std::isnan(frame))
  {
    t.frame = frame;
    t.hasFrame = true;
  }
}

void IPlugLV2::ReadMidi(const LV2_Atom_Event* event, int offset)
{
  const auto* bytes = reinterpret_cast<const uint8_t*>(&event->body + 1);
  mFacade.ProcessMidi(offset, bytes,
                      static_cast<int>(std::min<uint32_t>(event->body.size, INT_MAX)));
}

void IPlugLV2::AdvanceTransport(int frames)
{
  Transport& t = mTransport;
  if (!t.known || t.speed == 0.0)
  {
    return;
  }
  const double moved = frames * t.speed;
  if (t.hasFrame)
  {
    t.frame += moved;
  }
  if (t.hasPosition && t.hasTempo)
  {
    // As the project's host moves a VST2 transport: frames over the
    // samples in a quarter note.
    t.ppq += moved / (mPlug->GetSampleRate() * 60.0 / t.tempo);
  }
}

void IPlugLV2::RenderPiece(uint32_t start, int n)
{
  for (uint32_t c = 0; c < mLayout.nAudioIn; ++c)
  {
    mPieceIn[c] = mAudioIn[c] ? const_cast<float*>(mAudioIn[c]) + start : nullptr;
  }
  for (uint32_t c = 0; c < mLayout.nAudioOut; ++c)
  {
    mPieceOut[c] = mAudioOut[c] ? mAudioOut[c] + start : nullptr;
  }
  // Within the scratch buffers' length by construction: nothing grows here.
  mFacade.Process(mPieceIn.get(), mPieceOut.get(), n);
}

void IPlugLV2::Run(uint32_t nFrames)
{
  IDenormalGuard denormals;
  IPlugBase::IMutexLock lock(mPlug);
  ReadControlPorts();

  // Where each port's events lie: the event port's (MIDI and positions) and
  // the transport port's (positions only), each walked by its own cursor.
  struct Stream
  {
    const uint8_t* first = nullptr;
    const uint8_t* cursor = nullptr;
    const uint8_t* end = nullptr;
  };
  Stream streams[2];
  const LV2_Atom_Sequence* sequences[2] = {Sequence(mEvents), Sequence(mTransportEvents)};
  for (int i = 0; i < 2; ++i)
  {
    if (const LV2_Atom_Sequence* sequence = sequences[i])
    {
      streams[i].first = streams[i].cursor = reinterpret_cast<const uint8_t*>(&sequence->body + 1);
      streams[i].end = reinterpret_cast<const uint8_t*>(&sequence->body) + sequence->atom.size;
    }
  }
  Stream& events = streams[0];
  const int frames = static_cast<int>(std::min<uint32_t>(nFrames, INT_MAX));
  const int lastFrame = frames > 0 ? frames - 1 : 0;

  // Walks a stream's events from `at`: each whole event, its frame clamped
  // into the block (hosts must stamp them in order and inside it; a late or
  // early one counts at the nearest frame), until a cut-short one ends the
  // sequence.
  auto forEachEvent = [&](const uint8_t* at, const uint8_t* end, auto&& visit)
  {
    while (Remaining(at, end) >= sizeof(LV2_Atom_Event))
    {
      const auto* event = reinterpret_cast<const LV2_Atom_Event*>(at);
      const uint64_t length = sizeof(LV2_Atom_Event) + uint64_t(event->body.size);
      if (length > Remaining(at, end))
      {
        return;
      }
      const int64_t stamp = event->time.frames;
      const int frame = stamp < 0 ? 0 : (stamp > lastFrame ? lastFrame : static_cast<int>(stamp));
      const uint8_t* next = After(at, length, end);
      if (!visit(event, frame, next))
      {
        return;
      }
      at = next;
    }
  };
  auto isPosition = [&](const LV2_Atom_Event* event)
  {
    const LV2_Atom& body = event->body;
    if ((body.type != mURIDs.atomObject && body.type != mURIDs.atomBlank &&
         body.type != mURIDs.atomResource) ||
        body.size < sizeof(LV2_Atom_Object_Body))
    {
      return false;
    }
    return reinterpret_cast<const LV2_Atom_Object*>(&event->body)->body.otype ==
           mURIDs.timePosition;
  };
  auto isMidi = [&](const LV2_Atom_Event* event) { return event->body.type == mURIDs.midiEvent; };

  // The block is rendered in pieces: one per stretch between transport
  // changes on either port, each at most as long as the scratch buffers, so
  // that every piece sees the position it starts at.
  int start = 0;
  do
  {
    // What happens at the piece's first frame: transport, then notes.
    for (Stream& stream : streams)
    {
      forEachEvent(stream.cursor, stream.end,
                   [&](const LV2_Atom_Event* event, int frame, const uint8_t* next)
                   {
                     if (frame > start)
                     {
                       return false;
                     }
                     if (isPosition(event))
                     {
                       ReadPosition(&reinterpret_cast<const LV2_Atom_Object*>(&event->body)->body,
                                    event->body.size);
                     }
                     stream.cursor = next;
                     return true;
                   });
    }
    if (!mOpened)
    {
      // effOpen's work, now that the host's transport is known.
      mOpened = true;
      mFacade.Open();
    }
    int stop = frames;
    for (Stream& stream : streams)
    {
      forEachEvent(stream.cursor, stream.end,
                   [&](const LV2_Atom_Event* event, int frame, const uint8_t*)
                   {
                     if (isPosition(event) && frame > start)
                     {
                       stop = std::min(stop, frame);
                       return false;
                     }
                     return true;
                   });
    }
    stop = std::min(stop, start + mMaxBlock);

    // The piece's MIDI, from the event port only, stamped from its first
    // frame; the events at that frame were passed over above and are
    // delivered here too.
    forEachEvent(events.first, events.end,
                 [&](const LV2_Atom_Event* event, int frame, const uint8_t*)
                 {
                   if (frame >= stop && frames > 0)
                   {
                     return false;
                   }
                   if (frame >= start && isMidi(event) && frames > 0)
                   {
                     ReadMidi(event, frame - start);
                   }
                   return true;
                 });
    if (stop > start)
    {
      RenderPiece(static_cast<uint32_t>(start), stop - start);
      AdvanceTransport(stop - start);
    }
    start = stop;
  } while (start < frames);
  WriteReadouts();
}

void IPlugLV2::WriteReadouts()
{
  for (uint32_t i = 0; i < mLayout.nReadouts; ++i)
  {
    if (float* port = mReadouts[i])
    {
      *port = static_cast<float>(mPlug->GetReadout(static_cast<int>(i)));
    }
  }
}

// ============================================================================
// The transport, as the plug-in asks for it [audio thread, mutex held]
// ============================================================================

int IPlugLV2::GetSamplePos()
{
  const Transport& t = mTransport;
  if (!t.hasFrame || !(t.frame >= 0.0))
  {
    return 0;
  }
  const double rounded = t.frame + 0.5;
  return rounded < static_cast<double>(INT_MAX) ? static_cast<int>(rounded) : INT_MAX;
}

double IPlugLV2::GetTempo()
{
  return mTransport.hasTempo ? mTransport.tempo : 0.0;
}

void IPlugLV2::GetTimeSig(int* pNum, int* pDenom)
{
  *pNum = *pDenom = 0;
  if (mTransport.hasSignature)
  {
    *pNum = static_cast<int>(std::lround(mTransport.beatsPerBar));
    *pDenom = mTransport.beatUnit;
  }
}

void IPlugLV2::GetTime(ITimeInfo* pTimeInfo)
{
  const Transport& t = mTransport;
  if (!t.known)
  {
    return;
  }
  if (t.hasFrame)
  {
    pTimeInfo->mSamplePos = t.frame;
  }
  if (t.hasPosition && t.ppq >= 0.0)
  {
    pTimeInfo->mPPQPos = t.ppq;
    const double quartersPerBar = t.beatsPerBar * 4.0 / t.beatUnit;
    pTimeInfo->mLastBar = std::floor(t.ppq / quartersPerBar + kBarTolerance) * quartersPerBar;
  }
  if (t.hasTempo)
  {
    pTimeInfo->mTempo = t.tempo;
  }
  if (t.hasSignature)
  {
    GetTimeSig(&pTimeInfo->mNumerator, &pTimeInfo->mDenominator);
  }
  // Step mode plays while the host's transport moves.
  pTimeInfo->mTransportIsRunning = t.speed != 0.0;
}
