// The port descriptions kolvane-lv2ttl writes, for parameters of every kind
// with and without labels and display texts (more than the table has
// today), read back through lilv as a host reads them: units, named or of
// the port's own, and scale points.

#include "Lv2Ports.h"
#include "LilvBundle.h"

#include <lilv/lilv.h>
#include <lv2/core/lv2.h>
#include <lv2/units/units.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{
const char* const kPlugin = "urn:kolvane:test:ports";

struct PortCase
{
  const char* what;
  std::function<void(IParam&)> init;
  const char* unit; // a unit's URI, "custom:SYMBOL" for one of its own, "" for none
  std::map<float, std::string> points;
};

std::string UnitOf(LilvWorld* world, const LilvPlugin* plugin, const LilvPort* port)
{
  LilvNode* unitKey = lilv_new_uri(world, LV2_UNITS__unit);
  LilvNodes* units = lilv_port_get_value(plugin, port, unitKey);
  lilv_node_free(unitKey);
  std::string result;
  if (units && lilv_nodes_size(units) == 1)
  {
    const LilvNode* unit = lilv_nodes_get(units, lilv_nodes_begin(units));
    if (lilv_node_is_uri(unit))
    {
      result = lilv_node_as_uri(unit);
    }
    else
    {
      LilvNode* symbolKey = lilv_new_uri(world, LV2_UNITS__symbol);
      LilvNode* renderKey = lilv_new_uri(world, LV2_UNITS__render);
      LilvNode* symbol = lilv_world_get(world, unit, symbolKey, nullptr);
      LilvNode* render = lilv_world_get(world, unit, renderKey, nullptr);
      result = std::string("custom:") + (symbol ? lilv_node_as_string(symbol) : "?");
      // The render string shows the value, then the label.
      const std::string expected = "%f " + result.substr(7);
      if (!render || expected != lilv_node_as_string(render))
      {
        result += " (render " + std::string(render ? lilv_node_as_string(render) : "none") + ")";
      }
      for (LilvNode* node : {symbolKey, renderKey, symbol, render})
      {
        lilv_node_free(node);
      }
    }
  }
  else if (units)
  {
    result = std::to_string(lilv_nodes_size(units)) + " units";
  }
  lilv_nodes_free(units);
  return result;
}

TEST(Lv2Ports, LabelsAndTextsReachUnitsAndScalePoints)
{
  const PortCase cases[] = {
      {"a frequency",
       [](IParam& p) { p.InitDouble("Cutoff", 1000, 20, 20000, 1, "Hz"); },
       LV2_UNITS__hz,
       {}},
      {"a percentage",
       [](IParam& p) { p.InitDouble("Mix", 50, 0, 100, 1, "%"); },
       LV2_UNITS__pc,
       {}},
      {"a time",
       [](IParam& p) { p.InitDouble("Attack", 0.01, 0.001, 10, 0.001, "s"); },
       LV2_UNITS__s,
       {}},
      {"a count in bars",
       [](IParam& p) { p.InitInt("Length", 4, 1, 16, "bars"); },
       LV2_UNITS__bar,
       {}},
      {"a unit LV2 has no name for",
       [](IParam& p) { p.InitInt("Steps", 16, 1, 16, "steps"); },
       "custom:steps",
       {}},
      {"a label with a quote and a backslash",
       [](IParam& p) { p.InitDouble("Odd", 0, 0, 1, 0.01, "\"x\\"); },
       "custom:\"x\\",
       {}},
      {"no label", [](IParam& p) { p.InitDouble("Plain", 0, 0, 1, 0.01); }, "", {}},
      {"a switch: its label is no unit, its choices are points",
       [](IParam& p) { p.InitBool("Sync", false, "dB"); },
       "",
       {{0.0f, "off"}, {1.0f, "on"}}},
      {"a list with a text for each choice",
       [](IParam& p)
       {
         p.InitEnum("Type", 0, 3);
         p.SetDisplayText(0, "LP");
         p.SetDisplayText(1, "HP");
         p.SetDisplayText(2, "BP");
       },
       "",
       {{0.0f, "LP"}, {1.0f, "HP"}, {2.0f, "BP"}}},
      {"a list with texts for some choices",
       [](IParam& p)
       {
         p.InitEnum("Wave", 2, 3);
         p.SetDisplayText(1, "Square");
       },
       "",
       {{0.0f, "0"}, {1.0f, "Square"}, {2.0f, "2"}}},
      {"a whole-number range naming some of its values",
       [](IParam& p)
       {
         p.InitInt("Rate", 2, 0, 7, "st");
         p.SetDisplayText(0, "off");
         p.SetDisplayText(7, "max");
       },
       LV2_UNITS__semitone12TET,
       {{0.0f, "off"}, {7.0f, "max"}}},
  };
  const size_t count = sizeof cases / sizeof cases[0];
  std::vector<IParam> params(count);

  // A bundle of one plug-in with one port per case, as the generator
  // writes ports.
  const std::filesystem::path bundle =
      std::filesystem::temp_directory_path() / ("kolvane-lv2-ports-" + std::to_string(getpid()));
  std::filesystem::create_directories(bundle);
  {
    std::ofstream manifest(bundle / "manifest.ttl");
    manifest << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
             << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
             << "<" << kPlugin
             << "> a lv2:Plugin ; lv2:binary <none.so> ; rdfs:seeAlso <p.ttl> .\n";
    std::ofstream description(bundle / "p.ttl");
    description << "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n"
                << "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                << "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                << "<" << kPlugin << "> a lv2:Plugin ;\n  lv2:port [\n";
    for (size_t i = 0; i < count; ++i)
    {
      cases[i].init(params[i]);
      description << (i ? "  ] , [\n" : "");
      WriteControlPort(description, static_cast<uint32_t>(i), ("p" + std::to_string(i)).c_str(),
                       params[i]);
    }
    description << "  ] .\n";
  }

  LilvWorld* world = lilv_world_new();
  const LilvPlugin* plugin = LoadBundlePlugin(world, bundle.string(), kPlugin);
  ASSERT_NE(nullptr, plugin);
  ASSERT_EQ(count, lilv_plugin_get_num_ports(plugin)) << "lilv read every port";
  for (size_t i = 0; i < count; ++i)
  {
    const PortCase& c = cases[i];
    const LilvPort* port = lilv_plugin_get_port_by_index(plugin, static_cast<uint32_t>(i));
    ASSERT_NE(nullptr, port) << c.what;
    LilvNode* name = lilv_port_get_name(plugin, port);
    EXPECT_STREQ(params[i].GetNameForHost(), name ? lilv_node_as_string(name) : "") << c.what;
    lilv_node_free(name);
    EXPECT_EQ(c.unit, UnitOf(world, plugin, port)) << c.what;

    std::map<float, std::string> points;
    LilvScalePoints* scale = lilv_port_get_scale_points(plugin, port);
    LILV_FOREACH(scale_points, p, scale)
    {
      const LilvScalePoint* point = lilv_scale_points_get(scale, p);
      points[lilv_node_as_float(lilv_scale_point_get_value(point))] =
          lilv_node_as_string(lilv_scale_point_get_label(point));
    }
    lilv_scale_points_free(scale);
    EXPECT_EQ(c.points, points) << c.what;
  }
  lilv_world_free(world);
  std::filesystem::remove_all(bundle);
}

} // namespace
