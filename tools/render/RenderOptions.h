#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace render
{

// A command line the tool cannot act on: one line saying what is wrong.
// The tool answers it with exit code 2, like kolvane-host.
class UsageError : public std::runtime_error
{
public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

// One --param: a parameter by its exact name and a normalized value.
struct ParamSetting
{
  std::string name;
  float value = 0.0f; // 0..1, handed to setParameter unchanged
};

// One --control: a parameter by its exact name (or, in LV2, its port
// symbol) and a value in the parameter's own units.
struct ControlSetting
{
  std::string name;
  float value = 0.0f; // as a host keeps a control value
};

// One note of a --notes list, in quarter notes from the first sample of the
// render.
struct Note
{
  double startBeats = 0.0;
  int key = 60;
  double lengthBeats = 1.0;
  int velocity = 100;

  bool operator==(const Note& other) const
  {
    return startBeats == other.startBeats && key == other.key && lengthBeats == other.lengthBeats &&
           velocity == other.velocity;
  }
};

struct RenderOptions
{
  std::string input;
  std::string output;
  // Hosts the plug-in as LV2: `plugin` names a bundle folder.
  bool lv2 = false;
  std::string plugin; // empty: the Kolvane binary (or bundle) of the build tree
  std::string preset; // empty: the plug-in's own start-up program
  std::vector<ParamSetting> params;
  std::vector<ControlSetting> controls;
  // Empty: the MIDI file's first tempo when it has one, otherwise 120.
  std::optional<double> tempo;
  int numerator = 4;
  int denominator = 4;
  double startPpq = 0.0;
  int blockSize = 512;
  bool doublePrecision = false;
  std::string midiFile;
  std::vector<Note> notes;
  double tailSeconds = 0.0;
  bool help = false;

  static constexpr double kDefaultTempo = 120.0;
  double Tempo() const { return tempo.value_or(kDefaultTempo); }
};

// The arguments after the program name. Options are "--name value" or
// "--name=value" and may come anywhere; --param and --notes may repeat,
// the others are given once. Throws UsageError.
RenderOptions ParseRenderOptions(const std::vector<std::string>& arguments);

// "START:KEY:LENGTH[:VELOCITY],...": start and length in quarter notes
// (decimals allowed), key 0..127, velocity 1..127 (default 100). Spaces
// around the fields are ignored. Throws UsageError.
std::vector<Note> ParseNoteList(const std::string& text);

// "Name=value" with a value from 0 to 1; the name is everything before the
// last '='. Throws UsageError.
ParamSetting ParseParamSetting(const std::string& text);

// "Name=value" with any finite value; the name is everything before the
// last '='. Throws UsageError.
ControlSetting ParseControlSetting(const std::string& text);

// The --help text.
const char* RenderUsage();

} // namespace render
