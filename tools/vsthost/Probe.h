#pragma once

#include "PluginInstance.h"

#include <ostream>
#include <string>

namespace vsthost
{

// The probe report: one fact per line, "key: value" or
// "key index: field=value ...", texts in double quotes with '"', '\' and
// bytes outside printable ASCII escaped as \xNN. Lines and their order are
// stable so that scripts and tests can grep them:
//
//   plugin: <path>                       entry-point: VSTPluginMain|main
//   magic: 0x56737450 'VstP'             unique-id: 'abcd' 0x61626364
//   version: N                           effect-name: "..."
//   vendor: "..."                        product: "..."
//   vendor-version: N                    vst-version: N
//   category: N <name>                   inputs: N   outputs: N
//   initial-delay: N                     tail-size: N
//   flags: 0xXXXXXXXX <name> ...         params: N
//   param I: name="..." label="..." display="..." value=0.500000 automatable=yes|no
//   programs: N                          current-program: N
//   program I: name="..." | program I: none
//   can-do <capability>: 1 yes | -1 no | 0 unknown
//   chunk-bank: N                        chunk-program: N   (bytes; 0 = none)
//   edit-rect: top=T left=L bottom=B right=R width=W height=H | edit-rect: none
//   input I: label="..." short="..." flags=0xX <name> ... arrangement=N | input I: none
//   output I: (as input)
//
// The plug-in is queried after effOpen, rate and block size and before it
// is resumed, where a DAW scans it.

// [control thread] Writes the report of an open instance.
void WriteProbeReport(PluginInstance& plugin, std::ostream& out);

// [control thread] Loads `path`, writes its report to `out` and closes it.
// Returns 0, or 1 with one line on `err` when the plug-in cannot start.
int RunProbe(const std::string& path, const HostSettings& settings, std::ostream& out,
             std::ostream& err);

} // namespace vsthost
