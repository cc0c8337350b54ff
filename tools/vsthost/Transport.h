#pragma once

#include "VST2Interface.h"

namespace vsthost
{

// The musical state a DAW's transport starts from.
struct TransportSettings
{
  double tempo = 120.0; // beats (quarter notes) per minute, > 0
  int numerator = 4;    // time signature, both > 0
  int denominator = 4;
  double startPpq = 0.0; // start position in quarter notes; may be negative (pre-roll)
  bool playing = true;
  bool recording = false;
  bool cycleActive = false;   // loop playback between the cycle positions
  double cycleStartPpq = 0.0; // loop range in quarter notes, valid when end > start
  double cycleEndPpq = 0.0;
};

// The transport a host simulates for audioMasterGetTime.
//
// Use:
//   1. Configure it (or construct it with settings); it stands at startPpq.
//   2. Before each block, TimeInfo() gives the position of the block's
//      first sample.
//   3. After the block, Advance(frames) moves it on, while playing only: a
//      stopped transport keeps its position, as in a DAW.
//
// Positions: samplePos moves by `frames` and ppqPos by
// frames * tempo / (60 * sampleRate) per block; Locate sets samplePos to
// the ppq position's distance from ppq 0 at the current tempo. A tempo
// change keeps the current positions and changes only the rate of
// advance. Bars are counted from ppq 0 with the current time signature.
// With the cycle active, a block that reaches the cycle end continues from
// the cycle start, both positions moving back by the cycle length (at block
// granularity: the host does not split blocks at the loop point).
//
// Not thread-safe; the owning host locks around it.
class Transport
{
public:
  explicit Transport(const TransportSettings& settings = TransportSettings(),
                     double sampleRate = 44100.0);

  // Replaces the settings and relocates to their start position.
  void Configure(const TransportSettings& settings);
  const TransportSettings& Settings() const { return mSettings; }

  // Samples per second, > 0. Keeps the musical position.
  void SetSampleRate(double sampleRate);
  double SampleRate() const { return mSampleRate; }
  // Keeps the current positions.
  void SetTempo(double tempo);
  void SetTimeSignature(int numerator, int denominator);
  void SetPlaying(bool playing);
  void SetRecording(bool recording);
  void SetCycle(bool active, double startPpq, double endPpq);
  // Jumps to a position in quarter notes.
  void Locate(double ppq);

  // Moves on by one processed block of `frames` samples (none if <= 0).
  void Advance(int frames);

  double SamplePos() const { return mSamplePos; }
  double PpqPos() const { return mPpqPos; }
  // Quarter notes per bar: numerator * 4 / denominator.
  double QuartersPerBar() const;
  // Start of the bar holding PpqPos(), in quarter notes.
  double BarStartPos() const;

  // The transport as a plug-in sees it at the current position. Everything
  // the transport knows is filled in and flagged valid; kVstTransportChanged
  // is set from a change of play, record or cycle state or a relocation
  // until the next Advance, and on the first block.
  VstTimeInfo TimeInfo() const;

private:
  double samplesPerQuarter() const;

  TransportSettings mSettings;
  double mSampleRate;
  double mSamplePos = 0.0;
  double mPpqPos = 0.0;
  bool mChanged = true;
};

} // namespace vsthost
