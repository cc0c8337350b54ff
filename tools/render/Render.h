#pragma once

#include "RenderOptions.h"

#include <csignal>
#include <ostream>
#include <string>

namespace render
{

// Set by the signal handlers of the command: the render stops after the
// block in progress and removes its partial output.
extern volatile std::sig_atomic_t gInterrupted;

// Exit codes of the command.
enum ExitCode
{
  kExitSuccess = 0,
  kExitFailure = 1, // a file, the plug-in, a name, the disk
  kExitUsage = 2,   // the command line
  kExitInterrupted = 130,
};

// Renders `options.input` through the plug-in into `options.output`
// (options.plugin, or `defaultPlugin` when that is empty). Writes the
// summary line to `out`; on failure one line to `err`, and no output file.
// With `progress`, long renders draw a progress bar on `err` (the caller
// knows whether it is a terminal).
int RunRender(const RenderOptions& options, const std::string& defaultPlugin, bool progress,
              std::ostream& out, std::ostream& err);

// "-6.0 dBFS" for 0.5; "-inf dBFS" for silence.
std::string Decibels(double level);

} // namespace render
