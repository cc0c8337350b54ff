#include "RenderOptions.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <utility>

namespace render
{
namespace
{
const int kMaxBlockSize = 65536;
const double kMaxTempo = 1000.0;
const double kMaxTailSeconds = 3600.0;

std::string trim(const std::string& text)
{
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos)
    return std::string();
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> split(const std::string& text, char separator)
{
  std::vector<std::string> parts;
  size_t from = 0;
  for (;;)
  {
    const size_t at = text.find(separator, from);
    parts.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
    if (at == std::string::npos)
      return parts;
    from = at + 1;
  }
}

// A finite decimal number making up the whole text, or nothing.
std::optional<double> number(const std::string& text)
{
  const std::string trimmed = trim(text);
  if (trimmed.empty())
    return std::nullopt;
  char* end = nullptr;
  const double value = std::strtod(trimmed.c_str(), &end);
  if (*end != '\0' || !std::isfinite(value))
    return std::nullopt;
  return value;
}

std::optional<int> integer(const std::string& text)
{
  const std::optional<double> value = number(text);
  if (!value || *value != std::floor(*value) || std::fabs(*value) > 1e9)
    return std::nullopt;
  return static_cast<int>(*value);
}

// One "--name value" option with the range it accepts.
double numberOption(const std::string& name, const std::string& text, double minimum,
                    double maximum, bool minimumIncluded = true)
{
  const std::optional<double> value = number(text);
  if (!value || *value < minimum || (!minimumIncluded && *value == minimum) || *value > maximum)
  {
    char range[80];
    std::snprintf(range, sizeof(range), minimumIncluded ? "from %g to %g" : "above %g, up to %g",
                  minimum, maximum);
    throw UsageError("--" + name + " needs a number " + range + ", not '" + text + "'");
  }
  return *value;
}

void parseTimeSignature(const std::string& text, RenderOptions& options)
{
  const std::vector<std::string> parts = split(text, '/');
  const std::optional<int> numerator = parts.size() == 2 ? integer(parts[0]) : std::nullopt;
  const std::optional<int> denominator = parts.size() == 2 ? integer(parts[1]) : std::nullopt;
  // Denominators are note values: whole, half, quarter, ... sixty-fourth.
  const bool noteValue = denominator && *denominator >= 1 && *denominator <= 64 &&
                         (*denominator & (*denominator - 1)) == 0;
  if (!numerator || *numerator < 1 || *numerator > 99 || !noteValue)
    throw UsageError("--time-sig needs N/D with N from 1 to 99 and D one of 1, 2, 4, 8, 16, 32, "
                     "64, not '" +
                     text + "'");
  options.numerator = *numerator;
  options.denominator = *denominator;
}

const std::set<std::string> kFlags = {"double", "help", "lv2"};
const std::set<std::string> kRepeatable = {"param", "control", "notes"};
const std::set<std::string> kValued = {"plugin", "preset", "param", "control", "tempo", "time-sig",
                                       "start",  "block",  "midi",  "notes",   "tail"};
} // namespace

namespace
{
// "Name=value" of --`option`: the name is everything before the last '=';
// the value, when it is a number, after it.
std::pair<std::string, std::optional<double>> namedValue(const std::string& option,
                                                         const std::string& text)
{
  const size_t equals = text.rfind('=');
  if (equals == std::string::npos)
    throw UsageError("--" + option + " needs NAME=VALUE, not '" + text + "'");
  const std::string name = trim(text.substr(0, equals));
  if (name.empty())
    throw UsageError("--" + option + " '" + text + "' names no parameter");
  return {name, number(text.substr(equals + 1))};
}
} // namespace

ParamSetting ParseParamSetting(const std::string& text)
{
  const auto [name, value] = namedValue("param", text);
  if (!value || *value < 0.0 || *value > 1.0)
    throw UsageError("--param '" + text + "': the value must be a number from 0 to 1");
  return {name, static_cast<float>(*value)};
}

ControlSetting ParseControlSetting(const std::string& text)
{
  const auto [name, value] = namedValue("control", text);
  if (!value || !std::isfinite(static_cast<float>(*value)))
    throw UsageError("--control '" + text + "': the value must be a number");
  return {name, static_cast<float>(*value)};
}

std::vector<Note> ParseNoteList(const std::string& text)
{
  std::vector<Note> notes;
  for (const std::string& item : split(text, ','))
  {
    const std::vector<std::string> fields = split(item, ':');
    auto bad = [&](const std::string& why)
    { return UsageError("--notes: '" + trim(item) + "' " + why); };
    if (trim(item).empty())
      throw UsageError("--notes: empty note in '" + text + "' (notes are START:KEY:LENGTH, " +
                       "separated by commas)");
    if (fields.size() != 3 && fields.size() != 4)
      throw bad("is not START:KEY:LENGTH[:VELOCITY]");

    Note note;
    const std::optional<double> start = number(fields[0]);
    if (!start || *start < 0.0)
      throw bad("needs a start of 0 or more quarter notes");
    note.startBeats = *start;
    const std::optional<int> key = integer(fields[1]);
    if (!key || *key < 0 || *key > 127)
      throw bad("needs a key from 0 to 127");
    note.key = *key;
    const std::optional<double> length = number(fields[2]);
    if (!length || *length <= 0.0)
      throw bad("needs a length above 0 quarter notes");
    note.lengthBeats = *length;
    if (fields.size() == 4)
    {
      // Velocity 0 would be a note-off.
      const std::optional<int> velocity = integer(fields[3]);
      if (!velocity || *velocity < 1 || *velocity > 127)
        throw bad("needs a velocity from 1 to 127");
      note.velocity = *velocity;
    }
    notes.push_back(note);
  }
  return notes;
}

RenderOptions ParseRenderOptions(const std::vector<std::string>& arguments)
{
  RenderOptions options;
  std::vector<std::string> positional;
  std::set<std::string> seen;
  bool optionsEnded = false; // after "--" every argument is a file name
  for (size_t i = 0; i < arguments.size(); ++i)
  {
    const std::string& token = arguments[i];
    if (optionsEnded || token == "-" || token.empty() || token[0] != '-')
    {
      positional.push_back(token);
      continue;
    }
    if (token == "--")
    {
      optionsEnded = true;
      continue;
    }
    if (token == "-h")
    {
      options.help = true;
      continue;
    }
    if (token.compare(0, 2, "--") != 0)
      throw UsageError("unknown option " + token);

    const size_t equals = token.find('=');
    const std::string name =
        token.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    if (!kFlags.count(name) && !kValued.count(name))
      throw UsageError("unknown option --" + name);
    if (seen.count(name) && !kRepeatable.count(name))
      throw UsageError("--" + name + " is given twice");
    seen.insert(name);

    if (kFlags.count(name))
    {
      if (equals != std::string::npos)
        throw UsageError("--" + name + " takes no value");
      if (name == "double")
        options.doublePrecision = true;
      else if (name == "lv2")
        options.lv2 = true;
      else
        options.help = true;
      continue;
    }

    std::string value;
    if (equals != std::string::npos)
      value = token.substr(equals + 1);
    else if (i + 1 < arguments.size())
      value = arguments[++i];
    else
      throw UsageError("--" + name + " needs a value");

    if (name == "plugin" || name == "preset" || name == "midi")
    {
      if (value.empty())
        throw UsageError("--" + name + " needs a value");
      (name == "plugin"   ? options.plugin
       : name == "preset" ? options.preset
                          : options.midiFile) = value;
    }
    else if (name == "param")
      options.params.push_back(ParseParamSetting(value));
    else if (name == "control")
      options.controls.push_back(ParseControlSetting(value));
    else if (name == "notes")
    {
      const std::vector<Note> notes = ParseNoteList(value);
      options.notes.insert(options.notes.end(), notes.begin(), notes.end());
    }
    else if (name == "tempo")
      options.tempo = numberOption(name, value, 0.0, kMaxTempo, false);
    else if (name == "time-sig")
      parseTimeSignature(value, options);
    else if (name == "start")
      options.startPpq = numberOption(name, value, -1e6, 1e6);
    else if (name == "block")
    {
      const std::optional<int> block = integer(value);
      if (!block || *block < 1 || *block > kMaxBlockSize)
        throw UsageError("--block needs a whole number from 1 to " + std::to_string(kMaxBlockSize) +
                         ", not '" + value + "'");
      options.blockSize = *block;
    }
    else if (name == "tail")
      options.tailSeconds = numberOption(name, value, 0.0, kMaxTailSeconds);
  }

  if (options.help)
    return options;
  if (options.lv2 && !options.params.empty())
    throw UsageError("--param takes a host's normalized value, which LV2 control ports do not "
                     "have: give the value in the parameter's units with --control");
  if (options.lv2 && options.doublePrecision)
    throw UsageError("--double: LV2 audio ports carry single-precision samples");
  if (positional.size() != 2)
    throw UsageError(positional.size() < 2 ? "needs an input and an output file"
                                           : "takes one input and one output file, not " +
                                                 std::to_string(positional.size()) + " files");
  options.input = positional[0];
  options.output = positional[1];
  return options;
}

const char* RenderUsage()
{
  return R"(usage: kolvane-render [options] INPUT OUTPUT

Renders INPUT (WAV, AIFF or FLAC; mono feeds both plug-in inputs) through a
VST2 effect into OUTPUT, at the input's sample rate and with one channel per
plug-in output, the way a DAW bounces a track: the transport plays from
--start at --tempo and MIDI notes arrive on their samples. The output format
follows OUTPUT's extension: .wav (32-bit float), .aif/.aiff or .flac (24-bit).

Options, as --name VALUE or --name=VALUE:
  --plugin PATH       VST2 binary, or with --lv2 an LV2 bundle folder
                      (default: the Kolvane binary or bundle of this build)
  --lv2               host the plug-in as LV2 through lilv: presets from the
                      bundle, parameters as control ports (--control), the
                      transport as time:Position events
  --preset NAME|N     factory preset by exact name, or by number 1..N as a
                      host lists them
  --param "NAME=V"    parameter by exact name, normalized value 0..1 as a host
                      automates it; applied after --preset; repeatable
  --control "NAME=V"  parameter by exact name (or LV2 port symbol) in its own
                      units, as a float: an LV2 control port's value, or text
                      typed into a VST2 plug-in; after --param; repeatable
  --tempo BPM         transport tempo (default: the MIDI file's first tempo,
                      otherwise 120)
  --time-sig N/D      time signature (default 4/4)
  --start PPQ         transport start position in quarter notes (default 0)
  --block N           frames per processing call, 1..65536 (default 512)
  --double            process in double precision (default: single)
  --midi FILE.mid     note-on and note-off events of a Standard MIDI File,
                      timed by its tempo map (by --tempo if it has none)
  --notes LIST        notes START:KEY:LENGTH[:VELOCITY], comma-separated;
                      start and length in quarter notes at --tempo, key
                      0..127, velocity 1..127 (default 100); repeatable
  --tail SECONDS      render this much silence after the input (default 0)
  --help              this text

Note times count from the first sample of the render, whatever --start.
Kolvane gates with its step pattern until "Step On Off" is on; then notes
open the gate:
  kolvane-render --param "Step On Off=1" --notes "0:60:2,4:64:1.5" in.wav out.wav
)";
}

} // namespace render
