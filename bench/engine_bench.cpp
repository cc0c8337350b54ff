// Cost per sample of the engine units. Each iteration renders one block of
// 512 samples; "per_sample" is the time per sample (the counter is inverted,
// so 2.5n reads 2.5 ns).

#include "EnvelopeGenerator.h"
#include "Filter.h"
#include "Oscillator.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace
{
const int kBlock = 512;

void perSample(benchmark::State& state)
{
  state.counters["per_sample"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<double> noise(int n)
{
  std::vector<double> out(n);
  uint64_t s = 1;
  for (double& x : out)
  {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    x = static_cast<double>(s >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }
  return out;
}

void BM_Oscillator(benchmark::State& state)
{
  Oscillator lfo;
  lfo.setMode(static_cast<OscillatorMode>(state.range(0)));
  lfo.setFrequency(6.0);
  lfo.setMuted(false);
  for (auto _ : state)
  {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i)
    {
      sum += lfo.nextSample();
    }
    benchmark::DoNotOptimize(sum);
  }
  perSample(state);
}
BENCHMARK(BM_Oscillator)->ArgName("mode")->Arg(Saw)->Arg(Square)->Arg(Sine);

void BM_Filter(benchmark::State& state)
{
  Filter filter;
  filter.setFilterMode(static_cast<Filter::FilterMode>(state.range(0)));
  filter.setCutoff(0.4);
  filter.setResonance(0.6);
  const std::vector<double> input = noise(kBlock);
  double mod = 0.0;
  for (auto _ : state)
  {
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i)
    {
      // The effect moves the cutoff every sample, which recomputes the feedback.
      mod = mod > 0.3 ? -0.3 : mod + 0.001;
      filter.setCutoffMod(mod);
      sum += filter.process(input[i]);
    }
    benchmark::DoNotOptimize(sum);
  }
  perSample(state);
}
BENCHMARK(BM_Filter)
    ->ArgName("mode")
    ->Arg(Filter::Lowpass)
    ->Arg(Filter::Highpass)
    ->Arg(Filter::Bandpass);

// Gated: attack, decay, sustain and release all occur within a few blocks.
void BM_Envelope(benchmark::State& state)
{
  EnvelopeGenerator env;
  env.setStageValue(EnvelopeGenerator::Attack, 0.002);
  env.setStageValue(EnvelopeGenerator::Decay, 0.005);
  env.setStageValue(EnvelopeGenerator::Release, 0.005);
  int block = 0;
  for (auto _ : state)
  {
    env.enterStage(block % 2 ? EnvelopeGenerator::Release : EnvelopeGenerator::Attack);
    ++block;
    double sum = 0.0;
    for (int i = 0; i < kBlock; ++i)
    {
      sum += env.nextSample();
    }
    benchmark::DoNotOptimize(sum);
  }
  perSample(state);
}
BENCHMARK(BM_Envelope);
} // namespace
