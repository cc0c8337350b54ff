#pragma once

#include "PluginInstance.h"

#include <ostream>
#include <string>
#include <vector>

namespace vsthost
{

// The validator: a list of checks that any VST2 effect should survive, run
// against a plug-in binary the way hosts really drive one. Each check is a
// table of cases; each case prints one line as it completes:
//
//   pass  sample-rate 44100 Hz
//   FAIL  non-finite-input nan sample: block after it: channel 0 frame 0 is nan
//   skip  editor: the plug-in has no editor (effFlagsHasEditor is not set)
//
// and the run closes with "validate: N passed, N failed, N skipped". Cases
// that measure something (time and memory per instance, the longest wait of
// an audio block) say so after the colon, pass or fail.
//
// Levels: 1 is a smoke test of a few seconds; each level adds sample rates,
// programs, iterations and duration; 5 runs the whole list at full length.
//
// A case that crashes the plug-in, or does not finish within the time-out
// (a deadlock), ends the run: its line says so and the summary follows.

enum class Outcome
{
  Passed,
  Failed,
  Skipped,
};

struct CheckResult
{
  std::string name; // "group case", e.g. "block-size 4096 announced 64"
  Outcome outcome = Outcome::Passed;
  std::string detail; // why it failed or was skipped, or what it measured
};

struct ValidatorOptions
{
  int level = 5; // 1 to 5
  // Run only the cases whose name contains one of these; all when empty.
  std::vector<std::string> only;
  // Seconds one case may take before the run is stopped as hung.
  double timeoutSeconds = 300.0;
  // The host the plug-in sees; sample rate and block size vary per case.
  HostSettings settings;
};

struct ValidationReport
{
  // Empty when the plug-in loaded; then no case ran.
  std::string loadError;
  std::vector<CheckResult> results;
  int passed = 0;
  int failed = 0;
  int skipped = 0;

  // The result of the case with exactly this name, or null.
  const CheckResult* Find(const std::string& name) const;
};

// [control thread] Runs the check list against the plug-in at `path`,
// writing each case's line to `progress` (when not null) as it completes.
// Starts threads of its own for the concurrency cases.
ValidationReport Validate(const std::string& path, const ValidatorOptions& options,
                          std::ostream* progress);

// [control thread] The command: every line, the summary, and the exit
// status: 0 when nothing failed, 1 when a case failed, 2 when the plug-in
// could not be loaded. A crash or hang of the plug-in exits with 1 from
// inside the run, after its line and the summary.
int RunValidation(const std::string& path, const ValidatorOptions& options, std::ostream& out,
                  std::ostream& err);

} // namespace vsthost
