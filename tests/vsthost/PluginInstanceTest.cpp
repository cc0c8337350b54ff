#include "PluginInstance.h"
#include "ChannelBuffers.h"
#include "FixturePaths.h"
#include "FixtureProtocol.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>

using vsthost::ChannelBuffers;
using vsthost::ChunkType;
using vsthost::HostCall;
using vsthost::HostSettings;
using vsthost::OpenOrder;
using vsthost::PluginEvent;
using vsthost::PluginInstance;
using vsthost::PluginModule;
using vsthost::TextAnswer;
using vsthost::Transport;

namespace
{
std::shared_ptr<PluginModule> fixtureModule()
{
  std::string error;
  std::shared_ptr<PluginModule> module = PluginModule::Load(fixturePath(FIXTURE_PLUGIN), &error);
  EXPECT_TRUE(module) << error;
  return module;
}

std::unique_ptr<PluginInstance> openFixture(const HostSettings& settings = HostSettings())
{
  std::string error;
  std::unique_ptr<PluginInstance> plugin =
      PluginInstance::Open(fixturePath(FIXTURE_PLUGIN), settings, &error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

// The fixture's lifecycle log since the last call.
std::string takeLog(const PluginModule& module)
{
  FixtureTakeLogProc take =
      reinterpret_cast<FixtureTakeLogProc>(module.FindSymbol(KOLVANE_FIXTURE_TAKE_LOG));
  if (!take)
    return "(no log export)";
  char log[4096];
  take(log, sizeof(log));
  return log;
}

// The host's answer to `opcode`, asked by the plug-in through the callback.
VstIntPtr askHost(PluginInstance& plugin, VstInt32 opcode, void* ptr = nullptr)
{
  return plugin.VendorSpecific(kFixtureAskHost, opcode, ptr, 0.0f);
}

// What the plug-in saw in its latest process call; -1 never asked, 0 null.
int lastTimeInfo(PluginInstance& plugin, VstTimeInfo* info)
{
  return static_cast<int>(plugin.VendorSpecific(kFixtureLastTimeInfo, 0, info, 0.0f));
}

void processBlocks(PluginInstance& plugin, int blocks, int frames)
{
  ChannelBuffers<float> in(kFixtureChannels, frames), out(kFixtureChannels, frames);
  for (int i = 0; i < blocks; ++i)
    ASSERT_TRUE(plugin.ProcessReplacing(in.Pointers(), out.Pointers(), frames));
}
} // namespace

TEST(PluginInstance, DrivesTheLifecycleInDawOrder)
{
  struct Case
  {
    const char* name;
    std::function<void(HostSettings&)> configure;
    const char* opening;
    const char* closing;
  };
  const Case cases[] = {
      {"open first", [](HostSettings&) {}, "entry open rate=44100 block=512 mains=1",
       "mains=0 close"},
      {"rate first",
       [](HostSettings& s)
       {
         s.openOrder = OpenOrder::RateFirst;
         s.sampleRate = 48000;
         s.blockSize = 256;
       },
       "entry rate=48000 block=256 open mains=1", "mains=0 close"},
      {"start and stop process", [](HostSettings& s) { s.startStopProcess = true; },
       "entry open rate=44100 block=512 mains=1 start", "stop mains=0 close"},
      {"scanned, never resumed", [](HostSettings& s) { s.resume = false; },
       "entry open rate=44100 block=512", "close"},
  };
  std::shared_ptr<PluginModule> module = fixtureModule();
  ASSERT_TRUE(module);
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    takeLog(*module);
    HostSettings settings;
    c.configure(settings);
    std::string error;
    std::unique_ptr<PluginInstance> plugin = PluginInstance::Open(module, settings, &error);
    ASSERT_TRUE(plugin) << error;
    EXPECT_EQ(c.opening, takeLog(*module));
    plugin->Close();
    EXPECT_EQ(c.closing, takeLog(*module));
    plugin->Close();
    EXPECT_EQ("", takeLog(*module)) << "closing twice";
  }
}

TEST(PluginInstance, RateAndBlockSizeChangesSuspendAroundThemselves)
{
  std::shared_ptr<PluginModule> module = fixtureModule();
  ASSERT_TRUE(module);
  std::unique_ptr<PluginInstance> plugin = PluginInstance::Open(module);
  ASSERT_TRUE(plugin);
  takeLog(*module);

  plugin->SetSampleRate(96000);
  EXPECT_EQ("mains=0 rate=96000 mains=1", takeLog(*module));
  plugin->SetBlockSize(64);
  EXPECT_EQ("mains=0 block=64 mains=1", takeLog(*module));
  EXPECT_EQ(96000, askHost(*plugin, audioMasterGetSampleRate));
  EXPECT_EQ(64, askHost(*plugin, audioMasterGetBlockSize));

  plugin->Suspend();
  plugin->SetSampleRate(22050);
  EXPECT_EQ("mains=0 rate=22050", takeLog(*module)) << "a suspended plug-in stays suspended";
}

TEST(PluginInstance, AnswersHostRequests)
{
  struct Case
  {
    const char* name;
    std::function<void(HostSettings&)> configure;
    VstInt32 opcode;
    const char* capability; // ptr for audioMasterCanDo
    VstIntPtr expected;
  };
  auto none = [](HostSettings&) {};
  const Case cases[] = {
      {"version", none, audioMasterVersion, nullptr, 2400},
      {"sample rate", [](HostSettings& s) { s.sampleRate = 48000; }, audioMasterGetSampleRate,
       nullptr, 48000},
      {"block size", [](HostSettings& s) { s.blockSize = 256; }, audioMasterGetBlockSize, nullptr,
       256},
      {"realtime by default", none, audioMasterGetCurrentProcessLevel, nullptr,
       kVstProcessLevelRealtime},
      {"offline rendering", [](HostSettings& s) { s.processLevel = kVstProcessLevelOffline; },
       audioMasterGetCurrentProcessLevel, nullptr, kVstProcessLevelOffline},
      {"vendor version", [](HostSettings& s) { s.vendorVersion = 4321; },
       audioMasterGetVendorVersion, nullptr, 4321},
      {"want midi", none, audioMasterWantMidi, nullptr, 1},
      {"no window to size", none, audioMasterSizeWindow, nullptr, 0},
      {"io changes refused", none, audioMasterIOChanged, nullptr, 0},
      {"unassigned opcode", none, 5, nullptr, 0},
      {"can send time", none, audioMasterCanDo, "sendVstTimeInfo", 1},
      {"can send midi", none, audioMasterCanDo, "sendVstMidiEvent", 1},
      {"cannot size windows", none, audioMasterCanDo, "sizeWindow", 0},
      {"no start/stop by default", none, audioMasterCanDo, "startStopProcess", 0},
      {"start/stop when sent", [](HostSettings& s) { s.startStopProcess = true; }, audioMasterCanDo,
       "startStopProcess", 1},
      {"configured capability", [](HostSettings& s) { s.canDo["offline"] = 1; }, audioMasterCanDo,
       "offline", 1},
      {"unknown capability", none, audioMasterCanDo, "teleport", 0},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    HostSettings settings;
    c.configure(settings);
    std::unique_ptr<PluginInstance> plugin = openFixture(settings);
    ASSERT_TRUE(plugin);
    const int before = plugin->CallbackCount(c.opcode);
    EXPECT_EQ(c.expected, askHost(*plugin, c.opcode, const_cast<char*>(c.capability)));
    EXPECT_EQ(before + 1, plugin->CallbackCount(c.opcode));
    if (c.opcode == audioMasterWantMidi)
    {
      EXPECT_TRUE(plugin->WantsMidi());
    }
  }
}

TEST(PluginInstance, WritesHostStringsBoundedAndTerminated)
{
  struct Case
  {
    const char* name;
    std::string configured;
    VstInt32 opcode;
    std::string expected;
  };
  const std::string longName(100, 'x');
  const Case cases[] = {
      {"default product", "", audioMasterGetProductString, "Kolvane Test Host"},
      {"default vendor", "", audioMasterGetVendorString, "Kolvane"},
      {"long product", longName, audioMasterGetProductString, longName.substr(0, 63)},
      {"long vendor", longName, audioMasterGetVendorString, longName.substr(0, 63)},
  };
  for (const Case& c : cases)
  {
    SCOPED_TRACE(c.name);
    HostSettings settings;
    if (!c.configured.empty())
      (c.opcode == audioMasterGetProductString ? settings.productString : settings.vendorString) =
          c.configured;
    std::unique_ptr<PluginInstance> plugin = openFixture(settings);
    ASSERT_TRUE(plugin);
    unsigned char buffer[256];
    std::memset(buffer, 0xA5, sizeof(buffer));
    askHost(*plugin, c.opcode, buffer);
    EXPECT_EQ(c.expected, reinterpret_cast<const char*>(buffer));
    for (size_t i = 64; i < sizeof(buffer); ++i)
      ASSERT_EQ(0xA5, buffer[i]) << "the host wrote past 64 bytes at " << i;
  }
}

// The plug-in calls back before the host knows its record: with a null
// effect, and with its own record before AEffect::user is set.
TEST(PluginInstance, AnswersCallsFromTheEntryPoint)
{
  HostSettings settings;
  settings.vstVersion = 2300;
  settings.productString = "Entry Point Host";
  std::unique_ptr<PluginInstance> plugin = openFixture(settings);
  ASSERT_TRUE(plugin);
  EXPECT_EQ(2300, plugin->VendorSpecific(kFixtureEntryHostVersion, 0, nullptr, 0.0f));
  char product[kVstMaxProductStrLen] = {};
  plugin->VendorSpecific(kFixtureEntryProduct, 0, product, 0.0f);
  EXPECT_STREQ("Entry Point Host", product);
}

TEST(PluginInstance, RecordsGesturesAndDisplayUpdatesInOrder)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  plugin->SetParameter(1, 0.25f);
  askHost(*plugin, audioMasterUpdateDisplay);
  plugin->SetParameter(0, 0.75f);

  const std::vector<HostCall> expected = {
      HostCall::beginEdit(1),    HostCall::automate(1, 0.25f), HostCall::endEdit(1),
      HostCall::updateDisplay(), HostCall::beginEdit(0),       HostCall::automate(0, 0.75f),
      HostCall::endEdit(0),
  };
  EXPECT_EQ(expected, plugin->HostCalls());
  EXPECT_EQ(expected, plugin->TakeHostCalls());
  EXPECT_TRUE(plugin->HostCalls().empty());
  EXPECT_EQ(2, plugin->CallbackCount(audioMasterAutomate));

  plugin->SetParameter(2, 1.0f);
  plugin->ClearHostCalls();
  EXPECT_TRUE(plugin->TakeHostCalls().empty());
}

// The callback finds its instance through AEffect::user, so two instances
// of one binary never see each other's calls.
TEST(PluginInstance, KeepsTheRecordsOfTwoInstancesApart)
{
  HostSettings slow, fast;
  fast.sampleRate = 96000;
  std::unique_ptr<PluginInstance> a = openFixture(slow);
  std::unique_ptr<PluginInstance> b = openFixture(fast);
  ASSERT_TRUE(a && b);
  a->SetParameter(0, 0.1f);
  b->SetParameter(2, 0.9f);
  EXPECT_EQ(HostCall::automate(0, 0.1f), a->HostCalls().at(1));
  EXPECT_EQ(HostCall::automate(2, 0.9f), b->HostCalls().at(1));
  EXPECT_EQ(3u, a->HostCalls().size());
  EXPECT_EQ(44100, askHost(*a, audioMasterGetSampleRate));
  EXPECT_EQ(96000, askHost(*b, audioMasterGetSampleRate));
}

TEST(PluginInstance, PluginSeesTheTransportAtEachBlockStart)
{
  HostSettings settings;
  settings.sampleRate = 48000;
  settings.blockSize = 256;
  settings.transport.tempo = 120;
  settings.transport.numerator = 3;
  settings.transport.denominator = 4;
  settings.transport.startPpq = 2.0;
  std::unique_ptr<PluginInstance> plugin = openFixture(settings);
  ASSERT_TRUE(plugin);

  VstTimeInfo info;
  EXPECT_EQ(-1, lastTimeInfo(*plugin, &info));
  processBlocks(*plugin, 3, 256);
  ASSERT_EQ(1, lastTimeInfo(*plugin, &info));
  // The third block starts 512 samples (512 / 24000 quarters) after 2.0.
  EXPECT_DOUBLE_EQ(2.0 * 24000 + 512, info.samplePos);
  EXPECT_DOUBLE_EQ(2.0 + 512.0 / 24000.0, info.ppqPos);
  EXPECT_EQ(0.0, info.barStartPos);
  EXPECT_EQ(48000.0, info.sampleRate);
  EXPECT_EQ(3, info.timeSigNumerator);
  EXPECT_TRUE(info.flags & kVstTransportPlaying);
  EXPECT_FALSE(info.flags & kVstTransportChanged) << "only the first block reports a change";
  EXPECT_EQ(kVstPpqPosValid | kVstTempoValid | kVstBarsValid, plugin->LastTimeRequestMask());

  plugin->EditTransport([](Transport& t) { t.SetPlaying(false); });
  processBlocks(*plugin, 2, 256);
  ASSERT_EQ(1, lastTimeInfo(*plugin, &info));
  EXPECT_DOUBLE_EQ(2.0 + 768.0 / 24000.0, info.ppqPos) << "stopped: no movement";
  EXPECT_FALSE(info.flags & kVstTransportPlaying);
}

TEST(PluginInstance, TimeAnswerCanBeNullOrRewritten)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  VstTimeInfo info;

  plugin->SetTimeInfoNull(true);
  processBlocks(*plugin, 1, 64);
  EXPECT_EQ(0, lastTimeInfo(*plugin, &info));

  plugin->SetTimeInfoNull(false);
  plugin->SetTimeInfoEdit(
      [](VstTimeInfo& time)
      {
        time.flags = kVstTempoValid;
        time.tempo = std::numeric_limits<double>::quiet_NaN();
      });
  processBlocks(*plugin, 1, 64);
  ASSERT_EQ(1, lastTimeInfo(*plugin, &info));
  EXPECT_EQ(kVstTempoValid, info.flags);
  EXPECT_TRUE(std::isnan(info.tempo));

  plugin->SetTimeInfoEdit(nullptr);
  processBlocks(*plugin, 1, 64);
  ASSERT_EQ(1, lastTimeInfo(*plugin, &info));
  EXPECT_EQ(120.0, info.tempo);
}

TEST(PluginInstance, ProcessesFloatAccumulatingAndDouble)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  const int frames = 37;
  {
    ChannelBuffers<float> in(2, frames), out(2, frames);
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        in.Channel(c)[i] = static_cast<float>(c * 100 + i);
    out.Fill(-7.0f);
    ASSERT_TRUE(plugin->ProcessReplacing(in.Pointers(), out.Pointers(), frames));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        ASSERT_EQ(in.Channel(c)[i], out.Channel(c)[i]) << "replacing " << c << ":" << i;

    out.Fill(1.0f);
    ASSERT_TRUE(plugin->ProcessAccumulating(in.Pointers(), out.Pointers(), frames));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        ASSERT_EQ(1.0f + in.Channel(c)[i], out.Channel(c)[i]) << "accumulating " << c << ":" << i;
  }
  {
    ChannelBuffers<double> in(2, frames), out(2, frames);
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        in.Channel(c)[i] = 0.1 * (c + 1) * i;
    out.Fill(-7.0);
    ASSERT_TRUE(plugin->ProcessDoubleReplacing(in.Pointers(), out.Pointers(), frames));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < frames; ++i)
        ASSERT_EQ(in.Channel(c)[i], out.Channel(c)[i]) << "double " << c << ":" << i;
  }
  EXPECT_DOUBLE_EQ(3.0 * frames, plugin->TransportState().SamplePos());

  plugin->Close();
  ChannelBuffers<float> in(2, frames), out(2, frames);
  EXPECT_FALSE(plugin->ProcessReplacing(in.Pointers(), out.Pointers(), frames));
}

// The fixture reads the host's event list only in the next process call,
// so a list released too early reads freed memory under the sanitizer.
TEST(PluginInstance, EventsLiveUntilTheirBlockAndComeBackRecorded)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);

  EXPECT_EQ(1, plugin->SendMidi({PluginInstance::MidiEvent(0, 0x90, 60, 100),
                                 PluginInstance::MidiEvent(17, 0x80, 60, 0),
                                 PluginInstance::MidiEvent(255, 0xB0, 7, 127)}));
  char dump[] = {char(0xF0), 0x7D, 0x01, char(0xF7)};
  VstMidiSysexEvent sysex;
  std::memset(&sysex, 0, sizeof(sysex));
  sysex.type = kVstSysExType;
  sysex.byteSize = sizeof(sysex);
  sysex.deltaFrames = 5;
  sysex.dumpBytes = sizeof(dump);
  sysex.sysexDump = dump;
  VstEvent* raw[] = {reinterpret_cast<VstEvent*>(&sysex)};
  processBlocks(*plugin, 1, 256);
  EXPECT_EQ(1, plugin->SendEvents(raw, 1));
  processBlocks(*plugin, 2, 256);

  const std::vector<PluginEvent> events = plugin->TakePluginEvents();
  ASSERT_EQ(4u, events.size());
  const struct
  {
    VstInt32 type, delta;
    std::vector<unsigned char> bytes;
  } expected[] = {
      {kVstMidiType, 0, {0x90, 60, 100}},
      {kVstMidiType, 17, {0x80, 60, 0}},
      {kVstMidiType, 255, {0xB0, 7, 127}},
      {kVstSysExType, 5, {0xF0, 0x7D, 0x01, 0xF7}},
  };
  for (size_t i = 0; i < events.size(); ++i)
  {
    SCOPED_TRACE(i);
    EXPECT_EQ(expected[i].type, events[i].type);
    EXPECT_EQ(expected[i].delta, events[i].deltaFrames);
    EXPECT_EQ(expected[i].bytes, events[i].bytes);
  }
  EXPECT_TRUE(plugin->TakePluginEvents().empty());
}

TEST(PluginInstance, TextRequestsReportHowFarThePluginWrote)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  const TextAnswer name = plugin->QueryText(effGetEffectName);
  EXPECT_EQ("Fixture Echo", name.text);
  EXPECT_TRUE(name.terminated);
  EXPECT_EQ(13u, name.extent);

  EXPECT_EQ("Mix", plugin->ParamName(1));
  EXPECT_EQ("%", plugin->ParamLabel(1));
  EXPECT_TRUE(plugin->String2Parameter(1, "0.375"));
  EXPECT_EQ(0.375f, plugin->GetParameter(1));
  EXPECT_EQ("0.38", plugin->ParamDisplay(1));

  EXPECT_EQ("Second", plugin->ProgramNameIndexed(1).value_or("(none)"));
  EXPECT_FALSE(plugin->ProgramNameIndexed(kFixturePrograms));
  plugin->SetProgram(1);
  EXPECT_EQ(1, plugin->Program());
  plugin->SetProgramName("Renamed");
  EXPECT_EQ("Renamed", plugin->ProgramName());
}

TEST(PluginInstance, ChunksRoundTripIntoAFreshInstance)
{
  const struct
  {
    ChunkType type;
    VstIntPtr size;
  } cases[] = {{ChunkType::Program, kFixtureProgramChunkSize},
               {ChunkType::Bank, kFixtureBankChunkSize}};
  for (const auto& c : cases)
  {
    SCOPED_TRACE(static_cast<int>(c.type));
    std::unique_ptr<PluginInstance> source = openFixture();
    ASSERT_TRUE(source);
    const float values[kFixtureParams] = {0.125f, 0.625f, 1.0f};
    for (int i = 0; i < kFixtureParams; ++i)
      source->SetParameter(i, values[i]);
    std::vector<unsigned char> chunk;
    EXPECT_EQ(c.size, source->GetChunk(c.type, &chunk));
    ASSERT_EQ(static_cast<size_t>(c.size), chunk.size());
    source.reset();

    std::unique_ptr<PluginInstance> target = openFixture();
    ASSERT_TRUE(target);
    EXPECT_EQ(1, target->SetChunk(c.type, chunk));
    for (int i = 0; i < kFixtureParams; ++i)
      EXPECT_EQ(values[i], target->GetParameter(i)) << "parameter " << i;
  }
}

TEST(PluginInstance, DescribesPinsAndEditor)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  const std::optional<VstPinProperties> in = plugin->InputProperties(0);
  ASSERT_TRUE(in);
  EXPECT_STREQ("Fixture In 1", in->label);
  EXPECT_EQ(kVstPinIsActive | kVstPinIsStereo, in->flags);
  EXPECT_FALSE(plugin->OutputProperties(kFixtureChannels));
  const std::optional<ERect> rect = plugin->EditRect();
  ASSERT_TRUE(rect);
  EXPECT_EQ(300, rect->right);
  EXPECT_EQ(200, rect->bottom);
  EXPECT_EQ(1, plugin->CanDo("receiveVstTimeInfo"));
  EXPECT_EQ(-1, plugin->CanDo("offline"));
}

// A DAW processes on one thread while automation arrives on another; both
// call back into the host at once. Nothing recorded may be lost or torn.
TEST(PluginInstance, RecordsFromTwoThreadsAtOnce)
{
  std::unique_ptr<PluginInstance> plugin = openFixture();
  ASSERT_TRUE(plugin);
  const int rounds = 20000;
  std::atomic<bool> go{false};

  std::thread audio(
      [&]
      {
        ChannelBuffers<float> in(2, 32), out(2, 32);
        while (!go.load())
          std::this_thread::yield();
        for (int i = 0; i < rounds; ++i)
        {
          plugin->SendMidi({PluginInstance::MidiEvent(i % 32, 0x90, i % 128, 1)});
          plugin->ProcessReplacing(in.Pointers(), out.Pointers(), 32);
        }
      });
  go.store(true);
  for (int i = 0; i < rounds; ++i)
  {
    plugin->SetParameter(i % kFixtureParams, static_cast<float>(i % 100) / 100.0f);
    plugin->EditTransport([i](Transport& t) { t.SetTempo(100.0 + i % 40); });
  }
  audio.join();

  const std::vector<HostCall> calls = plugin->TakeHostCalls();
  ASSERT_EQ(3u * rounds, calls.size());
  for (int i = 0; i < rounds; ++i)
  {
    const VstInt32 index = i % kFixtureParams;
    const float value = static_cast<float>(i % 100) / 100.0f;
    ASSERT_EQ(HostCall::beginEdit(index), calls[3 * i]) << i;
    ASSERT_EQ(HostCall::automate(index, value), calls[3 * i + 1]) << i;
    ASSERT_EQ(HostCall::endEdit(index), calls[3 * i + 2]) << i;
  }
  const std::vector<PluginEvent> events = plugin->TakePluginEvents();
  ASSERT_EQ(static_cast<size_t>(rounds), events.size());
  for (int i = 0; i < rounds; ++i)
    ASSERT_EQ(i % 128, events[i].bytes.at(1)) << i;
  EXPECT_EQ(rounds, plugin->CallbackCount(audioMasterGetTime));
}
