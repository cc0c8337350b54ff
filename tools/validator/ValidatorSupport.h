#pragma once

// What the validator's checks share: the plan of a level, a case's verdict,
// the session that opens instances, the opening every case that plays an
// instance shares, and the audio driver that feeds an instance blocks and
// inspects what comes out. Private to the validator.

#include "ChannelBuffers.h"
#include "PluginInstance.h"
#include "Validator.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace vsthost
{
namespace validator
{

// How far each check goes at one level.
struct Plan
{
  int level = 1;
  std::vector<double> sampleRates;    // rates a DAW really runs at
  std::vector<double> oddSampleRates; // rates no DAW should send
  double seconds = 0.1;               // audio per processing case
  int programs = 3;                   // programs played; all when larger than the count
  bool recoveryPerProgram = false;    // non-finite input in every program
  int instanceCycles = 400;           // instances created and closed one after another
  int instancesAlive = 20;            // instances open at once
  double threadSeconds = 0.3;         // the two-thread and editor cases
  double latencySeconds = 0.5;        // the dispatcher-load case
  int timingTrials = 3;               // the denormal slowdown measurement
  int chunkTruncationStride = 0;      // every n-th length; 0: a handful of lengths
  int corruptions = 4;                // corrupted chunks per kind
  int corners = 4;                    // random settings with every parameter at an end
  bool everyParamDisplay = false;     // display texts at 0, 0.5 and 1 too
};

Plan PlanFor(int level);

struct Verdict
{
  Outcome outcome = Outcome::Passed;
  std::string detail;

  static Verdict Pass(std::string detail = "") { return {Outcome::Passed, std::move(detail)}; }
  static Verdict Fail(std::string detail) { return {Outcome::Failed, std::move(detail)}; }
  static Verdict Skip(std::string detail) { return {Outcome::Skipped, std::move(detail)}; }
  // Failed with `problem` unless it is empty.
  static Verdict FailIf(const std::string& problem, std::string passDetail = "")
  {
    return problem.empty() ? Pass(std::move(passDetail)) : Fail(problem);
  }
};

// What output must be, checked sample by sample.
enum Criteria : unsigned
{
  kFinite = 1,      // no NaN, no infinity
  kBounded = 2,     // |sample| <= kOutputBound
  kNoSubnormal = 4, // no subnormal number
  kAllWritten = 8,  // the replacing callback wrote every frame
  kSane = kFinite | kBounded | kNoSubnormal,
  kRobust = kFinite | kBounded,
};

// Far above any signal an effect should make from full-scale input: a sum
// of a few resonant peaks stays well below it, a runaway feedback loop or
// a broken gain reaches it within a block.
const double kOutputBound = 64.0;

// "nan", "inf", "1e-40 (subnormal)": a sample as a problem statement reads it.
std::string DescribeSample(double value);
std::string Format(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Deterministic noise in [-1, 1): every run feeds the same samples.
class NoiseSource
{
public:
  explicit NoiseSource(uint64_t seed = 1) : mState(seed) {}
  double Next()
  {
    mState = mState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(mState >> 11) / static_cast<double>(1ULL << 52) - 1.0;
  }
  // 0 <= result < n.
  int Below(int n) { return static_cast<int>((Next() + 1.0) * 0.5 * n) % (n > 0 ? n : 1); }

private:
  uint64_t mState;
};

// Fills `frames` samples of every input channel.
typedef std::function<void(ChannelBuffers<float>& inputs, int frames)> Source;
Source Noise(uint64_t seed = 1, double amplitude = 1.0);
Source Silence();
// `value` on the first frame of every channel, silence after it.
Source Impulse(double value);

// Feeds one instance blocks of audio from a source and inspects the output.
// Uses the replacing float callback, or the accumulating one (outputs
// cleared first) for a plug-in without it.
class Driver
{
public:
  Driver(PluginInstance& plugin, int maxFrames);

  // One block of `frames`; returns the first way the output breaks
  // `criteria`, or "" when it meets them.
  std::string Block(int frames, const Source& source, unsigned criteria);
  // Blocks of `blockSize` until `seconds` of audio at `sampleRate` have
  // been processed; stops at the first problem, naming its block.
  std::string Run(double seconds, double sampleRate, int blockSize, const Source& source,
                  unsigned criteria);
  // Sends a note-on (or note-off) at the start of the next block.
  void Note(bool on, int key = 60);

  PluginInstance& Plugin() { return mPlugin; }
  ChannelBuffers<float>& Inputs() { return mInputs; }
  ChannelBuffers<float>& Outputs() { return mOutputs; }
  // The processing call of the last Block only, in seconds of the clock
  // the slowdown measurement uses.
  double LastCallSeconds() const { return mLastCallSeconds; }
  // Whether Block can tell an unwritten frame from a written one.
  bool Replacing() const { return mReplacing; }

private:
  PluginInstance& mPlugin;
  ChannelBuffers<float> mInputs;
  ChannelBuffers<float> mOutputs;
  bool mReplacing;
  double mLastCallSeconds = 0.0;
};

// The first way `frames` of `outputs` break `criteria`, or "". The
// sentinel marks samples the plug-in was to overwrite.
std::string InspectOutput(const ChannelBuffers<float>& outputs, int frames, unsigned criteria);
std::string InspectOutput(const ChannelBuffers<double>& outputs, int frames, unsigned criteria);
void FillSentinel(ChannelBuffers<float>& outputs);
void FillSentinel(ChannelBuffers<double>& outputs);
bool IsSentinel(float value);

// The clock of the slowdown measurement: the calling thread's CPU time
// where the system measures it finely, otherwise the wall clock (CPU time
// on Windows moves in steps of 10 ms or more).
double ProcessingClock();
// The wall clock, in seconds.
double WallClock();

// Parameter values a host could hold: every value finite and within 0..1.
// Returns the first parameter that is not, or "".
std::string InspectParameters(PluginInstance& plugin);

// The plug-in under test and the host settings it is opened with.
class Session
{
public:
  Session(std::shared_ptr<PluginModule> module, const ValidatorOptions& options);

  const Plan& GetPlan() const { return mPlan; }
  const HostSettings& Settings() const { return mOptions.settings; }
  // An instance opened as a DAW opens one (with `settings`), resumed.
  // Null with `error` set when the plug-in refuses.
  std::unique_ptr<PluginInstance> Open(std::string* error);
  std::unique_ptr<PluginInstance> Open(const HostSettings& settings, std::string* error);

  // What the first instance said about itself.
  int NumParams() const { return mNumParams; }
  int NumPrograms() const { return mNumPrograms; }
  VstInt32 Flags() const { return mFlags; }

private:
  std::shared_ptr<PluginModule> mModule;
  ValidatorOptions mOptions;
  Plan mPlan;
  int mNumParams = 0;
  int mNumPrograms = 0;
  VstInt32 mFlags = 0;
};

// Receives the verdict of every case of a check, in order.
class Reporter
{
public:
  virtual ~Reporter() = default;
  // Runs `run` as the case `name` unless the options leave it out.
  virtual void Case(const std::string& name, const std::function<Verdict()>& run) = 0;
};

// One check: a group of cases under one name; the plan of the level says
// how far each goes.
struct Check
{
  const char* name;
  void (*run)(Session& session, Reporter& reporter);
};

// The check list, in the order it runs: the signal checks, the state
// checks, the runtime checks (ValidatorSignalChecks.cpp and its siblings).
std::vector<Check> SignalChecks();
std::vector<Check> StateChecks();
std::vector<Check> RuntimeChecks();
std::vector<Check> Checks();

// What the checks share: the block size and rate most cases play at, and
// infinity.
const int kBlock = 512;
const double kRate = 44100.0;
const double kInf = std::numeric_limits<double>::infinity();

// A plug-in's own texts as printable ASCII, for case names and messages.
std::string Printable(const std::string& text, size_t limit = 32);
// "parameter 3 \"Cutoff\"".
std::string ParamLabel(PluginInstance& plugin, int index);
// An instance opened with the session's settings, or with `settings`;
// null with `verdict` failed and saying why when the plug-in refuses. For
// the checks that hold several instances at once or open one after
// another; a case that plays one instance opens it with InstanceCase.
std::unique_ptr<PluginInstance> OpenInstance(Session& session, Verdict* verdict);
std::unique_ptr<PluginInstance> OpenInstance(Session& session, const HostSettings& settings,
                                             Verdict* verdict);

// What a case does with the instance it opened; its verdict is the case's.
typedef std::function<Verdict(PluginInstance& plugin)> InstanceRun;
// The opening of every case that plays one instance of its own: a fresh
// instance opened as a DAW opens one, with the session's settings or with
// `settings` (sample rate and block size set, resumed unless the settings
// say not), handed to `run`, and closed after it. A plug-in that refuses
// to open fails the case, saying why, and `run` does not run.
Verdict WithInstance(Session& session, const InstanceRun& run);
Verdict WithInstance(Session& session, const HostSettings& settings, const InstanceRun& run);
// Runs `run` as the case `name` with WithInstance.
void InstanceCase(Reporter& reporter, Session& session, const std::string& name, InstanceRun run);
void InstanceCase(Reporter& reporter, Session& session, const std::string& name,
                  const HostSettings& settings, InstanceRun run);

} // namespace validator
} // namespace vsthost
