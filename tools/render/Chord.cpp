#include "Chord.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace render
{
namespace
{
// A sawtooth whose step is smoothed over one sample on either side, which
// keeps the harmonics above the Nyquist frequency from folding back.
class Sawtooth
{
public:
  Sawtooth(double frequency, int sampleRate, double phase)
      : mStep(frequency / sampleRate), mPhase(phase)
  {
  }

  double Next()
  {
    double value = 2.0 * mPhase - 1.0;
    if (mPhase < mStep)
    {
      const double x = mPhase / mStep;
      value -= x + x - x * x - 1.0;
    }
    else if (mPhase > 1.0 - mStep)
    {
      const double x = (mPhase - 1.0) / mStep;
      value -= x * x + x + x + 1.0;
    }
    mPhase += mStep;
    if (mPhase >= 1.0)
      mPhase -= 1.0;
    return value;
  }

private:
  double mStep;
  double mPhase;
};

const double kNotes[] = {110.0, 164.814, 195.998, 246.942, 261.626};
const double kDetuneCents = 6.0;
const double kFadeInSeconds = 0.005;
const double kFadeOutSeconds = 0.05;
const double kPeak = 0.5;
} // namespace

std::vector<float> SustainedChord(int sampleRate, double seconds)
{
  const size_t frames = static_cast<size_t>(std::max(0.0, std::round(seconds * sampleRate)));
  struct Voice
  {
    Sawtooth saw;
    double left;
    double right;
  };
  std::vector<Voice> voices;
  const double detune = std::pow(2.0, kDetuneCents / 1200.0);
  int n = 0;
  for (double frequency : kNotes)
  {
    // Fixed, unrelated start phases: no common click at the start.
    const double phaseA = std::fmod(0.37 * ++n, 1.0);
    const double phaseB = std::fmod(0.61 * n, 1.0);
    voices.push_back({Sawtooth(frequency / detune, sampleRate, phaseA), 0.8, 0.2});
    voices.push_back({Sawtooth(frequency * detune, sampleRate, phaseB), 0.2, 0.8});
  }

  std::vector<double> mix(frames * 2, 0.0);
  const double fadeIn = kFadeInSeconds * sampleRate;
  const double fadeOut = kFadeOutSeconds * sampleRate;
  double peak = 0.0;
  for (size_t i = 0; i < frames; ++i)
  {
    double left = 0.0, right = 0.0;
    for (Voice& voice : voices)
    {
      const double value = voice.saw.Next();
      left += value * voice.left;
      right += value * voice.right;
    }
    const double fromEnd = static_cast<double>(frames - i);
    const double fade = std::min({1.0, static_cast<double>(i) / fadeIn, fromEnd / fadeOut});
    mix[2 * i] = left * fade;
    mix[2 * i + 1] = right * fade;
    peak = std::max({peak, std::fabs(mix[2 * i]), std::fabs(mix[2 * i + 1])});
  }

  std::vector<float> chord(mix.size());
  const double gain = peak > 0.0 ? kPeak / peak : 0.0;
  for (size_t i = 0; i < mix.size(); ++i)
    chord[i] = static_cast<float>(mix[i] * gain);
  return chord;
}

} // namespace render
