// The product binary (Kolvane.so, or Kolvane.dll under Wine) loaded and
// driven by the project's own VST2 host as a DAW drives it.

#include "ChannelBuffers.h"
#include "Noise.h"
#include "PluginInstance.h"
#include "PluginModule.h"
#include "ProcessMemory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

using vsthost::ChannelBuffers;
using vsthost::ChunkType;
using vsthost::PluginInstance;

namespace
{
enum
{
  kAmplitudeRelease = 3,
  kPush = 16,
  kFilterType = 17,
  kStepSeq1 = 20,
  kStepOnOff = 36,
  kArpIntervall = 38,
  kNumParams = 59,
  kStateMarkBytes = 12 // closes a state of this version
};

std::unique_ptr<PluginInstance> OpenKolvane(bool playing = true)
{
  vsthost::HostSettings settings;
  settings.transport.playing = playing;
  std::string error;
  auto plug =
      PluginInstance::Open(vsthost::ExecutableDirectory() + "/" + KOLVANE_PATH, settings, &error);
  EXPECT_TRUE(plug) << error;
  return plug;
}

// Renders the input through both channels in host blocks; returns the left
// output.
std::vector<double> Render(PluginInstance& plug, const std::vector<double>& input,
                           int blockSize = 512)
{
  std::vector<double> out(input.size());
  ChannelBuffers<double> in(2, blockSize), result(2, blockSize);
  for (size_t done = 0; done < input.size();)
  {
    int n = static_cast<int>(std::min<size_t>(static_cast<size_t>(blockSize), input.size() - done));
    for (int s = 0; s < n; ++s)
    {
      in.Channel(0)[s] = in.Channel(1)[s] = input[done + static_cast<size_t>(s)];
    }
    plug.ProcessDoubleReplacing(in.Pointers(), result.Pointers(), n);
    std::copy(result.Channel(0), result.Channel(0) + n, out.begin() + static_cast<long>(done));
    done += static_cast<size_t>(n);
  }
  return out;
}

double Rms(const std::vector<double>& x, size_t from, size_t to)
{
  double sum = 0.0;
  for (size_t i = from; i < to; ++i)
  {
    sum += x[i] * x[i];
  }
  return std::sqrt(sum / static_cast<double>(to - from));
}
} // namespace

TEST(HostedKolvane, Identity)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  AEffect* effect = plug->Effect();
  EXPECT_EQ(0x56616469, effect->uniqueID) << "\"Vadi\"";
  EXPECT_EQ(kNumParams, effect->numParams);
  EXPECT_EQ(30, effect->numPrograms);
  EXPECT_EQ(0x1019, effect->flags) << "replacing, double replacing, mono, editor";
  EXPECT_EQ(10001, effect->version);
  EXPECT_EQ("Kolvane", plug->EffectName());
  EXPECT_EQ("Vexmoor", plug->VendorString());
  EXPECT_EQ(kPlugCategEffect, plug->Category());
  EXPECT_EQ(1, plug->CanDo("receiveVstMidiEvent"));
  EXPECT_EQ("Falling Drops", plug->ProgramNameIndexed(0).value_or("?"));
  EXPECT_EQ("xox", plug->ProgramNameIndexed(26).value_or("?"));
  EXPECT_EQ("Empty", plug->ProgramNameIndexed(29).value_or("?"));
  EXPECT_EQ("Push!!", plug->ParamName(kPush));
  EXPECT_EQ("Arp Intervall", plug->ParamName(kArpIntervall));
  EXPECT_EQ("LP", plug->ParamDisplay(kFilterType));
  EXPECT_EQ("on", plug->ParamDisplay(kStepSeq1 + 5));
  EXPECT_EQ("off", plug->ParamDisplay(kStepSeq1 + 2));
  EXPECT_EQ("1", plug->ParamDisplay(kAmplitudeRelease));
  EXPECT_EQ("s", plug->ParamLabel(kAmplitudeRelease));
}

// Steps 1, 2 and 6 at 120 BPM: 5512 samples a step; a fired step fades the
// wet signal out and restarts the gain envelope on its 20th sample. Off
// steps leave the release running.
TEST(HostedKolvane, StepModeGatesNoiseOnItsStepsOnly)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  const std::vector<double> out = Render(*plug, Noise(22222).block(88200, 0.5));
  for (int k = 0; k < 16; ++k)
  {
    const size_t noteOn = static_cast<size_t>(k * 5512 + 19);
    const double after = Rms(out, noteOn + 1, noteOn + 21);
    if (k == 0 || k == 1 || k == 5)
    {
      const double opened = Rms(out, noteOn + 400, noteOn + 480);
      EXPECT_GT(opened, 0.1) << "step " << k + 1 << " opens the gate";
      EXPECT_LT(after, 0.01 * opened) << "step " << k + 1 << " restarts from the floor";
    }
    else
    {
      // The release just continues (and after a second has closed the gate).
      const double before = Rms(out, noteOn - 60, noteOn - 20);
      EXPECT_NEAR(before, after, 0.3 * before) << "step " << k + 1 << " is off";
    }
  }
}

// In MIDI gate mode the notes act at their own sample offsets in later
// blocks: a constant input shows the envelope's level sample by sample.
TEST(HostedKolvane, MidiGateModeNotesAtTheirOffsets)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  plug->SetParameter(kStepOnOff, 1.0f);
  const int block = 64;
  std::vector<double> out;
  auto run = [&](std::vector<VstMidiEvent> events)
  {
    if (!events.empty())
    {
      plug->SendMidi(events);
    }
    std::vector<double> chunk = Render(*plug, std::vector<double>(block, 1.0), block);
    out.insert(out.end(), chunk.begin(), chunk.end());
  };
  for (int b = 0; b < 4; ++b)
  {
    run({});
  }
  run({PluginInstance::MidiEvent(10, 0x90, 60, 100)}); // block 4
  for (int b = 0; b < 10; ++b)
  {
    run({});
  }
  run({PluginInstance::MidiEvent(33, 0x90, 67, 90)}); // block 15: legato retrigger
  for (int b = 0; b < 10; ++b)
  {
    run({});
  }
  run({PluginInstance::MidiEvent(5, 0x80, 60, 0)});  // block 26: the older note, nothing
  run({PluginInstance::MidiEvent(40, 0x80, 67, 0)}); // block 27: release
  run({});

  auto at = [&](int b, int offset) { return static_cast<size_t>(b * block + offset); };
  // Note-on: the level starts rising from the floor exactly there.
  EXPECT_EQ(out[at(4, 8)], out[at(4, 9)]);
  EXPECT_GT(out[at(4, 10)], out[at(4, 9)] * 1.01);
  // Legato retrigger: back to the floor on its sample.
  EXPECT_GT(out[at(15, 32)], 0.3);
  EXPECT_LT(out[at(15, 33)], 1e-3);
  // Note-off: the fall steepens from the decay's to the release's on its
  // sample; the older note's release at block 26 changed nothing.
  auto ratio = [&](size_t s) { return out[s] / out[s - 1]; };
  EXPECT_GT(ratio(at(26, 5)), 0.99985);
  EXPECT_GT(ratio(at(27, 39)), 0.99985);
  EXPECT_LT(ratio(at(27, 40)), 0.99985);
}

TEST(HostedKolvane, PushGatesInMidiGateMode)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  plug->SetParameter(kStepOnOff, 1.0f);
  std::vector<double> silent = Render(*plug, std::vector<double>(1024, 1.0));
  EXPECT_LT(silent.back(), 1e-3) << "no note: the envelope's floor";
  plug->SetParameter(kPush, 1.0f);
  std::vector<double> held = Render(*plug, std::vector<double>(2048, 1.0));
  EXPECT_GT(held.back(), 0.3);
  plug->SetParameter(kPush, 0.0f);
  std::vector<double> released = Render(*plug, std::vector<double>(44100, 1.0));
  EXPECT_LT(released.back(), 1e-3);
}

TEST(HostedKolvane, ChunksAndFactoryPresets)
{
  auto plug = OpenKolvane();
  ASSERT_TRUE(plug);
  plug->SetProgram(19); // "Little Kick": its stored release 0.001 is clamped
  EXPECT_EQ(19, plug->Program());
  EXPECT_EQ("100", plug->ParamDisplay(kAmplitudeRelease));
  EXPECT_EQ("ms", plug->ParamLabel(kAmplitudeRelease));
  plug->SetParameter(kArpIntervall, 0.5f);
  std::vector<float> saved;
  for (int i = 0; i < kNumParams; ++i)
  {
    saved.push_back(plug->GetParameter(i));
  }
  std::vector<unsigned char> program, bank;
  EXPECT_EQ(8 + 8 * kNumParams + kStateMarkBytes, plug->GetChunk(ChunkType::Program, &program));
  EXPECT_GT(plug->GetChunk(ChunkType::Bank, &bank), 30 * 8 * kNumParams);

  for (ChunkType type : {ChunkType::Program, ChunkType::Bank})
  {
    auto fresh = OpenKolvane();
    ASSERT_TRUE(fresh);
    EXPECT_EQ(1, fresh->SetChunk(type, type == ChunkType::Bank ? bank : program));
    if (type == ChunkType::Bank)
    {
      fresh->SetProgram(19);
    }
    for (int i = 0; i < kNumParams; ++i)
    {
      EXPECT_EQ(saved[static_cast<size_t>(i)], fresh->GetParameter(i)) << "parameter " << i;
    }
  }
}

// Every closed instance gives back all the heap it took. The Windows
// builds once kept the state of the plug-in's lock, made on its first use
// inside the entry point, after effClose: 20 bytes per instance on Win32,
// 24 on Win64. A thousand instances make any such block show.
TEST(HostedKolvane, ClosedInstancesGiveBackTheirHeap)
{
  std::string error;
  std::shared_ptr<vsthost::PluginModule> module =
      vsthost::PluginModule::Load(vsthost::ExecutableDirectory() + "/" + KOLVANE_PATH, &error);
  ASSERT_TRUE(module) << error;
  ASSERT_GE(vsthost::HeapBytesInUse(), 0) << "no heap count on this system";
  // The C library's allocator fills its caches over the first instances.
  for (int i = 0; i < 200; ++i)
  {
    ASSERT_TRUE(PluginInstance::Open(module, vsthost::HostSettings(), &error)) << error;
  }
  const long long before = vsthost::HeapBytesInUse();
  const int instances = 1000;
  for (int i = 0; i < instances; ++i)
  {
    ASSERT_TRUE(PluginInstance::Open(module, vsthost::HostSettings(), &error)) << error;
  }
  const long long growth = vsthost::HeapBytesInUse() - before;
  EXPECT_LT(growth, 4 * instances) << growth << " bytes more after " << instances << " instances";
}
