// What one stereo frame of Kolvane costs, through the VST2 callbacks as a
// host calls them, at a block size of 512, next to the floor: a plain inline
// loop doing only the arithmetic every frame needs.
//
// "per_frame" is the time per stereo frame (the counter is inverted, so 30n
// reads 30 ns).

#include "IPlugVST.h"
#include "Kolvane.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
const int kBlock = 512;

// A host that plays at 128 BPM and answers the time query.
VstTimeInfo gTime = {};

VstIntPtr VSTCALLBACK HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void* ptr, float)
{
  switch (opcode)
  {
  case audioMasterVersion:
    return kVstVersion;
  case audioMasterGetTime:
    return reinterpret_cast<VstIntPtr>(&gTime);
  case audioMasterGetProductString:
    static_cast<char*>(ptr)[0] = '\0';
    return 0;
  default:
    return 0;
  }
}

void perFrame(benchmark::State& state)
{
  state.counters["per_frame"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

std::vector<double> noise(int n, double level)
{
  std::vector<double> out(static_cast<size_t>(n));
  uint64_t s = 7;
  for (double& x : out)
  {
    s = s * 6364136223846793005ULL + 1442695040888963407ULL;
    x = level * (static_cast<double>(s >> 11) / static_cast<double>(1ULL << 52) - 1.0);
  }
  return out;
}

// An opened, resumed instance playing from the song start; program -1 keeps
// the defaults.
AEffect* openKolvane(int program)
{
  gTime = {};
  gTime.sampleRate = 44100.0;
  gTime.tempo = 128.0;
  gTime.timeSigNumerator = gTime.timeSigDenominator = 4;
  gTime.flags = kVstTransportPlaying | kVstPpqPosValid | kVstTempoValid | kVstTimeSigValid;
  AEffect* effect = VST2EntryPoint<Kolvane>(HostCallback);
  effect->dispatcher(effect, effOpen, 0, 0, nullptr, 0.0f);
  effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, 44100.0f);
  effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
  effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
  if (program >= 0)
  {
    effect->dispatcher(effect, effSetProgram, 0, program, nullptr, 0.0f);
  }
  return effect;
}

void advanceTransport()
{
  gTime.samplePos += kBlock;
  gTime.ppqPos = gTime.samplePos * gTime.tempo / 60.0 / 44100.0;
}

void closeKolvane(AEffect* effect)
{
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

// Stereo noise through the adapter in doubles, a block per iteration, the
// transport moving on.
void processBlocks(benchmark::State& state, AEffect* effect)
{
  std::vector<double> inL = noise(kBlock, 0.5), inR = noise(kBlock, 0.4), outL(kBlock),
                      outR(kBlock);
  double* in[] = {inL.data(), inR.data()};
  double* out[] = {outL.data(), outR.data()};
  for (auto _ : state)
  {
    effect->processDoubleReplacing(effect, in, out, kBlock);
    benchmark::DoNotOptimize(outL.data());
    advanceTransport();
  }
  perFrame(state);
}

// ---- Through the adapter ----------------------------------------------------

// Arg: factory program, or -1 for the default state.
void BM_KolvaneDouble(benchmark::State& state)
{
  AEffect* effect = openKolvane(static_cast<int>(state.range(0)));
  processBlocks(state, effect);
  closeKolvane(effect);
}
BENCHMARK(BM_KolvaneDouble)->ArgName("program")->Arg(-1)->Arg(13)->Arg(24);

// The default state with the step sequencer's feel: arg 1 swings every
// second step by 60 %, arg 2 gives the 16 steps 16 different levels (every
// step start ramps to a new one), arg 3 does both; all 16 steps are on, so
// every step retriggers. Arg 0 is the same pattern plain, to compare with.
void BM_KolvaneFeel(benchmark::State& state)
{
  AEffect* effect = openKolvane(-1);
  const int feel = static_cast<int>(state.range(0));
  for (int k = 0; k < 16; ++k)
  {
    effect->setParameter(effect, kStepSeq1 + k, 1.0f);
    if (feel & 2)
    {
      effect->setParameter(effect, kStepLevel1 + k, 0.25f + 0.05f * static_cast<float>(k));
    }
  }
  if (feel & 1)
  {
    effect->setParameter(effect, kSwing, 0.6f);
  }
  processBlocks(state, effect);
  closeKolvane(effect);
}
BENCHMARK(BM_KolvaneFeel)->ArgName("feel")->Arg(0)->Arg(1)->Arg(2)->Arg(3);

void BM_KolvaneFloat(benchmark::State& state)
{
  AEffect* effect = openKolvane(static_cast<int>(state.range(0)));
  std::vector<double> source = noise(kBlock, 0.5);
  std::vector<float> inL(source.begin(), source.end()), inR(inL), outL(kBlock), outR(kBlock);
  float* in[] = {inL.data(), inR.data()};
  float* out[] = {outL.data(), outR.data()};
  for (auto _ : state)
  {
    effect->processReplacing(effect, in, out, kBlock);
    benchmark::DoNotOptimize(outL.data());
    advanceTransport();
  }
  perFrame(state);
  closeKolvane(effect);
}
BENCHMARK(BM_KolvaneFloat)->ArgName("program")->Arg(-1);

// Loud input, then silence: the filter and envelope tails decay towards
// subnormal numbers. Arg 1 measures the silent blocks through the host's
// callback (flush-to-zero on); arg 0 calls the render directly without it,
// to show what the guard prevents.
void BM_KolvaneSilenceAfterLoud(benchmark::State& state)
{
  const bool throughHost = state.range(0) != 0;
  AEffect* effect = openKolvane(-1);
  Kolvane* plug = VST2PlugOf<Kolvane>(effect);
  // Long releases, resonance and a gate held open keep the states ringing.
  effect->setParameter(effect, kStepOnOff, 1.0f);
  effect->setParameter(effect, kAmplitudeRelease, 1.0f);
  effect->setParameter(effect, kFilterRelease, 1.0f);
  effect->setParameter(effect, kFilterResonance, 0.9f);
  effect->setParameter(effect, kFilterCutoff, 0.3f);
  effect->setParameter(effect, kPush, 1.0f);
  std::vector<double> loud = noise(kBlock, 1.0), silence(kBlock, 0.0), outL(kBlock), outR(kBlock);
  double* loudIn[] = {loud.data(), loud.data()};
  double* silentIn[] = {silence.data(), silence.data()};
  double* out[] = {outL.data(), outR.data()};
  for (int b = 0; b < 200; ++b)
  {
    effect->processDoubleReplacing(effect, loudIn, out, kBlock);
  }
  effect->setParameter(effect, kPush, 0.0f);
  for (auto _ : state)
  {
    if (throughHost)
    {
      effect->processDoubleReplacing(effect, silentIn, out, kBlock);
    }
    else
    {
      plug->ProcessDoubleReplacing(silentIn, out, kBlock);
    }
    benchmark::DoNotOptimize(outL.data());
  }
  perFrame(state);
  closeKolvane(effect);
}
BENCHMARK(BM_KolvaneSilenceAfterLoud)->ArgName("flush_to_zero")->Arg(1)->Arg(0);

// The same settings with noise all along, for comparison with the above.
void BM_KolvaneNoiseHeld(benchmark::State& state)
{
  AEffect* effect = openKolvane(-1);
  effect->setParameter(effect, kStepOnOff, 1.0f);
  effect->setParameter(effect, kFilterResonance, 0.9f);
  effect->setParameter(effect, kFilterCutoff, 0.3f);
  effect->setParameter(effect, kPush, 1.0f);
  std::vector<double> loud = noise(kBlock, 1.0), outL(kBlock), outR(kBlock);
  double* in[] = {loud.data(), loud.data()};
  double* out[] = {outL.data(), outR.data()};
  for (auto _ : state)
  {
    effect->processDoubleReplacing(effect, in, out, kBlock);
    benchmark::DoNotOptimize(outL.data());
  }
  perFrame(state);
  closeKolvane(effect);
}
BENCHMARK(BM_KolvaneNoiseHeld);

// ---- The floor ------------------------------------------------------------------

// Only the arithmetic a frame needs: two LFO samples (sines, as in the
// default state), two envelope steps, two feedback recomputations, eight
// filter-stage updates and the mix. No calls, no state in memory.
void BM_Floor(benchmark::State& state)
{
  std::vector<double> inL = noise(kBlock, 0.5), inR = noise(kBlock, 0.4), outL(kBlock),
                      outR(kBlock);
  const double twoPi = 6.283185307179586, inc = twoPi * 4.0 / 44100.0;
  double phaseF = 0.0, phaseA = 1.0, ampEnv = 0.5, filterEnv = 0.5;
  const double ampMult = 0.99999, filterMult = 0.99998, depthF = 0.1, depthA = 0.2;
  const double cutoff = 0.6, resonance = 0.3, envAmount = 0.5, dryWet = 0.8;
  double l0 = 0, l1 = 0, l2 = 0, l3 = 0, r0 = 0, r1 = 0, r2 = 0, r3 = 0;
  for (auto _ : state)
  {
    for (int s = 0; s < kBlock; ++s)
    {
      const double lfoF = std::sin(phaseF) * depthF;
      const double lfoA = std::sin(phaseA) * depthA;
      phaseF += inc;
      phaseF -= phaseF >= twoPi ? twoPi : 0.0;
      phaseA += inc;
      phaseA -= phaseA >= twoPi ? twoPi : 0.0;
      ampEnv *= ampMult;
      filterEnv *= filterMult;
      const double c = std::fmax(std::fmin(cutoff + filterEnv * envAmount + lfoF, 0.99), 0.01);
      const double fbL = resonance + resonance / (1.0 - c);
      const double fbR = resonance + resonance / (1.0 - c);
      const double xL = inL[static_cast<size_t>(s)], xR = inR[static_cast<size_t>(s)];
      l0 += c * (xL - l0 + fbL * (l0 - l1));
      l1 += c * (l0 - l1);
      l2 += c * (l1 - l2);
      l3 += c * (l2 - l3);
      r0 += c * (xR - r0 + fbR * (r0 - r1));
      r1 += c * (r0 - r1);
      r2 += c * (r1 - r2);
      r3 += c * (r2 - r3);
      const double gain = static_cast<float>(ampEnv);
      outL[static_cast<size_t>(s)] = (1.0 - dryWet) * xL + dryWet * (lfoA + 1.0) * l1 * gain / 2.0;
      outR[static_cast<size_t>(s)] = (1.0 - dryWet) * xR + dryWet * (lfoA + 1.0) * r1 * gain / 2.0;
    }
    benchmark::DoNotOptimize(outL.data());
    benchmark::DoNotOptimize(outR.data());
    ampEnv = filterEnv = 0.5;
  }
  perFrame(state);
}
BENCHMARK(BM_Floor);
} // namespace
