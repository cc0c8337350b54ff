#include "ValidatorSupport.h"

#include "ProcessMemory.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <limits>

namespace vsthost
{
namespace validator
{
namespace
{
// Quiet NaNs with a payload no arithmetic produces: a sample still holding
// one after a replacing call was never written. Quiet, so that copying it
// through the x87 unit of a 32-bit build keeps its bits.
const uint32_t kFloatSentinel = 0x7FE5A5A5u;
const uint64_t kDoubleSentinel = 0x7FFCA5A5A5A5A5A5ull;

template <class T> bool isSubnormal(T value)
{
  return value != T(0) && std::fabs(value) < std::numeric_limits<T>::min();
}

bool isSentinelBits(const float& value)
{
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits == kFloatSentinel;
}

bool isSentinelBits(const double& value)
{
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits == kDoubleSentinel;
}

template <class T>
std::string inspect(const ChannelBuffers<T>& outputs, int frames, unsigned criteria)
{
  for (int c = 0; c < outputs.Channels(); ++c)
  {
    const T* samples = outputs.Channel(c);
    for (int i = 0; i < frames; ++i)
    {
      const T x = samples[i];
      if (isSentinelBits(x))
      {
        if (!(criteria & kAllWritten))
          continue;
        int last = i;
        while (last + 1 < frames && isSentinelBits(samples[last + 1]))
          ++last;
        return Format("channel %d frames %d to %d of %d were not written", c, i, last, frames);
      }
      const bool bad = ((criteria & kFinite) && !std::isfinite(x)) ||
                       ((criteria & kBounded) && std::isfinite(x) && std::fabs(x) > kOutputBound) ||
                       ((criteria & kNoSubnormal) && isSubnormal(x));
      if (bad)
        return Format("channel %d frame %d is %s", c, i,
                      DescribeSample(static_cast<double>(x)).c_str());
    }
  }
  return "";
}

template <class T> void fillSentinel(ChannelBuffers<T>& outputs, const void* pattern)
{
  for (int c = 0; c < outputs.Channels(); ++c)
  {
    T* samples = outputs.Channel(c);
    for (int i = 0; i < outputs.Frames(); ++i)
      std::memcpy(&samples[i], pattern, sizeof(T));
  }
}
} // namespace

Plan PlanFor(int level)
{
  Plan plan;
  plan.level = std::max(1, std::min(5, level));
  const int l = plan.level;

  plan.sampleRates = {44100.0};
  plan.oddSampleRates = {0.0, std::nan("")};
  if (l >= 2)
  {
    plan.sampleRates = {8000.0, 44100.0, 48000.0, 96000.0};
    plan.oddSampleRates = {1.0, 0.0, -44100.0, std::nan(""),
                           std::numeric_limits<double>::infinity()};
  }
  if (l >= 3)
    plan.sampleRates = {8000.0, 22050.0, 44100.0, 48000.0, 96000.0, 192000.0, 384000.0};

  const double seconds[] = {0.1, 0.25, 0.5, 1.0, 2.0};
  plan.seconds = seconds[l - 1];
  plan.programs = l == 1 ? 3 : std::numeric_limits<int>::max();
  plan.recoveryPerProgram = l >= 3;
  // Below a few hundred instances the C library's allocator is still
  // filling its caches, which looks like a leak: never fewer.
  const int cycles[] = {400, 400, 600, 800, 1000};
  plan.instanceCycles = cycles[l - 1];
  const int alive[] = {20, 50, 100, 100, 100};
  plan.instancesAlive = alive[l - 1];
  const double threadSeconds[] = {0.3, 0.5, 1.0, 2.0, 5.0};
  plan.threadSeconds = threadSeconds[l - 1];
  const double latencySeconds[] = {0.5, 1.0, 2.0, 3.0, 5.0};
  plan.latencySeconds = latencySeconds[l - 1];
  const int trials[] = {3, 5, 5, 7, 9};
  plan.timingTrials = trials[l - 1];
  const int strides[] = {0, 0, 8, 4, 1};
  plan.chunkTruncationStride = strides[l - 1];
  const int corruptions[] = {4, 8, 16, 32, 64};
  plan.corruptions = corruptions[l - 1];
  const int corners[] = {4, 8, 16, 32, 64};
  plan.corners = corners[l - 1];
  plan.everyParamDisplay = l >= 3;
  return plan;
}

std::string DescribeSample(double value)
{
  if (std::isnan(value))
    return "nan";
  if (std::isinf(value))
    return value > 0 ? "inf" : "-inf";
  if (isSubnormal(value) || isSubnormal(static_cast<float>(value)))
    return Format("%g (subnormal)", value);
  if (std::fabs(value) > kOutputBound)
    return Format("%g (beyond +-%g)", value, kOutputBound);
  return Format("%g", value);
}

std::string Format(const char* format, ...)
{
  char text[1024];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  return text;
}

Source Noise(uint64_t seed, double amplitude)
{
  auto noise = std::make_shared<NoiseSource>(seed);
  return [noise, amplitude](ChannelBuffers<float>& inputs, int frames)
  {
    for (int c = 0; c < inputs.Channels(); ++c)
      for (int i = 0; i < frames; ++i)
        inputs.Channel(c)[i] = static_cast<float>(amplitude * noise->Next());
  };
}

Source Silence()
{
  return [](ChannelBuffers<float>& inputs, int frames)
  {
    for (int c = 0; c < inputs.Channels(); ++c)
      std::fill(inputs.Channel(c), inputs.Channel(c) + frames, 0.0f);
  };
}

Source Impulse(double value)
{
  return [value](ChannelBuffers<float>& inputs, int frames)
  {
    for (int c = 0; c < inputs.Channels(); ++c)
    {
      std::fill(inputs.Channel(c), inputs.Channel(c) + frames, 0.0f);
      if (frames > 0)
        inputs.Channel(c)[0] = static_cast<float>(value);
    }
  };
}

Driver::Driver(PluginInstance& plugin, int maxFrames)
    : mPlugin(plugin), mInputs(plugin.Effect() ? plugin.Effect()->numInputs : 0, maxFrames),
      mOutputs(plugin.Effect() ? plugin.Effect()->numOutputs : 0, maxFrames),
      mReplacing(plugin.Effect() && plugin.Effect()->processReplacing &&
                 (plugin.Effect()->flags & effFlagsCanReplacing))
{
}

std::string Driver::Block(int frames, const Source& source, unsigned criteria)
{
  frames = std::min(frames, std::max(mInputs.Frames(), mOutputs.Frames()));
  source(mInputs, frames);
  if (mReplacing)
    FillSentinel(mOutputs);
  else
    mOutputs.Fill(0.0f);
  const double start = ProcessingClock();
  const bool processed =
      mReplacing ? mPlugin.ProcessReplacing(mInputs.Pointers(), mOutputs.Pointers(), frames)
                 : mPlugin.ProcessAccumulating(mInputs.Pointers(), mOutputs.Pointers(), frames);
  mLastCallSeconds = ProcessingClock() - start;
  if (!processed)
    return "the plug-in has no processing callback";
  return InspectOutput(mOutputs, frames, mReplacing ? criteria : criteria & ~kAllWritten);
}

std::string Driver::Run(double seconds, double sampleRate, int blockSize, const Source& source,
                        unsigned criteria)
{
  const double rate = std::isfinite(sampleRate) && sampleRate > 0 ? sampleRate : 44100.0;
  const long long total = std::max(1LL, static_cast<long long>(seconds * rate));
  long long done = 0;
  for (int block = 0; done < total; ++block)
  {
    const int frames = static_cast<int>(std::min<long long>(blockSize, total - done));
    const std::string problem = Block(frames, source, criteria);
    if (!problem.empty())
      return Format("block %d (from frame %lld): %s", block, done, problem.c_str());
    done += frames;
  }
  return "";
}

void Driver::Note(bool on, int key)
{
  mPlugin.SendMidi({PluginInstance::MidiEvent(0, on ? 0x90 : 0x80, static_cast<unsigned char>(key),
                                              on ? 100 : 0)});
}

std::string InspectOutput(const ChannelBuffers<float>& outputs, int frames, unsigned criteria)
{
  return inspect(outputs, frames, criteria);
}

std::string InspectOutput(const ChannelBuffers<double>& outputs, int frames, unsigned criteria)
{
  return inspect(outputs, frames, criteria);
}

void FillSentinel(ChannelBuffers<float>& outputs)
{
  fillSentinel(outputs, &kFloatSentinel);
}

void FillSentinel(ChannelBuffers<double>& outputs)
{
  fillSentinel(outputs, &kDoubleSentinel);
}

bool IsSentinel(float value)
{
  return isSentinelBits(value);
}

double ProcessingClock()
{
#ifdef _WIN32
  return WallClock();
#else
  return ThreadCpuSeconds();
#endif
}

double WallClock()
{
  using namespace std::chrono;
  return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::string InspectParameters(PluginInstance& plugin)
{
  const int count = plugin.Effect() ? plugin.Effect()->numParams : 0;
  for (int i = 0; i < count; ++i)
  {
    const float value = plugin.GetParameter(i);
    if (!std::isfinite(value) || value < 0.0f || value > 1.0f)
      return Format("parameter %d reads %s, outside 0..1", i,
                    DescribeSample(static_cast<double>(value)).c_str());
  }
  return "";
}

Session::Session(std::shared_ptr<PluginModule> module, const ValidatorOptions& options)
    : mModule(std::move(module)), mOptions(options), mPlan(PlanFor(options.level))
{
  std::string error;
  std::unique_ptr<PluginInstance> first = Open(&error);
  if (first)
  {
    mNumParams = std::max(0, first->Effect()->numParams);
    mNumPrograms = std::max(0, first->Effect()->numPrograms);
    mFlags = first->Effect()->flags;
  }
}

std::unique_ptr<PluginInstance> Session::Open(std::string* error)
{
  return Open(mOptions.settings, error);
}

std::unique_ptr<PluginInstance> Session::Open(const HostSettings& settings, std::string* error)
{
  std::unique_ptr<PluginInstance> instance = PluginInstance::Open(mModule, settings, error);
  if (instance && error)
    error->clear();
  return instance;
}

std::string Printable(const std::string& text, size_t limit)
{
  std::string out;
  for (unsigned char c : text.substr(0, limit))
    out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  return out;
}

std::string ParamLabel(PluginInstance& plugin, int index)
{
  return Format("parameter %d \"%s\"", index, Printable(plugin.ParamName(index)).c_str());
}

std::unique_ptr<PluginInstance> OpenInstance(Session& session, Verdict* verdict)
{
  return OpenInstance(session, session.Settings(), verdict);
}

std::unique_ptr<PluginInstance> OpenInstance(Session& session, const HostSettings& settings,
                                             Verdict* verdict)
{
  std::string error;
  std::unique_ptr<PluginInstance> plugin = session.Open(settings, &error);
  if (!plugin)
    *verdict = Verdict::Fail("cannot open an instance: " + error);
  return plugin;
}

Verdict WithInstance(Session& session, const InstanceRun& run)
{
  return WithInstance(session, session.Settings(), run);
}

Verdict WithInstance(Session& session, const HostSettings& settings, const InstanceRun& run)
{
  Verdict verdict;
  std::unique_ptr<PluginInstance> plugin = OpenInstance(session, settings, &verdict);
  return plugin ? run(*plugin) : verdict;
}

void InstanceCase(Reporter& reporter, Session& session, const std::string& name, InstanceRun run)
{
  reporter.Case(name, [&session, run] { return WithInstance(session, run); });
}

void InstanceCase(Reporter& reporter, Session& session, const std::string& name,
                  const HostSettings& settings, InstanceRun run)
{
  reporter.Case(name, [&session, settings, run] { return WithInstance(session, settings, run); });
}

std::vector<Check> Checks()
{
  std::vector<Check> checks = SignalChecks();
  for (const std::vector<Check>& more : {StateChecks(), RuntimeChecks()})
    checks.insert(checks.end(), more.begin(), more.end());
  return checks;
}

} // namespace validator
} // namespace vsthost
