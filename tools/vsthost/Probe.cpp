#include "Probe.h"

#include <cstdio>
#include <cstring>

namespace vsthost
{
namespace
{
struct FlagName
{
  VstInt32 bit;
  const char* name;
};

// Every assigned effect flag, deprecated ones included: a probe shows what
// the plug-in really sets.
const FlagName kEffectFlags[] = {
    {1 << 0, "has-editor"},
    {1 << 1, "has-clip"},
    {1 << 2, "has-vu"},
    {1 << 3, "can-mono"},
    {1 << 4, "can-replacing"},
    {1 << 5, "program-chunks"},
    {1 << 8, "is-synth"},
    {1 << 9, "no-sound-in-stop"},
    {1 << 10, "ext-is-async"},
    {1 << 11, "ext-has-buffer"},
    {1 << 12, "can-double-replacing"},
};

const FlagName kPinFlags[] = {
    {kVstPinIsActive, "active"},
    {kVstPinIsStereo, "stereo"},
    {kVstPinUseSpeaker, "use-speaker"},
};

const char* const kCategoryNames[] = {
    "unknown", "effect",      "synth",       "analysis",        "mastering", "spacializer",
    "room-fx", "surround-fx", "restoration", "offline-process", "shell",     "generator",
};

// The capabilities a plug-in may claim.
const char* const kPluginCapabilities[] = {
    "sendVstEvents",      "sendVstMidiEvent", "receiveVstEvents", "receiveVstMidiEvent",
    "receiveVstTimeInfo", "offline",          "midiProgramNames", "bypass",
};

std::string quoted(const std::string& text)
{
  std::string out = "\"";
  for (unsigned char c : text)
  {
    if (c == '"' || c == '\\' || c < 0x20 || c >= 0x7F)
    {
      char escape[8];
      std::snprintf(escape, sizeof(escape), "\\x%02X", c);
      out += escape;
    }
    else
      out += static_cast<char>(c);
  }
  return out + "\"";
}

// A fixed-size field that may lack its terminator.
std::string field(const char* text, size_t size)
{
  const void* nul = std::memchr(text, 0, size);
  return std::string(text, nul ? static_cast<const char*>(nul) - text : size);
}

std::string hex(VstIntPtr value, int digits)
{
  char text[32];
  std::snprintf(text, sizeof(text), "0x%0*llX", digits,
                static_cast<unsigned long long>(static_cast<unsigned>(value)));
  return text;
}

// A four-character code as it reads: most significant byte first.
std::string fourCharacters(VstInt32 code)
{
  std::string text = "'";
  for (int shift = 24; shift >= 0; shift -= 8)
  {
    const unsigned char c =
        static_cast<unsigned char>((static_cast<unsigned>(code) >> shift) & 0xFF);
    text += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '.';
  }
  return text + "'";
}

std::string flagNames(VstInt32 flags, const FlagName* names, size_t count)
{
  std::string text;
  VstInt32 known = 0;
  for (size_t i = 0; i < count; ++i)
  {
    known |= names[i].bit;
    if (flags & names[i].bit)
      text += std::string(" ") + names[i].name;
  }
  for (int bit = 0; bit < 32; ++bit)
  {
    const VstInt32 mask = static_cast<VstInt32>(1u << bit);
    if ((flags & mask) && !(known & mask))
      text += " bit-" + std::to_string(bit);
  }
  return text;
}

std::string capabilityAnswer(VstIntPtr answer)
{
  switch (answer)
  {
  case 1:
    return "1 yes";
  case -1:
    return "-1 no";
  case 0:
    return "0 unknown";
  default:
    return std::to_string(answer);
  }
}

void writePin(std::ostream& out, const char* side, VstInt32 pin,
              const std::optional<VstPinProperties>& properties)
{
  out << side << ' ' << pin << ':';
  if (!properties)
  {
    out << " none\n";
    return;
  }
  out << " label=" << quoted(field(properties->label, sizeof(properties->label)))
      << " short=" << quoted(field(properties->shortLabel, sizeof(properties->shortLabel)))
      << " flags=" << hex(properties->flags, 1)
      << flagNames(properties->flags, kPinFlags, sizeof(kPinFlags) / sizeof(kPinFlags[0]))
      << " arrangement=" << properties->arrangementType << '\n';
}
} // namespace

void WriteProbeReport(PluginInstance& plugin, std::ostream& out)
{
  const AEffect& effect = *plugin.Effect();

  out << "plugin: " << plugin.Module()->Path() << '\n';
  out << "entry-point: " << plugin.Module()->EntryName() << '\n';
  out << "magic: " << hex(effect.magic, 8) << ' ' << fourCharacters(effect.magic) << '\n';
  out << "unique-id: " << fourCharacters(effect.uniqueID) << ' ' << hex(effect.uniqueID, 8) << '\n';
  out << "version: " << effect.version << '\n';
  out << "effect-name: " << quoted(plugin.EffectName()) << '\n';
  out << "vendor: " << quoted(plugin.VendorString()) << '\n';
  out << "product: " << quoted(plugin.ProductString()) << '\n';
  out << "vendor-version: " << plugin.VendorVersion() << '\n';
  out << "vst-version: " << plugin.VstVersion() << '\n';

  const VstIntPtr category = plugin.Category();
  const size_t categories = sizeof(kCategoryNames) / sizeof(kCategoryNames[0]);
  out << "category: " << category << ' '
      << (category >= 0 && static_cast<size_t>(category) < categories ? kCategoryNames[category]
                                                                      : "unknown")
      << '\n';
  out << "inputs: " << effect.numInputs << '\n';
  out << "outputs: " << effect.numOutputs << '\n';
  out << "initial-delay: " << effect.initialDelay << '\n';
  out << "tail-size: " << plugin.Dispatch(effGetTailSize) << '\n';
  out << "flags: " << hex(effect.flags, 8)
      << flagNames(effect.flags, kEffectFlags, sizeof(kEffectFlags) / sizeof(kEffectFlags[0]))
      << '\n';

  out << "params: " << effect.numParams << '\n';
  for (VstInt32 i = 0; i < effect.numParams; ++i)
  {
    char value[32];
    std::snprintf(value, sizeof(value), "%.6f", static_cast<double>(plugin.GetParameter(i)));
    out << "param " << i << ": name=" << quoted(plugin.ParamName(i))
        << " label=" << quoted(plugin.ParamLabel(i))
        << " display=" << quoted(plugin.ParamDisplay(i)) << " value=" << value
        << " automatable=" << (plugin.CanBeAutomated(i) ? "yes" : "no") << '\n';
  }

  out << "programs: " << effect.numPrograms << '\n';
  out << "current-program: " << plugin.Program() << '\n';
  for (VstInt32 i = 0; i < effect.numPrograms; ++i)
  {
    const std::optional<std::string> name = plugin.ProgramNameIndexed(i);
    out << "program " << i << ": " << (name ? "name=" + quoted(*name) : std::string("none"))
        << '\n';
  }

  for (const char* capability : kPluginCapabilities)
    out << "can-do " << capability << ": " << capabilityAnswer(plugin.CanDo(capability)) << '\n';

  out << "chunk-bank: " << plugin.GetChunk(ChunkType::Bank) << '\n';
  out << "chunk-program: " << plugin.GetChunk(ChunkType::Program) << '\n';

  const std::optional<ERect> rect = plugin.EditRect();
  if (rect)
    out << "edit-rect: top=" << rect->top << " left=" << rect->left << " bottom=" << rect->bottom
        << " right=" << rect->right << " width=" << rect->right - rect->left
        << " height=" << rect->bottom - rect->top << '\n';
  else
    out << "edit-rect: none\n";

  for (VstInt32 i = 0; i < effect.numInputs; ++i)
    writePin(out, "input", i, plugin.InputProperties(i));
  for (VstInt32 i = 0; i < effect.numOutputs; ++i)
    writePin(out, "output", i, plugin.OutputProperties(i));
}

int RunProbe(const std::string& path, const HostSettings& settings, std::ostream& out,
             std::ostream& err)
{
  HostSettings scan = settings;
  scan.resume = false;
  std::string error;
  std::unique_ptr<PluginInstance> plugin = PluginInstance::Open(path, scan, &error);
  if (!plugin)
  {
    err << "kolvane-host: " << error << '\n';
    return 1;
  }
  WriteProbeReport(*plugin, out);
  plugin->Close();
  return 0;
}

} // namespace vsthost
