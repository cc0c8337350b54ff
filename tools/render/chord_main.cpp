// kolvane-chord: writes a sustained chord to try the plug-in on, a whole
// number of bars long so that a render at the same tempo ends on a bar line.
//
//   kolvane-chord [--tempo BPM] [--bars N] [--rate HZ] OUTPUT
//
// Defaults: 4 bars of 4/4 at 128 BPM, 44100 Hz. The format follows OUTPUT's
// extension, as for kolvane-render.

#include "Chord.h"
#include "Render.h"
#include "SoundFile.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

namespace
{
const char* kUsage = "usage: kolvane-chord [--tempo BPM] [--bars N] [--rate HZ] OUTPUT\n";

int usageError(const std::string& message)
{
  std::cerr << "kolvane-chord: " << message << '\n' << kUsage;
  return render::kExitUsage;
}

bool parseNumber(const std::string& text, double minimum, double maximum, double* value)
{
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && *value >= minimum && *value <= maximum;
}
} // namespace

int main(int argc, char** argv)
{
  double tempo = 128.0, bars = 4.0, rate = 44100.0;
  std::string output;
  for (int i = 1; i < argc; ++i)
  {
    const std::string token = argv[i];
    if (token == "--help" || token == "-h")
    {
      std::cout << kUsage;
      return render::kExitSuccess;
    }
    if (token.compare(0, 2, "--") != 0)
    {
      if (!output.empty())
        return usageError("takes one output file");
      output = token;
      continue;
    }
    const size_t equals = token.find('=');
    const std::string name =
        token.substr(2, equals == std::string::npos ? std::string::npos : equals - 2);
    std::string value;
    if (equals != std::string::npos)
      value = token.substr(equals + 1);
    else if (i + 1 < argc)
      value = argv[++i];
    else
      return usageError("--" + name + " needs a value");
    const bool ok =
        name == "tempo"  ? parseNumber(value, 1.0, 1000.0, &tempo)
        : name == "bars" ? parseNumber(value, 1.0, 1000.0, &bars) && bars == std::floor(bars)
        : name == "rate" ? parseNumber(value, 8000.0, 384000.0, &rate) && rate == std::floor(rate)
                         : false;
    if (!ok)
      return usageError(name == "tempo" || name == "bars" || name == "rate"
                            ? "bad value '" + value + "' for --" + name
                            : "unknown option --" + name);
  }
  if (output.empty())
    return usageError("needs an output file");

  const int format = render::OutputFormatFor(output);
  if (format == 0)
  {
    std::cerr << "kolvane-chord: cannot write '" << output
              << "': name it .wav, .aif, .aiff or .flac to choose its format\n";
    return render::kExitFailure;
  }
  const double seconds = bars * 4.0 * 60.0 / tempo;
  const std::vector<float> chord = render::SustainedChord(static_cast<int>(rate), seconds);

  std::string error;
  std::unique_ptr<render::PendingSoundFile> file =
      render::PendingSoundFile::Create(output, format, static_cast<int>(rate), 2, &error);
  if (!file || !file->Write(chord.data(), static_cast<sf_count_t>(chord.size() / 2), &error) ||
      !file->Commit(&error))
  {
    std::cerr << "kolvane-chord: " << error << '\n';
    return render::kExitFailure;
  }
  char line[256];
  std::snprintf(line, sizeof(line),
                "wrote %s: sustained A minor 9 chord, %g bars of 4/4 at %g BPM, %.2f s, 2 ch, "
                "%g Hz, peak %s",
                output.c_str(), bars, tempo, seconds, rate, render::Decibels(0.5).c_str());
  std::cout << line << '\n';
  return render::kExitSuccess;
}
