#pragma once

// The gate engine: the effect's own signal path, one sample at a time.
//
// Rules every unit here keeps:
// - Units: envelope times in seconds, sustain and output levels 0 to 1,
//   filter cutoff as a per-sample coefficient 0.01 to 0.99 (not hertz), LFO
//   frequencies in hertz, audio samples as doubles.
// - No allocation, no lock and no system call per sample. The only storage
//   that is allocated (the note receiver's queue) is allocated in the
//   constructor and never grows.
// - Setters store what they are given: only the filter clamps its effective
//   cutoff, the envelope treats negative or non-numeric durations as 0, and
//   GateEngine ignores sample rates below 1 and clamps swing and step levels
//   to 0 to 1. Every other range is the caller's (the parameter layer's)
//   business.
// - No unit locks or reports anything. The owner, the plug-in, serialises
//   the parameter handler and the audio callback with its own mutex.
// - Each unit owns its state by value. GateEngine holds the units by value
//   and keeps its state private: the plug-in holds one GateEngine by value
//   and reaches it through its setters and read-only views.
// - The engine sees nothing of hosts, parameters or editors: it builds on the
//   MIDI messages and transport record of framework/events only.

#include "EnvelopeGenerator.h"
#include "Filter.h"
#include "GallantSignal.h"
#include "GateEngine.h"
#include "MIDIReceiver.h"
#include "Oscillator.h"
