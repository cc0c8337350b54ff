#include "Transport.h"

#include <cmath>
#include <cstring>

namespace vsthost
{
namespace
{
// Positions computed from sums of block lengths land a rounding error
// below a bar line; a bar starting there must still count.
const double kBarTolerance = 1e-9;
// MIDI clock: 24 ticks per quarter note.
const double kClocksPerQuarter = 24.0;
} // namespace

Transport::Transport(const TransportSettings& settings, double sampleRate) : mSampleRate(sampleRate)
{
  Configure(settings);
}

void Transport::Configure(const TransportSettings& settings)
{
  mSettings = settings;
  Locate(settings.startPpq);
}

void Transport::SetSampleRate(double sampleRate)
{
  // The same time in seconds at the new rate.
  mSamplePos = mSamplePos * sampleRate / mSampleRate;
  mSampleRate = sampleRate;
}

void Transport::SetTempo(double tempo)
{
  mSettings.tempo = tempo;
}

void Transport::SetTimeSignature(int numerator, int denominator)
{
  mSettings.numerator = numerator;
  mSettings.denominator = denominator;
}

void Transport::SetPlaying(bool playing)
{
  mChanged = mChanged || playing != mSettings.playing;
  mSettings.playing = playing;
}

void Transport::SetRecording(bool recording)
{
  mChanged = mChanged || recording != mSettings.recording;
  mSettings.recording = recording;
}

void Transport::SetCycle(bool active, double startPpq, double endPpq)
{
  mChanged = mChanged || active != mSettings.cycleActive;
  mSettings.cycleActive = active;
  mSettings.cycleStartPpq = startPpq;
  mSettings.cycleEndPpq = endPpq;
}

void Transport::Locate(double ppq)
{
  mPpqPos = ppq;
  mSamplePos = ppq * samplesPerQuarter();
  mChanged = true;
}

void Transport::Advance(int frames)
{
  if (frames <= 0)
    return;
  mChanged = false;
  if (!mSettings.playing)
    return;
  mSamplePos += frames;
  mPpqPos += frames / samplesPerQuarter();

  const double cycleLength = mSettings.cycleEndPpq - mSettings.cycleStartPpq;
  if (mSettings.cycleActive && cycleLength > 0.0 && mPpqPos >= mSettings.cycleEndPpq)
  {
    const double wrapped =
        mSettings.cycleStartPpq + std::fmod(mPpqPos - mSettings.cycleStartPpq, cycleLength);
    mSamplePos -= (mPpqPos - wrapped) * samplesPerQuarter();
    mPpqPos = wrapped;
    mChanged = true;
  }
}

double Transport::QuartersPerBar() const
{
  return mSettings.numerator * 4.0 / mSettings.denominator;
}

double Transport::BarStartPos() const
{
  const double quartersPerBar = QuartersPerBar();
  return std::floor(mPpqPos / quartersPerBar + kBarTolerance) * quartersPerBar;
}

VstTimeInfo Transport::TimeInfo() const
{
  VstTimeInfo info;
  std::memset(&info, 0, sizeof(info));
  info.samplePos = mSamplePos;
  info.sampleRate = mSampleRate;
  // The simulated clock runs with the samples, so runs are reproducible.
  info.nanoSeconds = mSamplePos / mSampleRate * 1e9;
  info.ppqPos = mPpqPos;
  info.tempo = mSettings.tempo;
  info.barStartPos = BarStartPos();
  info.timeSigNumerator = mSettings.numerator;
  info.timeSigDenominator = mSettings.denominator;

  // Distance to the nearest MIDI clock tick, negative when it lies behind.
  const double clocks = mPpqPos * kClocksPerQuarter;
  const double nearest = std::floor(clocks + 0.5);
  info.samplesToNextClock = static_cast<VstInt32>(
      std::lround((nearest - clocks) / kClocksPerQuarter * samplesPerQuarter()));

  info.flags = kVstNanosValid | kVstPpqPosValid | kVstTempoValid | kVstBarsValid |
               kVstTimeSigValid | kVstClockValid;
  if (mSettings.cycleEndPpq > mSettings.cycleStartPpq)
  {
    info.cycleStartPos = mSettings.cycleStartPpq;
    info.cycleEndPos = mSettings.cycleEndPpq;
    info.flags |= kVstCyclePosValid;
  }
  if (mSettings.playing)
    info.flags |= kVstTransportPlaying;
  if (mSettings.recording)
    info.flags |= kVstTransportRecording;
  if (mSettings.cycleActive)
    info.flags |= kVstTransportCycleActive;
  if (mChanged)
    info.flags |= kVstTransportChanged;
  return info;
}

double Transport::samplesPerQuarter() const
{
  return mSampleRate * 60.0 / mSettings.tempo;
}

} // namespace vsthost
