// What the host's threads share: one thread renders audio while another
// automates parameters, reads and writes state and switches programs. The
// plug-in mutex must keep them apart; the sanitizer builds watch for races
// and corrupted memory.

#include "FakeHost.h"
#include "IPlugVST.h"
#include "TestPlug.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

TEST(Concurrency, AudioKeepsRunningWhileTheUIThreadChangesEverything)
{
  FakeHost host;
  AEffect* effect = VST2EntryPoint<TestPlug>(FakeHost::Callback);
  OpenLikeADaw(effect, 48000.0f, 256);

  std::atomic<bool> stop(false);
  std::atomic<long> blocks(0);
  std::atomic<bool> badOutput(false);
  std::thread audio(
      [&]
      {
        std::vector<float> inL(256, 0.5f), inR(256, -0.5f), outL(256), outR(256);
        std::vector<double> dInL(256, 0.5), dInR(256, -0.5), dOutL(256), dOutR(256);
        float* in[] = {inL.data(), inR.data()};
        float* out[] = {outL.data(), outR.data()};
        double* dIn[] = {dInL.data(), dInR.data()};
        double* dOut[] = {dOutL.data(), dOutR.data()};
        while (!stop)
        {
          long b = blocks++;
          // Vary the form and the size, past the announced block size too.
          int n = b % 5 == 0 ? 256 : static_cast<int>(1 + b % 200);
          if (b % 3 == 0)
          {
            effect->processDoubleReplacing(effect, dIn, dOut, n);
            badOutput = badOutput || !(std::fabs(dOutL[0]) <= 1.0);
          }
          else
          {
            effect->processReplacing(effect, in, out, n);
            badOutput = badOutput || !(std::fabs(outL[0]) <= 1.0f);
          }
        }
      });

  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  int round = 0;
  for (; std::chrono::steady_clock::now() < until; ++round)
  {
    for (int p = 0; p < TestPlug::kNumParams; ++p)
    {
      effect->setParameter(effect, p, static_cast<float>((round * 7 + p) % 11) / 10.0f);
      effect->getParameter(effect, p);
    }
    void* data = nullptr;
    VstIntPtr size = effect->dispatcher(effect, effGetChunk, round % 2, 0, &data, 0.0f);
    std::vector<uint8_t> chunk(static_cast<const uint8_t*>(data),
                               static_cast<const uint8_t*>(data) + size);
    effect->dispatcher(effect, effSetProgram, 0, round % TestPlug::kNumPresets, nullptr, 0.0f);
    effect->dispatcher(effect, effSetChunk, round % 2, size, chunk.data(), 0.0f);
    char text[64];
    effect->dispatcher(effect, effGetParamDisplay, round % TestPlug::kNumParams, 0, text, 0.0f);
    effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
  }
  stop = true;
  audio.join();

  EXPECT_GT(blocks.load(), 100);
  EXPECT_GT(round, 10);
  EXPECT_FALSE(badOutput.load()) << "gain is at most 2 and the input 0.5";
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

// Filter and envelope tails decay into subnormal numbers on silence, which
// x86 processes many times slower; every processing call runs with
// flush-to-zero on and gives the host back its own floating-point state.
TEST(Denormals, FlushedDuringProcessingAndRestoredAfter)
{
  FakeHost host;
  AEffect* effect = VST2EntryPoint<TestPlug>(FakeHost::Callback);
  TestPlug* plug = VST2PlugOf<TestPlug>(effect);
  std::vector<float> in(16, 0.0f), out(16);
  float* inP[] = {in.data(), in.data()};
  float* outP[] = {out.data(), out.data()};
  std::vector<double> dIn(16, 0.0), dOut(16);
  double* dInP[] = {dIn.data(), dIn.data()};
  double* dOutP[] = {dOut.data(), dOut.data()};

  effect->processReplacing(effect, inP, outP, 16);
  EXPECT_TRUE(plug->mFlushedDenormals);
  plug->mFlushedDenormals = false;
  effect->process(effect, inP, outP, 16);
  EXPECT_TRUE(plug->mFlushedDenormals);
  plug->mFlushedDenormals = false;
  effect->processDoubleReplacing(effect, dInP, dOutP, 16);
  EXPECT_TRUE(plug->mFlushedDenormals);

  volatile float smallest = FLT_MIN;
  EXPECT_NE(0.0f, smallest * 0.5f) << "the host's own state is back after the call";
  effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}
