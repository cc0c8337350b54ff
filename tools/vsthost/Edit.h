#pragma once

// kolvane-host edit: the plug-in's editor in a window of its own, driven
// the way a DAW drives it, for people and for the GUI tests.
//
//   kolvane-host edit [--play 1] [--seconds N] [--screenshot FILE.png]
//                     [--screenshot-every-ms MS] [--log FILE]
//                     [--param "NAME=VALUE"]... [--automate-every-ms MS]
//                     [--stop-file FILE] <plugin>
//
// Each platform with an editor window implements RunEdit in its own file;
// the options and their meaning are shared.

#include "PluginInstance.h"

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace vsthost
{

struct EditOptions
{
  std::string plugin;
  HostSettings settings;
  // Process audio on a second thread in real time, transport running.
  bool play = false;
  // How long the window stays open at most.
  double seconds = 5.0;
  // The run ends sooner once this file exists (a test's input is done).
  std::string stopFile;
  // The window's pixels read back from the screen when the run ends; with
  // screenshotEveryMs > 0 also FILE-000.png, FILE-001.png, ... meanwhile.
  std::string screenshot;
  int screenshotEveryMs = 0;
  // One line per host call as it arrives ("begin I", "automate I V",
  // "end I"), after "initial I V" for every parameter when the editor opens
  // and before "param I V" for every parameter when the run ends; with
  // screenshotEveryMs, "shot N PPQ": the transport's position at picture N.
  std::string log;
  // Normalized values set before the editor opens, by parameter name.
  std::vector<std::pair<std::string, double>> params;
  // A third thread sets every parameter to a new value each period; at the
  // end it puts every parameter back to the value it had when it started.
  int automateEveryMs = 0;
};

// [control thread] Runs the editor; 0 on success, 1 when the plug-in or
// its window could not be opened (the reason on err).
int RunEdit(const EditOptions& options, std::ostream& out, std::ostream& err);

// The parameter called name, or -1.
int FindParameter(PluginInstance& instance, const std::string& name);

// The log line of a host call, newline included.
std::string LogLine(const HostCall& call);

} // namespace vsthost
