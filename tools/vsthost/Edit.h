#pragma once

#include "PluginInstance.h"

#include <ostream>
#include <string>

namespace vsthost
{
// What `kolvane-host edit` does besides showing the editor.
struct EditOptions
{
  std::string plugin;
  // Audio on a second thread, in real time, with the transport running.
  bool play = false;
  // Where to save the editor as it is on the screen at the end (PNG);
  // empty: no picture.
  std::string screenshot;
  // How long the window stays open; 0: until the user closes it.
  double seconds = 0.0;
  // One line per host callback that records an edit: "beginEdit INDEX",
  // "automate INDEX VALUE", "endEdit INDEX". Empty: no log.
  std::string log;
};

// [control thread] Opens the plug-in's editor in a top-level window of the
// platform and idles it about every 20 ms, as a DAW does. Returns the exit
// status: 0, or 1 with a line on `error`.
int RunEdit(const EditOptions& options, const HostSettings& settings, std::ostream& error);
} // namespace vsthost
