// The validator's checks of what the plug-in keeps and tells: state chunks
// that round-trip, survive truncation, corruption and non-finite numbers,
// and texts that stay within the fields hosts really pass.

#include "ValidatorSupport.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace vsthost
{
namespace validator
{
namespace
{
// A value in 0.1..0.9 that differs from parameter to parameter, so that a
// state restored into the wrong parameter shows.
float spreadValue(int index)
{
  const double x = 0.37 * index + 0.23;
  return static_cast<float>(0.1 + 0.8 * (x - std::floor(x)));
}

// ---- State chunks --------------------------------------------------------------

const char* chunkName(ChunkType type)
{
  return type == ChunkType::Bank ? "bank" : "program";
}

// Sends `data` as a chunk to a fresh instance, in a buffer of exactly its
// size (a plug-in reading past it shows under a sanitizer), and checks that
// the instance still holds sane values and makes sane output: the first
// problem, or "".
std::string loadIntoFresh(Session& session, ChunkType type, const std::vector<unsigned char>& data)
{
  const Verdict verdict = WithInstance(
      session,
      [type, &data](PluginInstance& plugin)
      {
        std::unique_ptr<unsigned char[]> exact(new unsigned char[std::max<size_t>(data.size(), 1)]);
        if (!data.empty())
          std::memcpy(exact.get(), data.data(), data.size());
        plugin.SetChunk(type, exact.get(), static_cast<VstIntPtr>(data.size()));
        exact.reset();
        std::string problem = InspectParameters(plugin);
        if (!problem.empty())
          return Verdict::Fail(problem);
        Driver driver(plugin, kBlock);
        driver.Note(true);
        Source noise = Noise(47);
        for (int b = 0; b < 4; ++b)
        {
          problem = driver.Block(kBlock, noise, kRobust);
          if (!problem.empty())
            return Verdict::Fail(Format("block %d: %s", b, problem.c_str()));
        }
        return Verdict::Pass();
      });
  return verdict.outcome == Outcome::Failed ? verdict.detail : "";
}

void chunks(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  for (ChunkType type : {ChunkType::Program, ChunkType::Bank})
  {
    const std::string kind = chunkName(type);

    // The state an instance with non-default values saves.
    auto saved = std::make_shared<std::vector<unsigned char>>();
    auto values = std::make_shared<std::vector<float>>();
    auto names = std::make_shared<std::vector<std::string>>();
    {
      Verdict verdict;
      auto plugin = OpenInstance(session, &verdict);
      if (plugin)
      {
        for (int i = 0; i < plugin->Effect()->numParams; ++i)
        {
          plugin->SetParameter(i, spreadValue(i));
          values->push_back(plugin->GetParameter(i));
        }
        plugin->GetChunk(type, saved.get());
        for (int p = 0; p < plugin->Effect()->numPrograms; ++p)
          names->push_back(plugin->ProgramNameIndexed(p).value_or(""));
      }
    }
    if (saved->empty())
    {
      reporter.Case("chunk " + kind,
                    [] { return Verdict::Skip("the plug-in hands out no such chunk"); });
      continue;
    }

    InstanceCase(reporter, session, "chunk " + kind + " round trip per parameter",
                 [type, saved, values, names](PluginInstance& plugin)
                 {
                   if (plugin.SetChunk(type, *saved) == 0)
                     return Verdict::Fail(Format("the plug-in refused its own %d-byte chunk",
                                                 static_cast<int>(saved->size())));
                   std::string mismatches;
                   int count = 0;
                   for (size_t i = 0; i < values->size(); ++i)
                   {
                     const float now = plugin.GetParameter(static_cast<VstInt32>(i));
                     if (!(std::fabs(now - (*values)[i]) <= 1e-4f))
                     {
                       if (++count <= 4)
                         mismatches +=
                             Format("%s%s reads %g, saved %g", mismatches.empty() ? "" : "; ",
                                    ParamLabel(plugin, static_cast<int>(i)).c_str(),
                                    static_cast<double>(now), static_cast<double>((*values)[i]));
                     }
                   }
                   if (type == ChunkType::Bank)
                     for (size_t p = 0; p < names->size(); ++p)
                     {
                       const std::string now =
                           plugin.ProgramNameIndexed(static_cast<VstInt32>(p)).value_or("");
                       if (now != (*names)[p] && ++count <= 4)
                         mismatches +=
                             Format("%sprogram %d is named \"%s\", saved \"%s\"",
                                    mismatches.empty() ? "" : "; ", static_cast<int>(p),
                                    Printable(now).c_str(), Printable((*names)[p]).c_str());
                     }
                   if (count > 4)
                     mismatches += Format("; %d more", count - 4);
                   return Verdict::FailIf(mismatches, Format("%d values through %d bytes",
                                                             static_cast<int>(values->size()),
                                                             static_cast<int>(saved->size())));
                 });

    reporter.Case("chunk " + kind + " truncated",
                  [&session, &plan, type, saved]
                  {
                    const int size = static_cast<int>(saved->size());
                    std::vector<int> lengths;
                    if (plan.chunkTruncationStride == 0)
                      lengths = {0, 1, 4, 7, 8, 9, size / 2, size - 8, size - 1};
                    else
                    {
                      // At most about 500 fresh instances.
                      const int stride = std::max(plan.chunkTruncationStride, size / 500);
                      for (int n = 0; n < size; n += stride)
                        lengths.push_back(n);
                      lengths.push_back(size - 1);
                    }
                    for (int n : lengths)
                    {
                      if (n < 0 || n >= size)
                        continue;
                      const std::vector<unsigned char> prefix(saved->begin(), saved->begin() + n);
                      const std::string problem = loadIntoFresh(session, type, prefix);
                      if (!problem.empty())
                        return Verdict::Fail(
                            Format("the first %d of %d bytes: %s", n, size, problem.c_str()));
                    }
                    return Verdict::Pass(Format("%d lengths", static_cast<int>(lengths.size())));
                  });

    reporter.Case("chunk " + kind + " corrupted",
                  [&session, &plan, type, saved]
                  {
                    NoiseSource random(53);
                    const int size = static_cast<int>(saved->size());
                    for (int k = 0; k < plan.corruptions; ++k)
                    {
                      std::vector<unsigned char> data = *saved;
                      std::string how;
                      switch (k % 4)
                      {
                      case 0:
                        for (int i = 0; i < 1 + k % 7; ++i)
                          data[static_cast<size_t>(random.Below(size))] ^=
                              static_cast<unsigned char>(1 + random.Below(255));
                        how = Format("%d bytes changed", 1 + k % 7);
                        break;
                      case 1:
                      {
                        const int from = random.Below(size);
                        for (int i = from; i < std::min(size, from + 16); ++i)
                          data[static_cast<size_t>(i)] =
                              static_cast<unsigned char>(random.Below(256));
                        how = Format("bytes %d to %d random", from, std::min(size, from + 16) - 1);
                        break;
                      }
                      case 2:
                        for (unsigned char& byte : data)
                          byte = static_cast<unsigned char>(random.Below(256));
                        how = "every byte random";
                        break;
                      default:
                        std::fill(data.begin(), data.end(), k % 8 == 3 ? 0x00 : 0xFF);
                        how = k % 8 == 3 ? "every byte 0x00" : "every byte 0xFF";
                        break;
                      }
                      const std::string problem = loadIntoFresh(session, type, data);
                      if (!problem.empty())
                        return Verdict::Fail(how + ": " + problem);
                    }
                    return Verdict::Pass(Format("%d corruptions", plan.corruptions));
                  });

    reporter.Case(
        "chunk " + kind + " carrying nan",
        [&session, &plan, type, saved]
        {
          // A chunk's layout is the plug-in's own: the numbers go wherever
          // a float or a double could be, all at once and, at higher
          // levels, one position at a time.
          struct Filler
          {
            const char* name;
            size_t width;
            double value;
          };
          const Filler fillers[] = {{"double nan", 8, std::nan("")}, {"double inf", 8, kInf},
                                    {"double -inf", 8, -kInf},       {"double 1e300", 8, 1e300},
                                    {"float nan", 4, std::nan("")},  {"float inf", 4, kInf}};
          auto put = [](std::vector<unsigned char>& data, size_t at, const Filler& f)
          {
            if (f.width == 8)
            {
              const double v = f.value;
              std::memcpy(&data[at], &v, 8);
            }
            else
            {
              const float v = static_cast<float>(f.value);
              std::memcpy(&data[at], &v, 4);
            }
          };
          for (const Filler& f : fillers)
          {
            std::vector<unsigned char> data = *saved;
            for (size_t at = 0; at + f.width <= data.size(); at += f.width)
              put(data, at, f);
            const std::string problem = loadIntoFresh(session, type, data);
            if (!problem.empty())
              return Verdict::Fail(Format("%s everywhere: %s", f.name, problem.c_str()));
          }
          if (plan.level >= 3)
            for (const Filler& f : {fillers[0], fillers[4]})
              for (size_t at = 0; at + f.width <= saved->size() && at < 4096; at += f.width)
              {
                std::vector<unsigned char> data = *saved;
                put(data, at, f);
                const std::string problem = loadIntoFresh(session, type, data);
                if (!problem.empty())
                  return Verdict::Fail(
                      Format("%s at byte %d: %s", f.name, static_cast<int>(at), problem.c_str()));
              }
          return Verdict::Pass();
        });
  }
}

// ---- Strings ------------------------------------------------------------------

// A text request into a canary-filled buffer far larger than `limit`, the
// size hosts really pass: the plug-in may write at most `limit` bytes, the
// terminator included.
std::string boundedText(PluginInstance& plugin, VstInt32 opcode, VstInt32 index, size_t limit)
{
  unsigned char buffer[1024];
  std::memset(buffer, 0xA5, sizeof(buffer));
  plugin.Dispatch(opcode, index, 0, buffer);
  size_t extent = 0;
  for (size_t i = sizeof(buffer); i > 0; --i)
    if (buffer[i - 1] != 0xA5)
    {
      extent = i;
      break;
    }
  if (extent == 0)
    return ""; // nothing written: the plug-in does not answer it
  if (extent > limit)
    return Format("wrote %d bytes into a field of %d", static_cast<int>(extent),
                  static_cast<int>(limit));
  if (!std::memchr(buffer, 0, limit))
    return Format("left the text unterminated within %d bytes", static_cast<int>(limit));
  return "";
}

void strings(Session& session, Reporter& reporter)
{
  const Plan& plan = session.GetPlan();
  struct Single
  {
    const char* name;
    VstInt32 opcode;
    size_t limit;
  };
  const Single singles[] = {{"effect name", effGetEffectName, 32},
                            {"vendor", effGetVendorString, 64},
                            {"product", effGetProductString, 64}};
  for (const Single& s : singles)
    InstanceCase(reporter, session,
                 Format("strings %s (%d bytes)", s.name, static_cast<int>(s.limit)),
                 [s](PluginInstance& plugin)
                 { return Verdict::FailIf(boundedText(plugin, s.opcode, 0, s.limit)); });

  const Single perParam[] = {{"parameter names", effGetParamName, 32},
                             {"parameter labels", effGetParamLabel, 32},
                             {"parameter displays", effGetParamDisplay, 32}};
  for (const Single& s : perParam)
    InstanceCase(
        reporter, session, Format("strings %s (%d bytes)", s.name, static_cast<int>(s.limit)),
        [&plan, s](PluginInstance& plugin)
        {
          const int params = plugin.Effect()->numParams;
          const bool sweep = s.opcode == effGetParamDisplay && plan.everyParamDisplay;
          for (int i = 0; i < params; ++i)
          {
            std::string problem = boundedText(plugin, s.opcode, i, s.limit);
            // The display of a value depends on it: the ends of the range
            // and the middle too.
            for (float value : {0.0f, 0.5f, 1.0f})
              if (sweep && problem.empty())
              {
                plugin.SetParameter(i, value);
                problem = boundedText(plugin, s.opcode, i, s.limit);
                if (!problem.empty())
                  problem = Format("at %g, %s", static_cast<double>(value), problem.c_str());
              }
            if (!problem.empty())
              return Verdict::Fail(Format("parameter %d %s", i, problem.c_str()));
          }
          return Verdict::Pass();
        });

  InstanceCase(reporter, session, "strings program names (24 bytes)",
               [](PluginInstance& plugin)
               {
                 const int programs = plugin.Effect()->numPrograms;
                 // Indices past either end are asked too: a host's list
                 // may be longer than the plug-in's.
                 for (int p = -1; p <= programs; ++p)
                 {
                   const std::string problem = boundedText(plugin, effGetProgramNameIndexed, p, 24);
                   if (!problem.empty())
                     return Verdict::Fail(Format("program %d by index: %s", p, problem.c_str()));
                 }
                 for (int p = 0; p < programs; ++p)
                 {
                   plugin.SetProgram(p);
                   const std::string problem = boundedText(plugin, effGetProgramName, 0, 24);
                   if (!problem.empty())
                     return Verdict::Fail(Format("program %d as current: %s", p, problem.c_str()));
                 }
                 return Verdict::Pass();
               });

  InstanceCase(reporter, session, "strings program name set too long (24 bytes back)",
               [](PluginInstance& plugin)
               {
                 plugin.SetProgramName(std::string(300, 'N'));
                 std::string problem = boundedText(plugin, effGetProgramName, 0, 24);
                 if (problem.empty())
                   problem = boundedText(plugin, effGetProgramNameIndexed,
                                         static_cast<VstInt32>(plugin.Program()), 24);
                 return Verdict::FailIf(problem);
               });

  InstanceCase(
      reporter, session, "strings pin properties (64 and 8 bytes)",
      [](PluginInstance& plugin)
      {
        for (VstInt32 opcode : {effGetInputProperties, effGetOutputProperties})
        {
          const int pins = opcode == effGetInputProperties ? plugin.Effect()->numInputs
                                                           : plugin.Effect()->numOutputs;
          for (int pin = 0; pin < pins; ++pin)
          {
            // The record followed by canaries.
            unsigned char buffer[sizeof(VstPinProperties) + 128];
            std::memset(buffer, 0xA5, sizeof(buffer));
            const char* side = opcode == effGetInputProperties ? "input" : "output";
            if (plugin.Dispatch(opcode, pin, 0, buffer) == 0)
              continue;
            for (size_t i = sizeof(VstPinProperties); i < sizeof(buffer); ++i)
              if (buffer[i] != 0xA5)
                return Verdict::Fail(Format("%s %d: wrote past the %d-byte record", side, pin,
                                            static_cast<int>(sizeof(VstPinProperties))));
            const size_t labelAt = offsetof(VstPinProperties, label);
            const size_t shortAt = offsetof(VstPinProperties, shortLabel);
            if (!std::memchr(buffer + labelAt, 0, 64))
              return Verdict::Fail(Format("%s %d: label unterminated within 64 bytes", side, pin));
            const bool shortWritten = buffer[shortAt] != 0xA5;
            if (shortWritten && !std::memchr(buffer + shortAt, 0, 8))
              return Verdict::Fail(
                  Format("%s %d: short label unterminated within 8 bytes", side, pin));
          }
        }
        return Verdict::Pass();
      });

  InstanceCase(reporter, session, "strings parameter text input",
               [&plan](PluginInstance& plugin)
               {
                 const std::string texts[] = {"",
                                              "nan",
                                              "inf",
                                              "-inf",
                                              "1e308",
                                              "-1e308",
                                              "abc",
                                              "0x10",
                                              " 0.5 ",
                                              "1e-320",
                                              "-0",
                                              "999999",
                                              std::string(300, '9'),
                                              "0.5.5",
                                              "\xff\xfe"};
                 const int params = plugin.Effect()->numParams;
                 const int count = plan.level >= 2 ? params : std::min(params, 8);
                 for (int i = 0; i < count; ++i)
                   for (const std::string& text : texts)
                   {
                     plugin.String2Parameter(i, text);
                     std::string problem = InspectParameters(plugin);
                     if (problem.empty())
                       problem = boundedText(plugin, effGetParamDisplay, i, 32);
                     if (!problem.empty())
                       return Verdict::Fail(Format("parameter %d after the text \"%s\": %s", i,
                                                   Printable(text).c_str(), problem.c_str()));
                   }
                 return Verdict::Pass();
               });
}

} // namespace

std::vector<Check> StateChecks()
{
  return {
      {"chunk", chunks},
      {"strings", strings},
  };
}

} // namespace validator
} // namespace vsthost
