#pragma once

// An in-process stand-in for an LV2 host around Kolvane's LV2 entry points:
// a URID map, the options a host announces, port buffers, and event
// sequences built byte by byte, so that tests can hand the adapter both what
// hosts send and what they must not.

#include "IPlugLV2.h"
#include "Kolvane.h"

#include <lv2/atom/atom.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/time/time.h>
#include <lv2/units/units.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

class TestUridMap
{
public:
  TestUridMap()
  {
    mMap.handle = this;
    mMap.map = [](LV2_URID_Map_Handle handle, const char* uri)
    { return static_cast<TestUridMap*>(handle)->Map(uri); };
  }
  LV2_URID Map(const std::string& uri)
  {
    auto found = mIds.find(uri);
    if (found != mIds.end())
    {
      return found->second;
    }
    const LV2_URID id = static_cast<LV2_URID>(mIds.size() + 1);
    mIds[uri] = id;
    return id;
  }
  LV2_URID_Map* Feature() { return &mMap; }

private:
  std::map<std::string, LV2_URID> mIds;
  LV2_URID_Map mMap;
};

// An atom sequence assembled in an 8-byte aligned buffer.
class SequenceBuilder
{
public:
  explicit SequenceBuilder(TestUridMap& map, size_t capacity = 16384)
      : mMap(map), mWords(capacity / 8, 0), mSequenceType(map.Map(LV2_ATOM__Sequence)),
        mFrameTime(map.Map(LV2_ATOM__frameTime))
  {
    Clear();
  }

  // An empty sequence again; allocates nothing.
  void Clear()
  {
    std::fill(mWords.begin(), mWords.end(), 0);
    mSize = sizeof(LV2_Atom) + sizeof(LV2_Atom_Sequence_Body);
    Sequence()->atom.type = mSequenceType;
    Sequence()->body.unit = mFrameTime;
    Update();
  }

  // One event of `type` whose body is `body`.
  void Event(int64_t frames, LV2_URID type, const void* body, uint32_t size)
  {
    LV2_Atom_Event event = {};
    event.time.frames = frames;
    event.body.size = size;
    event.body.type = type;
    Append(&event, sizeof event);
    Append(body, size);
    Pad();
    Update();
  }

  void Midi(int64_t frames, std::vector<uint8_t> bytes)
  {
    Event(frames, mMap.Map(LV2_MIDI__MidiEvent), bytes.data(), static_cast<uint32_t>(bytes.size()));
  }

  // A time:Position object; each property a (key, atom type, value) triple
  // whose value is written in that type.
  struct Property
  {
    const char* key;
    const char* type;
    double value;
  };
  void Position(int64_t frames, const std::vector<Property>& properties)
  {
    std::vector<uint8_t> body;
    LV2_Atom_Object_Body head = {0, mMap.Map(LV2_TIME__Position)};
    Bytes(body, &head, sizeof head);
    for (const Property& p : properties)
    {
      LV2_Atom_Property_Body prop = {};
      prop.key = mMap.Map(p.key);
      prop.value.type = mMap.Map(p.type);
      const std::string type = p.type;
      if (type == LV2_ATOM__Double)
      {
        prop.value.size = 8;
        Bytes(body, &prop, sizeof prop);
        Bytes(body, &p.value, 8);
      }
      else if (type == LV2_ATOM__Long)
      {
        const int64_t v = static_cast<int64_t>(p.value);
        prop.value.size = 8;
        Bytes(body, &prop, sizeof prop);
        Bytes(body, &v, 8);
      }
      else if (type == LV2_ATOM__Int)
      {
        const int32_t v = static_cast<int32_t>(p.value);
        prop.value.size = 4;
        Bytes(body, &prop, sizeof prop);
        Bytes(body, &v, 4);
      }
      else // a float, or any other type carrying a float's bytes
      {
        const float v = static_cast<float>(p.value);
        prop.value.size = 4;
        Bytes(body, &prop, sizeof prop);
        Bytes(body, &v, 4);
      }
      body.resize((body.size() + 7) & ~size_t(7), 0);
    }
    Event(frames, mMap.Map(LV2_ATOM__Object), body.data(), static_cast<uint32_t>(body.size()));
  }

  LV2_Atom_Sequence* Sequence() { return reinterpret_cast<LV2_Atom_Sequence*>(mWords.data()); }
  uint8_t* Bytes() { return reinterpret_cast<uint8_t*>(mWords.data()); }
  size_t Size() const { return mSize; }
  // The last event's header, for damaging it after the fact.
  LV2_Atom_Event* LastEvent() { return reinterpret_cast<LV2_Atom_Event*>(Bytes() + mLastEvent); }

private:
  static void Bytes(std::vector<uint8_t>& out, const void* data, size_t n)
  {
    const auto* bytes = static_cast<const uint8_t*>(data);
    out.insert(out.end(), bytes, bytes + n);
  }
  void Append(const void* data, size_t n)
  {
    if (n == sizeof(LV2_Atom_Event) && data)
    {
      mLastEvent = mSize;
    }
    if (mSize + n <= mWords.size() * 8 && n)
    {
      std::memcpy(Bytes() + mSize, data, n);
    }
    mSize += n;
  }
  void Pad() { mSize = (mSize + 7) & ~size_t(7); }
  void Update() { Sequence()->atom.size = static_cast<uint32_t>(mSize - sizeof(LV2_Atom)); }

  TestUridMap& mMap;
  std::vector<uint64_t> mWords;
  LV2_URID mSequenceType;
  LV2_URID mFrameTime;
  size_t mSize = 0;
  size_t mLastEvent = 0;
};

// One Kolvane instance through its LV2 descriptor, every port connected to
// a buffer of the host's.
class Lv2Kolvane
{
public:
  static constexpr int kAnnouncedBlock = 512;
  static constexpr int kFrames = 8 * 4096;
  static constexpr const char* kURI = "urn:vexmoor:kolvane";
  // The readout port of the playing step, after the parameters' ports.
  static constexpr uint32_t kStepPort = 5 + kNumParams;
  // The atom port taking the transport alone, after the readouts.
  static constexpr uint32_t kTransportPort = kStepPort + 1;

  explicit Lv2Kolvane(TestUridMap& map, double rate = 48000.0, bool withMap = true)
      : mMap(map), mEvents(map), mTransport(map)
  {
    mBlock = kAnnouncedBlock;
    const LV2_URID intType = map.Map(LV2_ATOM__Int);
    mOptions[0] = {LV2_OPTIONS_INSTANCE, 0,       map.Map(LV2_BUF_SIZE__maxBlockLength),
                   sizeof(int32_t),      intType, &mBlock};
    mOptions[1] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mMapFeature = {LV2_URID__map, map.Feature()};
    mOptionsFeature = {LV2_OPTIONS__options, mOptions};
    mFeatures[0] = &mMapFeature;
    mFeatures[1] = &mOptionsFeature;
    mFeatures[2] = nullptr;
    mDescriptor.URI = kURI;
    mHandle = LV2Entry<Kolvane>::Instantiate(&mDescriptor, rate, "", withMap ? mFeatures : nullptr);
    for (auto* channel : {&mInL, &mInR, &mOutL, &mOutR})
    {
      channel->assign(kFrames, 0.0f);
    }
    for (int i = 0; i < kNumParams; ++i)
    {
      mControls[i] = static_cast<float>(parameterProperties[i].defaultVal);
    }
    ConnectAll();
  }
  ~Lv2Kolvane()
  {
    if (mHandle)
    {
      LV2Entry<Kolvane>::Cleanup(mHandle);
    }
  }

  void ConnectAll()
  {
    Connect(0, mInL.data());
    Connect(1, mInR.data());
    Connect(2, mOutL.data());
    Connect(3, mOutR.data());
    Connect(4, mEvents.Sequence());
    for (int i = 0; i < kNumParams; ++i)
    {
      Connect(5 + i, &mControls[i]);
    }
    Connect(kStepPort, &mStep);
    Connect(kTransportPort, mTransport.Sequence());
  }
  void Connect(uint32_t port, void* data) { LV2Entry<Kolvane>::ConnectPort(mHandle, port, data); }
  void Activate() { LV2Entry<Kolvane>::Activate(mHandle); }
  void Run(uint32_t frames) { LV2Entry<Kolvane>::Run(mHandle, frames); }

  Kolvane* Plug() { return LV2PlugOf<Kolvane>(mHandle); }
  const ITimeInfo& Time() { return Plug()->engine().timeInfo(); }
  const LV2_State_Interface* State() const
  {
    return static_cast<const LV2_State_Interface*>(IPlugLV2::ExtensionData(LV2_STATE__interface));
  }

  LV2_Handle mHandle = nullptr;
  TestUridMap& mMap;
  SequenceBuilder mEvents;
  // What a host hands the transport port: empty unless a test fills it.
  SequenceBuilder mTransport;
  std::vector<float> mInL, mInR, mOutL, mOutR;
  float mControls[kNumParams] = {};
  // What the plug-in wrote to the step port; NaN before it wrote anything.
  float mStep = NAN;

private:
  int32_t mBlock;
  LV2_Options_Option mOptions[2];
  LV2_Feature mMapFeature;
  LV2_Feature mOptionsFeature;
  const LV2_Feature* mFeatures[3];
  LV2_Descriptor mDescriptor = {};
};

// A state store in memory: what an instance saves, and what a restore reads.
struct StateStore
{
  struct Value
  {
    std::vector<uint8_t> bytes;
    uint32_t type = 0;
    uint32_t flags = 0;
  };
  std::map<uint32_t, Value> values;

  static LV2_State_Status Store(LV2_State_Handle handle, uint32_t key, const void* value,
                                size_t size, uint32_t type, uint32_t flags)
  {
    auto* self = static_cast<StateStore*>(handle);
    const auto* bytes = static_cast<const uint8_t*>(value);
    self->values[key] = {std::vector<uint8_t>(bytes, bytes + size), type, flags};
    return LV2_STATE_SUCCESS;
  }
  static const void* Retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type,
                              uint32_t* flags)
  {
    auto* self = static_cast<StateStore*>(handle);
    auto found = self->values.find(key);
    if (found == self->values.end())
    {
      return nullptr;
    }
    *size = found->second.bytes.size();
    *type = found->second.type;
    *flags = found->second.flags;
    return found->second.bytes.data();
  }
};
