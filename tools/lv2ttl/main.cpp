// kolvane-lv2ttl: writes the LV2 bundle's description of Kolvane from the
// plug-in itself: manifest.ttl, Kolvane.ttl with one port per channel, the
// event port, one control port per row of the parameter table and one
// control output per readout (the playing step), and one
// preset file per factory program, holding its port values and its state
// chunk. The build runs it into the bundle next to the two binaries, the
// processing side's and the UI's.
//
//   kolvane-lv2ttl --uri URI --binary Kolvane.so --ui-binary KolvaneUI.so BUNDLE_DIR

#include "Base64.h"
#include "IPlugLV2.h"
#include "Kolvane.h"
#include "Lv2Ports.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace
{
struct FactoryPreset
{
  std::string name;
  std::vector<double> values; // one per parameter, real units
  std::vector<unsigned char> chunk;
};

// Every program the plug-in class makes itself, as the LV2 state interface
// would save it right after loading it. The one place that reaches the
// base's preset slots.
std::vector<FactoryPreset> FactoryPresets(Kolvane& plug)
{
  // Slots the class left empty (the entry points fill them with copies of
  // the defaults) are not factory programs.
  IPlugPresetBank& bank = plug.Presets();
  bank.PruneUninitializedPresets();
  std::vector<FactoryPreset> presets;
  for (int i = 0; i < bank.NPresets(); ++i)
  {
    bank.RestorePreset(i);
    FactoryPreset preset;
    preset.name = bank.GetPresetName(i);
    for (int p = 0; p < plug.NParams(); ++p)
    {
      preset.values.push_back(plug.GetParam(p)->Value());
    }
    ByteChunk chunk;
    InitChunkWithIPlugVer(&chunk);
    plug.SerializeState(&chunk);
    preset.chunk.assign(chunk.GetBytes(), chunk.GetBytes() + chunk.Size());
    presets.push_back(preset);
  }
  return presets;
}

std::string Base64(const std::vector<unsigned char>& bytes)
{
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  base64encode(bytes.data(), &text[0], static_cast<int>(bytes.size()));
  text.resize(std::strlen(text.c_str()));
  return text;
}

std::string PresetURI(const std::string& uri, int number)
{
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "#preset-%02d", number);
  return uri + suffix;
}

std::string PresetFile(int number, const std::string& name)
{
  char prefix[16];
  std::snprintf(prefix, sizeof prefix, "%02d-", number);
  std::string file = std::string("presets/") + prefix;
  for (char c : name)
  {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    file += plain ? c : '_';
  }
  return file + ".ttl";
}

const char* kPrefixes = "@prefix atom: <http://lv2plug.in/ns/ext/atom#> .\n"
                        "@prefix bufsz: <http://lv2plug.in/ns/ext/buf-size#> .\n"
                        "@prefix doap: <http://usefulinc.com/ns/doap#> .\n"
                        "@prefix foaf: <http://xmlns.com/foaf/0.1/> .\n"
                        "@prefix lv2: <http://lv2plug.in/ns/lv2core#> .\n"
                        "@prefix midi: <http://lv2plug.in/ns/ext/midi#> .\n"
                        "@prefix opts: <http://lv2plug.in/ns/ext/options#> .\n"
                        "@prefix pset: <http://lv2plug.in/ns/ext/presets#> .\n"
                        "@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .\n"
                        "@prefix state: <http://lv2plug.in/ns/ext/state#> .\n"
                        "@prefix time: <http://lv2plug.in/ns/ext/time#> .\n"
                        "@prefix ui: <http://lv2plug.in/ns/extensions/ui#> .\n"
                        "@prefix units: <http://lv2plug.in/ns/extensions/units#> .\n"
                        "@prefix urid: <http://lv2plug.in/ns/ext/urid#> .\n"
                        "@prefix xsd: <http://www.w3.org/2001/XMLSchema#> .\n\n";

std::string Manifest(const std::string& uri, const std::string& binary, const std::string& uiBinary,
                     const std::vector<FactoryPreset>& presets)
{
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << uri << ">\n  a lv2:Plugin ;\n  lv2:binary <" << binary
      << "> ;\n  rdfs:seeAlso <Kolvane.ttl> .\n";
  // The editor, in a binary of its own: the processing side links no
  // window system.
  out << "\n<" << uri << "#ui>\n  a ui:X11UI ;\n  ui:binary <" << uiBinary
      << "> ;\n  rdfs:seeAlso <Kolvane.ttl> .\n";
  for (size_t i = 0; i < presets.size(); ++i)
  {
    const int number = static_cast<int>(i) + 1;
    out << "\n<" << PresetURI(uri, number) << ">\n  a pset:Preset ;\n  lv2:appliesTo <" << uri
        << "> ;\n  rdfs:label " << TurtleString(presets[i].name) << " ;\n  rdfs:seeAlso <"
        << PresetFile(number, presets[i].name) << "> .\n";
  }
  return out.str();
}

void AudioPort(std::ostream& out, bool input, uint32_t index, uint32_t channel, uint32_t count)
{
  // A stereo pair is left and right; other layouts are numbered.
  const std::string kind = input ? "Input" : "Output";
  const std::string symbol = std::string(input ? "in_" : "out_") +
                             (count == 2 ? (channel ? "r" : "l") : std::to_string(channel + 1));
  const std::string name =
      kind + " " + (count == 2 ? (channel ? "Right" : "Left") : std::to_string(channel + 1));
  out << "    a lv2:AudioPort , lv2:" << kind << "Port ;\n"
      << "    lv2:index " << index << " ;\n"
      << "    lv2:symbol \"" << symbol << "\" ;\n"
      << "    lv2:name \"" << name << "\"\n";
}

std::string PluginDescription(const std::string& uri, Kolvane& plug)
{
  const IPlugLV2::PortLayout layout = IPlugLV2::Layout(plug);
  std::ostringstream out;
  out << kPrefixes << "@prefix rdf: <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .\n\n";
  const int version = plug.GetEffectVersion(false);
  out << "<" << uri << ">\n"
      << "  a lv2:Plugin , lv2:GatePlugin ;\n"
      << "  doap:name " << TurtleString(plug.GetEffectName()) << " ;\n"
      << "  doap:maintainer [ foaf:name " << TurtleString(plug.GetMfrName()) << " ] ;\n"
      << "  lv2:minorVersion " << ((version >> 8) & 0xFF) << " ;\n"
      << "  lv2:microVersion " << (version & 0xFF) << " ;\n"
      << "  lv2:optionalFeature urid:map , opts:options ;\n"
      << "  opts:supportedOption bufsz:maxBlockLength , bufsz:nominalBlockLength ;\n"
      << "  lv2:extensionData state:interface ;\n"
      << "  ui:ui <" << uri << "#ui> ;\n"
      << "  lv2:port [\n";
  bool first = true;
  auto next = [&]()
  {
    if (!first)
    {
      out << "  ] , [\n";
    }
    first = false;
  };
  for (uint32_t c = 0; c < layout.nAudioIn; ++c)
  {
    next();
    AudioPort(out, true, layout.audioIn + c, c, layout.nAudioIn);
  }
  for (uint32_t c = 0; c < layout.nAudioOut; ++c)
  {
    next();
    AudioPort(out, false, layout.audioOut + c, c, layout.nAudioOut);
  }
  next();
  out << "    a lv2:InputPort , atom:AtomPort ;\n"
      << "    atom:bufferType atom:Sequence ;\n"
      << "    atom:supports midi:MidiEvent , time:Position ;\n"
      << "    lv2:designation lv2:control ;\n"
      // Without it the plug-in plays with the transport stopped and no notes.
      << "    lv2:portProperty lv2:connectionOptional ;\n"
      << "    lv2:index " << layout.events << " ;\n"
      << "    lv2:symbol \"events\" ;\n"
      << "    lv2:name \"Events\"\n";
  for (uint32_t i = 0; i < layout.nControls; ++i)
  {
    next();
    WriteControlPort(out, layout.controls + i, parameterProperties[i].id,
                     *plug.GetParam(static_cast<int>(i)));
  }
  for (uint32_t i = 0; i < layout.nReadouts; ++i)
  {
    next();
    WriteReadoutPort(out, layout.readouts + i, plug.GetReadoutInfo(static_cast<int>(i)));
  }
  // The transport alone: a host that feeds the events port only where MIDI
  // is routed still hands this one time:Position (on an audio track, step
  // mode follows the bar through it).
  next();
  out << "    a lv2:InputPort , atom:AtomPort ;\n"
      << "    atom:bufferType atom:Sequence ;\n"
      << "    atom:supports time:Position ;\n"
      << "    lv2:portProperty lv2:connectionOptional ;\n"
      << "    lv2:index " << layout.transport << " ;\n"
      << "    lv2:symbol \"transport\" ;\n"
      << "    lv2:name \"Transport\"\n";
  out << "  ] .\n";
  // The editor: a child window of the host's, idled by the host, which
  // hears of every change and gesture.
  out << "\n<" << uri << "#ui>\n"
      << "  a ui:X11UI ;\n"
      << "  lv2:requiredFeature ui:idleInterface , ui:parent ;\n"
      << "  lv2:optionalFeature ui:resize , ui:touch , urid:map , opts:options ;\n"
      << "  opts:supportedOption ui:scaleFactor ;\n"
      << "  lv2:extensionData ui:idleInterface , opts:interface";
  // The readouts are what the UI shows of the processing side: it wants
  // every change of each.
  for (uint32_t i = 0; i < layout.nReadouts; ++i)
  {
    out << " ;\n  ui:portNotification [ ui:plugin <" << uri << "> ; lv2:symbol \""
        << plug.GetReadoutInfo(static_cast<int>(i)).symbol << "\" ; ui:protocol ui:floatProtocol ]";
  }
  out << " .\n";
  return out.str();
}

std::string PresetDescription(const std::string& uri, int number, const FactoryPreset& preset)
{
  std::ostringstream out;
  out << kPrefixes;
  out << "<" << PresetURI(uri, number) << ">\n"
      << "  a pset:Preset ;\n"
      << "  lv2:appliesTo <" << uri << "> ;\n"
      << "  rdfs:label " << TurtleString(preset.name) << " ;\n"
      << "  lv2:port ";
  for (size_t p = 0; p < preset.values.size(); ++p)
  {
    out << (p ? " , " : "") << "[\n    lv2:symbol \"" << parameterProperties[p].id
        << "\" ;\n    pset:value " << TurtleDecimal(preset.values[p]) << "\n  ]";
  }
  // The exact values: the port values above are what a host keeps, in floats.
  out << " ;\n  state:state [\n    <" << uri << "#state> \"" << Base64(preset.chunk)
      << "\"^^xsd:base64Binary\n  ] .\n";
  return out.str();
}

bool WriteFile(const std::filesystem::path& path, const std::string& text)
{
  std::filesystem::create_directories(path.parent_path());
  std::ofstream file(path, std::ios::binary);
  file << text;
  file.close();
  if (!file)
  {
    std::cerr << "kolvane-lv2ttl: cannot write " << path << "\n";
    return false;
  }
  return true;
}
} // namespace

int main(int argc, char** argv)
{
  std::string uri, binary, uiBinary, bundle;
  for (int i = 1; i < argc; ++i)
  {
    const std::string arg = argv[i];
    if (arg == "--uri" && i + 1 < argc)
    {
      uri = argv[++i];
    }
    else if (arg == "--binary" && i + 1 < argc)
    {
      binary = argv[++i];
    }
    else if (arg == "--ui-binary" && i + 1 < argc)
    {
      uiBinary = argv[++i];
    }
    else if (bundle.empty() && arg.rfind("--", 0) != 0)
    {
      bundle = arg;
    }
    else
    {
      bundle.clear();
      break;
    }
  }
  if (uri.empty() || binary.empty() || uiBinary.empty() || bundle.empty())
  {
    std::cerr << "usage: kolvane-lv2ttl --uri URI --binary Kolvane.so --ui-binary KolvaneUI.so "
                 "BUNDLE_DIR\n";
    return 2;
  }

  auto plug = std::make_unique<Kolvane>();
  const std::string description = PluginDescription(uri, *plug);
  const std::vector<FactoryPreset> presets = FactoryPresets(*plug);
  const std::filesystem::path dir(bundle);
  // Presets renamed or removed since the last run go with the old files.
  std::error_code ignored;
  std::filesystem::remove_all(dir / "presets", ignored);
  bool ok = WriteFile(dir / "manifest.ttl", Manifest(uri, binary, uiBinary, presets)) &&
            WriteFile(dir / "Kolvane.ttl", description);
  for (size_t i = 0; ok && i < presets.size(); ++i)
  {
    const int number = static_cast<int>(i) + 1;
    ok = WriteFile(dir / PresetFile(number, presets[i].name),
                   PresetDescription(uri, number, presets[i]));
  }
  return ok ? 0 : 1;
}
