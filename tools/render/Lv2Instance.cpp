#include "Lv2Instance.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/atom/forge.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/core/lv2.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/presets/presets.h>
#include <lv2/time/time.h>
#include <lv2/urid/urid.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <map>
#include <utility>

namespace render
{
namespace
{
const char* const kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";
// Bytes of the event buffer: a position and thousands of MIDI events.
const size_t kEventBytes = 65536;

// The URI <-> URID table the host hands the plug-in.
class UridTable
{
public:
  UridTable()
  {
    mMap.handle = this;
    mMap.map = [](LV2_URID_Map_Handle handle, const char* uri)
    { return static_cast<UridTable*>(handle)->Map(uri); };
    mUnmap.handle = this;
    mUnmap.unmap = [](LV2_URID_Unmap_Handle handle, LV2_URID urid)
    { return static_cast<UridTable*>(handle)->Unmap(urid); };
  }
  LV2_URID Map(const char* uri)
  {
    auto found = mIds.find(uri);
    if (found != mIds.end())
      return found->second;
    mUris.push_back(uri);
    return mIds[uri] = static_cast<LV2_URID>(mUris.size());
  }
  const char* Unmap(LV2_URID urid) const
  {
    return urid >= 1 && urid <= mUris.size() ? mUris[urid - 1].c_str() : nullptr;
  }
  LV2_URID_Map* MapFeature() { return &mMap; }
  LV2_URID_Unmap* UnmapFeature() { return &mUnmap; }

private:
  std::map<std::string, LV2_URID> mIds;
  std::vector<std::string> mUris;
  LV2_URID_Map mMap;
  LV2_URID_Unmap mUnmap;
};

std::string NodeString(const LilvNode* node)
{
  return node ? lilv_node_as_string(node) : "";
}
} // namespace

struct Lv2Instance::Impl
{
  UridTable urids;
  LilvWorld* world = nullptr;
  const LilvPlugin* plugin = nullptr;
  LilvInstance* instance = nullptr;
  double sampleRate = 44100.0;
  int32_t blockSize = 512;
  vsthost::Transport transport;

  std::vector<uint32_t> audioIn, audioOut;
  struct Control
  {
    uint32_t index;
    std::string symbol;
    std::string name;
    float value;
  };
  std::vector<Control> controls;
  // Control outputs (what the plug-in reports, for a UI): connected, as a
  // DAW connects them, and read by nobody here.
  struct Output
  {
    uint32_t index;
    float value;
  };
  std::vector<Output> controlOutputs;
  int eventPort = -1;
  std::vector<uint64_t> eventBuffer = std::vector<uint64_t>(kEventBytes / sizeof(uint64_t));
  LV2_Atom_Forge forge;

  std::vector<std::pair<std::string, std::string>> presets; // URI, label
  std::vector<std::string> presetNames;

  LV2_Options_Option options[3];
  LV2_Feature mapFeature{LV2_URID__map, nullptr};
  LV2_Feature unmapFeature{LV2_URID__unmap, nullptr};
  LV2_Feature optionsFeature{LV2_OPTIONS__options, nullptr};
  const LV2_Feature* features[4] = {};

  ~Impl()
  {
    if (instance)
      lilv_instance_free(instance);
    if (world)
      lilv_world_free(world);
  }

  LV2_URID Urid(const char* uri) { return urids.Map(uri); }

  bool Load(const std::string& bundle, std::string* error)
  {
    world = lilv_world_new();
    std::string path = std::filesystem::absolute(bundle).lexically_normal().string();
    if (path.empty() || path.back() != '/')
      path += '/';
    LilvNode* bundleUri = lilv_new_file_uri(world, nullptr, path.c_str());
    lilv_world_load_bundle(world, bundleUri);
    const LilvPlugins* plugins = lilv_world_get_all_plugins(world);
    LILV_FOREACH(plugins, i, plugins)
    {
      const LilvPlugin* candidate = lilv_plugins_get(plugins, i);
      if (lilv_node_equals(lilv_plugin_get_bundle_uri(candidate), bundleUri))
      {
        plugin = candidate;
        break;
      }
    }
    lilv_node_free(bundleUri);
    if (!plugin)
    {
      *error = "cannot load '" + bundle + "': no LV2 plug-in in that bundle";
      return false;
    }
    return ReadPorts(error) && ReadPresets();
  }

  bool ReadPorts(std::string* error)
  {
    LilvNode* input = lilv_new_uri(world, LV2_CORE__InputPort);
    LilvNode* audio = lilv_new_uri(world, LV2_CORE__AudioPort);
    LilvNode* control = lilv_new_uri(world, LV2_CORE__ControlPort);
    LilvNode* atomPort = lilv_new_uri(world, LV2_ATOM__AtomPort);
    LilvNode* optional = lilv_new_uri(world, LV2_CORE__connectionOptional);
    const uint32_t count = lilv_plugin_get_num_ports(plugin);
    std::vector<float> defaults(count, 0.0f);
    lilv_plugin_get_port_ranges_float(plugin, nullptr, nullptr, defaults.data());
    bool ok = true;
    for (uint32_t p = 0; p < count && ok; ++p)
    {
      const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
      const bool isInput = lilv_port_is_a(plugin, port, input);
      if (lilv_port_is_a(plugin, port, audio))
        (isInput ? audioIn : audioOut).push_back(p);
      else if (lilv_port_is_a(plugin, port, control) && isInput)
      {
        LilvNode* name = lilv_port_get_name(plugin, port);
        controls.push_back({p, NodeString(lilv_port_get_symbol(plugin, port)), NodeString(name),
                            std::isnan(defaults[p]) ? 0.0f : defaults[p]});
        lilv_node_free(name);
      }
      else if (lilv_port_is_a(plugin, port, control))
        controlOutputs.push_back({p, 0.0f});
      else if (lilv_port_is_a(plugin, port, atomPort) && isInput && eventPort < 0)
        eventPort = static_cast<int>(p);
      else if (!lilv_port_has_property(plugin, port, optional))
      {
        *error = "port " + std::to_string(p) + " of the LV2 plug-in is of a kind this host lacks";
        ok = false;
      }
    }
    for (LilvNode* node : {input, audio, control, atomPort, optional})
      lilv_node_free(node);
    return ok;
  }

  bool ReadPresets()
  {
    LilvNode* presetClass = lilv_new_uri(world, LV2_PRESETS__Preset);
    LilvNode* label = lilv_new_uri(world, kRdfsLabel);
    LilvNodes* related = lilv_plugin_get_related(plugin, presetClass);
    LILV_FOREACH(nodes, i, related)
    {
      const LilvNode* preset = lilv_nodes_get(related, i);
      lilv_world_load_resource(world, preset);
      LilvNode* name = lilv_world_get(world, preset, label, nullptr);
      presets.emplace_back(NodeString(preset), NodeString(name));
      lilv_node_free(name);
    }
    lilv_nodes_free(related);
    lilv_node_free(label);
    lilv_node_free(presetClass);
    std::sort(presets.begin(), presets.end());
    for (const auto& preset : presets)
      presetNames.push_back(preset.second);
    return true;
  }

  bool Instantiate(double rate, int block, std::string* error)
  {
    sampleRate = rate;
    blockSize = block;
    const LV2_URID intType = Urid(LV2_ATOM__Int);
    options[0] = {LV2_OPTIONS_INSTANCE, 0,       Urid(LV2_BUF_SIZE__maxBlockLength),
                  sizeof(int32_t),      intType, &blockSize};
    options[1] = {LV2_OPTIONS_INSTANCE, 0,       Urid(LV2_BUF_SIZE__nominalBlockLength),
                  sizeof(int32_t),      intType, &blockSize};
    options[2] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
    mapFeature.data = urids.MapFeature();
    unmapFeature.data = urids.UnmapFeature();
    optionsFeature.data = options;
    features[0] = &mapFeature;
    features[1] = &unmapFeature;
    features[2] = &optionsFeature;
    features[3] = nullptr;
    instance = lilv_plugin_instantiate(plugin, rate, features);
    if (!instance)
    {
      *error = "the LV2 plug-in refused to start at " + std::to_string(rate) + " Hz";
      return false;
    }
    lv2_atom_forge_init(&forge, urids.MapFeature());
    for (Control& c : controls)
      lilv_instance_connect_port(instance, c.index, &c.value);
    for (Output& o : controlOutputs)
      lilv_instance_connect_port(instance, o.index, &o.value);
    return true;
  }

  static void SetPortValue(const char* symbol, void* self, const void* value, uint32_t size,
                           uint32_t type)
  {
    Impl* impl = static_cast<Impl*>(self);
    if (type != impl->Urid(LV2_ATOM__Float) || size != sizeof(float))
      return;
    for (Control& c : impl->controls)
      if (c.symbol == symbol)
        std::memcpy(&c.value, value, sizeof(float));
  }

  // The block's events: the transport where it starts or jumps, then MIDI.
  void WriteEvents(const std::vector<VstMidiEvent>& midi)
  {
    lv2_atom_forge_set_buffer(&forge, reinterpret_cast<uint8_t*>(eventBuffer.data()),
                              eventBuffer.size() * sizeof(uint64_t));
    LV2_Atom_Forge_Frame sequence;
    lv2_atom_forge_sequence_head(&forge, &sequence, 0);
    const VstTimeInfo info = transport.TimeInfo();
    if (info.flags & kVstTransportChanged)
    {
      const vsthost::TransportSettings& settings = transport.Settings();
      // Bars of the time signature, beats in its note value.
      const double quartersPerBar = transport.QuartersPerBar();
      const double beatsPerQuarter = settings.denominator / 4.0;
      const double bar = std::floor(info.ppqPos / quartersPerBar);
      LV2_Atom_Forge_Frame position;
      lv2_atom_forge_frame_time(&forge, 0);
      lv2_atom_forge_object(&forge, &position, 0, Urid(LV2_TIME__Position));
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__frame));
      lv2_atom_forge_long(&forge, static_cast<int64_t>(info.samplePos));
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__speed));
      lv2_atom_forge_float(&forge, settings.playing ? 1.0f : 0.0f);
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__bar));
      lv2_atom_forge_long(&forge, static_cast<int64_t>(bar));
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__barBeat));
      lv2_atom_forge_double(&forge, (info.ppqPos - bar * quartersPerBar) * beatsPerQuarter);
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__beatsPerBar));
      lv2_atom_forge_float(&forge, static_cast<float>(settings.numerator));
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__beatUnit));
      lv2_atom_forge_int(&forge, settings.denominator);
      lv2_atom_forge_key(&forge, Urid(LV2_TIME__beatsPerMinute));
      lv2_atom_forge_double(&forge, settings.tempo * beatsPerQuarter);
      lv2_atom_forge_pop(&forge, &position);
    }
    const LV2_URID midiType = Urid(LV2_MIDI__MidiEvent);
    for (const VstMidiEvent& event : midi)
    {
      const uint8_t status = static_cast<uint8_t>(event.midiData[0]);
      // Program change and channel pressure carry one data byte.
      const uint32_t size = (status & 0xE0) == 0xC0 ? 2 : 3;
      lv2_atom_forge_frame_time(&forge, event.deltaFrames);
      lv2_atom_forge_atom(&forge, size, midiType);
      lv2_atom_forge_write(&forge, event.midiData, size);
    }
    lv2_atom_forge_pop(&forge, &sequence);
  }
};

Lv2Instance::Lv2Instance(std::unique_ptr<Impl> impl) : mImpl(std::move(impl)) {}

Lv2Instance::~Lv2Instance() = default;

std::unique_ptr<Lv2Instance> Lv2Instance::Open(const std::string& bundle, double sampleRate,
                                               int blockSize,
                                               const vsthost::TransportSettings& transport,
                                               std::string* error)
{
  auto impl = std::make_unique<Impl>();
  impl->transport = vsthost::Transport(transport, sampleRate);
  if (!impl->Load(bundle, error) || !impl->Instantiate(sampleRate, blockSize, error))
    return nullptr;
  return std::unique_ptr<Lv2Instance>(new Lv2Instance(std::move(impl)));
}

int Lv2Instance::Inputs() const
{
  return static_cast<int>(mImpl->audioIn.size());
}

int Lv2Instance::Outputs() const
{
  return static_cast<int>(mImpl->audioOut.size());
}

std::string Lv2Instance::Name() const
{
  LilvNode* name = lilv_plugin_get_name(mImpl->plugin);
  std::string text = NodeString(name);
  lilv_node_free(name);
  return text;
}

const std::vector<std::string>& Lv2Instance::PresetNames() const
{
  return mImpl->presetNames;
}

bool Lv2Instance::LoadPreset(int index, std::string* error)
{
  if (index < 0 || index >= static_cast<int>(mImpl->presets.size()))
  {
    *error = "no preset " + std::to_string(index + 1);
    return false;
  }
  LilvNode* uri =
      lilv_new_uri(mImpl->world, mImpl->presets[static_cast<size_t>(index)].first.c_str());
  LilvState* state = lilv_state_new_from_world(mImpl->world, mImpl->urids.MapFeature(), uri);
  lilv_node_free(uri);
  if (!state)
  {
    *error = "cannot read preset '" + mImpl->presetNames[static_cast<size_t>(index)] + "'";
    return false;
  }
  lilv_state_restore(state, mImpl->instance, Impl::SetPortValue, mImpl.get(), 0, mImpl->features);
  lilv_state_free(state);
  return true;
}

int Lv2Instance::FindControl(const std::string& nameOrSymbol) const
{
  for (size_t i = 0; i < mImpl->controls.size(); ++i)
    if (mImpl->controls[i].symbol == nameOrSymbol || mImpl->controls[i].name == nameOrSymbol)
      return static_cast<int>(i);
  return -1;
}

void Lv2Instance::SetControl(int control, float value)
{
  mImpl->controls[static_cast<size_t>(control)].value = value;
}

void Lv2Instance::Activate()
{
  lilv_instance_activate(mImpl->instance);
}

void Lv2Instance::Deactivate()
{
  lilv_instance_deactivate(mImpl->instance);
}

void Lv2Instance::Process(float** inputs, float** outputs, int frames,
                          const std::vector<VstMidiEvent>& midi)
{
  Impl& impl = *mImpl;
  for (size_t c = 0; c < impl.audioIn.size(); ++c)
    lilv_instance_connect_port(impl.instance, impl.audioIn[c], inputs[c]);
  for (size_t c = 0; c < impl.audioOut.size(); ++c)
    lilv_instance_connect_port(impl.instance, impl.audioOut[c], outputs[c]);
  if (impl.eventPort >= 0)
  {
    impl.WriteEvents(midi);
    lilv_instance_connect_port(impl.instance, static_cast<uint32_t>(impl.eventPort),
                               impl.eventBuffer.data());
  }
  lilv_instance_run(impl.instance, static_cast<uint32_t>(frames));
  impl.transport.Advance(frames);
}

} // namespace render
