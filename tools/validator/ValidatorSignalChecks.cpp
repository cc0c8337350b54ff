// The validator's checks of what comes out of the audio: sample rates,
// block sizes, programs, non-finite input, subnormal tails, automation,
// transport and MIDI events. Each case opens fresh instances, so that one
// broken case cannot spoil the next.

#include "ValidatorSupport.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace vsthost
{
namespace validator
{
namespace
{
std::string rateName(double rate)
{
  if (std::isnan(rate))
    return "nan";
  if (std::isinf(rate))
    return rate > 0 ? "inf" : "-inf";
  return Format("%g Hz", rate);
}

// ---- Sample rates -----------------------------------------------------------

void sampleRates(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  for (double rate : plan.sampleRates)
  {
    HostSettings settings = session.Settings();
    settings.sampleRate = rate;
    InstanceCase(reporter, session, "sample-rate " + rateName(rate), settings,
                 [&plan, rate](PluginInstance& plugin)
                 {
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   return Verdict::FailIf(
                       driver.Run(plan.seconds, rate, kBlock, Noise(), kSane | kAllWritten));
                 });
  }
  // No DAW runs at these rates, but a host may pass one on from a broken
  // device or file: the plug-in must keep making numbers. The host's own
  // transport stays at a real rate, so that only the plug-in sees it.
  for (double rate : plan.oddSampleRates)
    InstanceCase(reporter, session, "sample-rate " + rateName(rate),
                 [&plan, rate](PluginInstance& plugin)
                 {
                   plugin.Suspend();
                   plugin.Dispatch(effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
                   plugin.Resume();
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   return Verdict::FailIf(
                       driver.Run(plan.seconds, kRate, kBlock, Noise(), kFinite | kAllWritten));
                 });
}

// ---- Block sizes ------------------------------------------------------------

void blockSizes(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Case
  {
    int announced; // effSetBlockSize
    int sent;      // frames per processing call
  };
  const Case cases[] = {{1, 1},
                        {7, 7},
                        {64, 64},
                        {512, 512},
                        {4096, 4096},
                        // Hosts that split blocks at loop points or
                        // automation send more than they said they would.
                        {64, 4096},
                        {512, 8192}};
  for (const Case& c : cases)
  {
    const std::string name = c.sent == c.announced
                                 ? Format("block-size %d", c.sent)
                                 : Format("block-size %d announced %d", c.sent, c.announced);
    HostSettings settings = session.Settings();
    settings.blockSize = c.announced;
    InstanceCase(reporter, session, name, settings,
                 [&plan, c](PluginInstance& plugin)
                 {
                   Driver driver(plugin, c.sent);
                   driver.Note(true);
                   // At least a few blocks, however short the plan.
                   const double seconds = std::max(plan.seconds, 4.0 * c.sent / kRate);
                   return Verdict::FailIf(
                       driver.Run(seconds, kRate, c.sent, Noise(), kSane | kAllWritten));
                 });
  }

  InstanceCase(
      reporter, session, "block-size 0",
      [](PluginInstance& plugin)
      {
        Driver driver(plugin, kBlock);
        Source noise = Noise();
        for (int round = 0; round < 8; ++round)
        {
          const std::string problem = driver.Block(kBlock, noise, kSane | kAllWritten);
          if (!problem.empty())
            return Verdict::Fail(problem);
          FillSentinel(driver.Outputs());
          if (driver.Replacing())
            plugin.ProcessReplacing(driver.Inputs().Pointers(), driver.Outputs().Pointers(), 0);
          else
            plugin.ProcessAccumulating(driver.Inputs().Pointers(), driver.Outputs().Pointers(), 0);
          for (int ch = 0; ch < driver.Outputs().Channels(); ++ch)
            for (int i = 0; i < driver.Outputs().Frames(); ++i)
              if (!IsSentinel(driver.Outputs().Channel(ch)[i]))
                return Verdict::Fail(
                    Format("a call with 0 frames wrote channel %d frame %d", ch, i));
        }
        return Verdict::Pass();
      });

  InstanceCase(reporter, session, "block-size varying up to 512",
               [&plan](PluginInstance& plugin)
               {
                 Driver driver(plugin, kBlock);
                 driver.Note(true);
                 NoiseSource sizes(3);
                 Source noise = Noise();
                 long long left = static_cast<long long>(std::max(plan.seconds, 0.2) * kRate);
                 while (left > 0)
                 {
                   const int frames = 1 + sizes.Below(kBlock);
                   const std::string problem = driver.Block(frames, noise, kSane | kAllWritten);
                   if (!problem.empty())
                     return Verdict::Fail(Format("a block of %d: %s", frames, problem.c_str()));
                   left -= frames;
                 }
                 return Verdict::Pass();
               });

  // Only a plug-in that says it processes doubles is sent them.
  const std::string doubles = "block-size 512 double precision";
  if (!(session.Flags() & effFlagsCanDoubleReplacing))
  {
    reporter.Case(doubles,
                  [] {
                    return Verdict::Skip(
                        "the plug-in does not process doubles (no effFlagsCanDoubleReplacing)");
                  });
    return;
  }
  InstanceCase(reporter, session, doubles,
               [&plan](PluginInstance& plugin)
               {
                 ChannelBuffers<double> in(plugin.Effect()->numInputs, kBlock);
                 ChannelBuffers<double> out(plugin.Effect()->numOutputs, kBlock);
                 NoiseSource noise(5);
                 plugin.SendMidi({PluginInstance::MidiEvent(0, 0x90, 60, 100)});
                 const int blocks = std::max(4, static_cast<int>(plan.seconds * kRate / kBlock));
                 for (int b = 0; b < blocks; ++b)
                 {
                   for (int ch = 0; ch < in.Channels(); ++ch)
                     for (int i = 0; i < kBlock; ++i)
                       in.Channel(ch)[i] = noise.Next();
                   FillSentinel(out);
                   plugin.ProcessDoubleReplacing(in.Pointers(), out.Pointers(), kBlock);
                   const std::string problem = InspectOutput(out, kBlock, kSane | kAllWritten);
                   if (!problem.empty())
                     return Verdict::Fail(Format("block %d: %s", b, problem.c_str()));
                 }
                 return Verdict::Pass();
               });
}

// ---- Programs ---------------------------------------------------------------

void programs(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  const int count = std::min(session.NumPrograms(), plan.programs);
  Verdict verdict;
  auto probe = OpenInstance(session, &verdict);
  for (int p = 0; p < std::max(count, 1); ++p)
  {
    std::string name = "current";
    if (session.NumPrograms() > 0)
    {
      const std::optional<std::string> text = probe ? probe->ProgramNameIndexed(p) : std::nullopt;
      name = Format("%d \"%s\"", p, Printable(text.value_or(""), 24).c_str());
    }
    InstanceCase(reporter, session, "program " + name,
                 [&session, &plan, p](PluginInstance& plugin)
                 {
                   if (session.NumPrograms() > 0)
                     plugin.SetProgram(p);
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   return Verdict::FailIf(driver.Run(plan.seconds, kRate, kBlock,
                                                     Noise(static_cast<uint64_t>(p) + 1),
                                                     kSane | kAllWritten));
                 });
  }
}

// ---- Non-finite input and recovery -----------------------------------------

void nonFiniteInput(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Case
  {
    const char* name;
    double value;
    bool wholeBlock;
  };
  const Case cases[] = {
      {"nan sample", std::nan(""), false},
      {"inf sample", kInf, false},
      {"-inf sample", -kInf, false},
      {"nan block", std::nan(""), true},
  };

  // A case's run: `c` into an instance, set to `program` unless it is -1.
  auto recovery = [](const Case& c, int program) -> InstanceRun
  {
    return [c, program](PluginInstance& plugin)
    {
      if (program >= 0)
        plugin.SetProgram(program);
      Driver driver(plugin, kBlock);
      driver.Note(true);
      Source noise = Noise(9);
      for (int b = 0; b < 4; ++b)
      {
        const std::string problem = driver.Block(kBlock, noise, kFinite);
        if (!problem.empty())
          return Verdict::Fail("before any non-finite input: " + problem);
      }
      driver.Block(
          kBlock,
          [&](ChannelBuffers<float>& inputs, int frames)
          {
            noise(inputs, frames);
            for (int ch = 0; ch < inputs.Channels(); ++ch)
              for (int i = c.wholeBlock ? 0 : frames / 2;
                   i < (c.wholeBlock ? frames : frames / 2 + 1); ++i)
                inputs.Channel(ch)[i] = static_cast<float>(c.value);
          },
          0);
      // The block that carried it may be lost; the next one must not be.
      for (int b = 1; b <= 8; ++b)
      {
        const std::string problem = driver.Block(kBlock, noise, kFinite);
        if (!problem.empty())
          return Verdict::Fail(Format("block %d after the %s: %s", b, c.name, problem.c_str()));
      }
      return Verdict::Pass();
    };
  };

  for (const Case& c : cases)
    InstanceCase(reporter, session, std::string("non-finite-input ") + c.name, recovery(c, -1));
  if (plan.recoveryPerProgram)
    for (int p = 0; p < session.NumPrograms(); ++p)
      InstanceCase(reporter, session, Format("non-finite-input nan sample program %d", p),
                   recovery(cases[0], p));
}

// ---- A tiny impulse into silence --------------------------------------------

void impulse(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  // Measured once, reported by two cases.
  struct Measurement
  {
    Verdict openFailure;
    bool done = false;
    std::string subnormal;
    double silence = 0.0;
    double noise = 0.0;
    double seconds = 0.0;
  };
  auto measurement = std::make_shared<Measurement>();
  auto measureInto = [&session, &plan](Measurement& m)
  {
    auto tail = OpenInstance(session, &m.openFailure);
    auto busy = tail ? OpenInstance(session, &m.openFailure) : nullptr;
    if (!busy)
      return;
    Driver tailDriver(*tail, kBlock), busyDriver(*busy, kBlock);
    tailDriver.Note(true);
    busyDriver.Note(true);
    Source impulse = Impulse(1e-6), silence = Silence(), noise = Noise(13);
    // Each trial starts the decay again: a state decaying from 1e-6 passes
    // the subnormal range within half a second in most filters.
    const int blocks = static_cast<int>(0.5 * kRate / kBlock);
    m.seconds = blocks * kBlock / kRate;
    // Each block keeps its fastest call over the trials: a call the rest
    // of the machine delayed is slower in one trial only, a block that
    // computes subnormals is slower in every trial.
    std::vector<double> silenceCalls(static_cast<size_t>(blocks), kInf);
    std::vector<double> noiseCalls(static_cast<size_t>(blocks), kInf);
    for (int trial = 0; trial < plan.timingTrials; ++trial)
      for (int b = 0; b < blocks; ++b)
      {
        const std::string problem =
            tailDriver.Block(kBlock, b == 0 ? impulse : silence, kFinite | kNoSubnormal);
        silenceCalls[b] = std::min(silenceCalls[b], tailDriver.LastCallSeconds());
        if (!problem.empty() && m.subnormal.empty())
          m.subnormal =
              Format("trial %d, block %d after the impulse: %s", trial, b, problem.c_str());
        busyDriver.Block(kBlock, noise, 0);
        noiseCalls[b] = std::min(noiseCalls[b], busyDriver.LastCallSeconds());
      }
    for (int b = 0; b < blocks; ++b)
    {
      m.silence += silenceCalls[b];
      m.noise += noiseCalls[b];
    }
  };
  auto measure = [measureInto, measurement]
  {
    if (!measurement->done)
    {
      measurement->done = true;
      measureInto(*measurement);
    }
  };

  reporter.Case("impulse 1e-6 then silence: subnormal output",
                [measure, measurement]
                {
                  measure();
                  if (measurement->openFailure.outcome == Outcome::Failed)
                    return measurement->openFailure;
                  return Verdict::FailIf(measurement->subnormal);
                });
  reporter.Case(
      "impulse 1e-6 then silence: processing time",
      [measure, measureInto, measurement]
      {
        measure();
        Measurement m = *measurement;
        if (m.openFailure.outcome == Outcome::Failed)
          return m.openFailure;
        // Tenths of a millisecond do not compare on a clock that moves in
        // larger steps; a denormal slowdown is far longer than that.
        if (m.noise < 1e-4)
          return Verdict::Pass(
              Format("too fast to compare: %.3f ms for %.2f s of noise", m.noise * 1e3, m.seconds));
        // A slow measurement is taken again: subnormals slow silence down in
        // every measurement, a busy machine (or an emulated one) in some. The
        // fastest of them counts.
        const int kMeasurements = 3;
        int taken = 1;
        for (; taken < kMeasurements && m.silence > 1.2 * m.noise; ++taken)
        {
          Measurement again;
          measureInto(again);
          if (again.openFailure.outcome == Outcome::Failed)
            return again.openFailure;
          if (again.noise >= 1e-4 && again.silence / again.noise < m.silence / m.noise)
            m = again;
        }
        const double ratio = m.silence / m.noise;
        std::string figures =
            Format("%.2fx the time of noise (%.2f ms against %.2f ms for %.2f s of audio)", ratio,
                   m.silence * 1e3, m.noise * 1e3, m.seconds);
        if (taken > 1)
          figures += Format(", the fastest of %d measurements", taken);
        return ratio > 1.2 ? Verdict::Fail(figures + ", more than 1.2x") : Verdict::Pass(figures);
      });
}

// ---- Automation ---------------------------------------------------------------

// Hosts that apply automation sample-accurately split blocks there.
const int kSlice = 32;

void automation(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  InstanceCase(reporter, session, "automation 32-frame slices",
               [&plan](PluginInstance& plugin)
               {
                 const int params = plugin.Effect()->numParams;
                 if (params == 0)
                   return Verdict::Skip("the plug-in has no parameters");
                 Driver driver(plugin, kBlock);
                 driver.Note(true);
                 Source noise = Noise(17);
                 NoiseSource values(19);
                 const int slices = static_cast<int>(std::max(plan.seconds, 0.2) * kRate / kSlice);
                 for (int s = 0; s < slices; ++s)
                 {
                   // Every parameter in turn; each to an end of its range, then
                   // anywhere: the ends are where formulas divide by zero.
                   const int index = s % params;
                   const int pass = s / params;
                   const float value =
                       pass % 3 == 0
                           ? 1.0f
                           : (pass % 3 == 1 ? 0.0f : static_cast<float>(values.Next() * 0.5 + 0.5));
                   plugin.SetParameter(index, value);
                   const std::string problem = driver.Block(kSlice, noise, kFinite);
                   if (!problem.empty())
                     return Verdict::Fail(Format("slice %d, after %s was set to %g: %s", s,
                                                 ParamLabel(plugin, index).c_str(),
                                                 static_cast<double>(value), problem.c_str()));
                 }
                 return Verdict::Pass();
               });

  InstanceCase(reporter, session, "automation sweeps of each parameter",
               [&plan](PluginInstance& plugin)
               {
                 const int params = plugin.Effect()->numParams;
                 if (params == 0)
                   return Verdict::Skip("the plug-in has no parameters");
                 const int steps = plan.level >= 3 ? 64 : 16;
                 for (int index = 0; index < params; ++index)
                 {
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   Source noise = Noise(static_cast<uint64_t>(index) + 23);
                   const float before = plugin.GetParameter(index);
                   // Up and back down, one step per slice.
                   for (int s = 0; s <= 2 * steps; ++s)
                   {
                     const int step = s <= steps ? s : 2 * steps - s;
                     const float value = static_cast<float>(step) / static_cast<float>(steps);
                     plugin.SetParameter(index, value);
                     const std::string problem = driver.Block(kSlice, noise, kFinite);
                     if (!problem.empty())
                       return Verdict::Fail(Format("%s swept to %g: %s",
                                                   ParamLabel(plugin, index).c_str(),
                                                   static_cast<double>(value), problem.c_str()));
                   }
                   plugin.SetParameter(index, before);
                 }
                 return Verdict::Pass();
               });
}

// ---- Parameter extremes -------------------------------------------------------

// Every parameter at an end of its range at once: where a formula divides
// by a range's end or feedback exceeds one, presets never go but users do.
void extremes(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Corner
  {
    std::string name;
    uint64_t seed; // 0: every parameter at `value`
    float value;
  };
  std::vector<Corner> corners = {{"all at 0", 0, 0.0f}, {"all at 1", 0, 1.0f}};
  for (int k = 1; k <= plan.corners; ++k)
    corners.push_back({Format("random corner %d", k), static_cast<uint64_t>(k), 0.0f});
  for (const Corner& corner : corners)
    InstanceCase(reporter, session, "parameter-extremes " + corner.name,
                 [&plan, corner](PluginInstance& plugin)
                 {
                   NoiseSource ends(corner.seed + 71);
                   for (int i = 0; i < plugin.Effect()->numParams; ++i)
                     plugin.SetParameter(i, corner.seed == 0 ? corner.value
                                                             : static_cast<float>(ends.Below(2)));
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   return Verdict::FailIf(
                       driver.Run(plan.seconds, kRate, kBlock, Noise(corner.seed + 3), kRobust));
                 });
}

// ---- Time info ----------------------------------------------------------------

void timeInfo(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Case
  {
    const char* name;
    void (*edit)(VstTimeInfo& time, int block); // null: no time info at all
  };
  const Case cases[] = {
      {"null", nullptr},
      {"tempo 0", [](VstTimeInfo& t, int) { t.tempo = 0.0; }},
      {"tempo negative", [](VstTimeInfo& t, int) { t.tempo = -120.0; }},
      {"numerator 0", [](VstTimeInfo& t, int) { t.timeSigNumerator = 0; }},
      {"denominator 0", [](VstTimeInfo& t, int) { t.timeSigDenominator = 0; }},
      {"no valid flags", [](VstTimeInfo& t, int) { t.flags = 0; }},
      {"huge positions",
       [](VstTimeInfo& t, int block)
       {
         t.samplePos = 1e15 + block * 512.0;
         t.ppqPos = 1e12 + block;
         t.barStartPos = 1e12;
         t.cycleStartPos = 1e12;
         t.cycleEndPos = 2e12;
       }},
      {"negative positions",
       [](VstTimeInfo& t, int block)
       {
         t.samplePos = -1e9 + block * 512.0;
         t.ppqPos = -1e6 + block;
         t.barStartPos = -1e6;
         t.cycleStartPos = -8.0;
         t.cycleEndPos = -4.0;
       }},
      {"jumping positions",
       [](VstTimeInfo& t, int block)
       {
         const double jumps[] = {0.0, 1e9, -3.5, 7.25, 1e-300, -1e12, 0.5};
         t.ppqPos = jumps[block % 7];
         t.samplePos = t.ppqPos * 22050.0;
         t.barStartPos = std::floor(t.ppqPos / 4.0) * 4.0;
       }},
  };
  for (const Case& c : cases)
    InstanceCase(reporter, session, std::string("time-info ") + c.name,
                 [&plan, c](PluginInstance& plugin)
                 {
                   auto block = std::make_shared<int>(0);
                   if (c.edit)
                     plugin.SetTimeInfoEdit([c, block](VstTimeInfo& time)
                                            { c.edit(time, *block); });
                   else
                     plugin.SetTimeInfoNull(true);
                   // The plug-in may have read the time while opening:
                   // suspend and resume it under the new answers.
                   plugin.Suspend();
                   plugin.Resume();
                   Driver driver(plugin, kBlock);
                   driver.Note(true);
                   Source noise = Noise(37);
                   const int blocks = std::max(8, static_cast<int>(plan.seconds * kRate / kBlock));
                   for (*block = 0; *block < blocks; ++*block)
                   {
                     const std::string problem = driver.Block(kBlock, noise, kRobust);
                     if (!problem.empty())
                       return Verdict::Fail(Format("block %d: %s", *block, problem.c_str()));
                   }
                   return Verdict::Pass();
                 });
}

// ---- Events -------------------------------------------------------------------

// A list of events of any type, alive until the block it is sent with has
// been processed.
struct EventList
{
  std::vector<VstMidiEvent> midi;
  std::vector<VstMidiSysexEvent> sysex;
  std::vector<VstEvent> other;
  std::vector<std::vector<char>> dumps;

  void Send(PluginInstance& plugin)
  {
    std::vector<VstEvent*> pointers;
    for (VstMidiEvent& e : midi)
      pointers.push_back(reinterpret_cast<VstEvent*>(&e));
    for (VstMidiSysexEvent& e : sysex)
      pointers.push_back(reinterpret_cast<VstEvent*>(&e));
    for (VstEvent& e : other)
      pointers.push_back(&e);
    plugin.SendEvents(pointers.data(), static_cast<VstInt32>(pointers.size()));
  }
};

void events(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Case
  {
    const char* name;
    void (*fill)(EventList& list, NoiseSource& random, int block, int frames);
  };
  const Case cases[] = {
      {"flood",
       [](EventList& list, NoiseSource& random, int, int frames)
       {
         for (int i = 0; i < 2048; ++i)
         {
           const unsigned char kinds[] = {0x90, 0x80, 0xB0, 0xE0, 0xA0, 0xD0};
           const unsigned char status = kinds[random.Below(6)] | random.Below(16);
           list.midi.push_back(
               PluginInstance::MidiEvent(random.Below(frames), status, random.Below(128),
                                         static_cast<unsigned char>(random.Below(128))));
         }
       }},
      {"offsets outside the block",
       [](EventList& list, NoiseSource& random, int, int frames)
       {
         const VstInt32 offsets[] = {-1, -100000, frames, frames + 1, INT_MAX, INT_MIN};
         for (VstInt32 offset : offsets)
         {
           const unsigned char key = static_cast<unsigned char>(random.Below(128));
           list.midi.push_back(PluginInstance::MidiEvent(offset, 0x90, key, 100));
           list.midi.push_back(PluginInstance::MidiEvent(offset, 0x80, key, 0));
         }
       }},
      {"offsets in falling order",
       [](EventList& list, NoiseSource&, int, int frames)
       {
         for (int offset = frames - 1; offset >= 0; offset -= 37)
           list.midi.push_back(PluginInstance::MidiEvent(
               offset, offset % 2 ? 0x90 : 0x80, static_cast<unsigned char>(offset % 128), 100));
       }},
      {"every note of every channel",
       [](EventList& list, NoiseSource&, int block, int)
       {
         for (int channel = 0; channel < 16; ++channel)
           for (int key = 0; key < 128; ++key)
             list.midi.push_back(PluginInstance::MidiEvent(
                 0, static_cast<unsigned char>((block % 2 ? 0x80 : 0x90) | channel),
                 static_cast<unsigned char>(key), block % 2 ? 0 : 127));
       }},
      {"odd messages",
       [](EventList& list, NoiseSource& random, int block, int frames)
       {
         // Raw bytes: data bytes without a status, system messages, and
         // running status the host never should send.
         for (int i = 0; i < 64; ++i)
           list.midi.push_back(PluginInstance::MidiEvent(
               random.Below(frames), static_cast<unsigned char>(random.Below(256)),
               static_cast<unsigned char>(random.Below(256)),
               static_cast<unsigned char>(random.Below(256))));
         // System exclusive, of several lengths, an empty one included.
         const int lengths[] = {0, 1, 6, 300};
         for (int length : lengths)
         {
           std::vector<char> dump(static_cast<size_t>(std::max(length, 1)), 0x7F);
           dump[0] = static_cast<char>(0xF0);
           dump.back() = static_cast<char>(0xF7);
           VstMidiSysexEvent sysex = {};
           sysex.type = kVstSysExType;
           sysex.byteSize = sizeof(sysex);
           sysex.deltaFrames = block % frames;
           sysex.dumpBytes = length;
           list.dumps.push_back(std::move(dump));
           sysex.sysexDump = list.dumps.back().data();
           list.sysex.push_back(sysex);
         }
         // Event types nobody uses any more.
         for (VstInt32 type : {0, 2, 3, 4, 5, 99})
         {
           VstEvent event = {};
           event.type = type;
           event.byteSize = sizeof(event);
           event.deltaFrames = random.Below(frames);
           for (char& byte : event.data)
             byte = static_cast<char>(random.Below(256));
           list.other.push_back(event);
         }
       }},
  };
  for (const Case& c : cases)
    InstanceCase(reporter, session, std::string("events ") + c.name,
                 [&plan, c](PluginInstance& plugin)
                 {
                   Driver driver(plugin, kBlock);
                   Source noise = Noise(41);
                   NoiseSource random(43);
                   const int blocks = std::max(8, static_cast<int>(plan.seconds * kRate / kBlock));
                   for (int b = 0; b < blocks; ++b)
                   {
                     EventList list;
                     c.fill(list, random, b, kBlock);
                     list.Send(plugin);
                     const std::string problem = driver.Block(kBlock, noise, kRobust);
                     if (!problem.empty())
                       return Verdict::Fail(Format("block %d: %s", b, problem.c_str()));
                   }
                   return Verdict::Pass();
                 });
}

} // namespace

std::vector<Check> SignalChecks()
{
  return {
      {"sample-rate", sampleRates},         {"block-size", blockSizes}, {"program", programs},
      {"non-finite-input", nonFiniteInput}, {"impulse", impulse},       {"automation", automation},
      {"parameter-extremes", extremes},     {"time-info", timeInfo},    {"events", events},
  };
}

} // namespace validator
} // namespace vsthost
