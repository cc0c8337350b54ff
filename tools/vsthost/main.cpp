// kolvane-host: the project's VST2 host on the command line.
//
//   kolvane-host probe [--rate HZ] [--block FRAMES] <plugin>
//   kolvane-host validate [--level 1..5] [--only TEXT,...] [--timeout SECONDS] <plugin>
//   kolvane-host edit [--play] [--seconds N] [--screenshot FILE.png]
//                     [--screenshot-every-ms MS] [--log FILE]
//                     [--param "NAME=VALUE"]... [--automate-every-ms MS]
//                     [--content-scale SCALE] [--stop-file FILE] <plugin>
//
// Each mode is one entry in kCommands; they share the option parser and
// the host settings built from the common options, so a new mode adds a
// function and a table row.

#include "Edit.h"
#include "Probe.h"
#include "Validator.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace
{
// The arguments after the mode: "--name value" or "--name=value" options,
// "--flag" switches that take no value (stored as "1"), and positional
// arguments, in order.
struct Arguments
{
  std::map<std::string, std::string> options;
  std::vector<std::string> positional;
  std::vector<std::string> params; // every --param, in order
};

struct UsageError
{
  std::string message;
};

const std::set<std::string> kFlags = {"play"};

Arguments parse(int argc, char** argv, int first)
{
  Arguments arguments;
  for (int i = first; i < argc; ++i)
  {
    const std::string token = argv[i];
    if (token.size() > 2 && token.compare(0, 2, "--") == 0)
    {
      const size_t equals = token.find('=');
      std::string value;
      if (token.compare(2, equals == std::string::npos ? std::string::npos : equals - 2, "param") ==
          0)
      {
        if (equals != std::string::npos)
          value = token.substr(equals + 1);
        else if (i + 1 < argc)
          value = argv[++i];
        else
          throw UsageError{"option --param needs a value"};
        arguments.params.push_back(value);
      }
      else if (equals != std::string::npos)
        arguments.options[token.substr(2, equals - 2)] = token.substr(equals + 1);
      else if (kFlags.count(token.substr(2)))
        arguments.options[token.substr(2)] = "1";
      else if (i + 1 < argc)
        arguments.options[token.substr(2)] = argv[++i];
      else
        throw UsageError{"option " + token + " needs a value"};
    }
    else
      arguments.positional.push_back(token);
  }
  return arguments;
}

double numberOption(Arguments& arguments, const std::string& name, double fallback, double minimum)
{
  auto found = arguments.options.find(name);
  if (found == arguments.options.end())
    return fallback;
  char* end = nullptr;
  const double value = std::strtod(found->second.c_str(), &end);
  if (found->second.empty() || *end != '\0' || !(value >= minimum))
  {
    char text[32];
    std::snprintf(text, sizeof(text), "%g", minimum);
    throw UsageError{"--" + name + " needs a number of at least " + text + ", not '" +
                     found->second + "'"};
  }
  arguments.options.erase(found);
  return value;
}

// The options every mode shares: how the host runs the plug-in.
vsthost::HostSettings hostSettings(Arguments& arguments)
{
  vsthost::HostSettings settings;
  settings.sampleRate = numberOption(arguments, "rate", settings.sampleRate, 1.0);
  settings.blockSize = static_cast<int>(numberOption(arguments, "block", settings.blockSize, 1.0));
  return settings;
}

void rejectLeftovers(const Arguments& arguments)
{
  if (!arguments.options.empty())
    throw UsageError{"unknown option --" + arguments.options.begin()->first};
}

int probe(Arguments& arguments)
{
  const vsthost::HostSettings settings = hostSettings(arguments);
  rejectLeftovers(arguments);
  if (arguments.positional.size() != 1)
    throw UsageError{"probe takes one plug-in path"};
  return vsthost::RunProbe(arguments.positional[0], settings, std::cout, std::cerr);
}

int validate(Arguments& arguments)
{
  vsthost::ValidatorOptions options;
  options.level = static_cast<int>(numberOption(arguments, "level", 5.0, 1.0));
  if (options.level > 5)
    throw UsageError{"--level goes from 1 to 5"};
  options.timeoutSeconds = numberOption(arguments, "timeout", options.timeoutSeconds, 1.0);
  auto only = arguments.options.find("only");
  if (only != arguments.options.end())
  {
    std::string list = only->second;
    for (size_t comma; (comma = list.find(',')) != std::string::npos; list.erase(0, comma + 1))
      options.only.push_back(list.substr(0, comma));
    options.only.push_back(list);
    arguments.options.erase(only);
  }
  rejectLeftovers(arguments);
  if (arguments.positional.size() != 1)
    throw UsageError{"validate takes one plug-in path"};
  return vsthost::RunValidation(arguments.positional[0], options, std::cout, std::cerr);
}

int edit(Arguments& arguments)
{
  vsthost::EditOptions options;
  options.settings = hostSettings(arguments);
  options.play = arguments.options.erase("play") > 0;
  options.seconds = numberOption(arguments, "seconds", options.seconds, 0.0);
  options.screenshotEveryMs =
      static_cast<int>(numberOption(arguments, "screenshot-every-ms", 0, 0));
  options.automateEveryMs = static_cast<int>(numberOption(arguments, "automate-every-ms", 0, 0));
  options.contentScale = numberOption(arguments, "content-scale", 0.0, 0.0);
  // This host's window follows the editor's size.
  options.settings.canDo["sizeWindow"] = 1;
  const std::pair<const char*, std::string*> texts[] = {
      {"screenshot", &options.screenshot}, {"log", &options.log}, {"stop-file", &options.stopFile}};
  for (const auto& text : texts)
  {
    auto found = arguments.options.find(text.first);
    if (found != arguments.options.end())
    {
      *text.second = found->second;
      arguments.options.erase(found);
    }
  }
  for (const std::string& param : arguments.params)
  {
    const size_t equals = param.rfind('=');
    char* end = nullptr;
    const double value =
        equals == std::string::npos ? 0 : std::strtod(param.c_str() + equals + 1, &end);
    if (equals == std::string::npos || equals + 1 == param.size() || *end != '\0')
      throw UsageError{"--param needs NAME=VALUE, not '" + param + "'"};
    options.params.emplace_back(param.substr(0, equals), value);
  }
  rejectLeftovers(arguments);
  if (arguments.positional.size() != 1)
    throw UsageError{"edit takes one plug-in path"};
  options.plugin = arguments.positional[0];
  return vsthost::RunEdit(options, std::cout, std::cerr);
}

struct Command
{
  const char* name;
  const char* usage;
  int (*run)(Arguments& arguments);
};

const Command kCommands[] = {
    {"probe", "probe [--rate HZ] [--block FRAMES] <plugin>", probe},
    {"validate", "validate [--level 1..5] [--only TEXT,...] [--timeout SECONDS] <plugin>",
     validate},
    {"edit",
     "edit [--rate HZ] [--block FRAMES] [--play] [--seconds N] [--screenshot FILE.png]\n"
     "       [--screenshot-every-ms MS] [--log FILE] [--param \"NAME=VALUE\"]...\n"
     "       [--automate-every-ms MS] [--content-scale SCALE] [--stop-file FILE] <plugin>",
     edit},
};

void printUsage(std::ostream& out)
{
  out << "usage:\n";
  for (const Command& command : kCommands)
    out << "  kolvane-host " << command.usage << '\n';
}
} // namespace

int main(int argc, char** argv)
{
  if (argc < 2)
  {
    printUsage(std::cerr);
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "--help" || mode == "-h" || mode == "help")
  {
    printUsage(std::cout);
    return 0;
  }
  for (const Command& command : kCommands)
  {
    if (mode != command.name)
      continue;
    try
    {
      Arguments arguments = parse(argc, argv, 2);
      return command.run(arguments);
    }
    catch (const UsageError& error)
    {
      std::cerr << "kolvane-host: " << error.message << '\n';
      printUsage(std::cerr);
      return 2;
    }
  }
  std::cerr << "kolvane-host: unknown mode '" << mode << "'\n";
  printUsage(std::cerr);
  return 2;
}
