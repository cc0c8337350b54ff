// The built bundle as a host reads it through lilv: the plug-in's ports
// against the parameter table, and every preset, restored through the
// plug-in's own state interface, against the VST2 program of the same
// number.

#include "FakeHost.h"
#include "IPlugVST.h"
#include "Kolvane.h"
#include "LilvBundle.h"
#include "Lv2TestHost.h"

#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/time/time.h>
#include <lv2/ui/ui.h>
#include <lv2/units/units.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
const char* const kRdfsLabel = "http://www.w3.org/2000/01/rdf-schema#label";

class Lv2Bundle : public ::testing::Test
{
protected:
  void SetUp() override
  {
    world = lilv_world_new();
    plugin = LoadBundlePlugin(world, KOLVANE_LV2_BUNDLE, Lv2Kolvane::kURI);
    ASSERT_NE(nullptr, plugin) << "no plug-in in " << KOLVANE_LV2_BUNDLE;
  }
  void TearDown() override
  {
    for (LilvNode* node : nodes)
    {
      lilv_node_free(node);
    }
    lilv_world_free(world);
  }
  // A URI node freed with the fixture.
  LilvNode* Uri(const char* uri)
  {
    LilvNode* node = lilv_new_uri(world, uri);
    nodes.push_back(node);
    return node;
  }
  bool PortIs(const LilvPort* port, const char* cls)
  {
    return lilv_port_is_a(plugin, port, Uri(cls));
  }
  bool PortHas(const LilvPort* port, const char* property)
  {
    return lilv_port_has_property(plugin, port, Uri(property));
  }

  LilvWorld* world = nullptr;
  const LilvPlugin* plugin = nullptr;
  std::vector<LilvNode*> nodes;
};

TEST_F(Lv2Bundle, DescribesStereoAudioAndTheEventAndTransportPorts)
{
  ASSERT_EQ(5u + kNumParams + 2, lilv_plugin_get_num_ports(plugin))
      << "one readout and the transport port";
  const char* const audio[] = {"in_l", "in_r", "out_l", "out_r"};
  for (uint32_t p = 0; p < 4; ++p)
  {
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
    EXPECT_TRUE(PortIs(port, LV2_CORE__AudioPort)) << p;
    EXPECT_TRUE(PortIs(port, p < 2 ? LV2_CORE__InputPort : LV2_CORE__OutputPort)) << p;
    EXPECT_STREQ(audio[p], lilv_node_as_string(lilv_port_get_symbol(plugin, port)));
  }
  const LilvPort* events = lilv_plugin_get_port_by_index(plugin, 4);
  EXPECT_TRUE(PortIs(events, LV2_ATOM__AtomPort));
  EXPECT_TRUE(PortIs(events, LV2_CORE__InputPort));
  EXPECT_TRUE(lilv_port_supports_event(plugin, events, Uri(LV2_MIDI__MidiEvent)));
  EXPECT_TRUE(lilv_port_supports_event(plugin, events, Uri(LV2_TIME__Position)));
  EXPECT_TRUE(PortHas(events, LV2_CORE__connectionOptional));
  // The transport alone, last: a port without MIDI, which a host feeds
  // wherever the plug-in sits.
  const LilvPort* transport = lilv_plugin_get_port_by_index(plugin, 5 + kNumParams + 1);
  EXPECT_TRUE(PortIs(transport, LV2_ATOM__AtomPort));
  EXPECT_TRUE(PortIs(transport, LV2_CORE__InputPort));
  EXPECT_STREQ("transport", lilv_node_as_string(lilv_port_get_symbol(plugin, transport)));
  EXPECT_TRUE(lilv_port_supports_event(plugin, transport, Uri(LV2_TIME__Position)));
  EXPECT_FALSE(lilv_port_supports_event(plugin, transport, Uri(LV2_MIDI__MidiEvent)));
  EXPECT_TRUE(PortHas(transport, LV2_CORE__connectionOptional));
  EXPECT_TRUE(lilv_plugin_has_extension_data(plugin, Uri(LV2_STATE__interface)));
  LilvNodes* required = lilv_plugin_get_required_features(plugin);
  EXPECT_EQ(0u, lilv_nodes_size(required)) << "a bare host must be able to run it";
  lilv_nodes_free(required);
}

TEST_F(Lv2Bundle, ControlPortsComeFromTheParameterTable)
{
  const size_t ports = lilv_plugin_get_num_ports(plugin);
  std::vector<float> minimum(ports), maximum(ports), fallback(ports);
  lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), fallback.data());
  Kolvane plug;
  for (int i = 0; i < kNumParams; ++i)
  {
    const ParameterProperties& row = parameterProperties[i];
    const uint32_t index = 5 + static_cast<uint32_t>(i);
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, index);
    EXPECT_TRUE(PortIs(port, LV2_CORE__ControlPort) && PortIs(port, LV2_CORE__InputPort)) << i;
    EXPECT_STREQ(row.id, lilv_node_as_string(lilv_port_get_symbol(plugin, port)));
    LilvNode* name = lilv_port_get_name(plugin, port);
    EXPECT_STREQ(row.name, lilv_node_as_string(name));
    lilv_node_free(name);
    EXPECT_EQ(float(row.minVal), minimum[index]) << row.id;
    EXPECT_EQ(float(row.maxVal), maximum[index]) << row.id;
    EXPECT_EQ(float(row.defaultVal), fallback[index]) << row.id;
    EXPECT_EQ(row.kind != kTypeDouble, PortHas(port, LV2_CORE__integer)) << row.id;
    EXPECT_EQ(row.kind == kTypeBool, PortHas(port, LV2_CORE__toggled)) << row.id;
    EXPECT_EQ(row.kind == kTypeEnum, PortHas(port, LV2_CORE__enumeration)) << row.id;
    // Port values are seconds and levels of 0 to 1: the "ms", "s" and "%" of
    // the host texts belong to the texts, and a host told the port is in
    // them would show 10 ms as 0.01 ms.
    LilvNodes* units = lilv_port_get_value(plugin, port, Uri(LV2_UNITS__unit));
    EXPECT_EQ(0u, units ? lilv_nodes_size(units) : 0u) << row.id;
    lilv_nodes_free(units);

    // Every choice of a switch or a list has its scale point.
    LilvScalePoints* points = lilv_port_get_scale_points(plugin, port);
    std::vector<float> values;
    LILV_FOREACH(scale_points, p, points)
    {
      values.push_back(
          lilv_node_as_float(lilv_scale_point_get_value(lilv_scale_points_get(points, p))));
    }
    lilv_scale_points_free(points);
    std::sort(values.begin(), values.end());
    // Every choice of a switch or a list; the named values of a range.
    std::vector<float> expected;
    if (row.kind == kTypeBool || row.kind == kTypeEnum)
    {
      for (int v = int(row.minVal); v <= int(row.maxVal); ++v)
      {
        expected.push_back(float(v));
      }
    }
    else
    {
      const IParam* param = plug.GetParam(i);
      for (int t = 0; t < param->GetNDisplayTexts(); ++t)
      {
        int value = 0;
        param->GetDisplayTextAtIdx(t, &value);
        expected.push_back(float(value));
      }
      std::sort(expected.begin(), expected.end());
    }
    EXPECT_EQ(expected, values) << row.id;
  }
}

// The step playing goes out on the last port, a control output, and the
// editor asks its host to hear of every change of it.
TEST_F(Lv2Bundle, ThePlayingStepIsAControlOutputTheUiListensTo)
{
  LilvNode* symbol = lilv_new_string(world, "playing_step");
  nodes.push_back(symbol);
  const LilvPort* port = lilv_plugin_get_port_by_symbol(plugin, symbol);
  ASSERT_NE(nullptr, port);
  EXPECT_EQ(5u + kNumParams, lilv_port_get_index(plugin, port));
  EXPECT_TRUE(PortIs(port, LV2_CORE__ControlPort) && PortIs(port, LV2_CORE__OutputPort));
  EXPECT_TRUE(PortHas(port, LV2_CORE__integer));
  EXPECT_TRUE(PortHas(port, LV2_CORE__connectionOptional)) << "a bare host may leave it alone";
  LilvNode *minimum = nullptr, *maximum = nullptr;
  lilv_port_get_range(plugin, port, nullptr, &minimum, &maximum);
  ASSERT_TRUE(minimum && maximum);
  EXPECT_EQ(0.0f, lilv_node_as_float(minimum));
  EXPECT_EQ(15.0f, lilv_node_as_float(maximum));
  lilv_node_free(minimum);
  lilv_node_free(maximum);

  const std::string ui = std::string(Lv2Kolvane::kURI) + "#ui";
  LilvNodes* notifications =
      lilv_world_find_nodes(world, Uri(ui.c_str()), Uri(LV2_UI__portNotification), nullptr);
  ASSERT_EQ(1u, lilv_nodes_size(notifications));
  const LilvNode* notification = lilv_nodes_get(notifications, lilv_nodes_begin(notifications));
  LilvNode* of = lilv_world_get(world, notification, Uri(LV2_UI__plugin), nullptr);
  LilvNode* named = lilv_world_get(world, notification, Uri(LV2_CORE__symbol), nullptr);
  EXPECT_STREQ(Lv2Kolvane::kURI, of ? lilv_node_as_uri(of) : "");
  EXPECT_STREQ("playing_step", named ? lilv_node_as_string(named) : "");
  lilv_node_free(of);
  lilv_node_free(named);
  lilv_nodes_free(notifications);
}

// Each preset, as a host loads it (lilv reads the file and restores the
// plug-in through its state interface), holds exactly the state of the VST2
// program of the same number, and its port values are that program's.
TEST_F(Lv2Bundle, EveryPresetLoadsAsItsVst2Program)
{
  LilvNodes* related = lilv_plugin_get_related(plugin, Uri(LV2_PRESETS__Preset));
  std::vector<std::string> presets;
  LILV_FOREACH(nodes, i, related)
  {
    presets.push_back(lilv_node_as_uri(lilv_nodes_get(related, i)));
  }
  lilv_nodes_free(related);
  std::sort(presets.begin(), presets.end());
  ASSERT_EQ(27u, presets.size());

  FakeHost host;
  AEffect* effect = VST2EntryPoint<Kolvane>(FakeHost::Callback);
  ASSERT_NE(nullptr, effect);
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);

  TestUridMap map;
  LV2_Feature mapFeature = {LV2_URID__map, map.Feature()};
  const LV2_Feature* features[] = {&mapFeature, nullptr};
  LilvInstance* instance = lilv_plugin_instantiate(plugin, 48000.0, features);
  ASSERT_NE(nullptr, instance);
  const auto* state = static_cast<const LV2_State_Interface*>(
      lilv_instance_get_extension_data(instance, LV2_STATE__interface));
  ASSERT_NE(nullptr, state);
  const uint32_t key = map.Map(std::string(Lv2Kolvane::kURI) + "#state");

  struct PortValues
  {
    TestUridMap* map;
    std::map<std::string, float> values;
  } ports{&map, {}};
  auto collect = [](const char* symbol, void* data, const void* value, uint32_t size, uint32_t type)
  {
    auto* self = static_cast<PortValues*>(data);
    if (type == self->map->Map(LV2_ATOM__Float) && size == sizeof(float))
    {
      self->values[symbol] = *static_cast<const float*>(value);
    }
  };

  for (size_t i = 0; i < presets.size(); ++i)
  {
    const std::string& uri = presets[i];
    LilvNode* node = lilv_new_uri(world, uri.c_str());
    lilv_world_load_resource(world, node);
    LilvNode* label = lilv_world_get(world, node, Uri(kRdfsLabel), nullptr);
    LilvState* preset = lilv_state_new_from_world(world, map.Feature(), node);
    lilv_node_free(node);
    ASSERT_NE(nullptr, preset) << uri;
    ports.values.clear();
    lilv_state_restore(preset, instance, collect, &ports, 0, features);
    lilv_state_free(preset);

    StateStore saved;
    ASSERT_EQ(LV2_STATE_SUCCESS, state->save(lilv_instance_get_handle(instance), StateStore::Store,
                                             &saved, 0, nullptr));

    effect->dispatcher(effect, effSetProgram, 0, static_cast<VstIntPtr>(i), nullptr, 0.0f);
    char name[kVstMaxProgNameLen * 4] = {};
    effect->dispatcher(effect, effGetProgramName, 0, 0, name, 0.0f);
    EXPECT_STREQ(name, label ? lilv_node_as_string(label) : "") << uri;
    lilv_node_free(label);
    void* data = nullptr;
    const VstIntPtr size = effect->dispatcher(effect, effGetChunk, 1, 0, &data, 0.0f);
    const auto* bytes = static_cast<const uint8_t*>(data);
    EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + size), saved.values[key].bytes) << name;

    Kolvane* program = VST2PlugOf<Kolvane>(effect);
    for (int p = 0; p < kNumParams; ++p)
    {
      const char* symbol = parameterProperties[p].id;
      ASSERT_EQ(1u, ports.values.count(symbol)) << name << ": no value for " << symbol;
      EXPECT_EQ(float(program->GetParam(p)->Value()), ports.values[symbol])
          << name << ": " << symbol;
    }
  }
  lilv_instance_free(instance);
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
