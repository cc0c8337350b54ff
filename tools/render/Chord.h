#pragma once

#include <vector>

namespace render
{

// A sustained A minor 9 chord (A2 E3 G3 B3 C4) of band-limited sawtooth
// voices, each note a detuned pair spread across the stereo field: rich in
// harmonics, so a filter and a gate have something to work on. Interleaved
// stereo, peaking at -6 dBFS, with short fades at both ends so that the
// input itself does not click. The same on every run.
std::vector<float> SustainedChord(int sampleRate, double seconds);

} // namespace render
